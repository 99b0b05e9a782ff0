// nbx_internal.h - what the framework's subsystems share with each other
// (not seen by user programs). Each section names the folder that owns it.
#ifndef NBX_INTERNAL_H
#define NBX_INTERNAL_H

#include "nubrix.h"

#ifdef __cplusplus
extern "C" {
#endif

#define NBX_PATH 260

// ---------------------------------------------------------------- shell/
extern int       nbx_instance;               // 0..9
extern WCHAR     nbx_mainClassName[11];      // "nubrix_mw%d"
extern HINSTANCE nbx_hInstance;
extern HWND      nbx_statusWindow;
extern int       nbx_colorDepth;
extern double    nbx_msecFactor;
extern char      nbx_openDir[NBX_PATH];      // open-file dialog folder
extern char      nbx_saveDir[NBX_PATH];      // save-file dialog folder
extern char      nbx_logDir[NBX_PATH];       // log folder, ends in '\'
extern HFONT     nbx_ttFont;
extern DWORD     nbx_tttc;
extern int       nbx_fontCursorX, nbx_fontLineX, nbx_fontBaseY;
extern COLORREF  nbx_customColors[16];
extern volatile int nbx_inputActive;         // text window + 1 while input waits
extern volatile int nbx_pickActive;          // non-zero while a pick tool waits
extern HANDLE    nbx_userThread;
extern DWORD     nbx_userThreadId;

// Request channel (main thread sets, user thread services).
extern volatile int nbx_request;
extern volatile int nbx_done;

enum {
    NBX_REQ_CREATE_IMAGE = 9001,
    NBX_REQ_REDRAW_IMAGE = 9002,
    NBX_REQ_LOAD_IMAGE   = 9003,
    NBX_REQ_PASTE_BITMAP = 9004,
    NBX_REQ_OPEN_TEXT    = 9005,
    NBX_REQ_OPEN_INPUT   = 9006,
    NBX_REQ_OPEN_BUTTONS = 9007
};

int  RequestCreateImage(int index, const char *name, int width, int height, int bits);
void RequestRedrawImage(int index);
int  RequestLoadImageFile(int index, const char *file);
void RequestPasteBitmap(HBITMAP bitmap);
void RequestOpenTextWindow(int index);
void RequestOpenInputBox(int count);
void RequestOpenButtonBox(int nx, int ny);
void PumpOwnMessages(void);
void ServiceRequest(void);
DWORD WINAPI UserThreadProc(LPVOID unused);

void SetStatusText(const char *text);
void InsertMenuString(HMENU menu, UINT position, UINT state, UINT id, const char *text);
void InsertMenuSeparator(HMENU menu, UINT position);
void InsertSubMenu(HMENU menu, HMENU submenu, UINT position, const char *text);
void ShowPauseMessage(const char *text);
int  GetMsec(void);

void RebuildEdgeTable(void);
void SnapMovingRect(HWND window, RECT *rect);

LRESULT CALLBACK MainWindowProc(HWND, UINT, WPARAM, LPARAM);

// Windows made by hand from the main window (shell/creation.cpp), on the
// main thread: Paste 1026, "Image Window" 1027, "Text Window" 1028, "Input
// Box" 1044, "Button Box" 1051, and WM_DROPFILES (releases the drop).
void PasteClipboardAsNewImage(void);
void RunImageWindowCommand(void);
void RunTextWindowCommand(void);
void RunInputBoxCommand(void);
void RunButtonBoxCommand(void);
void OpenDroppedFiles(HDROP drop);

// ANSI <-> UTF-16 at window, menu and clipboard boundaries. Both always
// terminate the output; the result is the number of units written.
int  NbxAnsiToWide(const char *text, WCHAR *out, int outUnits);
int  NbxWideToAnsi(const WCHAR *text, char *out, int outBytes);
// Cuts a narrow text of that code page at `maxBytes` without splitting a
// double-byte character; returns the new length.
int  NbxCutAnsi(char *text, int maxBytes, UINT codePage = CP_ACP);

// The one place that knows about Wine: turns a Windows path into the path the
// host's C library sees (unchanged on Windows). False when it cannot.
BOOL NbxHostPath(const char *windowsPath, char *hostPath, int hostBytes);

// --------------------------------------------------------------- textwin/
LRESULT CALLBACK TextWindowProc(HWND, UINT, WPARAM, LPARAM);
void ResetTextWindows(void);          // clear table and remembered line
HWND TextWindowHandle(int index);     // NULL when closed or out of range
int  CurrentTextWindow(void);

// ------------------------------------------------------------------ boxes/
LRESULT CALLBACK ButtonBoxProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK InputBoxProc(HWND, UINT, WPARAM, LPARAM);
HWND ButtonBoxWindow(void);           // NULL when none
HWND InputBoxWindow(void);            // NULL when none
void OpenButtonBoxFresh(int x, int y, int nx, int ny);   // request 9007
void OpenInputBoxFresh(int x, int y, int count);         // request 9006
// Item count of the open box (0 when none) and the current widths.
int  InputBoxLayout(int *isize, int *esize);
HWND InputBoxLabel(int index);        // NULL when no box or no such item
// Columns and rows of the open button box; 0 when none.
int  ButtonBoxGrid(int *nx, int *ny);
// A popup menu of one item at the cursor, owned by window.
void TrackSingleItemMenu(HWND window, UINT id, const char *text, UINT flags);
// Prints "index 'current text' ->" (the control's text, at most maxUnits
// units) in the current text window, opening one if needed, and reads the
// answer into line (256 bytes). Line input pumps: the control may be gone
// when this returns.
void AskForNewText(int index, HWND control, int maxUnits, char *line);

// --------------------------------------------------------------- imagewin/
LRESULT CALLBACK ImageWindowProc(HWND, UINT, WPARAM, LPARAM);
void ResetImageTable(void);           // table free, history 0
int  CreateImageWindow(int zoom, int n, const char *title, int x, int y,
                       int width, int height, int bits);
int  SelectImage(int n);
int  RestoreImage(void);
int  LoadImageFile(const char *file, int x, int y);      // into the current image
void PasteBitmapIntoCurrent(HBITMAP bitmap);             // request 9004
// OpenClipboard, retried for about a second: another program may hold the
// clipboard for a moment.
BOOL OpenClipboardSoon(void);
extern int nbx_imageHistory[8];       // earlier current images, most recent first
// Opens image n again with a new size at the same place, zoom, stretch mode
// and (8-bit) palette, then closes the old window; the new buffer is cleared.
// 0, or the creation results (1 also when n is out of range or free); on a
// failure image n is left as it was, pixels included.
int  RecreateImageWindow(int n, int width, int height);
int  ClearImage(int n);               // zero bytes; 1 when out of range or free
// Copies a w x h area at (x, y) of the current image into buffer, packed
// (w words per row for 32-bit, w bytes for 8-bit); outside pixels read 0.
int  ReadImageArea(void *buffer, int x, int y, int w, int h);
int  FindImageWindow(HWND window);    // image number, -1 when none
int  FindAndSelectImageWindow(HWND window);
int  SetImageZoom(int zoom, int n);   // 0; 1 bad number; 2 no zoom fits
int  SetImageStretchMode(int mode, int n);   // 3 COLORONCOLOR or 4 HALFTONE
int  GetImageStretchMode(int n);      // 0 when out of range or free
void UpdateImageTitle(int n);         // caption from the record and mode
// Image files and dialogs (imagewin/imagefile.cpp), used by the image window
// procedure: "&Load image file" (1004), "&Save as" (1010) and dropped files.
void RunLoadImageCommand(int n);
void RunSaveAsCommand(int n);
int  SaveFileDialog(char *path);      // 0 chosen, 1 cancelled
extern int nbx_jpegQuality;           // JPEG quality of saves, 100 at start
extern int nbx_openFilterIndex;       // open dialog's last filter, 1..9
extern int nbx_saveFilterIndex;       // save dialog's last filter, 1..6
// Saves the current image as type 0 BMP, 1 JPEG, 2 GIF, 3 PNG, 4 TIFF, the
// type's extension appended unless the path has it. 0 saved; 1 failed (also
// when the path cannot take the extension); 2 width or height not positive;
// 3 current image out of range or free.
int  SaveImageFile(int height, int width, int type, const char *path);
// Colour table of the current 8-bit image as 0x00RRGGBB words from index 0.
// 0; 1 current image out of range or free; 2 not 8-bit.
int  SetImagePalette(const DWORD *entries, int count);
int  GetImagePalette(DWORD *entries);  // 256 entries
// Class id of the first GDI+ encoder of that MIME type; all zero if none.
CLSID FindEncoder(const WCHAR *mimeType);

#ifdef __cplusplus
}
#endif

#endif
