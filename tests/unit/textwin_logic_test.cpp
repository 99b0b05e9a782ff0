// Text window arithmetic.
#include "doctest_wine.h"
#include "imageproc/text_logic.h"
#include "textwin/textwin_logic.h"
#include <string>

namespace {

const TextGeom kGeom = { 152, 300, 8, 12 };   // 19 cells of 8, lines at 0..276

// Layout from (x, y): "text@x,y;" per run, "^oldY;" per scroll, "=x,y" at the end.
std::string Layout(const char16_t *text, int x = 0, int y = 0, const TextGeom &g = kGeom)
{
    struct Sink {
        std::string out;
        void Run(const WCHAR *s, int n, int x, int y)
        {
            for (int i = 0; i < n; i++) out += s[i] < 0x80 ? (char)s[i] : '#';
            out += "@" + std::to_string(x) + "," + std::to_string(y) + ";";
        }
        void Scroll(int oldY) { out += "^" + std::to_string(oldY) + ";"; }
    } sink;
    std::basic_string<WCHAR> w(text, text + std::char_traits<char16_t>::length(text));
    TextLayout(g, w.data(), (int)w.size(), &x, &y, sink);
    return sink.out + "=" + std::to_string(x) + "," + std::to_string(y);
}

}  // namespace

TEST_CASE("layout, colour stacks, typed ring")
{
    struct { const char16_t *text; int x, y; const char *drawn; } cases[] = {
        { u"abc", 24, 0, "abc@24,0;=48,0" },
        { u"g\n", 40, 0, "g@40,0;=0,12" },
        { u"\t\r", 0, 12, "\t\r@0,12;=16,12" },
        { u"0123456789012345678", 0, 0, "0123456789012345678@0,0;=152,0" },
        { u"X", 152, 0, "X@0,12;=8,12" },
        { u"01234567890123456789", 0, 0, "0123456789012345678@0,0;9@0,12;=8,12" },
        { u"012345678901234567\u3042", 0, 0, "012345678901234567@0,0;#@0,12;=16,12" },
        { u"01234567890123456\u3042", 0, 0, "01234567890123456#@0,0;=152,0" },
        { u"L\n", 0, 264, "L@0,264;=0,276" },
        { u"M\n", 0, 276, "M@0,276;^288;=0,276" },
        { u"a\nb", 0, 276, "a@0,276;^288;b@0,276;=8,276" },
    };
    for (auto &c : cases) CHECK(Layout(c.text, c.x, c.y) == c.drawn);
    CHECK((TextCells(0x7F) == 1 && TextCells(0x80) == 2));
    ColorStack s;
    ColorStackInit(&s, 0x000000, 0xFFFFFF);
    for (DWORD i = 1; i <= 9; i++) ColorStackPush(&s, 0x100 * i, i);
    for (DWORD i = 9; i >= 1; i--, ColorStackPop(&s)) CHECK(s.text == i);
    CHECK((s.text == 1 && s.background == 0x100));   // defaults fell off
    ColorStackInit(&s, 0x000000, 0xFFFFFF);
    ColorStackPush(&s, 0x505050, 0x50FF50);
    for (int i = 0; i < 2; i++) ColorStackPop(&s);
    CHECK((s.text == 0xFFFFFF && s.background == 0x000000 && RgbToColorRef(0x123456) == 0x563412));
    TypedRing r;
    TypedRingClear(&r);
    CHECK(TypedRingTake(&r) == 0);
    for (int round = 0; round < 2; round++) {   // the second wraps
        bool ok = TypedRingAppend(&r, 'a') && TypedRingTake(&r) == 'a';
        for (int i = 0; i < 256; i++) ok &= TypedRingAppend(&r, (WCHAR)(0x100 + i));
        ok &= !TypedRingAppend(&r, 'X');
        for (int i = 0; i < 256; i++) ok &= TypedRingTake(&r) == 0x100 + i;
        CHECK((ok && TypedRingTake(&r) == 0));
    }
}

TEST_CASE("input breaks")
{
    InputCursor c = { 144 };   // 18 cells: no room for the cursor
    CHECK((!InputBreaksAfter(kGeom, 136, 1) && InputBreaksAfter(kGeom, c.x, 1)));
    CHECK((!InputTakeBreak(kGeom, &c, c.x) && c.x == 0 && c.y == 12 && c.breaks == 1));
    InputBackStep(kGeom, &c, 1);
    CHECK((c.x == 144 && c.y == 0 && c.breaks == 0));
    InputBackStep(kGeom, &c, 1);
    CHECK(c.x == 136);

    // A two-cell unit at 144 moves whole, and back.
    c = { 144 };
    CHECK(InputBreaksBefore(kGeom, c.x, 2));
    InputTakeBreak(kGeom, &c, c.x + 16);
    c.x += 16;
    InputBackStep(kGeom, &c, 2);
    CHECK((c.x == 0 && c.y == 12));
    InputBackOverWideBreak(kGeom, &c);
    CHECK((c.x == 144 && c.y == 0 && c.breaks == 0));
    // At 136 it fits, then breaks; one step undoes it.
    c = { 136 };
    CHECK((!InputBreaksBefore(kGeom, c.x, 2) && InputBreaksAfter(kGeom, c.x, 2)));
    InputTakeBreak(kGeom, &c, c.x);
    InputBackStep(kGeom, &c, 2);
    InputBackOverWideBreak(kGeom, &c);
    CHECK((c.x == 136 && c.y == 0));

    // Breaks on the last line scroll; under two cells wide: two breaks a unit, all kept.
    TextGeom oneLine = { 152, 24, 8, 12 }, narrow = { 12, 300, 8, 12 };
    c = {};
    CHECK((InputTakeBreak(oneLine, &c, 144) && c.y == 0));
    c = {};
    for (int i = 0; i < NBX_INPUT_MAX; i++) {
        if (InputBreaksBefore(narrow, c.x, 2)) InputTakeBreak(narrow, &c, c.x + 16);
        if (InputBreaksAfter(narrow, c.x, 2)) InputTakeBreak(narrow, &c, c.x);
        else c.x += 16;
    }
    CHECK(c.breaks == 2 * NBX_INPUT_MAX);
}

TEST_CASE("cursor bar, ANSI cut, CR LF")
{
    const int sizes[][2] = { { 6, 12 }, { 6, 11 }, { 1, 1 }, { 4, 2 }, { 10, 20 } };
    for (auto &s : sizes) {
        RECT r = CursorBarRect(30, 40, s[0], s[1]);
        CHECK((r.left == 30 && r.right == 30 + s[0] && r.top >= 40 + s[1] / 2 && r.bottom > r.top && r.bottom <= 40 + s[1]));
    }
    const char text[] = "ab\x82\xA0\x82\xA2";
    const int cuts[][3] = { { 6, 6, 6 }, { 6, 5, 4 }, { 6, 3, 2 }, { 5, 4095, 4 } };   // length, max, kept
    for (auto &c : cuts) CHECK(AnsiCutLength(text, c[0], c[1], IsShiftJisLead) == c[2]);
    CHECK(AnsiCutLength(text, 6, 5, [](unsigned char) { return false; }) == 5);
    char out[32];
    CHECK(std::string(out, ToCrLf("a\nb\n\n", 5, out)) == "a\r\nb\r\n\r\n");
}
