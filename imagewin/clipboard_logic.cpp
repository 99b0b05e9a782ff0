// clipboard_logic.cpp - CF_DIB blocks: writing an image's, checking anyone's.
#include "imagewin/clipboard_logic.h"
#include "imagewin/imagewin_logic.h"
#include <string.h>

size_t DibRowBytes(int bits, int width)
{
    size_t bytes = bits == 8 ? (size_t)width : (size_t)width * 3;
    return (bytes + 3) / 4 * 4;
}

size_t DibBlockBytes(int bits, int width, int height)
{
    return sizeof(BITMAPINFOHEADER) + (bits == 8 ? 1024 : 0) + DibRowBytes(bits, width) * (size_t)height;
}

void WriteDibBlock(const Canvas &c, const DWORD *palette, void *block)
{
    BYTE *out = (BYTE *)block;
    BITMAPINFOHEADER h;
    memset(&h, 0, sizeof h);
    h.biSize = sizeof h;
    h.biWidth = c.width;
    h.biHeight = c.height;   // positive: rows bottom-up
    h.biPlanes = 1;
    h.biBitCount = (WORD)(c.bits == 8 ? 8 : 24);
    h.biCompression = BI_RGB;
    memcpy(out, &h, sizeof h);
    out += sizeof h;
    if (c.bits == 8) {
        memcpy(out, palette, 1024);
        out += 1024;
    }
    size_t rowBytes = DibRowBytes(c.bits, c.width);
    for (int r = 0; r < c.height; r++, out += rowBytes) {
        const BYTE *src = c.pixels + (size_t)(c.height - 1 - r) * c.stride;
        memset(out, 0, rowBytes);
        if (c.bits == 8) {
            memcpy(out, src, c.width);
            continue;
        }
        for (int x = 0; x < c.width; x++) {   // B, G, R of each 0x00RRGGBB word
            DWORD p = ((const DWORD *)src)[x];
            out[3 * x] = (BYTE)p;
            out[3 * x + 1] = (BYTE)(p >> 8);
            out[3 * x + 2] = (BYTE)(p >> 16);
        }
    }
}

// A mask of one unbroken run of set bits.
static bool Contiguous(DWORD mask)
{
    if (mask == 0) return false;
    while (!(mask & 1)) mask >>= 1;
    return (mask & (mask + 1)) == 0;
}

static bool MasksUsable(const DWORD m[3], int bitCount)
{
    DWORD all = 0;
    for (int i = 0; i < 3; i++) {
        if (!Contiguous(m[i]) || (all & m[i])) return false;
        all |= m[i];
    }
    return bitCount == 32 || (all >> 16) == 0;
}

bool ReadDibBlock(const void *block, size_t size, DibView *out)
{
    const BYTE *base = (const BYTE *)block;
    BITMAPINFOHEADER h;
    if (!block || size < sizeof h) return false;
    memcpy(&h, base, sizeof h);
    if (h.biSize != 40 && h.biSize != 108 && h.biSize != 124) return false;
    if (h.biSize > size || h.biPlanes != 1) return false;
    int bpp = h.biBitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    bool fields = h.biCompression == BI_BITFIELDS;
    if (h.biCompression != BI_RGB && !(fields && (bpp == 16 || bpp == 32))) return false;
    if (h.biClrUsed > 256) return false;
    long long width = h.biWidth, height = h.biHeight < 0 ? -(long long)h.biHeight : h.biHeight;
    if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
    if (!BufferDrawable((int)width, (int)height)) return false;

    // What follows the header: the masks when a 40-byte header has none of
    // its own, then the colours (skipped above 8 bits), then the rows.
    size_t at = h.biSize;
    memset(&out->info, 0, sizeof out->info);
    out->colorCount = 0;
    if (fields) {
        if (size - 40 < 12) return false;
        DWORD masks[3];
        memcpy(masks, base + 40, sizeof masks);
        if (!MasksUsable(masks, bpp)) return false;
        memcpy(out->info.colors, masks, sizeof masks);
        if (h.biSize == 40) at += 12;
    }
    size_t colors = bpp <= 8 ? (h.biClrUsed ? h.biClrUsed : (size_t)1 << bpp) : h.biClrUsed;
    if (size - at < colors * 4) return false;
    if (bpp <= 8) {
        memcpy(out->info.colors, base + at, colors * 4);
        out->colorCount = (int)colors;
    }
    at += colors * 4;
    size_t rowBytes = (size_t)(((unsigned long long)width * bpp + 31) / 32 * 4);
    if ((unsigned long long)rowBytes * height > size - at) return false;

    BITMAPINFOHEADER &n = out->info.header;
    n = h;
    n.biSize = 40;
    n.biClrUsed = (DWORD)out->colorCount;
    n.biClrImportant = 0;
    n.biSizeImage = (DWORD)(rowBytes * height);
    out->rows = base + at;
    out->rowBytes = rowBytes * (size_t)height;
    return true;
}
