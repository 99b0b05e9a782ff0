// imagemenu.cpp - the image windows' edit and tools menus, the dispatch of
// their commands, and the mouse: pick-tool clicks or a popup menu.
#include "imagewin/imagemenu.h"
#include "imagewin/imagewin_private.h"
#include "imageproc/imageproc.h"

namespace {

// A menu item; id 0 is a separator.
struct Item {
    const char *label;
    UINT id;
};

const Item kProcess[] = {
    { "Invert", 1058 }, { 0, 0 }, { "R. Rotate", 1061 }, { "L. Rotate", 1062 }, { 0, 0 },
    { "Horz. Flip", 1059 }, { "Vert. Flip", 1060 }, { 0, 0 }, { "Size 50.0%", 1063 },
    { "Size 70.7%", 1064 }, { "Size 141.4%", 1065 }, { "Size 200.0%", 1066 },
};
const Item kInfo32[] = {
    { "Pixel", 1015 }, { "Line(RGB)", 1016 }, { "Line(HSV)", 1017 }, { "Line(YCrCb)", 1018 },
    { "Line(CrCb)", 1021 }, { 0, 0 }, { "Area(CrCb)", 1022 },
};
const Item kInfo8[] = { { "Pixel", 1015 }, { "Line(Lumi)", 1070 } };
const Item kPatterns[] = {
    { "RGB", 1053 }, { "HSV", 1054 }, { "YCrCb", 1055 }, { "Yuv", 1067 }, { "YIQ", 1068 }, { "Grey", 1071 },
};
const Item kColor[] = { { "Change", 1031 }, { "Pick", 1052 } };
const Item kLine[] = { { "Normal", 1032 }, { "Horz.", 1034 }, { "Vert.", 1035 } };
const Item kBox[] = { { "Normal", 1036 }, { "Fill", 1037 }, { "Fill XOR", 1038 } };
const Item kCircle[] = { { "Normal", 1039 }, { "Fill", 1040 }, { "Fill XOR", 1041 } };
const Item kTrueType[] = { { "Draw", 1048 }, { "Font Change", 1049 } };

template <size_t N>
HMENU BuildMenu(const Item (&items)[N])
{
    HMENU menu = CreatePopupMenu();
    for (UINT i = 0; i < N; i++) {
        if (items[i].id) InsertMenuString(menu, i, 0, items[i].id, items[i].label);
        else InsertMenuSeparator(menu, i);
    }
    return menu;
}

UINT ZoomCheck(int zoom, int value) { return zoom == value ? MFS_CHECKED : 0; }

}  // namespace

HMENU BuildEditMenu(HWND window)
{
    ImageRecord *r = ImageInUse(FindImageWindow(window));
    int zoom = r ? r->zoom : 0;
    HMENU menu = CreatePopupMenu();
    InsertMenuString(menu, 0, 0, 1011, "Cut\tCtrl+X");
    InsertMenuString(menu, 1, 0, 1012, "Copy\tCtrl+C");
    InsertMenuString(menu, 2, 0, 1013, "Paste\tCtrl+V");
    InsertMenuSeparator(menu, 3);
    InsertMenuString(menu, 4, 0, 1004, "&Load image file");
    InsertMenuString(menu, 5, 0, 1010, "&Save as");
    InsertMenuSeparator(menu, 6);
    InsertMenuString(menu, 7, ZoomCheck(zoom, 50), 1007, "Zoom: 50%");
    InsertMenuString(menu, 8, ZoomCheck(zoom, 100), 1008, "Zoom:100%\tCtrl+0");
    InsertMenuString(menu, 9, ZoomCheck(zoom, 200), 1009, "Zoom:200%");
    InsertMenuString(menu, 10, 0, 1046, "&Zoom...");
    InsertMenuSeparator(menu, 11);
    InsertMenuString(menu, 12, 0, 1047, "&Resize...");
    InsertMenuString(menu, 13, 0, 1005, "&Destroy\tCtrl+Q");
    return menu;
}

HMENU BuildToolsMenu(int n)
{
    ImageRecord *r = ImageInUse(n);
    HMENU menu = CreatePopupMenu();
    InsertSubMenu(menu, BuildMenu(kProcess), 0, "Process...");
    InsertMenuSeparator(menu, 1);
    InsertSubMenu(menu, r && r->bits == 8 ? BuildMenu(kInfo8) : BuildMenu(kInfo32), 2, "Information...");
    InsertMenuSeparator(menu, 3);
    InsertSubMenu(menu, BuildMenu(kPatterns), 4, "Test Pattern...");
    InsertMenuSeparator(menu, 5);
    InsertMenuString(menu, 6, 0, 1019, "Clipping\tCtrl+R");
    InsertMenuSeparator(menu, 7);
    InsertSubMenu(menu, BuildMenu(kColor), 8, "Color...");
    InsertSubMenu(menu, BuildMenu(kLine), 9, "Draw Line...");
    InsertSubMenu(menu, BuildMenu(kBox), 10, "Draw Box...");
    InsertSubMenu(menu, BuildMenu(kCircle), 11, "Draw Circle...");
    InsertSubMenu(menu, BuildMenu(kTrueType), 12, "TrueType...");
    InsertMenuString(menu, 13, 0, 1042, "Draw Text");
    InsertMenuString(menu, 14, 0, 1043, "Paint");
    return menu;
}

// ---------------------------------------------------------------- dispatch

static void InvalidateImage(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (r) InvalidateRect(r->window, NULL, FALSE);
}

static TestPattern PatternOf(UINT id)
{
    switch (id) {
    case 1053: return kPatternRgb;
    case 1054: return kPatternHsv;
    case 1055: return kPatternYCrCb;
    case 1067: return kPatternYuv;
    case 1068: return kPatternYiq;
    default: return kPatternGrey;
    }
}

static const int kRescale[] = { 500, 707, 1414, 2000 };   // 1063..1066

// Commands that make their window's image current and repaint it after.
static void RunOnSelected(HWND window, UINT id)
{
    int n = FindAndSelectImageWindow(window);
    if (n < 0) return;
    switch (id) {
    case 1004: RunLoadImageCommand(n); break;
    case 1053: case 1054: case 1055: case 1067: case 1068: case 1071: RunTestPattern(PatternOf(id)); break;
    case 1061: RotateImage(n, true); break;
    case 1062: RotateImage(n, false); break;
    case 1063: case 1064: case 1065: case 1066: RescaleImage(n, kRescale[id - 1063]); break;
    case 1042: RunDrawText(); break;
    case 1048: RunTrueTypeDraw(); break;
    default: RunDrawingTool(id); break;
    }
    InvalidateImage(nbx_curImage);
}

void RunImageCommand(HWND window, UINT id)
{
    int n = FindImageWindow(window);
    switch (id) {
    case 1004: case 1032: case 1034: case 1035: case 1036: case 1037: case 1038: case 1039:
    case 1040: case 1041: case 1042: case 1043: case 1048: case 1053: case 1054: case 1055:
    case 1061: case 1062: case 1063: case 1064: case 1065: case 1066: case 1067: case 1068: case 1071:
        RunOnSelected(window, id);
        break;
    case 1010:
        n = FindAndSelectImageWindow(window);
        if (n >= 0) RunSaveAsCommand(n);
        break;
    case 1005: NBX_DestroyImage(n); break;
    case 1007: SetImageZoom(50, n); break;
    case 1008: SetImageZoom(100, n); break;
    case 1009: SetImageZoom(200, n); break;
    case 1046: if (n >= 0) RunTypedZoomCommand(n); break;
    case 1047: if (n >= 0) RunResizeCommand(n); break;
    case 1011: if (n >= 0) RunCutCommand(n); break;
    case 1012: if (n >= 0) RunCopyCommand(n); break;
    case 1013: if (n >= 0) RunPasteCommand(n, false); break;
    case 1014: if (n >= 0) RunPasteCommand(n, true); break;
    case 1015: if (n >= 0) RunPixelReadout(n); break;
    case 1016: case 1017: case 1018: case 1021: case 1070: if (n >= 0) RunLineProfile(n, id); break;
    case 1022: if (n >= 0) RunAreaChroma(n); break;
    case 1019: if (n >= 0) RunClipping(n); break;
    case 1052: if (n >= 0) RunColorPick(n); break;
    case 1031: RunColorChangeCommand(window); break;
    case 1049: RunFontChange(window); break;
    case 1058: InvertImage(n); break;
    case 1059: FlipImage(n, true); break;
    case 1060: FlipImage(n, false); break;
    }
}

// ------------------------------------------------------------------- mouse

static void FeedPick(int n, UINT message, WPARAM wParam, LPARAM lParam)
{
    int zoom = nbx_images[n].zoom > 0 ? nbx_images[n].zoom : 100;
    int x = (int)LOWORD(lParam) * 100 / zoom, y = (int)HIWORD(lParam) * 100 / zoom;
    switch (message) {
    case WM_MOUSEMOVE:
        nbx_pick.moveX = x;
        nbx_pick.moveY = y;
        nbx_pick.moved = 1;
        break;
    case WM_LBUTTONDOWN:
        nbx_pick.clickX = x;
        nbx_pick.clickY = y;
        nbx_pick.clickShift = (wParam & MK_SHIFT) != 0;
        nbx_pick.clicked = 1;
        break;
    case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        nbx_pick.cancel = 1;
        break;
    }
}

static void OpenPopup(HWND window, int n, bool tools)
{
    HMENU menu = tools ? BuildToolsMenu(n) : BuildEditMenu(window);
    POINT at;
    GetCursorPos(&at);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
}

void OnImageMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int n = FindImageWindow(window);
    if (n < 0) return;
    if (nbx_pickActive) {
        if (n == nbx_pick.image) FeedPick(n, message, wParam, lParam);
        return;
    }
    if ((message != WM_RBUTTONDOWN && message != WM_MBUTTONDOWN) || nbx_inputActive) return;
    OpenPopup(window, n, message == WM_MBUTTONDOWN || (wParam & MK_CONTROL));
}
