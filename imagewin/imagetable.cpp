// imagetable.cpp - the table of 256 image windows, their pixel buffers, the
// current image and its history.
#include "shell/nbx_internal.h"
#include "imagewin/imagewin_logic.h"
#include "imagewin/imagewin_private.h"
#include <stdlib.h>
#include <string.h>

ImageRecord    nbx_images[256];
DWORD         *nbx_pixels[256];
unsigned char *nbx_pixels8[256];
int            nbx_curImage;
int            nbx_imageHistory[8];

static const DWORD kImageStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;

ImageRecord *ImageInUse(int n)
{
    if ((unsigned)n >= 256 || !nbx_images[n].inUse) return NULL;
    return &nbx_images[n];
}

void ResetImageTable(void)
{
    ZeroMemory(nbx_images, sizeof nbx_images);
    ZeroMemory(nbx_imageHistory, sizeof nbx_imageHistory);
    nbx_curImage = 0;
}

void GetWindowLimits(int mode, ImageLimits *limits)
{
    ImageMetrics m;
    m.cxMin = GetSystemMetrics(SM_CXMIN);
    m.cyMin = GetSystemMetrics(SM_CYMIN);
    m.cxFrame = GetSystemMetrics(SM_CXFRAME);
    m.cyCaption = GetSystemMetrics(SM_CYCAPTION);
    m.cxScreen = GetSystemMetrics(SM_CXSCREEN);
    m.cyScreen = GetSystemMetrics(SM_CYSCREEN);
    LimitsForMode(mode, m, limits);
}

// ------------------------------------------------------------- creation

static char *CopyTitle(const char *title)
{
    if (!title) title = "";
    size_t len = strlen(title);
    char *copy = (char *)malloc(len + 1);
    if (copy) memcpy(copy, title, len + 1);
    return copy;
}

// Releases whatever a record holds; the record is left free.
static void ReleaseRecord(ImageRecord *r)
{
    r->inUse = 0;
    if (r->memDC && r->prevBitmap) SelectObject(r->memDC, r->prevBitmap);
    if (r->bitmap) DeleteObject(r->bitmap);
    if (r->memDC) DeleteDC(r->memDC);
    if (r->windowDC) ReleaseDC(r->window, r->windowDC);
    free(r->title);
    HWND window = r->window;
    r->memDC = r->windowDC = NULL;
    r->bitmap = r->prevBitmap = NULL;
    r->title = NULL;
    r->window = NULL;
    if (window) DestroyWindow(window);
}

// The DIB section of a width x height buffer: top-down, grey-ramp colours.
static HBITMAP CreatePixelSection(HDC dc, int bits, int width, int height, void **pixels)
{
    struct { BITMAPINFOHEADER h; RGBQUAD colors[256]; } *info =
        (decltype(info))HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *info);
    if (!info) return NULL;
    info->h.biSize = sizeof(BITMAPINFOHEADER);
    info->h.biWidth = width;
    info->h.biHeight = -height;
    info->h.biPlanes = 1;
    info->h.biBitCount = (WORD)bits;
    info->h.biCompression = BI_RGB;
    for (int i = 0; i < 256; i++) {
        info->colors[i].rgbBlue = info->colors[i].rgbGreen = info->colors[i].rgbRed = (BYTE)i;
    }
    *pixels = NULL;
    HBITMAP section = CreateDIBSection(dc, (BITMAPINFO *)info, DIB_RGB_COLORS, pixels, NULL, 0);
    HeapFree(GetProcessHeap(), 0, info);
    return section;
}

static void PrepareDC(HDC dc)
{
    SetStretchBltMode(dc, COLORONCOLOR);
    SetBrushOrgEx(dc, 0, 0, NULL);
}

// Opens a window with its DCs and a cleared width x height buffer into `r`,
// which the table does not see yet. 0, or 2 no zoom fits the limits, 3 no
// window or buffer (then nothing is left open and `r` is free).
static int OpenRecord(ImageRecord *r, int zoom, const char *title, int x, int y,
                      int width, int height, int bits, int limitMode)
{
    ImageLimits limits = {};
    GetWindowLimits(limitMode, &limits);
    int z, w, h;
    if (!FitZoom(zoom, width, height, limits, &z, &w, &h)) return 2;

    ZeroMemory(r, sizeof *r);
    r->bits = bits;
    r->limitMode = limitMode;
    r->width = width;
    r->height = height;
    r->zoom = z;
    r->dispWidth = w;
    r->dispHeight = h;

    RECT outer = { 0, 0, w, h };
    AdjustWindowRect(&outer, kImageStyle, FALSE);
    r->title = CopyTitle(title);

    char caption[256];
    FormatImageCaption(caption, sizeof caption, z, r->title ? r->title : "", bits, false);
    WCHAR wideCaption[256];
    NbxAnsiToWide(caption, wideCaption, 256);

    r->window = CreateWindowExW(0, L"nbx_iw", wideCaption, kImageStyle,
                                x == -1 ? CW_USEDEFAULT : x, y == -1 ? CW_USEDEFAULT : y,
                                outer.right - outer.left, outer.bottom - outer.top,
                                nbx_mainWindow, NULL, nbx_hInstance, NULL);
    if (!r->window) {
        ReleaseRecord(r);
        return 3;
    }
    UpdateWindow(r->window);
    SetForegroundWindow(r->window);
    DragAcceptFiles(r->window, TRUE);

    r->windowDC = GetDC(r->window);
    PrepareDC(r->windowDC);
    r->memDC = CreateCompatibleDC(r->windowDC);
    PrepareDC(r->memDC);

    void *pixels = NULL;
    r->bitmap = CreatePixelSection(r->windowDC, bits, width, height, &pixels);
    if (!r->bitmap || !pixels) {
        // No buffer: the window already opened goes again, so nothing is
        // left on screen without a record behind it.
        ReleaseRecord(r);
        return 3;
    }
    r->prevBitmap = (HBITMAP)SelectObject(r->memDC, r->bitmap);
    ZeroMemory(pixels, ImageBytes(bits, width, height));
    return 0;
}

// Puts an opened record into slot n of the table and makes n current.
static void EnterRecord(int n, const ImageRecord &opened)
{
    nbx_images[n] = opened;
    BITMAP section = {};
    GetObjectW(opened.bitmap, sizeof section, &section);
    nbx_pixels[n] = (DWORD *)section.bmBits;
    nbx_pixels8[n] = (unsigned char *)section.bmBits;
    nbx_images[n].inUse = 1;
    RebuildEdgeTable();
    SelectImage(n);
}

int CreateImageWindowMode(int zoom, int n, const char *title, int x, int y,
                          int width, int height, int bits, int limitMode)
{
    if ((unsigned)n >= 256) return 1;
    if (nbx_images[n].inUse) return 1;
    if (bits != 8 && bits != 32) return 3;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (!BufferDrawable(width, height)) return 3;   // a buffer the platform cannot draw
    ImageRecord opened;
    int result = OpenRecord(&opened, zoom, title, x, y, width, height, bits, limitMode);
    if (result == 0) EnterRecord(n, opened);
    return result;
}

int CreateImageWindow(int zoom, int n, const char *title, int x, int y,
                      int width, int height, int bits)
{
    return CreateImageWindowMode(zoom, n, title, x, y, width, height, bits, 1);
}

int NBX_CreateImage(int n, const char *title, int x, int y, int width, int height, int zoom)
{
    return CreateImageWindowMode(zoom, n, title, x, y, width, height, 32, 1);
}

int NBX_CreateImage8(int n, const char *title, int x, int y, int width, int height, int zoom)
{
    return CreateImageWindowMode(zoom, n, title, x, y, width, height, 8, 1);
}

int NBX_CreateImageFL(int n, const char *title, int x, int y, int width, int height, int zoom)
{
    return CreateImageWindowMode(zoom, n, title, x, y, width, height, 32, 0);
}

int NBX_CreateImage8FL(int n, const char *title, int x, int y, int width, int height, int zoom)
{
    return CreateImageWindowMode(zoom, n, title, x, y, width, height, 8, 0);
}

// ------------------------------------------------ re-creation, destruction

int RecreateImageWindow(int n, int width, int height)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    if (!BufferDrawable(width, height)) return 3;
    // The new window opens first: when it cannot, image n stays as it was.
    RECT place;
    GetWindowRect(r->window, &place);
    ImageRecord opened;
    int result = OpenRecord(&opened, r->zoom, r->title, place.left, place.top,
                            width, height, r->bits, r->limitMode);
    if (result != 0) return result;
    if (r->bits == 8) {
        RGBQUAD colors[256];
        GetDIBColorTable(r->memDC, 0, 256, colors);
        SetDIBColorTable(opened.memDC, 0, 256, colors);
    }
    int stretch = GetStretchBltMode(r->windowDC);
    ImageRecord old = *r;
    EnterRecord(n, opened);
    ReleaseRecord(&old);
    RebuildEdgeTable();
    SetImageStretchMode(stretch, n);
    return 0;
}

int NBX_DestroyImage(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    ReleaseRecord(r);
    // A closed window must not stay in the table other windows snap to.
    RebuildEdgeTable();
    return 0;
}

DWORD *NBX_GetImagePixels(int n)
{
    return (unsigned)n < 256 ? nbx_pixels[n] : NULL;
}

// ------------------------------------------------------ look-up, selection

int FindImageWindow(HWND window)
{
    for (int n = 0; n < 256; n++)
        if (nbx_images[n].inUse && nbx_images[n].window == window) return n;
    return -1;
}

int FindAndSelectImageWindow(HWND window)
{
    int n = FindImageWindow(window);
    if (n >= 0) SelectImage(n);
    return n;
}

int SelectImage(int n)
{
    if (!ImageInUse(n)) return 1;
    HistoryPush(nbx_imageHistory, &nbx_curImage, n);
    return 0;
}

int RestoreImage(void)
{
    if (!ImageInUse(nbx_imageHistory[0])) return 1;
    HistoryPop(nbx_imageHistory, &nbx_curImage);
    return 0;
}

// ------------------------------------------------------------ pixel access

int ClearImage(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    GdiFlush();
    ZeroMemory(nbx_pixels8[n], ImageBytes(r->bits, r->width, r->height));
    return 0;
}

int ReadImageArea(void *buffer, int x, int y, int w, int h)
{
    ImageRecord *r = ImageInUse(nbx_curImage);
    if (!r || !buffer) return 1;
    GdiFlush();
    CopyImageArea(nbx_pixels8[nbx_curImage], r->bits, r->width, r->height, buffer, x, y, w, h);
    return 0;
}
