// The click-driven tools' geometry on plain buffers.
#include "doctest_wine.h"
#include "imageproc/picktools_logic.h"
#include <vector>

namespace {

int Inverted(const std::vector<DWORD> &pixels)
{
    int n = 0;
    for (DWORD p : pixels) n += p == 0xFFFFFF;
    return n;
}

}  // namespace

TEST_CASE("block frame, its diagonals and the rubber-band radius")
{
    struct { int mx, my, bw, bh, left, top, right, bottom; bool diag; int inverted; } frames[] = {
        { 20, 20, 8, 20, 16, 10, 23, 29, false, 52 },
        { 20, 20, 9, 9, 16, 16, 24, 24, true, 44 },    // the diagonals cross once, cancelling there
        { 20, 20, 9, 8, 16, 16, 24, 23, false, 30 },
        { 0, 0, 5, 2, -2, -1, 2, 0, false, 3 },        // clipped at the corner
    };
    for (auto &f : frames) {
        CAPTURE(f.bw);
        CAPTURE(f.bh);
        PickFrame r = BlockFrame(f.mx, f.my, f.bw, f.bh);
        CHECK(std::vector<int>{ r.left, r.top, r.right, r.bottom, r.diagonals } ==
              std::vector<int>{ f.left, f.top, f.right, f.bottom, f.diag });
        std::vector<DWORD> pixels(48 * 40, 0);
        Canvas c = MakeCanvas(pixels.data(), 32, 48, 40);
        PickFeedback fb = { kShapeBlock, 0, 0, f.mx, f.my, f.bw, f.bh };
        InvertPickFeedback(c, fb);
        CHECK(Inverted(pixels) == f.inverted);
        if (f.diag) CHECK((pixels[17 * 48 + 17] == 0xFFFFFF && pixels[17 * 48 + 23] == 0xFFFFFF));
        InvertPickFeedback(c, fb);
        CHECK(Inverted(pixels) == 0);
    }
    struct { int dx, dy, r; } radii[] = { { 3, 4, 5 }, { 1, 1, 1 }, { -1, -2, 2 }, { 2, 3, 4 }, { 0, 0, 0 }, { 5, 5, 7 }, { 1, 3, 3 } };
    for (auto &k : radii) CHECK(CircleRadius(k.dx, k.dy) == k.r);
}
