// The movie viewer's arithmetic: frame conversion, the step targets of the
// buttons and the frame index strip of the sample movies.
#include "doctest_wine.h"
#include "viewer/viewer_logic.h"
#include <math.h>
#include <vector>

using namespace nbxv;

TEST_CASE("BGR triples become 0x00RRGGBB words in memory order")
{
    const uint8_t bgr[] = { 1, 2, 3, 0xFF, 0x80, 0x00, 0x10, 0x20, 0x30 };
    uint32_t out[4] = { 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF, 0xDEADBEEF };
    BgrToRgb32(bgr, out, 3);
    CHECK(out[0] == 0x030201u);
    CHECK(out[1] == 0x0080FFu);
    CHECK(out[2] == 0x302010u);
    CHECK(out[3] == 0xDEADBEEFu);   // nothing past the count

    // Lengths around any vector width agree with the plain formula.
    for (size_t n : { 0u, 1u, 7u, 15u, 16u, 17u, 63u, 100u }) {
        std::vector<uint8_t> src(3 * n);
        for (size_t i = 0; i < src.size(); i++) src[i] = (uint8_t)(i * 37 + 11);
        std::vector<uint32_t> dst(n + 1, 0xAAAAAAAAu);
        BgrToRgb32(src.data(), dst.data(), n);
        for (size_t i = 0; i < n; i++)
            REQUIRE(dst[i] == ((uint32_t)src[3 * i + 2] << 16 | (uint32_t)src[3 * i + 1] << 8 | src[3 * i]));
        CHECK(dst[n] == 0xAAAAAAAAu);
    }
}

TEST_CASE("a whole frame converts top-down; padded rows do not skew")
{
    const int w = 3, h = 2;
    std::vector<uint8_t> packed(w * h * 3);
    for (int i = 0; i < w * h; i++) { packed[3 * i] = (uint8_t)i; packed[3 * i + 1] = 0x40; packed[3 * i + 2] = 0x80; }
    std::vector<uint32_t> buf(w * h, 0);
    CHECK(ConvertFrame(packed.data(), w, h, w * 3, buf.data(), w, h) == 6);
    for (int i = 0; i < w * h; i++) CHECK(buf[i] == (0x804000u | (uint32_t)i));

    // Rows padded to 12 bytes: pixel (x, y) still lands at word y * w + x.
    const int step = 12;
    std::vector<uint8_t> padded(step * h, 0xEE);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *p = &padded[y * step + 3 * x];
            p[0] = (uint8_t)(10 * y + x); p[1] = 0; p[2] = 0;
        }
    std::fill(buf.begin(), buf.end(), 0);
    ConvertFrame(padded.data(), w, h, step, buf.data(), w, h);
    CHECK(buf[0] == 0u);
    CHECK(buf[2] == 2u);
    CHECK(buf[3] == 10u);
    CHECK(buf[5] == 12u);
}

TEST_CASE("a buffer smaller or larger than the frame is never overrun")
{
    const int w = 4, h = 4;
    std::vector<uint8_t> frame(w * h * 3, 0x11);
    // 2 x 3 buffer inside a guard zone.
    std::vector<uint32_t> guarded(2 * 3 + 8, 0x55555555u);
    CHECK(ConvertFrame(frame.data(), w, h, w * 3, guarded.data() + 4, 2, 3) == 6);
    for (int i = 0; i < 4; i++) CHECK(guarded[i] == 0x55555555u);
    for (int i = 4; i < 10; i++) CHECK(guarded[i] == 0x111111u);
    for (int i = 10; i < 14; i++) CHECK(guarded[i] == 0x55555555u);

    // Larger buffer: the frame fills its top-left corner only.
    std::vector<uint32_t> big(6 * 5, 0);
    CHECK(ConvertFrame(frame.data(), w, h, w * 3, big.data(), 6, 5) == 16);
    CHECK(big[0] == 0x111111u);
    CHECK(big[3] == 0x111111u);
    CHECK(big[4] == 0u);
    CHECK(big[6 * 4] == 0u);

    CHECK(ConvertFrame(frame.data(), 0, 0, 0, big.data(), 6, 5) == 0);
    CHECK(ConvertFrame(nullptr, w, h, w * 3, big.data(), 6, 5) == 0);
    CHECK(ConvertFrame(frame.data(), w, h, w * 3, nullptr, 6, 5) == 0);
}

TEST_CASE("step targets with their clamps")
{
    // p is the next frame's position; the frame shown is p - 1.
    CHECK(TargetBack(10) == 8);     // shown 9 -> 8
    CHECK(TargetBack(2) == 0);      // shown 1 -> 0
    CHECK(TargetBack(1) == 0);      // shown 0 -> stays 0
    CHECK(TargetBack(0) == 0);
    CHECK(TargetBack10(30) == 19);  // shown 29 -> 19
    CHECK(TargetBack10(11) == 0);   // shown 10 -> 0
    CHECK(TargetBack10(5) == 0);
    CHECK(TargetForward10(20, 250) == 29);   // shown 19 -> 29
    CHECK(TargetForward10(240, 250) == 249); // clamped to the last frame
    CHECK(TargetForward10(241, 250) == 249);
    CHECK(TargetForward10(250, 250) == 249);
    CHECK(TargetFirst() == 1);
    CHECK(TargetLast(250) == 249);
    CHECK(PositionAfterForwardAtEnd(250) == 249);
    // The comparisons are the ones written: a NaN position falls to the bound.
    CHECK(TargetBack(NAN) == 0);
    CHECK(TargetForward10(NAN, 250) == 249);
    // Fractional positions (millisecond based demuxers) pass through.
    CHECK(TargetBack(2.5) == doctest::Approx(0.5));
}

static std::vector<uint32_t> PaintedFrame(int w, int h, int index, uint8_t fill = 0x7F)
{
    std::vector<uint8_t> bgr((size_t)w * h * 3, fill);
    REQUIRE(PaintStrip(bgr.data(), w, h, w * 3, index));
    std::vector<uint32_t> rgb((size_t)w * h);
    ConvertFrame(bgr.data(), w, h, w * 3, rgb.data(), w, h);
    return rgb;
}

TEST_CASE("the index strip round-trips at the sample sizes")
{
    for (int index : { 0, 1, 2, 9, 10, 127, 249, 1000, 16383 }) {
        std::vector<uint32_t> f = PaintedFrame(640, 480, index);
        CHECK(DecodeStrip(f.data(), 640, 480, 640) == index);
    }
    std::vector<uint32_t> small = PaintedFrame(320, 240, 39);
    CHECK(DecodeStrip(small.data(), 320, 240, 320) == 39);

    // Inside a wider buffer (a screen grab with a stride of its own).
    std::vector<uint32_t> f = PaintedFrame(320, 240, 77);
    std::vector<uint32_t> wide(400 * 240, 0x123456);
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) wide[y * 400 + x] = f[y * 320 + x];
    CHECK(DecodeStrip(wide.data(), 320, 240, 400) == 77);
}

TEST_CASE("a missing, smeared or torn strip does not decode")
{
    std::vector<uint32_t> blank(640 * 480, 0x808080);
    CHECK(DecodeStrip(blank.data(), 640, 480, 640) == -1);
    std::vector<uint32_t> black(640 * 480, 0);
    CHECK(DecodeStrip(black.data(), 640, 480, 640) == -1);

    // Row B no longer the complement of row A in one cell (a torn picture).
    std::vector<uint32_t> f = PaintedFrame(640, 480, 123);
    StripLayout s = StripGeometry(640, 480);
    for (int y = s.top + s.cellH; y < s.top + 2 * s.cellH; y++)
        for (int x = 5 * s.cellW; x < 6 * s.cellW; x++) f[y * 640 + x] ^= 0xFFFFFF;
    CHECK(DecodeStrip(f.data(), 640, 480, 640) == -1);

    // Grey cells (blurred beyond telling) do not decode.
    std::vector<uint32_t> g = PaintedFrame(640, 480, 5);
    for (int y = s.top; y < s.top + s.cellH; y++)
        for (int x = 3 * s.cellW; x < 4 * s.cellW; x++) g[y * 640 + x] = 0x808080;
    CHECK(DecodeStrip(g.data(), 640, 480, 640) == -1);

    CHECK(DecodeStrip(nullptr, 640, 480, 640) == -1);
    CHECK(DecodeStrip(blank.data(), 10, 10, 5) == -1);
    std::vector<uint8_t> tiny(8 * 8 * 3);
    CHECK_FALSE(PaintStrip(tiny.data(), 8, 8, 24, 1));
}

TEST_CASE("light JPEG-like noise keeps the strip readable")
{
    std::vector<uint32_t> f = PaintedFrame(640, 480, 201);
    uint32_t seed = 1;
    for (auto &v : f) {
        seed = seed * 1103515245u + 12345u;
        int d = (int)((seed >> 16) % 41) - 20;   // +-20 on every channel
        uint32_t out = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            int c = (int)((v >> shift) & 255) + d;
            c = c < 0 ? 0 : c > 255 ? 255 : c;
            out |= (uint32_t)c << shift;
        }
        v = out;
    }
    CHECK(DecodeStrip(f.data(), 640, 480, 640) == 201);
}
