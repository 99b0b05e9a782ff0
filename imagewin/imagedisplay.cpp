// imagedisplay.cpp - putting pixel buffers on screen, captions, stretch
// modes and zoom changes.
#include "imagewin/imagewin_private.h"
#include <stdlib.h>
#include <vector>

// A display-size picture of a zoomed 32-bit image, shared by all windows
// (each draw fills it anew) and grown as needed, with the source column and
// row each of its pixels shows; only the thread that owns the image windows
// draws.
static struct {
    HDC dc;
    HBITMAP bitmap, previous;
    DWORD *bits;
    int width, height;
    int srcWidth, srcHeight;   // the picks below are for this source size
    bool platformAgrees;       // the platform's stretch picks the same pixels
    std::vector<int> columns, rows;
} scaled;

// What the platform's COLORONCOLOR stretch picks along one side of a
// `src` to `dst` stretch, read back from a stretch of a coded line.
static bool PlatformPicks(HDC like, int src, int dst, bool columns, std::vector<int> &out)
{
    int sw = columns ? src : 1, sh = columns ? 1 : src, dw = columns ? dst : 1, dh = columns ? 1 : dst;
    BITMAPINFOHEADER hs = { sizeof hs, sw, -sh, 1, 32, BI_RGB }, hd = { sizeof hd, dw, -dh, 1, 32, BI_RGB };
    void *from = NULL, *to = NULL;
    HDC dcs = CreateCompatibleDC(like), dcd = CreateCompatibleDC(like);
    HBITMAP bs = CreateDIBSection(like, (BITMAPINFO *)&hs, DIB_RGB_COLORS, &from, NULL, 0);
    HBITMAP bd = CreateDIBSection(like, (BITMAPINFO *)&hd, DIB_RGB_COLORS, &to, NULL, 0);
    bool read = dcs && dcd && bs && bd;
    if (read) {
        HGDIOBJ ps = SelectObject(dcs, bs), pd = SelectObject(dcd, bd);
        for (int i = 0; i < src; i++) ((DWORD *)from)[i] = (DWORD)i;
        SetStretchBltMode(dcd, COLORONCOLOR);
        read = StretchBlt(dcd, 0, 0, dw, dh, dcs, 0, 0, sw, sh, SRCCOPY) != FALSE;
        GdiFlush();
        out.assign((const DWORD *)to, (const DWORD *)to + dst);
        SelectObject(dcs, ps);
        SelectObject(dcd, pd);
    }
    if (bs) DeleteObject(bs);
    if (bd) DeleteObject(bd);
    if (dcs) DeleteDC(dcs);
    if (dcd) DeleteDC(dcd);
    return read;
}

bool ScalerAgreesWithPlatform(HDC like, int srcW, int srcH, int dstW, int dstH)
{
    std::vector<int> columns(dstW), rows(dstH), platform;
    StretchPicks(srcW, dstW, true, columns.data());
    StretchPicks(srcH, dstH, false, rows.data());
    return PlatformPicks(like, srcW, dstW, true, platform) && platform == columns &&
           PlatformPicks(like, srcH, dstH, false, platform) && platform == rows;
}

// Makes the display-size picture and its picks ready for a srcW x srcH
// source shown at width x height; false when the platform's stretch has to
// draw it instead.
static bool PrepareScaled(HDC like, int srcW, int srcH, int width, int height)
{
    if (scaled.bits && scaled.width == width && scaled.height == height &&
        scaled.srcWidth == srcW && scaled.srcHeight == srcH)
        return scaled.platformAgrees;
    if (scaled.dc) {
        SelectObject(scaled.dc, scaled.previous);
        DeleteObject(scaled.bitmap);
        DeleteDC(scaled.dc);
        scaled.dc = NULL;
        scaled.bits = NULL;
    }
    BITMAPINFOHEADER h = { sizeof h, width, -height, 1, 32, BI_RGB };
    void *bits = NULL;
    HBITMAP bitmap = CreateDIBSection(like, (BITMAPINFO *)&h, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC dc = bitmap ? CreateCompatibleDC(like) : NULL;
    if (!dc) {
        if (bitmap) DeleteObject(bitmap);
        return false;
    }
    scaled.dc = dc;
    scaled.bitmap = bitmap;
    scaled.previous = (HBITMAP)SelectObject(dc, bitmap);
    scaled.bits = (DWORD *)bits;
    scaled.width = width;
    scaled.height = height;
    scaled.srcWidth = srcW;
    scaled.srcHeight = srcH;
    scaled.columns.resize(width);
    scaled.rows.resize(height);
    StretchPicks(srcW, width, true, scaled.columns.data());
    StretchPicks(srcH, height, false, scaled.rows.data());
    // The picks follow the platform as measured; a platform that picks
    // otherwise keeps drawing through its own stretch.
    scaled.platformAgrees = ScalerAgreesWithPlatform(like, srcW, srcH, width, height);
    return scaled.platformAgrees;
}

int NBX_DrawImage(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    // A narrow picture may leave part of the client area (kept at the
    // system's minimum window size) uncovered: that part stays black.
    int w = ZoomedSide(r->width, r->zoom), h = ZoomedSide(r->height, r->zoom);
    if (w < r->dispWidth) PatBlt(r->windowDC, w, 0, r->dispWidth - w, r->dispHeight, BLACKNESS);
    if (h < r->dispHeight) PatBlt(r->windowDC, 0, h, w, r->dispHeight - h, BLACKNESS);
    // 100 % is the movie viewer's per-frame path: a plain copy.
    if (r->zoom == 100) {
        BitBlt(r->windowDC, 0, 0, r->width, r->height, r->memDC, 0, 0, SRCCOPY);
        return 0;
    }
    // Zoomed 32-bit pictures without halftone are scaled here and copied
    // 1:1, with the pixels the platform's COLORONCOLOR stretch picks: GDI's
    // own stretching of a large movie frame costs more than the rest of
    // showing it.
    if (r->bits == 32 && GetStretchBltMode(r->windowDC) == COLORONCOLOR &&
        PrepareScaled(r->windowDC, r->width, r->height, w, h)) {
        GdiFlush();
        ScaleNearest32(nbx_pixels[n], r->width, scaled.bits, w, h, scaled.columns.data(), scaled.rows.data());
        BitBlt(r->windowDC, 0, 0, w, h, scaled.dc, 0, 0, SRCCOPY);
        return 0;
    }
    StretchBlt(r->windowDC, 0, 0, w, h, r->memDC, 0, 0, r->width, r->height, SRCCOPY);
    return 0;
}

// ---------------------------------------------------------------- captions

int FormatImageTitle(int zoom, const char *title, int bits, char out[256])
{
    return FormatImageCaption(out, 256, zoom, title, bits, false);
}

// Also used while a zoom change holds the record out of use.
static void ApplyTitle(const ImageRecord *r)
{
    char caption[256];
    FormatImageCaption(caption, sizeof caption, r->zoom, r->title ? r->title : "", r->bits,
                       GetStretchBltMode(r->memDC) == HALFTONE);
    WCHAR wide[256];
    NbxAnsiToWide(caption, wide, 256);
    SetWindowTextW(r->window, wide);
}

void UpdateImageTitle(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (r) ApplyTitle(r);
}

// ----------------------------------------------------------- stretch mode

int SetImageStretchMode(int mode, int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    if (mode == COLORONCOLOR || mode == HALFTONE) {
        SetStretchBltMode(r->windowDC, mode);
        SetBrushOrgEx(r->windowDC, 0, 0, NULL);
        SetStretchBltMode(r->memDC, mode);
        SetBrushOrgEx(r->memDC, 0, 0, NULL);
    }
    InvalidateRect(r->window, NULL, FALSE);
    ApplyTitle(r);
    return 0;
}

int GetImageStretchMode(int n)
{
    ImageRecord *r = ImageInUse(n);
    return r ? GetStretchBltMode(r->windowDC) : 0;
}

// ------------------------------------------------------------------- zoom

int SetImageZoom(int zoom, int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    // Out of use while the window changes size, so paints and look-ups
    // during SetWindowPos leave it alone.
    r->inUse = 0;
    ImageLimits limits = {};
    GetWindowLimits(r->limitMode, &limits);
    int z, w, h;
    if (!FitZoom(zoom, r->width, r->height, limits, &z, &w, &h)) {
        r->inUse = 1;
        return 2;
    }
    r->zoom = z;
    RECT outer;
    GetWindowRect(r->window, &outer);
    SetWindowPos(r->window, NULL, 0, 0,
                 outer.right - outer.left + (w - r->dispWidth),
                 outer.bottom - outer.top + (h - r->dispHeight),
                 SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOMOVE);
    r->dispWidth = w;
    r->dispHeight = h;
    InvalidateRect(r->window, NULL, FALSE);
    ApplyTitle(r);
    r->inUse = 1;           // back in use first, so the edge table sees it
    RebuildEdgeTable();
    return 0;
}

// ------------------------------------------------- typed zoom and resize

static int AskNumber(const char *format, int n)
{
    char line[256];
    line[0] = 0;
    NBX_Printf(format, n);
    NBX_InputText(line);
    return atoi(line);
}

void RunTypedZoomCommand(int n)
{
    NBX_OpenTextWindow(0, -1, -1, -1, -1);
    int zoom = AskNumber("[%d] Zoom(%%)=", n);
    SetImageZoom(zoom, n);
}

void RunResizeCommand(int n)
{
    NBX_OpenTextWindow(0, -1, -1, -1, -1);
    int width = AskNumber("[%d] New x-size(pixel)=", n);
    int height = AskNumber("[%d] New y-size(pixel)=", n);
    RecreateImageWindow(n, width, height);
}
