// Image tools under Wine: the edit and tools popup menus as clicks open
// them, the pick state fed by the mouse, and the colour, pattern, process
// and size commands reached through WM_COMMAND.
#include "harness.h"
#include "imageproc/imageproc.h"
#include "imagewin/imagewin_logic.h"
#include <string.h>
#include <string>
#include <vector>

using namespace nbxt;

void UserInit(void) { BeginDriver(true); }
void UserMain(void) { ServeUser(); }

namespace {

int Create(int n, int w, int h, int bits = 32, int zoom = 100)
{
    int result = -1;
    OnUser([&] { result = (bits == 8 ? NBX_CreateImage8 : NBX_CreateImage)(n, "tools", 20, 20, w, h, zoom); });
    return result;
}
void Destroy(int n) { OnUser([&] { NBX_DestroyImage(n); }); }
HWND Window(int n) { return nbx_images[n].window; }
void Run(int n, UINT id, int current = -1)
{
    if (current >= 0) OnUser([&] { SelectImage(current); });
    Command(Window(n), id);
    Settle();
}
Canvas View(int n) { return MakeCanvas(nbx_pixels8[n], nbx_images[n].bits, nbx_images[n].width, nbx_images[n].height); }
DWORD At(int n, int x, int y) { return CanvasRead(View(n), x, y); }
std::vector<DWORD> Pixels(int n)
{
    std::vector<DWORD> all;
    for (int y = 0; y < nbx_images[n].height; y++)
        for (int x = 0; x < nbx_images[n].width; x++) all.push_back(At(n, x, y));
    return all;
}

// "label=id" per item, "-" for a separator, a submenu in brackets, "*" for
// a check mark: read from the popup menu a click opened, which is closed.
std::string Describe(HMENU menu)
{
    std::string s;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        WCHAR text[128] = { 0 };
        char ansi[256];
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        NbxWideToAnsi(text, ansi, 256);
        s += i ? "|" : "";
        if (info.fType & MFT_SEPARATOR) { s += "-"; continue; }
        s += ansi + (info.hSubMenu ? "[" + Describe(info.hSubMenu) + "]" : "=" + std::to_string(info.wID));
        if (info.fState & MFS_CHECKED) s += "*";
    }
    return s;
}

// Opens a popup menu with a click and reads it; then presses `choose`
// (keys that pick an item), or Esc.
std::string ClickMenu(int n, UINT message, WPARAM keys, std::vector<UINT> choose = { VK_ESCAPE })
{
    PostMessageW(Window(n), message, keys, MAKELPARAM(10, 10));
    HWND popup = NULL;
    auto shown = [&] { popup = FindTop(L"#32768", NULL); return popup && IsWindowVisible(popup); };
    if (!WaitFor(shown, 2000)) return "";
    std::string items = Describe((HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0));
    for (UINT vk : choose) {
        PostMessageW(popup, WM_KEYDOWN, vk, 0);
        Settle();
    }
    WaitFor([&] { return !shown(); });
    Settle();
    return items;
}

HWND ColorDialog()
{
    HWND found = NULL;
    WaitFor([&] { return (found = FindTop(L"#32770", NULL)) && IsWindowVisible(found); }, 10000);
    return found;
}

}  // namespace

TEST_CASE("popup menus: items, check marks, Information by depth, and when none opens")
{
    REQUIRE(Create(1, 200, 150) == 0);
    REQUIRE(Create(2, 200, 150, 8, 200) == 0);
    const std::string editHead = "Cut\tCtrl+X=1011|Copy\tCtrl+C=1012|Paste\tCtrl+V=1013|-|&Load image file=1004|"
                                 "&Save as=1010|-|Zoom: 50%=1007|";
    const std::string editTail = "|&Zoom...=1046|-|&Resize...=1047|&Destroy\tCtrl+Q=1005";
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON) == editHead + "Zoom:100%\tCtrl+0=1008*|Zoom:200%=1009" + editTail);
    CHECK(ClickMenu(2, WM_RBUTTONDOWN, MK_RBUTTON) == editHead + "Zoom:100%\tCtrl+0=1008|Zoom:200%=1009*" + editTail);
    auto tools = [](const char *info) {
        return std::string("Process...[Invert=1058|-|R. Rotate=1061|L. Rotate=1062|-|Horz. Flip=1059|Vert. Flip=1060|-|"
                           "Size 50.0%=1063|Size 70.7%=1064|Size 141.4%=1065|Size 200.0%=1066]|-|Information...[") +
               info + "]|-|Test Pattern...[RGB=1053|HSV=1054|YCrCb=1055|Yuv=1067|YIQ=1068|Grey=1071]|-|"
               "Clipping\tCtrl+R=1019|-|Color...[Change=1031|Pick=1052]|Draw Line...[Normal=1032|Horz.=1034|Vert.=1035]|"
               "Draw Box...[Normal=1036|Fill=1037|Fill XOR=1038]|Draw Circle...[Normal=1039|Fill=1040|Fill XOR=1041]|"
               "TrueType...[Draw=1048|Font Change=1049]|Draw Text=1042|Paint=1043";
    };
    const std::string info32 = tools("Pixel=1015|Line(RGB)=1016|Line(HSV)=1017|Line(YCrCb)=1018|Line(CrCb)=1021|-|Area(CrCb)=1022");
    CHECK(ClickMenu(1, WM_MBUTTONDOWN, MK_MBUTTON) == info32);
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON | MK_CONTROL) == info32);
    CHECK(ClickMenu(2, WM_MBUTTONDOWN, MK_MBUTTON) == tools("Pixel=1015|Line(Lumi)=1070"));

    // Chosen in the real menu: "Process..." > "Invert" turns black white.
    ClickMenu(1, WM_MBUTTONDOWN, MK_MBUTTON, { VK_DOWN, VK_RIGHT, VK_RETURN });
    CHECK((At(1, 0, 0) == 0xFFFFFF && At(1, 199, 149) == 0xFFFFFF));

    nbx_inputActive = 1;
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON) == "");
    nbx_inputActive = 0;
    // A pick tool on image 2 (zoom 200) gets its mouse in image pixels.
    nbx_pick.image = 2;
    nbx_pickActive = 1;
    PostMessageW(Window(2), WM_MOUSEMOVE, 0, MAKELPARAM(51, 31));
    PostMessageW(Window(2), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(101, 61));
    PostMessageW(Window(1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 7));
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON) == "");
    CHECK(std::vector<int>{ nbx_pick.moved, nbx_pick.moveX, nbx_pick.moveY, nbx_pick.clicked, nbx_pick.clickX,
                            nbx_pick.clickY, nbx_pick.clickShift, nbx_pick.cancel } ==
          std::vector<int>{ 1, 25, 15, 1, 50, 30, 1, 0 });
    CHECK(ClickMenu(2, WM_MBUTTONDOWN, MK_MBUTTON) == "");
    CHECK(nbx_pick.cancel == 1);
    nbx_pickActive = 0;
    nbx_pick.image = -1;
    Destroy(1);
    Destroy(2);
}

TEST_CASE("patterns, invert, flips and turns change the window's own image")
{
    REQUIRE(Create(5, 50, 50) == 0);   // the current image beforehand, left alone
    for (int bits : { 32, 8 }) {
        CAPTURE(bits);
        const int w = 61, h = 33;
        REQUIRE(Create(3, w, h, bits) == 0);
        DWORD palette[256], inverted[256];   // an 8-bit palette other than the grey ramp
        for (int k = 0; k < 256; k++) inverted[k] = (DWORD)(255 - k) * 0x010101;
        OnUser([&] { SelectImage(3); SetImagePalette(inverted, 256); });
        for (int k : { kPatternHsv, kPatternGrey }) {
            std::vector<unsigned char> want(ImageBytes(bits, w, h));
            Canvas c = MakeCanvas(want.data(), bits, w, h);
            CanvasTestPattern(c, (TestPattern)k);
            Run(3, k == kPatternHsv ? 1054 : 1071, 5);
            CHECK((memcmp(want.data(), nbx_pixels8[3], want.size()) == 0 && nbx_curImage == 3));
        }
        OnUser([&] { palette[77] = 0; GetImagePalette(palette); });
        CHECK(palette[77] == (bits == 8 ? 0x4D4D4Du : 0u));   // "Grey" loads the grey ramp
        OnUser([&] { SetImagePalette(inverted, 256); });

        const std::vector<DWORD> start = Pixels(3);
        Run(3, 1058, 5);
        CHECK(nbx_curImage == 5);
        for (size_t i = 0; i < start.size(); i++) REQUIRE(Pixels(3)[i] == (start[i] ^ (bits == 8 ? 0xFFu : 0xFFFFFFu)));
        struct { UINT id; DWORD corner; int width; } steps[] = {   // the pixel then at (0, 0)
            { 1058, start[0], w }, { 1059, start[w - 1], w }, { 1060, start[h * w - 1], w }, { 1059, start[(h - 1) * w], w },
            { 1061, start[0], h }, { 1062, start[(h - 1) * w], w }, { 1062, start[h * w - 1], h }, { 1061, start[(h - 1) * w], w },
        };
        for (auto &t : steps) {   // only the turns make the image current
            CAPTURE(t.id);
            Run(3, t.id, 5);
            CHECK((At(3, 0, 0) == t.corner && nbx_curImage == (t.id > 1060 ? 3 : 5) && nbx_images[3].width == t.width));
            CHECK(ClientSize(Window(3)).cy == nbx_images[3].dispHeight);
        }
        Run(3, 1060);
        CHECK(Pixels(3) == start);
        if (bits == 8) {
            OnUser([&] { GetImagePalette(palette); });
            CHECK(palette[77] == inverted[77]);   // kept through the turns
        }
        Destroy(3);
    }
    for (int k = 0; k < 50 * 50; k++) REQUIRE(nbx_pixels[5][k] == 0);
    Destroy(5);
}

TEST_CASE("rescales, and a new size no window can show")
{
    for (int bits : { 32, 8 }) {
        CAPTURE(bits);
        const DWORD red = bits == 8 ? 1 : 0xFF0000, green = bits == 8 ? 2 : 0x00FF00, blue = bits == 8 ? 3 : 0x0000FF;
        REQUIRE(Create(7, 640, 480, bits, 50) == 0);
        Canvas c = View(7);
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++) CanvasStore(c, x, y, x < 320 ? red : y < 240 ? green : blue);
        struct { UINT id; int w, h; } sizes[] = { { 1064, 452, 339 }, { 1066, 904, 678 }, { 1063, 452, 339 } };
        for (auto &s : sizes) {
            CAPTURE(s.id);
            Run(7, s.id);
            REQUIRE((nbx_images[7].width == s.w && nbx_images[7].height == s.h));
            CHECK(std::vector<DWORD>{ At(7, 0, 0), At(7, s.w - 1, 0), At(7, s.w - 1, s.h - 1), At(7, s.w / 4, s.h - 1) } ==
                  std::vector<DWORD>{ red, green, blue, red });
        }
        Destroy(7);
    }

    // 100 x 10 turned is too narrow for the minimum width at any zoom that
    // fits: it turns at the largest zoom that fits. 3000 x 1 turned fits
    // no window: the image keeps its window, size and pixels.
    struct { int w, h; bool turns; } turns[] = { { 100, 10, true }, { 3000, 1, false } };
    for (auto &t : turns) {
        CAPTURE(t.w);
        REQUIRE(Create(8, t.w, t.h) == 0);
        for (int k = 0; k < t.w * t.h; k++) nbx_pixels[8][k] = (DWORD)k;
        HWND window = Window(8);
        Run(8, 1061);
        CHECK(nbx_images[8].width == (t.turns ? t.h : t.w));
        CHECK(IsWindow(window) != t.turns);
        CHECK(At(8, 0, 0) == (t.turns ? (DWORD)(t.h - 1) * t.w : 0));   // the old bottom-left
        if (!t.turns) for (int k = 0; k < t.w * t.h; k++) REQUIRE(nbx_pixels[8][k] == (DWORD)k);
        Destroy(8);
    }
}

TEST_CASE("Change: the colour dialog sets the drawing colour and both text colours")
{
    REQUIRE(Create(9, 100, 80) == 0);
    nbx_drawColor = 0x123456;
    nbx_tc = 0;
    nbx_tttc = 0xFFFFFF;
    struct { const WCHAR *red; int button; DWORD want; } steps[] = { { NULL, IDCANCEL, 0x123456 }, { L"200", IDOK, 0xC86432 } };
    for (auto &s : steps) {
        Command(Window(9), 1031);
        HWND dialog = ColorDialog();
        REQUIRE(dialog);
        CHECK(GetWindow(dialog, GW_OWNER) == Window(9));
        char red[16] = "";
        GetDlgItemTextA(dialog, 706, red, 16);   // the red field starts at 0x12
        CHECK(std::string(red) == "18");
        if (s.red) {
            SetDlgItemTextW(dialog, 706, s.red);
            SetDlgItemTextW(dialog, 707, L"100");
            SetDlgItemTextW(dialog, 708, L"50");
        }
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(s.button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, s.button));
        Settle();
        CHECK(std::vector<DWORD>{ nbx_drawColor, nbx_tc, nbx_tttc } == std::vector<DWORD>{ s.want, s.want, s.want });
    }
    OnUser([] {   // the public drawing calls draw in it
        SelectImage(9);
        FillBox(10, 10, 20, 20);
        FloodFill(0, 0);
    });
    CHECK((At(9, 15, 15) == 0xC86432 && At(9, 99, 79) == 0xC86432));
    Destroy(9);
}
