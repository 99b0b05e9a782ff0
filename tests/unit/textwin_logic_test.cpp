// The text windows' arithmetic: layout, scrolling, colour stacks, the typed
// ring and the cursor moves of line input.
#include "doctest_wine.h"
#include "textwin/textwin_logic.h"
#include <string>
#include <vector>

namespace {

struct RunRecord { std::u16string text; int x, y; };

struct RecordingSink {
    std::vector<RunRecord> runs;
    std::vector<int> scrolls;
    void Run(const WCHAR *start, int length, int x, int y)
    {
        runs.push_back({ std::u16string((const char16_t *)start, length), x, y });
    }
    void Scroll(int oldY) { scrolls.push_back(oldY); }
};

std::vector<WCHAR> W(const char16_t *s)
{
    std::vector<WCHAR> v;
    for (; *s; s++) v.push_back((WCHAR)*s);
    return v;
}

void Print(const TextGeom &g, const char16_t *s, int *x, int *y, RecordingSink &sink)
{
    std::vector<WCHAR> v = W(s);
    TextLayout(g, v.data(), (int)v.size(), x, y, sink);
}

const TextGeom kDesign = { 152, 300, 8, 12 };

}  // namespace

TEST_CASE("printing runs continue on the line and a line feed returns to x = 0")
{
    RecordingSink sink;
    int x = 0, y = 0;
    Print(kDesign, u"abc", &x, &y, sink);
    Print(kDesign, u"def", &x, &y, sink);
    REQUIRE(sink.runs.size() == 2);
    CHECK(sink.runs[1].x == 24);
    CHECK(sink.runs[1].y == 0);
    CHECK(x == 48);
    Print(kDesign, u"g\n", &x, &y, sink);
    CHECK(x == 0);
    CHECK(y == 12);
    // Empty print: nothing drawn, nothing moved.
    size_t before = sink.runs.size();
    Print(kDesign, u"", &x, &y, sink);
    CHECK(sink.runs.size() == before);
    // Tab and carriage return are cells like any other.
    Print(kDesign, u"\t\r", &x, &y, sink);
    CHECK(x == 16);
    CHECK(y == 12);
}

TEST_CASE("19 one-cell characters fit in 152 pixels of 8; the 20th starts the next line")
{
    RecordingSink sink;
    int x = 0, y = 0;
    Print(kDesign, u"0123456789012345678", &x, &y, sink);
    CHECK(x == 152);
    CHECK(y == 0);
    Print(kDesign, u"X", &x, &y, sink);
    CHECK(x == 8);
    CHECK(y == 12);
    CHECK(sink.runs.back().x == 0);
    CHECK(sink.runs.back().y == 12);
    // In one call: the wrap splits the run.
    RecordingSink one;
    x = y = 0;
    Print(kDesign, u"01234567890123456789", &x, &y, one);
    REQUIRE(one.runs.size() == 2);
    CHECK(one.runs[0].text.size() == 19);
    CHECK(one.runs[1].text == u"9");
    CHECK(one.runs[1].y == 12);
}

TEST_CASE("a two-cell character that would pass the edge moves whole")
{
    RecordingSink sink;
    int x = 0, y = 0;
    // 18 cells used: a two-cell character needs 160 > 152.
    Print(kDesign, u"012345678901234567\u3042", &x, &y, sink);
    REQUIRE(sink.runs.size() == 2);
    CHECK(sink.runs[0].text.size() == 18);
    CHECK(sink.runs[1].text == u"\u3042");
    CHECK(sink.runs[1].y == 12);
    CHECK(x == 16);
    // 17 cells used: it still fits exactly.
    RecordingSink fits;
    x = y = 0;
    Print(kDesign, u"01234567890123456\u3042", &x, &y, fits);
    CHECK(fits.runs.size() == 1);
    CHECK(x == 152);
    CHECK(y == 0);
    // 0x80 is already two cells, 0x7F one.
    CHECK(TextCells(0x7F) == 1);
    CHECK(TextCells(0x80) == 2);
}

TEST_CASE("lines start at 0, 12, ..., 276 in 300 pixels; the break after 276 scrolls")
{
    RecordingSink sink;
    int x = 0, y = 0;
    for (int line = 0; line < 23; line++) Print(kDesign, u"L\n", &x, &y, sink);
    CHECK(y == 276);
    CHECK(sink.scrolls.empty());
    CHECK(sink.runs.back().y == 264);
    Print(kDesign, u"M\n", &x, &y, sink);
    CHECK(sink.runs.back().y == 276);
    REQUIRE(sink.scrolls.size() == 1);
    CHECK(sink.scrolls[0] == 288);   // the block moved up ends at the line that did not fit
    CHECK(y == 276);
    // TextNextLine on its own: 276 + 12 = 288, 288 + 12 = 300 is not below 300.
    int nx = 5, ny = 264;
    CHECK_FALSE(TextNextLine(kDesign, &nx, &ny));
    CHECK(ny == 276);
    CHECK(nx == 0);
    CHECK(TextNextLine(kDesign, &nx, &ny));
    CHECK(ny == 276);
}

TEST_CASE("colour stacks: nine pushes and pops, one push and two pops")
{
    ColorStack s;
    ColorStackInit(&s, 0x000000, 0xFFFFFF);
    for (DWORD i = 1; i <= 9; i++) ColorStackPush(&s, 0x100 * i, i);
    CHECK(s.text == 9);
    for (int i = 0; i < 9; i++) ColorStackPop(&s);
    // The defaults fell off the bottom: the first push is what remains.
    CHECK(s.text == 1);
    CHECK(s.background == 0x100);

    ColorStackInit(&s, 0x000000, 0xFFFFFF);
    ColorStackPush(&s, 0x505050, 0x50FF50);
    CHECK(s.text == 0x50FF50);
    CHECK(s.background == 0x505050);
    ColorStackPop(&s);
    ColorStackPop(&s);
    CHECK(s.text == 0xFFFFFF);
    CHECK(s.background == 0x000000);
    CHECK(RgbToColorRef(0x123456) == 0x563412);
}

TEST_CASE("typed ring: order, wrap, full ring drops, empty ring gives 0")
{
    TypedRing r;
    TypedRingClear(&r);
    CHECK(TypedRingTake(&r) == 0);
    CHECK(TypedRingAppend(&r, 'a'));
    CHECK(TypedRingAppend(&r, 'b'));
    CHECK(TypedRingTake(&r) == 'a');
    CHECK(TypedRingTake(&r) == 'b');
    CHECK(r.read == -1);
    CHECK(TypedRingTake(&r) == 0);
    // 256 units fill it, the 257th is dropped.
    for (int i = 0; i < 256; i++) CHECK(TypedRingAppend(&r, (WCHAR)(0x100 + i)));
    CHECK_FALSE(TypedRingAppend(&r, 'X'));
    for (int i = 0; i < 256; i++) CHECK(TypedRingTake(&r) == 0x100 + i);
    CHECK(TypedRingTake(&r) == 0);
    // Still usable after wrapping around.
    CHECK(TypedRingAppend(&r, 'z'));
    CHECK(TypedRingTake(&r) == 'z');
}

TEST_CASE("line input cursor: 19 cells, break after the 19th, Backspace returns")
{
    InputCursor c = {};
    for (int i = 0; i < 18; i++) {
        CHECK_FALSE(InputBreaksBefore(kDesign, c.x, 1));
        CHECK_FALSE(InputBreaksAfter(kDesign, c.x, 1));
        c.x += 8;
    }
    // The 19th character at 144: 152 > 144, no room for the cursor cell.
    CHECK(c.x == 144);
    CHECK(InputBreaksAfter(kDesign, c.x, 1));
    CHECK_FALSE(InputTakeBreak(kDesign, &c, c.x));
    CHECK(c.x == 0);
    CHECK(c.y == 12);
    CHECK(c.breaks == 1);
    InputBackStep(kDesign, &c, 1);
    CHECK(c.x == 144);
    CHECK(c.y == 0);
    CHECK(c.breaks == 0);
    InputBackStep(kDesign, &c, 1);
    CHECK(c.x == 136);
}

TEST_CASE("line input cursor: a two-cell character moved whole comes back whole")
{
    InputCursor c = {};
    c.x = 144;   // 18 cells typed
    CHECK(InputBreaksBefore(kDesign, c.x, 2));
    InputTakeBreak(kDesign, &c, c.x + 16);
    CHECK_FALSE(InputBreaksAfter(kDesign, c.x, 2));
    c.x += 16;
    // Backspace: back over the character, then over the break taken for it.
    InputBackStep(kDesign, &c, 2);
    CHECK(c.x == 0);
    CHECK(c.y == 12);
    InputBackOverWideBreak(kDesign, &c);
    CHECK(c.x == 144);
    CHECK(c.y == 0);
    CHECK(c.breaks == 0);

    // At 136 it fits (136 + 16 = 152) but leaves no cursor cell: break after.
    c = {};
    c.x = 136;
    CHECK_FALSE(InputBreaksBefore(kDesign, c.x, 2));
    CHECK(InputBreaksAfter(kDesign, c.x, 2));
    InputTakeBreak(kDesign, &c, c.x);
    InputBackStep(kDesign, &c, 2);
    CHECK(c.x == 136);
    CHECK(c.y == 0);
    InputBackOverWideBreak(kDesign, &c);   // not a whole-character move
    CHECK(c.x == 136);
    // A one-cell Backspace never goes below the start of an unbroken line.
    c = {};
    c.x = 16;
    InputBackStep(kDesign, &c, 2);
    CHECK(c.x == 0);
    InputBackOverWideBreak(kDesign, &c);
    CHECK(c.x == 0);
    CHECK(c.y == 0);
}

TEST_CASE("line input breaks scroll at the bottom; tiny windows keep within the break list")
{
    TextGeom g = { 152, 24, 8, 12 };   // only one usable line
    InputCursor c = {};
    CHECK(InputTakeBreak(g, &c, 144));
    CHECK(c.y == 0);
    // Narrower than two cells: every two-cell unit takes a break before and
    // one after itself, so 255 of them take 510 breaks.
    TextGeom narrow = { 12, 300, 8, 12 };
    c = {};
    for (int i = 0; i < NBX_INPUT_MAX; i++) {
        int cells = 2;
        if (InputBreaksBefore(narrow, c.x, cells)) InputTakeBreak(narrow, &c, c.x + 16);
        if (InputBreaksAfter(narrow, c.x, cells)) InputTakeBreak(narrow, &c, c.x);
        else c.x += cells * 8;
    }
    CHECK(c.breaks == 2 * NBX_INPUT_MAX);
    CHECK(c.breaks <= (int)(sizeof c.breakX / sizeof c.breakX[0]));
}

TEST_CASE("ANSI cut keeps whole double-byte characters; CR LF line ends")
{
    auto lead = [](unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); };
    const char text[] = "ab\x82\xA0\x82\xA2";
    CHECK(AnsiCutLength(text, 6, 6, lead) == 6);
    CHECK(AnsiCutLength(text, 6, 5, lead) == 4);
    CHECK(AnsiCutLength(text, 6, 3, lead) == 2);
    CHECK(AnsiCutLength(text, 5, 4095, lead) == 4);   // dangling lead byte dropped
    auto none = [](unsigned char) { return false; };
    CHECK(AnsiCutLength(text, 6, 5, none) == 5);

    char out[32];
    int n = ToCrLf("a\nb\n\n", 5, out);
    CHECK(std::string(out, n) == "a\r\nb\r\n\r\n");
}
