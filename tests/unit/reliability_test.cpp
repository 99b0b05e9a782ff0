// Captions cut on character boundaries, the largest drawable buffer, the
// line-input cursor's bar.
#include "doctest_wine.h"
#include "imagewin/imagewin_logic.h"
#include "textwin/textwin_logic.h"
#include <string.h>
#include <string>

TEST_CASE("caption cut")
{
    if (GetACP() != 932) return;   // the lead bytes below are Shift-JIS
    const std::string kanji = "\x88\x9f", lead = kanji.substr(0, 1);
    // 255 bytes in all: 249 of title before "(100%)", 243 before "(100%)[8bit]".
    struct Case { std::string title; int bits; size_t kept; };
    const Case cases[] = {
        { std::string(246, 'a') + kanji, 32, 248 },             // fits whole
        { std::string(242, 'a') + kanji + kanji, 8, 242 },      // the character across the limit goes
        { std::string(241, 'a') + kanji + kanji, 8, 243 },      // one that ends at the limit stays
        { std::string(20, 'a') + lead, 32, 20 } };              // a lone lead byte at the end
    for (const Case &c : cases) {
        char out[300];
        int len = FormatImageCaption(out, 256, 100, c.title.c_str(), c.bits, false);
        CHECK_MESSAGE((len == (int)strlen(out) && std::string(out) == c.title.substr(0, c.kept) + (c.bits == 8 ? "(100%)[8bit]" : "(100%)")), c.title.size());
    }
}

TEST_CASE("drawable buffers")
{
    struct Case { int w, h; bool ok; };
    const Case cases[] = { { 23170, 23170, true }, { 23171, 23171, false }, { 1, 536870911, true },
                           { 1, 536870912, false }, { 0x7FFFFFFF, 0x7FFFFFFF, false } };
    for (const Case &c : cases) CHECK_MESSAGE(BufferDrawable(c.w, c.h) == c.ok, c.w << " x " << c.h);
}

TEST_CASE("cursor bar")
{
    const int sizes[][2] = { { 6, 12 }, { 6, 11 }, { 1, 1 }, { 4, 2 }, { 10, 20 } };
    for (const auto &s : sizes) {
        RECT r = CursorBarRect(30, 40, s[0], s[1]);
        // Full width, along the bottom like an underscore, never empty.
        CHECK_MESSAGE((r.left == 30 && r.right == 30 + s[0] && r.top >= 40 + s[1] / 2 && r.bottom > r.top &&
                       r.bottom <= 40 + s[1]), s[0] << " x " << s[1]);
    }
}
