// Profile and chroma charts on plain buffers.
#include "doctest_wine.h"
#include "imageproc/charts_logic.h"
#include <limits.h>
#include <vector>

TEST_CASE("profile rows: first channel bit wins, hue on 359, others 255")
{
    struct { DWORD element; int mode, row; } cases[] = {
        { 0xFF0000, 0x81, 0 }, { 0xFF0000, 0x82, 127 }, { 0xFF0000, 0x84, 127 }, { 0x808080, 0x88, 127 },
        { 0x808080, 0x90, 127 }, { 0x808080, 0xA0, 64 }, { 0xFFFFFF, 0x180, 0 }, { 0xFFFFFF, 0x280, 64 },
        { 0xFFFFFF, 0x480, 64 }, { 0x00FF00, 0x88, 85 }, { 200, 0x1080, 28 }, { 0x00FF00, 0x03, 127 }, { 0x00FF00, 0x80, -1 },
    };
    for (auto &k : cases) {
        CAPTURE(k.mode);
        CHECK(ProfileRow(k.element, k.mode) == k.row);
    }
}

TEST_CASE("chroma path alternates white and magenta; labels leave their colour")
{
    const DWORD row[] = { 0xFF0000, 0x808080, 0x0000FF };
    POINT p[3] = { ChromaPoint(row[0]), ChromaPoint(row[1]), ChromaPoint(row[2]) };
    CHECK((p[0].x == 86 && p[0].y == 0 && p[1].x == 128 && p[1].y == 128));
    for (bool alternate : { true, false }) {
        std::vector<DWORD> got(256 * 256), want(256 * 256);
        Canvas g = MakeCanvas(got.data(), 32, 256, 256), w = MakeCanvas(want.data(), 32, 256, 256);
        CanvasChromaPath(g, row, 3, alternate);
        CanvasPutPixel(w, p[0].x, p[0].y, 0xFFFFFF);
        CanvasDrawLine(w, alternate ? 0xFF00FF : 0xFFFFFF, p[0].x, p[0].y, p[1].x, p[1].y);
        CanvasDrawLine(w, 0xFFFFFF, p[1].x, p[1].y, p[2].x, p[2].y);
        CHECK(got == want);
    }
    // "Line(RGB)" over a red row ends with the blue label's colour in force.
    std::vector<DWORD> chart(20 * 128), red(8, 0xFF0000);
    Canvas c = MakeCanvas(chart.data(), 32, 20, 128);
    TextCursor cur = { 0, 0, 0 };
    DWORD tc = 0;
    CanvasProfileChart(c, cur, &tc, *RowChartFor(1016), red.data(), 8);
    CHECK((tc == 0x0000FF && cur.lineX == 2 && cur.baseY == 104));
    CHECK((CanvasRead(c, 12, 0) == 0xFF0000 && CanvasRead(c, 19, 127) == 0x0000FF));
}

TEST_CASE("block sizes within int and size_t")
{
    size_t bytes = 0;
    CHECK((BlockBytes(3, 2, &bytes) && bytes == 24 && !BlockBytes(0, 5, &bytes) && !BlockBytes(1LL << 31, 1, &bytes)));
    CHECK(BlockBytes(INT_MAX, INT_MAX, &bytes) == (sizeof(size_t) == 8));
}
