// startup.cpp - the program's start-up: instance limit, process-wide state,
// window classes, the main window and the main thread's message loop; and the
// small helpers every subsystem uses (status line, menus, clock, messages).
#include "shell/nbx_internal.h"
#include "shell/shell_logic.h"
#include <gdiplus.h>
#include <stdio.h>
#include <string.h>

int       nbx_instance;
WCHAR     nbx_mainClassName[11];
HINSTANCE nbx_hInstance;
HWND      nbx_mainWindow;
HWND      nbx_statusWindow;
int       nbx_colorDepth;
double    nbx_msecFactor = 1.0;
char      nbx_openDir[NBX_PATH];
char      nbx_saveDir[NBX_PATH];
char      nbx_logDir[NBX_PATH];
HFONT     nbx_ttFont;
DWORD     nbx_tttc = 0xFFFFFF;
int       nbx_fontCursorX, nbx_fontLineX, nbx_fontBaseY;
COLORREF  nbx_customColors[16];

// Set when the main window is destroyed, so the main loop ends even when a
// nested pump has already taken the quit message.
volatile int nbx_mainWindowGone;

static const DWORD kMainStyle = WS_VISIBLE | WS_CAPTION | WS_THICKFRAME;

// ---------------------------------------------------------------- helpers

int GetMsec(void)
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    double ms = (double)counter.QuadPart * nbx_msecFactor;
    return (int)(unsigned)(unsigned long long)ms;
}

void FormatStatusText(const char *text, char out[64])
{
    int length = (int)strlen(text);
    int column = 18 - length / 2;
    if (column < 0) column = 0;
    memset(out, ' ', 64);
    int room = 63 - column;
    if (length > room) length = room;
    memcpy(out + column, text, length);
    out[column + length] = 0;
    NbxCutAnsi(out, column + length);
}

void SetStatusText(const char *text)
{
    char line[64];
    FormatStatusText(text, line);
    WCHAR wide[64];
    NbxAnsiToWide(line, wide, 64);
    SetWindowTextW(nbx_statusWindow, wide);
}

void InsertMenuString(HMENU menu, UINT position, UINT state, UINT id, const char *text)
{
    WCHAR wide[257];
    NbxAnsiToWide(text, wide, 257);
    MENUITEMINFOW item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE;
    item.fType = MFT_STRING;
    item.fState = state;
    item.wID = id;
    item.dwTypeData = wide;
    InsertMenuItemW(menu, position, TRUE, &item);
}

void InsertMenuSeparator(HMENU menu, UINT position)
{
    MENUITEMINFOW item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_TYPE;
    item.fType = MFT_SEPARATOR;
    InsertMenuItemW(menu, position, TRUE, &item);
}

void InsertSubMenu(HMENU menu, HMENU submenu, UINT position, const char *text)
{
    WCHAR wide[257];
    NbxAnsiToWide(text, wide, 257);
    MENUITEMINFOW item;
    ZeroMemory(&item, sizeof item);
    item.cbSize = sizeof item;
    item.fMask = MIIM_SUBMENU | MIIM_TYPE;
    item.fType = MFT_STRING;
    item.hSubMenu = submenu;
    item.dwTypeData = wide;
    InsertMenuItemW(menu, position, TRUE, &item);
}

void ShowPauseMessage(const char *text)
{
    WCHAR wide[257];
    NbxAnsiToWide(text, wide, 257);
    MessageBoxW(NULL, wide, L"Pause", MB_OK);
}

// --------------------------------------------------------------- start-up

// The instance number is claimed through a named kernel object per number,
// held for the process's life: creating it is atomic, so programs started at
// the same moment never share a number (and with it their log files). A
// window of that number's class also marks it taken.
static int ClaimFreeInstance(void)
{
    for (int i = 0; i < 10; i++) {
        WCHAR name[32], cls[11];
        wsprintfW(name, L"nubrix_instance_%d", i);
        wsprintfW(cls, L"nubrix_mw%d", i);
        HANDLE claim = CreateMutexW(NULL, FALSE, name);
        if (!claim) continue;
        if (GetLastError() == ERROR_ALREADY_EXISTS || FindWindowW(cls, NULL)) {
            CloseHandle(claim);
            continue;
        }
        return i;   // the handle stays open until the process ends
    }
    return -1;
}

static void ReadStartFolders(void)
{
    WCHAR dir[NBX_PATH];
    char *targets[3] = { nbx_openDir, nbx_saveDir, nbx_logDir };
    for (int i = 0; i < 3; i++) {
        dir[0] = 0;
        GetCurrentDirectoryW(NBX_PATH, dir);
        NbxWideToAnsi(dir, targets[i], NBX_PATH);
    }
    size_t n = strlen(nbx_logDir);
    // A drive root already ends in a backslash; check for a trail byte too.
    BOOL endsInBackslash = n > 0 && nbx_logDir[n - 1] == '\\' &&
                           CharPrevA(nbx_logDir, nbx_logDir + n) == nbx_logDir + n - 1;
    if (!endsInBackslash && n + 1 < NBX_PATH) {
        nbx_logDir[n] = '\\';
        nbx_logDir[n + 1] = 0;
    }
}

static BOOL RegisterOneClass(const WCHAR *name, UINT style, HBRUSH background, WNDPROC proc)
{
    WNDCLASSW wc;
    ZeroMemory(&wc, sizeof wc);
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = nbx_hInstance;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassW(&wc) != 0;
}

static BOOL RegisterWindowClasses(void)
{
    HBRUSH face = (HBRUSH)(COLOR_BTNFACE + 1);
    HBRUSH black = (HBRUSH)GetStockObject(BLACK_BRUSH);
    return RegisterOneClass(nbx_mainClassName, CS_CLASSDC, face, MainWindowProc) &&
           RegisterOneClass(L"nbx_iw", CS_OWNDC, black, ImageWindowProc) &&
           RegisterOneClass(L"nbx_twi", CS_OWNDC, black, TextWindowProc) &&
           RegisterOneClass(L"nbx_ib", CS_OWNDC | CS_DBLCLKS, face, InputBoxProc) &&
           RegisterOneClass(L"nbx_bb", CS_OWNDC | CS_DBLCLKS, face, ButtonBoxProc);
}

static HMENU BuildMenuBar(void)
{
    HMENU bar = CreateMenu();
    InsertMenuString(bar, 0, 0, 1001, "Start(&S)");
    InsertMenuString(bar, 1, 0, 1003, "Stop(&C)");
    InsertMenuString(bar, 2, 0, 1002, "Exit(&X)");
    return bar;
}

static HFONT CreateTrueTypeFont(void)
{
    static const WCHAR kFace[] = { 0xFF2D, 0xFF33, ' ', 0x30B4, 0x30B7, 0x30C3, 0x30AF, 0 };
    return CreateFontW(16, 8, 0, 0, 0, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH, kFace);
}

static void RunMessageLoop(void)
{
    MSG msg;
    while (!nbx_mainWindowGone && GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

int NbxRunProgram(HINSTANCE instance)
{
    int number = ClaimFreeInstance();
    if (number < 0) {
        MessageBoxW(NULL, L"Over instance limit!", L"NUBRIX", MB_OK);
        return 1;
    }
    nbx_instance = number;
    wsprintfW(nbx_mainClassName, L"nubrix_mw%d", number);

    Gdiplus::GdiplusStartupInput gdiplusInput;
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, NULL);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    nbx_msecFactor = 1000.0 / (double)frequency.QuadPart;

    ResetImageTable();
    ResetTextWindows();
    ZeroMemory(nbx_customColors, sizeof nbx_customColors);
    nbx_hInstance = instance;

    ReadStartFolders();
    if (!RegisterWindowClasses()) return 1;

    HMENU menuBar = BuildMenuBar();
    RECT frame = { 0, 0, 240, GetSystemMetrics(SM_CYMENU) + 32 };
    AdjustWindowRect(&frame, kMainStyle, FALSE);
    int width = frame.right - frame.left;
    int height = frame.bottom - frame.top;
    int x = (GetSystemMetrics(SM_CXFULLSCREEN) - width) / 2;
    int y = GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - height - 55;
    CreateWindowExW(0, nbx_mainClassName, L"NUBRIX 7.3  2009/4/30", kMainStyle,
                    x, y, width, height, NULL, menuBar, instance, NULL);

    char depth[16];
    snprintf(depth, sizeof depth, "%d-bit color", nbx_colorDepth);
    SetStatusText(depth);
    if (nbx_mainWindow) {
        DragAcceptFiles(nbx_mainWindow, TRUE);
        UpdateWindow(nbx_mainWindow);
    }

    nbx_ttFont = CreateTrueTypeFont();
    nbx_tttc = 0xFFFFFF;
    nbx_fontCursorX = nbx_fontLineX = nbx_fontBaseY = 0;

    RunMessageLoop();

    DeleteObject(nbx_ttFont);
    DestroyMenu(menuBar);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
