// textinput.cpp - line input: typed characters arrive through the text window
// procedure into a ring shared by all text windows; NBX_InputText takes them
// one by one while pumping, echoes them with a blinking cursor and handles
// Backspace, Up-arrow recall and Ctrl+V paste.
#include "textwin/textwin_internal.h"
#include "shell/shell_logic.h"
#include <stdio.h>
#include <string.h>

volatile int nbx_inputActive;
volatile int nbx_inputRequest;

static volatile TypedRing typed;
static WCHAR lastLine[NBX_INPUT_MAX + 1];

void ResetLineInput(void)
{
    TypedRingClear(&typed);
    lastLine[0] = 0;
    nbx_inputRequest = 0;
}

bool AppendTypedUnit(WCHAR c) { return TypedRingAppend(&typed, c); }

// --------------------------------------------------------------- requests

static void RecallLastLine(void)
{
    HWND target = TextWindowHandle(nbx_curText);
    if (!target) return;
    // Through the window procedure, as if typed, after what is already there.
    for (int i = 0; lastLine[i]; i++) SendMessageW(target, WM_CHAR, lastLine[i], 0);
}

static void PasteFirstClipboardLine(void)
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(NULL)) return;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    const WCHAR *text = data ? (const WCHAR *)GlobalLock(data) : NULL;
    if (text) {
        for (int i = 0; text[i] && text[i] != '\n' && text[i] != '\r'; i++)
            if (!AppendTypedUnit(text[i])) break;
        GlobalUnlock(data);
    }
    CloseClipboard();
}

static void ServeRequest(void)
{
    int request = nbx_inputRequest;
    if (!request) return;
    if (request == 1) RecallLastLine();
    else if (request == 2) PasteFirstClipboardLine();
    nbx_inputRequest = 0;
}

// ------------------------------------------------------------- the editor

struct LineEditor {
    TextWindow *t;
    TextGeom g;
    InputCursor cursor;
    WCHAR line[NBX_INPUT_MAX + 1];
    int typed;
    bool blinkOn;
    bool redraw;
    int lastBlink;
};

// Cursor position lives in the window record so that printing afterwards
// continues where the input ended.
static void LoadCursor(LineEditor *e) { e->cursor.x = e->t->cursorX; e->cursor.y = e->t->cursorY; }
static void StoreCursor(LineEditor *e) { e->t->cursorX = e->cursor.x; e->t->cursorY = e->cursor.y; }

static void DrawCell(LineEditor *e, WCHAR c, int cells)
{
    DrawTextCells(e->t, e->cursor.x, e->cursor.y, &c, 1);
    InvalidateCells(e->t, e->cursor.x, e->cursor.y, cells);
}

// A blank cell, with the bar on it while the blink phase is on.
static void DrawCursor(LineEditor *e)
{
    WCHAR blank = L' ';
    DrawTextCells(e->t, e->cursor.x, e->cursor.y, &blank, 1);
    if (e->blinkOn) DrawCursorBar(e->t, e->cursor.x, e->cursor.y);
    InvalidateCells(e->t, e->cursor.x, e->cursor.y, 1);
}

// A line break taken by the input, scrolling the window when needed.
static void TakeBreak(LineEditor *e, int endX)
{
    if (InputTakeBreak(e->g, &e->cursor, endX)) {
        ScrollBackBuffer(e->t, e->cursor.y + e->g.lineHeight);
        InvalidateRect(e->t->window, NULL, FALSE);
    }
    StoreCursor(e);
}

static void Backspace(LineEditor *e)
{
    if (e->typed == 0) return;
    DrawCell(e, L' ', 1);
    WCHAR removed = e->line[--e->typed];
    int cells = TextCells(removed);
    InputBackStep(e->g, &e->cursor, cells);
    if (cells == 2) {
        DrawCell(e, 0x3000, 2);   // ideographic space: two blank cells
        InputBackOverWideBreak(e->g, &e->cursor);
    }
    StoreCursor(e);
}

static void TypeUnit(LineEditor *e, WCHAR c)
{
    if (e->typed >= NBX_INPUT_MAX) return;
    int cells = TextCells(c);
    if (InputBreaksBefore(e->g, e->cursor.x, cells)) {
        DrawCell(e, L' ', 1);
        TakeBreak(e, e->cursor.x + 2 * e->g.cellWidth);
    }
    DrawCell(e, c, cells);
    if (InputBreaksAfter(e->g, e->cursor.x, cells)) TakeBreak(e, e->cursor.x);
    else e->cursor.x += cells * e->g.cellWidth;
    StoreCursor(e);
    e->line[e->typed++] = c;
    DrawCursor(e);
}

static void ShowColorDepthStatus(void)
{
    char depth[16];
    snprintf(depth, sizeof depth, "%d-bit color", nbx_colorDepth);
    SetStatusText(depth);
}

static void Finish(LineEditor *e, char *buffer)
{
    nbx_inputActive = 0;
    LoadCursor(e);
    DrawCell(e, L' ', 1);
    if (TextNextLine(e->g, &e->cursor.x, &e->cursor.y)) {
        ScrollBackBuffer(e->t, e->cursor.y + e->g.lineHeight);
        InvalidateRect(e->t->window, NULL, FALSE);
    }
    StoreCursor(e);

    e->line[e->typed] = 0;
    memcpy(lastLine, e->line, (e->typed + 1) * sizeof(WCHAR));
    // A line too long for 255 bytes is cut at a character boundary.
    NbxWideToAnsi(e->line, buffer, 256);
    if (e->t->logState == 1) {
        WriteLog(e->t, buffer, (int)strlen(buffer));
        WriteLog(e->t, "\n", 1);
    }
    ShowColorDepthStatus();
}

void NBX_InputText(char *buffer)
{
    int index = nbx_curText;
    TextWindow *t = OpenTextRecord(index);
    if (!t || !buffer) return;
    SetForegroundWindow(t->window);
    buffer[0] = 0;
    SetStatusText("Input text");

    LineEditor e;
    e.t = t;
    e.g = GeomOf(t);
    e.typed = 0;
    e.cursor.breaks = 0;
    LoadCursor(&e);
    e.lastBlink = GetMsec();
    nbx_inputActive = index + 1;
    e.blinkOn = true;
    e.redraw = true;

    for (;;) {
        NBX_PumpMessages();
        WCHAR c = TypedRingTake(&typed);
        if (c == 0x09) c = 0x20;
        if (c == 0x0D) {
            if (nbx_inputActive) {
                Finish(&e, buffer);
                return;
            }
        }
        ServeRequest();
        // Exit cancels by clearing the marker; an input that began just after
        // Exit had cleared it sees the quit request instead.
        if (!nbx_inputActive || nbx_quit) break;
        // The window may have been resized meanwhile (which also moved the cursor).
        e.g = GeomOf(t);
        LoadCursor(&e);
        if (c == 0x08) Backspace(&e);
        else if (c) TypeUnit(&e, c);
        if ((c == 0 || c == 0x08) && e.redraw) {
            DrawCursor(&e);
            e.redraw = false;
        }
        if (MsecElapsed(GetMsec(), e.lastBlink) > 200) {
            e.blinkOn = !e.blinkOn;
            e.redraw = true;
            e.lastBlink = GetMsec();
        }
    }
    nbx_inputActive = 0;
    ShowColorDepthStatus();
}
