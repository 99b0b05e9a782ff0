// Image files under Wine: GDI+ round trips with palettes, refused files,
// refused saves and appended extensions, and the dialogs' remembered folder and filter.
// nbx-test: also-cp1252
#include "harness.h"
#include <string.h>
#include <algorithm>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

const char *const kExt[5] = { ".bmp", ".jpg", ".gif", ".png", ".tif" };

// The start-up folder: the file dialogs move the process's current one.
std::string StartDir() { std::string s = nbx_logDir; s.pop_back(); return s; }
using nbxt::Here;

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
int Save(int n, int type, const std::string &path) { return On(n, [&] { return SaveImageFile(nbx_images[n].height, nbx_images[n].width, type, path.c_str()); }); }
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

std::string FolderOf(HWND dialog)
{
    WCHAR folder[MAX_PATH] = { 0 };
    SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder);
    return nbxt::Ansi(folder);
}

}  // namespace

TEST_CASE("round trips: 32-bit images as 24-bit files of five types, 8-bit ones with their palette")
{
    const int W = 5, H = 17;   // 8-bit rows of 8 bytes
    REQUIRE((Create(1, W, H, 32) == 0 && Create(2, W, H, 32) == 0 && Create(4, W, H, 8) == 0));
    for (int i = 0; i < W * H; i++) {
        // Smooth colours, so that JPEG stays close, and a top byte to drop;
        // web-safe colours for GIF, which keeps 256 at most.
        nbx_pixels[1][i] = 0xAB000000 | (DWORD)(i % W * 10) << 16 | (DWORD)(i / W * 12) << 8 | 0x80;
        nbx_pixels[2][i] = (DWORD)(i % W * 0x33) << 16 | (DWORD)(i / W % 6 * 0x33) << 8 | 0x99;
    }
    // A non-grey colour for every index, apart even at GDI's 5 bits a channel.
    std::vector<DWORD> palette(256);
    for (int i = 0; i < 256; i++) palette[i] = (DWORD)((i & 31) * 8 + 4) << 16 | (DWORD)((i >> 5) * 32 + 4) << 8 | 0x0C;
    CHECK((On(4, [&] { return SetImagePalette(palette.data(), 256); }) == 0 && Palette(4) == palette));
    for (int i = 0; i < 8 * H; i++) nbx_pixels8[4][i] = (BYTE)(i * 37 + 3);   // the padding too
    std::string base = Here(GetACP() == 932 ? "rt\x82\xA0" : "rt\xE9");   // a name beyond ASCII
    for (int type = 0; type < 5; type++) {
        CAPTURE(type);
        int source = type == 2 ? 2 : 1;
        REQUIRE((Save(source, type, base) == 0 && Create(3, W, H, 32) == 0 && Load(3, base + kExt[type]) == 0));
        CHECK(Mismatches(3, [&](int x, int y) { return Pixel(source, x, y) & 0xFFFFFF; }, type == 1 ? 12 : 0) == 0);
        // The 8-bit image: into a 32-bit one as shown (a JPEG need only load), into an 8-bit one with its palette.
        std::string file = base + "8" + kExt[type];
        REQUIRE((Save(4, type, base + "8") == 0 && Create(6, W, H, 32) == 0 && Load(6, file) == 0));
        if (type == 1) continue;
        CHECK(Mismatches(6, [&](int x, int y) { return palette[Pixel(4, x, y)]; }) == 0);
        REQUIRE((Create(5, W, H, 8) == 0 && Load(5, file) == 0));
        CHECK((Palette(5) == palette && Mismatches(5, [](int x, int y) { return Pixel(4, x, y); }) == 0));
    }
    std::string bmp = nbxt::ReadWholeFile((base + ".bmp").c_str()), bmp8 = nbxt::ReadWholeFile((base + "8.bmp").c_str());
    CHECK((bmp.size() > 30 && bmp[28] == 24 && bmp8.size() > 30 && bmp8[28] == 8));   // bits per pixel
}

TEST_CASE("files that cannot be decoded are refused and change nothing")
{
    REQUIRE(Create(1, 12, 9, 32) == 0);
    for (int i = 0; i < 12 * 9; i++) nbx_pixels[1][i] = 0x00A0B0C0 + i;
    REQUIRE((Save(1, 3, Here("whole")) == 0 && Save(1, 0, Here("whole")) == 0));
    std::string png = nbxt::ReadWholeFile(Here("whole.png").c_str()), bmp = nbxt::ReadWholeFile(Here("whole.bmp").c_str());
    REQUIRE((png.size() > 60 && bmp.size() > 60));
    for (auto f : { std::make_pair("truncated.png", png.substr(0, png.size() / 2)), std::make_pair("truncated.bmp", bmp.substr(0, 60)),
                    std::make_pair("garbage.png", std::string("not a picture\r\n")), std::make_pair("empty.bmp", std::string()) })
        nbxt::WriteWholeFile(Here(f.first), f.second);
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
        CHECK((Load(2, name) == 1 && Load(3, name) == 1 && Mismatches(2, [](int, int) { return 0x44444444u; }) == 0));
        CHECK((Mismatches(3, [](int, int) { return 77u; }) == 0 && Palette(3) == palette));
    }
}

TEST_CASE("saving: an empty size or a bad type is refused; the type's extension is appended, unless there is no room for it")
{
    REQUIRE(Create(1, 8, 8, 32) == 0);
    const int bad[][4] = { { 0, 8, 3, 2 }, { 8, 0, 3, 2 }, { 8, 8, 5, 1 } };   // height, width, type: result
    for (auto &b : bad) CHECK(On(1, [&] { return SaveImageFile(b[0], b[1], b[2], Here("bad").c_str()); }) == b[3]);
    std::string dir = nbxt::RoomyDir();
    CHECK((Save(1, 3, Here("photo")) == 0 && nbxt::FileExists(Here("photo.png").c_str()) && Save(1, 3, dir + std::string(257 - dir.size(), 'q')) == 1));
}

TEST_CASE("the dialogs remember folder and filter, each its own; \"Load image file\" shows the picture")
{
    const int W = 30, H = 20;
    REQUIRE((Create(1, W, H, 32) == 0 && Create(2, W, H, 32) == 0));
    for (int i = 0; i < W * H; i++) nbx_pixels[1][i] = (DWORD)(i % W * 8) << 16 | (DWORD)(i / W * 12) << 8;
    CreateDirectoryA(Here("pics").c_str(), NULL);
    for (const char *old : { "pics\\menu.png", "pics\\all.bmp", "pics\\best.jpg" })
        DeleteFileA(Here(old).c_str());   // left over, they would bring up the overwrite prompt
    REQUIRE(Save(1, 0, Here("pics\\pick")) == 0);
    CHECK((std::string(nbx_openDir) == StartDir() && std::string(nbx_saveDir) == StartDir()));
    nbx_jpegQuality = 20;
    char path[NBX_PATH] = "";
    int result = -1;
    enum { kOpen, kSave, kLoad };
    // A file whose path is 300 bytes long, more than the caller's buffer holds.
    std::string deep = "pics\\" + std::string(std::max(1, std::min(250, 294 - (int)Here("pics\\").size())), 'L');
    REQUIRE(nbxt::MakeFolders(nbxt::Wide(Here(deep))));
    deep += "\\p.bmp";
    REQUIRE(CopyFileW((LPCWSTR)nbxt::LongPath(nbxt::Wide(Here("pics\\pick.bmp"))).c_str(), (LPCWSTR)nbxt::LongPath(nbxt::Wide(Here(deep))).c_str(), FALSE));
    // Open: AVI first; a BMP picked with the BMP filter; a path too long refused
    // and all kept; then Cancel keeps all.
    // Save: PNG; "All Files", which saves a BMP; JPEG, at full quality for it only.
    struct { int kind, filter; const char *name; std::string folder; int pick; const char *typed, *file; bool refused; } runs[] = {
        { kOpen, 8, "*.AVI", StartDir(), 2, "pics\\pick.bmp", nullptr },
        { kOpen, 1, "*.BMP;*.RLE;*.DIB", Here("pics"), 5, deep.c_str(), nullptr, true },
        { kOpen, 1, "*.BMP;*.RLE;*.DIB", Here("pics"), 5, nullptr, nullptr },
        { kSave, 1, "noname", StartDir(), 5, "pics\\menu", "pics\\menu.png" },
        { kSave, 4, "noname", Here("pics"), 1, "pics\\all", "pics\\all.bmp" },
        { kSave, 0, "noname", Here("pics"), 3, "pics\\best", "pics\\best.jpg" },
        { kLoad, 1, "*.BMP;*.RLE;*.DIB", Here("pics"), 5, "pics\\menu.png", nullptr },
    };
    for (auto &r : runs) {
        CAPTURE(r.name);
        nbxt::Pending *p = nullptr;
        if (r.kind == kOpen) p = nbxt::OnUserAsync([&] { result = NBX_OpenFileDialog(r.typed ? NULL : "Pick one", path); });
        else nbxt::Command(nbx_images[r.kind == kSave ? 1 : 2].window, r.kind == kSave ? 1010 : 1004);
        HWND dialog = nbxt::WaitFileDialog(r.kind == kSave ? L"Save as" : r.kind == kLoad ? L"Load image file" : r.typed ? NULL : L"Pick one");
        REQUIRE(dialog != NULL);
        CHECK((SendMessageW(nbxt::FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0) == r.filter && FolderOf(dialog) == r.folder));
        CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == r.name);
        nbxt::ChooseFileDialogFilter(dialog, r.pick);
        std::u16string typed = nbxt::Wide(r.typed ? Here(r.typed) : "");
        SendMessageW(nbxt::FileDialogNameEdit(dialog), WM_SETTEXT, 0, (LPARAM)typed.c_str());
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(r.typed ? IDOK : IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dialog, r.typed ? IDOK : IDCANCEL));
        if (p) REQUIRE(nbxt::WaitDone(p));
        CHECK((!p || result == (r.typed && !r.refused ? 0 : 1)));
        CHECK(nbxt::WaitFor([&] { return !IsWindow(dialog) && (!r.file || nbxt::FileExists(Here(r.file).c_str())); }));
        nbxt::OnUser([] {});   // the command has returned
    }
    CHECK((std::string(path) == Here("pics\\pick.bmp") && nbx_openFilterIndex == 5 && nbx_jpegQuality == 20));
    CHECK((std::string(nbx_openDir) == Here("pics\\") && std::string(nbx_saveDir) == Here("pics\\")));
    nbx_jpegQuality = 100;
    CHECK(Mismatches(2, [](int x, int y) { return Pixel(1, x, y); }) == 0);
    // On screen, once the X server has it: the middle of image pixel (7, 5).
    int zoom = nbx_images[2].zoom, sx = (7 * zoom + zoom / 2) / 100, sy = (5 * zoom + zoom / 2) / 100;
    CHECK(nbxt::WaitFor([&] {
        std::vector<DWORD> screen = nbxt::GrabClient(nbx_images[2].window);
        return screen[(size_t)sy * nbxt::ClientSize(nbx_images[2].window).cx + sx] == Pixel(1, 7, 5);
    }));
}
