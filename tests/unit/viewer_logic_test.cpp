// Viewer: frame conversion, steps, index strip, host path.
#include "doctest_wine.h"
#include "shell/nbx_internal.h"
#include "viewer/viewer_logic.h"
#include <math.h>
#include <string>
#include <vector>

using namespace nbxv;

static std::vector<uint32_t> PaintedFrame(int w, int h, int index)
{
    std::vector<uint8_t> bgr((size_t)w * h * 3, 0x7F);
    REQUIRE(PaintStrip(bgr.data(), w, h, w * 3, index));
    std::vector<uint32_t> rgb((size_t)w * h);
    ConvertFrame(bgr.data(), w, h, w * 3, rgb.data(), w, h);
    return rgb;
}

TEST_CASE("frame conversion, steps, index strip, host path")
{
    for (size_t n : { 0u, 1u, 7u, 16u, 17u, 63u, 100u }) {
        std::vector<uint8_t> src(3 * n);
        for (size_t i = 0; i < src.size(); i++) src[i] = (uint8_t)(i * 37 + 11);
        std::vector<uint32_t> dst(n + 1, 0xAAAAAAAAu);
        BgrToRgb32(src.data(), dst.data(), n);
        for (size_t i = 0; i < n; i++)
            REQUIRE(dst[i] == ((uint32_t)src[3 * i + 2] << 16 | (uint32_t)src[3 * i + 1] << 8 | src[3 * i]));
        CHECK(dst[n] == 0xAAAAAAAAu);
    }
    // 3 x 2, rows of 12 bytes: (x, y) lands at word y * 3 + x.
    std::vector<uint8_t> padded(12 * 2, 0);
    for (int i = 0; i < 6; i++) padded[i / 3 * 12 + i % 3 * 3] = (uint8_t)(i / 3 * 10 + i % 3);
    std::vector<uint32_t> buf(6, 0);
    CHECK((ConvertFrame(padded.data(), 3, 2, 12, buf.data(), 3, 2) == 6 && buf == std::vector<uint32_t>({ 0, 1, 2, 10, 11, 12 })));
    // A smaller buffer in a guard zone, a larger one: the overlap only.
    std::vector<uint8_t> frame(4 * 4 * 3, 0x11);
    std::vector<uint32_t> guarded(2 * 3 + 8, 0x55555555u), big(6 * 5, 0);
    CHECK(ConvertFrame(frame.data(), 4, 4, 12, guarded.data() + 4, 2, 3) == 6);
    for (int i = 0; i < 14; i++) CHECK(guarded[i] == (i >= 4 && i < 10 ? 0x111111u : 0x55555555u));
    CHECK((ConvertFrame(frame.data(), 4, 4, 12, big.data(), 6, 5) == 16 && big[3] == 0x111111u && big[4] == 0u && big[6 * 4] == 0u));
    CHECK((ConvertFrame(frame.data(), 0, 0, 0, big.data(), 6, 5) == 0 && ConvertFrame(nullptr, 4, 4, 12, big.data(), 6, 5) == 0));
    CHECK(ConvertFrame(frame.data(), 4, 4, 12, nullptr, 6, 5) == 0);
    // kind (0 "<", 1 "< 10", 2 "> 10"), next position, target
    const double cases[][3] = {
        { 0, 10, 8 }, { 0, 2, 0 }, { 0, 1, 0 }, { 0, 0, 0 }, { 0, NAN, 0 }, { 0, 2.5, 0.5 },
        { 1, 30, 19 }, { 1, 11, 0 }, { 1, 5, 0 },
        { 2, 20, 29 }, { 2, 240, 249 }, { 2, 241, 249 }, { 2, 250, 249 }, { 2, NAN, 249 } };
    for (auto &c : cases) {
        double t = c[0] == 0 ? TargetBack(c[1]) : c[0] == 1 ? TargetBack10(c[1]) : TargetForward10(c[1], 250);
        CHECK_MESSAGE(t == doctest::Approx(c[2]), c[0] << "@" << c[1]);
    }
    CHECK((TargetFirst() == 1 && TargetLast(250) == 249 && PositionAfterForwardAtEnd(250) == 249));
    for (int index : { 0, 1, 2, 9, 127, 249, 16383 }) CHECK(DecodeStrip(PaintedFrame(640, 480, index).data(), 640, 480, 640) == index);
    std::vector<uint32_t> f = PaintedFrame(320, 240, 77), wide(400 * 240, 0x123456);
    for (int i = 0; i < 320 * 240; i++) wide[i / 320 * 400 + i % 320] = f[i];
    CHECK(DecodeStrip(wide.data(), 320, 240, 400) == 77);   // own stride
    std::vector<uint32_t> blank(640 * 480, 0x808080), black(640 * 480, 0);
    CHECK((DecodeStrip(blank.data(), 640, 480, 640) == -1 && DecodeStrip(black.data(), 640, 480, 640) == -1));
    CHECK((DecodeStrip(nullptr, 640, 480, 640) == -1 && DecodeStrip(blank.data(), 10, 10, 5) == -1));
    StripLayout s = StripGeometry(640, 480);
    // Row B not the complement of row A in a cell; grey cells.
    for (int torn = 0; torn < 2; torn++) {
        f = PaintedFrame(640, 480, 123);
        for (int y = 0; y < s.cellH; y++)
            for (int x = 0; x < s.cellW; x++) {
                uint32_t &p = f[(s.top + (1 - torn) * s.cellH + y) * 640 + (5 - 2 * torn) * s.cellW + x];
                p = torn ? 0x808080 : p ^ 0xFFFFFF;
            }
        CHECK(DecodeStrip(f.data(), 640, 480, 640) == -1);
    }
    std::vector<uint8_t> tiny(8 * 8 * 3);
    CHECK_FALSE(PaintStrip(tiny.data(), 8, 8, 24, 1));
#ifdef __WINE__
    const char *want = "/tmp/m.avi";
#else
    const char *want = "Z:\\tmp\\m.avi";
#endif
    char host[NBX_PATH];
    REQUIRE(NbxHostPath("Z:\\tmp\\m.avi", host, sizeof host));
    CHECK((std::string(host) == want && !NbxHostPath("Z:\\tmp\\m.avi", host, 8)));
}
