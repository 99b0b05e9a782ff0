// imageproc.h - the image tools as the image windows' menus and the other
// subsystems reach them (not seen by user programs).
#ifndef NBX_IMAGEPROC_H
#define NBX_IMAGEPROC_H

#include "shell/nbx_internal.h"
#include "imageproc/imageproc_logic.h"
#include "imageproc/text_logic.h"

// The pen: the last point drawn, where polylines continue.
extern int nbx_penX, nbx_penY;

// The state a pick tool shares with the image window procedure: the image
// it waits on (-1 when none) and what the mouse did there, in image pixels.
struct PickState {
    int image;
    volatile int clicked, clickX, clickY, clickShift;
    volatile int moved, moveX, moveY;
    volatile int cancel;
};
extern PickState nbx_pick;

// A canvas over the current image with the pen; false when the current
// image is out of range or free. StoreCanvasPen puts the pen back.
bool CurrentCanvas(Canvas *c);
void StoreCanvasPen(const Canvas &c);

// Runs a drawing step on the current image with the pen and the shared text
// cursor, and stores both back; without a current image nothing happens.
template <class Draw>
void WithCanvasAndCursor(Draw draw)
{
    Canvas c;
    if (!CurrentCanvas(&c)) return;
    TextCursor cur = { nbx_fontCursorX, nbx_fontLineX, nbx_fontBaseY };
    draw(c, cur);
    nbx_fontCursorX = cur.x;
    nbx_fontLineX = cur.lineX;
    nbx_fontBaseY = cur.baseY;
    StoreCanvasPen(c);
}

// "Change": the colour dialog, owned by `owner`, sets the drawing colour
// and both text colours from its result.
void RunColorChangeCommand(HWND owner);
// The six test patterns on the current image (the palette of an 8-bit image
// becomes a grey ramp for kPatternGrey only).
void RunTestPattern(TestPattern pattern);
// Whole-image operations of image n. Invert and the flips keep the current
// image; rotations and rescales act on n, which callers make current first.
// Rotations and rescales return 0, or non-zero when the image could not be
// re-created at its new size; it then keeps its old size and pixels.
int  InvertImage(int n);
int  FlipImage(int n, bool horizontal);
int  RotateImage(int n, bool right);
int  RescaleImage(int n, int factor);

// The charts of the "Information..." menu, on the current image. ReadRow
// copies row y into w elements (words, or bytes for an 8-bit image; 0
// outside). PlotProfile draws one channel of n elements chosen by mode (see
// ProfileMode); the chroma plots draw the axes, labels and paths of a row
// or of a block of rows packed one after another.
void ReadRow(void *buffer, int y, int w);
void PlotProfile(const void *buffer, int x0, int n, int mode, DWORD color);
void PlotChromaLine(const DWORD *buffer, int n);
void PlotChromaArea(int rows, const DWORD *buffer, int columns);

// The line the text commands draw: prompts "Text>" in the text window and
// reads it, the current image (in range) staying current. False when Exit
// came while it waited or the image was closed; nothing is drawn then.
bool AskTextForImage(char line[256]);

#endif
