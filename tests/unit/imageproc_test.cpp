// Drawing, fills, colours, patterns, turns, charts.
#include "doctest_wine.h"
#include "imageproc/charts_logic.h"
#include "imageproc/imageproc_logic.h"
#include <limits.h>
#include <set>
#include <vector>

namespace {

typedef std::set<std::pair<int, int>> Points;
typedef std::vector<int> V;

struct Image {
    std::vector<BYTE> bytes;
    Canvas c;
    Image(int bits, int w, int h, BYTE fill = 0) : bytes((size_t)(bits == 8 ? (w + 3) & ~3 : w * 4) * h, fill), c(MakeCanvas(nullptr, bits, w, h))
    {
        c.pixels = bytes.data();
        for (size_t i = 0; fill == 7 && i < bytes.size(); i++) bytes[i] = (BYTE)(i * 37 >> 2);   // noise
    }
    Points Lit() const
    {
        Points p;
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++)
                if (CanvasRead(c, x, y)) p.insert({ x, y });
        return p;
    }
};

}  // namespace

TEST_CASE("lines, boxes, circles")
{
    struct { int x1, y1, x2, y2; Points pixels; } lines[] = {
        { 0, 0, 5, 2, { { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 }, { 4, 2 }, { 5, 2 } } },
        { 0, 5, 2, 0, { { 0, 5 }, { 0, 4 }, { 1, 3 }, { 1, 2 }, { 2, 1 }, { 2, 0 } } },
        { -3, 1, 9, 1, { { 0, 1 }, { 1, 1 }, { 2, 1 }, { 3, 1 }, { 4, 1 }, { 5, 1 }, { 6, 1 }, { 7, 1 } } },
    };
    for (auto &t : lines)
        for (int r : { 0, 1 }) {
            Image i(32, 8, 8);
            CanvasDrawLine(i.c, 1, r ? t.x2 : t.x1, r ? t.y2 : t.y1, r ? t.x1 : t.x2, r ? t.y1 : t.y2);
            CHECK((i.Lit() == t.pixels && i.c.penX == (r ? t.x1 : t.x2) && i.c.penY == (r ? t.y1 : t.y2)));
        }
    Image ring(32, 12, 12), box(8, 8, 8), two(32, 9, 9);
    CanvasXorBox(ring.c, 9, 8, 2, 1);
    CanvasFillBox(box.c, 0xFF, 5, 5, 2, 3);
    CanvasDrawCircle(two.c, 1, 4, 4, 2);
    CHECK((ring.Lit().size() == 2 * 8 + 2 * 6 && box.Lit().size() == 12 && box.Lit().count({ 2, 3 }) && CanvasRead(box.c, 5, 5) == 0xFF));
    CHECK(two.Lit() == Points{ { 2, 3 }, { 2, 4 }, { 2, 5 }, { 3, 2 }, { 4, 2 }, { 5, 2 }, { 6, 3 }, { 6, 4 }, { 6, 5 }, { 3, 6 }, { 4, 6 }, { 5, 6 } });
    for (int bits : { 32, 8 }) {
        Image i(bits, 37, 23, 7);
        const auto before = i.bytes;
        for (int k = 0; k < 2; k++) {
            CanvasXorLine(i.c, k ? 30 : 2, k ? 3 : 20, k ? 2 : 30, k ? 20 : 3);
            CanvasXorBox(i.c, 30 - 27 * k, 15, 3 + 27 * k, 2);
            CanvasXorFillBox(i.c, 1, 1, 20, 12);
            CanvasXorCircle(i.c, 18, 11, 9);
            CanvasXorFillCircle(i.c, 18, 11, 14);
            CHECK((i.bytes == before) == (k == 1));
        }
    }
    for (int r = 1; r <= 40; r++) {   // disc, its rim on it
        CAPTURE(r);
        Image solid(32, 90, 90), xored(32, 90, 90), rim(32, 90, 90);
        CanvasFillCircle(solid.c, 1, 45, 45, r);
        CanvasXorFillCircle(xored.c, 45, 45, r);
        CanvasDrawCircle(rim.c, 1, 45, 45, r);
        Points disc = solid.Lit(), both = disc, edge = rim.Lit();
        both.insert(edge.begin(), edge.end());
        CHECK((xored.Lit() == disc && both == disc && disc.count({ 45 - r, 45 }) && !disc.count({ 44 - r, 45 })));
    }
}

TEST_CASE("flood fill")
{
    Image ring(32, 12, 12), hook(32, 7, 2), index(8, 6, 6, 0x34);
    CanvasDrawCircle(ring.c, 0x00FF00, 6, 6, 4);
    CanvasFloodFill(ring.c, 0xFF0000, 6, 6);
    CHECK((CanvasRead(ring.c, 6, 6) == 0xFF0000 && CanvasRead(ring.c, 0, 0) == 0));
    for (int x : { 2, 4 }) CanvasStore(hook.c, x, 0, 7);   // reached past either end of a run
    for (int x : { 0, 6 }) CanvasStore(hook.c, x, 1, 7);
    CanvasFloodFill(hook.c, 9, 3, 0);
    CHECK((CanvasRead(hook.c, 0, 0) == 9 && CanvasRead(hook.c, 6, 0) == 9));
    CHECK((CanvasFloodFill(index.c, 0x12345634, 0, 0) == -1 && CanvasFloodFill(index.c, 1, -1, 0) == -1));
    // Rows joined by links in every other column: a seed per link.
    for (int bits : { 32, 8 }) {
        CAPTURE(bits);
        const int N = 1024;
        Image maze(bits, N, N);
        for (int y = 1; y < N; y += 2)
            for (int x = 1; x < N; x += 2) CanvasStore(maze.c, x, y, 7);
        CanvasFillBox(maze.c, 7, 0, 0, 3, 3);   // a pocket of target and fill colour
        CanvasStore(maze.c, 1, 1, 0);
        CanvasStore(maze.c, 2, 1, 9);
        for (int k = 1; bits == 8 && k < 256; k++) CanvasStore(maze.c, k, N - 1, k);
        CHECK(CanvasFloodFill(maze.c, 9, N - 2, N / 2) > 0);
        long left = 0;
        for (int y = 0; y < N; y++)
            for (int x = 0; x < N; x++) left += CanvasRead(maze.c, x, y) == 0;
        CHECK((left == 1 && CanvasRead(maze.c, 2, 1) == 9));
    }
}

TEST_CASE("colours, patterns")
{
    // H S V; Y Cr Cb, Y u v, Y I Q
    struct { DWORD rgb; V hsv, more; } cases[] = {
        { 0x808080, { 0, 0, 128 } }, { 0xFFFF00, { 60, 255, 255 } }, { 0x00FFFF, { 180, 255, 255 } },
        { 0xFF00FF, { 300, 255, 255 } }, { 0xFF0000, { 0, 255, 255 }, { 76, 128, -42, -36, 157, 152, 53 } },
        { 0x0000FF, { 240, 255, 255 }, { 29, -20, 128, 111, -25, -81, 74 } }, { 0x10A040, { 140, 144, 160 } },
    };
    for (auto &t : cases) {
        CAPTURE(t.rgb);
        DWORD c = t.rgb;
        int h, s, v;
        RgbToHsv(c, &h, &s, &v);
        CHECK(V{ h, s, v, RgbToHue(c), RgbToSaturation(c), RgbToValue(c) } == V{ t.hsv[0], t.hsv[1], t.hsv[2], h, s, v });
        CHECK((HsvToRgb(v, s, h) == c || c == 0x10A040));   // not exact
        if (!t.more.empty()) CHECK(V{ RgbToY(c), RgbToCr(c), RgbToCb(c), RgbToU(c), RgbToV(c), RgbToI(c), RgbToQ(c) } == t.more);
    }
    CHECK((HsvToRgb(255, 255, 30) == 0xFF7F00 && RadialPatternValue(kPatternYuv, -40, 60) == 0xE58E50));
    for (int bits : { 32, 8 })
        for (int h : { 23, 1 })
            for (TestPattern p : { kPatternRgb, kPatternHsv, kPatternYCrCb, kPatternYuv, kPatternYiq, kPatternGrey }) {
                const int w = h > 1 ? 37 : 5, half = h / 2;
                CAPTURE(bits); CAPTURE(h); CAPTURE((int)p);
                Image img(bits, w, h);
                CanvasTestPattern(img.c, p);
                for (int i = 0; i < h; i++)
                    for (int j = 0; j < w; j++) {
                        int s = i < half ? 255 * i / half : 255, v = i < half || !half ? 255 : 255 - 255 * (i - half) / half, grey = 255 * j / w;
                        DWORD want = p == kPatternRgb ? (DWORD)(grey << 16 | (255 * i / h) << 8 | (255 - 255 * (i + j) / (w + h)))
                                   : p == kPatternHsv ? HsvToRgb(v, s, 359 * j / w)
                                   : p == kPatternGrey ? (i < half ? grey : 255 - grey) * 0x010101u
                                   : RadialPatternValue(p, 255 * (j - w / 2) / w, 255 * (h / 2 - i) / h);
                        REQUIRE(CanvasRead(img.c, j, i) == (bits == 8 ? want & 0xFF : want));
                    }
            }
}

TEST_CASE("turns, sizes")
{
    // 5 x 3 become 3 x 5; padding is not written.
    const BYTE five[15] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
    const DWORD words[15] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
    Image right(8, 3, 5, 0xEE), left(32, 3, 5);
    RotateInto(five, 5, 3, true, right.c);
    RotateInto(words, 5, 3, false, left.c);
    CHECK(right.bytes == std::vector<BYTE>{ 11, 6, 1, 0xEE, 12, 7, 2, 0xEE, 13, 8, 3, 0xEE, 14, 9, 4, 0xEE, 15, 10, 5, 0xEE });
    CHECK((CanvasRead(left.c, 0, 0) == 5 && CanvasRead(left.c, 2, 0) == 15 && CanvasRead(left.c, 0, 4) == 1));
    const int sizes[][3] = { { 640, 707, 452 }, { 480, 1414, 679 }, { 1, 500, 1 }, { 3, 2000, 6 } };
    for (auto &s : sizes) CHECK(RescaledSide(s[0], s[1]) == s[2]);
    size_t bytes = 0;
    CHECK((BlockBytes(3, 2, &bytes) && bytes == 24 && !BlockBytes(0, 5, &bytes) && !BlockBytes(1LL << 31, 1, &bytes)));
    CHECK(BlockBytes(INT_MAX, INT_MAX, &bytes) == (sizeof(size_t) == 8));
}

TEST_CASE("profile rows, chroma path")
{
    struct { DWORD element; int mode, row; } cases[] = {
        { 0xFF0000, 0x81, 0 }, { 0xFF0000, 0x82, 127 }, { 0xFF0000, 0x84, 127 }, { 0x808080, 0x88, 127 },
        { 0x808080, 0x90, 127 }, { 0x808080, 0xA0, 64 }, { 0xFFFFFF, 0x180, 0 }, { 0xFFFFFF, 0x280, 64 },
        { 0xFFFFFF, 0x480, 64 }, { 0x00FF00, 0x88, 85 }, { 200, 0x1080, 28 }, { 0x00FF00, 0x03, 127 }, { 0x00FF00, 0x80, -1 },
    };
    for (auto &k : cases) CHECK_MESSAGE(ProfileRow(k.element, k.mode) == k.row, k.mode);
    const DWORD row[] = { 0xFF0000, 0x808080, 0x0000FF };
    POINT p[3] = { ChromaPoint(row[0]), ChromaPoint(row[1]), ChromaPoint(row[2]) };
    CHECK((p[0].x == 86 && p[0].y == 0 && p[1].x == 128 && p[1].y == 128));
    for (bool alternate : { true, false }) {
        Image got(32, 256, 256), want(32, 256, 256);
        CanvasChromaPath(got.c, row, 3, alternate);
        CanvasPutPixel(want.c, p[0].x, p[0].y, 0xFFFFFF);
        CanvasDrawLine(want.c, alternate ? 0xFF00FF : 0xFFFFFF, p[0].x, p[0].y, p[1].x, p[1].y);
        CanvasDrawLine(want.c, 0xFFFFFF, p[1].x, p[1].y, p[2].x, p[2].y);
        CHECK(got.bytes == want.bytes);
    }
    // "Line(RGB)" on red ends in the blue label's colour.
    Image chart(32, 20, 128);
    std::vector<DWORD> red(8, 0xFF0000);
    TextCursor cur = { 0, 0, 0 };
    DWORD tc = 0;
    CanvasProfileChart(chart.c, cur, &tc, *RowChartFor(1016), red.data(), 8);
    CHECK((tc == 0x0000FF && cur.lineX == 2 && cur.baseY == 104));
    CHECK((CanvasRead(chart.c, 12, 0) == 0xFF0000 && CanvasRead(chart.c, 19, 127) == 0x0000FF));
}
