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
#include "viewer_driver.h"
#include "viewer/video_source.h"
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
    BITMAPINFO info;
    ZeroMemory(&info, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, NULL, 0);
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

static DWORD WINAPI BenchMain(LPVOID)
{
    nbxt::WaitFor([] { return vt::OpenDialog() != NULL; }, 30000);
    const int n = vt::kSampleFrames;
    int frames = getenv("NBX_BENCH_FRAMES") ? atoi(getenv("NBX_BENCH_FRAMES")) : 2000;
    printf("viewer benchmark: sample.avi 640 x 480 MJPEG, %d frames per loop\n", frames);

    double raw = RawDecode(frames);
    printf("(a) raw decode loop:                  %8.1f frames/s\n", raw);
    double bare = BareLoop(frames);
    printf("(b) decode + convert + BitBlt loop:   %8.1f frames/s\n", bare);

    if (!vt::ChooseFile("sample.avi")) {
        printf("the viewer's dialog did not take the file\n");
        ExitProcess(2);
    }
    FrameCounter counter(n);
    nbxt::WaitFor([] { return nbx_images[0].inUse != 0; }, 10000);
    while (counter.total < 100) { counter.Sample(); Sleep(1); }
    double rss100 = ResidentMB();
    long long startFrames = counter.total;
    double t0 = Seconds();
    int memFrames = getenv("NBX_BENCH_MEMFRAMES") ? atoi(getenv("NBX_BENCH_MEMFRAMES")) : 10000;
    double measured = -1;
    while (counter.total < memFrames) {
        counter.Sample();
        if (measured < 0 && counter.total - startFrames >= frames)
            measured = (counter.total - startFrames) / (Seconds() - t0);
        Sleep(2);
    }
    double rssEnd = ResidentMB();
    if (measured < 0) measured = (counter.total - startFrames) / (Seconds() - t0);
    printf("(c) the viewer's own loop:            %8.1f frames/s\n", measured);
    printf("ratios: viewer / bare = %.3f (target >= 0.9), viewer / raw = %.3f, bare / raw = %.3f\n",
           measured / bare, measured / raw, bare / raw);
    printf("resident memory: %.1f MB after 100 frames, %.1f MB after %lld frames: %+.2f MB (target < 5)\n",
           rss100, rssEnd, counter.total, rssEnd - rss100);
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
