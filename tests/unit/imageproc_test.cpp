// Image tools on plain buffers: lines, boxes, circles, the flood fill,
// colour arithmetic, test patterns and quarter turns.
#include "doctest_wine.h"
#include "imageproc/imageproc_logic.h"
#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace {

typedef std::set<std::pair<int, int>> Points;

struct Image {
    std::vector<unsigned char> bytes;
    Canvas c;
    Image(int bits, int w, int h, unsigned noise = 0)
        : bytes((size_t)(bits == 8 ? (w + 3) & ~3 : w * 4) * h), c(MakeCanvas(nullptr, bits, w, h))
    {
        c.pixels = bytes.data();
        for (int y = 0; noise && y < h; y++)
            for (int x = 0; x < w; x++) CanvasStore(c, x, y, (noise = noise * 1103515245u + 12345u) >> 8 & 0xFFFFFF);
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

TEST_CASE("lines both ways, the pen, partly outside")
{
    struct { int x1, y1, x2, y2; Points pixels; } cases[] = {
        { 0, 0, 5, 2, { { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 }, { 4, 2 }, { 5, 2 } } },
        { 0, 0, 2, 5, { { 0, 0 }, { 0, 1 }, { 1, 2 }, { 1, 3 }, { 2, 4 }, { 2, 5 } } },
        { 0, 5, 5, 0, { { 0, 5 }, { 1, 4 }, { 2, 3 }, { 3, 2 }, { 4, 1 }, { 5, 0 } } },
        { 4, 2, 1, 2, { { 1, 2 }, { 2, 2 }, { 3, 2 }, { 4, 2 } } },
        { -3, 1, 9, 1, { { 0, 1 }, { 1, 1 }, { 2, 1 }, { 3, 1 }, { 4, 1 }, { 5, 1 }, { 6, 1 }, { 7, 1 } } },
    };
    for (auto &t : cases)
        for (bool reverse : { false, true }) {
            Image img(32, 8, 8);
            if (reverse) CanvasDrawLine(img.c, 0x123456, t.x2, t.y2, t.x1, t.y1);
            else CanvasDrawLine(img.c, 0x123456, t.x1, t.y1, t.x2, t.y2);
            CHECK(img.Lit() == t.pixels);
            CHECK(img.c.penX == (reverse ? t.x1 : t.x2));
            CHECK(img.c.penY == (reverse ? t.y1 : t.y2));
        }
}

TEST_CASE("inverting primitives: each pixel once, and twice restores")
{
    for (int bits : { 32, 8 }) {
        Image img(bits, 37, 23, 7);
        const std::vector<unsigned char> before = img.bytes;
        CanvasXorLine(img.c, 2, 20, 30, 3);
        CHECK(img.bytes != before);
        CanvasXorLine(img.c, 30, 3, 2, 20);
        for (int k = 0; k < 2; k++) {
            if (k) CanvasXorBox(img.c, 3, 2, 30, 15);
            else CanvasXorBox(img.c, 30, 15, 3, 2);
            CanvasXorFillBox(img.c, 1, 1, 20, 12);
            CanvasXorCircle(img.c, 18, 11, 9);
            CanvasXorFillCircle(img.c, 18, 11, 14);
        }
        CHECK(img.bytes == before);
    }
    Image ring(32, 12, 12), one(8, 4, 4), box(32, 8, 8);
    CanvasXorBox(ring.c, 9, 8, 2, 1);
    CHECK(ring.Lit().size() == 2 * 8 + 2 * 6);
    CanvasXorFillBox(one.c, 2, 2, 2, 2);
    CHECK(one.Lit() == Points{ { 2, 2 } });
    CHECK(CanvasRead(one.c, 2, 2) == 0xFF);
    CanvasFillBox(box.c, 0xFF, 5, 5, 2, 3);   // corners sorted: 4 x 3
    CHECK(box.Lit().size() == 12);
    CHECK(box.Lit().count({ 2, 3 }) == 1);
    CHECK(box.Lit().count({ 5, 5 }) == 1);
}

TEST_CASE("circles: outline pixels, discs with the same rim, inverted once")
{
    Image two(32, 9, 9), zero(32, 5, 5);
    CanvasDrawCircle(two.c, 1, 4, 4, 2);
    CHECK(two.Lit() == Points{ { 2, 4 }, { 6, 4 }, { 4, 2 }, { 4, 6 }, { 3, 2 }, { 5, 2 }, { 3, 6 }, { 5, 6 },
                               { 2, 3 }, { 2, 5 }, { 6, 3 }, { 6, 5 } });
    CanvasDrawCircle(zero.c, 1, 2, 2, 0);
    CHECK(zero.Lit() == Points{ { 2, 2 } });
    for (int r = 1; r <= 40; r++) {
        CAPTURE(r);
        Image solid(32, 90, 90), inverted(32, 90, 90), rim(32, 90, 90);
        CanvasFillCircle(solid.c, 0xFFFFFF, 45, 45, r);
        CanvasXorFillCircle(inverted.c, 45, 45, r);
        CanvasDrawCircle(rim.c, 0xFFFFFF, 45, 45, r);
        const Points disc = solid.Lit();
        CHECK(inverted.Lit() == disc);
        for (auto &p : rim.Lit()) CHECK(disc.count(p) == 1);
        for (int y = 0; y < 90; y++) {   // each row one span, symmetric
            int first = 90, last = -1, count = 0;
            for (int x = 0; x < 90; x++)
                if (disc.count({ x, y })) { first = std::min(first, x); last = x; count++; }
            if (count) CHECK((count == last - first + 1 && first + last == 90));
        }
    }
}

TEST_CASE("flood fill")
{
    Image img(32, 12, 12);
    CanvasDrawCircle(img.c, 0x00FF00, 6, 6, 4);
    CanvasFloodFill(img.c, 0xFF0000, 6, 6);   // one-pixel ring: inside only
    CHECK(CanvasRead(img.c, 6, 6) == 0xFF0000);
    CHECK(CanvasRead(img.c, 0, 0) == 0);
    // Hooks on both sides: row 0 is reached past either end of the row-1
    // run that found it.
    Image hook(32, 7, 2);
    for (int x : { 2, 4 }) CanvasStore(hook.c, x, 0, 7);
    for (int x : { 0, 6 }) CanvasStore(hook.c, x, 1, 7);
    CanvasFloodFill(hook.c, 9, 3, 0);
    CHECK((CanvasRead(hook.c, 0, 0) == 9 && CanvasRead(hook.c, 6, 0) == 9));
    Image index(8, 6, 6);
    index.bytes[0] = 0x34;
    CHECK(CanvasFloodFill(index.c, 0x12345634, 0, 0) == -1);   // the low byte is the index
    CHECK(CanvasFloodFill(index.c, 1, -1, 0) == -1);
    CHECK(index.bytes[0] == 0x34);

    // A maze of full rows joined by one-pixel links in every other column:
    // each row pushes a seed per link, far past the seed stack.
    for (int bits : { 32, 8 }) {
        CAPTURE(bits);
        const int N = 1024;
        Image maze(bits, N, N);
        for (int y = 1; y < N; y += 2)
            for (int x = 1; x < N; x += 2) CanvasStore(maze.c, x, y, 7);
        CanvasFillBox(maze.c, 7, 0, 0, 3, 3);   // a closed pocket holding both
        CanvasStore(maze.c, 1, 1, 0);           // the target and the fill colour
        CanvasStore(maze.c, 2, 1, 9);
        if (bits == 8)   // every index in use: no spare value to mark with
            for (int k = 1; k < 256; k++) CanvasStore(maze.c, k, N - 1, k);
        CHECK(CanvasFloodFill(maze.c, 9, N - 2, N / 2) > 0);
        long unfilled = 0;
        for (int y = 0; y < N; y++)
            for (int x = 0; x < N; x++) unfilled += CanvasRead(maze.c, x, y) == 0;
        CHECK(unfilled == 1);
        CHECK(CanvasRead(maze.c, 2, 1) == 9);
    }
}

TEST_CASE("colour arithmetic")
{
    struct { DWORD rgb; int h, s, v; } hsv[] = {
        { 0x808080, 0, 0, 128 }, { 0xFF0000, 0, 255, 255 }, { 0xFFFF00, 60, 255, 255 },
        { 0x00FF00, 120, 255, 255 }, { 0x00FFFF, 180, 255, 255 }, { 0x0000FF, 240, 255, 255 },
        { 0xFF00FF, 300, 255, 255 }, { 0x804040, 0, 64, 128 }, { 0x10A040, 140, 144, 160 },
    };
    for (auto &t : hsv) {
        CAPTURE(t.rgb);
        int h, s, v;
        RgbToHsv(t.rgb, &h, &s, &v);
        CHECK((h == t.h && s == t.s && v == t.v));
        CHECK((RgbToHue(t.rgb) == h && RgbToSaturation(t.rgb) == s && RgbToValue(t.rgb) == v));
        if (t.rgb != 0x10A040 && t.rgb != 0x804040) CHECK(HsvToRgb(v, s, h) == t.rgb);
    }
    CHECK(HsvToRgb(255, 255, 30) == 0xFF7F00);
    struct { DWORD rgb; int y, cr, cb, u, v, i, q; } luma[] = {
        { 0xFFFFFF, 255, 0, 0, 0, 0, 0, 0 }, { 0x000000, 0, 0, 0, 0, 0, 0, 0 },
        { 0xFF0000, 76, 128, -42, -36, 157, 152, 53 }, { 0x0000FF, 29, -20, 128, 111, -25, -81, 74 },
    };
    for (auto &t : luma) {
        CAPTURE(t.rgb);
        CHECK(std::vector<int>{ RgbToY(t.rgb), RgbToCr(t.rgb), RgbToCb(t.rgb), RgbToU(t.rgb), RgbToV(t.rgb),
                                RgbToI(t.rgb), RgbToQ(t.rgb) } == std::vector<int>{ t.y, t.cr, t.cb, t.u, t.v, t.i, t.q });
    }
}

TEST_CASE("test patterns against their formulas, pixel by pixel")
{
    Image rgb(32, 256, 256);
    CanvasTestPattern(rgb.c, kPatternRgb);
    CHECK(CanvasRead(rgb.c, 0, 0) == 0x0000FF);
    CHECK(CanvasRead(rgb.c, 255, 255) == 0xFEFE01);
    CHECK((rgb.c.penX == 255 && rgb.c.penY == 255));
    CHECK(RadialPatternValue(kPatternYuv, -40, 60) == 0xE58E50);
    CHECK(RadialPatternValue(kPatternYiq, 0, 0) == 0);

    for (int bits : { 32, 8 })
        for (auto size : { std::make_pair(37, 23), std::make_pair(5, 1), std::make_pair(1, 6) })
            for (TestPattern p : { kPatternRgb, kPatternHsv, kPatternYCrCb, kPatternYuv, kPatternYiq, kPatternGrey }) {
                const int w = size.first, h = size.second, half = h / 2;
                CAPTURE(bits); CAPTURE(w); CAPTURE(h); CAPTURE((int)p);
                Image img(bits, w, h), grey(bits, w, h);
                CanvasTestPattern(img.c, p);
                for (int j = 0; j < w; j++) {   // "Grey" as its two lines per column
                    CanvasDrawLine(grey.c, 255 * j / w * 0x010101, j, 0, j, half - 1);
                    CanvasDrawLine(grey.c, (255 - 255 * j / w) * 0x010101, j, half, j, h - 1);
                }
                for (int i = 0; i < h; i++)
                    for (int j = 0; j < w; j++) {
                        // HSV on one row: the row where both halves meet, full S and V.
                        int s = i < half ? 255 * i / half : 255;
                        int v = i < half || !half ? 255 : 255 - 255 * (i - half) / half;
                        DWORD want = p == kPatternRgb ? (DWORD)((255 * j / w) << 16 | (255 * i / h) << 8 | (255 - 255 * (i + j) / (w + h)))
                                   : p == kPatternHsv ? HsvToRgb(v, s, 359 * j / w)
                                   : p == kPatternGrey ? CanvasRead(grey.c, j, i)
                                   : RadialPatternValue(p, 255 * (j - w / 2) / w, 255 * (h / 2 - i) / h);
                        REQUIRE(CanvasRead(img.c, j, i) == (bits == 8 ? want & 0xFF : want));
                    }
            }
}

TEST_CASE("quarter turns and rescaled sizes")
{
    const DWORD row[3] = { 1, 2, 3 };
    Image right(32, 1, 3), left(32, 1, 3);
    RotateInto(row, 3, 1, true, right.c);
    RotateInto(row, 3, 1, false, left.c);
    CHECK((CanvasRead(right.c, 0, 0) == 1 && CanvasRead(right.c, 0, 2) == 3));
    CHECK((CanvasRead(left.c, 0, 0) == 3 && CanvasRead(left.c, 0, 2) == 1));
    // 5 x 3 bytes become 3 x 5 in rows of 4 bytes; padding is not written.
    const unsigned char five[15] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
    Image turned(8, 3, 5);
    for (auto &b : turned.bytes) b = 0xEE;
    RotateInto(five, 5, 3, true, turned.c);
    CHECK(turned.bytes == std::vector<unsigned char>{ 11, 6, 1, 0xEE, 12, 7, 2, 0xEE, 13, 8, 3, 0xEE,
                                                      14, 9, 4, 0xEE, 15, 10, 5, 0xEE });
    struct { int side, factor, want; } sizes[] = {
        { 640, 707, 452 }, { 480, 707, 339 }, { 640, 1414, 905 }, { 480, 1414, 679 },
        { 1, 500, 1 }, { 3, 500, 2 }, { 3, 707, 2 }, { 3, 1414, 4 }, { 3, 2000, 6 },
    };
    for (auto &s : sizes) CHECK(RescaledSide(s.side, s.factor) == s.want);
}
