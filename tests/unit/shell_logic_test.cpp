// Snapping, the status-line centring and the millisecond clock's arithmetic.
#include "doctest_wine.h"
#include "shell/shell_logic.h"
#include <string.h>
#include <string>

static RECT Rect(int l, int t, int r, int b) { RECT x = { l, t, r, b }; return x; }

static EdgeTable TableWith(RECT other)
{
    EdgeTable t;
    EdgeTableClear(&t);
    EdgeTableAdd(&t, other.left, other.top, other.right, other.bottom);
    return t;
}

static bool Same(RECT a, RECT b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_CASE("side-by-side snapping: 5 pixels snaps, 8 does not")
{
    EdgeTable t = TableWith(Rect(100, 100, 300, 400));
    RECT current = Rect(0, 0, 100, 100);      // where the dragged window was

    RECT r = Rect(305, 200, 405, 300);        // left edge 5 px right of the other's right edge
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(300, 200, 400, 300)));

    r = Rect(308, 200, 408, 300);             // 8 px: no snap
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(308, 200, 408, 300)));

    r = Rect(-7, 200, 93, 300);               // right edge 7 px left of its left edge
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(0, 200, 100, 300)));
}

TEST_CASE("side by side, then tops aligned only when the rectangles touched horizontally")
{
    EdgeTable t = TableWith(Rect(100, 100, 300, 400));
    RECT current = Rect(0, 0, 10, 10);

    // Overlapping by 3 px horizontally and 4 px below the other's top.
    RECT r = Rect(297, 104, 397, 204);
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(300, 100, 400, 200)));

    // A gap of 3 px: only the side-by-side snap happens.
    r = Rect(303, 104, 403, 204);
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(300, 104, 400, 204)));

    // Bottoms aligned when the tops are too far apart.
    r = Rect(298, 295, 398, 397);
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(300, 298, 400, 400)));
}

TEST_CASE("stacked snapping, then left edges aligned")
{
    EdgeTable t = TableWith(Rect(100, 100, 300, 400));
    RECT current = Rect(0, 0, 10, 10);
    RECT r = Rect(104, 398, 204, 498);        // overlapping its bottom by 2 px
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(100, 400, 200, 500)));

    r = Rect(104, 406, 204, 506);             // a 6 px gap: stacked, not aligned
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(104, 400, 204, 500)));

    r = Rect(150, 0, 250, 96);                // bottom 4 px above the other's top
    SnapRectToEdges(&t, &current, &r);
    CHECK(Same(r, Rect(150, 4, 250, 100)));
}

TEST_CASE("the dragged window's own entry is skipped and sizes never change")
{
    RECT self = Rect(100, 100, 300, 400);
    EdgeTable t = TableWith(self);
    RECT r = Rect(103, 103, 303, 403);
    SnapRectToEdges(&t, &self, &r);
    CHECK(Same(r, Rect(103, 103, 303, 403)));
}

TEST_CASE("walls stop a window flush with the work area")
{
    const int W = 1280, H = 1054;
    EdgeTable t;
    EdgeTableClear(&t);
    EdgeTableAddWalls(&t, W, H);
    CHECK(t.count == 4);
    RECT current = Rect(500, 500, 600, 600);

    RECT r = Rect(-4, 300, 96, 400);
    SnapRectToEdges(&t, &current, &r);
    CHECK(r.left == 0);
    CHECK(r.right - r.left == 100);

    r = Rect(600, 5, 700, 105);
    SnapRectToEdges(&t, &current, &r);
    CHECK(r.top == 0);

    r = Rect(1183, 300, 1283, 400);
    SnapRectToEdges(&t, &current, &r);
    CHECK(r.right == W);

    r = Rect(600, 950, 700, 1050);
    SnapRectToEdges(&t, &current, &r);
    CHECK(r.bottom == H);

    // A corner settles both axes.
    r = Rect(3, 950, 103, 1050);
    SnapRectToEdges(&t, &current, &r);
    CHECK(r.left == 0);
    CHECK(r.bottom == H);
}

TEST_CASE("earliest table entry wins for each axis")
{
    EdgeTable t;
    EdgeTableClear(&t);
    EdgeTableAdd(&t, 0, 0, 200, 300);   // right edge at 200
    EdgeTableAdd(&t, 0, 0, 203, 300);   // right edge at 203, later in the table
    RECT current = Rect(900, 900, 950, 950);
    RECT r = Rect(205, 10, 305, 110);
    SnapRectToEdges(&t, &current, &r);
    CHECK(r.left == 200);
}

TEST_CASE("the table keeps at most 260 rectangles")
{
    EdgeTable t;
    EdgeTableClear(&t);
    for (int i = 0; i < 300; i++) EdgeTableAdd(&t, i, i, i + 1, i + 1);
    CHECK(t.count == 260);
    CHECK(t.left[259] == 259);
}

TEST_CASE("status text is centred by leading blanks")
{
    char out[64];
    FormatStatusText("Ready", out);
    CHECK(std::string(out) == std::string(16, ' ') + "Ready");   // 18 - 5/2 = 16
    FormatStatusText("32-bit color", out);
    CHECK(std::string(out) == std::string(12, ' ') + "32-bit color");
    FormatStatusText("", out);
    CHECK(std::string(out) == std::string(18, ' '));

    std::string longText(50, 'x');   // column 0 when the text is long
    FormatStatusText(longText.c_str(), out);
    CHECK(std::string(out) == longText);

    std::string tooLong(100, 'y');   // cut so the buffer holds 63 bytes
    FormatStatusText(tooLong.c_str(), out);
    CHECK(strlen(out) == 63);
}

TEST_CASE("millisecond differences are unsigned across the wrap")
{
    CHECK(MsecElapsed(100, 50) == 50u);
    CHECK(MsecElapsed(5, -10) == 15u);                   // past 0xFFFFFFFF
    CHECK(MsecElapsed((int)0x80000005, 0x7FFFFFFB) == 10u);
    CHECK(MsecElapsed(10, 20) > 2000u);                  // a reading going backwards is huge
}

TEST_CASE("the drop animation adds up to 55 pixels in 28 steps")
{
    int sum = 0;
    for (int d : kDropOffsets) sum += d;
    CHECK(sum == 55);
    CHECK(kDropOffsets[0] == 1);
    CHECK(kDropOffsets[10] == -6);
    CHECK(kDropOffsets[27] == 3);
}
