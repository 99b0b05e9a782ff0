// viewer_bench.cpp - playback speed, stepping latency, processor use at
// rest and memory of the movie viewer.
//
// For each movie of the working folder (large_h264.avi: 1920 x 1080 H.264
// with keyframes 250 apart; sample.avi: 640 x 480 MJPEG):
//  (a) raw decode: frames/s of the video source alone (cache off);
//  (c) the viewer: its own loop (the real ViewerMain, the file chosen through
//      its real dialog), counted by reading the index strip of image 0's
//      buffer every few milliseconds; and (c0) the same with the frame cache
//      off (NBX_FRAME_CACHE_MB=0: shown frames not kept);
//  (b) bare loop: decode + convert + draw to a plain window as the viewer
//      draws, no framework window;
// then, in the viewer opened afresh, the time from a press to its frame in
// image 0: opened and paused, after 2 s ">>" and "<<"; in the middle of a
// keyframe interval after 1 s "< 10" and "> 10"; ">>", after 1 s "<"; played
// 3 s (on until 60 steps back stay in the movie), paused, 60 "<" (first,
// median, p95, max). Then resting: the time until the processor use falls
// under 2 %, the use over 10 s after that (user + system time of every thread,
// from the host kernel), resident memory beside the cache budget and beside
// the viewer's with the cache off. Finally resident memory over 10,000 frames
// of looped MJPEG playback. NBX_BENCH_ROUNDS (3), NBX_BENCH_FRAMES_LARGE
// (400), NBX_BENCH_FRAMES (1500), NBX_BENCH_MEMFRAMES (10000),
// NBX_BENCH_STEPPING (1; 0 skips the presses), NBX_BENCH_MOVIES (both;
// "large" or "sample").
// Run it under Xvfb from a folder holding both movies (see bench/viewer.cmake).
#include "viewer_drive.h"
#include "imagewin/imagewin_logic.h"
#include "viewer/viewer.h"
#include "viewer/viewer_logic.h"
#include "viewer/video_source.h"
#include "viewer/frame_cache.h"
#include "host_stats.h"
#include "dib32.h"
#include <algorithm>
#include <string>
#include <stdio.h>
#include <stdlib.h>
#include <vector>

void UserInit(void);
void UserMain(void);

static double Seconds()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static int EnvInt(const char *name, int fallback)
{
    const char *v = getenv(name);
    return v && *v ? atoi(v) : fallback;
}

static NbxCapture *OpenBare(const char *name);

// NBX_FRAME_CACHE_MB as the run was started with; runs that measure the
// decoder alone turn the cache off for a while.
static std::string gCacheSetting = getenv("NBX_FRAME_CACHE_MB") ? getenv("NBX_FRAME_CACHE_MB") : "";

static void CacheOn(bool on)
{
    NbxHostSetEnv("NBX_FRAME_CACHE_MB", !on ? "0" : gCacheSetting.empty() ? NULL : gCacheSetting.c_str());
}

// The video source alone (cache off: no kept frames, no resting decoder).
static NbxCapture *OpenMovie(const char *name)
{
    CacheOn(false);
    NbxCapture *c = OpenBare(name);
    CacheOn(true);
    return c;
}

static NbxCapture *OpenBare(const char *name)
{
    char host[1024];
    if (!NbxHostPath(vt::Here(name).c_str(), host, sizeof host)) return NULL;
    return NbxVideoOpen(host);
}

static const NbxFrame *NextFrame(NbxCapture *c)
{
    const NbxFrame *f = NbxVideoQuery(c);
    if (!f) {
        NbxVideoSet(c, NBX_CAP_PROP_POS_FRAMES, 0);
        f = NbxVideoQuery(c);
    }
    return f;
}

static double RawDecode(const char *name, int frames)
{
    NbxCapture *c = OpenMovie(name);
    if (!c) return 0;
    double t0 = Seconds();
    for (int i = 0; i < frames; i++)
        if (!NextFrame(c)) break;
    double fps = frames / (Seconds() - t0);
    NbxVideoRelease(&c);
    return fps;
}

// How image 0 showed the movie in the viewer.
struct Display {
    int zoom = 100, dispWidth = 0, dispHeight = 0, stretchMode = COLORONCOLOR;
};

static LRESULT CALLBACK BareProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

static double BareLoop(const char *name, int frames, const Display &d)
{
    NbxCapture *c = OpenMovie(name);
    if (!c) return 0;
    const NbxFrame *f = NbxVideoQuery(c);
    int w = f->width, h = f->height;
    int dw = d.zoom == 100 ? w : d.dispWidth, dh = d.zoom == 100 ? h : d.dispHeight;
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"nbx_bench_bare";
    RegisterClassW(&wc);
    RECT r = { 0, 0, dw, dh };
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, L"nbx_bench_bare", L"bare loop", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 250, r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    HDC dc = GetDC(window);
    SetStretchBltMode(dc, d.stretchMode);
    HDC mem = CreateCompatibleDC(dc);
    void *bits;
    HBITMAP dib = CreateTopDownDib32(dc, w, h, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    // Zoomed without halftone, the framework scales the picture itself into
    // a display-size bitmap and copies that 1:1; so does this loop.
    bool scaleHere = d.zoom != 100 && d.stretchMode == COLORONCOLOR;
    HDC scaledDC = CreateCompatibleDC(dc);
    void *scaledBits;
    HBITMAP scaled = CreateTopDownDib32(dc, dw, dh, &scaledBits);
    HGDIOBJ oldScaled = SelectObject(scaledDC, scaled);
    std::vector<int> columns(dw), rows(dh);
    StretchPicks(w, dw, true, columns.data());
    StretchPicks(h, dh, false, rows.data());
    double t0 = Seconds();
    for (int i = 0; i < frames; i++) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        f = NextFrame(c);
        if (!f) break;
        nbxv::ConvertFrame(f->imageData, f->width, f->height, f->step, (uint32_t *)bits, w, h);
        if (d.zoom == 100) {
            BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        } else if (scaleHere) {
            GdiFlush();
            ScaleNearest32((const DWORD *)bits, w, (DWORD *)scaledBits, dw, dh, columns.data(), rows.data());
            BitBlt(dc, 0, 0, dw, dh, scaledDC, 0, 0, SRCCOPY);
        } else {
            StretchBlt(dc, 0, 0, dw, dh, mem, 0, 0, w, h, SRCCOPY);
        }
    }
    GdiFlush();
    double fps = frames / (Seconds() - t0);
    SelectObject(scaledDC, oldScaled);
    DeleteObject(scaled);
    DeleteDC(scaledDC);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    UnregisterClassW(L"nbx_bench_bare", wc.hInstance);
    NbxVideoRelease(&c);
    return fps;
}

// The frame image 0 shows, from its strip; -1 when none is readable.
static int FrameShown()
{
    if (!nbx_images[0].inUse || !nbx_pixels[0]) return -1;
    return nbxv::DecodeStrip((const uint32_t *)nbx_pixels[0], nbx_images[0].width, nbx_images[0].height,
                             nbx_images[0].width);
}

// Frames the viewer has shown, counted from the strip of image 0's buffer.
// The strip may be read while the next frame is being written into it: a
// reading counts only when a second one right after it agrees, and a step
// back of more than half the movie is a loop, a smaller one a misreading.
struct FrameCounter {
    int last = -1;
    long long total = 0;
    int frameCount;
    explicit FrameCounter(int n) : frameCount(n) {}
    void Sample()
    {
        int f = FrameShown();
        if (f < 0 || FrameShown() != f) return;
        int step = (f - last + frameCount) % frameCount;
        if (last >= 0 && f < last && last - f <= frameCount / 2) return;
        if (last >= 0) total += step;
        last = f;
    }
};

// Frames/s of the viewer's playback over `frames` frames after the first 50.
static double ViewerPlayback(int count, int frames)
{
    FrameCounter counter(count);
    while (counter.total < 50) { counter.Sample(); Sleep(1); }
    long long from = counter.total;
    double t0 = Seconds();
    while (counter.total - from < frames) { counter.Sample(); Sleep(5); }
    return (counter.total - from) / (Seconds() - t0);
}

// Presses button k and waits until image 0 shows `expected`; milliseconds,
// or -1 when it does not come within 20 s.
static double PressAndTime(int k, int expected)
{
    double t0 = Seconds();
    vt::Press(k);
    while (FrameShown() != expected) {
        if (Seconds() - t0 > 20) {
            printf("  press %d: frame %d never came (image 0 shows %d)\n", k, expected, FrameShown());
            return -1;
        }
        Sleep(1);
    }
    return (Seconds() - t0) * 1000;
}

struct Stepping {
    double openLast = 0, openFirst = 0;                    // (c)
    double midBack10 = 0, midForward10 = 0;                // (d)
    double last = 0, backAfterLast = 0;                    // (b)
    double firstBack = 0, medianBack = 0, p95Back = 0, maxBack = 0;   // (a)
    int backs = 0, pausedAt = -1;
    double settleSeconds = -1, restingCpu = 0, residentMB = 0, peakMB = 0;   // (f), (g)
    double uncachedMB = 0;   // (g): resident at rest with the cache off
};

static int WaitSteady()
{
    int seen = -2;
    while (FrameShown() != seen || seen < 0) { seen = FrameShown(); Sleep(200); }
    return seen;
}

static double CpuPercent(DWORD ms)
{
    double cpu0 = NbxHostProcessSeconds(), t0 = Seconds();
    Sleep(ms);
    return 100 * (NbxHostProcessSeconds() - cpu0) / (Seconds() - t0);
}

// In the viewer, from opening: the presses of (a) to (d), then the rest.
static Stepping Step(const char *name, int count)
{
    Stepping s;
    if (!vt::ChooseFile(name)) return s;
    nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
    vt::Press(nbxv::kPause);
    WaitSteady();
    Sleep(2000);
    s.openLast = PressAndTime(nbxv::kLast, count - 1);
    s.openFirst = PressAndTime(nbxv::kFirst, 1);
    printf("  (c) opened, rested 2 s: \">>\" %.1f ms, \"<<\" %.1f ms\n", s.openLast, s.openFirst);
    fflush(stdout);
    // To the middle of the first keyframe interval (250 frames), ten at a time.
    int at = 1;
    for (int i = 0; i < 12 && at + 10 < count; i++, at += 10) PressAndTime(nbxv::kForward10, at + 10);
    Sleep(1000);
    s.midBack10 = PressAndTime(nbxv::kBack10, at - 10);
    s.midForward10 = PressAndTime(nbxv::kForward10, at);
    printf("  (d) at %d, mid-interval, after 1 s rest: \"< 10\" %.1f ms, \"> 10\" %.1f ms\n", at, s.midBack10,
           s.midForward10);
    fflush(stdout);
    s.last = PressAndTime(nbxv::kLast, count - 1);
    Sleep(1000);
    s.backAfterLast = PressAndTime(nbxv::kBack, count - 2);
    printf("  (b) \">>\" %.1f ms; rested 1 s: \"<\" %.1f ms\n", s.last, s.backAfterLast);
    fflush(stdout);

    vt::Press(nbxv::kPlay);
    Sleep(3000);
    // Paused where 60 steps back stay in the movie (playing on past a loop).
    double t0 = Seconds();
    while (FrameShown() < 70 && Seconds() - t0 < 20) Sleep(1);
    vt::Press(nbxv::kPause);
    s.pausedAt = WaitSteady();
    std::vector<double> backs;
    for (int i = 1; i <= 60 && s.pausedAt - i >= 0; i++) {
        backs.push_back(PressAndTime(nbxv::kBack, s.pausedAt - i));
        if (backs.back() < 0) break;
    }
    s.backs = (int)backs.size();
    if (!backs.empty()) {
        s.firstBack = backs[0];
        std::sort(backs.begin(), backs.end());
        s.medianBack = backs[backs.size() / 2];
        s.p95Back = backs[(backs.size() * 95 + 99) / 100 - 1];
        s.maxBack = backs.back();
    }
    printf("  (a) played 3 s, paused at %d, %d \"<\": first %.1f ms, median %.1f ms, p95 %.1f ms, max %.1f ms\n",
           s.pausedAt, s.backs, s.firstBack, s.medianBack, s.p95Back, s.maxBack);
    fflush(stdout);

    // Resting: until a 2 s window uses under 2 % of a core (the fill has
    // finished), at most 120 s; then 5 s measured.
    t0 = Seconds();
    while (Seconds() - t0 < 120)
        if (CpuPercent(2000) < 2) {
            s.settleSeconds = Seconds() - t0;
            break;
        }
    s.restingCpu = CpuPercent(10000);
    s.residentMB = NbxHostResidentMB(0);
    s.peakMB = NbxHostResidentMB(1);
    vt::Press(vt::kBreakButton);
    nbxt::WaitFileDialog(NULL, 30000);
    // What the viewer holds without any cache, at rest after the same presses
    // that end with a step back near the end.
    CacheOn(false);
    if (vt::ChooseFile(name)) {
        nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
        vt::Press(nbxv::kPause);
        WaitSteady();
        PressAndTime(nbxv::kLast, count - 1);
        PressAndTime(nbxv::kBack, count - 2);
        Sleep(1000);
        s.uncachedMB = NbxHostResidentMB(0);
        vt::Press(vt::kBreakButton);
        nbxt::WaitFileDialog(NULL, 30000);
    }
    CacheOn(true);
    return s;
}

// The cache budget the video source takes, in MB, and the frames it holds.
static double BudgetMB()
{
    const char *v = getenv("NBX_FRAME_CACHE_MB");
    if (v && *v >= '0' && *v <= '9') return atof(v);
    MEMORYSTATUSEX m;
    m.dwLength = sizeof m;
    unsigned long long mb = GlobalMemoryStatusEx(&m) ? m.ullTotalPhys >> 20 : 0;
    return (double)nbxv::DefaultBudgetMB(mb);
}

// Frames that fit `mb`, by default the whole budget.
static int FramesInBudget(int w, int h, double mb = -1)
{
    size_t bytes = nbxv::FrameFootprint((size_t)w * h * 3);
    return bytes ? (int)((mb < 0 ? BudgetMB() : mb) * 1048576.0 / (double)bytes) : 0;
}

struct MovieFigures {
    double raw = 0, bare = 0, viewer = 0, viewerNoAhead = 0;
    Stepping stepping;
};

// Opens the movie in the viewer, measures its playback and breaks back to
// the dialog; `keep` false turns the frame cache off (nothing kept).
static double ViewerRun(const char *name, int count, int frames, bool keep, Display *d)
{
    CacheOn(keep);
    if (!vt::ChooseFile(name)) return 0;
    nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
    double fps = ViewerPlayback(count, frames);
    if (d) {
        d->zoom = nbx_images[0].zoom;
        d->dispWidth = nbx_images[0].dispWidth;
        d->dispHeight = nbx_images[0].dispHeight;
        d->stretchMode = GetStretchBltMode(nbx_images[0].windowDC);
    }
    vt::Press(vt::kBreakButton);
    nbxt::WaitFileDialog(NULL, 30000);
    CacheOn(true);
    return fps;
}

static MovieFigures Measure(const char *name, int frames, int rounds)
{
    MovieFigures m;
    NbxCapture *probe = OpenMovie(name);
    if (!probe) {
        printf("%s: cannot be read, skipped\n", name);
        return m;
    }
    int count = (int)NbxVideoGet(probe, NBX_CAP_PROP_FRAME_COUNT);
    int w = (int)NbxVideoGet(probe, NBX_CAP_PROP_FRAME_WIDTH), h = (int)NbxVideoGet(probe, NBX_CAP_PROP_FRAME_HEIGHT);
    NbxVideoRelease(&probe);
    printf("%s: %d x %d, %d frames; %d frames per playback measurement, %d rounds\n", name, w, h, count, frames,
           rounds);
    fflush(stdout);
    for (int r = 0; r < rounds; r++) {
        Display d;
        double a = RawDecode(name, frames);
        double c = ViewerRun(name, count, frames, true, &d);
        double c0 = ViewerRun(name, count, frames, false, NULL);
        double b = BareLoop(name, frames, d);
        printf("  round %d: (a) raw decode %6.1f  (b) bare loop %6.1f  (c) viewer %6.1f  (c0) cache off"
               " %6.1f frames/s  (image 0 at %d %%)  c/a %.3f  c0/a %.3f\n", r + 1, a, b, c, c0, d.zoom, c / a,
               c0 / a);
        fflush(stdout);
        m.raw += a / rounds;
        m.bare += b / rounds;
        m.viewer += c / rounds;
        m.viewerNoAhead += c0 / rounds;
    }
    if (EnvInt("NBX_BENCH_STEPPING", 1)) m.stepping = Step(name, count);
    const Stepping &s = m.stepping;
    printf("  playback (mean): raw %.1f, bare %.1f, viewer %.1f (cache off %.1f) frames/s;"
           " viewer / raw = %.3f (cache off %.3f), viewer / cache off = %.3f\n", m.raw, m.bare, m.viewer,
           m.viewerNoAhead, m.viewer / m.raw, m.viewerNoAhead / m.raw, m.viewer / m.viewerNoAhead);
    printf("  budget %.0f MB holds %d frames of %d x %d\n", BudgetMB(), FramesInBudget(w, h), w, h);
    printf("  (f) resting: under 2 %% after %.0f s; then %.2f %% of one core over 10 s\n", s.settleSeconds,
           s.restingCpu);
    printf("  (g) resident memory %.1f MB, peak %.1f MB, beside budget + 100 = %.0f MB; with the cache off"
           " %.1f MB, so the cache holds %.1f MB\n", s.residentMB, s.peakMB, BudgetMB() + 100, s.uncachedMB,
           s.residentMB - s.uncachedMB);
    printf("  the cache held about %d frames of %d x %d (the budget alone holds %d)\n",
           FramesInBudget(w, h, s.residentMB - s.uncachedMB), w, h, FramesInBudget(w, h));
    fflush(stdout);
    return m;
}

// Resident memory of looped MJPEG playback after 100 and after memFrames frames.
static void MemoryOverLongPlayback(int memFrames)
{
    if (!vt::ChooseFile("sample.avi")) return;
    nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
    FrameCounter counter(vt::kSampleFrames);
    while (counter.total < 100) { counter.Sample(); Sleep(1); }
    double rss100 = NbxHostResidentMB(0);
    while (counter.total < memFrames) { counter.Sample(); Sleep(10); }
    double rssEnd = NbxHostResidentMB(0);
    vt::Press(vt::kBreakButton);
    nbxt::WaitFileDialog(NULL, 10000);
    printf("resident memory of looped playback: %.1f MB after 100 frames, %.1f MB after %d frames:"
           " %+.2f MB (target < 5); peak of the whole run %.1f MB\n", rss100, rssEnd, memFrames, rssEnd - rss100,
           NbxHostResidentMB(1));
}

static DWORD WINAPI BenchMain(LPVOID)
{
    nbxt::WaitFileDialog(NULL, 30000);
    int rounds = EnvInt("NBX_BENCH_ROUNDS", 3);
    printf("viewer benchmark (NBX_FRAME_CACHE_MB=%s, NBX_READ_AHEAD=%s); a 3840 x 2160 frame: the budget"
           " holds %d\n", getenv("NBX_FRAME_CACHE_MB") ? getenv("NBX_FRAME_CACHE_MB") : "default",
           getenv("NBX_READ_AHEAD") ? getenv("NBX_READ_AHEAD") : "default", FramesInBudget(3840, 2160));
    std::string movies = getenv("NBX_BENCH_MOVIES") ? getenv("NBX_BENCH_MOVIES") : "";
    if (movies.empty() || movies == "large") Measure("large_h264.avi", EnvInt("NBX_BENCH_FRAMES_LARGE", 400), rounds);
    if (movies.empty() || movies == "sample") Measure("sample.avi", EnvInt("NBX_BENCH_FRAMES", 1500), rounds);
    if (EnvInt("NBX_BENCH_MEMFRAMES", 10000) > 0) MemoryOverLongPlayback(EnvInt("NBX_BENCH_MEMFRAMES", 10000));
    fflush(stdout);
    ExitProcess(0);
    return 0;
}

void UserInit(void)
{
    ViewerInit();
    CloseHandle(CreateThread(NULL, 0, BenchMain, NULL, 0, NULL));
}

void UserMain(void) { ViewerMain(); }
