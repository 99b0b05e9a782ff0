// Image tools under Wine: the popup menus as clicks open them, and the
// colour, pattern, process and size commands.
#include "imagekit.h"

using namespace nbxt;
using namespace ik;

void UserInit(void) { BeginDriver(true); }
void UserMain(void) { ServeUser(); }

namespace {

std::vector<DWORD> Pixels(int n)
{
    std::vector<DWORD> all;
    for (int y = 0; y < nbx_images[n].height; y++)
        for (int x = 0; x < nbx_images[n].width; x++) all.push_back(At(n, x, y));
    return all;
}

// "label=id" per item, "-" a separator, a submenu in brackets, "*" checked.
std::string Describe(HMENU menu)
{
    std::string s;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        WCHAR text[128] = { 0 };
        MENUITEMINFOW info = { sizeof info, MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_STRING | MIIM_SUBMENU };
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, i, TRUE, &info);
        s += i ? "|" : "";
        if (info.fType & MFT_SEPARATOR) {
            s += "-";
            continue;
        }
        s += Ansi(text) + (info.hSubMenu ? "[" + Describe(info.hSubMenu) + "]" : "=" + std::to_string(info.wID));
        if (info.fState & MFS_CHECKED) s += "*";
    }
    return s;
}

// Opens a popup menu with a click, reads it, then presses the keys `choose`.
std::string ClickMenu(int n, UINT message, WPARAM keys, std::vector<UINT> choose = { VK_ESCAPE })
{
    PostMessageW(Window(n), message, keys, MAKELPARAM(10, 10));
    HWND popup = NULL;
    auto shown = [&] { return (popup = FindTop(L"#32768", NULL)) && IsWindowVisible(popup); };
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

}  // namespace

TEST_CASE("popup menus: items, check marks, Information by depth; none while input waits")
{
    REQUIRE((Create(1, 200, 150) == 0 && Create(2, 200, 150, 8, 200) == 0));
    auto edit = [](const char *zooms) {
        return std::string("Cut\tCtrl+X=1011|Copy\tCtrl+C=1012|Paste\tCtrl+V=1013|-|&Load image file=1004|&Save as=1010|-|"
                           "Zoom: 50%=1007|") + zooms + "|&Zoom...=1046|-|&Resize...=1047|&Destroy\tCtrl+Q=1005";
    };
    CHECK(ClickMenu(1, WM_RBUTTONDOWN, MK_RBUTTON) == edit("Zoom:100%\tCtrl+0=1008*|Zoom:200%=1009"));
    CHECK(ClickMenu(2, WM_RBUTTONDOWN, MK_RBUTTON) == edit("Zoom:100%\tCtrl+0=1008|Zoom:200%=1009*"));
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
    Destroy(1);
    Destroy(2);
}

TEST_CASE("patterns, invert, flips and turns change the window's own image")
{
    REQUIRE(Create(5, 50, 50) == 0);   // the current image beforehand, left alone
    const int w = 61, h = 33;
    DWORD inverted[256];   // a palette other than the grey ramp
    for (int k = 0; k < 256; k++) inverted[k] = (DWORD)(255 - k) * 0x010101;
    for (int bits : { 32, 8 }) {
        CAPTURE(bits);
        REQUIRE(Create(3, w, h, bits) == 0);
        SetPalette(3, inverted);
        std::vector<BYTE> want(ImageBytes(bits, w, h));
        Canvas c = MakeCanvas(want.data(), bits, w, h);
        CanvasTestPattern(c, kPatternGrey);
        Run(3, 1071);
        CHECK((Bytes(3) == want && nbx_curImage == 3));
        CHECK((bits == 32 ? Palette(3).empty() : Palette(3)[77] == 0x4D4D4Du));   // "Grey" loads the grey ramp
        SetPalette(3, inverted);
        const std::vector<DWORD> start = Pixels(3);
        // The pixel then at (0, 0), after each; only the turns make the image current.
        struct { UINT id; size_t corner; int width; } steps[] = {
            { 1058, 0, w }, { 1058, 0, w }, { 1059, w - 1, w }, { 1060, h * w - 1, w }, { 1059, (h - 1) * w, w },
            { 1061, 0, h }, { 1062, (h - 1) * w, w }, { 1062, h * w - 1, h }, { 1061, (h - 1) * w, w },
        };
        for (int i = 0; i < 9; i++) {
            CAPTURE(i);
            OnUser([] { SelectImage(5); });
            Run(3, steps[i].id);
            DWORD corner = start[steps[i].corner] ^ (i == 0 ? (bits == 8 ? 0xFFu : 0xFFFFFFu) : 0);
            CHECK((At(3, 0, 0) == corner && nbx_curImage == (steps[i].id > 1060 ? 3 : 5) && nbx_images[3].width == steps[i].width));
            CHECK(ClientSize(Window(3)).cy == nbx_images[3].dispHeight);
        }
        Run(3, 1060);
        CHECK((Pixels(3) == start && (bits == 32 || Palette(3)[77] == inverted[77])));   // the palette kept through the turns
        Destroy(3);
    }
    CHECK(Bytes(5) == std::vector<BYTE>(50 * 50 * 4, 0));
    Destroy(5);
}

TEST_CASE("rescales, and turns to a size no window can show")
{
    for (int bits : { 32, 8 }) {   // left half 1, top right 2, bottom right 3
        CAPTURE(bits);
        REQUIRE(Create(7, 640, 480, bits, 50) == 0);
        Canvas c = View(7);
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++) CanvasStore(c, x, y, x < 320 ? 1 : y < 240 ? 2 : 3);
        struct { UINT id; int w, h; } sizes[] = { { 1064, 452, 339 }, { 1066, 904, 678 }, { 1063, 452, 339 } };
        for (auto &s : sizes) {
            CAPTURE(s.id);
            Run(7, s.id);
            REQUIRE((nbx_images[7].width == s.w && nbx_images[7].height == s.h));
            CHECK(std::vector<DWORD>{ At(7, 0, 0), At(7, s.w - 1, 0), At(7, s.w - 1, s.h - 1), At(7, s.w / 4, s.h - 1) } ==
                  std::vector<DWORD>{ 1, 2, 3, 1 });
        }
        Destroy(7);
    }
    // 100 x 10 turned is too narrow for the minimum width at any zoom that
    // fits: it turns at the largest that fits. 3000 x 1 turned fits no window:
    // the image keeps its window, size and pixels.
    for (int wide : { 100, 3000 }) {
        CAPTURE(wide);
        int high = wide == 100 ? 10 : 1;
        REQUIRE(Create(8, wide, high) == 0);
        for (int k = 0; k < wide * high; k++) nbx_pixels[8][k] = (DWORD)k;
        std::vector<BYTE> before = Bytes(8);
        HWND window = Window(8);
        Run(8, 1061);
        CHECK(nbx_images[8].width == (wide == 100 ? high : wide));
        CHECK(IsWindow(window) == (wide == 3000));
        CHECK((wide == 100 ? At(8, 0, 0) == (DWORD)(high - 1) * wide : Bytes(8) == before));   // the old bottom-left
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
        HWND dialog = NULL;
        REQUIRE(WaitFor([&] { return (dialog = FindTop(L"#32770", NULL)) && IsWindowVisible(dialog); }, 10000));
        char red[16] = "";
        GetDlgItemTextA(dialog, 706, red, 16);   // the red field starts at 0x12
        CHECK((GetWindow(dialog, GW_OWNER) == Window(9) && std::string(red) == "18"));
        if (s.red) {
            SetDlgItemTextW(dialog, 706, s.red);
            SetDlgItemTextW(dialog, 707, L"100");
            SetDlgItemTextW(dialog, 708, L"50");
        }
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(s.button, BN_CLICKED), (LPARAM)GetDlgItem(dialog, s.button));
        Settle();
        CHECK(std::vector<DWORD>{ nbx_drawColor, nbx_tc, nbx_tttc } == std::vector<DWORD>(3, s.want));
    }
    OnUser([] { SelectImage(9); FloodFill(0, 0); });   // the public drawing calls draw in it
    CHECK(At(9, 99, 79) == 0xC86432);
    Destroy(9);
}
