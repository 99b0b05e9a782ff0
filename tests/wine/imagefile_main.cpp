// Image files under Wine: GDI+ saves and loads of 32-bit and 8-bit images,
// palettes, clipping, refused files, and the open and save dialogs.
// nbx-test: also-cp1252
#include "harness.h"
#include <stdio.h>
#include <string.h>
#include <vector>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

// ------------------------------------------------------------- helpers

// The start-up folder: the file dialogs move the process's current folder.
static std::string StartDir()
{
    std::string s = nbx_logDir;
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

static std::string Here(const char *name) { return StartDir() + "\\" + name; }

// A fresh image n: black (or index 0) with the grey-ramp colour table. One
// of the same size and depth is cleared instead of re-created, which spares
// the window manager's wait on every destroyed window.
static int Create(int n, int w, int h, int bits)
{
    int result = -1;
    nbxt::OnUser([&] {
        const ImageRecord &r = nbx_images[n];
        if (r.inUse && r.width == w && r.height == h && r.bits == bits) {
            ClearImage(n);
            if (bits == 8) {
                DWORD ramp[256];
                for (int i = 0; i < 256; i++) ramp[i] = (DWORD)i * 0x010101;
                SelectImage(n);
                SetImagePalette(ramp, 256);
                RestoreImage();
            }
            result = 0;
            return;
        }
        NBX_DestroyImage(n);
        result = bits == 8 ? NBX_CreateImage8(n, "file", 10 + n * 5, 10, w, h, 100)
                           : NBX_CreateImage(n, "file", 10 + n * 5, 10, w, h, 100);
    });
    return result;
}

static void Destroy(int n)
{
    nbxt::OnUser([=] { NBX_DestroyImage(n); });
}

static int Stride8(int w) { return (w + 3) & ~3; }

static DWORD Pixel32(int n, int x, int y) { return nbx_pixels[n][y * nbx_images[n].width + x]; }
static BYTE Pixel8(int n, int x, int y) { return nbx_pixels8[n][y * Stride8(nbx_images[n].width) + x]; }

static int Save(int n, int type, const std::string &path)
{
    int result = -1;
    nbxt::OnUser([&] {
        SelectImage(n);
        result = SaveImageFile(nbx_images[n].height, nbx_images[n].width, type, path.c_str());
        RestoreImage();
    });
    return result;
}

static int Load(int n, const std::string &path, int x = 0, int y = 0)
{
    int result = -1;
    nbxt::OnUser([&] {
        SelectImage(n);
        result = LoadImageFile(path.c_str(), x, y);
        RestoreImage();
    });
    return result;
}

static std::vector<DWORD> Palette(int n)
{
    std::vector<DWORD> entries(256, 0xDEADBEEF);
    nbxt::OnUser([&] {
        SelectImage(n);
        GetImagePalette(entries.data());
        RestoreImage();
    });
    return entries;
}

static void SetPalette(int n, const std::vector<DWORD> &entries)
{
    nbxt::OnUser([&] {
        SelectImage(n);
        SetImagePalette(entries.data(), (int)entries.size());
        RestoreImage();
    });
}

static std::vector<BYTE> Buffer(int n)
{
    const ImageRecord &r = nbx_images[n];
    size_t bytes = r.bits == 8 ? (size_t)Stride8(r.width) * r.height : (size_t)r.width * r.height * 4;
    return std::vector<BYTE>(nbx_pixels8[n], nbx_pixels8[n] + bytes);
}

static bool Near(DWORD a, DWORD b, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int d = (int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF);
        if (d < -tolerance || d > tolerance) return false;
    }
    return true;
}

static const char *kExt[5] = { ".bmp", ".jpg", ".gif", ".png", ".tif" };

// A non-grey colour for every palette index, each one apart from the others
// even at the 5 bits per channel GDI matches colours with.
static DWORD DistinctColour(int i)
{
    return ((DWORD)((i & 31) * 8 + 4) << 16) | ((DWORD)((i >> 5) * 32 + 4) << 8) | 0x0C;
}

// Writes a GIF with a 16-colour table: pixel (x, y) is colour (x + y) % 16.
// The LZW stream sends a clear code every ten codes, so its code width stays
// at five bits.
static void WriteSixteenColourGif(const std::string &path, int w, int h, const DWORD colours[16])
{
    std::vector<BYTE> f = { 'G', 'I', 'F', '8', '9', 'a', (BYTE)w, (BYTE)(w >> 8), (BYTE)h,
                            (BYTE)(h >> 8), 0xB3, 0, 0 };
    for (int i = 0; i < 16; i++) {
        f.push_back((BYTE)(colours[i] >> 16));
        f.push_back((BYTE)(colours[i] >> 8));
        f.push_back((BYTE)colours[i]);
    }
    BYTE descriptor[10] = { 0x2C, 0, 0, 0, 0, (BYTE)w, (BYTE)(w >> 8), (BYTE)h, (BYTE)(h >> 8), 0 };
    f.insert(f.end(), descriptor, descriptor + 10);
    f.push_back(4);   // minimum code size
    std::vector<BYTE> data;
    unsigned bits = 0, nbits = 0;
    auto emit = [&](unsigned code) {
        bits |= code << nbits;
        nbits += 5;
        while (nbits >= 8) { data.push_back((BYTE)bits); bits >>= 8; nbits -= 8; }
    };
    int sinceClear = 10;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            if (sinceClear == 10) { emit(16); sinceClear = 0; }
            emit((unsigned)((x + y) % 16));
            sinceClear++;
        }
    emit(17);
    if (nbits) data.push_back((BYTE)bits);
    for (size_t at = 0; at < data.size(); at += 255) {
        size_t n = data.size() - at < 255 ? data.size() - at : 255;
        f.push_back((BYTE)n);
        f.insert(f.end(), data.begin() + at, data.begin() + at + n);
    }
    f.push_back(0);
    f.push_back(0x3B);
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, f.data(), (DWORD)f.size(), &written, NULL);
    CloseHandle(file);
}

static void WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
}

// ---------------------------------------------------------------- tests

TEST_CASE("encoders of the five types are found by exact MIME type")
{
    const WCHAR *mimes[5] = { L"image/bmp", L"image/jpeg", L"image/gif", L"image/png", L"image/tiff" };
    CLSID zero;
    ZeroMemory(&zero, sizeof zero);
    for (const WCHAR *mime : mimes) {
        CLSID id = FindEncoder(mime);
        CHECK(memcmp(&id, &zero, sizeof id) != 0);
    }
    CLSID none = FindEncoder(L"image/x-none");
    CHECK(memcmp(&none, &zero, sizeof none) == 0);
    CLSID upper = FindEncoder(L"IMAGE/PNG");
    CHECK(memcmp(&upper, &zero, sizeof upper) == 0);
    CHECK(nbx_jpegQuality == 100);
}

TEST_CASE("32-bit images save as 24-bit files and load back")
{
    const int W = 23, H = 17;
    REQUIRE(Create(1, W, H, 32) == 0);
    // Smooth colours (so JPEG stays close) and a top byte that must be dropped.
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            nbx_pixels[1][y * W + x] = 0xAB000000 | ((DWORD)(x * 10) << 16) | ((DWORD)(y * 12) << 8) | 0x80;
    // GIF keeps 256 colours at most: give it a copy in web-safe colours.
    REQUIRE(Create(2, W, H, 32) == 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            nbx_pixels[2][y * W + x] = ((DWORD)(x % 6) * 0x33 << 16) | ((DWORD)(y % 6) * 0x33 << 8) | 0x99;

    for (int type = 0; type < 5; type++) {
        CAPTURE(type);
        int source = type == 2 ? 2 : 1;
        std::string base = Here("rt32");
        CHECK(Save(source, type, base) == 0);
        std::string file = base + kExt[type];
        REQUIRE(nbxt::FileExists(file.c_str()));

        REQUIRE(Create(3, W, H, 32) == 0);
        REQUIRE(Load(3, file) == 0);
        int tolerance = type == 1 ? 12 : 0;
        int bad = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) {
                DWORD want = Pixel32(source, x, y) & 0xFFFFFF;
                DWORD got = Pixel32(3, x, y);
                if ((got >> 24) != 0 || !Near(got, want, tolerance)) bad++;
            }
        CHECK(bad == 0);
    }
    // The BMP is a 24-bit file.
    std::string bmp = nbxt::ReadWholeFile(Here("rt32.bmp").c_str());
    REQUIRE(bmp.size() > 30);
    CHECK(bmp.substr(0, 2) == "BM");
    CHECK((unsigned char)bmp[28] == 24);
}

TEST_CASE("8-bit images keep their palette; a 5-pixel width saves without skew")
{
    const int W = 5, H = 3;
    REQUIRE(Create(4, W, H, 8) == 0);
    std::vector<DWORD> palette(256);
    for (int i = 0; i < 256; i++) palette[i] = DistinctColour(i);
    SetPalette(4, palette);
    CHECK(Palette(4) == palette);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) nbx_pixels8[4][y * Stride8(W) + x] = (BYTE)(x * 37 + y * 11 + 3);

    const int lossless[4] = { 0, 2, 3, 4 };   // BMP, GIF, PNG, TIFF
    for (int type : lossless) {
        CAPTURE(type);
        std::string base = Here("rt8");
        REQUIRE(Save(4, type, base) == 0);
        std::string file = base + kExt[type];

        // Into a fresh 8-bit image: its grey ramp is replaced by the palette.
        REQUIRE(Create(5, W, H, 8) == 0);
        REQUIRE(Load(5, file) == 0);
        std::vector<DWORD> got = Palette(5);
        int samePalette = 0;
        for (int i = 0; i < 256; i++) samePalette += got[i] == palette[i];
        CHECK(samePalette == 256);
        int bad = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) bad += Pixel8(5, x, y) != Pixel8(4, x, y);
        CHECK(bad == 0);

        // Into a 32-bit image: the picture the window shows.
        REQUIRE(Create(6, W, H, 32) == 0);
        REQUIRE(Load(6, file) == 0);
        bad = 0;
        for (int y = 0; y < H; y++)
            for (int x = 0; x < W; x++) bad += Pixel32(6, x, y) != palette[Pixel8(4, x, y)];
        CHECK(bad == 0);
    }
    std::string bmp = nbxt::ReadWholeFile(Here("rt8.bmp").c_str());
    REQUIRE(bmp.size() > 30);
    CHECK((unsigned char)bmp[28] == 8);

    // JPEG has no palette: it saves the colours, close enough for a photo.
    REQUIRE(Save(4, 1, Here("rt8")) == 0);
    REQUIRE(Create(6, W, H, 32) == 0);
    CHECK(Load(6, Here("rt8.jpg")) == 0);
}

TEST_CASE("loading clips a larger picture and leaves the rest of the buffer")
{
    REQUIRE(Create(1, 40, 30, 32) == 0);
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++) nbx_pixels[1][y * 40 + x] = ((DWORD)x << 16) | ((DWORD)y << 8) | 0x55;
    REQUIRE(Save(1, 3, Here("big")) == 0);

    // 40 x 30 into 20 x 15: the whole buffer is the top-left quarter.
    REQUIRE(Create(2, 20, 15, 32) == 0);
    REQUIRE(Load(2, Here("big.png")) == 0);
    int bad = 0;
    for (int y = 0; y < 15; y++)
        for (int x = 0; x < 20; x++) bad += Pixel32(2, x, y) != Pixel32(1, x, y);
    CHECK(bad == 0);

    // 20 x 15 into 40 x 30: the rest keeps its pixels.
    REQUIRE(Save(2, 3, Here("small")) == 0);
    REQUIRE(Create(3, 40, 30, 32) == 0);
    for (int i = 0; i < 40 * 30; i++) nbx_pixels[3][i] = 0x123456;
    REQUIRE(Load(3, Here("small.png")) == 0);
    bad = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++) {
            DWORD want = (x < 20 && y < 15) ? Pixel32(1, x, y) : 0x123456;
            bad += Pixel32(3, x, y) != want;
        }
    CHECK(bad == 0);

    // At an offset: parts left of and above the buffer are clipped away.
    for (int i = 0; i < 40 * 30; i++) nbx_pixels[3][i] = 0x123456;
    REQUIRE(Load(3, Here("small.png"), -5, 20) == 0);
    bad = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++) {
            bool inside = x < 15 && y >= 20;
            DWORD want = inside ? Pixel32(1, x + 5, y - 20) : 0x123456;
            bad += Pixel32(3, x, y) != want;
        }
    CHECK(bad == 0);
}

TEST_CASE("a 16-colour GIF replaces colour-table entries 0..15 only")
{
    DWORD colours[16];
    for (int i = 0; i < 16; i++) colours[i] = DistinctColour(i * 13 + 7);
    WriteSixteenColourGif(Here("sixteen.gif"), 9, 7, colours);

    REQUIRE(Create(4, 9, 7, 8) == 0);
    REQUIRE(Load(4, Here("sixteen.gif")) == 0);
    std::vector<DWORD> got = Palette(4);
    for (int i = 0; i < 16; i++) CHECK(got[i] == colours[i]);
    int grey = 0;
    for (int i = 16; i < 256; i++) grey += got[i] == (DWORD)i * 0x010101;
    CHECK(grey == 240);
    int bad = 0;
    for (int y = 0; y < 7; y++)
        for (int x = 0; x < 9; x++) bad += Pixel8(4, x, y) != (x + y) % 16;
    CHECK(bad == 0);

    // Into a 32-bit image the same file shows its colours.
    REQUIRE(Create(5, 9, 7, 32) == 0);
    REQUIRE(Load(5, Here("sixteen.gif")) == 0);
    CHECK(Pixel32(5, 3, 2) == colours[5]);
}

TEST_CASE("files GDI+ cannot decode are refused and change nothing")
{
    REQUIRE(Create(1, 12, 9, 32) == 0);
    for (int i = 0; i < 12 * 9; i++) nbx_pixels[1][i] = 0x00A0B0C0 + i;
    REQUIRE(Save(1, 3, Here("whole")) == 0);
    std::string png = nbxt::ReadWholeFile(Here("whole.png").c_str());
    REQUIRE(png.size() > 60);
    WriteBytes(Here("truncated.png"), png.substr(0, png.size() / 2));
    WriteBytes(Here("garbage.png"), std::string("this is not a picture at all\r\n"));
    WriteBytes(Here("empty.bmp"), std::string());
    std::string bmp;
    REQUIRE(Save(1, 0, Here("whole")) == 0);
    bmp = nbxt::ReadWholeFile(Here("whole.bmp").c_str());
    WriteBytes(Here("truncated.bmp"), bmp.substr(0, 60));
    CreateDirectoryA(Here("folder.png").c_str(), NULL);

    REQUIRE(Create(2, 12, 9, 32) == 0);
    REQUIRE(Create(3, 12, 9, 8) == 0);
    for (int i = 0; i < 12 * 9; i++) nbx_pixels[2][i] = 0x00445566;
    memset(nbx_pixels8[3], 77, Stride8(12) * 9);
    std::vector<BYTE> before32 = Buffer(2), before8 = Buffer(3);
    std::vector<DWORD> palette8 = Palette(3);

    const char *bad[] = { "truncated.png", "garbage.png", "empty.bmp", "truncated.bmp",
                          "folder.png", "missing.png" };
    for (const char *name : bad) {
        CAPTURE(name);
        CHECK(Load(2, Here(name)) == 1);
        CHECK(Load(3, Here(name)) == 1);
        CHECK(Buffer(2) == before32);
        CHECK(Buffer(3) == before8);
        CHECK(Palette(3) == palette8);
    }
    // An ANSI path longer than the 260-unit buffer names no file.
    CHECK(Load(2, std::string(300, 'a')) == 1);
    CHECK(Buffer(2) == before32);
}

TEST_CASE("results for a free current image, an empty size and a path too long")
{
    REQUIRE(Create(1, 8, 8, 32) == 0);
    Destroy(7);
    int load = -1, save = -1, setPal = -1, getPal = -1;
    nbxt::OnUser([&] {
        int kept = nbx_curImage;
        nbx_curImage = 7;   // free
        load = LoadImageFile(Here("whole.png").c_str(), 0, 0);
        save = SaveImageFile(8, 8, 3, Here("free").c_str());
        DWORD entries[256] = { 0 };
        setPal = SetImagePalette(entries, 256);
        getPal = GetImagePalette(entries);
        nbx_curImage = 300;   // beyond the table
        CHECK(LoadImageFile(Here("whole.png").c_str(), 0, 0) == 2);
        CHECK(SaveImageFile(8, 8, 3, Here("free").c_str()) == 3);
        nbx_curImage = kept;
    });
    CHECK(load == 2);
    CHECK(save == 3);
    CHECK(setPal == 1);
    CHECK(getPal == 1);
    CHECK_FALSE(nbxt::FileExists(Here("free.png").c_str()));

    // Palette calls on a 32-bit image.
    nbxt::OnUser([&] {
        SelectImage(1);
        DWORD entries[256] = { 0 };
        CHECK(SetImagePalette(entries, 256) == 2);
        CHECK(GetImagePalette(entries) == 2);
        CHECK(SaveImageFile(0, 8, 3, Here("empty").c_str()) == 2);
        CHECK(SaveImageFile(8, 0, 3, Here("empty").c_str()) == 2);
        CHECK(SaveImageFile(8, 8, 5, Here("badtype").c_str()) == 1);
        RestoreImage();
    });

    // Saving under photo / photo.PNG / photo.tiff.
    CHECK(Save(1, 3, Here("photo")) == 0);
    CHECK(nbxt::FileExists(Here("photo.png").c_str()));
    CHECK(Save(1, 3, Here("upper.PNG")) == 0);
    CHECK(nbxt::FileExists(Here("upper.PNG").c_str()));
    CHECK_FALSE(nbxt::FileExists(Here("upper.PNG.png").c_str()));
    CHECK(Save(1, 4, Here("photo.tiff")) == 0);
    CHECK(nbxt::FileExists(Here("photo.tiff.tif").c_str()));

    // 257 characters leave no room for ".png": refused, nothing written.
    std::string dir = StartDir() + "\\";
    std::string longName = dir + std::string(257 - dir.size(), 'q');
    REQUIRE(longName.size() == 257);
    CHECK(Save(1, 3, longName) == 1);
    // 255 characters still take it.
    std::string fits = dir + std::string(255 - dir.size(), 'f');
    CHECK(Save(1, 3, fits) == 0);
    CHECK(nbxt::FileExists((fits + ".png").c_str()));
}

// ---------------------------------------------------------------- dialogs

static std::string FolderOf(HWND dialog)
{
    WCHAR folder[MAX_PATH] = { 0 };
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder);
    char out[MAX_PATH * 2];
    NbxWideToAnsi(folder, out, sizeof out);
    std::string s = out;
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

static void TypeNameAndOk(HWND dialog, const std::string &name)
{
    HWND edit = nbxt::FileDialogNameEdit(dialog);
    WCHAR wide[MAX_PATH];
    NbxAnsiToWide(name.c_str(), wide, MAX_PATH);
    SendMessageW(edit, WM_SETTEXT, 0, (LPARAM)wide);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
}

TEST_CASE("the open dialog remembers its folder and filter")
{
    CreateDirectoryA(Here("pics").c_str(), NULL);
    REQUIRE(Create(1, 6, 4, 32) == 0);
    REQUIRE(Save(1, 0, Here("pics\\pick")) == 0);
    CHECK(nbx_openFilterIndex == 9);
    std::string startDir = nbx_openDir;
    CHECK(startDir == StartDir());

    char path[NBX_PATH] = "";
    int result = -1;
    nbxt::Pending *p = nbxt::OnUserAsync([&] { result = NBX_OpenFileDialog(NULL, path); });
    HWND dialog = nbxt::WaitFileDialog(NULL);
    REQUIRE(dialog != NULL);
    // The AVI filter first, with "*.AVI" as the name, in the start-up folder.
    CHECK(SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0) == 8);
    CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == "*.AVI");
    CHECK(FolderOf(dialog) == StartDir());
    nbxt::ChooseFileDialogFilter(dialog, 2);
    TypeNameAndOk(dialog, Here("pics\\pick.bmp"));
    REQUIRE(nbxt::WaitDone(p));
    CHECK(result == 0);
    CHECK(std::string(path) == Here("pics\\pick.bmp"));
    CHECK(nbx_openFilterIndex == 2);
    CHECK(std::string(nbx_openDir) == Here("pics\\"));
    CHECK(std::string(nbx_saveDir) == startDir);   // the save state is its own

    // The next dialog starts there with the BMP filter; Cancel keeps it all.
    p = nbxt::OnUserAsync([&] { result = NBX_OpenFileDialog("Pick one", path); });
    dialog = nbxt::WaitFileDialog(L"Pick one");
    REQUIRE(dialog != NULL);
    CHECK(SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0) == 1);
    CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == "*.BMP;*.RLE;*.DIB");
    CHECK(FolderOf(dialog) == Here("pics"));
    nbxt::ChooseFileDialogFilter(dialog, 5);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    REQUIRE(nbxt::WaitDone(p));
    CHECK(result == 1);
    CHECK(nbx_openFilterIndex == 2);
    CHECK(std::string(nbx_openDir) == Here("pics\\"));
}

TEST_CASE("\"&Save as\" saves by the chosen filter; \"&Load image file\" loads and shows")
{
    const int W = 30, H = 20;
    REQUIRE(Create(1, W, H, 32) == 0);
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) nbx_pixels[1][y * W + x] = ((DWORD)(x * 8) << 16) | ((DWORD)(y * 12) << 8);
    HWND window = nbx_images[1].window;
    CHECK(nbx_saveFilterIndex == 2);
    CreateDirectoryA(Here("saved").c_str(), NULL);
    // Left over from an earlier run they would bring up the overwrite prompt.
    for (const char *old : { "saved\\viaMenu.png", "saved\\everything.bmp", "saved\\best.jpg" })
        DeleteFileA(Here(old).c_str());

    // PNG filter, a bare name: the extension is appended.
    nbxt::Command(window, 1010);
    HWND dialog = nbxt::WaitFileDialog(L"Save as");
    REQUIRE(dialog != NULL);
    CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == "noname");
    CHECK(SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0) == 1);
    CHECK(SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCOUNT, 0, 0) == 6);
    nbxt::ChooseFileDialogFilter(dialog, 5);
    TypeNameAndOk(dialog, Here("saved\\viaMenu"));
    CHECK(nbxt::WaitFor([] { return nbxt::FileExists(Here("saved\\viaMenu.png").c_str()); }));
    CHECK(nbx_saveFilterIndex == 5);
    CHECK(std::string(nbx_saveDir) == Here("saved\\"));
    CHECK(nbx_jpegQuality == 100);

    // "All Files" saves a BMP; the dialog starts in the folder and filter left.
    nbxt::Command(window, 1010);
    dialog = nbxt::WaitFileDialog(L"Save as");
    REQUIRE(dialog != NULL);
    CHECK(SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0) == 4);
    CHECK(FolderOf(dialog) == Here("saved"));
    nbxt::ChooseFileDialogFilter(dialog, 1);
    TypeNameAndOk(dialog, Here("saved\\everything"));
    CHECK(nbxt::WaitFor([] { return nbxt::FileExists(Here("saved\\everything.bmp").c_str()); }));
    nbxt::OnUser([] {});   // the file appears before the save returns

    // JPEG through the menu, with the quality raised to 100 only for it.
    nbx_jpegQuality = 20;
    nbxt::Command(window, 1010);
    dialog = nbxt::WaitFileDialog(L"Save as");
    REQUIRE(dialog != NULL);
    nbxt::ChooseFileDialogFilter(dialog, 3);
    TypeNameAndOk(dialog, Here("saved\\best"));
    CHECK(nbxt::WaitFor([] { return nbxt::FileExists(Here("saved\\best.jpg").c_str()); }));
    nbxt::OnUser([] {});   // runs once the command has returned
    CHECK(nbx_jpegQuality == 20);
    nbx_jpegQuality = 100;

    // Load the PNG into another image through its menu command.
    REQUIRE(Create(2, W, H, 32) == 0);
    HWND target = nbx_images[2].window;
    nbxt::Command(target, 1004);
    dialog = nbxt::WaitFileDialog(L"Load image file");
    REQUIRE(dialog != NULL);
    TypeNameAndOk(dialog, Here("saved\\viaMenu.png"));
    CHECK(nbxt::WaitFor([] { return !nbxt::WaitFileDialog(L"Load image file", 10); }));
    nbxt::OnUser([] {});
    int bad = 0;
    for (int i = 0; i < W * H; i++) bad += nbx_pixels[2][i] != nbx_pixels[1][i];
    CHECK(bad == 0);
    // The window shows it: the middle of image pixel (7, 5) on screen.
    nbxt::Pause(300);
    std::vector<DWORD> screen = nbxt::GrabClient(target);
    SIZE client = nbxt::ClientSize(target);
    int zoom = nbx_images[2].zoom;
    int sx = (7 * zoom + zoom / 2) / 100, sy = (5 * zoom + zoom / 2) / 100;
    REQUIRE(sx < client.cx);
    CHECK(screen[(size_t)sy * client.cx + sx] == nbx_pixels[1][5 * W + 7]);
}
