// Image file arithmetic.
#include "doctest_wine.h"
#include "imagewin/imagefile_logic.h"
#include <climits>
#include <string>
#include <vector>

static std::u16string U(const WCHAR *w) { return std::u16string((const char16_t *)w); }

TEST_CASE("extensions, filters, palettes, top bytes, 256 colours")
{
    std::u16string x258(258, u'x'), y255(255, u'y');
    struct { std::u16string start; const char16_t *ext; std::u16string want; bool fitted = true; int capacity = 260; } cases[] = {
        { u"photo", u".png", u"photo.png" }, { u"photo.PNG", u".png", u"photo.PNG" },
        { u"photo.tiff", u".tif", u"photo.tiff.tif" }, { u"jpg", u".jpg", u"jpg.jpg" },
        { u"a.\xFF50ng", u".png", u"a.\xFF50ng.png" },   // full-width: another letter
        { u"photo", u".png", u"photo.png", true, 10 }, { u"photo", u".png", u"photo.pn", false, 9 },
        { x258, u".bmp", x258 + u".", false }, { y255, u".bmp", y255 + u".bmp" },
    };
    for (auto &c : cases) {
        std::vector<WCHAR> buffer(c.capacity + 8, 0x7777);   // 8 guard units
        std::copy(c.start.begin(), c.start.end(), buffer.begin());
        buffer[c.start.size()] = 0;
        CHECK(((AppendExtension(buffer.data(), c.capacity, (const WCHAR *)c.ext) != FALSE) == c.fitted && U(buffer.data()) == c.want));
        CHECK(std::vector<WCHAR>(buffer.end() - 8, buffer.end()) == std::vector<WCHAR>(8, 0x7777));
    }
    const int types[9] = { -1, 0, 0, 1, 2, 3, 4, -1, -1 };   // "All Files" saves a BMP
    for (int i = 0; i < 9; i++) CHECK(SaveTypeForFilter(i == 8 ? -3 : i) == types[i]);
    CHECK((U(OpenDialogInitialName(0)) == u"*.*" && U(OpenDialogInitialName(10)) == u"*.*"));
    const int counts[][3] = { { 8 + 16 * 4, 16, 16 }, { 8 + 256 * 4, 256, 256 }, { 8 + 300 * 4, 300, 256 }, { 12, 0, 0 },
                              { 8 + 4 * 4, 99, 4 }, { 8 + 4 * 4 + 3, 99, 4 }, { 7, 5, 0 }, { -20, 5, 0 } };
    for (auto &c : counts) CHECK(PaletteEntryCount(c[0], (unsigned)c[1]) == c[2]);
    DWORD argb[3] = { 0xFF123456, 0x80ABCDEF, 0x00010203 }, words[3];
    PaletteWordsFromArgb(argb, 3, words);
    CHECK(std::vector<DWORD>(words, words + 3) == std::vector<DWORD>{ 0x123456, 0xABCDEF, 0x010203 });
    // Wholly outside, or overflowing: nothing.
    std::vector<DWORD> px(5 * 4, 0xFF000000);
    ClearTopBytes(px.data(), 5, 4, 7, 0, 3, 3);
    ClearTopBytes(px.data(), 5, 4, 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0);
    CHECK(px == std::vector<DWORD>(5 * 4, 0xFF000000));
    ClearTopBytes(px.data(), 5, 4, 3, 2, INT_MAX, INT_MAX);
    for (int i = 0; i < 5 * 4; i++) CHECK(px[i] == (i % 5 >= 3 && i / 5 >= 2 ? 0u : 0xFF000000u));
    std::vector<DWORD> many(256);   // kept exactly, top bytes ignored
    for (int i = 0; i < 256; i++) many[i] = (DWORD)((i * 7) & 0xFF) << 16 | (DWORD)i << 8 | (DWORD)(255 - i);
    many[1] |= 0xAB000000;
    DWORD palette[256];
    BYTE idx[257];
    int bad = 0;
    CHECK(QuantizeToPalette(many.data(), 256, palette, idx) == 256);
    for (int i = 0; i < 256; i++) bad += palette[idx[i]] != (many[i] & 0xFFFFFF);
    CHECK(bad == 0);
    many.push_back(0x00FEFEFE);   // 257: the 6 x 6 x 6 cube, nearest levels
    CHECK(QuantizeToPalette(many.data(), 257, palette, idx) == 216);
    CHECK((palette[1] == 0x000033 && palette[36] == 0x330000 && palette[215] == 0xFFFFFF && palette[216] == 0));
    CHECK((idx[256] == 215 && palette[idx[0]] == 0x0000FF && palette[idx[100]] == 0xCC6699));   // 0xBC649B: levels 4, 2, 3
}
