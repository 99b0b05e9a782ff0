// Grid arithmetic of the button box.
#include "doctest_wine.h"
#include <windows.h>
#include "boxes/buttonbox_logic.h"

TEST_CASE("button box: which grids can open")
{
    CHECK(ButtonGridValid(2, 6));
    CHECK(ButtonGridValid(16, 16));
    CHECK(ButtonGridValid(1, 256));
    CHECK(ButtonGridValid(256, 1));
    CHECK_FALSE(ButtonGridValid(3, 100));      // 300 buttons
    CHECK_FALSE(ButtonGridValid(257, 1));
    CHECK_FALSE(ButtonGridValid(0, 5));
    CHECK_FALSE(ButtonGridValid(5, 0));
    CHECK_FALSE(ButtonGridValid(-2, -3));      // product positive, still refused
    CHECK_FALSE(ButtonGridValid(65536, 65536)); // product overflows 32 bits to 0
}

TEST_CASE("button box: client size and button positions")
{
    int w, h;
    ButtonGridClientSize(2, 6, 98, 26, &w, &h);
    CHECK(w == 2 * 102 + 4);
    CHECK(h == 6 * 30 + 4);

    int x, y;
    ButtonGridPosition(0, 2, 98, 26, &x, &y);
    CHECK(x == 4);
    CHECK(y == 4);
    ButtonGridPosition(5, 2, 98, 26, &x, &y);   // row 2, column 1
    CHECK(x == 102 + 4);
    CHECK(y == 2 * 30 + 4);
    ButtonGridPosition(11, 2, 98, 26, &x, &y);
    CHECK(x == 106);
    CHECK(y == 5 * 30 + 4);
}

TEST_CASE("button box: button size follows the client size")
{
    int bw, bh;
    ButtonSizeForClient(208, 184, 2, 6, &bw, &bh);   // the opening size gives it back
    CHECK(bw == 98);
    CHECK(bh == 26);
    ButtonSizeForClient(408, 184, 2, 6, &bw, &bh);
    CHECK(bw == 198);
    ButtonSizeForClient(209, 185, 2, 6, &bw, &bh);   // integer division
    CHECK(bw == 98);
    CHECK(bh == 26);
    ButtonSizeForClient(10, 10, 2, 6, &bw, &bh);     // squeezed below the gaps
    CHECK(bw == 0);
    CHECK(bh == 0);
    ButtonSizeForClient(13, 9, 1, 1, &bw, &bh);
    CHECK(bw == 5);
    CHECK(bh == 1);
}

TEST_CASE("button box: index of a point between or beside the buttons")
{
    // 2 x 6 with 98 x 26 buttons: cells of 102 x 30.
    CHECK(ButtonIndexAtPoint(0, 0, 2, 6, 98, 26) == 0);
    CHECK(ButtonIndexAtPoint(101, 29, 2, 6, 98, 26) == 0);
    CHECK(ButtonIndexAtPoint(102, 0, 2, 6, 98, 26) == 1);
    CHECK(ButtonIndexAtPoint(0, 30, 2, 6, 98, 26) == 2);
    CHECK(ButtonIndexAtPoint(150, 95, 2, 6, 98, 26) == 7);
    // Beyond the right edge and below the last row clamp to the grid.
    CHECK(ButtonIndexAtPoint(5000, 0, 2, 6, 98, 26) == 1);
    CHECK(ButtonIndexAtPoint(10, 400, 2, 6, 98, 26) == 10);
    CHECK(ButtonIndexAtPoint(500, 400, 2, 6, 98, 26) == 11);
    // The coordinates are unsigned words: -1 is 65535, the far edge.
    CHECK(ButtonIndexAtPoint((unsigned short)-1, 0, 2, 6, 98, 26) == 1);
    // A box squeezed to 0-pixel buttons still divides by the gap.
    CHECK(ButtonIndexAtPoint(9, 5, 4, 4, 0, 0) == 1 * 4 + 2);
}

TEST_CASE("button box: digit keys of both keyboards")
{
    CHECK(ButtonForDigitKey('0') == 0);
    CHECK(ButtonForDigitKey('7') == 7);
    CHECK(ButtonForDigitKey('9') == 9);
    CHECK(ButtonForDigitKey(VK_NUMPAD0) == 0);
    CHECK(ButtonForDigitKey(VK_NUMPAD9) == 9);
    CHECK(ButtonForDigitKey('A') == -1);
    CHECK(ButtonForDigitKey('/') == -1);
    CHECK(ButtonForDigitKey(':') == -1);
    CHECK(ButtonForDigitKey(VK_NUMPAD9 + 1) == -1);
}
