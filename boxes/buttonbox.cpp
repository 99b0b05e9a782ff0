// buttonbox.cpp - the button box: one window holding a grid of push buttons.
//
// The framework never calls back into the user program: the window procedure
// counts presses per button and the user program reads and resets the
// counters from its own loop (NBX_GetButton).
#include "shell/nbx_internal.h"
#include "boxes/buttonbox_logic.h"
#include <stdio.h>

// ----------------------------------------------------------- pure logic

bool ButtonGridValid(int nx, int ny)
{
    // Divide instead of multiplying so huge arguments cannot overflow.
    return nx > 0 && ny > 0 && nx <= NBX_BUTTON_MAX && ny <= NBX_BUTTON_MAX / nx;
}

void ButtonGridClientSize(int nx, int ny, int buttonWidth, int buttonHeight,
                          int *width, int *height)
{
    *width = nx * (buttonWidth + NBX_BUTTON_GAP) + NBX_BUTTON_GAP;
    *height = ny * (buttonHeight + NBX_BUTTON_GAP) + NBX_BUTTON_GAP;
}

void ButtonGridPosition(int i, int nx, int buttonWidth, int buttonHeight, int *x, int *y)
{
    *x = (i % nx) * (buttonWidth + NBX_BUTTON_GAP) + NBX_BUTTON_GAP;
    *y = (i / nx) * (buttonHeight + NBX_BUTTON_GAP) + NBX_BUTTON_GAP;
}

static int AtLeastOne(int v) { return v < 1 ? 1 : v; }

void ButtonSizeForClient(int width, int height, int nx, int ny,
                         int *buttonWidth, int *buttonHeight)
{
    *buttonWidth = AtLeastOne(width - (nx * NBX_BUTTON_GAP + NBX_BUTTON_GAP)) / nx;
    *buttonHeight = AtLeastOne(height - (ny * NBX_BUTTON_GAP + NBX_BUTTON_GAP)) / ny;
}

static int Clamp(int v, int low, int high) { return v < low ? low : v > high ? high : v; }

int ButtonIndexAtPoint(unsigned short x, unsigned short y, int nx, int ny,
                       int buttonWidth, int buttonHeight)
{
    int column = Clamp(x / (buttonWidth + NBX_BUTTON_GAP), 0, nx - 1);
    int row = Clamp(y / (buttonHeight + NBX_BUTTON_GAP), 0, ny - 1);
    return row * nx + column;
}

int ButtonForDigitKey(unsigned int virtualKey)
{
    if (virtualKey >= '0' && virtualKey <= '9') return (int)(virtualKey - '0');
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) return (int)(virtualKey - VK_NUMPAD0);
    return -1;
}

// ------------------------------------------------------------ the state

static const DWORD kBoxStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
static const DWORD kButtonStyle = WS_CHILD | WS_VISIBLE | BS_MULTILINE;

enum { CMD_DESTROY_BOX = 1050, CMD_RENAME_BUTTON = 1057 };

static HWND boxWindow;
static int columns, rows, buttonCount;
// The size belongs to the framework: the next box starts with the last one.
static int buttonWidth = 98, buttonHeight = 26;
static HWND buttons[NBX_BUTTON_MAX];
static int pressCount[NBX_BUTTON_MAX];
static int renameIndex;

HWND ButtonBoxWindow(void) { return boxWindow; }

int ButtonBoxGrid(int *nx, int *ny)
{
    *nx = columns;
    *ny = rows;
    return boxWindow ? buttonCount : 0;
}

static bool ValidButton(int index)
{
    return boxWindow != NULL && index >= 0 && index < buttonCount;
}

static void SetButtonCaption(int index, const char *text)
{
    WCHAR wide[256];
    NbxAnsiToWide(text, wide, 256);
    SetWindowTextW(buttons[index], wide);
}

static void LayOutButtons(void)
{
    for (int i = 0; i < buttonCount; i++) {
        int x, y;
        ButtonGridPosition(i, columns, buttonWidth, buttonHeight, &x, &y);
        SetWindowPos(buttons[i], NULL, x, y, buttonWidth, buttonHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ------------------------------------------------------------- the calls

void NBX_OpenButtonBox(int x, int y, int nx, int ny)
{
    if (boxWindow || !ButtonGridValid(nx, ny)) return;
    columns = nx;
    rows = ny;
    buttonCount = nx * ny;

    int clientWidth, clientHeight;
    ButtonGridClientSize(nx, ny, buttonWidth, buttonHeight, &clientWidth, &clientHeight);
    RECT frame = { 0, 0, clientWidth, clientHeight };
    AdjustWindowRect(&frame, kBoxStyle, FALSE);
    HWND box = CreateWindowExW(0, L"nbx_bb", L"ButtonBox", kBoxStyle, x, y,
                               frame.right - frame.left, frame.bottom - frame.top,
                               nbx_mainWindow, NULL, nbx_hInstance, NULL);
    if (!box) return;
    boxWindow = box;
    for (int i = 0; i < buttonCount; i++) {
        int bx, by;
        ButtonGridPosition(i, columns, buttonWidth, buttonHeight, &bx, &by);
        WCHAR caption[16];
        wsprintfW(caption, L"%d", i);
        buttons[i] = CreateWindowExW(0, L"BUTTON", caption, kButtonStyle, bx, by,
                                     buttonWidth, buttonHeight, box,
                                     (HMENU)(INT_PTR)(NBX_BUTTON_ID_BASE + i), nbx_hInstance, NULL);
        pressCount[i] = 0;
    }
    UpdateWindow(box);
    SetForegroundWindow(box);
}

void NBX_CloseButtonBox(void)
{
    if (!boxWindow) return;
    HWND box = boxWindow;
    if (!DestroyWindow(box))
        MessageBoxW(nbx_mainWindow, L"DestroyWindow[BB] error", L"NUBRIX error!", MB_OK | MB_ICONERROR);
    boxWindow = NULL;
}

void OpenButtonBoxFresh(int x, int y, int nx, int ny)
{
    NBX_CloseButtonBox();
    NBX_OpenButtonBox(x, y, nx, ny);
}

void NBX_SetButtonBoxTitle(int index, const char *text)
{
    if (ValidButton(index) && text) SetButtonCaption(index, text);
}

int NBX_GetButton(int index)
{
    if (!ValidButton(index)) return 0;
    int count = pressCount[index];
    pressCount[index] = 0;
    return count;
}

// Gives the open box the client size width x height; the size handling then
// lays the buttons out. 0 done, 1 no box or a negative size.
int NBX_ResizeButtonBox(int width, int height)
{
    if (!boxWindow || width < 0 || height < 0) return 1;
    RECT frame = { 0, 0, width, height };
    AdjustWindowRect(&frame, kBoxStyle, FALSE);
    SetWindowPos(boxWindow, NULL, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

// ---------------------------------------------------------------- rename

// Asks for a new caption in the current text window. Line input pumps, so
// the box may be gone or rebuilt when the answer comes back.
static void RenameButton(int index)
{
    if (!ValidButton(index)) return;
    char line[256];
    AskForNewText(index, buttons[index], 512, line);
    if (line[0] && ValidButton(index)) SetButtonCaption(index, line);
}

// ------------------------------------------------------ window procedure

static void OnBoxSize(LPARAM lp)
{
    if (columns <= 0 || rows <= 0) return;
    ButtonSizeForClient(LOWORD(lp), HIWORD(lp), columns, rows, &buttonWidth, &buttonHeight);
    LayOutButtons();
}

static int PointIndex(LPARAM lp)
{
    return ButtonIndexAtPoint(LOWORD(lp), HIWORD(lp), columns, rows, buttonWidth, buttonHeight);
}

static void OnBoxRightClick(HWND window, LPARAM lp)
{
    renameIndex = PointIndex(lp);
    TrackSingleItemMenu(window, CMD_RENAME_BUTTON, "Rename", TPM_LEFTALIGN);
}

static void OnBoxCommand(HWND window, WPARAM wp)
{
    SetFocus(window);
    int id = LOWORD(wp);
    int i = id - NBX_BUTTON_ID_BASE;
    if (i >= 0 && i < buttonCount) pressCount[i]++;
    else if (id == CMD_DESTROY_BOX) NBX_CloseButtonBox();
    else if (id == CMD_RENAME_BUTTON) RenameButton(renameIndex);
}

static void OnBoxKeyDown(HWND window, WPARAM wp, LPARAM lp)
{
    if (GetKeyState(VK_CONTROL) < 0) {
        if (wp == 'Q') PostMessageW(window, WM_CLOSE, 0, 0);
        return;
    }
    if (wp == 'X' || wp == VK_ESCAPE || wp == 'S' || wp == 'C') {
        PostMessageW(nbx_mainWindow, WM_KEYDOWN, wp, lp);
        return;
    }
    int digit = ButtonForDigitKey((unsigned int)wp);
    if (digit >= 0) pressCount[digit]++;
}

LRESULT CALLBACK ButtonBoxProc(HWND window, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_MOVE:
        RebuildEdgeTable();
        return 0;
    case WM_SIZE:
        OnBoxSize(lp);
        return 0;
    case WM_CLOSE:
        NBX_CloseButtonBox();
        return 0;
    case WM_DESTROY:
        return 0;
    case WM_NCRBUTTONDOWN:
        TrackSingleItemMenu(window, CMD_DESTROY_BOX, "&Destroy\tCtrl+Q", TPM_RIGHTBUTTON);
        return 0;
    case WM_RBUTTONDOWN:
        OnBoxRightClick(window, lp);
        return 0;
    case WM_LBUTTONDBLCLK:
        RenameButton(PointIndex(lp));
        return 0;
    case WM_COMMAND:
        if (HIWORD(wp) != 0) break;
        OnBoxCommand(window, wp);
        return 0;
    case WM_GETDLGCODE:
        // The dialog-key handling of the pump would turn Esc into IDCANCEL
        // and arrows into focus moves; the box wants its keys as they are.
        if (lp && ((MSG *)lp)->hwnd == window) return DLGC_WANTALLKEYS;
        break;
    case WM_KEYDOWN:
        OnBoxKeyDown(window, wp, lp);
        return 0;
    case WM_MOVING:
        SnapMovingRect(window, (RECT *)lp);
        return 0;
    }
    return DefWindowProcW(window, message, wp, lp);
}
