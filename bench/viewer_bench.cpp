// viewer_bench.cpp - playback speed, stepping latency, processor use while
// paused and memory of the movie viewer.
//
// For each movie of the working folder (large_h264.avi: 1920 x 1080 H.264
// with keyframes 250 apart; sample.avi: 640 x 480 MJPEG):
//  (a) raw decode: frames/s of the video source alone;
//  (c) the viewer: its own loop (the real ViewerMain, the file chosen through
//      its real dialog), counted by reading the index strip of image 0's
//      buffer every few milliseconds; and (c0) the same with the video
//      source's read-ahead turned off (NBX_READ_AHEAD=0);
//  (b) bare loop: decode + convert + draw to a plain window as the viewer
//      draws (a plain copy at 100 %, else image 0's displayed size in its
//      stretch mode: scaled by the framework's own nearest-pixel scaler and
//      copied 1:1 without halftone), no framework window;
// then, in the viewer paused: the time from a press to its frame in image 0
// for ">>", the first "<" after it (a keyframe interval's first), the median
// of the next 20 "<", "> 10" and "<<"; processor use over 5 s (user + system
// time of every thread, from the host kernel); resident memory once ">"
// presses have filled the frame cache. Finally resident memory over
// 10,000 frames of looped MJPEG playback.
// Run it under Xvfb from a folder holding both movies (see bench/viewer.cmake).
#include "viewer_drive.h"
#include "imagewin/imagewin_logic.h"
#include "viewer/viewer.h"
#include "viewer/viewer_logic.h"
#include "viewer/video_source.h"
#include "host_stats.h"
#include "dib32.h"
#include <algorithm>
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

static NbxCapture *OpenMovie(const char *name)
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
struct FrameCounter {
    int last = -1;
    long long total = 0;
    int frameCount;
    explicit FrameCounter(int n) : frameCount(n) {}
    void Sample()
    {
        int f = FrameShown();
        if (f < 0) return;
        if (last >= 0) total += (f - last + frameCount) % frameCount;
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
        if (Seconds() - t0 > 20) return -1;
        Sleep(1);
    }
    return (Seconds() - t0) * 1000;
}

struct Stepping {
    double last = 0, firstBack = 0, medianBack = 0, forward10 = 0, first = 0;
    double pausedCpu = 0, peakMB = 0, cachedFrames = 0;
};

// In the viewer, playing the movie: pause, then the presses, the processor
// use and the memory.
static Stepping Step(int count)
{
    Stepping s;
    vt::Press(nbxv::kPause);
    int seen = -2;
    while (FrameShown() != seen) { seen = FrameShown(); Sleep(200); }   // stopped advancing
    s.last = PressAndTime(nbxv::kLast, count - 1);
    s.firstBack = PressAndTime(nbxv::kBack, count - 2);
    std::vector<double> backs;
    for (int i = 0; i < 20; i++) backs.push_back(PressAndTime(nbxv::kBack, count - 3 - i));
    std::sort(backs.begin(), backs.end());
    s.medianBack = (backs[9] + backs[10]) / 2;
    int at = count - 22;
    s.forward10 = PressAndTime(nbxv::kForward10, at + 10);
    s.first = PressAndTime(nbxv::kFirst, 1);

    Sleep(500);
    double cpu0 = NbxHostProcessSeconds(), t0 = Seconds();
    Sleep(5000);
    s.pausedCpu = 100 * (NbxHostProcessSeconds() - cpu0) / (Seconds() - t0);

    // Forward through the movie from frame 1, one ">" at a time: every frame
    // decoded on the way is kept until the budget is full.
    int steps = std::min(count - 2, EnvInt("NBX_BENCH_FILL_STEPS", 120));
    for (int f = 2; f < 2 + steps; f++)
        if (PressAndTime(nbxv::kForward, f) < 0) break;
    s.cachedFrames = steps;
    s.peakMB = NbxHostResidentMB(0);
    return s;
}

struct MovieFigures {
    double raw = 0, bare = 0, viewer = 0, viewerNoAhead = 0;
    Stepping stepping;
};

// Opens the movie in the viewer, measures its playback, then the stepping
// when asked, and breaks back to the dialog.
static double ViewerRun(const char *name, int count, int frames, bool readAhead, Display *d, Stepping *s)
{
    NbxHostSetEnv("NBX_READ_AHEAD", readAhead ? NULL : "0");
    if (!vt::ChooseFile(name)) return 0;
    nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
    double fps = ViewerPlayback(count, frames);
    if (d) {
        d->zoom = nbx_images[0].zoom;
        d->dispWidth = nbx_images[0].dispWidth;
        d->dispHeight = nbx_images[0].dispHeight;
        d->stretchMode = GetStretchBltMode(nbx_images[0].windowDC);
    }
    if (s) *s = Step(count);
    vt::Press(vt::kBreakButton);
    nbxt::WaitFileDialog(NULL, 30000);
    NbxHostSetEnv("NBX_READ_AHEAD", NULL);
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
        double c = ViewerRun(name, count, frames, true, &d, NULL);
        double c0 = ViewerRun(name, count, frames, false, NULL, NULL);
        double b = BareLoop(name, frames, d);
        printf("  round %d: (a) raw decode %6.1f  (b) bare loop %6.1f  (c) viewer %6.1f  (c0) without read-ahead"
               " %6.1f frames/s  (image 0 at %d %%)  c/a %.3f  c0/a %.3f\n", r + 1, a, b, c, c0, d.zoom, c / a,
               c0 / a);
        fflush(stdout);
        m.raw += a / rounds;
        m.bare += b / rounds;
        m.viewer += c / rounds;
        m.viewerNoAhead += c0 / rounds;
    }
    ViewerRun(name, count, frames / 4, true, NULL, &m.stepping);
    const Stepping &s = m.stepping;
    printf("  playback (mean): raw %.1f, bare %.1f, viewer %.1f (without read-ahead %.1f) frames/s;"
           " viewer / raw = %.3f (without %.3f), viewer / bare = %.3f\n", m.raw, m.bare, m.viewer,
           m.viewerNoAhead, m.viewer / m.raw, m.viewerNoAhead / m.raw, m.viewer / m.bare);
    printf("  press to frame: \">>\" %.1f ms, first \"<\" %.1f ms, next 20 \"<\" median %.1f ms, \"> 10\" %.1f ms,"
           " \"<<\" %.1f ms\n", s.last, s.firstBack, s.medianBack, s.forward10, s.first);
    printf("  paused: %.2f %% of one core over 5 s; resident memory %.1f MB after %.0f \">\" presses (cache full)\n",
           s.pausedCpu, s.peakMB, s.cachedFrames);
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
    printf("viewer benchmark (NBX_FRAME_CACHE_MB=%s, NBX_READ_AHEAD=%s)\n",
           getenv("NBX_FRAME_CACHE_MB") ? getenv("NBX_FRAME_CACHE_MB") : "default",
           getenv("NBX_READ_AHEAD") ? getenv("NBX_READ_AHEAD") : "default");
    Measure("large_h264.avi", EnvInt("NBX_BENCH_FRAMES_LARGE", 400), rounds);
    Measure("sample.avi", EnvInt("NBX_BENCH_FRAMES", 1500), rounds);
    MemoryOverLongPlayback(EnvInt("NBX_BENCH_MEMFRAMES", 10000));
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
