// mainwnd.cpp - the main window: drop-in animation, Start / Stop / Exit from
// the menu bar, the popup menu and the keys, and the routes to the
// window-information report and to the creation commands (creation.cpp).
#include "shell/nbx_internal.h"
#include "shell/shell_logic.h"

extern volatile int nbx_mainWindowGone;

const int kDropOffsets[28] = { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, -6, -5, -4, -3,
                               -2, -1, 1, 2, 3, 4, 5, 6, -3, -2, -1, 1, 2, 3 };

enum {
    CMD_START = 1001, CMD_EXIT = 1002, CMD_STOP = 1003,
    CMD_PASTE = 1026, CMD_NEW_IMAGE = 1027, CMD_NEW_TEXT = 1028,
    CMD_NEW_INPUTBOX = 1044, CMD_WINDOW_INFO = 1045, CMD_NEW_BUTTONBOX = 1051
};

static void WaitUntilElapsed(int since, unsigned ms)
{
    while (MsecElapsed(GetMsec(), since) < ms) {
    }
}

static void DropIntoPlace(HWND window)
{
    int t = GetMsec();
    for (int offset : kDropOffsets) {
        RECT r;
        GetWindowRect(window, &r);
        SetWindowPos(window, NULL, r.left, r.top + offset, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        WaitUntilElapsed(t, 20);
        t = GetMsec();
    }
    WaitUntilElapsed(t, 500);
}

static void OnCreate(HWND window)
{
    nbx_mainWindow = window;
    nbx_statusWindow = CreateWindowExW(0, L"STATIC", L"Ready", WS_CHILD | WS_VISIBLE,
                                       0, 6, 234, 20, window, (HMENU)(INT_PTR)2001,
                                       nbx_hInstance, NULL);
    DropIntoPlace(window);
    HDC dc = GetDC(window);
    nbx_colorDepth = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(window, dc);
    nbx_userThread = CreateThread(NULL, 0, UserThreadProc, NULL, 0, &nbx_userThreadId);
}

static void OnStart(void)
{
    if (!nbx_running) nbx_start = 1;
}

// Stop and Exit only set flags; a user thread resting in a wait for input
// is woken by an empty message so it sees them at once.
static void WakeUserThread(void)
{
    if (nbx_userThreadId) PostThreadMessageW(nbx_userThreadId, WM_NULL, 0, 0);
}

static void OnStop(void)
{
    nbx_stop = 1;
    WakeUserThread();
}

static BOOL UserThreadAlive(void)
{
    DWORD code = 0;
    return nbx_userThread && GetExitCodeThread(nbx_userThread, &code) && code == STILL_ACTIVE;
}

// Waits up to `ms` for the user thread to end by itself. Messages that other
// threads send to the main window are served meanwhile (a cancelled line
// input restores the status line that way); posted input waits.
static BOOL WaitForUserThread(unsigned ms)
{
    int t0 = GetMsec();
    for (;;) {
        if (!UserThreadAlive()) return TRUE;
        unsigned elapsed = MsecElapsed(GetMsec(), t0);
        if (elapsed > ms) return FALSE;
        DWORD r = MsgWaitForMultipleObjects(1, &nbx_userThread, FALSE, ms - elapsed + 1,
                                            QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
    }
}

// Exit: ask the user thread to end and give it 2000 ms. The logs are closed
// only once the user thread can no longer print into them. A thread that had
// to be terminated may have died holding locks of the window system, so its
// windows are not touched again: the process ends at once instead.
static void OnExit(HWND window)
{
    static BOOL exiting;
    if (nbx_mainWindowGone || exiting) return;
    exiting = TRUE;
    nbx_inputActive = 0;
    nbx_stop = 1;
    nbx_quit = 1;
    WakeUserThread();
    if (!WaitForUserThread(2000)) {
        TerminateThread(nbx_userThread, 1);
        WaitForSingleObject(nbx_userThread, 1000);
        NBX_CloseLogs();
        TerminateProcess(GetCurrentProcess(), 0);
    }
    NBX_CloseLogs();
    if (nbx_quit == 1) nbx_quit = 2;
    if (nbx_userThread) CloseHandle(nbx_userThread);
    nbx_userThread = NULL;
    DestroyWindow(window);
}

static void OnWindowInfo(void)
{
    if (!TextWindowHandle(CurrentTextWindow())) {
        HWND zero = TextWindowHandle(0);
        if (zero) SetForegroundWindow(zero);
        else if (!nbx_running) RequestOpenTextWindow(0);
    }
    HWND current = TextWindowHandle(CurrentTextWindow());
    if (current) PostMessageW(current, WM_COMMAND, CMD_WINDOW_INFO, 0);
}

static void ShowPopupMenu(HWND window)
{
    if (nbx_pickActive) return;
    POINT at;
    GetCursorPos(&at);
    UINT state = (nbx_running || nbx_inputActive) ? (MFS_DISABLED | MFS_GRAYED) : 0;
    HMENU menu = CreatePopupMenu();
    UINT pos = 0;
    InsertMenuString(menu, pos++, state, CMD_PASTE, "Paste\tCtrl+V");
    InsertMenuSeparator(menu, pos++);
    InsertMenuString(menu, pos++, state, CMD_START, "Start");
    InsertMenuString(menu, pos++, 0, CMD_STOP, "Stop");
    InsertMenuString(menu, pos++, 0, CMD_EXIT, "E&xit");
    InsertMenuSeparator(menu, pos++);
    InsertMenuString(menu, pos++, state, CMD_NEW_IMAGE, "Image Window");
    InsertMenuString(menu, pos++, state, CMD_NEW_TEXT, "Text Window");
    InsertMenuString(menu, pos++, state, CMD_NEW_INPUTBOX, "Input Box");
    InsertMenuString(menu, pos++, state, CMD_NEW_BUTTONBOX, "Button Box");
    InsertMenuSeparator(menu, pos++);
    InsertMenuString(menu, pos++, state, CMD_WINDOW_INFO, "&Window Info.\tCtrl+W");
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
}

static void OnKeyDown(HWND window, WPARAM key)
{
    if (GetKeyState(VK_CONTROL) < 0) {
        if (key == 'V') PostMessageW(window, WM_COMMAND, CMD_PASTE, 0);
        else if (key == 'W') PostMessageW(window, WM_COMMAND, CMD_WINDOW_INFO, 0);
        return;
    }
    switch (key) {
    case 'S': OnStart(); break;
    case 'C': OnStop(); break;
    case 'X':
    case VK_ESCAPE: OnExit(window); break;
    }
}

static void OnCommand(HWND window, UINT id)
{
    switch (id) {
    case CMD_START: OnStart(); break;
    case CMD_STOP: OnStop(); break;
    case CMD_EXIT: OnExit(window); break;
    case CMD_WINDOW_INFO: OnWindowInfo(); break;
    case CMD_PASTE: PasteClipboardAsNewImage(); break;
    case CMD_NEW_IMAGE: RunImageWindowCommand(); break;
    case CMD_NEW_TEXT: RunTextWindowCommand(); break;
    case CMD_NEW_INPUTBOX: RunInputBoxCommand(); break;
    case CMD_NEW_BUTTONBOX: RunButtonBoxCommand(); break;
    }
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_DESTROY:
        nbx_mainWindowGone = 1;
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:  // Alt+F4 and the like end the program the same way as Exit
        OnExit(window);
        return 0;
    case WM_MOVE:
        RebuildEdgeTable();
        return 0;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        ShowPopupMenu(window);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(window, wParam);
        return 0;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam));
        return 0;
    case WM_SIZING:
        GetWindowRect(window, (RECT *)lParam);
        return 0;
    case WM_MOVING:
        SnapMovingRect(window, (RECT *)lParam);
        return 0;
    case WM_DROPFILES:
        OpenDroppedFiles((HDROP)wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
