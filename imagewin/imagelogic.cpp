// imagelogic.cpp - arithmetic of the image windows on plain values.
#include "shell/nbx_internal.h"
#include "imagewin/imagewin_logic.h"
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

void LimitsForMode(int mode, const ImageMetrics &m, ImageLimits *limits)
{
    if (mode == 1) {
        // The frame width stands for the height's frame too, as the system
        // sizes the frame the same on all sides.
        limits->minWidth = m.cxMin - 2 * m.cxFrame;
        limits->minHeight = m.cyMin - 2 * m.cxFrame - m.cyCaption;
        limits->maxWidth = m.cxScreen;
        limits->maxHeight = m.cyScreen - m.cyCaption;
    } else if (mode == 0) {
        limits->minWidth = 1;
        limits->minHeight = 1;
        limits->maxWidth = 2 * m.cxScreen;
        limits->maxHeight = 2 * m.cyScreen;
    }
}

// The zoom that one side allows: the requested zoom while size x zoom / 100
// lies within 1..maxSize, else the zoom of the clamped extent. Exact integer
// arithmetic: in floating point 160 x 111 / 100 x 100 / 160 falls just below
// 111 and would truncate to 110.
static int64_t SideZoom(int size, int zoom, int maxSize)
{
    int64_t scaled = (int64_t)size * zoom;            // extent x 100
    if (scaled > (int64_t)maxSize * 100) return (int64_t)maxSize * 100 / size;
    if (scaled < 100) return 100 / size;
    return zoom;
}

bool FitZoom(int zoom, int width, int height, const ImageLimits &l,
             int *effZoom, int *dispWidth, int *dispHeight)
{
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    int64_t zw = SideZoom(width, zoom, l.maxWidth), zh = SideZoom(height, zoom, l.maxHeight);
    int z = (int)(zw < zh ? zw : zh);
    int w = ZoomedSide(width, z), h = ZoomedSide(height, z);
    if (w < l.minWidth || h < l.minHeight) {
        double rw = ceil((double)l.minWidth * 100.0 / width);
        double rh = ceil((double)l.minHeight * 100.0 / height);
        double raised = rw > rh ? rw : rh;
        if (raised <= 2147483647.0 / 2 && (int64_t)width * (int64_t)raised / 100 <= l.maxWidth &&
            (int64_t)height * (int64_t)raised / 100 <= l.maxHeight) {
            z = (int)raised;
            w = ZoomedSide(width, z);
            h = ZoomedSide(height, z);
        } else {
            // A narrow picture that reaches the minimum window size at no
            // zoom that fits: the largest zoom that fits, in a window of the
            // minimum size whose client area the picture leaves partly blank.
            int64_t most = (int64_t)l.maxWidth * 100 / width, byHeight = (int64_t)l.maxHeight * 100 / height;
            if (byHeight < most) most = byHeight;
            if (most > 2147483647) most = 2147483647;
            z = (int)most;
            w = ZoomedSide(width, z);
            h = ZoomedSide(height, z);
            if (w < 1 || h < 1 || l.minWidth > l.maxWidth || l.minHeight > l.maxHeight) return false;
            if (w < l.minWidth) w = l.minWidth;
            if (h < l.minHeight) h = l.minHeight;
        }
    }
    *effZoom = z;
    *dispWidth = w;
    *dispHeight = h;
    return true;
}

void HistoryPush(int history[8], int *current, int n)
{
    for (int i = 7; i > 0; i--) history[i] = history[i - 1];
    history[0] = *current;
    *current = n;
}

void HistoryPop(int history[8], int *current)
{
    *current = history[0];
    for (int i = 0; i < 7; i++) history[i] = history[i + 1];
}

void CopyImageArea(const void *pixels, int bits, int width, int height,
                   void *out, int x, int y, int w, int h)
{
    const int stride = ImageStride(bits, width);
    for (int j = 0; j < h; j++) {
        unsigned row = (unsigned)(y + j);
        for (int i = 0; i < w; i++) {
            unsigned col = (unsigned)(x + i);
            bool inside = col < (unsigned)width && row < (unsigned)height;
            if (bits == 8) {
                const BYTE *src = (const BYTE *)pixels;
                ((BYTE *)out)[(size_t)j * w + i] = inside ? src[(size_t)row * stride + col] : 0;
            } else {
                const DWORD *src = (const DWORD *)pixels;
                ((DWORD *)out)[(size_t)j * w + i] = inside ? src[(size_t)row * width + col] : 0;
            }
        }
    }
}

int FormatImageCaption(char *out, int outBytes, int zoom, const char *title, int bits, bool halftone)
{
    if (outBytes <= 0) return 0;
    char tail[40];
    int tailLen = snprintf(tail, sizeof tail, bits == 8 ? "(%d%%)[8bit]%s" : "(%d%%)%s",
                           zoom, halftone ? "*" : "");
    if (tailLen >= outBytes) {          // not even the zoom fits: keep what does
        lstrcpynA(out, tail, outBytes);
        return lstrlenA(out);
    }
    if (!title) title = "";
    int room = outBytes - 1 - tailLen;
    // Whole characters of the title only, counted on the title itself: a
    // lead byte left at the end would take the "(" after it as its trail.
    int len = 0;
    while (title[len]) {
        int step = IsDBCSLeadByte((BYTE)title[len]) ? 2 : 1;
        if (step == 2 && !title[len + 1]) break;   // lone lead byte at the end
        if (len + step > room) break;
        len += step;
    }
    memcpy(out, title, len);
    memcpy(out + len, tail, tailLen + 1);
    return len + tailLen;
}

// One row of picks. Where GCC builds ELF for x86-64 it makes an AVX2 clone
// (vector gathers) chosen at load time, a quarter faster on a 1080p frame.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__ELF__)
__attribute__((target_clones("avx2", "default"), optimize("tree-vectorize")))
#endif
static void PickColumns(const DWORD *__restrict row, DWORD *__restrict out, const int *__restrict columns, int count)
{
    for (int X = 0; X < count; X++) out[X] = row[columns[X]];
}

int StretchPick(int src, int dst, int i, bool columns)
{
    long long s = src, d = dst, k = i;
    if (dst >= src) return (int)(((2 * k + 1) * s - 1) / (2 * d));
    if (columns) return dst == 1 ? src - 2 : (int)(((2 * k + 2) * s - d) / (2 * d));
    return (int)((2 * k * s + d) / (2 * d));
}

void StretchPicks(int src, int dst, bool columns, int *out)
{
    for (int i = 0; i < dst; i++) out[i] = StretchPick(src, dst, i, columns);
}

void ScaleNearest32(const DWORD *src, int srcW, DWORD *dst, int dstW, int dstH,
                    const int *columns, const int *rows)
{
    for (int Y = 0; Y < dstH; Y++)
        PickColumns(src + (size_t)rows[Y] * srcW, dst + (size_t)Y * dstW, columns, dstW);
}
