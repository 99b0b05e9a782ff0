// imagewin_logic.h - the image windows' arithmetic on plain values: window
// limits, zoom fitting, zoom steps, buffer layout, the current-image history,
// area reads and captions. No window handles here, so it is tested directly.
#ifndef NBX_IMAGEWIN_LOGIC_H
#define NBX_IMAGEWIN_LOGIC_H

#include <windows.h>

// Smallest and largest client area an image window may have.
struct ImageLimits {
    int minWidth, minHeight, maxWidth, maxHeight;
};

// The system metrics the limits are made of.
struct ImageMetrics {
    int cxMin, cyMin, cxFrame, cyCaption, cxScreen, cyScreen;
};

// Mode 1: the screen; mode 0: 1 x 1 up to twice the screen. Any other mode
// leaves `limits` as it was.
void LimitsForMode(int mode, const ImageMetrics &m, ImageLimits *limits);

// Fits `zoom` for a width x height image: a zoom that fits is kept, one too
// large is reduced (keeping the aspect ratio), one too small is raised to the
// least that reaches the minimum size. Where that least zoom no longer fits
// the maximum, the largest zoom that fits is taken and the display size is
// raised to the minimum around the smaller picture (ZoomedSide of each side).
// False when no zoom shows at least one pixel each way within the maximum.
bool FitZoom(int zoom, int width, int height, const ImageLimits &limits,
             int *effZoom, int *dispWidth, int *dispHeight);

// Keyboard / wheel zoom steps: 100 -> 111 -> 123 and 100 -> 90 -> 81.
inline int ZoomStepIn(int zoom) { return (10 * zoom + 4) / 9; }
inline int ZoomStepOut(int zoom) { return (9 * zoom + 5) / 10; }

// Row stride in bytes of a pixel buffer, and its whole size.
inline int ImageStride(int bits, int width) { return bits == 8 ? (width + 3) & ~3 : width * 4; }
inline size_t ImageBytes(int bits, int width, int height)
{
    return (size_t)ImageStride(bits, width) * (size_t)height;
}

// Whether a width x height buffer can be shown: the platform's stretched
// copy works on a 32-bit copy of the whole buffer, whose size must stay
// within 2 GB - 1 (found by test under Wine: an 8-bit 23000 x 23000 buffer
// draws, 26000 x 26000 faults on its first stretched draw). The same limit
// holds for 8-bit and 32-bit buffers; 23170 x 23170 is the largest square.
inline bool BufferDrawable(int width, int height)
{
    return width > 0 && height > 0 && (long long)width * height <= 0x7FFFFFFFLL / 4;
}

// The current-image history, most recent first. Push drops the oldest entry;
// Pop makes the most recent current and keeps the oldest slot (held twice).
void HistoryPush(int history[8], int *current, int n);
void HistoryPop(int history[8], int *current);

// Copies a w x h area at (x, y) of a buffer into `out`, packed row after row
// (words for 32-bit, bytes for 8-bit). Pixels outside the image read 0.
void CopyImageArea(const void *pixels, int bits, int width, int height,
                   void *out, int x, int y, int w, int h);

// "%s(%d%%)" or "%s(%d%%)[8bit]", with "*" appended for halftone. The title
// is cut (never inside a double-byte character) so that the zoom and marks
// always fit `outBytes`. Returns the length.
int FormatImageCaption(char *out, int outBytes, int zoom, const char *title, int bits, bool halftone);

// Which source pixel GDI's COLORONCOLOR stretch shows at destination index i
// of a side stretched from src to dst pixels; `columns` tells the side along
// a row from the side down a column, which shrink differently. Measured
// against StretchBlt under Wine (a coded source, every index read back):
// - enlarging, both sides: the source pixel under the destination pixel's
//   centre, an exact boundary going to the lower one;
// - shrinking columns: the pixel under the point half a destination pixel
//   left of the next destination pixel's start, except that a single column
//   shows the last but one;
// - shrinking rows: the pixel nearest the destination row's top edge, halves
//   rounded up.
int StretchPick(int src, int dst, int i, bool columns);
// StretchPick for every destination index: out holds dst entries.
void StretchPicks(int src, int dst, bool columns, int *out);

// The picture's extent on screen for a side of `size` pixels at `zoom`.
inline int ZoomedSide(int size, int zoom) { return (int)((long long)size * zoom / 100); }

// Nearest-neighbour scaling of a top-down 32-bit picture: display pixel
// (X, Y) shows source pixel (columns[X], rows[Y]), dstW and dstH entries.
void ScaleNearest32(const DWORD *src, int srcW, DWORD *dst, int dstW, int dstH,
                    const int *columns, const int *rows);

#endif
