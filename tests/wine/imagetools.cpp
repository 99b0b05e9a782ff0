// Image tools under Wine: the edit and tools popup menus as the clicks open
// them, the pick state fed by the mouse, and the commands of the colour,
// pattern, process and size items reached through WM_COMMAND.
#include "harness.h"
#include "imageproc/imageproc.h"
#include "imagewin/imagewin_logic.h"
#include <string.h>
#include <string>
#include <vector>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

int Create(int n, int w, int h, int bits = 32, int zoom = 100)
{
    int result = -1;
    nbxt::OnUser([&] {
        result = bits == 8 ? NBX_CreateImage8(n, "tools", 20, 20, w, h, zoom)
                           : NBX_CreateImage(n, "tools", 20, 20, w, h, zoom);
    });
    return result;
}

void Destroy(int n) { nbxt::OnUser([&] { NBX_DestroyImage(n); }); }
HWND Window(int n) { return nbx_images[n].window; }
void Settle() { nbxt::OnUser([] { NBX_PumpMessages(); }); }
void Run(int n, UINT id)
{
    nbxt::Command(Window(n), id);
    Settle();
}

// Pixel (x, y) of image n: the word, or the index of an 8-bit image.
DWORD At(int n, int x, int y)
{
    const ImageRecord &r = nbx_images[n];
    Canvas c = MakeCanvas(nbx_pixels8[n], r.bits, r.width, r.height);
    return CanvasRead(c, x, y);
}

std::vector<DWORD> Pixels(int n)
{
    std::vector<DWORD> all;
    for (int y = 0; y < nbx_images[n].height; y++)
        for (int x = 0; x < nbx_images[n].width; x++) all.push_back(At(n, x, y));
    return all;
}

// A picture in which every pixel differs from its mirror images.
void FillDistinct(int n)
{
    const ImageRecord &r = nbx_images[n];
    Canvas c = MakeCanvas(nbx_pixels8[n], r.bits, r.width, r.height);
    for (int y = 0; y < r.height; y++)
        for (int x = 0; x < r.width; x++)
            CanvasStore(c, x, y, r.bits == 8 ? (DWORD)(y * r.width + x + 1) : (DWORD)(x << 12 | y));
}

// The popup menu a click opened: its items (recursively), then closed.
struct MenuItem {
    std::string label;
    UINT id, state;
    bool separator;
    std::vector<MenuItem> sub;
};

std::vector<MenuItem> ReadMenu(HMENU menu)
{
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        WCHAR text[128] = { 0 };
        MENUITEMINFOW info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        char ansi[256];
        NbxWideToAnsi(text, ansi, 256);
        MenuItem item = { ansi, info.wID, info.fState, (info.fType & MFT_SEPARATOR) != 0, {} };
        if (info.hSubMenu) item.sub = ReadMenu(info.hSubMenu);
        items.push_back(item);
    }
    return items;
}

HWND OpenPopup()
{
    HWND popup = NULL;
    nbxt::WaitFor([&] {
        popup = nbxt::FindTop(L"#32768", NULL);
        return popup && IsWindowVisible(popup);
    }, 3000);
    return popup && IsWindowVisible(popup) ? popup : NULL;
}

std::vector<MenuItem> ClickMenu(int n, UINT message, WPARAM keys)
{
    PostMessageW(Window(n), message, keys, MAKELPARAM(10, 10));
    HWND popup = OpenPopup();
    std::vector<MenuItem> items;
    if (!popup) return items;
    items = ReadMenu((HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0));
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    nbxt::WaitFor([] { HWND p = nbxt::FindTop(L"#32768", NULL); return !p || !IsWindowVisible(p); });
    Settle();
    return items;
}

// "label=id" per item, "-" for separators, submenus in brackets, "*" for a
// check mark.
std::string Describe(const std::vector<MenuItem> &items)
{
    std::string s;
    for (auto &i : items) {
        if (!s.empty()) s += "|";
        if (i.separator) { s += "-"; continue; }
        s += i.label;
        if (i.sub.empty()) s += "=" + std::to_string(i.id);
        else s += "[" + Describe(i.sub) + "]";
        if (i.state & MFS_CHECKED) s += "*";
    }
    return s;
}

HWND ColorDialog()
{
    HWND found = NULL;
    nbxt::WaitFor([&] {
        found = nbxt::FindTop(L"#32770", NULL);
        return found && IsWindowVisible(found) && GetDlgItem(found, 706);
    }, 10000);
    return found;
}

}  // namespace

TEST_CASE("popup menus: labels, ids, separators, check marks and when they open")
{
    REQUIRE(Create(1, 200, 150) == 0);
    REQUIRE(Create(2, 200, 150, 8, 200) == 0);
    const std::string edit =
        "Cut\tCtrl+X=1011|Copy\tCtrl+C=1012|Paste\tCtrl+V=1013|-|&Load image file=1004|&Save as=1010|-|"
        "Zoom: 50%=1007|Zoom:100%\tCtrl+0=1008%s|Zoom:200%=1009%s|&Zoom...=1046|-|&Resize...=1047|"
        "&Destroy\tCtrl+Q=1005";
    auto editFor = [&](bool at100) {
        std::string s = edit;
        s.replace(s.find("%s"), 2, at100 ? "*" : "");
        s.replace(s.find("%s"), 2, at100 ? "" : "*");
        return s;
    };
    const std::string tools =
        "Process...[Invert=1058|-|R. Rotate=1061|L. Rotate=1062|-|Horz. Flip=1059|Vert. Flip=1060|-|"
        "Size 50.0%=1063|Size 70.7%=1064|Size 141.4%=1065|Size 200.0%=1066]|-|Information...[%s]|-|"
        "Test Pattern...[RGB=1053|HSV=1054|YCrCb=1055|Yuv=1067|YIQ=1068|Grey=1071]|-|Clipping\tCtrl+R=1019|-|"
        "Color...[Change=1031|Pick=1052]|Draw Line...[Normal=1032|Horz.=1034|Vert.=1035]|"
        "Draw Box...[Normal=1036|Fill=1037|Fill XOR=1038]|Draw Circle...[Normal=1039|Fill=1040|Fill XOR=1041]|"
        "TrueType...[Draw=1048|Font Change=1049]|Draw Text=1042|Paint=1043";
    auto toolsFor = [&](const char *info) {
        std::string s = tools;
        s.replace(s.find("%s"), 2, info);
        return s;
    };
    const char *info32 = "Pixel=1015|Line(RGB)=1016|Line(HSV)=1017|Line(YCrCb)=1018|Line(CrCb)=1021|-|Area(CrCb)=1022";
    const char *info8 = "Pixel=1015|Line(Lumi)=1070";

    CHECK(Describe(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON)) == editFor(true));
    CHECK(Describe(ClickMenu(2, WM_RBUTTONDOWN, MK_RBUTTON)) == editFor(false));
    CHECK(Describe(ClickMenu(1, WM_MBUTTONDOWN, MK_MBUTTON)) == toolsFor(info32));
    CHECK(Describe(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL)) == toolsFor(info32));
    CHECK(Describe(ClickMenu(2, WM_MBUTTONDOWN, MK_MBUTTON)) == toolsFor(info8));

    // No menu while a line input waits or a pick tool runs; the pick tool
    // gets the target window's mouse in image pixels instead.
    nbx_inputActive = 1;
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON).empty());
    nbx_inputActive = 0;
    nbx_pick.image = 2;                       // zoom 200
    nbx_pickActive = 1;
    PostMessageW(Window(2), WM_MOUSEMOVE, 0, MAKELPARAM(51, 31));
    PostMessageW(Window(2), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(101, 61));
    PostMessageW(Window(1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 7));
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON).empty());
    CHECK(nbx_pick.moved == 1);
    CHECK(nbx_pick.moveX == 25);
    CHECK(nbx_pick.moveY == 15);
    CHECK(nbx_pick.clicked == 1);
    CHECK(nbx_pick.clickX == 50);
    CHECK(nbx_pick.clickY == 30);
    CHECK(nbx_pick.clickShift == 1);
    CHECK(nbx_pick.cancel == 0);
    CHECK(ClickMenu(2, WM_MBUTTONDOWN, MK_MBUTTON).empty());
    CHECK(nbx_pick.cancel == 1);
    nbx_pickActive = 0;
    nbx_pick.image = -1;
    Destroy(1);
    Destroy(2);
}

TEST_CASE("test patterns and invert change the window's own image")
{
    REQUIRE(Create(3, 120, 90) == 0);
    REQUIRE(Create(4, 61, 33, 8) == 0);
    REQUIRE(Create(5, 50, 50) == 0);          // current, and left alone
    struct { UINT id; TestPattern pattern; } cases[] = {
        { 1053, kPatternRgb }, { 1054, kPatternHsv }, { 1055, kPatternYCrCb },
        { 1067, kPatternYuv }, { 1068, kPatternYiq }, { 1071, kPatternGrey },
    };
    for (auto &t : cases) {
        CAPTURE(t.id);
        for (int n : { 3, 4 }) {
            const ImageRecord &r = nbx_images[n];
            std::vector<unsigned char> want(ImageBytes(r.bits, r.width, r.height));
            Canvas c = MakeCanvas(want.data(), r.bits, r.width, r.height);
            CanvasTestPattern(c, t.pattern);
            nbxt::OnUser([] { SelectImage(5); });
            Run(n, t.id);
            CHECK(memcmp(want.data(), nbx_pixels8[n], want.size()) == 0);
            CHECK(nbx_curImage == n);
        }
    }
    for (int k = 0; k < 50 * 50; k++) CHECK(nbx_pixels[5][k] == 0);
    // "Grey" gives an 8-bit image the grey ramp as its palette.
    DWORD palette[256] = { 0 };
    nbxt::OnUser([&] { SelectImage(4); GetImagePalette(palette); });
    CHECK(palette[0] == 0);
    CHECK(palette[77] == 0x4D4D4D);
    CHECK(palette[255] == 0xFFFFFF);

    // Invert flips the colour bits only, and twice gives the picture back.
    for (int n : { 3, 4 }) {
        std::vector<DWORD> before = Pixels(n);
        nbxt::OnUser([] { SelectImage(5); });
        Run(n, 1058);
        CHECK(nbx_curImage == 5);
        std::vector<DWORD> after = Pixels(n);
        for (size_t i = 0; i < before.size(); i++)
            REQUIRE(after[i] == (before[i] ^ (nbx_images[n].bits == 8 ? 0xFFu : 0xFFFFFFu)));
        Run(n, 1058);
        CHECK(Pixels(n) == before);
    }
    Destroy(3);
    Destroy(4);
    Destroy(5);
}

TEST_CASE("flips, quarter turns and rescales")
{
    for (int bits : { 32, 8 }) {
        CAPTURE(bits);
        REQUIRE(Create(6, 150, 113, bits) == 0);
        FillDistinct(6);
        if (bits == 8) {
            DWORD palette[256];
            for (int k = 0; k < 256; k++) palette[k] = (DWORD)(255 - k) * 0x010101;
            nbxt::OnUser([&] { SetImagePalette(palette, 256); });
        }
        const std::vector<DWORD> start = Pixels(6);
        const int w = 150, h = 113;

        Run(6, 1059);
        CHECK(At(6, 0, 5) == start[5 * w + w - 1]);
        CHECK(At(6, w - 1, h - 1) == start[(h - 1) * w]);
        Run(6, 1059);
        CHECK(Pixels(6) == start);
        Run(6, 1060);
        CHECK(At(6, 3, 0) == start[(h - 1) * w + 3]);
        Run(6, 1060);
        CHECK(Pixels(6) == start);

        Run(6, 1061);
        REQUIRE(nbx_images[6].width == h);
        REQUIRE(nbx_images[6].height == w);
        CHECK(At(6, 0, 0) == start[(h - 1) * w]);              // old bottom-left
        CHECK(nbxt::ClientSize(Window(6)).cx == nbx_images[6].dispWidth);
        CHECK(nbx_curImage == 6);
        for (int i = 0; i < 3; i++) Run(6, 1061);
        CHECK(Pixels(6) == start);
        Run(6, 1062);
        CHECK(At(6, 0, 0) == start[w - 1]);                    // old top-right
        Run(6, 1061);
        CHECK(Pixels(6) == start);
        if (bits == 8) {
            DWORD palette[256] = { 0 };
            nbxt::OnUser([&] { GetImagePalette(palette); });
            CHECK(palette[1] == 0xFEFEFE);
        }
        Destroy(6);
    }

    // Rescales: sizes rounded half up, the picture stretched along.
    REQUIRE(Create(7, 640, 480, 32, 50) == 0);
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) nbx_pixels[7][y * 640 + x] = x < 320 ? 0xFF0000 : (y < 240 ? 0x00FF00 : 0x0000FF);
    struct { UINT id; int w, h; } sizes[] = {
        { 1064, 452, 339 }, { 1065, 639, 479 }, { 1065, 904, 677 }, { 1064, 639, 479 },
        { 1066, 1278, 958 }, { 1063, 639, 479 },
    };
    for (auto &s : sizes) {
        CAPTURE(s.id);
        Run(7, s.id);
        REQUIRE(nbx_images[7].width == s.w);
        REQUIRE(nbx_images[7].height == s.h);
        CHECK(At(7, 0, 0) == 0xFF0000);
        CHECK(At(7, s.w - 1, 0) == 0x00FF00);
        CHECK(At(7, s.w - 1, s.h - 1) == 0x0000FF);
        CHECK(At(7, s.w / 4, s.h - 1) == 0xFF0000);
    }
    Destroy(7);

    // A turn no zoom can show keeps the image as it was.
    REQUIRE(Create(8, 100, 10) == 0);
    FillDistinct(8);
    const std::vector<DWORD> before = Pixels(8);
    HWND window = Window(8);
    Run(8, 1061);
    CHECK(nbx_images[8].inUse == 1);
    CHECK(Window(8) == window);
    CHECK(nbx_images[8].width == 100);
    CHECK(Pixels(8) == before);
    Destroy(8);
}

TEST_CASE("Change sets the drawing colour and both text colours from the colour dialog")
{
    REQUIRE(Create(9, 100, 80) == 0);
    nbx_drawColor = 0x123456;
    nbx_tc = 0;
    nbx_tttc = 0xFFFFFF;
    nbxt::Command(Window(9), 1031);
    HWND dialog = ColorDialog();
    REQUIRE(dialog);
    CHECK(GetWindow(dialog, GW_OWNER) == Window(9));
    char red[16];
    GetDlgItemTextA(dialog, 706, red, 16);
    CHECK(std::string(red) == "18");                       // 0x12
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDCANCEL));
    Settle();
    CHECK(nbx_drawColor == 0x123456);
    CHECK(nbx_tc == 0x123456);
    CHECK(nbx_tttc == 0x123456);

    nbxt::Command(Window(9), 1031);
    dialog = ColorDialog();
    REQUIRE(dialog);
    SetDlgItemTextW(dialog, 706, L"200");
    SetDlgItemTextW(dialog, 707, L"100");
    SetDlgItemTextW(dialog, 708, L"50");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    Settle();
    CHECK(nbx_drawColor == 0xC86432);
    CHECK(nbx_tc == 0xC86432);
    CHECK(nbx_tttc == 0xC86432);

    // The drawing commands of the public header draw in it.
    nbxt::OnUser([] {
        SelectImage(9);
        FillBox(10, 10, 20, 20);
        FloodFill(0, 0);
    });
    CHECK(At(9, 15, 15) == 0xC86432);
    CHECK(At(9, 99, 79) == 0xC86432);
    Destroy(9);
}
