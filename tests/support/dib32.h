// dib32.h - a top-down 32-bit DIB section, as the tests and benchmarks use
// for screen grabs and bare comparison windows.
#ifndef NBX_DIB32_H
#define NBX_DIB32_H

#include <windows.h>

inline HBITMAP CreateTopDownDib32(HDC dc, int w, int h, void **bits)
{
    BITMAPINFO info = {};
    info.bmiHeader = { sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB };
    *bits = NULL;
    return CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, NULL, 0);
}

#endif
