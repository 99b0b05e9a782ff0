// imageproc_logic.h - the image tools' arithmetic on plain buffers: pixel
// stores with the pen, lines, boxes, circles, the flood fill, colour
// conversions, test patterns and quarter turns. No window handles here, so
// all of it is tested directly.
#ifndef NBX_IMAGEPROC_LOGIC_H
#define NBX_IMAGEPROC_LOGIC_H

#include "nubrix.h"
#include <stddef.h>

// A pixel buffer with the framework's layout (32-bit words of 0x00RRGGBB, or
// 8-bit palette indexes in rows padded to 4 bytes) and the pen of whoever
// draws into it.
struct Canvas {
    unsigned char *pixels;
    int bits;               // 32 or 8
    int width, height;
    int stride;             // bytes per row
    int penX, penY;
};

// A canvas over a buffer; the stride follows from bits and width.
Canvas MakeCanvas(void *pixels, int bits, int width, int height);

// Negative positions count as outside: compared as unsigned numbers.
inline bool CanvasInside(const Canvas &c, int x, int y)
{
    return (unsigned)x < (unsigned)c.width && (unsigned)y < (unsigned)c.height;
}

inline void CanvasStore(Canvas &c, int x, int y, DWORD value)
{
    if (!CanvasInside(c, x, y)) return;
    unsigned char *row = c.pixels + (size_t)y * c.stride;
    if (c.bits == 32) ((DWORD *)row)[x] = value;
    else row[x] = (unsigned char)value;
}

inline void CanvasInvert(Canvas &c, int x, int y)
{
    if (!CanvasInside(c, x, y)) return;
    unsigned char *row = c.pixels + (size_t)y * c.stride;
    if (c.bits == 32) ((DWORD *)row)[x] ^= 0xFFFFFF;
    else row[x] = (unsigned char)~row[x];
}

// The stored value (an 8-bit image gives its index); 0 outside.
inline DWORD CanvasRead(const Canvas &c, int x, int y)
{
    if (!CanvasInside(c, x, y)) return 0;
    const unsigned char *row = c.pixels + (size_t)y * c.stride;
    return c.bits == 32 ? ((const DWORD *)row)[x] : row[x];
}

// How a value lands in the buffer: the whole word, or its low byte.
inline DWORD StoredForm(const Canvas &c, DWORD value) { return c.bits == 32 ? value : (value & 0xFF); }

// The primitives. Each moves the pen as the drawing tools expect: a pixel
// to its position (inside or not), a line to its requested end point.
void CanvasPutPixel(Canvas &c, int x, int y, DWORD value);
void CanvasXorPixel(Canvas &c, int x, int y);
void CanvasDrawLine(Canvas &c, DWORD color, int x1, int y1, int x2, int y2);
void CanvasXorLine(Canvas &c, int x1, int y1, int x2, int y2);
void CanvasDrawBox(Canvas &c, DWORD color, int x1, int y1, int x2, int y2);
void CanvasFillBox(Canvas &c, DWORD color, int x1, int y1, int x2, int y2);
void CanvasXorFillBox(Canvas &c, int x1, int y1, int x2, int y2);
void CanvasXorBox(Canvas &c, int x1, int y1, int x2, int y2);
void CanvasDrawCircle(Canvas &c, DWORD color, int cx, int cy, int r);
void CanvasXorCircle(Canvas &c, int cx, int cy, int r);
void CanvasFillCircle(Canvas &c, DWORD color, int cx, int cy, int r);
void CanvasXorFillCircle(Canvas &c, int cx, int cy, int r);

// Fills the 4-connected region of the seed's value with color. The seed
// stack is bounded; when it runs full the fill goes on with passes over the
// image that restart from the region's unfilled edge, so the whole region is
// always filled. Returns the number of passes that were needed (0 when the
// stack sufficed), or -1 when nothing was to be done.
int CanvasFloodFill(Canvas &c, DWORD color, int x, int y);
enum { kFloodSeeds = 4000 };

// Colour arithmetic (RgbToHsv, HsvToRgb, RgbToY ... RgbToQ) is part of the
// public header, included above.

// The generated pictures of the "Test Pattern..." menu. Each overwrites the
// whole canvas (8-bit canvases take the low byte) and leaves the pen at the
// bottom-right pixel, as writing them pixel by pixel would.
enum TestPattern { kPatternRgb, kPatternHsv, kPatternYCrCb, kPatternYuv, kPatternYiq, kPatternGrey };
void CanvasTestPattern(Canvas &c, TestPattern pattern);
// One radial pattern value (YCrCb, Yuv or YIQ) for column and row chroma.
DWORD RadialPatternValue(TestPattern pattern, int a, int b);

// Quarter turns of a packed w x h source (w words or bytes per row) into a
// canvas of h x w.
void RotateInto(const void *packed, int w, int h, bool right, Canvas &out);

// A side after rescaling by factor thousandths, rounded half up.
int RescaledSide(int side, int factor);

#endif
