// Image files: GDI+ round trips with palettes, refused files and saves, the
// dialogs' remembered folder and filter.
// nbx-test: also-cp1252
#include "imagekit.h"
#include <stdlib.h>
#include <algorithm>

using namespace nbxt;
using namespace ik;

void UserInit(void) { BeginDriver(true); }
void UserMain(void) { ServeUser(); }

namespace {

int Fresh(int n, int w, int h, int bits)
{
    Destroy(n);
    return Create(n, w, h, bits, 100, 10 + n * 5, 10);
}
int Save(int n, int type, const string &f) { return On(n, [&] { return SaveImageFile(nbx_images[n].height, nbx_images[n].width, type, f.c_str()); }); }
int Load(int n, const string &f) { return On(n, [&] { return LoadImageFile(f.c_str(), 0, 0); }); }
// Bytes of image n off want(x, y) by more than tol.
int Bad(int n, const std::function<DWORD(int, int)> &want, int tol = 0)
{
    int bad = 0;
    for (int y = 0; y < nbx_images[n].height; y++)
        for (int x = 0; x < nbx_images[n].width; x++)
            for (int b = 0; b < 32; b += 8) bad += abs((int)(At(n, x, y) >> b & 0xFF) - (int)(want(x, y) >> b & 0xFF)) > tol;
    return bad;
}

}  // namespace

TEST_CASE("round trips, 8-bit with its palette; refused loads and saves")
{
    const int W = 5, H = 17;   // 8-bit rows of 8 bytes
    REQUIRE((Fresh(1, W, H, 32) == 0 && Fresh(2, W, H, 32) == 0 && Fresh(4, W, H, 8) == 0));
    for (int i = 0; i < W * H; i++) {
        // Smooth colours for JPEG, with a top byte to drop; web-safe ones for GIF.
        nbx_pixels[1][i] = 0xAB000000 | (DWORD)(i % W * 10) << 16 | (DWORD)(i / W * 12) << 8 | 0x80;
        nbx_pixels[2][i] = (DWORD)(i % W * 0x33) << 16 | (DWORD)(i / W % 6 * 0x33) << 8 | 0x99;
    }
    // A colour per index, apart even at GDI's 5 bits a channel.
    vector<DWORD> pal(256);
    for (int i = 0; i < 256; i++) pal[i] = (DWORD)((i & 31) * 8 + 4) << 16 | (DWORD)((i >> 5) * 32 + 4) << 8 | 0x0C;
    REQUIRE(SetPalette(4, pal.data()) == 0);
    for (int i = 0; i < 8 * H; i++) nbx_pixels8[4][i] = (BYTE)(i * 37 + 3);   // the padding too
    string base = Here(GetACP() == 932 ? "rt\x82\xA0" : "rt\xE9");   // a name beyond ASCII
    const char *ext[] = { ".bmp", ".jpg", ".gif", ".png", ".tif" };
    for (int type = 0; type < 5; type++) {
        CAPTURE(type);
        int src = type == 2 ? 2 : 1;
        REQUIRE((Save(src, type, base) == 0 && Fresh(3, W, H, 32) == 0 && Load(3, base + ext[type]) == 0));
        CHECK(Bad(3, [&](int x, int y) { return At(src, x, y) & 0xFFFFFF; }, type == 1 ? 12 : 0) == 0);
        // 8-bit: into a 32-bit image as shown (a JPEG need only load), into an 8-bit one with its palette.
        string file = base + "8" + ext[type];
        REQUIRE((Save(4, type, base + "8") == 0 && Fresh(6, W, H, 32) == 0 && Load(6, file) == 0));
        if (type == 1) continue;
        CHECK(Bad(6, [&](int x, int y) { return pal[At(4, x, y)]; }) == 0);
        REQUIRE((Fresh(5, W, H, 8) == 0 && Load(5, file) == 0));
        CHECK((Palette(5) == pal && Bad(5, [](int x, int y) { return At(4, x, y); }) == 0));
    }
    string bmp = ReadWholeFile((base + ".bmp").c_str()), bmp8 = ReadWholeFile((base + "8.bmp").c_str());
    CHECK((bmp.size() > 30 && bmp[28] == 24 && bmp8.size() > 30 && bmp8[28] == 8));   // bits per pixel

    // Refused loads change neither picture nor palette.
    string png = ReadWholeFile((base + ".png").c_str());
    WriteWholeFile(Here("cut.png"), png.substr(0, png.size() / 2));
    WriteWholeFile(Here("empty.bmp"), "");
    CreateDirectoryA(Here("folder.png").c_str(), NULL);
    auto before = Bytes(1), before8 = Bytes(4);
    for (string name : { Here("cut.png"), Here("empty.bmp"), Here("folder.png"), Here("missing.png"), string(300, 'a') }) {
        CAPTURE(name);
        CHECK((Load(1, name) == 1 && Load(4, name) == 1 && Bytes(1) == before && Bytes(4) == before8 && Palette(4) == pal));
    }
    const int bad[][4] = { { 0, 8, 3, 2 }, { 8, 0, 3, 2 }, { 8, 8, 5, 1 } };   // height, width, type: result
    for (auto &b : bad) CHECK(On(1, [&] { return SaveImageFile(b[0], b[1], b[2], Here("bad").c_str()); }) == b[3]);
    string dir = RoomyDir();
    CHECK((FileExists((base + ".png").c_str()) && Save(1, 3, dir + string(257 - dir.size(), 'q')) == 1));
}

TEST_CASE("dialogs keep folder and filter, each its own; Load shows the picture")
{
    REQUIRE((Fresh(1, 30, 20, 32) == 0 && Fresh(2, 30, 20, 32) == 0));
    Fill(1, 3);
    string pics = Here("pics");
    CreateDirectoryA(pics.c_str(), NULL);
    for (const char *old : { "pics\\menu.png", "pics\\all.bmp", "pics\\best.jpg" })
        DeleteFileA(Here(old).c_str());   // else the overwrite prompt comes up
    REQUIRE(Save(1, 0, Here("pics\\pick")) == 0);
    CHECK((string(nbx_openDir) == CurrentDir() && string(nbx_saveDir) == CurrentDir()));
    nbx_jpegQuality = 20;
    char path[NBX_PATH] = "";
    int result = -1;
    // A path of 300 bytes, more than the caller's buffer holds.
    string deep = "pics\\" + string(std::max(1, std::min(250, 294 - (int)Here("pics\\").size())), 'L');
    REQUIRE(MakeFolders(Wide(Here(deep))));
    deep += "\\p.bmp";
    REQUIRE(CopyFileW((LPCWSTR)LongPath(Wide(Here("pics\\pick.bmp"))).c_str(), (LPCWSTR)LongPath(Wide(Here(deep))).c_str(), FALSE));
    // Open: AVI first; a BMP by the BMP filter; a path too long refused, all
    // kept; Cancel keeps all. Save: PNG; "All Files" saves a BMP; JPEG.
    enum { kOpen, kSave, kLoad };
    const char *bmp = "*.BMP;*.RLE;*.DIB";
    struct { int kind, filter; const char *name; string folder; int pick; const char *typed, *file; bool refused; } runs[] = {
        { kOpen, 8, "*.AVI", CurrentDir(), 2, "pics\\pick.bmp" },
        { kOpen, 1, bmp, pics, 5, deep.c_str(), nullptr, true },
        { kOpen, 1, bmp, pics, 5 },
        { kSave, 1, "noname", CurrentDir(), 5, "pics\\menu", "pics\\menu.png" },
        { kSave, 4, "noname", pics, 1, "pics\\all", "pics\\all.bmp" },
        { kSave, 0, "noname", pics, 3, "pics\\best", "pics\\best.jpg" },
        { kLoad, 1, bmp, pics, 5, "pics\\menu.png" },
    };
    for (auto &r : runs) {
        CAPTURE(r.name);
        Pending *p = nullptr;
        if (r.kind == kOpen) p = OnUserAsync([&] { result = NBX_OpenFileDialog(r.typed ? NULL : "Pick one", path); });
        else Command(Window(r.kind == kSave ? 1 : 2), r.kind == kSave ? 1010 : 1004);
        HWND dialog = WaitFileDialog(r.kind == kSave ? L"Save as" : r.kind == kLoad ? L"Load image file" : r.typed ? NULL : L"Pick one");
        REQUIRE(dialog != NULL);
        WCHAR folder[MAX_PATH] = { 0 };
        SendMessageW(dialog, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder);
        CHECK((SendMessageW(FileDialogFilterCombo(dialog), CB_GETCURSEL, 0, 0) == r.filter && Ansi(folder) == r.folder));
        CHECK(WindowTextA(FileDialogNameEdit(dialog)) == r.name);
        ChooseFileDialogFilter(dialog, r.pick);
        u16string typed = Wide(r.typed ? Here(r.typed) : "");
        SendMessageW(FileDialogNameEdit(dialog), WM_SETTEXT, 0, (LPARAM)typed.c_str());
        int button = r.typed ? IDOK : IDCANCEL;
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, button));
        if (p) REQUIRE(WaitDone(p));
        CHECK((!p || result == (r.typed && !r.refused ? 0 : 1)));
        CHECK(UNTIL(!IsWindow(dialog) && (!r.file || FileExists(Here(r.file).c_str()))));
        OnUser([] {});   // the command has returned
    }
    CHECK((string(path) == Here("pics\\pick.bmp") && nbx_openFilterIndex == 5 && nbx_jpegQuality == 20));
    CHECK((string(nbx_openDir) == Here("pics\\") && string(nbx_saveDir) == Here("pics\\")));
    nbx_jpegQuality = 100;
    CHECK(Bytes(2) == Bytes(1));
    // On screen: the middle of image pixel (7, 5).
    int zoom = nbx_images[2].zoom, sx = (7 * zoom + zoom / 2) / 100, sy = (5 * zoom + zoom / 2) / 100;
    CHECK(UNTIL(GrabClient(Window(2))[(size_t)sy * ClientSize(Window(2)).cx + sx] == At(1, 7, 5)));
}
