// clipboard_logic.h - the CF_DIB blocks of the image clipboard on plain
// buffers: the block a copy writes, and a reader that checks a block from any
// program against its real size before anything of it is used.
#ifndef NBX_CLIPBOARD_LOGIC_H
#define NBX_CLIPBOARD_LOGIC_H

#include "imageproc/imageproc_logic.h"

// Bytes of one stored row (24-bit for a 32-bit image, 8-bit indexes for an
// 8-bit image, padded to 4) and of the whole block: the 40-byte header, the
// 8-bit image's 256 colours, the rows.
size_t DibRowBytes(int bits, int width);
size_t DibBlockBytes(int bits, int width, int height);
// Writes the block of a canvas into `block` (DibBlockBytes long): rows
// bottom-up, the top byte of 32-bit pixels dropped; `palette` (256 words
// 0x00RRGGBB) only for 8 bits.
void WriteDibBlock(const Canvas &c, const DWORD *palette, void *block);

// A block that passed the checks, in the plain form every DIB reader takes:
// a 40-byte header, then the colours (8 bits or fewer) or the three masks
// (BI_BITFIELDS); the pixel rows stay in the block.
struct DibView {
    struct {
        BITMAPINFOHEADER header;
        DWORD colors[256];      // RGBQUAD order, or the masks red, green, blue
    } info;
    int colorCount;             // colours of a table (8 bits or fewer), else 0
    const BYTE *rows;           // inside the block
    size_t rowBytes;            // all rows, inside the block
};
// False for anything it cannot read within `size` bytes: a header size other
// than 40, 108 or 124, planes other than 1, bit counts other than 1, 4, 8,
// 16, 24 and 32, compressions other than BI_RGB (and BI_BITFIELDS for 16 and
// 32 bits), more than 256 colours, masks that are empty, broken or overlap,
// a width or height of 0, sizes whose rows would overflow or not be
// drawable, and blocks shorter than their header, masks, colours and rows.
bool ReadDibBlock(const void *block, size_t size, DibView *out);

#endif
