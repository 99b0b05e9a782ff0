// Image files on plain values: extensions, the save filter's type, palette
// entries, top-byte clearing and the colours of a 256-colour file.
#include "doctest_wine.h"
#include "imagewin/imagefile_logic.h"
#include <string>
#include <vector>

TEST_CASE("image files: AppendExtension, within its buffer")
{
    std::u16string x258(258, u'x'), y255(255, u'y');
    struct { std::u16string start; const char16_t *ext; int capacity; std::u16string want; bool fitted; } cases[] = {
        { u"photo", u".png", 260, u"photo.png", true },
        { u"photo.PNG", u".png", 260, u"photo.PNG", true },      // ASCII case does not count
        { u"photo.Png", u".png", 260, u"photo.Png", true },
        { u"photo.tiff", u".tif", 260, u"photo.tiff.tif", true },
        { u"C:\\dir.bmp\\a", u".bmp", 260, u"C:\\dir.bmp\\a.bmp", true },
        { u"", u".jpg", 260, u".jpg", true },                    // shorter than the extension
        { u"jpg", u".jpg", 260, u"jpg.jpg", true },
        { u"a.\xFF50ng", u".png", 260, u"a.\xFF50ng.png", true }, // a full-width letter is another
        { u"photo", u".png", 10, u"photo.png", true },           // exactly fits
        { u"photo", u".png", 9, u"photo.pn", false },            // cut, terminated, reported
        { u"photo", u".png", 6, u"photo", false },
        { u"a.png", u".png", 6, u"a.png", true },
        { x258, u".bmp", 260, x258 + u".", false },
        { y255, u".bmp", 260, y255 + u".bmp", true },
    };
    for (auto &c : cases) {
        std::vector<WCHAR> buffer(c.capacity + 8, 0x7777);   // 8 guard units behind
        for (size_t i = 0; i <= c.start.size(); i++) buffer[i] = i < c.start.size() ? c.start[i] : 0;
        CHECK((AppendExtension(buffer.data(), c.capacity, (const WCHAR *)c.ext) != FALSE) == c.fitted);
        CHECK(std::u16string((const char16_t *)buffer.data()) == c.want);
        for (int g = c.capacity; g < c.capacity + 8; g++) CHECK(buffer[g] == 0x7777);
    }
}

TEST_CASE("image files: save filter to type; open dialog's name for a stray index")
{
    const int types[8] = { -1, 0, 0, 1, 2, 3, 4, -1 };   // "All Files" saves a BMP
    for (int i = 0; i < 8; i++) CHECK(SaveTypeForFilter(i) == types[i]);
    CHECK(SaveTypeForFilter(-3) == -1);
    CHECK(std::u16string((const char16_t *)OpenDialogInitialName(0)) == u"*.*");
    CHECK(std::u16string((const char16_t *)OpenDialogInitialName(10)) == u"*.*");
}

TEST_CASE("image files: palette entries and top bytes")
{
    const int counts[][3] = { { 8 + 16 * 4, 16, 16 }, { 8 + 256 * 4, 256, 256 }, { 8 + 300 * 4, 300, 256 },
                              { 12, 0, 0 }, { 8 + 4 * 4, 99, 4 }, { 8 + 4 * 4 + 3, 99, 4 },
                              { 7, 5, 0 }, { 0, 5, 0 }, { -20, 5, 0 } };
    for (auto &c : counts) CHECK(PaletteEntryCount(c[0], (unsigned)c[1]) == c[2]);
    DWORD argb[3] = { 0xFF123456, 0x80ABCDEF, 0x00010203 }, words[3];
    PaletteWordsFromArgb(argb, 3, words);
    CHECK((words[0] == 0x123456 && words[1] == 0xABCDEF && words[2] == 0x010203));

    // Cleared only where the picture landed: clipped right/bottom, left/top, wholly outside.
    struct { int x, y, w, h, x0, y0, x1, y1; } areas[] = {
        { 3, 2, 10, 10, 3, 2, 5, 4 }, { -2, -1, 4, 3, 0, 0, 2, 2 }, { 7, 0, 3, 3, 0, 0, 0, 0 },
        { 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0, 0, 0, 0, 0 } };
    for (auto &a : areas) {
        std::vector<DWORD> px(5 * 4, 0xFF112233);
        ClearTopBytes(px.data(), 5, 4, a.x, a.y, a.w, a.h);
        int bad = 0;
        for (int y = 0; y < 4; y++)
            for (int x = 0; x < 5; x++) {
                bool inside = x >= a.x0 && x < a.x1 && y >= a.y0 && y < a.y1;
                bad += px[y * 5 + x] != (inside ? 0x112233u : 0xFF112233u);
            }
        CHECK(bad == 0);
    }
}

TEST_CASE("image files: colours for a 256-colour file")
{
    // Few colours: kept exactly, indexes into the sorted list.
    DWORD few[6] = { 0x00FF0000, 0xAB00FF00, 0x000000FF, 0x00FF0000, 0x0000FF00, 0x00123456 };
    DWORD palette[256];
    BYTE idx[257];
    CHECK(QuantizeToPalette(few, 6, palette, idx) == 4);
    for (int i = 0; i < 6; i++) CHECK(palette[idx[i]] == (few[i] & 0xFFFFFF));
    CHECK(palette[4] == 0);

    std::vector<DWORD> many(256);   // exactly 256 still fit
    for (int i = 0; i < 256; i++) many[i] = (DWORD)((i * 7) & 0xFF) << 16 | (DWORD)i << 8 | (DWORD)(255 - i);
    CHECK(QuantizeToPalette(many.data(), 256, palette, idx) == 256);
    int bad = 0;
    for (int i = 0; i < 256; i++) bad += palette[idx[i]] != many[i];
    CHECK(bad == 0);

    // 257 colours: the 6 x 6 x 6 cube, each pixel on its nearest level.
    many.push_back(0x00FEFEFE);
    CHECK(QuantizeToPalette(many.data(), 257, palette, idx) == 216);
    CHECK((palette[0] == 0 && palette[1] == 0x000033 && palette[36] == 0x330000 && palette[215] == 0xFFFFFF));
    CHECK(palette[216] == 0);
    CHECK(idx[256] == 215);                                  // 0xFE rounds up to 0xFF
    CHECK(palette[idx[0]] == 0x0000FF);
    CHECK(palette[idx[100]] == 0xCC6699);                    // 0xBC649B: levels 4, 2, 3
}
