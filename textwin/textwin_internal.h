// textwin_internal.h - what the files of the text windows share.
#ifndef NBX_TEXTWIN_INTERNAL_H
#define NBX_TEXTWIN_INTERNAL_H

#include "shell/nbx_internal.h"
#include "textwin/textwin_logic.h"

struct TextWindow {
    int open;
    int width, height;
    int cursorX, cursorY;
    int cellWidth, lineHeight;
    ColorStack colors;
    HWND window;
    HDC bufferDC;
    HDC windowDC;
    HBITMAP backBuffer;
    HGDIOBJ prevBitmap;
    int logState;            // 0 off, 1 logging, 2 paused
    HANDLE logFile;          // open while logState is not 0
};

extern TextWindow nbx_textWindows[256];
extern int nbx_curText;

// The record of an open window, NULL otherwise.
TextWindow *OpenTextRecord(int index);
inline TextGeom GeomOf(const TextWindow *t)
{
    TextGeom g = { t->width, t->height, t->cellWidth, t->lineHeight };
    return g;
}
// Number of the open window with this handle, -1 when none.
int TextWindowIndex(HWND window);

// Scrolls the back buffer up one line; oldY is the line that did not fit.
void ScrollBackBuffer(TextWindow *t, int oldY);
// Draws text into the back buffer at (x, y) in the current colours.
void DrawTextCells(TextWindow *t, int x, int y, const WCHAR *text, int length);
void InvalidateCells(TextWindow *t, int x, int y, int cells);
// The line-input cursor's bar in the cell at (x, y), in the text colour.
void DrawCursorBar(TextWindow *t, int x, int y);
void ResizeBackBuffer(TextWindow *t, int width, int height);
void PaintFromBackBuffer(HWND window, TextWindow *t);

// Line input.
extern volatile int nbx_inputRequest;     // 0 none, 1 recall, 2 paste
bool AppendTypedUnit(WCHAR c);            // false when the ring was full
void ResetLineInput(void);

// The right-click menu of window index, with its check marks.
HMENU BuildTextWindowMenu(int index);

// The window report of the current text window, with the layout source
// put on the clipboard.
void PrintWindowReport(void);

// Logs.
void WriteLog(TextWindow *t, const char *text, int length);
void CloseLog(TextWindow *t);

#endif
