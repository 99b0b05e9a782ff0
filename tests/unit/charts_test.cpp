// Profile and chroma charts on plain buffers.
#include "doctest_wine.h"
#include "imageproc/charts_logic.h"
#include <limits.h>
#include <vector>

namespace {

struct Chart {
    std::vector<DWORD> words;
    Canvas c;
    TextCursor cur = { 0, 0, 0 };
    DWORD tc = 0;
    Chart(int w, int h) : words((size_t)w * h), c(MakeCanvas(words.data(), 32, w, h)) {}
    DWORD At(int x, int y) const { return CanvasRead(c, x, y); }
};

}  // namespace

TEST_CASE("profile rows: first channel bit wins, hue on 359, the rest on 255")
{
    struct { DWORD element; int mode, row; } cases[] = {
        { 0xFF0000, 0x81, 0 }, { 0xFF0000, 0x82, 127 }, { 0xFF0000, 0x84, 127 },        // pure red
        { 0x808080, 0x88, 127 }, { 0x808080, 0x90, 127 }, { 0x808080, 0xA0, 64 },       // grey 128
        { 0xFFFFFF, 0x180, 0 }, { 0xFFFFFF, 0x280, 64 }, { 0xFFFFFF, 0x480, 64 },       // white
        { 0x00FF00, 0x88, 85 },                                                         // hue 120
        { 200, 0x1080, 28 }, { 0x00FF00, 0x03, 127 }, { 0x00FF00, 0x80, -1 },
    };
    for (auto &k : cases) {
        CAPTURE(k.mode);
        CHECK(ProfileRow(k.element, k.mode) == k.row);
    }
}

TEST_CASE("profile curves: single pixels or a polyline from x0; nothing without a draw bit")
{
    const DWORD words[] = { 0, 0xFF0000, 0xFF0000 };
    const unsigned char bytes[] = { 0, 255 };
    Chart points(20, 128), line(20, 128), want(20, 128), none(20, 128), lumi(20, 128);
    CanvasPlotProfile(points.c, words, 12, 3, 0x41, 0x123456);
    CHECK((points.At(12, 127) == 0x123456 && points.At(13, 0) == 0x123456 && points.At(14, 0) == 0x123456));
    CHECK(points.At(12, 126) == 0);
    CanvasPlotProfile(line.c, words, 12, 3, 0x81, 0x123456);
    CanvasPutPixel(want.c, 12, 127, 0x123456);
    CanvasDrawLine(want.c, 0x123456, 12, 127, 13, 0);
    CanvasDrawLine(want.c, 0x123456, 13, 0, 14, 0);
    CHECK(line.words == want.words);
    CanvasPlotProfile(none.c, words, 12, 3, 0x01, 0x123456);
    CHECK(none.words == std::vector<DWORD>(20 * 128, 0));
    CanvasPlotProfile(lumi.c, bytes, 12, 2, 0x1040, 0xFFFFFF);
    CHECK((lumi.At(12, 127) == 0xFFFFFF && lumi.At(13, 0) == 0xFFFFFF));
}

TEST_CASE("chroma: points, the white / magenta path, axes and labels")
{
    CHECK((ChromaPoint(0xFF0000).x == 86 && ChromaPoint(0xFF0000).y == 0));
    CHECK((ChromaPoint(0x808080).x == 128 && ChromaPoint(0x808080).y == 128));
    const DWORD row[] = { 0xFF0000, 0x808080, 0x0000FF };
    POINT p[3] = { ChromaPoint(row[0]), ChromaPoint(row[1]), ChromaPoint(row[2]) };
    for (bool alternate : { true, false }) {
        CAPTURE(alternate);
        Chart got(256, 256), want(256, 256);
        CanvasChromaPath(got.c, row, 3, alternate);
        CanvasPutPixel(want.c, p[0].x, p[0].y, 0xFFFFFF);
        CanvasDrawLine(want.c, alternate ? 0xFF00FF : 0xFFFFFF, p[0].x, p[0].y, p[1].x, p[1].y);
        CanvasDrawLine(want.c, 0xFFFFFF, p[1].x, p[1].y, p[2].x, p[2].y);
        CHECK(got.words == want.words);
    }
    Chart axes(256, 256);
    CanvasChromaAxes(axes.c, axes.cur, &axes.tc);
    for (POINT q : { POINT{ 0, 128 }, POINT{ 255, 128 }, POINT{ 128, 0 }, POINT{ 128, 255 } }) CHECK(axes.At(q.x, q.y) == 0x808080);
    CHECK((axes.tc == 0x8888FF && axes.cur.lineX == 238));
}

TEST_CASE("profile charts: sizes, curves, labels, and the text colour left behind")
{
    struct {
        UINT id;
        DWORD element;
        int width;
        std::vector<POINT> lit;
        DWORD litColor, tc, labelColor;
    } cases[] = {
        { 1016, 0xFF0000, 20, { { 12, 0 } }, 0xFF0000, 0x0000FF, 0xFF0000 },
        { 1016, 0xFF0000, 20, { { 12, 127 }, { 19, 127 } }, 0x0000FF, 0x0000FF, 0xFF0000 },
        { 1017, 0x808080, 20, { { 12, 64 } }, 0x00FFFF, 0x00FFFF, 0xFFFF00 },
        { 1017, 0x808080, 20, { { 12, 127 } }, 0xFF00FF, 0x00FFFF, 0xFFFF00 },
        { 1018, 0xFFFFFF, 28, { { 20, 0 } }, 0xFFFFFF, 0x8888FF, 0xFFFFFF },
        { 1018, 0xFFFFFF, 28, { { 20, 64 }, { 27, 64 } }, 0x8888FF, 0x8888FF, 0xFFFFFF },
        { 1070, 200, 20, { { 12, 28 } }, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF },
    };
    for (auto &k : cases) {
        CAPTURE(k.id);
        const RowChart *chart = RowChartFor(k.id);
        REQUIRE(chart);
        int w, h;
        RowChartSize(*chart, 8, &w, &h);
        CHECK((w == k.width && h == 128));
        std::vector<DWORD> row(8, k.element);
        Chart out(w, h);
        CanvasProfileChart(out.c, out.cur, &out.tc, *chart, row.data(), 8);
        for (POINT q : k.lit) CHECK(out.At(q.x, q.y) == k.litColor);
        CHECK(out.tc == k.tc);
        bool labelDrawn = false;   // the first label's glyph cell, left of the curves
        for (int y = 26; y < 40; y++)
            for (int x = 2; x < 12; x++) labelDrawn |= out.At(x, y) == k.labelColor;
        CHECK(labelDrawn);
    }
    int w, h;
    RowChartSize(*RowChartFor(1021), 8, &w, &h);
    CHECK((w == 256 && h == 256 && RowChartFor(1019) == NULL));
}

TEST_CASE("block sizes: sides within int, bytes within size_t")
{
    size_t bytes = 0;
    CHECK((BlockBytes(3, 2, &bytes) && bytes == 24));
    CHECK_FALSE(BlockBytes(0, 5, &bytes));
    CHECK_FALSE(BlockBytes(1LL << 31, 1, &bytes));
    CHECK(BlockBytes(INT_MAX, INT_MAX, &bytes) == (sizeof(size_t) == 8));
}
