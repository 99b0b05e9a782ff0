// Sizes past 32 bits: `long` is 64-bit in the Winelib build and 32-bit on
// Windows, so arithmetic leaning on it passes one build only.
#include "doctest_wine.h"
#include "imagewin/imagewin_logic.h"
#include "imagewin/imagefile_logic.h"
#include <climits>
#include <vector>

TEST_CASE("sizes beyond 4 GB")
{
    const struct { int bits, width, height; unsigned long long bytes; } cases[] = {
        { 32, 40000, 40000, 6400000000ULL },
        { 8, 65537, 65537, 65540ULL * 65537ULL },
        { 32, 32768, 32768, 4294967296ULL } };
    for (const auto &c : cases) CHECK_MESSAGE((unsigned long long)ImageBytes(c.bits, c.width, c.height) == c.bytes, c.width);
}

TEST_CASE("clear to INT_MAX")
{
    const int W = 5, H = 4;
    std::vector<DWORD> px(W * H, 0xFF000000);
    ClearTopBytes(px.data(), W, H, 3, 2, INT_MAX, INT_MAX);
    for (int i = 0; i < W * H; i++) CHECK(px[i] == ((i % W >= 3 && i / W >= 2) ? 0u : 0xFF000000u));
}
