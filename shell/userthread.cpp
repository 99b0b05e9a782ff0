// userthread.cpp - the user thread, its idle loop, the pumps and the request
// channel through which the main window asks for windows it cannot create on
// its own thread.
//
// Hand-over is by word-sized flags: the poster writes every parameter before
// the request code, the servicer sets the done flag before it clears the code.
#include "shell/nbx_internal.h"

volatile int nbx_start;
volatile int nbx_running;
volatile int nbx_stop;
volatile int nbx_quit;
volatile int nbx_pickActive;
volatile int nbx_request;
volatile int nbx_done = 1;
HANDLE nbx_userThread;
DWORD  nbx_userThreadId;

static struct {
    volatile int index;
    const char *volatile name;
    volatile int x, y, width, height, bits, zoom;
    const char *volatile fileName;
    volatile HBITMAP bitmap;
    // Where the caller wants the result: every call waits in a frame of its
    // own, and a drop or command served by that wait's pumping may post
    // requests of its own before the outer call has read its result.
    volatile int *result;
} request;

// ------------------------------------------------------------------ pumps

void PumpOwnMessages(void)
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE)) {
        if (GetMessageW(&msg, NULL, 0, 0) <= 0) return;  // WM_QUIT: the main loop checks its flag
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void NBX_PumpMessages(void)
{
    MSG msg;
    while (PeekMessageW(&msg, NULL, 0, 0, PM_NOREMOVE)) {
        if (GetMessageW(&msg, NULL, 0, 0) <= 0) return;
        HWND inputBox = InputBoxWindow();
        if (inputBox && IsDialogMessageW(inputBox, &msg)) continue;
        HWND buttonBox = ButtonBoxWindow();
        if (buttonBox && IsDialogMessageW(buttonBox, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void NBX_SetForeground(HWND window)
{
    SetForegroundWindow(window);
}

// ------------------------------------------------------- posting requests

// One turn of a wait for the user thread: pump, then sleep until a message
// arrives or a millisecond passes (the user thread serves between its own
// one-millisecond sleeps), so the wait does not hold a processor.
static void PumpAndRest(void)
{
    PumpOwnMessages();
    MsgWaitForMultipleObjectsEx(0, NULL, 1, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

// Steps 1, 3 and 4 of every request; the caller writes the parameters in
// between through `fill`. The wait gives up when the program is ending, so a
// request can never hold up Exit.
template <typename Fill>
static void PostRequest(int code, Fill fill)
{
    while (nbx_request != 0 && !nbx_quit) PumpAndRest();
    fill();
    if (code != NBX_REQ_REDRAW_IMAGE) nbx_done = 0;
    MemoryBarrier();
    nbx_request = code;
    if (code == NBX_REQ_REDRAW_IMAGE) return;
    while (!nbx_done && !nbx_quit) PumpAndRest();
}

int RequestCreateImage(int index, const char *name, int width, int height, int bits)
{
    volatile int result = 4;
    PostRequest(NBX_REQ_CREATE_IMAGE, [&] {
        request.result = &result;
        request.index = index; request.name = name;
        request.width = width; request.height = height; request.bits = bits;
        request.x = request.y = -1; request.zoom = 100;
    });
    return result;
}

void RequestRedrawImage(int index)
{
    PostRequest(NBX_REQ_REDRAW_IMAGE, [&] { request.index = index; });
}

int RequestLoadImageFile(int index, const char *file)
{
    volatile int result = 1;
    PostRequest(NBX_REQ_LOAD_IMAGE, [&] {
        request.result = &result;
        request.index = index; request.fileName = file; request.x = request.y = 0;
    });
    return result;
}

void RequestPasteBitmap(HBITMAP bitmap)
{
    PostRequest(NBX_REQ_PASTE_BITMAP, [&] { request.bitmap = bitmap; });
}

void RequestOpenTextWindow(int index)
{
    HWND open = TextWindowHandle(index);
    if (open) {
        SetForegroundWindow(open);
        return;
    }
    PostRequest(NBX_REQ_OPEN_TEXT, [&] {
        request.index = index;
        request.x = request.y = request.width = request.height = -1;
    });
}

void RequestOpenInputBox(int count)
{
    PostRequest(NBX_REQ_OPEN_INPUT, [&] { request.index = count; request.x = request.y = 0; });
}

void RequestOpenButtonBox(int nx, int ny)
{
    PostRequest(NBX_REQ_OPEN_BUTTONS, [&] {
        request.width = nx; request.height = ny; request.x = request.y = 0;
    });
}

// ------------------------------------------------------ servicing requests

void ServiceRequest(void)
{
    MemoryBarrier();
    int index = request.index;
    switch (nbx_request) {
    case NBX_REQ_CREATE_IMAGE:
        *request.result = index < 256
            ? CreateImageWindow(request.zoom, index, request.name, request.x, request.y,
                                request.width, request.height, request.bits)
            : 4;
        break;
    case NBX_REQ_REDRAW_IMAGE:
        NBX_DrawImage(index);
        break;
    case NBX_REQ_LOAD_IMAGE:
        SelectImage(index);
        *request.result = LoadImageFile(request.fileName, request.x, request.y);
        RestoreImage();
        break;
    case NBX_REQ_PASTE_BITMAP:
        PasteBitmapIntoCurrent(request.bitmap);
        break;
    case NBX_REQ_OPEN_TEXT:
        if (index >= 0 && index < 256)
            NBX_OpenTextWindow(index, request.x, request.y, request.width, request.height);
        break;
    case NBX_REQ_OPEN_INPUT:
        OpenInputBoxFresh(request.x, request.y, index);
        break;
    case NBX_REQ_OPEN_BUTTONS:
        OpenButtonBoxFresh(request.x, request.y, request.width, request.height);
        break;
    }
    MemoryBarrier();
    nbx_done = 1;
    MemoryBarrier();
    nbx_request = 0;
}

// ------------------------------------------------------------ user thread

// Idle: pump, serve requests and wait for Start or Exit. Returns TRUE when the
// program is ending (the thread must end), FALSE when Start was given.
static BOOL IdleUntilStartOrQuit(BOOL acceptStart)
{
    for (;;) {
        if (nbx_quit) {
            nbx_quit = 2;
            NBX_PumpMessages();
            return TRUE;
        }
        Sleep(1);
        NBX_PumpMessages();
        if (nbx_request) ServiceRequest();
        if (acceptStart && nbx_start && !nbx_running) return FALSE;
    }
}

DWORD WINAPI UserThreadProc(LPVOID)
{
    UserInit();
    RebuildEdgeTable();
    if (IdleUntilStartOrQuit(TRUE)) return 0;

    DragAcceptFiles(nbx_mainWindow, FALSE);
    nbx_running = 1;
    nbx_start = 0;
    nbx_stop = 0;
    UserMain();

    // A user program that returns keeps its windows on screen and alive until
    // Exit, which then finds the thread ending by itself.
    IdleUntilStartOrQuit(FALSE);
    return 0;
}
