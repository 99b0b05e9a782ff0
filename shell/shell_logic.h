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

// The offsets of the main window's drop animation (they add up to 55).
extern const int kDropOffsets[28];

#endif
