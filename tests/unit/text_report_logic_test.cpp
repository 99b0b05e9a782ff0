// Text in images; the layout source.
#include "doctest_wine.h"
#include "imageproc/text_logic.h"
#include "textwin/report_logic.h"
#include <string.h>
#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace {

struct Bitmap {
    std::vector<DWORD> words;
    Canvas c;
    Bitmap(int w, int h) : words((size_t)w * h), c(MakeCanvas(nullptr, 32, w, h)) { c.pixels = (unsigned char *)words.data(); }
    // '#' per pixel of `color`, '|' per row.
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

std::string Generate(const WindowSet &set, SourceText *s, char *buf, int bytes)
{
    SourceInit(s, buf, bytes);
    GenerateLayoutSource(set, s, IsShiftJisLead);
    return buf;
}

}  // namespace

TEST_CASE("font")
{
    Bitmap b(16, 60);
    TextCursor cur = { 0, 0, 20 };
    CanvasPutString(b.c, cur, 0x123456, "AB", IsShiftJisLead);
    CHECK(b.Rows(0, 6, 8, 14, 0x123456) == GlyphRows('A'));
    CHECK(b.Rows(8, 6, 8, 14, 0x123456) == GlyphRows('B'));
    // The pen rests on B's last pixel.
    CHECK((cur.x == 0 && cur.baseY == 36 && b.c.penX == 13 && b.c.penY == 16));
    struct { TextCursor from; int ch; TextCursor to; int lit; } cases[] = {
        { { 3, 3, 40 }, '\t', { 3, 3, 40 }, 0 },
        { { 3, 3, 40 }, 0xE9, { 3, 3, 40 }, 0 },
        { { 3, 3, 40 }, 0x7F, { 3, 3, 56 }, 0 },   // empty glyph, advances
        { { 8, 2, 40 }, '\n', { 2, 2, 56 }, 0 },
        { { 0, 5, 40 }, '.', { 8, 5, 40 }, 4 },    // no wrap at 16 - 8
        { { 40, 0, 14 }, 'A', { 0, 0, 30 }, 0 } }; // outside
    for (auto &t : cases) {
        CAPTURE(t.ch);
        Bitmap fresh(16, 60);
        TextCursor c = t.from;
        CanvasPutChar(fresh.c, c, 1, (unsigned char)t.ch);
        int lit = (int)(fresh.words.size() - std::count(fresh.words.begin(), fresh.words.end(), 0u));
        CHECK((c.x == t.to.x && c.lineX == t.to.lineX && c.baseY == t.to.baseY && lit == t.lit));
    }
    Bitmap d(64, 20);
    cur = { 0, 0, 14 };
    CanvasPutString(d.c, cur, 7, "\x82\x41" "A\x82", IsShiftJisLead);   // trail 0x41 is no letter
    CHECK((cur.x == 8 && d.Rows(0, 0, 8, 14, 7) == GlyphRows('A')));
}

TEST_CASE("TrueType, literals")
{
    struct { const char *s; std::vector<int> codes; } cases[] = {
        { "a\x82\xA0z", { 'a', 0x82A0, 'z' } },
        { "\x01x\n\x9F", { 1, 'x', 10 } },   // lone lead byte dropped
        { "\xE0\x40\xFC\xFC\x80\xFD", { 0xE040, 0xFCFC, 0x80, 0xFD } } };
    for (auto &t : cases) {
        std::vector<int> got;
        int pos = 0, code;
        while ((code = NextTrueTypeCode(t.s, &pos, IsShiftJisLead)) >= 0) got.push_back(code);
        CHECK((got == t.codes && pos == (int)strlen(t.s)));
    }
    // code -> italic, underline, weight, applies (set: italic at 2, underline at 6)
    const int styles[][5] = { { 1, 1, 0, 0, 1 }, { 2, 0, 0, 0, 1 }, { 3, 0, 0, 700, 1 }, { 4, 0, 0, 400, 1 },
                              { 5, 0, 1, 0, 1 }, { 6, 0, 0, 0, 1 }, { 7, 0, 0, 0, 0 } };
    for (auto &t : styles) {
        LOGFONTW f = {};
        f.lfItalic = t[0] == 2;
        f.lfUnderline = t[0] == 6;
        CHECK_MESSAGE((ApplyStyleCode(&f, t[0]) == (t[4] != 0) && f.lfItalic == t[1] && f.lfUnderline == t[2] && f.lfWeight == t[3]), t[0]);
    }
    struct { const char *in; int room; const char *out; } lits[] = {
        { "say \"hi\"", 64, "say \\\"hi\\\"" },
        { "C:\\dir\\", 64, "C:\\\\dir\\\\" },
        { "play\nstop\r\x01\tx", 64, "play\\nstop\\r\\001\tx" },
        { "\x83\x5C\x83\x41", 64, "\\203\\134\x83\x41" },   // trail 0x5C
        { "ab\"c", 4, "ab" },                                // no half escape
        { "\x83\x41\x83", 64, "\x83\x41\x83" } };            // lone lead byte
    for (auto &t : lits) {
        char out[64];
        CHECK((EscapeLiteral(t.in, out, t.room, IsShiftJisLead) == (int)strlen(t.out) && std::string(out) == t.out));
    }
}

TEST_CASE("layout source")
{
    ImageEntry images[] = {
        { 3, 32, 1, "say \"hi\"", 10, 20, 320, 240, 100 },
        { 4, 32, 0, "wide", 0, 0, 64, 64, 200 },
        { 7, 8, 1, "C:\\dir", -5, 700, 16, 8, 50 },
        { 9, 8, 0, "", 1, 2, 3, 4, 300 } };
    TextEntry texts[] = { { 0, 100, 50, 400, 300 } };
    const char *captions[] = { "play\nstop", "a\"b" };
    WindowSet set = { images, 4, texts, 1, {}, {} };
    set.input = { 1, 30, 40, 2, 90, 60, { "Speed", "Item 1" } };
    set.buttons = { 1, 0, 500, 2, 1, 208, 34, 2, captions };
    static char buf[kSourceBytes + 16];
    SourceText s;
    CHECK(Generate(set, &s, buf, kSourceBytes) ==
          "\t// NUBRIX --- Automatic Source Generator\n\t// [Image Window]\n"
          "\tNBX_CreateImage(3,\"say \\\"hi\\\"\",10,20,320,240,100);\n"
          "\tNBX_CreateImageFL(4,\"wide\",0,0,64,64,200);\n"
          "\tNBX_CreateImage8(7,\"C:\\\\dir\",-5,700,16,8,50);\n"
          "\tNBX_CreateImage8FL(9,\"\",1,2,3,4,300);\n"
          "\t// [Text Window]\n\tNBX_OpenTextWindow(0,100,50,400,300);\n"
          "\t// [Input Box]\n\tNBX_OpenInputBox(30,40,2);\n\tNBX_ResizeInputBox(90,60);\n"
          "\tNBX_SetInputBoxTitle(0,\"Speed\");\n\tNBX_SetInputBoxTitle(1,\"Item 1\");\n"
          "\t// [Button Box]\n\tNBX_OpenButtonBox(0,500,2,1);\n\tNBX_ResizeButtonBox(208,34);\n"
          "\tNBX_SetButtonBoxTitle(0,\"play\\nstop\");\n\tNBX_SetButtonBoxTitle(1,\"a\\\"b\");\n"
          "\tNBX_SetForeground(NBXMAINWINDOW);\n");
    CHECK((!s.cut && s.length == (int)strlen(buf)));
    WindowSet plain = { nullptr, 0, texts, 1, {}, {} };
    CHECK(Generate(plain, &s, buf, kSourceBytes) == "\t// NUBRIX --- Automatic Source Generator\n\t// [Text Window]\n"
                                                       "\tNBX_OpenTextWindow(0,100,50,400,300);\n\tNBX_SetForeground(NBXMAINWINDOW);\n");

    std::string title(600, '"');   // escapes to twice as long
    std::vector<ImageEntry> many;
    for (int i = 0; i < 256; i++) many.push_back({ i, 32, 1, title.c_str(), INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX });
    memset(buf, '#', sizeof buf);
    std::string text = Generate({ many.data(), 256, nullptr, 0, {}, {} }, &s, buf, kSourceBytes);
    CHECK((s.cut && text.size() == (size_t)s.length && buf[kSourceBytes] == '#' && text.back() == '\n'));
    size_t start = 0, longest = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        longest = std::max(longest, end - start + 1);
        CHECK((text.compare(start, 3, "\t//") == 0 || text.compare(end - 2, 2, ");") == 0));
    }
    // No line outgrows its buffer; the next did not fit.
    CHECK((longest < (size_t)kSourceLineBytes && s.length + longest + 1 > (size_t)kSourceBytes));
}
