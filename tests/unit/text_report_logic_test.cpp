// Text in images on plain buffers (the built-in font, the cursor, TrueType
// string splitting), and the layout source generator.
#include "doctest_wine.h"
#include "imageproc/text_logic.h"
#include <string.h>
#include <algorithm>
#include <string>
#include <vector>

namespace {

struct Bitmap {
    std::vector<DWORD> words;
    Canvas c;
    Bitmap(int w, int h) : words((size_t)w * h), c(MakeCanvas(nullptr, 32, w, h)) { c.pixels = (unsigned char *)words.data(); }
    // '#' for every pixel of `color`, '.' elsewhere, rows joined by '|'.
    std::string Rows(int x0, int y0, int w, int h, DWORD color) const
    {
        std::string s;
        for (int y = y0; y < y0 + h; y++, s += '|')
            for (int x = x0; x < x0 + w; x++) s += CanvasRead(c, x, y) == color ? '#' : '.';
        return s;
    }
};

std::string GlyphRows(unsigned char ch)
{
    std::string s;
    for (int r = 0; r < kGlyphHeight; r++, s += '|')
        for (int k = 0; k < 8; k++) s += kBuiltinFont[ch - 0x20][r] & (0x80 >> k) ? '#' : '.';
    return s;
}

bool NeverLead(unsigned char) { return false; }

}  // namespace

TEST_CASE("built-in font: the fixed glyphs and the layout of every other")
{
    const unsigned char a[14] = { 0, 0, 0x18, 0x3C, 0x66, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x66, 0, 0, 0 };
    const unsigned char g[14] = { 0, 0, 0, 0, 0x3E, 0x66, 0x66, 0x66, 0x66, 0x66, 0x3E, 0x06, 0x06, 0x7C };
    for (int r = 0; r < 14; r++) {
        CHECK(kBuiltinFont['A' - 0x20][r] == a[r]);
        CHECK(kBuiltinFont['g' - 0x20][r] == g[r]);
    }
    for (int ch = 0x20; ch < 0x80; ch++) {
        CAPTURE(ch);
        int lit = 0, lowest = -1, highest = 99;
        for (int r = 0; r < 14; r++)
            if (kBuiltinFont[ch - 0x20][r]) lit++, lowest = r, highest = highest < r ? highest : r;
        CHECK((lit == 0) == (ch == 0x20 || ch == 0x7F));
        CHECK(highest >= 2);   // two blank rows above capitals and ascenders
        if (ch >= 'A' && ch <= 'Z') CHECK(lowest <= 10);
    }
}

TEST_CASE("PutChar and PutString: set pixels only, the advance, wrap and new lines")
{
    Bitmap b(16, 60);
    TextCursor cur = { 0, 0, 20 };
    CanvasPutString(b.c, cur, 0x123456, "AB", NeverLead);
    CHECK(b.Rows(0, 6, 8, 14, 0x123456) == GlyphRows('A'));
    CHECK(b.Rows(8, 6, 8, 14, 0x123456) == GlyphRows('B'));
    std::string blankRows;
    for (int r = 0; r < 6; r++) blankRows += "................|";
    CHECK(b.Rows(0, 0, 16, 6, 0x123456) == blankRows);
    CHECK(cur.x == 0);
    CHECK(cur.baseY == 36);
    CHECK(b.c.penX == 13);   // the pen rests on the last set pixel of B (row 10, column 5)
    CHECK(b.c.penY == 20 - 14 + 10);

    struct { TextCursor from; int ch; TextCursor to; int lit; } cases[] = {
        { { 3, 3, 40 }, '\t', { 3, 3, 40 }, 0 },
        { { 3, 3, 40 }, 0xE9, { 3, 3, 40 }, 0 },
        { { 3, 3, 40 }, 0x7F, { 3, 3, 56 }, 0 },        // empty glyph, still advances and wraps
        { { 8, 2, 40 }, '\n', { 2, 2, 56 }, 0 },
        { { 0, 5, 40 }, '.', { 8, 5, 40 }, 4 },          // 8 is not beyond 16 - 8: no wrap
        { { 40, 0, 14 }, 'A', { 0, 0, 30 }, 0 },         // outside the image: nothing written
    };
    for (auto &t : cases) {
        CAPTURE(t.ch);
        Bitmap fresh(16, 60);
        TextCursor c = t.from;
        CanvasPutChar(fresh.c, c, 1, (unsigned char)t.ch);
        CHECK(c.x == t.to.x);
        CHECK(c.lineX == t.to.lineX);
        CHECK(c.baseY == t.to.baseY);
        int lit = 0;
        for (DWORD w : fresh.words) lit += w != 0;
        CHECK(lit == t.lit);
    }
}

TEST_CASE("double-byte characters: skipped whole by the built-in font, one code for TrueType")
{
    Bitmap b(64, 20);
    TextCursor cur = { 0, 0, 14 };
    CanvasPutString(b.c, cur, 7, "\x82\x41" "A\x82", IsShiftJisLead);   // the trail byte 0x41 is no letter
    CHECK(cur.x == 8);
    CHECK(b.Rows(0, 0, 8, 14, 7) == GlyphRows('A'));

    struct { const char *s; std::vector<int> codes; } cases[] = {
        { "a\x82\xA0z", { 'a', 0x82A0, 'z' } },
        { "\x01x\n\x9F", { 1, 'x', 10 } },               // lone lead byte at the end dropped
        { "\xE0\x40\xFC\xFC\x80\xFD", { 0xE040, 0xFCFC, 0x80, 0xFD } },
        { "", {} },
    };
    for (auto &t : cases) {
        CAPTURE(t.s);
        std::vector<int> got;
        int pos = 0, code;
        while ((code = NextTrueTypeCode(t.s, &pos, IsShiftJisLead)) >= 0) got.push_back(code);
        CHECK(got == t.codes);
        CHECK(pos == (int)strlen(t.s));
    }
}

TEST_CASE("style codes rebuild the font description")
{
    struct { int code; BYTE italic, underline; LONG weight; bool applies; } cases[] = {
        { 1, 1, 0, 0, true }, { 2, 0, 0, 0, true }, { 3, 0, 0, 700, true }, { 4, 0, 0, 400, true },
        { 5, 0, 1, 0, true }, { 6, 0, 0, 0, true }, { 7, 0, 0, 0, false }, { 10, 0, 0, 0, false },
    };
    for (auto &t : cases) {
        CAPTURE(t.code);
        LOGFONTW f;
        ZeroMemory(&f, sizeof f);
        if (t.code == 2) f.lfItalic = 1;
        if (t.code == 6) f.lfUnderline = 1;
        CHECK(ApplyStyleCode(&f, t.code) == t.applies);
        CHECK(f.lfItalic == t.italic);
        CHECK(f.lfUnderline == t.underline);
        CHECK(f.lfWeight == t.weight);
    }
}

// ------------------------------------------------------------ layout source

#include "textwin/report_logic.h"

TEST_CASE("string literals of the layout source")
{
    struct { const char *in; int room; const char *out; } cases[] = {
        { "say \"hi\"", 64, "say \\\"hi\\\"" },
        { "C:\\dir\\", 64, "C:\\\\dir\\\\" },
        { "play\nstop\r\x01\tx", 64, "play\\nstop\\r\\001\tx" },
        { "\x83\x5C\x83\x41", 64, "\\203\\134\x83\x41" },   // a trail byte 0x5C is no escape
        { "ab\"c", 4, "ab" },                                // no half escape at the end
        { "\x83\x41\x83", 64, "\x83\x41\x83" },              // lone lead byte: an ordinary byte
    };
    for (auto &t : cases) {
        CAPTURE(t.in);
        char out[64];
        int n = EscapeLiteral(t.in, out, t.room, IsShiftJisLead);
        CHECK(std::string(out) == t.out);
        CHECK(n == (int)strlen(t.out));
    }
}

TEST_CASE("layout source of a described set of windows")
{
    ImageEntry images[] = {
        { 3, 32, 1, "say \"hi\"", 10, 20, 320, 240, 100 },
        { 4, 32, 0, "wide", 0, 0, 64, 64, 200 },
        { 7, 8, 1, "C:\\dir", -5, 700, 16, 8, 50 },
        { 9, 8, 0, "", 1, 2, 3, 4, 300 },
    };
    TextEntry texts[] = { { 0, 100, 50, 400, 300 }, { 5, 600, 0, 200, 100 } };
    const char *captions[] = { "play\nstop", "a\"b" };
    WindowSet set = { images, 4, texts, 2, {}, {} };
    set.input = { 1, 30, 40, 2, 90, 60, { "Speed", "Item 1" } };
    set.buttons = { 1, 0, 500, 2, 1, 208, 34, 2, captions };
    char buffer[kSourceBytes];
    SourceText s;
    SourceInit(&s, buffer, sizeof buffer);
    GenerateLayoutSource(set, &s, IsShiftJisLead);
    CHECK_FALSE(s.cut);
    CHECK(std::string(buffer) ==
          "\t// NUBRIX --- Automatic Source Generator\n"
          "\t// [Image Window]\n"
          "\tNBX_CreateImage(3,\"say \\\"hi\\\"\",10,20,320,240,100);\n"
          "\tNBX_CreateImageFL(4,\"wide\",0,0,64,64,200);\n"
          "\tNBX_CreateImage8(7,\"C:\\\\dir\",-5,700,16,8,50);\n"
          "\tNBX_CreateImage8FL(9,\"\",1,2,3,4,300);\n"
          "\t// [Text Window]\n"
          "\tNBX_OpenTextWindow(0,100,50,400,300);\n"
          "\tNBX_OpenTextWindow(5,600,0,200,100);\n"
          "\t// [Input Box]\n"
          "\tNBX_OpenInputBox(30,40,2);\n"
          "\tNBX_ResizeInputBox(90,60);\n"
          "\tNBX_SetInputBoxTitle(0,\"Speed\");\n"
          "\tNBX_SetInputBoxTitle(1,\"Item 1\");\n"
          "\t// [Button Box]\n"
          "\tNBX_OpenButtonBox(0,500,2,1);\n"
          "\tNBX_ResizeButtonBox(208,34);\n"
          "\tNBX_SetButtonBoxTitle(0,\"play\\nstop\");\n"
          "\tNBX_SetButtonBoxTitle(1,\"a\\\"b\");\n"
          "\tNBX_SetForeground(NBXMAINWINDOW);\n");
    CHECK(s.length == (int)strlen(buffer));

    // Only a text window: no image, input box or button box sections.
    WindowSet plain = { nullptr, 0, texts, 1, {}, {} };
    SourceInit(&s, buffer, sizeof buffer);
    GenerateLayoutSource(plain, &s, IsShiftJisLead);
    CHECK(std::string(buffer) == "\t// NUBRIX --- Automatic Source Generator\n\t// [Text Window]\n"
                                 "\tNBX_OpenTextWindow(0,100,50,400,300);\n\tNBX_SetForeground(NBXMAINWINDOW);\n");
}

TEST_CASE("an over-long layout is cut at a whole line; no line outgrows its buffer")
{
    std::string title(600, '"');   // escapes to twice the length
    std::vector<ImageEntry> images;
    for (int i = 0; i < 256; i++) images.push_back({ i, 32, 1, title.c_str(), -2147483647 - 1, -2147483647 - 1, 2147483647, 2147483647, 2147483647 });
    WindowSet set = { images.data(), 256, nullptr, 0, {}, {} };
    std::vector<char> buffer(kSourceBytes + 16, '#');
    SourceText s;
    SourceInit(&s, buffer.data(), kSourceBytes);
    GenerateLayoutSource(set, &s, IsShiftJisLead);
    CHECK(s.cut);
    std::string text(buffer.data());
    CHECK(text.size() == (size_t)s.length);
    CHECK(s.length <= kSourceBytes - 1);
    CHECK(buffer[kSourceBytes] == '#');   // nothing written beyond the buffer
    CHECK(text.back() == '\n');
    CHECK(text.find("NBX_SetForeground") == std::string::npos);
    size_t start = 0, longest = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        std::string line = text.substr(start, end - start);
        longest = std::max(longest, line.size() + 1);
        if (line.rfind("\tNBX_CreateImage(", 0) == 0) CHECK(line.substr(line.size() - 2) == ");");
    }
    CHECK(longest < (size_t)kSourceLineBytes);
    CHECK(s.length + longest + 1 > (size_t)kSourceBytes);   // the next line would not have fitted
}
