// Grid arithmetic of the button box.
#include "doctest_wine.h"
#include <windows.h>
#include "boxes/buttonbox_logic.h"

TEST_CASE("button grid")
{
    const int grids[][3] = { { 2, 6, 1 }, { 16, 16, 1 }, { 1, 256, 1 }, { 256, 1, 1 }, { 3, 100, 0 },
                             { 257, 1, 0 }, { 0, 5, 0 }, { 5, 0, 0 }, { -2, -3, 0 }, { 65536, 65536, 0 } };
    for (auto &g : grids) CHECK_MESSAGE(ButtonGridValid(g[0], g[1]) == (g[2] != 0), g[0] << "x" << g[1]);

    int w, h, x, y;
    ButtonGridClientSize(2, 6, 98, 26, &w, &h);
    CHECK((w == 2 * 102 + 4 && h == 6 * 30 + 4));
    const int positions[][3] = { { 0, 4, 4 }, { 5, 106, 64 }, { 11, 106, 154 } };   // i, x, y; 2 wide
    for (auto &p : positions) {
        ButtonGridPosition(p[0], 2, 98, 26, &x, &y);
        CHECK((x == p[1] && y == p[2]));
    }
    // client w, h, grid nx, ny -> button w, h
    const int sizes[][6] = { { 208, 184, 2, 6, 98, 26 }, { 408, 184, 2, 6, 198, 26 }, { 209, 185, 2, 6, 98, 26 },
                             { 10, 10, 2, 6, 0, 0 }, { 13, 9, 1, 1, 5, 1 } };
    for (auto &s : sizes) {
        ButtonSizeForClient(s[0], s[1], s[2], s[3], &w, &h);
        CHECK((w == s[4] && h == s[5]));
    }
    // x, y in 2 x 6 cells of 102 x 30 -> index; outside clamps; 65535 is far.
    const int hits[][3] = { { 0, 0, 0 }, { 101, 29, 0 }, { 102, 0, 1 }, { 0, 30, 2 }, { 150, 95, 7 },
                            { 5000, 0, 1 }, { 10, 400, 10 }, { 500, 400, 11 }, { 65535, 0, 1 } };
    for (auto &p : hits) CHECK(ButtonIndexAtPoint((unsigned short)p[0], (unsigned short)p[1], 2, 6, 98, 26) == p[2]);
    CHECK(ButtonIndexAtPoint(9, 5, 4, 4, 0, 0) == 6);   // gap only

    const unsigned keys[][2] = { { '0', 0 }, { '9', 9 }, { VK_NUMPAD0, 0 }, { VK_NUMPAD9, 9 },
                                 { 'A', ~0u }, { '/', ~0u }, { ':', ~0u }, { VK_NUMPAD9 + 1, ~0u } };
    for (auto &k : keys) CHECK(ButtonForDigitKey(k[0]) == (int)k[1]);
}
