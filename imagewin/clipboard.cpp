// clipboard.cpp - Cut, Copy and Paste of image windows through the
// clipboard, and the bitmap the main window hands over (request 9004).
#include "imagewin/clipboard.h"
#include "imagewin/clipboard_logic.h"
#include "imagewin/imagemenu.h"
#include "imagewin/imagewin_private.h"
#include "imageproc/picktools_logic.h"
#include <string.h>

// Other programs, and Wine's own bridge to the X selection after every
// change, hold the clipboard open for a moment; under load that moment can
// pass a tenth of a second, so a copy waits up to about one second.
BOOL OpenClipboardSoon(void)
{
    for (int tries = 0; tries < 100; tries++) {
        if (OpenClipboard(NULL)) return TRUE;
        Sleep(10);
    }
    return FALSE;
}

static Canvas CanvasOf(int n)
{
    const ImageRecord &r = nbx_images[n];
    return MakeCanvas(nbx_pixels8[n], r.bits, r.width, r.height);
}

bool CopyImageToClipboard(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r || !OpenClipboardSoon()) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, DibBlockBytes(r->bits, r->width, r->height));
    void *data = block ? GlobalLock(block) : NULL;
    if (!data) {
        if (block) GlobalFree(block);
        CloseClipboard();
        ShowPauseMessage("No enough memory for copy");
        return false;
    }
    DWORD palette[256] = { 0 };
    if (r->bits == 8) GetDIBColorTable(r->memDC, 0, 256, (RGBQUAD *)palette);
    GdiFlush();
    WriteDibBlock(CanvasOf(n), palette, data);
    GlobalUnlock(block);
    bool placed = SetClipboardData(CF_DIB, block) != NULL;   // the clipboard owns it now
    if (!placed) GlobalFree(block);
    CloseClipboard();
    return placed;
}

static HBITMAP BitmapFromDib(HANDLE data, DWORD *palette, int *entries)
{
    const void *block = data ? GlobalLock(data) : NULL;
    if (!block) return NULL;
    HBITMAP bitmap = NULL;
    DibView view;
    if (ReadDibBlock(block, GlobalSize(data), &view)) {
        // A bitmap of the block's own format: one in the screen's format
        // would turn palette indexes into colours, and the blit back into an
        // 8-bit image would then have to guess the indexes again (under Wine
        // neighbouring grey levels come back as one).
        void *rows = NULL;
        bitmap = CreateDIBSection(NULL, (const BITMAPINFO *)&view.info, DIB_RGB_COLORS, &rows, NULL, 0);
        if (bitmap && rows) {
            memcpy(rows, view.rows, view.rowBytes);
            memcpy(palette, view.info.colors, view.colorCount * sizeof(DWORD));
            *entries = view.colorCount;
        } else if (bitmap) {
            DeleteObject(bitmap);
            bitmap = NULL;
        }
    }
    GlobalUnlock(data);
    return bitmap;
}

HBITMAP ReadClipboardBitmap(DWORD *palette, int *entries)
{
    *entries = 0;
    HBITMAP bitmap = NULL;
    if (IsClipboardFormatAvailable(CF_DIB)) {
        if (!OpenClipboardSoon()) return NULL;
        bitmap = BitmapFromDib(GetClipboardData(CF_DIB), palette, entries);
        CloseClipboard();
    } else if (IsClipboardFormatAvailable(CF_BITMAP)) {
        if (!OpenClipboardSoon()) return NULL;
        HANDLE shared = GetClipboardData(CF_BITMAP);
        // Always a copy of its own: the clipboard keeps and frees its bitmap.
        if (shared) bitmap = (HBITMAP)CopyImage(shared, IMAGE_BITMAP, 0, 0, 0);
        CloseClipboard();
    }
    return bitmap;
}

// Blits a bitmap selected in `source` into image n at (x, y). Blits from
// other bitmaps may fill the top byte of 32-bit pixels; it is cleared again.
static void BlitInto(int n, HDC source, int x, int y, int w, int h)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return;
    BitBlt(r->memDC, x, y, w, h, source, 0, 0, SRCCOPY);
    GdiFlush();
    Canvas c = CanvasOf(n);
    ClearTopBytes(c, x, y, w, h);
}

void PasteImageFromClipboard(int x, int n, int y)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return;
    DWORD palette[256];
    int entries = 0;
    HBITMAP bitmap = ReadClipboardBitmap(palette, &entries);
    if (!bitmap) return;
    HDC source = CreateCompatibleDC(r->memDC);
    HGDIOBJ old = SelectObject(source, bitmap);
    BITMAP info;
    bool placed = GetObjectW(bitmap, sizeof info, &info) != 0;
    if (placed && (x == -1 || y == -1)) {
        int cx, cy;
        placed = PickBlock(n, &cx, &cy, info.bmWidth, info.bmHeight) == 0;
        x = cx - info.bmWidth / 2;
        y = cy - info.bmHeight / 2;
    }
    r = ImageInUse(n);   // the window may have gone while the user placed it
    if (placed && r) {
        if (entries) SetDIBColorTable(r->memDC, 0, entries, (const RGBQUAD *)palette);
        BlitInto(n, source, x, y, info.bmWidth, info.bmHeight);
        InvalidateRect(r->window, NULL, FALSE);
    }
    SelectObject(source, old);
    DeleteObject(bitmap);
    DeleteDC(source);
}

void BlitBitmapToImage(HBITMAP bitmap)
{
    ImageRecord *r = ImageInUse(nbx_curImage);
    BITMAP info;
    if (r && bitmap && GetObjectW(bitmap, sizeof info, &info)) {
        HDC source = CreateCompatibleDC(r->memDC);
        HGDIOBJ old = SelectObject(source, bitmap);
        BlitInto(nbx_curImage, source, 0, 0, info.bmWidth, info.bmHeight);
        SelectObject(source, old);
        DeleteDC(source);
    }
    if (bitmap) DeleteObject(bitmap);
}

// Request 9004 of the main window's Paste.
void PasteBitmapIntoCurrent(HBITMAP bitmap) { BlitBitmapToImage(bitmap); }

// ------------------------------------------------------------- commands

// Cut clears the image only once its picture is safely on the clipboard.
void RunCutCommand(int n)
{
    if (!CopyImageToClipboard(n) || ClearImage(n) != 0) return;
    InvalidateRect(nbx_images[n].window, NULL, FALSE);
}

void RunCopyCommand(int n) { CopyImageToClipboard(n); }

void RunPasteCommand(int n, bool atCorner)
{
    if (atCorner) PasteImageFromClipboard(0, n, 0);
    else PasteImageFromClipboard(-1, n, -1);
}
