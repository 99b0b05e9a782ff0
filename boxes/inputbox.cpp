// inputbox.cpp - the input box: one window holding a column of labelled edit
// fields. The framework copies a field's text into its item's value buffer
// when the field loses the focus or Enter is pressed; the user program reads
// the buffers (NBX_GetInputValue) from its own loop.
#include "shell/nbx_internal.h"
#include "boxes/inputbox_logic.h"

// ----------------------------------------------------------- pure logic

void InputWidthsForClient(int lastEdge, int clientWidth, int *isize, int *esize)
{
    if (lastEdge == WMSZ_LEFT || lastEdge == WMSZ_TOPLEFT || lastEdge == WMSZ_BOTTOMLEFT) {
        *isize = clientWidth - *esize - 12;
        if (*isize < 1) *isize = 1;
    } else {
        *esize = clientWidth - *isize - 12;
        if (*esize < 1) *esize = 1;
    }
}

// ------------------------------------------------------------ the state

static const DWORD kBoxStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
static const DWORD kLabelStyle = WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP;
static const DWORD kFieldStyle = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;

// Child ids stay clear of IDOK (1): the dialog-key handling looks a control
// of that id up for Enter.
enum { LABEL_ID_BASE = 2000, FIELD_ID_BASE = 2100, CMD_DESTROY_BOX = 1023, CMD_RENAME_ITEM = 1056 };

static HWND boxWindow;
static int itemCount;
// The widths belong to the framework: the next box starts with the last ones.
static int labelWidth = 80, fieldWidth = 70;
static HWND labels[NBX_INPUT_MAX], fields[NBX_INPUT_MAX];
// Kept in static storage, so a pointer handed out by NBX_GetInputValue never
// dangles; a closed box leaves them empty.
static char values[NBX_INPUT_MAX][NBX_INPUT_VALUE];
static HWND rememberedField;
static int lastSizingEdge;
static int renameIndex;

HWND InputBoxWindow(void) { return boxWindow; }

int InputBoxLayout(int *isize, int *esize)
{
    *isize = labelWidth;
    *esize = fieldWidth;
    return boxWindow ? itemCount : 0;
}

HWND InputBoxLabel(int index) { return boxWindow && index >= 0 && index < itemCount ? labels[index] : NULL; }

static int FieldIndex(HWND field)
{
    for (int i = 0; i < itemCount; i++)
        if (fields[i] == field) return i;
    return -1;
}

static void SetWideText(HWND window, const char *ansi)
{
    WCHAR wide[NBX_INPUT_VALUE];
    NbxAnsiToWide(ansi, wide, NBX_INPUT_VALUE);
    SetWindowTextW(window, wide);
}

static void StoreField(HWND field)
{
    int i = FieldIndex(field);
    if (i < 0) return;
    WCHAR wide[NBX_INPUT_VALUE];
    wide[0] = 0;
    GetWindowTextW(field, wide, NBX_INPUT_VALUE);
    NbxWideToAnsi(wide, values[i], NBX_INPUT_VALUE);
}

static void LayOutItems(void)
{
    for (int i = 0; i < itemCount; i++) {
        SetWindowPos(labels[i], NULL, 0, 0, labelWidth, 24, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(fields[i], NULL, InputFieldLeft(labelWidth), InputFieldTop(i), fieldWidth, 24,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

// ------------------------------------------------------------- the calls

void NBX_OpenInputBox(int x, int y, int items)
{
    if (boxWindow) return;
    int count = ClampInputItems(items);
    int clientWidth, clientHeight;
    InputBoxClientSize(labelWidth, fieldWidth, count, &clientWidth, &clientHeight);
    RECT frame = { 0, 0, clientWidth, clientHeight };
    AdjustWindowRect(&frame, kBoxStyle, FALSE);
    itemCount = 0;   // the creation's own WM_SIZE finds no items yet
    HWND box = CreateWindowExW(0, L"nbx_ib", L"InputBox", kBoxStyle, x, y,
                               frame.right - frame.left, frame.bottom - frame.top,
                               nbx_mainWindow, NULL, nbx_hInstance, NULL);
    if (!box) return;
    boxWindow = box;
    for (int i = 0; i < count; i++) {
        WCHAR label[16];
        wsprintfW(label, L"Item %d", i);
        labels[i] = CreateWindowExW(0, L"STATIC", label, kLabelStyle, 4, InputLabelTop(i), labelWidth, 24,
                                    box, (HMENU)(INT_PTR)(LABEL_ID_BASE + i), nbx_hInstance, NULL);
        lstrcpyA(values[i], "0");
        fields[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0", kFieldStyle, InputFieldLeft(labelWidth),
                                    InputFieldTop(i), fieldWidth, 24, box,
                                    (HMENU)(INT_PTR)(FIELD_ID_BASE + i), nbx_hInstance, NULL);
        itemCount = i + 1;
    }
    UpdateWindow(box);
    SetForegroundWindow(box);
    SetFocus(fields[0]);
}

void NBX_CloseInputBox(void)
{
    if (!boxWindow) return;
    if (!DestroyWindow(boxWindow))
        MessageBoxW(nbx_mainWindow, L"DestroyWindow[IB] Error", L"NUBRIX Error!", MB_OK | MB_ICONERROR);
    for (int i = 0; i < NBX_INPUT_MAX; i++) {
        values[i][0] = 0;
        labels[i] = fields[i] = NULL;
    }
    itemCount = 0;
    rememberedField = NULL;
    boxWindow = NULL;
}

void OpenInputBoxFresh(int x, int y, int count)
{
    NBX_CloseInputBox();
    NBX_OpenInputBox(x, y, count);
}

const char *NBX_GetInputValue(int index)
{
    return boxWindow && index >= 0 && index < itemCount ? values[index] : "";
}

int NBX_ResizeInputBox(int isize, int esize)
{
    if (isize < 1 || esize < 1) return 1;
    labelWidth = isize;
    fieldWidth = esize;
    if (!boxWindow) return 0;
    int clientWidth, clientHeight;
    InputBoxClientSize(labelWidth, fieldWidth, itemCount, &clientWidth, &clientHeight);
    RECT frame = { 0, 0, clientWidth, clientHeight };
    AdjustWindowRect(&frame, kBoxStyle, FALSE);
    // The size handling then lays the items out (and agrees with the widths
    // unless the system keeps the window wider than asked).
    SetWindowPos(boxWindow, NULL, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LayOutItems();
    return 0;
}

int NBX_SetInputBoxTitle(int index, const char *title)
{
    HWND label = InputBoxLabel(index);
    if (!label || !title) return 1;
    SetWideText(label, title);
    return 0;
}

// ---------------------------------------------------------------- rename

// Asks for a new label in the current text window. Line input pumps, so the
// box may be gone or rebuilt when the answer comes back.
static void RenameItem(int index)
{
    char line[256];
    AskForNewText(index, InputBoxLabel(index), 256, line);
    HWND label = InputBoxLabel(index);
    if (!line[0] || !label) return;
    SetWindowTextW(label, L"                    ");
    SetWideText(label, line);
}

// ------------------------------------------------------ window procedure

static void OnBoxSize(LPARAM lp)
{
    if (!itemCount) return;
    InputWidthsForClient(lastSizingEdge, LOWORD(lp), &labelWidth, &fieldWidth);
    LayOutItems();
}

// Only the width follows the drag.
static void OnBoxSizing(HWND window, WPARAM edge, RECT *proposed)
{
    RECT current;
    GetWindowRect(window, &current);
    proposed->top = current.top;
    proposed->bottom = current.bottom;
    lastSizingEdge = (int)edge;
}

// Activation gives the focus back to the field that had it. Deactivation
// is left alone: setting the focus into the box then would pull the
// activation back from the window the user chose.
static void OnBoxActivate(WPARAM wp)
{
    if (LOWORD(wp) == WA_INACTIVE || !itemCount) return;
    if (!rememberedField) rememberedField = fields[0];
    SetFocus(rememberedField);
    PostMessageW(fields[0], EM_SETSEL, 0, GetWindowTextLengthW(fields[0]));
}

static void OnBoxCommand(WPARAM wp, LPARAM lp)
{
    HWND control = (HWND)lp;
    if (!control) {
        if (LOWORD(wp) == IDOK && rememberedField) StoreField(rememberedField);
        else if (LOWORD(wp) == CMD_DESTROY_BOX) NBX_CloseInputBox();
        else if (LOWORD(wp) == CMD_RENAME_ITEM) RenameItem(renameIndex);
        return;
    }
    if (FieldIndex(control) < 0) return;
    if (HIWORD(wp) == EN_SETFOCUS) rememberedField = control;
    else if (HIWORD(wp) == EN_KILLFOCUS) StoreField(control);
}

LRESULT CALLBACK InputBoxProc(HWND window, UINT message, WPARAM wp, LPARAM lp)
{
    switch (message) {
    case WM_MOVE:
        RebuildEdgeTable();
        return 0;
    case WM_SIZE:
        OnBoxSize(lp);
        return 0;
    case WM_SIZING:
        OnBoxSizing(window, wp, (RECT *)lp);
        return 0;
    case WM_MOVING:
        SnapMovingRect(window, (RECT *)lp);
        return 0;
    case WM_ACTIVATE:
        OnBoxActivate(wp);
        return 0;
    case WM_CLOSE:
        NBX_CloseInputBox();
        return 0;
    case WM_DESTROY:
        return 0;
    case WM_NCRBUTTONDOWN:
        TrackSingleItemMenu(window, CMD_DESTROY_BOX, "Destroy", TPM_RIGHTBUTTON);
        return 0;
    case WM_RBUTTONDOWN:
        renameIndex = InputItemAtY(HIWORD(lp));
        TrackSingleItemMenu(window, CMD_RENAME_ITEM, "Rename", TPM_RIGHTBUTTON);
        return 0;
    case WM_LBUTTONDBLCLK:
        RenameItem(InputItemAtY(HIWORD(lp)));
        return 0;
    case WM_COMMAND:
        OnBoxCommand(wp, lp);
        return 0;
    }
    return DefWindowProcW(window, message, wp, lp);
}
