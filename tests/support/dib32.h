// dib32.h - DIBs as the tests and benchmarks make them.
#ifndef NBX_DIB32_H
#define NBX_DIB32_H

#include <windows.h>
#include <string.h>
#include <vector>

inline HBITMAP CreateTopDownDib32(HDC dc, int w, int h, void **bits)
{
    BITMAPINFO info = {};
    info.bmiHeader = { sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB };
    *bits = NULL;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, NULL, 0);
}

// A CF_DIB block of `total` bytes (0x5A past the header), masks at byte 40.
inline std::vector<BYTE> DibBlock(DWORD size, LONG w, LONG h, WORD bits, DWORD compression, DWORD clrUsed,
                                  size_t total, std::vector<DWORD> masks = {})
{
    std::vector<BYTE> b(total, 0x5A);
    memset(b.data(), 0, total < size ? total : size);
    BITMAPINFOHEADER hd = { size, w, h, 1, bits, compression };
    hd.biClrUsed = clrUsed;
    memcpy(b.data(), &hd, total < sizeof hd ? total : sizeof hd);
    if (!masks.empty()) memcpy(b.data() + 40, masks.data(), 12);
    return b;
}

#endif
