// imagetools_bench.cpp - what the image tools cost on a 1024 x 1024 32-bit
// image, beside the floor: a plain loop writing every pixel once, timed in
// the same run. Each figure is the best of several runs, in milliseconds,
// with its ratio to the floor. Run it under Xvfb (see bench/imagetools.cmake).
#include "nubrix.h"
#include "imageproc/imageproc.h"
#include <stdio.h>

static const int N = 1024;
static const int kRuns = 9;

static double Seconds()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return (double)c.QuadPart / (double)f.QuadPart;
}

// Best of kRuns, in ms; prepare runs untimed before each.
template <typename Prepare, typename Work>
static double Best(Prepare prepare, Work work)
{
    double best = 1e30;
    for (int run = 0; run < kRuns; run++) {
        prepare();
        double start = Seconds();
        work();
        double ms = (Seconds() - start) * 1000.0;
        if (ms < best) best = ms;
    }
    return best;
}

static void Report(const char *what, double ms, double floor)
{
    printf("%-28s %8.3f ms   %6.2f x floor\n", what, ms, ms / floor);
}

void UserInit(void) { nbx_start = 1; }

void UserMain(void)
{
    if (NBX_CreateImage(0, "bench", 0, 0, N, N, 50) != 0) {
        printf("NBX_CreateImage failed\n");
        ExitProcess(1);
    }
    DWORD *pixels = NBX_GetImagePixels(0);
    auto nothing = [] {};
    auto clear = [&] { for (int i = 0; i < N * N; i++) pixels[i] = 0; };

    static volatile DWORD base = 0x010203;
    double floor = Best(nothing, [&] {
        DWORD v = base;
        for (int i = 0; i < N * N; i++) pixels[i] = v + (DWORD)i;
    });
    printf("1024 x 1024, 32-bit, best of %d runs\n", kRuns);
    Report("floor: write every pixel", floor, floor);

    DWORD color = 0x112233;
    Report("FloodFill whole image", Best(clear, [&] {
        nbx_drawColor = color;
        FloodFill(N / 2, N / 2);
    }), floor);
    Report("FillCircle r = 500", Best(clear, [&] { FillCircle(N / 2, N / 2, 500); }), floor);

    const struct { const char *name; TestPattern pattern; } patterns[] = {
        { "pattern RGB", kPatternRgb }, { "pattern HSV", kPatternHsv }, { "pattern YCrCb", kPatternYCrCb },
        { "pattern Yuv", kPatternYuv }, { "pattern YIQ", kPatternYiq }, { "pattern Grey", kPatternGrey },
    };
    for (auto &p : patterns) Report(p.name, Best(nothing, [&] { RunTestPattern(p.pattern); }), floor);

    Report("Invert", Best(nothing, [&] { InvertImage(0); }), floor);
    Report("R. Rotate (with re-creation)", Best(nothing, [&] { RotateImage(0, true); }), floor);
    static DWORD packed[N * N];
    Canvas out = MakeCanvas(pixels, 32, N, N);
    Report("quarter turn of the pixels", Best(nothing, [&] {
        out.pixels = (unsigned char *)NBX_GetImagePixels(0);
        RotateInto(packed, N, N, true, out);
    }), floor);
    fflush(stdout);
    ExitProcess(0);
}
