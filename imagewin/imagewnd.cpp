// imagewnd.cpp - the window procedure of the image windows ("nbx_iw"): a
// thin switch over small handlers.
#include "imagewin/imagewin_private.h"
#include "imagewin/imagemenu.h"
#include <shellapi.h>

// The commands the Ctrl keys post.
enum {
    CMD_DESTROY = 1005, CMD_CUT = 1011, CMD_COPY = 1012, CMD_PASTE_CORNER = 1014, CMD_CLIPPING = 1019
};

static void InvalidateImage(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (r) InvalidateRect(r->window, NULL, FALSE);
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT ps;
    BeginPaint(window, &ps);
    NBX_DrawImage(FindImageWindow(window));   // always the record's own DC
    EndPaint(window, &ps);
}

static void OnSizing(HWND window, RECT *proposed)
{
    GetWindowRect(window, proposed);           // the size follows the zoom only
}

static void ZoomBy(HWND window, int (*step)(int))
{
    int n = FindImageWindow(window);
    ImageRecord *r = ImageInUse(n);
    if (r) SetImageZoom(step(r->zoom), n);
}

static void ToggleStretchMode(HWND window)
{
    int n = FindImageWindow(window);
    SetImageStretchMode(GetImageStretchMode(n) == COLORONCOLOR ? HALFTONE : COLORONCOLOR, n);
}

// Ctrl + key: true when the key was one of the Ctrl shortcuts.
static bool OnCtrlKey(HWND window, UINT vk)
{
    UINT command = 0;
    switch (vk) {
    case 'C': command = CMD_COPY; break;
    case 'Q': command = CMD_DESTROY; break;
    case 'R': command = CMD_CLIPPING; break;
    case 'V': command = CMD_PASTE_CORNER; break;
    case 'X': command = CMD_CUT; break;
    case VK_NUMPAD0: SetImageZoom(100, FindImageWindow(window)); return true;
    case VK_ADD: ZoomBy(window, ZoomStepIn); return true;
    case VK_SUBTRACT: ZoomBy(window, ZoomStepOut); return true;
    default: return false;
    }
    PostMessageW(window, WM_COMMAND, command, 0);
    return true;
}

static void OnKeyDown(HWND window, UINT vk)
{
    if (nbx_pickActive) return;
    if (GetKeyState(VK_CONTROL) < 0 && OnCtrlKey(window, vk)) return;
    switch (vk) {
    case VK_TAB:
        ToggleStretchMode(window);
        break;
    case VK_ESCAPE: case 'C': case 'X': case 'S':
        // Start, Stop and Exit keys belong to the main window.
        PostMessageW(nbx_mainWindow, WM_KEYDOWN, vk, 0);
        break;
    }
}

static void OnWheel(HWND window, WPARAM wParam)
{
    if (!(GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL)) return;
    int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    if (delta < 0) ZoomBy(window, ZoomStepIn);
    else if (delta > 0) ZoomBy(window, ZoomStepOut);
}

static void OnDropFiles(HWND window, HDROP drop)
{
    WCHAR wide[NBX_PATH];
    char name[NBX_PATH];
    // The whole path or nothing: a cut path names another file.
    BOOL fits = DragQueryFileW(drop, 0, NULL, 0) < NBX_PATH &&
                DragQueryFileW(drop, 0, wide, NBX_PATH) > 0;
    int bytes = fits ? WideCharToMultiByte(CP_ACP, 0, wide, -1, NULL, 0, NULL, NULL) : 0;
    fits = bytes > 0 && bytes <= NBX_PATH;
    if (fits) WideCharToMultiByte(CP_ACP, 0, wide, -1, name, NBX_PATH, NULL, NULL);
    // Only a window found in the table was selected, so only then is there
    // a previous current image to give back.
    if (fits && FindAndSelectImageWindow(window) >= 0) {
        LoadImageFile(name, 0, 0);
        InvalidateImage(nbx_curImage);
        RestoreImage();
    }
    DragFinish(drop);
    SetForegroundWindow(window);
}

LRESULT CALLBACK ImageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: case WM_DESTROY: return 0;
    case WM_MOVE: RebuildEdgeTable(); return 0;
    case WM_MOVING: SnapMovingRect(window, (RECT *)lParam); return 0;
    case WM_SIZING: OnSizing(window, (RECT *)lParam); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    case WM_CLOSE: NBX_DestroyImage(FindImageWindow(window)); return 0;
    case WM_KEYDOWN: OnKeyDown(window, (UINT)wParam); return 0;
    case WM_COMMAND: RunImageCommand(window, LOWORD(wParam)); return 0;
    case WM_MOUSEMOVE: case WM_LBUTTONDOWN: case WM_MBUTTONDOWN: case WM_RBUTTONDOWN:
        OnImageMouse(window, message, wParam, lParam);
        return 0;
    case WM_MOUSEWHEEL: OnWheel(window, wParam); return 0;
    case WM_DROPFILES: OnDropFiles(window, (HDROP)wParam); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
