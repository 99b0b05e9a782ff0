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

// The picture of image n, packed. Freed with free().
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

int RotateImage(int n, bool right)
{
    ImageRecord *r = ImageInUse(n);
    if (!r) return 1;
    int w = r->width, h = r->height, bits = r->bits;
    void *packed = CopyPicture(n);
    if (!packed) return 3;
    int result = RecreateImageWindow(n, h, w);
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
    HDC temp = CreateCompatibleDC(r->memDC);
    HBITMAP copy = CreateCompatibleBitmap(r->memDC, w, h);
    int result = 3;
    if (temp && copy) {
        HGDIOBJ previous = SelectObject(temp, copy);
        BitBlt(temp, 0, 0, w, h, r->memDC, 0, 0, SRCCOPY);
        result = RecreateImageWindow(n, nw, nh);
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
    if (nbx_images[n].inUse) InvalidateRect(nbx_images[n].window, NULL, FALSE);
    return result;
}
