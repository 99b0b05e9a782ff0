// Image tools on plain buffers: lines, boxes, circles, the flood fill,
// colour arithmetic, test patterns and quarter turns.
#include "doctest_wine.h"
#include "imageproc/imageproc_logic.h"
#include <set>
#include <string.h>
#include <utility>
#include <vector>

namespace {

typedef std::set<std::pair<int, int>> Points;

struct Image {
    std::vector<unsigned char> bytes;
    Canvas c;
    Image(int bits, int w, int h)
    {
        int stride = bits == 8 ? (w + 3) & ~3 : w * 4;
        bytes.assign((size_t)stride * h, 0);
        c = MakeCanvas(bytes.data(), bits, w, h);
    }
    Points Lit() const
    {
        Points p;
        for (int y = 0; y < c.height; y++)
            for (int x = 0; x < c.width; x++)
                if (CanvasRead(c, x, y)) p.insert({ x, y });
        return p;
    }
    void Noise(unsigned seed)
    {
        for (size_t i = 0; i < bytes.size(); i++) bytes[i] = (unsigned char)((seed = seed * 1103515245u + 12345u) >> 16);
        if (c.bits == 32)
            for (int i = 0; i < c.width * c.height; i++) ((DWORD *)bytes.data())[i] &= 0xFFFFFF;
    }
};

}  // namespace

TEST_CASE("lines: pixel lists both ways, the pen, partly outside")
{
    struct { int x1, y1, x2, y2; Points pixels; } cases[] = {
        { 0, 0, 5, 2, { { 0, 0 }, { 1, 0 }, { 2, 1 }, { 3, 1 }, { 4, 2 }, { 5, 2 } } },
        { 0, 0, 2, 5, { { 0, 0 }, { 0, 1 }, { 1, 2 }, { 1, 3 }, { 2, 4 }, { 2, 5 } } },
        { 3, 1, 3, 4, { { 3, 1 }, { 3, 2 }, { 3, 3 }, { 3, 4 } } },
        { 4, 2, 1, 2, { { 1, 2 }, { 2, 2 }, { 3, 2 }, { 4, 2 } } },
        { 0, 5, 5, 0, { { 0, 5 }, { 1, 4 }, { 2, 3 }, { 3, 2 }, { 4, 1 }, { 5, 0 } } },
    };
    for (auto &t : cases) {
        for (int reverse = 0; reverse < 2; reverse++) {
            Image img(32, 8, 8);
            int ex = reverse ? t.x1 : t.x2, ey = reverse ? t.y1 : t.y2;
            if (reverse) CanvasDrawLine(img.c, 0x123456, t.x2, t.y2, t.x1, t.y1);
            else CanvasDrawLine(img.c, 0x123456, t.x1, t.y1, t.x2, t.y2);
            CHECK(img.Lit() == t.pixels);
            CHECK(img.c.penX == ex);
            CHECK(img.c.penY == ey);
        }
    }
    Image img(32, 4, 4);
    CanvasDrawLine(img.c, 1, -3, 1, 9, 1);
    CHECK(img.Lit() == Points{ { 0, 1 }, { 1, 1 }, { 2, 1 }, { 3, 1 } });
    CHECK(img.c.penX == 9);
    CanvasPutPixel(img.c, -1, 7, 5);
    CHECK(img.c.penX == -1);
    CHECK(img.c.penY == 7);
    CHECK(CanvasRead(img.c, -1, 0) == 0);
}

TEST_CASE("inverting primitives restore the image when drawn twice")
{
    for (int bits : { 32, 8 }) {
        Image img(bits, 37, 23);
        img.Noise(7);
        const std::vector<unsigned char> before = img.bytes;
        CanvasXorLine(img.c, 2, 20, 30, 3);
        CHECK(img.bytes != before);
        CanvasXorLine(img.c, 30, 3, 2, 20);
        CanvasXorBox(img.c, 30, 15, 3, 2);
        CanvasXorBox(img.c, 3, 2, 30, 15);
        CanvasXorFillBox(img.c, 1, 1, 20, 12);
        CanvasXorFillBox(img.c, 20, 12, 1, 1);
        CanvasXorCircle(img.c, 18, 11, 9);
        CanvasXorCircle(img.c, 18, 11, 9);
        CanvasXorFillCircle(img.c, 18, 11, 14);
        CanvasXorFillCircle(img.c, 18, 11, 14);
        CHECK(img.bytes == before);
    }
    // Each outline pixel exactly once: one pass turns black into a closed ring.
    Image ring(32, 12, 12);
    CanvasXorBox(ring.c, 9, 8, 2, 1);
    CHECK(ring.Lit().size() == 2 * 8 + 2 * 6);
    Image one(8, 4, 4);
    CanvasXorFillBox(one.c, 2, 2, 2, 2);
    CHECK(one.Lit() == Points{ { 2, 2 } });
    CHECK(CanvasRead(one.c, 2, 2) == 0xFF);
}

TEST_CASE("boxes sort their corners")
{
    Image img(32, 8, 8);
    CanvasFillBox(img.c, 0xFF, 5, 5, 2, 3);
    Points want;
    for (int y = 3; y <= 5; y++)
        for (int x = 2; x <= 5; x++) want.insert({ x, y });
    CHECK(img.Lit() == want);
    Image outline(32, 8, 8);
    CanvasDrawBox(outline.c, 0xFF, 6, 1, 1, 5);
    CHECK(outline.Lit().size() == 2 * 6 + 2 * 3);
    CHECK(CanvasRead(outline.c, 3, 3) == 0);
}

TEST_CASE("circles: outline pixels, and discs with the same rim inverted once")
{
    Image two(32, 9, 9);
    CanvasDrawCircle(two.c, 1, 4, 4, 2);
    Points want = { { 6, 4 }, { 2, 4 }, { 4, 6 }, { 4, 2 } };
    for (int sx : { -1, 1 })
        for (int sy : { -1, 1 }) {
            want.insert({ 4 + sx, 4 + 2 * sy });
            want.insert({ 4 + 2 * sx, 4 + sy });
        }
    CHECK(two.Lit() == want);
    Image zero(32, 5, 5);
    CanvasDrawCircle(zero.c, 1, 2, 2, 0);
    CHECK(zero.Lit() == Points{ { 2, 2 } });

    for (int r = 1; r <= 40; r++) {
        CAPTURE(r);
        Image solid(32, 90, 90), inverted(32, 90, 90), rim(32, 90, 90);
        CanvasFillCircle(solid.c, 0xFFFFFF, 45, 45, r);
        CanvasXorFillCircle(inverted.c, 45, 45, r);
        CanvasDrawCircle(rim.c, 0xFFFFFF, 45, 45, r);
        Points disc = solid.Lit();
        CHECK(inverted.Lit() == disc);
        for (auto &p : rim.Lit()) CHECK(disc.count(p) == 1);
        // Each row of the disc is one unbroken span, symmetric about the centre.
        for (int y = 0; y < 90; y++) {
            int first = -1, last = -1, count = 0;
            for (int x = 0; x < 90; x++)
                if (disc.count({ x, y })) { if (first < 0) first = x; last = x; count++; }
            if (count) {
                CHECK(count == last - first + 1);
                CHECK(first + last == 90);
            }
        }
    }
}

TEST_CASE("flood fill: regions, colours already there, ragged regions past the seed stack")
{
    SUBCASE("a one-pixel ring fills only the seed's side") {
        Image img(32, 12, 12);
        CanvasDrawCircle(img.c, 0x00FF00, 6, 6, 4);
        CanvasFloodFill(img.c, 0xFF0000, 6, 6);
        CHECK(CanvasRead(img.c, 6, 6) == 0xFF0000);
        CHECK(CanvasRead(img.c, 0, 0) == 0);
        CHECK(CanvasRead(img.c, 11, 11) == 0);
        CanvasFloodFill(img.c, 0x0000FF, 0, 0);
        CHECK(CanvasRead(img.c, 6, 6) == 0xFF0000);
        CHECK(CanvasRead(img.c, 11, 0) == 0x0000FF);
    }
    SUBCASE("nothing happens on the fill colour or outside") {
        Image img(8, 6, 6);
        img.bytes[0] = 0x34;
        const std::vector<unsigned char> before = img.bytes;
        CHECK(CanvasFloodFill(img.c, 0x12345634, 0, 0) == -1);   // low byte is the index
        CHECK(CanvasFloodFill(img.c, 1, -1, 0) == -1);
        CHECK(img.bytes == before);
    }
    SUBCASE("a maze far beyond the seed stack, with the fill colour elsewhere") {
        // Full rows joined by one-pixel links in every other column: each
        // row run pushes a seed per link, so the stack runs full early.
        for (int bits : { 32, 8 }) {
            CAPTURE(bits);
            const int N = 1024;
            Image img(bits, N, N);
            for (int y = 0; y < N; y++)
                for (int x = 0; x < N; x++)
                    if (y % 2 == 1 && x % 2 == 1) CanvasStore(img.c, x, y, 7);   // walls
            // A closed-off pocket holding both the target and the fill colour.
            CanvasFillBox(img.c, 7, 0, 0, 3, 3);
            CanvasStore(img.c, 1, 1, 0);
            CanvasStore(img.c, 2, 1, 9);
            if (bits == 8)   // every index in use: no spare marker value
                for (int k = 0; k < 256; k++) CanvasStore(img.c, k, N - 1, k == 0 ? 7 : k);
            int passes = CanvasFloodFill(img.c, 9, N - 2, N / 2);
            CHECK(passes > 0);
            long unfilled = 0;
            for (int y = 0; y < N; y++)
                for (int x = 0; x < N; x++) unfilled += CanvasRead(img.c, x, y) == 0;
            CHECK(unfilled == 1);
            CHECK(CanvasRead(img.c, 1, 1) == 0);
            CHECK(CanvasRead(img.c, 2, 1) == 9);
        }
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
        CHECK(h == t.h); CHECK(s == t.s); CHECK(v == t.v);
        CHECK(RgbToHue(t.rgb) == t.h);
        CHECK(RgbToSaturation(t.rgb) == t.s);
        CHECK(RgbToValue(t.rgb) == t.v);
    }
    // Primaries and their mixes come back from HSV unchanged.
    for (DWORD rgb : { 0xFF0000u, 0xFFFF00u, 0x00FF00u, 0x00FFFFu, 0x0000FFu, 0xFF00FFu, 0x404040u })
        CHECK(HsvToRgb(RgbToValue(rgb), RgbToSaturation(rgb), RgbToHue(rgb)) == rgb);
    CHECK(HsvToRgb(255, 255, 30) == 0xFF7F00);

    struct { DWORD rgb; int y, cr, cb, u, v, i, q; } luma[] = {
        { 0xFFFFFF, 255, 0, 0, 0, 0, 0, 0 },
        { 0x000000, 0, 0, 0, 0, 0, 0, 0 },
        { 0xFF0000, 76, 128, -42, -36, 157, 152, 53 },
        { 0x0000FF, 29, -20, 128, 111, -25, -81, 74 },
    };
    for (auto &t : luma) {
        CAPTURE(t.rgb);
        CHECK(RgbToY(t.rgb) == t.y);
        CHECK(RgbToCr(t.rgb) == t.cr);
        CHECK(RgbToCb(t.rgb) == t.cb);
        CHECK(RgbToU(t.rgb) == t.u);
        CHECK(RgbToV(t.rgb) == t.v);
        CHECK(RgbToI(t.rgb) == t.i);
        CHECK(RgbToQ(t.rgb) == t.q);
    }
}

TEST_CASE("test patterns")
{
    Image rgb(32, 256, 256);
    CanvasTestPattern(rgb.c, kPatternRgb);
    CHECK(CanvasRead(rgb.c, 0, 0) == 0x0000FF);
    CHECK(CanvasRead(rgb.c, 255, 255) == 0xFEFE01);
    CHECK(rgb.c.penX == 255);
    CHECK(rgb.c.penY == 255);

    // Every pattern, on odd sizes and on both depths, against its formula
    // taken pixel by pixel.
    for (int bits : { 32, 8 })
        for (auto size : { std::make_pair(37, 23), std::make_pair(5, 1), std::make_pair(1, 6) }) {
            const int w = size.first, h = size.second, half = h / 2;
            CAPTURE(bits); CAPTURE(w); CAPTURE(h);
            for (TestPattern p : { kPatternRgb, kPatternHsv, kPatternYCrCb, kPatternYuv, kPatternYiq, kPatternGrey }) {
                CAPTURE((int)p);
                Image img(bits, w, h);
                CanvasTestPattern(img.c, p);
                Image grey(bits, w, h);
                for (int j = 0; j < w; j++) {
                    int g = 255 * j / w;
                    CanvasDrawLine(grey.c, g * 0x010101, j, 0, j, half - 1);
                    CanvasDrawLine(grey.c, (255 - g) * 0x010101, j, half, j, h - 1);
                }
                for (int i = 0; i < h; i++)
                    for (int j = 0; j < w; j++) {
                        DWORD want;
                        switch (p) {
                        case kPatternRgb:
                            want = (DWORD)((255 * j / w) << 16 | (255 * i / h) << 8 | (255 - 255 * (i + j) / (w + h)));
                            break;
                        case kPatternHsv: {
                            // One row: the meeting row of the halves, full S and V.
                            int s = i < half ? 255 * i / half : 255;
                            int v = i < half || half == 0 ? 255 : 255 - 255 * (i - half) / half;
                            want = HsvToRgb(v, s, 359 * j / w);
                            break;
                        }
                        case kPatternGrey: want = CanvasRead(grey.c, j, i); break;
                        default: want = RadialPatternValue(p, 255 * (j - w / 2) / w, 255 * (h / 2 - i) / h);
                        }
                        if (bits == 8) want &= 0xFF;
                        REQUIRE(CanvasRead(img.c, j, i) == want);
                    }
            }
        }
    // The radial patterns are black in the centre and saturate at the corners.
    Image radial(32, 64, 64);
    CanvasTestPattern(radial.c, kPatternYCrCb);
    CHECK(CanvasRead(radial.c, 32, 32) == 0);
    CHECK(RadialPatternValue(kPatternYiq, 0, 0) == 0);
    CHECK(RadialPatternValue(kPatternYuv, -40, 60) == 0xE58E50);
}

TEST_CASE("quarter turns and rescaled sizes")
{
    const DWORD row[3] = { 1, 2, 3 };
    Image right(32, 1, 3), left(32, 1, 3);
    RotateInto(row, 3, 1, true, right.c);
    RotateInto(row, 3, 1, false, left.c);
    CHECK(CanvasRead(right.c, 0, 0) == 1);
    CHECK(CanvasRead(right.c, 0, 2) == 3);
    CHECK(CanvasRead(left.c, 0, 0) == 3);
    CHECK(CanvasRead(left.c, 0, 2) == 1);

    // 5 x 3 bytes become 3 x 5 in rows of 4 bytes.
    const unsigned char five[15] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 };
    Image turned(8, 3, 5);
    for (auto &b : turned.bytes) b = 0xEE;
    RotateInto(five, 5, 3, true, turned.c);
    const unsigned char want[20] = { 11, 6, 1, 0xEE, 12, 7, 2, 0xEE, 13, 8, 3, 0xEE,
                                     14, 9, 4, 0xEE, 15, 10, 5, 0xEE };
    CHECK(std::vector<unsigned char>(want, want + 20) == turned.bytes);

    // Four turns either way give back the picture, bit for bit.
    for (int bits : { 32, 8 })
        for (bool toRight : { true, false }) {
            Image img(bits, 7, 5);
            img.Noise(3);
            Image a = img;
            a.c.pixels = a.bytes.data();
            int w = 7, h = 5;
            for (int turn = 0; turn < 4; turn++) {
                std::vector<unsigned char> packed((size_t)w * h * (bits / 8));
                for (int y = 0; y < h; y++)
                    memcpy(&packed[(size_t)y * w * (bits / 8)], a.c.pixels + (size_t)y * a.c.stride, (size_t)w * (bits / 8));
                Image next(bits, h, w);
                RotateInto(packed.data(), w, h, toRight, next.c);
                a = next;
                a.c.pixels = a.bytes.data();
                int t = w; w = h; h = t;
            }
            for (int y = 0; y < 5; y++)
                for (int x = 0; x < 7; x++) CHECK(CanvasRead(a.c, x, y) == CanvasRead(img.c, x, y));
        }

    struct { int side, factor, want; } sizes[] = {
        { 640, 707, 452 }, { 480, 707, 339 }, { 640, 1414, 905 }, { 480, 1414, 679 },
        { 1, 500, 1 }, { 3, 500, 2 }, { 3, 707, 2 }, { 3, 1414, 4 }, { 3, 2000, 6 },
    };
    for (auto &s : sizes) CHECK(RescaledSide(s.side, s.factor) == s.want);
}
