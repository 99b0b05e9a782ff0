// shell_logic.h - the shell's arithmetic, kept free of window handles so it
// can be tested on plain values.
#ifndef NBX_SHELL_LOGIC_H
#define NBX_SHELL_LOGIC_H

#include <windows.h>

#define NBX_EDGE_MAX 260

// Rectangles every framework window snaps to, in screen coordinates.
struct EdgeTable {
    int count;
    int left[NBX_EDGE_MAX], top[NBX_EDGE_MAX], right[NBX_EDGE_MAX], bottom[NBX_EDGE_MAX];
};

void EdgeTableClear(EdgeTable *table);
// Adds one rectangle; ignored once the table is full.
void EdgeTableAdd(EdgeTable *table, int left, int top, int right, int bottom);
// The four walls around the work area of width w and height h.
void EdgeTableAddWalls(EdgeTable *table, int w, int h);
// Shifts `rect` (the proposed position of a window whose current rectangle
// is `current`) onto nearby edges of the table. Never changes its size.
void SnapRectToEdges(const EdgeTable *table, const RECT *current, RECT *rect);

// Status line: the text centred by leading blanks in a 64-byte buffer.
void FormatStatusText(const char *text, char out[64]);

// Milliseconds from `earlier` to `later` on the 32-bit clock, wrap-safe.
inline unsigned MsecElapsed(int later, int earlier)
{
    return (unsigned)later - (unsigned)earlier;
}

// The lowest number whose entry of open[0..count) is false; -1 when all are.
int LowestFreeNumber(const bool *open, int count);

// Offers image numbers *next, *next + 1, ... (below 256) to create(n) until
// it returns 0, and returns that number. Result 1 (number in use) moves on
// to the next number; other positive results move on only with
// retryAnyFailure; a negative one stops. *next ends past the last number
// offered, so files of one drop share it. -1 when nothing was created.
template <typename Create>
int CreateAtNextFree(int *next, bool retryAnyFailure, Create create)
{
    while (*next < 256) {
        int n = (*next)++;
        int result = create(n);
        if (result == 0) return n;
        if (result < 0 || (result != 1 && !retryAnyFailure)) return -1;
    }
    return -1;
}

// The offsets of the main window's drop animation (they add up to 55).
extern const int kDropOffsets[28];

#endif
