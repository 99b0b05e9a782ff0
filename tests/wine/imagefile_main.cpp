// Image files under Wine: GDI+ round trips with palettes, clipping, refused
// files, results and names, and the dialogs' remembered folder and filter.
// nbx-test: also-cp1252
#include "harness.h"
#include <string.h>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

const char *const kExt[5] = { ".bmp", ".jpg", ".gif", ".png", ".tif" };

// The start-up folder: the file dialogs move the process's current one.
std::string StartDir() { std::string s = nbx_logDir; s.pop_back(); return s; }
std::string Here(const std::string &name) { return StartDir() + "\\" + name; }

int Create(int n, int w, int h, int bits)   // afresh: black, or index 0 of the grey ramp
{
    int result = -1;
    nbxt::OnUser([&] { NBX_DestroyImage(n); result = (bits == 8 ? NBX_CreateImage8 : NBX_CreateImage)(n, "file", 10 + n * 5, 10, w, h, 100); });
    return result;
}

// Runs fn with image n current, as the menu commands and requests do.
int On(int n, const std::function<int()> &fn)
{
    int result = -1;
    nbxt::OnUser([&] { SelectImage(n); result = fn(); RestoreImage(); });
    return result;
}
int Save(int n, int type, const std::string &path)
{
    return On(n, [&] { return SaveImageFile(nbx_images[n].height, nbx_images[n].width, type, path.c_str()); });
}
int Load(int n, const std::string &path, int x = 0, int y = 0) { return On(n, [&] { return LoadImageFile(path.c_str(), x, y); }); }
std::vector<DWORD> Palette(int n)
{
    std::vector<DWORD> entries(256, 0xDEADBEEF);
    return On(n, [&] { return GetImagePalette(entries.data()); }) == 0 ? entries : std::vector<DWORD>();
}

DWORD Pixel(int n, int x, int y)   // the 32-bit word or the 8-bit index
{
    const ImageRecord &r = nbx_images[n];
    return r.bits == 8 ? nbx_pixels8[n][y * ((r.width + 3) & ~3) + x] : nbx_pixels[n][y * r.width + x];
}
// Pixels of image n with a byte off want(x, y) by more than tolerance.
int Mismatches(int n, const std::function<DWORD(int, int)> &want, int tolerance = 0)
{
    int bad = 0;
    for (int y = 0; y < nbx_images[n].height; y++)
        for (int x = 0; x < nbx_images[n].width; x++)
            for (int shift = 0; shift < 32; shift += 8) {
                int d = (int)(Pixel(n, x, y) >> shift & 0xFF) - (int)(want(x, y) >> shift & 0xFF);
                if (d < -tolerance || d > tolerance) { bad++; break; }
            }
    return bad;
}

// A non-grey colour for every index, each apart from the others even at the
// 5 bits per channel GDI matches colours with.
DWORD Distinct(int i) { return (DWORD)((i & 31) * 8 + 4) << 16 | (DWORD)((i >> 5) * 32 + 4) << 8 | 0x0C; }

void WriteBytes(const std::string &path, const std::string &bytes)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL), CloseHandle(file);
}

// A 4-bit BMP with a 16-colour table, pixel (x, y) colour (x + y) % 16.
std::string SixteenColourBmp(int w, int h, const DWORD colours[16])
{
    int stride = ((w + 1) / 2 + 3) & ~3;
    std::string f(118 + stride * h, '\0');
    auto put = [&](int at, DWORD v) { for (int i = 0; i < 4; i++) f[at + i] = (char)(v >> 8 * i); };
    f[0] = 'B', f[1] = 'M', f[26] = 1, f[28] = 4;   // planes 1, 4 bits
    put(2, (DWORD)f.size()), put(10, 118), put(14, 40), put(18, w), put(22, h), put(46, 16);
    for (int i = 0; i < 16; i++) put(54 + 4 * i, colours[i]);
    for (int y = 0; y < h; y++)   // bottom-up rows, high nibble first
        for (int x = 0; x < w; x++) f[118 + (h - 1 - y) * stride + x / 2] |= (char)((x + y) % 16 << (x % 2 ? 0 : 4));
    return f;
}

int BmpBits(const std::string &path)
{
    std::string bmp = nbxt::ReadWholeFile(path.c_str());
    return bmp.size() > 30 && bmp.substr(0, 2) == "BM" ? (BYTE)bmp[28] : -1;
}

std::string FolderOf(HWND dialog)
{
    WCHAR folder[MAX_PATH] = { 0 };
    char out[MAX_PATH * 2];
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder);
    NbxWideToAnsi(folder, out, sizeof out);
    return out;
}
int Filter(HWND dialog) { return (int)SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0); }
void TypeNameAndOk(HWND dialog, const std::string &name)
{
    WCHAR wide[MAX_PATH];
    NbxAnsiToWide(name.c_str(), wide, MAX_PATH);
    SendMessageW(nbxt::FileDialogNameEdit(dialog), WM_SETTEXT, 0, (LPARAM)wide);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
}

}  // namespace

TEST_CASE("32-bit images: the five types save as 24-bit files and load back")
{
    const int W = 23, H = 17;
    REQUIRE((Create(1, W, H, 32) == 0 && Create(2, W, H, 32) == 0));
    for (int i = 0; i < W * H; i++) {
        // Smooth colours, so that JPEG stays close, and a top byte to drop;
        // web-safe colours for GIF, which keeps 256 at most.
        nbx_pixels[1][i] = 0xAB000000 | (DWORD)(i % W * 10) << 16 | (DWORD)(i / W * 12) << 8 | 0x80;
        nbx_pixels[2][i] = (DWORD)(i % W % 6 * 0x33) << 16 | (DWORD)(i / W % 6 * 0x33) << 8 | 0x99;
    }
    std::string base = Here(GetACP() == 932 ? "rt\x82\xA0" : "rt\xE9");   // beyond ASCII
    for (int type = 0; type < 5; type++) {
        CAPTURE(type);
        int source = type == 2 ? 2 : 1;
        REQUIRE(Save(source, type, base) == 0);
        REQUIRE((Create(3, W, H, 32) == 0 && Load(3, base + kExt[type]) == 0));
        CHECK(Mismatches(3, [&](int x, int y) { return Pixel(source, x, y) & 0xFFFFFF; }, type == 1 ? 12 : 0) == 0);
    }
    CHECK(BmpBits(base + ".bmp") == 24);
}

TEST_CASE("8-bit images keep their palette; a 5-pixel width saves without skew")
{
    const int W = 5, H = 3;
    REQUIRE(Create(4, W, H, 8) == 0);
    std::vector<DWORD> palette(256);
    for (int i = 0; i < 256; i++) palette[i] = Distinct(i);
    CHECK(On(4, [&] { return SetImagePalette(palette.data(), 256); }) == 0);
    CHECK(Palette(4) == palette);
    for (int i = 0; i < 8 * H; i++) nbx_pixels8[4][i] = (BYTE)(i * 37 + 3);   // rows of 8, padding too
    for (int type : { 0, 2, 3, 4, 1 }) {
        CAPTURE(type);
        REQUIRE(Save(4, type, Here("rt8")) == 0);
        std::string file = Here("rt8") + kExt[type];
        // Into a 32-bit image: the picture the window shows. A JPEG keeps
        // no palette and only approximate colours: it need only load.
        REQUIRE((Create(6, W, H, 32) == 0 && Load(6, file) == 0));
        if (type == 1) break;
        CHECK(Mismatches(6, [&](int x, int y) { return palette[Pixel(4, x, y)]; }) == 0);
        // Into an 8-bit image: the grey ramp gives way to the palette.
        REQUIRE((Create(5, W, H, 8) == 0 && Load(5, file) == 0));
        CHECK(Palette(5) == palette);
        CHECK(Mismatches(5, [](int x, int y) { return Pixel(4, x, y); }) == 0);
    }
    CHECK(BmpBits(Here("rt8.bmp")) == 8);

    // A 16-colour file replaces colour-table entries 0..15 only.
    DWORD colours[16];
    for (int i = 0; i < 16; i++) colours[i] = Distinct(i * 13 + 7);
    WriteBytes(Here("sixteen.bmp"), SixteenColourBmp(9, 7, colours));
    REQUIRE((Create(7, 9, 7, 8) == 0 && Load(7, Here("sixteen.bmp")) == 0));
    std::vector<DWORD> got = Palette(7);
    int bad = 0;
    for (int i = 0; i < 256; i++) bad += got[i] != (i < 16 ? colours[i] : (DWORD)i * 0x010101);
    CHECK(bad == 0);
    CHECK(Mismatches(7, [](int x, int y) { return (DWORD)(x + y) % 16; }) == 0);
}

TEST_CASE("loading clips: a larger picture fills the buffer, a smaller one leaves the rest")
{
    REQUIRE((Create(1, 40, 30, 32) == 0 && Create(2, 20, 15, 32) == 0 && Create(3, 40, 30, 32) == 0));
    for (int i = 0; i < 40 * 30; i++) nbx_pixels[1][i] = (DWORD)(i % 40) << 16 | (DWORD)(i / 40) << 8 | 0x55;
    REQUIRE(Save(1, 3, Here("big")) == 0);
    REQUIRE(Load(2, Here("big.png")) == 0);   // the top-left quarter
    CHECK(Mismatches(2, [](int x, int y) { return Pixel(1, x, y); }) == 0);
    REQUIRE(Save(2, 3, Here("small")) == 0);
    for (POINT at : { POINT{ 0, 0 }, POINT{ -5, 20 } }) {   // the second clipped left and below
        for (int i = 0; i < 40 * 30; i++) nbx_pixels[3][i] = 0x123456;
        REQUIRE(Load(3, Here("small.png"), at.x, at.y) == 0);
        CHECK(Mismatches(3, [&](int x, int y) {
            int sx = x - at.x, sy = y - at.y;
            return sx >= 0 && sx < 20 && sy >= 0 && sy < 15 ? Pixel(1, sx, sy) : 0x123456;
        }) == 0);
    }
}

TEST_CASE("files that cannot be decoded are refused and change nothing")
{
    REQUIRE(Create(1, 12, 9, 32) == 0);
    for (int i = 0; i < 12 * 9; i++) nbx_pixels[1][i] = 0x00A0B0C0 + i;
    REQUIRE((Save(1, 3, Here("whole")) == 0 && Save(1, 0, Here("whole")) == 0));
    std::string png = nbxt::ReadWholeFile(Here("whole.png").c_str()), bmp = nbxt::ReadWholeFile(Here("whole.bmp").c_str());
    REQUIRE((png.size() > 60 && bmp.size() > 60));
    WriteBytes(Here("truncated.png"), png.substr(0, png.size() / 2));
    WriteBytes(Here("truncated.bmp"), bmp.substr(0, 60));
    WriteBytes(Here("garbage.png"), "this is not a picture at all\r\n");
    WriteBytes(Here("empty.bmp"), "");
    CreateDirectoryA(Here("folder.png").c_str(), NULL);

    REQUIRE((Create(2, 12, 9, 32) == 0 && Create(3, 12, 9, 8) == 0));
    memset(nbx_pixels8[2], 0x44, 12 * 9 * 4);
    memset(nbx_pixels8[3], 77, 12 * 9);
    std::vector<DWORD> palette = Palette(3);
    std::vector<std::string> names = { std::string(300, 'a') };   // longer than a path may be
    for (const char *name : { "truncated.png", "truncated.bmp", "garbage.png", "empty.bmp", "folder.png", "missing.png" })
        names.push_back(Here(name));
    for (const std::string &name : names) {
        CAPTURE(name);
        CHECK((Load(2, name) == 1 && Load(3, name) == 1));
        CHECK(Mismatches(2, [](int, int) { return 0x44444444u; }) == 0);
        CHECK(Mismatches(3, [](int, int) { return 77u; }) == 0);
        CHECK(Palette(3) == palette);
    }
}

TEST_CASE("results of a free current image, an empty size, a bad type; names saved")
{
    REQUIRE(Create(1, 8, 8, 32) == 0);
    nbxt::OnUser([] { NBX_DestroyImage(7); });
    // Current: a free number, one beyond the table, a 32-bit image.
    struct { int current, load, save, setPalette, getPalette; } states[] = { { 7, 2, 3, 1, 1 }, { 300, 2, 3, 1, 1 }, { 1, 0, 0, 2, 2 } };
    for (auto &s : states) {
        int got[4];
        nbxt::OnUser([&] {
            int kept = nbx_curImage;
            DWORD entries[256] = { 0 };
            nbx_curImage = s.current;
            got[0] = LoadImageFile(Here("whole.png").c_str(), 0, 0), got[1] = SaveImageFile(8, 8, 3, Here("result").c_str());
            got[2] = SetImagePalette(entries, 256), got[3] = GetImagePalette(entries);
            nbx_curImage = kept;
        });
        CHECK((got[0] == s.load && got[1] == s.save && got[2] == s.setPalette && got[3] == s.getPalette));
    }
    CHECK(On(1, [] { return SaveImageFile(0, 8, 3, Here("empty").c_str()); }) == 2);
    CHECK(On(1, [] { return SaveImageFile(8, 0, 3, Here("empty").c_str()); }) == 2);
    CHECK(On(1, [] { return SaveImageFile(8, 8, 5, Here("badtype").c_str()); }) == 1);

    // The extension is appended unless the name ends with it in any case; a
    // name that leaves no room for it is refused, not cut.
    std::string dir = StartDir() + "\\", q257 = dir + std::string(257 - dir.size(), 'q'), f255 = dir + std::string(255 - dir.size(), 'f');
    struct { std::string name; int type, result; std::string file; } names[] = {
        { Here("photo"), 3, 0, Here("photo.png") }, { Here("upper.PNG"), 3, 0, Here("upper.PNG") },
        { Here("photo.tiff"), 4, 0, Here("photo.tiff.tif") }, { q257, 3, 1, "" }, { f255, 3, 0, f255 + ".png" },
    };
    for (auto &n : names) {
        CHECK(Save(1, n.type, n.name) == n.result);
        CHECK((n.file.empty() || nbxt::FileExists(n.file.c_str())));
    }
    CHECK_FALSE(nbxt::FileExists(Here("upper.PNG.png").c_str()));
}

TEST_CASE("the open dialog remembers its folder and filter; Cancel keeps them")
{
    CreateDirectoryA(Here("pics").c_str(), NULL);
    REQUIRE((Create(1, 6, 4, 32) == 0 && Save(1, 0, Here("pics\\pick")) == 0));
    std::string startDir = nbx_openDir;
    CHECK(startDir == StartDir());
    char path[NBX_PATH] = "";
    int result = -1;
    // The AVI filter first, in the start-up folder; after a BMP is picked with
    // the BMP filter, the next dialog starts there with that filter.
    struct { const char *title; int filter; const char *name; std::string folder; int pick, result; } runs[] = {
        { NULL, 8, "*.AVI", StartDir(), 2, 0 }, { "Pick one", 1, "*.BMP;*.RLE;*.DIB", Here("pics"), 5, 1 } };
    for (auto &r : runs) {
        nbxt::Pending *p = nbxt::OnUserAsync([&] { result = NBX_OpenFileDialog(r.title, path); });
        HWND dialog = nbxt::WaitFileDialog(r.title ? L"Pick one" : NULL);
        REQUIRE(dialog != NULL);
        CHECK(Filter(dialog) == r.filter);
        CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == r.name);
        CHECK(FolderOf(dialog) == r.folder);
        nbxt::ChooseFileDialogFilter(dialog, r.pick);
        if (r.result == 0) TypeNameAndOk(dialog, Here("pics\\pick.bmp"));
        else PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        REQUIRE(nbxt::WaitDone(p));
        CHECK(result == r.result);
        CHECK((std::string(path) == Here("pics\\pick.bmp") && nbx_openFilterIndex == 2));
        CHECK(std::string(nbx_openDir) == Here("pics\\"));
        CHECK(std::string(nbx_saveDir) == startDir);   // the save state is its own
    }
}

TEST_CASE("\"&Save as\" saves by the chosen filter; \"&Load image file\" loads and shows")
{
    const int W = 30, H = 20;
    REQUIRE((Create(1, W, H, 32) == 0 && Create(2, W, H, 32) == 0));
    for (int i = 0; i < W * H; i++) nbx_pixels[1][i] = (DWORD)(i % W * 8) << 16 | (DWORD)(i / W * 12) << 8;
    CreateDirectoryA(Here("saved").c_str(), NULL);
    // PNG picked; then "All Files", which saves a BMP; then JPEG, with the
    // quality raised for that save only. Each dialog starts as the last left.
    struct { int filter; std::string folder; int pick; const char *name, *file; } saves[] = {
        { 1, StartDir(), 5, "saved\\viaMenu", "saved\\viaMenu.png" },
        { 4, Here("saved"), 1, "saved\\everything", "saved\\everything.bmp" },
        { 0, Here("saved"), 3, "saved\\best", "saved\\best.jpg" } };
    nbx_jpegQuality = 20;
    for (auto &s : saves) {
        DeleteFileA(Here(s.file).c_str());   // left over, it would bring up the overwrite prompt
        nbxt::Command(nbx_images[1].window, 1010);
        HWND dialog = nbxt::WaitFileDialog(L"Save as");
        REQUIRE(dialog != NULL);
        CHECK((Filter(dialog) == s.filter && FolderOf(dialog) == s.folder));
        CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == "noname");
        nbxt::ChooseFileDialogFilter(dialog, s.pick);
        TypeNameAndOk(dialog, Here(s.name));
        CHECK(nbxt::WaitFor([&] { return nbxt::FileExists(Here(s.file).c_str()); }));
        nbxt::OnUser([] {});   // the command has returned
    }
    CHECK(nbx_jpegQuality == 20);
    nbx_jpegQuality = 100;

    HWND target = nbx_images[2].window;
    nbxt::Command(target, 1004);
    HWND dialog = nbxt::WaitFileDialog(L"Load image file");
    REQUIRE(dialog != NULL);
    TypeNameAndOk(dialog, Here("saved\\viaMenu.png"));
    CHECK(nbxt::WaitFor([] { return !nbxt::WaitFileDialog(L"Load image file", 10); }));
    nbxt::OnUser([] {});
    CHECK(Mismatches(2, [](int x, int y) { return Pixel(1, x, y); }) == 0);
    nbxt::Pause(300);   // the window shows it: the middle of image pixel (7, 5)
    std::vector<DWORD> screen = nbxt::GrabClient(target);
    int zoom = nbx_images[2].zoom, sx = (7 * zoom + zoom / 2) / 100, sy = (5 * zoom + zoom / 2) / 100;
    CHECK(screen[(size_t)sy * nbxt::ClientSize(target).cx + sx] == Pixel(1, 7, 5));
}
