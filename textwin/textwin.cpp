// textwin.cpp - the table of text windows, their back buffers, printing with
// wrapping and scrolling, and the colour stacks.
//
// All drawing goes into the back buffer; painting only copies from it, so the
// content survives being covered without any redraw logic.
#include "textwin/textwin_internal.h"
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

TextWindow nbx_textWindows[256];
int nbx_curText;

static const DWORD kTextWindowStyle = 0x10CC0000;  // visible, caption, sysmenu, sizing

// ---------------------------------------------------------------- lookups

TextWindow *OpenTextRecord(int index)
{
    if (index < 0 || index > 255 || !nbx_textWindows[index].open) return NULL;
    return &nbx_textWindows[index];
}

int TextWindowIndex(HWND window)
{
    if (!window) return -1;
    for (int n = 0; n < 256; n++)
        if (nbx_textWindows[n].open && nbx_textWindows[n].window == window) return n;
    return -1;
}

HWND TextWindowHandle(int index)
{
    TextWindow *t = OpenTextRecord(index);
    return t ? t->window : NULL;
}

int CurrentTextWindow(void) { return nbx_curText; }

void ResetTextWindows(void)
{
    for (int n = 0; n < 256; n++) nbx_textWindows[n].open = 0;
    nbx_curText = 0;
    ResetLineInput();
}

// ----------------------------------------------------------- back buffer

static void ApplyColors(TextWindow *t)
{
    SetTextColor(t->bufferDC, RgbToColorRef(t->colors.text));
    SetBkColor(t->bufferDC, RgbToColorRef(t->colors.background));
}

// Window DC, buffer DC and a black back buffer of the record's size, with the
// black brush, the OEM fixed font and the current colours selected.
static void CreateBackBuffer(TextWindow *t)
{
    t->windowDC = GetDC(t->window);
    t->bufferDC = CreateCompatibleDC(t->windowDC);
    t->backBuffer = CreateCompatibleBitmap(t->windowDC, t->width, t->height);
    SelectObject(t->bufferDC, GetStockObject(BLACK_BRUSH));
    SelectObject(t->bufferDC, GetStockObject(OEM_FIXED_FONT));
    t->prevBitmap = SelectObject(t->bufferDC, t->backBuffer);
    ApplyColors(t);
}

static void ReleaseBackBuffer(TextWindow *t)
{
    SelectObject(t->bufferDC, t->prevBitmap);
    DeleteObject(t->backBuffer);
    DeleteDC(t->bufferDC);
    ReleaseDC(t->window, t->windowDC);
    t->bufferDC = NULL;
    t->windowDC = NULL;
    t->backBuffer = NULL;
}

void ScrollBackBuffer(TextWindow *t, int oldY)
{
    int newY = oldY - t->lineHeight;
    BitBlt(t->bufferDC, 0, 0, t->width, newY, t->bufferDC, 0, t->lineHeight, SRCCOPY);
    PatBlt(t->bufferDC, 0, newY, t->width, t->height - newY, PATCOPY);
}

void DrawTextCells(TextWindow *t, int x, int y, const WCHAR *text, int length)
{
    TextOutW(t->bufferDC, x, y, text, length);
}

void DrawCursorBar(TextWindow *t, int x, int y)
{
    RECT bar = CursorBarRect(x, y, t->cellWidth, t->lineHeight);
    // An opaque empty text fills with the background colour: use the text's.
    COLORREF back = SetBkColor(t->bufferDC, RgbToColorRef(t->colors.text));
    ExtTextOutW(t->bufferDC, 0, 0, ETO_OPAQUE, &bar, NULL, 0, NULL);
    SetBkColor(t->bufferDC, back);
}

void InvalidateCells(TextWindow *t, int x, int y, int cells)
{
    RECT r = { x, y, x + cells * t->cellWidth, y + t->lineHeight };
    InvalidateRect(t->window, &r, FALSE);
}

void ResizeBackBuffer(TextWindow *t, int width, int height)
{
    t->width = width;
    t->height = height;
    ReleaseBackBuffer(t);
    CreateBackBuffer(t);
    PatBlt(t->bufferDC, 0, 0, width, height, PATCOPY);
    t->cursorX = t->cursorY = 0;
    RebuildEdgeTable();
    InvalidateRect(t->window, NULL, FALSE);
}

void PaintFromBackBuffer(HWND window, TextWindow *t)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (t) {
        const RECT &r = ps.rcPaint;
        BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, t->bufferDC, r.left, r.top, SRCCOPY);
    }
    EndPaint(window, &ps);
}

// ------------------------------------------------------ opening and closing

int NBX_OpenTextWindow(int index, int x, int y, int width, int height)
{
    if (index < 0 || index > 255) return 1;
    TextWindow *t = &nbx_textWindows[index];
    if (t->open) {
        SetForegroundWindow(t->window);
        nbx_curText = index;
        return 1;
    }
    if (width < 0) width = 400;
    if (height < 0) height = 300;
    // Either coordinate negative: the system places the window.
    if (x < 0 || y < 0) x = y = CW_USEDEFAULT;
    t->width = width;
    t->height = height;
    nbx_curText = index;
    ColorStackInit(&t->colors, 0x000000, 0xFFFFFF);

    WCHAR caption[256];
    wsprintfW(caption, L"TextWindow %d", index);
    RECT frame = { 0, 0, width, height };
    AdjustWindowRectEx(&frame, kTextWindowStyle, FALSE, 0);
    // Messages sent during creation find no open record and touch nothing.
    t->window = CreateWindowExW(0, L"nbx_twi", caption, kTextWindowStyle, x, y,
                                frame.right - frame.left, frame.bottom - frame.top,
                                nbx_mainWindow, NULL, nbx_hInstance, NULL);
    CreateBackBuffer(t);
    t->cursorX = t->cursorY = 0;
    TEXTMETRICW metrics;
    GetTextMetricsW(t->bufferDC, &metrics);
    t->cellWidth = metrics.tmAveCharWidth;
    t->lineHeight = metrics.tmHeight;
    t->logState = 0;
    t->logFile = NULL;
    t->open = 1;
    RebuildEdgeTable();
    UpdateWindow(t->window);
    SetForegroundWindow(t->window);
    return 0;
}

int NBX_SelectTextWindow(int index)
{
    if (!OpenTextRecord(index)) return 1;
    nbx_curText = index;
    return 0;
}

int NBX_CloseTextWindow(int index)
{
    TextWindow *t = OpenTextRecord(index);
    if (!t) return 1;
    t->open = 0;
    if (nbx_curText == index) {
        for (int n = 0; n < 256; n++) {
            if (nbx_textWindows[n].open) {
                nbx_curText = n;
                break;
            }
        }
    }
    if (nbx_inputActive == index + 1) nbx_inputActive = 0;
    CloseLog(t);
    ReleaseBackBuffer(t);
    DestroyWindow(t->window);
    return 0;
}

void NBX_ShowTextWindow(void)
{
    TextWindow *t = OpenTextRecord(nbx_curText);
    if (t) {
        SetForegroundWindow(t->window);
        return;
    }
    NBX_OpenTextWindow(0, GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 200,
                       GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 150, 400, 300);
}

// -------------------------------------------------------------- printing

struct BufferSink {
    TextWindow *t;
    void Run(const WCHAR *start, int length, int x, int y) { DrawTextCells(t, x, y, start, length); }
    void Scroll(int oldY) { ScrollBackBuffer(t, oldY); }
};

static bool IsAnsiLeadByte(unsigned char b) { return IsDBCSLeadByte(b) != 0; }

void NBX_Printf(const char *format, ...)
{
    TextWindow *t = OpenTextRecord(nbx_curText);
    if (!t) return;
    char text[4096];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) length = 0;
    // A longer text is cut at 4095 bytes, never inside a double-byte character.
    if (length > 4095) length = AnsiCutLength(text, 4095, 4095, IsAnsiLeadByte);
    text[length] = 0;

    WCHAR wide[4097];
    int units = NbxAnsiToWide(text, wide, 4097);
    if (t->logState == 1) WriteLog(t, text, length);

    BufferSink sink = { t };
    TextLayout(GeomOf(t), wide, units, &t->cursorX, &t->cursorY, sink);
    // An empty text only pumps: a loop that prints "" to keep its windows
    // answering must not repaint the window each time.
    if (units > 0) InvalidateRect(t->window, NULL, FALSE);
    NBX_PumpMessages();
}

// ---------------------------------------------------------------- colours

void NBX_PushTextColor(DWORD background, DWORD text)
{
    TextWindow *t = OpenTextRecord(nbx_curText);
    if (!t) return;
    ColorStackPush(&t->colors, background, text);
    ApplyColors(t);
}

void NBX_PopTextColor(void)
{
    TextWindow *t = OpenTextRecord(nbx_curText);
    if (!t) return;
    ColorStackPop(&t->colors);
    ApplyColors(t);
}
