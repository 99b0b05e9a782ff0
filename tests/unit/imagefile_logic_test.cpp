// Image files: extensions, filter choices, palettes and top-byte clearing.
#include "doctest_wine.h"
#include "imagewin/imagefile_logic.h"
#include <string>
#include <vector>

static std::u16string U(const WCHAR *w) { return std::u16string((const char16_t *)w); }

// Runs AppendExtension on a copy of `start` in a buffer of `capacity` units
// followed by guard units that must stay untouched.
static std::u16string Append(const char16_t *start, const char16_t *ext, int capacity,
                             BOOL *fitted = nullptr)
{
    std::vector<WCHAR> buffer(capacity + 8, 0x7777);
    int i = 0;
    for (; start[i]; i++) buffer[i] = start[i];
    buffer[i] = 0;
    BOOL ok = AppendExtension(buffer.data(), capacity, (const WCHAR *)ext);
    if (fitted) *fitted = ok;
    for (int g = capacity; g < capacity + 8; g++) CHECK(buffer[g] == 0x7777);
    return U(buffer.data());
}

TEST_CASE("image files: AppendExtension")
{
    CHECK(Append(u"photo", u".png", 260) == u"photo.png");
    CHECK(Append(u"photo.PNG", u".png", 260) == u"photo.PNG");
    CHECK(Append(u"photo.Png", u".png", 260) == u"photo.Png");
    CHECK(Append(u"photo.tiff", u".tif", 260) == u"photo.tiff.tif");
    CHECK(Append(u"C:\\dir.bmp\\a", u".bmp", 260) == u"C:\\dir.bmp\\a.bmp");
    // Shorter than the extension: always appended.
    CHECK(Append(u"", u".jpg", 260) == u".jpg");
    CHECK(Append(u"jpg", u".jpg", 260) == u"jpg.jpg");
    CHECK(Append(u".jpg", u".jpg", 260) == u".jpg");
    // Only ASCII letters fold: a full-width letter is another character.
    CHECK(Append(u"a.\xFF50ng", u".png", 260) == u"a.\xFF50ng.png");
}

TEST_CASE("image files: AppendExtension never writes past its buffer")
{
    BOOL fitted = TRUE;
    // Exactly fits: 5 + 4 characters and the terminator in 10 units.
    CHECK(Append(u"photo", u".png", 10, &fitted) == u"photo.png");
    CHECK(fitted);
    // One unit short: cut, terminated, reported.
    CHECK(Append(u"photo", u".png", 9, &fitted) == u"photo.pn");
    CHECK_FALSE(fitted);
    CHECK(Append(u"photo", u".png", 6, &fitted) == u"photo");
    CHECK_FALSE(fitted);
    // A full buffer that already ends in the extension is fine as it is.
    CHECK(Append(u"a.png", u".png", 6, &fitted) == u"a.png");
    CHECK(fitted);

    std::u16string longName(258, u'x');
    CHECK(Append(longName.c_str(), u".bmp", 260, &fitted) == longName + u".");
    CHECK_FALSE(fitted);
    std::u16string fits(255, u'y');
    CHECK(Append(fits.c_str(), u".bmp", 260, &fitted) == fits + u".bmp");
    CHECK(fitted);
}

TEST_CASE("image files: save filter index to type, MIME and extension")
{
    CHECK(SaveTypeForFilter(1) == 0);   // "All Files" saves a BMP
    CHECK(SaveTypeForFilter(2) == 0);
    CHECK(SaveTypeForFilter(3) == 1);
    CHECK(SaveTypeForFilter(4) == 2);
    CHECK(SaveTypeForFilter(5) == 3);
    CHECK(SaveTypeForFilter(6) == 4);
    CHECK(SaveTypeForFilter(0) == -1);
    CHECK(SaveTypeForFilter(7) == -1);
    CHECK(SaveTypeForFilter(-3) == -1);

    const char16_t *mimes[5] = { u"image/bmp", u"image/jpeg", u"image/gif", u"image/png", u"image/tiff" };
    const char16_t *exts[5] = { u".bmp", u".jpg", u".gif", u".png", u".tif" };
    for (int t = 0; t < 5; t++) {
        CHECK(U(SaveTypeMime(t)) == mimes[t]);
        CHECK(U(SaveTypeExtension(t)) == exts[t]);
    }
    CHECK(SaveTypeMime(5) == nullptr);
    CHECK(SaveTypeExtension(-1) == nullptr);
}

TEST_CASE("image files: open dialog's initial name by filter")
{
    CHECK(U(OpenDialogInitialName(1)) == u"*.*");
    CHECK(U(OpenDialogInitialName(2)) == u"*.BMP;*.RLE;*.DIB");
    CHECK(U(OpenDialogInitialName(3)) == u"*.JPG;*.JPEG;*.JPE");
    CHECK(U(OpenDialogInitialName(4)) == u"*.GIF");
    CHECK(U(OpenDialogInitialName(5)) == u"*.PNG");
    CHECK(U(OpenDialogInitialName(6)) == u"*.TIF;*.TIFF");
    CHECK(U(OpenDialogInitialName(7)) == u"*.WMF");
    CHECK(U(OpenDialogInitialName(8)) == u"*.EMF");
    CHECK(U(OpenDialogInitialName(9)) == u"*.AVI");   // without the blank
    CHECK(U(OpenDialogInitialName(0)) == u"*.*");
    CHECK(U(OpenDialogInitialName(10)) == u"*.*");
}

TEST_CASE("image files: palette entries")
{
    CHECK(PaletteEntryCount(8 + 16 * 4, 16) == 16);
    CHECK(PaletteEntryCount(8 + 256 * 4, 256) == 256);
    CHECK(PaletteEntryCount(8 + 300 * 4, 300) == 256);     // a colour table takes 256
    CHECK(PaletteEntryCount(12, 0) == 0);                  // no palette, one slot of room
    CHECK(PaletteEntryCount(8 + 4 * 4, 99) == 4);          // no more than the block holds
    CHECK(PaletteEntryCount(8 + 4 * 4 + 3, 99) == 4);
    CHECK(PaletteEntryCount(7, 5) == 0);
    CHECK(PaletteEntryCount(0, 5) == 0);
    CHECK(PaletteEntryCount(-20, 5) == 0);

    DWORD argb[3] = { 0xFF123456, 0x80ABCDEF, 0x00010203 };
    DWORD words[3] = { 1, 1, 1 };
    PaletteWordsFromArgb(argb, 3, words);
    CHECK(words[0] == 0x123456);
    CHECK(words[1] == 0xABCDEF);
    CHECK(words[2] == 0x010203);
}

TEST_CASE("image files: top bytes cleared only where the picture landed")
{
    const int W = 5, H = 4;
    std::vector<DWORD> px(W * H, 0xFF000000 | 0x112233);
    ClearTopBytes(px.data(), W, H, 3, 2, 10, 10);       // clipped right and bottom
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            CHECK(px[y * W + x] == ((x >= 3 && y >= 2) ? 0x112233u : 0xFF112233u));

    std::fill(px.begin(), px.end(), 0xFF000000);
    ClearTopBytes(px.data(), W, H, -2, -1, 4, 3);       // clipped left and top
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            CHECK(px[y * W + x] == ((x < 2 && y < 2) ? 0u : 0xFF000000u));

    std::fill(px.begin(), px.end(), 0xFF000000);
    ClearTopBytes(px.data(), W, H, 7, 0, 3, 3);         // wholly outside
    ClearTopBytes(px.data(), W, H, 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0, 0x7FFFFFF0);
    for (DWORD p : px) CHECK(p == 0xFF000000u);
}

TEST_CASE("image files: colours for a 256-colour file")
{
    // Few colours: kept exactly, indexes into the sorted list.
    DWORD few[6] = { 0x00FF0000, 0xAB00FF00, 0x000000FF, 0x00FF0000, 0x0000FF00, 0x00123456 };
    DWORD palette[256];
    BYTE idx[6];
    int used = QuantizeToPalette(few, 6, palette, idx);
    CHECK(used == 4);
    for (int i = 0; i < 6; i++) CHECK(palette[idx[i]] == (few[i] & 0xFFFFFF));
    CHECK(palette[4] == 0);

    // Exactly 256 colours still fit.
    std::vector<DWORD> many(256);
    for (int i = 0; i < 256; i++) many[i] = (DWORD)((i * 7) & 0xFF) << 16 | (DWORD)i << 8 | (DWORD)(255 - i);
    std::vector<BYTE> idx256(256);
    CHECK(QuantizeToPalette(many.data(), 256, palette, idx256.data()) == 256);
    for (int i = 0; i < 256; i++) CHECK(palette[idx256[i]] == many[i]);

    // 257 colours: the 6 x 6 x 6 cube, each pixel on its nearest level.
    many.push_back(0x00FEFEFE);
    std::vector<BYTE> idx257(257);
    CHECK(QuantizeToPalette(many.data(), 257, palette, idx257.data()) == 216);
    CHECK(palette[0] == 0x000000);
    CHECK(palette[215] == 0xFFFFFF);
    CHECK(palette[1] == 0x000033);
    CHECK(palette[36] == 0x330000);
    CHECK(palette[216] == 0);
    CHECK(idx257[256] == 215);                      // 0xFE rounds up to 0xFF
    CHECK(palette[idx257[0]] == 0x0000FF);
    CHECK(many[100] == 0xBC649B);
    CHECK(palette[idx257[100]] == 0xCC6699);        // levels 4, 2, 3
}
