// clipping.cpp - "Clipping": a rectangle the user marks is copied into a new
// image window of its size, at the first free number.
#include "imageproc/imageproc.h"
#include "imagewin/imagemenu.h"
#include "imagewin/imagewin_logic.h"
#include <stdio.h>

void RunClipping(int n)
{
    int left, right, top, bottom;
    if (PickRect(n, &left, &right, &top, &bottom) != 0) return;
    const ImageRecord &source = nbx_images[n];   // PickRect checked n
    int bits = source.bits;
    char title[512];
    snprintf(title, sizeof title, "(%d,%d)-(%d,%d)", left, top, right, bottom);
    long long wide = (long long)right - left + 1, high = (long long)bottom - top + 1;
    if (!BufferDrawable(wide > 0x7FFFFFFF ? 0 : (int)wide, high > 0x7FFFFFFF ? 0 : (int)high)) return;
    int w = (int)wide, h = (int)high;

    DWORD palette[256];
    if (bits == 8) GetImagePalette(palette);   // n is current after the pick
    // The first free number; a size no window can show fails on every number
    // alike, so the search ends there.
    int k = 0;
    while (k < 256 && nbx_images[k].inUse) k++;
    if (k == 256 || CreateImageWindow(100, k, title, 0, 0, w, h, bits) != 0) return;
    if (bits == 8) SetImagePalette(palette, 256);   // k is current now

    // Row by row from the source buffer; parts outside the source read 0.
    GdiFlush();
    int stride = ImageStride(bits, w);
    for (int j = 0; j < h; j++)
        CopyImageArea(nbx_pixels8[n], bits, source.width, source.height,
                      nbx_pixels8[k] + (size_t)j * stride, left, top + j, w, 1);
    NBX_DrawImage(k);
}
