// text_bench.cpp - what NBX_Printf costs over plain GDI text output.
//
// 10,000 lines of 40 characters into a 400 x 300 text window (every line
// past the first screenful scrolls), beside the same count of bare calls on
// a plain window of the same size in the same run: TextOutW to the window,
// a scroll of the window content when the line does not fit, an
// InvalidateRect and a message pump (NBX_Printf pumps too). Two rounds each,
// alternating, so drift of the machine hits both alike. Run it under Xvfb
// (see bench/textwin.cmake).
#include "nubrix.h"
#include <stdio.h>

static const int kLines = 10000;
static const int kRounds = 2;

static double Seconds()
{
    LARGE_INTEGER c, f;
    QueryPerformanceCounter(&c);
    QueryPerformanceFrequency(&f);
    return (double)c.QuadPart / (double)f.QuadPart;
}

static LRESULT CALLBACK BareProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_PAINT) {
        PAINTSTRUCT ps;
        BeginPaint(w, &ps);
        EndPaint(w, &ps);
        return 0;
    }
    return DefWindowProcW(w, m, wp, lp);
}

struct Bare {
    HWND window;
    HDC dc;
    int lineHeight;
};

static void OpenBare(Bare *b)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = BareProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"text_bench_bare";
    wc.style = CS_OWNDC;
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    RegisterClassW(&wc);
    const DWORD style = 0x10CC0000;
    RECT r = { 0, 0, 400, 300 };
    AdjustWindowRect(&r, style, FALSE);
    b->window = CreateWindowExW(0, L"text_bench_bare", L"bare", style, 420, 0,
                                r.right - r.left, r.bottom - r.top, nbx_mainWindow, NULL, wc.hInstance, NULL);
    b->dc = GetDC(b->window);
    SelectObject(b->dc, GetStockObject(OEM_FIXED_FONT));
    SelectObject(b->dc, GetStockObject(BLACK_BRUSH));
    SetTextColor(b->dc, RGB(255, 255, 255));
    SetBkColor(b->dc, RGB(0, 0, 0));
    TEXTMETRICW tm;
    GetTextMetricsW(b->dc, &tm);
    b->lineHeight = tm.tmHeight;
}

static void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

static char line[41];
static WCHAR wline[41];

static double RunFramework()
{
    double start = Seconds();
    for (int i = 0; i < kLines; i++) NBX_Printf("%s\n", line);
    GdiFlush();
    return kLines / (Seconds() - start);
}

static double RunBare(Bare *b)
{
    const int h = 300, lh = b->lineHeight;
    int y = 0;
    double start = Seconds();
    for (int i = 0; i < kLines; i++) {
        TextOutW(b->dc, 0, y, wline, 40);
        y += lh;
        if (y + lh >= h) {
            BitBlt(b->dc, 0, 0, 400, y - lh, b->dc, 0, lh, SRCCOPY);
            y -= lh;
            PatBlt(b->dc, 0, y, 400, h - y, PATCOPY);
        }
        InvalidateRect(b->window, NULL, FALSE);
        Pump();
    }
    GdiFlush();
    return kLines / (Seconds() - start);
}

void UserInit(void) { nbx_start = 1; }

void UserMain(void)
{
    for (int i = 0; i < 40; i++) line[i] = wline[i] = (char)('A' + i % 26);
    NBX_OpenTextWindow(0, 0, 0, 400, 300);
    Bare bare;
    OpenBare(&bare);
    NBX_PumpMessages();
    double framework = 0, plain = 0;
    for (int round = 0; round < kRounds; round++) {
        framework += RunFramework();
        plain += RunBare(&bare);
    }
    framework /= kRounds;
    plain /= kRounds;
    printf("400 x 300 text window, %d lines of 40 characters, %d rounds\n", kLines, kRounds);
    printf("NBX_Printf             %9.1f lines/s\n", framework);
    printf("TextOutW+scroll+inval  %9.1f lines/s\n", plain);
    printf("ratio                  %9.3f\n", framework / plain);
    fflush(stdout);
    ExitProcess(0);
}
