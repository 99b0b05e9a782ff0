// image_bench.cpp - what NBX_DrawImage costs over a bare GDI copy.
//
// A 640 x 480 32-bit image window against a bare window of the same style
// with its own 640 x 480 top-down DIB section, in one run: calls per second
// of NBX_DrawImage at 100 % (BitBlt), 200 % and 50 % (COLORONCOLOR)
// beside a bare BitBlt / StretchBlt of the same size, and the ratios.
// Rounds alternate between the two so drift of the machine hits both alike.
// Run it under Xvfb (see bench/imagewin.cmake).
#include "nubrix.h"
#include "dib32.h"
#include <stdio.h>
#include <stdlib.h>

static const int W = 640, H = 480;
static const double kRoundSeconds = 1.0;
static const int kRounds = 5;

static double Seconds()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return (double)c.QuadPart / (double)f.QuadPart;
}

struct Bare {
    HWND window;
    HDC windowDC, memDC;
    HBITMAP section;
    DWORD *pixels;
};

static LRESULT CALLBACK BareProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    return DefWindowProcW(w, m, wp, lp);
}

static void OpenBare(Bare *b, int zoom)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"image_bench_bare";
    wc.style = CS_OWNDC;
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    RegisterClassW(&wc);
    const DWORD style = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    RECT r = { 0, 0, W * zoom / 100, H * zoom / 100 };
    AdjustWindowRect(&r, style, FALSE);
    b->window = CreateWindowExW(0, L"image_bench_bare", L"bare", style, 0, 0,
                                r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    b->windowDC = GetDC(b->window);
    SetStretchBltMode(b->windowDC, COLORONCOLOR);
    b->memDC = CreateCompatibleDC(b->windowDC);
    void *bits;
    b->section = CreateTopDownDib32(b->windowDC, W, H, &bits);
    b->pixels = (DWORD *)bits;
    SelectObject(b->memDC, b->section);
}

static void CloseBare(Bare *b)
{
    DeleteDC(b->memDC);
    DeleteObject(b->section);
    ReleaseDC(b->window, b->windowDC);
    DestroyWindow(b->window);
}

static void Fill(DWORD *pixels)
{
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) pixels[y * W + x] = (DWORD)((x & 0xFF) << 16 | (y & 0xFF) << 8 | 0x40);
}

static void OnTop(HWND top, HWND other)
{
    SetWindowPos(other, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(top, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE);
    NBX_PumpMessages();
}

template <typename Draw>
static double Round(Draw draw)
{
    long calls = 0;
    double start = Seconds(), now;
    do {
        for (int i = 0; i < 20; i++) draw();
        calls += 20;
        now = Seconds();
    } while (now - start < kRoundSeconds);
    GdiFlush();
    return calls / (Seconds() - start);
}

static void Compare(int zoom)
{
    Bare bare;
    OpenBare(&bare, zoom);
    Fill(bare.pixels);
    int result = NBX_CreateImage(0, "NUBRIX window", 0, 0, W, H, zoom);
    if (result != 0 || nbx_images[0].zoom != zoom) {
        printf("NBX_CreateImage at %d %%: result %d\n", zoom, result);
        ExitProcess(1);
    }
    Fill(NBX_GetImagePixels(0));
    HWND image = nbx_images[0].window;
    const int dw = W * zoom / 100, dh = H * zoom / 100;
    double framework = 0, plain = 0;
    for (int round = 0; round < kRounds; round++) {
        OnTop(image, bare.window);
        framework += Round([] { NBX_DrawImage(0); });
        OnTop(bare.window, image);
        if (zoom == 100)
            plain += Round([&] { BitBlt(bare.windowDC, 0, 0, W, H, bare.memDC, 0, 0, SRCCOPY); });
        else
            plain += Round([&] { StretchBlt(bare.windowDC, 0, 0, dw, dh, bare.memDC, 0, 0, W, H, SRCCOPY); });
    }
    framework /= kRounds;
    plain /= kRounds;
    printf("%3d %%  NBX_DrawImage %9.1f calls/s   bare %-10s %9.1f calls/s   ratio %.3f\n",
           zoom, framework, zoom == 100 ? "BitBlt" : "StretchBlt", plain, framework / plain);
    CloseBare(&bare);
    NBX_DestroyImage(0);
}

void UserInit(void) { nbx_start = 1; }

void UserMain(void)
{
    printf("640 x 480, 32-bit, %d rounds of %.1f s each per path\n", kRounds, kRoundSeconds);
    Compare(100);
    Compare(200);
    Compare(50);
    fflush(stdout);
    ExitProcess(0);
}
