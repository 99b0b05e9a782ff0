// charts.cpp - "Line(RGB)", "Line(HSV)", "Line(YCrCb)", "Line(Lumi)",
// "Line(CrCb)" and "Area(CrCb)": a clicked row or a marked block of an image
// charted into a new 32-bit image window at the first number that takes it.
#include "imageproc/imageproc.h"
#include "imageproc/charts_logic.h"
#include "imagewin/imagemenu.h"
#include <stdio.h>
#include <stdlib.h>

void ReadRow(void *buffer, int y, int w)
{
    ReadImageArea(buffer, 0, y, w, 1);
}

void PlotProfile(const void *buffer, int x0, int n, int mode, DWORD color)
{
    WithCanvasAndCursor([&](Canvas &c, TextCursor &) { CanvasPlotProfile(c, buffer, x0, n, mode, color); });
}

void PlotChromaLine(const DWORD *buffer, int n)
{
    WithCanvasAndCursor([&](Canvas &c, TextCursor &cur) {
        CanvasChromaAxes(c, cur, &nbx_tc);
        CanvasChromaPath(c, buffer, n, true);
    });
}

void PlotChromaArea(int rows, const DWORD *buffer, int columns)
{
    WithCanvasAndCursor([&](Canvas &c, TextCursor &cur) {
        CanvasChromaAxes(c, cur, &nbx_tc);
        for (int j = 0; j < rows; j++) CanvasChromaPath(c, buffer + (size_t)j * columns, columns, false);
    });
}

// The chart window at the first number from 0 up that accepts it; -1 when
// none does. The chart becomes the current image.
static int CreateChart(const char *title, int width, int height)
{
    for (int k = 0; k < 256; k++)
        if (CreateImageWindow(100, k, title, 0, 0, width, height, 32) == 0) return k;
    return -1;
}

static void ReportNoBuffer(const char *what)
{
    NBX_ShowTextWindow();
    NBX_Printf("No memory for the %s buffer: no chart\n", what);
}

void RunLineProfile(int n, UINT id)
{
    const RowChart *chart = RowChartFor(id);
    int x, y;
    if (!chart || PickRow(n, &x, &y) != 0) return;
    char title[512];
    snprintf(title, sizeof title, chart->title, y);
    int w = nbx_images[n].width;   // PickRow checked n
    // Words for either depth, so every reading of the buffer stays inside it.
    DWORD *row = (DWORD *)calloc(w, sizeof(DWORD));
    if (!row) {
        ReportNoBuffer("row");
        return;
    }
    ReadRow(row, y, w);
    int width, height;
    RowChartSize(*chart, w, &width, &height);
    int k = CreateChart(title, width, height);
    if (k >= 0) {
        if (chart->chroma) PlotChromaLine(row, w);
        else WithCanvasAndCursor([&](Canvas &c, TextCursor &cur) { CanvasProfileChart(c, cur, &nbx_tc, *chart, row, w); });
        InvalidateRect(nbx_images[k].window, NULL, FALSE);
    }
    free(row);
}

void RunAreaChroma(int n)
{
    int left, right, top, bottom;
    if (PickRect(n, &left, &right, &top, &bottom) != 0) return;
    char title[512];
    snprintf(title, sizeof title, "CrCb(%d,%d)-(%d,%d)", left, top, right, bottom);
    long long wide = (long long)right - left + 1, high = (long long)bottom - top + 1;
    size_t bytes;
    DWORD *block = BlockBytes(wide, high, &bytes) ? (DWORD *)malloc(bytes) : NULL;
    if (!block) {
        ReportNoBuffer("block");
        return;
    }
    int w = (int)wide, h = (int)high;
    ReadImageArea(block, left, top, w, h);   // n is current after the pick
    int k = CreateChart(title, kChromaSize, kChromaSize);
    if (k >= 0) {
        PlotChromaArea(h, block, w);
        NBX_DrawImage(k);
    }
    free(block);
}
