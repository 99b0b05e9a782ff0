// textproc.cpp - the text window procedure: painting and resizing of the back
// buffer, the keyboard shortcuts, the feed of typed characters to line input
// and the right-click menu.
#include "textwin/textwin_internal.h"
#include <stdio.h>

enum {
    CMD_DESTROY = 1006, CMD_ABOUT = 1020, CMD_START_LOG = 1024, CMD_STOP_LOG = 1025,
    CMD_CONSOLE = 1029, CMD_COPY_LOG = 1030, CMD_WINDOW_INFO = 1045, CMD_SELECT = 1069
};

static bool CtrlHeld(void) { return GetKeyState(VK_CONTROL) < 0; }

// The version line is the main window's caption.
static void PrintVersionLine(int index)
{
    NBX_SelectTextWindow(index);
    WCHAR caption[256];
    caption[0] = 0;
    // Reads the stored caption without a message to the main thread.
    InternalGetWindowText(nbx_mainWindow, caption, 256);
    char version[512];
    NbxWideToAnsi(caption, version, sizeof version);
    NBX_PushTextColor(0x505050, 0x50FF50);
    NBX_Printf("%s\n", version);
    NBX_PopTextColor();
}

static void OnCommand(HWND window, int index, UINT id)
{
    switch (id) {
    case CMD_SELECT: NBX_SelectTextWindow(index); break;
    case CMD_WINDOW_INFO: NBX_SelectTextWindow(index); PrintWindowReport(); break;
    case CMD_CONSOLE: NBX_CommandConsole(); break;
    case CMD_START_LOG: NBX_StartLog(index); break;
    case CMD_STOP_LOG: NBX_StopLog(index); break;
    case CMD_COPY_LOG: NBX_CopyLog(index); break;
    case CMD_ABOUT: PrintVersionLine(index); break;
    case CMD_DESTROY: NBX_CloseTextWindow(index); break;
    }
}

// During line input only the recall and paste requests are taken.
static void OnKeyDownDuringInput(WPARAM key)
{
    if (nbx_inputRequest) return;
    if (key == VK_UP) nbx_inputRequest = 1;
    else if (key == 'V' && CtrlHeld()) nbx_inputRequest = 2;
}

static void OnKeyDown(HWND window, int index, WPARAM key)
{
    if (nbx_inputActive) {
        OnKeyDownDuringInput(key);
        return;
    }
    if (CtrlHeld()) {
        UINT id = 0;
        switch (key) {
        case 'A': id = CMD_ABOUT; break;
        case 'C': id = CMD_COPY_LOG; break;
        case 'W': id = CMD_WINDOW_INFO; break;
        case 'Q': id = CMD_DESTROY; break;
        case 'S': id = CMD_SELECT; break;
        }
        if (id) PostMessageW(window, WM_COMMAND, id, 0);
        return;
    }
    switch (key) {
    case 'X': case VK_ESCAPE: case 'S': case 'C':
        // The main window's shortcuts work from every text window too.
        PostMessageW(nbx_mainWindow, WM_KEYDOWN, key, 0);
        break;
    case VK_SPACE:
        if (index >= 0) NBX_SelectTextWindow(index);
        NBX_CommandConsole();
        break;
    }
}

static void OnChar(WPARAM unit)
{
    if (nbx_inputActive && !CtrlHeld()) AppendTypedUnit((WCHAR)unit);
}

HMENU BuildTextWindowMenu(int index)
{
    const TextWindow *t = &nbx_textWindows[index];
    HMENU menu = CreatePopupMenu();
    char copy[64];
    snprintf(copy, sizeof copy, "&Copy NUBRIX%d%d.LOG\tCtrl+C", nbx_instance, index);
    InsertMenuString(menu, 0, index == nbx_curText ? MFS_CHECKED : 0, CMD_SELECT, "&Select\tCtrl+S");
    InsertMenuString(menu, 1, 0, CMD_WINDOW_INFO, "&Window Info.\tCtrl+W");
    InsertMenuString(menu, 2, 0, CMD_CONSOLE, "Command");
    InsertMenuSeparator(menu, 3);
    InsertMenuString(menu, 4, t->logState == 1 ? MFS_CHECKED : 0, CMD_START_LOG, "Start Log");
    InsertMenuString(menu, 5, t->logState == 2 ? MFS_CHECKED : 0, CMD_STOP_LOG, "Stop Log");
    InsertMenuString(menu, 6, 0, CMD_COPY_LOG, copy);
    InsertMenuSeparator(menu, 7);
    InsertMenuString(menu, 8, 0, CMD_ABOUT, "&About NUBRIX\tCtrl+A");
    InsertMenuSeparator(menu, 9);
    InsertMenuString(menu, 10, 0, CMD_DESTROY, "&Destroy\tCtrl+Q");
    return menu;
}

static void ShowTextWindowMenu(HWND window, int index)
{
    if (nbx_inputActive || nbx_pickActive || index < 0) return;
    POINT at;
    GetCursorPos(&at);
    HMENU menu = BuildTextWindowMenu(index);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
}

LRESULT CALLBACK TextWindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp)
{
    // Before the opening steps have entered the window, index is -1 and no
    // record is touched.
    int index = TextWindowIndex(window);
    switch (message) {
    case WM_CREATE:
    case WM_DESTROY:
        return 0;
    case WM_MOVE:
        RebuildEdgeTable();
        return 0;
    case WM_MOVING:
        SnapMovingRect(window, (RECT *)lp);
        return 0;
    case WM_SIZE:
        if (index >= 0) ResizeBackBuffer(&nbx_textWindows[index], LOWORD(lp), HIWORD(lp));
        return 0;
    case WM_PAINT:
        PaintFromBackBuffer(window, index >= 0 ? &nbx_textWindows[index] : NULL);
        return 0;
    case WM_CLOSE:
        if (index >= 0) NBX_CloseTextWindow(index);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, index, wp);
        return 0;
    case WM_CHAR:
        OnChar(wp);
        return 0;
    case WM_COMMAND:
        if (index >= 0) OnCommand(window, index, LOWORD(wp));
        return 0;
    case WM_RBUTTONDOWN:
        ShowTextWindowMenu(window, index);
        return 0;
    }
    return DefWindowProcW(window, message, wp, lp);
}
