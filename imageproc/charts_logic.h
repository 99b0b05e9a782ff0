// charts_logic.h - the profile and chroma charts on plain buffers: which
// value a profile mode picks, where a value or a pixel's chroma lands, the
// curves, paths, axes and labels, and the chart table of the "Information..."
// commands. No window handles here, so all of it is tested directly.
#ifndef NBX_CHARTS_LOGIC_H
#define NBX_CHARTS_LOGIC_H

#include "imageproc/imageproc_logic.h"
#include "imageproc/text_logic.h"

// Profile mode bits: one channel (the first set bit in this order wins) and
// how it is drawn.
enum ProfileMode {
    kProfileR = 0x01, kProfileG = 0x02, kProfileB = 0x04,
    kProfileH = 0x08, kProfileS = 0x10, kProfileV = 0x20,
    kProfilePoints = 0x40, kProfilePolyline = 0x80,
    kProfileY = 0x100, kProfileCr = 0x200, kProfileCb = 0x400,
    kProfileByte = 0x1000,
};
enum { kProfileHeight = 128, kChromaSize = 256 };

// The channel bit a mode chooses; 0 when it has none.
int ProfileChannel(int mode);
// The chart row of a pixel's channel value (an 8-bit row's element for
// kProfileByte): 127 - trunc(v * 127 / scale), scale 359 for hue, else
// 255. -1 when the mode has no channel.
int ProfileRow(DWORD element, int mode);
// Draws n buffered elements (bytes for kProfileByte, else 32-bit words) at
// columns x0 .. x0 + n - 1: single pixels (kProfilePoints) or a polyline
// (kProfilePolyline); nothing without either or without a channel.
void CanvasPlotProfile(Canvas &c, const void *row, int x0, int n, int mode, DWORD color);

// Where a pixel lands in the Cb-Cr plane: (Cb + 128, 128 - Cr).
POINT ChromaPoint(DWORD pixel);
// The grey axes and the "Cr" / "Cb" labels.
void CanvasChromaAxes(Canvas &c, TextCursor &cur, DWORD *textColor);
// The path of n pixels: the first point as a pixel, the others as lines from
// the pen. alternate: starting white, every pixel flips the colour between
// white and magenta (segments ending at odd pixels are magenta); else white.
void CanvasChromaPath(Canvas &c, const DWORD *pixels, int n, bool alternate);

// A built-in-font label: the cursor and line start go to x, the baseline to
// baseY and the text colour to color (they stay so afterwards).
struct ChartLabel {
    const char *text;
    int x, baseY;
    DWORD color;
};
void CanvasChartLabel(Canvas &c, TextCursor &cur, DWORD *textColor, const ChartLabel &label);

// One row chart command: its title format, and for a profile its left
// margin (x0) with curves and labels; a chroma chart has no curves.
struct ChartCurve {
    int mode;
    DWORD color;
};
struct RowChart {
    UINT id;
    const char *title;
    bool chroma;
    int x0, curves;
    ChartCurve curve[3];
    ChartLabel label[3];
};
// The chart of command id (1016, 1017, 1018, 1021, 1070); NULL for others.
const RowChart *RowChartFor(UINT id);
// The chart's size for a source row of width w.
void RowChartSize(const RowChart &chart, int w, int *width, int *height);
// The curves and labels of a profile chart over n buffered elements.
void CanvasProfileChart(Canvas &c, TextCursor &cur, DWORD *textColor, const RowChart &chart,
                        const void *row, int n);

// Bytes of a w x h block of 32-bit pixels; false when w or h is below 1 or
// above INT_MAX, or the size does not fit a size_t.
bool BlockBytes(long long w, long long h, size_t *bytes);

#endif
