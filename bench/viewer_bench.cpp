// viewer_bench.cpp - playback speed and memory of the movie viewer.
//
// One run, one movie (sample.avi of the working folder, 640 x 480 MJPEG):
//  (a) raw decode: frames/s of the video source alone;
//  (b) bare loop: decode + convert + BitBlt to a plain window, no framework;
//  (c) the viewer: its own loop (the real ViewerMain, the file chosen through
//      its real dialog), counted by reading the index strip of image 0's
//      buffer every few milliseconds;
// then resident memory after the first 100 and after 10,000 frames of (c).
// Run it under Xvfb from a folder holding sample.avi (see bench/viewer.cmake).
#include "viewer_drive.h"
#include "viewer/viewer.h"
#include "viewer/viewer_logic.h"
#include "viewer/video_source.h"
#include "dib32.h"
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>

void UserInit(void);
void UserMain(void);

static double Seconds()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static double ResidentMB()
{
    PROCESS_MEMORY_COUNTERS pmc;
    ZeroMemory(&pmc, sizeof pmc);
    pmc.cb = sizeof pmc;
    K32GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc);
    return pmc.WorkingSetSize / (1024.0 * 1024.0);
}

static NbxCapture *OpenSample()
{
    char host[1024];
    if (!NbxHostPath(vt::Here("sample.avi").c_str(), host, sizeof host)) return NULL;
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

static double RawDecode(int frames)
{
    NbxCapture *c = OpenSample();
    if (!c) return 0;
    double t0 = Seconds();
    for (int i = 0; i < frames; i++)
        if (!NextFrame(c)) break;
    double fps = frames / (Seconds() - t0);
    NbxVideoRelease(&c);
    return fps;
}

static LRESULT CALLBACK BareProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

static double BareLoop(int frames)
{
    NbxCapture *c = OpenSample();
    if (!c) return 0;
    const NbxFrame *f = NbxVideoQuery(c);
    int w = f->width, h = f->height;
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"nbx_bench_bare";
    RegisterClassW(&wc);
    RECT r = { 0, 0, w, h };
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateWindowExW(0, L"nbx_bench_bare", L"bare loop", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  300, 250, r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    HDC dc = GetDC(window);
    HDC mem = CreateCompatibleDC(dc);
    void *bits;
    HBITMAP dib = CreateTopDownDib32(dc, w, h, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    double t0 = Seconds();
    for (int i = 0; i < frames; i++) {
        MSG msg;
        while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        f = NextFrame(c);
        if (!f) break;
        nbxv::ConvertFrame(f->imageData, f->width, f->height, f->step, (uint32_t *)bits, w, h);
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
    }
    GdiFlush();
    double fps = frames / (Seconds() - t0);
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(window, dc);
    DestroyWindow(window);
    NbxVideoRelease(&c);
    return fps;
}

// Frames the viewer has shown, counted from the strip of image 0's buffer.
struct FrameCounter {
    int last = -1;
    long long total = 0;
    int frameCount;
    explicit FrameCounter(int n) : frameCount(n) {}
    void Sample()
    {
        if (!nbx_images[0].inUse) return;
        int f = nbxv::DecodeStrip((const uint32_t *)nbx_pixels[0], nbx_images[0].width,
                                  nbx_images[0].height, nbx_images[0].width);
        if (f < 0) return;
        if (last >= 0) total += (f - last + frameCount) % frameCount;
        last = f;
    }
};

// Plays the sample in the viewer until `frames` more frames were shown;
// frames/s over them. The viewer is waiting in its dialog when called and is
// back in it (after "break") on return, so it never competes with (a), (b).
static double ViewerRun(int frames, int memFrames, double *rss100, double *rssEnd)
{
    if (!vt::ChooseFile("sample.avi")) return 0;
    FrameCounter counter(vt::kSampleFrames);
    nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
    while (counter.total < 100) { counter.Sample(); Sleep(1); }
    if (rss100) *rss100 = ResidentMB();
    long long from = counter.total;
    double t0 = Seconds(), fps = 0;
    while (counter.total - from < frames) { counter.Sample(); Sleep(10); }
    fps = (counter.total - from) / (Seconds() - t0);
    while (counter.total < memFrames) { counter.Sample(); Sleep(10); }
    if (rssEnd) *rssEnd = ResidentMB();
    vt::Press(vt::kBreakButton);
    nbxt::WaitFileDialog(NULL, 10000);
    return fps;
}

static DWORD WINAPI BenchMain(LPVOID)
{
    nbxt::WaitFileDialog(NULL, 30000);
    int frames = getenv("NBX_BENCH_FRAMES") ? atoi(getenv("NBX_BENCH_FRAMES")) : 1500;
    int rounds = getenv("NBX_BENCH_ROUNDS") ? atoi(getenv("NBX_BENCH_ROUNDS")) : 3;
    int memFrames = getenv("NBX_BENCH_MEMFRAMES") ? atoi(getenv("NBX_BENCH_MEMFRAMES")) : 10000;
    printf("viewer benchmark: sample.avi 640 x 480 MJPEG, %d frames per measurement, %d rounds of a, b, c\n",
           frames, rounds);
    double sumA = 0, sumB = 0, sumC = 0;
    for (int r = 0; r < rounds; r++) {
        double a = RawDecode(frames), b = BareLoop(frames), c = ViewerRun(frames, 0, NULL, NULL);
        printf("round %d: (a) raw decode %7.1f  (b) decode+convert+BitBlt %7.1f  (c) viewer %7.1f frames/s"
               "   c/b %.3f\n", r + 1, a, b, c, b > 0 ? c / b : 0);
        fflush(stdout);
        sumA += a; sumB += b; sumC += c;
    }
    double a = sumA / rounds, b = sumB / rounds, c = sumC / rounds;
    printf("mean:    (a) %.1f  (b) %.1f  (c) %.1f frames/s\n", a, b, c);
    printf("ratios:  viewer / bare = %.3f (target >= 0.9), viewer / raw = %.3f, bare / raw = %.3f\n",
           c / b, c / a, b / a);
    fflush(stdout);

    double rss100 = 0, rssEnd = 0;
    ViewerRun(frames, memFrames, &rss100, &rssEnd);
    printf("resident memory of looped playback: %.1f MB after 100 frames, %.1f MB after %d frames:"
           " %+.2f MB (target < 5)\n", rss100, rssEnd, memFrames, rssEnd - rss100);
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
