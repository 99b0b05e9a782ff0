// picktools_logic.h - the arithmetic of the click-driven tools: the frame
// that follows the mouse when a block is placed, the rubber-band circle's
// radius, the inverted feedback on a plain buffer, and the text of a pixel
// readout. No window handles here.
#ifndef NBX_PICKTOOLS_LOGIC_H
#define NBX_PICKTOOLS_LOGIC_H

#include "imageproc/imageproc_logic.h"

// The bw x bh frame centred on (mx, my); diagonals when both sides are 9 or
// more.
struct PickFrame {
    int left, top, right, bottom;
    bool diagonals;
};
PickFrame BlockFrame(int mx, int my, int bw, int bh);

// Radius through (dx, dy) from the centre, rounded half up.
int CircleRadius(int dx, int dy);

// What a tool inverts while it waits. One-point tools draw at (bx, by), the
// mouse; two-point tools between the first point (ax, ay) and (bx, by).
enum PickShape { kShapeNone, kShapeRow, kShapeColumn, kShapeBlock, kShapeBox, kShapeLine, kShapeCircle };
struct PickFeedback {
    PickShape shape;
    int ax, ay, bx, by;
    int bw, bh;          // block size (kShapeBlock)
};
// Inverts the feedback; a second call with the same values erases it. The
// canvas pen is moved as the primitives move it.
void InvertPickFeedback(Canvas &c, const PickFeedback &f);

// The lines the "Pixel" readout prints for value c at (x, y) of a 32-bit or
// 8-bit image. Returns the length.
int FormatPixelReadout(char *out, int outBytes, int x, int y, DWORD c, int bits);

// Clears the top byte of every 32-bit pixel in the w x h area at (x, y)
// (clipped to the canvas): blits from other bitmaps may bring one in.
void ClearTopBytes(Canvas &c, int x, int y, int w, int h);

#endif
