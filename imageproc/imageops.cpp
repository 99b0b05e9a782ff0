// imageops.cpp - whole-image commands of the tools menu: test patterns,
// invert, flips, quarter turns and rescales.
#include "imageproc/imageproc.h"
#include "imagewin/imagewin_private.h"
#include <stdlib.h>
#include <string.h>
#include <new>

void RunTestPattern(TestPattern pattern)
{
    Canvas c;
    if (!CurrentCanvas(&c)) return;
    if (pattern == kPatternGrey && c.bits == 8) {
        DWORD ramp[256];
        for (int k = 0; k < 256; k++) ramp[k] = (DWORD)k * 0x010101;
        SetImagePalette(ramp, 256);
    }
    GdiFlush();
    CanvasTestPattern(c, pattern);
    StoreCanvasPen(c);
}

int InvertImage(int n)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    // The platform's InvertRect also sets the unused top byte of 32-bit
    // pixels; inverting the colour bits here keeps it 0.
    GdiFlush();
    Canvas c = MakeCanvas(nbx_pixels8[n], r->bits, r->width, r->height);
    CanvasXorFillBox(c, 0, 0, r->width - 1, r->height - 1);
    InvalidateRect(r->window, NULL, FALSE);
    return 0;
}

int FlipImage(int n, bool horizontal)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    int w = r->width, h = r->height;
    if (horizontal) StretchBlt(r->memDC, w - 1, 0, -w, h, r->memDC, 0, 0, w, h, SRCCOPY);
    else StretchBlt(r->memDC, 0, h - 1, w, -h, r->memDC, 0, 0, w, h, SRCCOPY);
    GdiFlush();
    InvalidateRect(r->window, NULL, FALSE);
    return 0;
}

// ------------------------------------------------------------- new sizes

// The picture of image n, packed, for putting it back when a re-creation
// fails. Freed with free().
static void *CopyPicture(int n)
{
    const ImageRecord &r = nbx_images[n];
    size_t unit = r.bits == 8 ? 1 : 4;
    void *packed = malloc(unit * (size_t)r.width * (size_t)r.height);
    if (!packed) return NULL;
    GdiFlush();
    CopyImageArea(nbx_pixels8[n], r.bits, r.width, r.height, packed, 0, 0, r.width, r.height);
    return packed;
}

// Re-creates image n at width x height. A size no zoom can show is refused
// before anything is destroyed; when the re-creation fails for another
// reason, n is opened again at its old place, size, zoom, palette and
// stretch mode with its old pixels. 0 only when the new size took effect.
static int RecreateOrRestore(int n, int width, int height, const void *packed)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    ImageLimits limits = {};
    GetWindowLimits(r->limitMode, &limits);
    int z, dw, dh;
    if (!FitZoom(r->zoom, width, height, limits, &z, &dw, &dh)) return 2;

    ImageRecord old = *r;
    const char *text = r->title ? r->title : "";
    char *title = (char *)malloc(strlen(text) + 1);
    if (title) memcpy(title, text, strlen(text) + 1);
    RECT place;
    GetWindowRect(r->window, &place);
    int stretch = GetStretchBltMode(r->windowDC);
    RGBQUAD colors[256];
    if (old.bits == 8) GetDIBColorTable(r->memDC, 0, 256, colors);

    int result = RecreateImageWindow(n, width, height);
    if (result != 0 && title &&
        CreateImageWindowMode(old.zoom, n, title, place.left, place.top, old.width, old.height,
                              old.bits, old.limitMode) == 0) {
        Canvas back = MakeCanvas(nbx_pixels8[n], old.bits, old.width, old.height);
        size_t unit = old.bits == 8 ? 1 : 4;
        for (int y = 0; y < old.height; y++)
            memcpy(back.pixels + (size_t)y * back.stride,
                   (const unsigned char *)packed + (size_t)y * old.width * unit, (size_t)old.width * unit);
        if (old.bits == 8) SetDIBColorTable(nbx_images[n].memDC, 0, 256, colors);
        SetImageStretchMode(stretch, n);
    }
    free(title);
    return result;
}

int RotateImage(int n, bool right)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    int w = r->width, h = r->height, bits = r->bits;
    void *packed = CopyPicture(n);
    if (!packed) return 3;
    int result = RecreateOrRestore(n, h, w, packed);
    if (result == 0) {
        Canvas out = MakeCanvas(nbx_pixels8[n], bits, h, w);
        RotateInto(packed, w, h, right, out);
    }
    free(packed);
    InvalidateRect(nbx_images[n].window, NULL, FALSE);
    return result;
}

int RescaleImage(int n, int factor)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    int w = r->width, h = r->height;
    int nw = RescaledSide(w, factor), nh = RescaledSide(h, factor);
    void *packed = CopyPicture(n);
    HDC temp = CreateCompatibleDC(r->memDC);
    HBITMAP copy = CreateCompatibleBitmap(r->memDC, w, h);
    int result = 3;
    if (packed && temp && copy) {
        HGDIOBJ previous = SelectObject(temp, copy);
        BitBlt(temp, 0, 0, w, h, r->memDC, 0, 0, SRCCOPY);
        result = RecreateOrRestore(n, nw, nh, packed);
        if (result == 0) {
            // The fresh buffer is exactly nw x nh: the stretch stays inside.
            r = &nbx_images[n];
            StretchBlt(r->memDC, 0, 0, nw, nh, temp, 0, 0, w, h, SRCCOPY);
            GdiFlush();
        }
        SelectObject(temp, previous);
    }
    if (copy) DeleteObject(copy);
    if (temp) DeleteDC(temp);
    free(packed);
    if (nbx_images[n].inUse) InvalidateRect(nbx_images[n].window, NULL, FALSE);
    return result;
}
