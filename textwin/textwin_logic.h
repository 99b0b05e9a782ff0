// textwin_logic.h - the text windows' arithmetic over plain values: line
// layout of printed text, scrolling, the colour stacks, the typed-character
// ring and the cursor moves of line input. Kept free of window handles so it
// can be tested directly.
#ifndef NBX_TEXTWIN_LOGIC_H
#define NBX_TEXTWIN_LOGIC_H

#include <windows.h>

// The pixel geometry a text window lays text out in.
struct TextGeom {
    int width, height;        // client (and back buffer) size
    int cellWidth, lineHeight;
};

// Cells a UTF-16 unit takes: everything from 0x80 up is drawn double width.
inline int TextCells(WCHAR c) { return c >= 0x80 ? 2 : 1; }

// Moves to the start of the next line. True when the new line would not fit
// above the bottom edge: the caller must scroll the content up one line; y is
// then already back on the last usable line.
inline bool TextNextLine(const TextGeom &g, int *x, int *y)
{
    *x = 0;
    *y += g.lineHeight;
    if (*y + g.lineHeight < g.height) return false;
    *y -= g.lineHeight;
    return true;
}

// Lays out one printed text. `sink` receives
//   sink.Run(const WCHAR *start, int length, int x, int y)  - one run to draw
//   sink.Scroll(int oldY)   - scroll up one line; oldY is the line position
//                             that did not fit (the block to move ends there)
// A line feed ends a line; every other unit, control characters included, is
// drawn as one or two cells, wrapping before a unit that would pass the edge.
template <typename Sink>
void TextLayout(const TextGeom &g, const WCHAR *text, int length, int *cursorX, int *cursorY, Sink &sink)
{
    const WCHAR *run = text;
    int runLength = 0;
    int runningX = *cursorX;
    auto newLine = [&]() {
        if (runLength) sink.Run(run, runLength, *cursorX, *cursorY);
        runLength = 0;
        int x = *cursorX, y = *cursorY;
        if (TextNextLine(g, &x, &y)) sink.Scroll(y + g.lineHeight);
        *cursorX = x;
        *cursorY = y;
        runningX = 0;
    };
    for (int i = 0; i < length; i++) {
        WCHAR c = text[i];
        if (c == 0x000A) {
            newLine();
            run = text + i + 1;
            continue;
        }
        int advance = TextCells(c) * g.cellWidth;
        if (runningX + advance > g.width) {
            newLine();
            run = text + i;
        }
        runLength++;
        runningX += advance;
    }
    if (runLength) {
        sink.Run(run, runLength, *cursorX, *cursorY);
        *cursorX = runningX;
    }
}

// The 8-deep colour stacks of a text window (0x00RRGGBB values).
struct ColorStack {
    DWORD text, background;
    DWORD textStack[8];
    DWORD backStack[8];
};

inline void ColorStackInit(ColorStack *s, DWORD background, DWORD text)
{
    s->text = text;
    s->background = background;
    for (int n = 0; n < 8; n++) {
        s->textStack[n] = text;
        s->backStack[n] = background;
    }
}

// The deepest entry falls off when more than eight pushes are outstanding.
inline void ColorStackPush(ColorStack *s, DWORD background, DWORD text)
{
    for (int n = 7; n >= 1; n--) {
        s->textStack[n] = s->textStack[n - 1];
        s->backStack[n] = s->backStack[n - 1];
    }
    s->textStack[0] = s->text;
    s->backStack[0] = s->background;
    s->text = text;
    s->background = background;
}

// The deepest entry stays, so extra pops keep yielding it.
inline void ColorStackPop(ColorStack *s)
{
    s->text = s->textStack[0];
    s->background = s->backStack[0];
    for (int n = 0; n < 7; n++) {
        s->textStack[n] = s->textStack[n + 1];
        s->backStack[n] = s->backStack[n + 1];
    }
}

// 0x00RRGGBB -> the device context's 0x00BBGGRR.
inline COLORREF RgbToColorRef(DWORD rgb)
{
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

// The ring of typed UTF-16 units shared by all text windows. read is -1 while
// the ring is empty; read == write means full.
struct TypedRing {
    WCHAR unit[256];
    int write;
    int read;
};

inline void TypedRingClear(volatile TypedRing *r)
{
    r->write = 0;
    r->read = -1;
}

// False when the ring is full and c was dropped.
inline bool TypedRingAppend(volatile TypedRing *r, WCHAR c)
{
    int w = r->write;
    if (r->read == w) return false;
    r->unit[w] = c;
    if (r->read == -1) r->read = w;
    r->write = (w + 1) & 255;
    return true;
}

// 0 when the ring is empty.
inline WCHAR TypedRingTake(volatile TypedRing *r)
{
    int at = r->read;
    if (at == -1) return 0;
    WCHAR c = r->unit[at];
    at = (at + 1) & 255;
    r->read = at == r->write ? -1 : at;
    return c;
}

// Cursor of a running line input. breakX[k] is where the screen line ended
// before the k-th line break the input took. A two-cell unit can take a break
// before and one after itself in a window narrower than three cells, so there
// is room for two breaks per typed unit.
#define NBX_INPUT_MAX 255
struct InputCursor {
    int x, y;
    int breaks;
    int breakX[2 * NBX_INPUT_MAX + 2];
};

// A two-cell unit that would pass the right edge starts a new line first.
inline bool InputBreaksBefore(const TextGeom &g, int x, int cells)
{
    return cells == 2 && x + 2 * g.cellWidth > g.width;
}

// After echoing a unit: false when the cursor cell still fits on the line.
inline bool InputBreaksAfter(const TextGeom &g, int x, int cells)
{
    return x + cells * g.cellWidth > g.width - g.cellWidth;
}

// Takes a line break remembering where the screen line ended; the caller
// scrolls when TextNextLine says so.
inline bool InputTakeBreak(const TextGeom &g, InputCursor *c, int endX)
{
    if (c->breaks < (int)(sizeof c->breakX / sizeof c->breakX[0])) c->breakX[c->breaks++] = endX;
    int x = c->x, y = c->y;
    bool scroll = TextNextLine(g, &x, &y);
    c->x = x;
    c->y = y;
    return scroll;
}

// Backspace over a unit of `cells` cells: the cursor steps back over it, to
// the end of the previous screen line when it stands at the start of a
// continuation line.
inline void InputBackStep(const TextGeom &g, InputCursor *c, int cells)
{
    if (c->breaks > 0 && c->x == 0) {
        c->x = c->breakX[--c->breaks];
        c->y -= g.lineHeight;
    } else {
        c->x -= cells * g.cellWidth;
    }
}

// After erasing a two-cell unit: when it had been moved whole to a new line,
// go back to where the cursor stood before that break.
inline void InputBackOverWideBreak(const TextGeom &g, InputCursor *c)
{
    if (c->breaks > 0 && c->x == 0 && c->breakX[c->breaks - 1] >= g.width) {
        c->x = c->breakX[--c->breaks] - 2 * g.cellWidth;
        c->y -= g.lineHeight;
    }
}

// The line-input cursor: an underscore-like bar along the bottom of the
// cell at (x, y), drawn as a rectangle so that it stays inside the cell for
// any font (a font's "_" glyph may lie below its own cell).
inline RECT CursorBarRect(int x, int y, int cellWidth, int lineHeight)
{
    int thick = lineHeight >= 12 ? 2 : 1;
    int bottom = y + lineHeight - (lineHeight > thick + 1 ? 1 : 0);
    RECT r = { x, bottom - thick, x + cellWidth, bottom };
    return r;
}

// Length of the first `length` bytes of an ANSI text cut to at most `max`
// bytes without splitting a double-byte character. isLead tells lead bytes.
template <typename IsLead>
int AnsiCutLength(const char *text, int length, int max, IsLead isLead)
{
    if (length > max) length = max;
    int i = 0;
    while (i < length) {
        int step = isLead((unsigned char)text[i]) ? 2 : 1;
        if (i + step > length) break;
        i += step;
    }
    return i;
}

// Text-mode line ends: every line feed written as CR LF. Returns the bytes
// written to out (room for 2 * length bytes).
inline int ToCrLf(const char *text, int length, char *out)
{
    int n = 0;
    for (int i = 0; i < length; i++) {
        if (text[i] == '\n') out[n++] = '\r';
        out[n++] = text[i];
    }
    return n;
}

#endif
