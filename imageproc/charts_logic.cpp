// charts_logic.cpp - profile curves, chroma paths and the chart table.
#include "imageproc/charts_logic.h"
#include <limits.h>
#include <stdint.h>

int ProfileChannel(int mode)
{
    static const int order[] = { kProfileR, kProfileG, kProfileB, kProfileH, kProfileS,
                                 kProfileV, kProfileY, kProfileCr, kProfileCb, kProfileByte };
    for (int bit : order)
        if (mode & bit) return bit;
    return 0;
}

static int ChannelValue(DWORD pixel, int channel)
{
    int h, s, v;
    switch (channel) {
    case kProfileR: return (pixel >> 16) & 0xFF;
    case kProfileG: return (pixel >> 8) & 0xFF;
    case kProfileB: return pixel & 0xFF;
    case kProfileH: RgbToHsv(pixel, &h, &s, &v); return h;
    case kProfileS: RgbToHsv(pixel, &h, &s, &v); return s;
    case kProfileV: RgbToHsv(pixel, &h, &s, &v); return v;
    case kProfileY: return RgbToY(pixel);
    case kProfileCr: return RgbToCr(pixel) + 128;
    case kProfileCb: return RgbToCb(pixel) + 128;
    }
    return pixel & 0xFF;   // kProfileByte
}

int ProfileRow(DWORD element, int mode)
{
    int channel = ProfileChannel(mode);
    if (!channel) return -1;
    int scale = channel == kProfileH ? 359 : 255;
    return kProfileHeight - 1 - ChannelValue(element, channel) * (kProfileHeight - 1) / scale;
}

void CanvasPlotProfile(Canvas &c, const void *row, int x0, int n, int mode, DWORD color)
{
    if (!ProfileChannel(mode) || !(mode & (kProfilePoints | kProfilePolyline))) return;
    bool bytes = ProfileChannel(mode) == kProfileByte;
    for (int i = 0; i < n; i++) {
        DWORD element = bytes ? ((const unsigned char *)row)[i] : ((const DWORD *)row)[i];
        int y = ProfileRow(element, mode);
        if ((mode & kProfilePoints) || i == 0) CanvasPutPixel(c, x0 + i, y, color);
        else CanvasDrawLine(c, color, c.penX, c.penY, x0 + i, y);
    }
}

POINT ChromaPoint(DWORD pixel)
{
    POINT p = { RgbToCb(pixel) + 128, 128 - RgbToCr(pixel) };
    return p;
}

void CanvasChartLabel(Canvas &c, TextCursor &cur, DWORD *textColor, const ChartLabel &label)
{
    cur.x = cur.lineX = label.x;
    cur.baseY = label.baseY;
    *textColor = label.color;
    for (const char *s = label.text; *s; s++) CanvasPutChar(c, cur, label.color, (unsigned char)*s);
}

void CanvasChromaAxes(Canvas &c, TextCursor &cur, DWORD *textColor)
{
    CanvasDrawLine(c, 0x808080, 0, 128, 256, 128);
    CanvasDrawLine(c, 0x808080, 128, 0, 128, 256);
    CanvasChartLabel(c, cur, textColor, { "Cr", 110, 16, 0xFF8888 });
    CanvasChartLabel(c, cur, textColor, { "Cb", 238, 144, 0x8888FF });
}

void CanvasChromaPath(Canvas &c, const DWORD *pixels, int n, bool alternate)
{
    DWORD color = 0xFFFFFF;
    for (int i = 0; i < n; i++) {
        POINT p = ChromaPoint(pixels[i]);
        if (i == 0) CanvasPutPixel(c, p.x, p.y, color);
        else CanvasDrawLine(c, color, c.penX, c.penY, p.x, p.y);
        if (alternate) color ^= 0x00FF00;
    }
}

static const RowChart kRowCharts[] = {
    { 1016, "RGB(Y=%d)", false, 12, 3,
      { { 0x81, 0xFF0000 }, { 0x82, 0x00FF00 }, { 0x84, 0x0000FF } },
      { { "R", 2, 40, 0xFF0000 }, { "G", 2, 72, 0x00FF00 }, { "B", 2, 104, 0x0000FF } } },
    { 1017, "HSV(Y=%d)", false, 12, 3,
      { { 0x88, 0xFFFF00 }, { 0x90, 0xFF00FF }, { 0xA0, 0x00FFFF } },
      { { "H", 2, 40, 0xFFFF00 }, { "S", 2, 72, 0xFF00FF }, { "V", 2, 104, 0x00FFFF } } },
    { 1018, "YCrCb(Y=%d)", false, 20, 3,
      { { 0x180, 0xFFFFFF }, { 0x280, 0xFF8888 }, { 0x480, 0x8888FF } },
      { { "Y", 4, 40, 0xFFFFFF }, { "Cr", 2, 72, 0xFF8888 }, { "Cb", 2, 104, 0x8888FF } } },
    { 1070, "Luminance(Y=%d)", false, 12, 1, { { 0x1080, 0xFFFFFF } }, { { "L", 2, 40, 0xFFFFFF } } },
    { 1021, "CrCb(Y=%d)", true, 0, 0, {}, {} },
};

const RowChart *RowChartFor(UINT id)
{
    for (const RowChart &chart : kRowCharts)
        if (chart.id == id) return &chart;
    return NULL;
}

void RowChartSize(const RowChart &chart, int w, int *width, int *height)
{
    *width = chart.chroma ? kChromaSize : w + chart.x0;
    *height = chart.chroma ? kChromaSize : kProfileHeight;
}

void CanvasProfileChart(Canvas &c, TextCursor &cur, DWORD *textColor, const RowChart &chart,
                        const void *row, int n)
{
    for (int k = 0; k < chart.curves; k++)
        CanvasPlotProfile(c, row, chart.x0, n, chart.curve[k].mode, chart.curve[k].color);
    for (int k = 0; k < chart.curves; k++) CanvasChartLabel(c, cur, textColor, chart.label[k]);
}

bool BlockBytes(long long w, long long h, size_t *bytes)
{
    if (w < 1 || h < 1 || w > INT_MAX || h > INT_MAX) return false;
    const unsigned long long most = SIZE_MAX / 4;
    if ((unsigned long long)w > most / (unsigned long long)h) return false;
    *bytes = (size_t)((unsigned long long)w * (unsigned long long)h * 4);
    return true;
}
