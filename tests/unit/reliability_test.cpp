// Reliability fixes on plain values: captions cut on character boundaries,
// the largest drawable pixel buffer, the line-input cursor's bar.
#include "doctest_wine.h"
#include "imagewin/imagewin_logic.h"
#include "textwin/textwin_logic.h"
#include <string.h>
#include <string>

// True when the zoom text starts on a character boundary of the caption, so
// no lead byte of the title takes its "(" as a trail byte.
static bool TailOnBoundary(const std::string &caption, const std::string &tail)
{
    size_t at = caption.size() - tail.size();
    if (caption.compare(at, std::string::npos, tail) != 0) return false;
    size_t i = 0;
    while (i < at) i += IsDBCSLeadByte((BYTE)caption[i]) ? 2 : 1;
    return i == at;
}

TEST_CASE("captions: a title cut or ending at a double-byte character keeps the zoom text whole")
{
    if (GetACP() != 932) return;   // the lead bytes below are Shift-JIS
    const std::string kanji = "\x88\x9f";                  // one double-byte character
    struct Case { std::string title; int bits; const char *tail; };
    const Case cases[] = {
        { std::string(246, 'a') + kanji, 32, "(100%)" },   // 248 bytes, fits whole
        { std::string(246, 'a') + kanji, 8, "(100%)[8bit]" },  // cut before the character
        { std::string(242, 'a') + kanji + kanji, 8, "(100%)[8bit]" },
        { std::string(20, 'a') + "\x88", 32, "(100%)" },   // a lone lead byte at the end
        { std::string(300, 'a') + "\x88", 8, "(100%)[8bit]" },
    };
    for (const Case &c : cases) {
        char out[256];
        int len = FormatImageCaption(out, 256, 100, c.title.c_str(), c.bits, false);
        CAPTURE(c.title.size());
        CHECK(len == (int)strlen(out));
        CHECK(len <= 255);
        CHECK(TailOnBoundary(out, c.tail));
        CHECK(c.title.compare(0, len - strlen(c.tail), out, len - strlen(c.tail)) == 0);
    }
}

TEST_CASE("pixel buffers up to 2 GB - 1 as 32-bit are drawable, beyond are not")
{
    struct Case { int w, h; bool ok; };
    const Case cases[] = { { 23170, 23170, true }, { 23171, 23171, false }, { 26000, 26000, false },
                           { 1, 536870911, true }, { 1, 536870912, false }, { 65536, 8191, true },
                           { 65536, 8192, false }, { 0x7FFFFFFF, 0x7FFFFFFF, false } };
    for (const Case &c : cases) {
        CAPTURE(c.w);
        CAPTURE(c.h);
        CHECK(BufferDrawable(c.w, c.h) == c.ok);
    }
}

TEST_CASE("the cursor bar lies inside its cell, along its bottom, for any font size")
{
    const int sizes[][2] = { { 6, 12 }, { 6, 11 }, { 8, 16 }, { 1, 1 }, { 4, 2 }, { 10, 20 } };
    for (const auto &s : sizes) {
        RECT r = CursorBarRect(30, 40, s[0], s[1]);
        CAPTURE(s[1]);
        CHECK(r.left == 30);
        CHECK(r.right == 30 + s[0]);
        CHECK(r.top >= 40);
        CHECK(r.bottom <= 40 + s[1]);
        CHECK(r.bottom > r.top);
        CHECK(r.top >= 40 + s[1] / 2);   // in the lower half, like an underscore
    }
}
