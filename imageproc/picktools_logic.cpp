// picktools_logic.cpp - frame, radius, feedback, readout text and top-byte
// arithmetic of the click-driven tools.
#include "imageproc/picktools_logic.h"
#include <math.h>
#include <stdio.h>

PickFrame BlockFrame(int mx, int my, int bw, int bh)
{
    PickFrame f;
    f.left = mx - bw / 2;
    f.right = f.left + bw - 1;
    f.top = my - bh / 2;
    f.bottom = f.top + bh - 1;
    f.diagonals = bw >= 9 && bh >= 9;
    return f;
}

int CircleRadius(int dx, int dy)
{
    return (int)(sqrt((double)dx * dx + (double)dy * dy) + 0.5);
}

void InvertPickFeedback(Canvas &c, const PickFeedback &f)
{
    switch (f.shape) {
    case kShapeNone: break;
    case kShapeRow: CanvasXorLine(c, 0, f.by, c.width - 1, f.by); break;
    case kShapeColumn: CanvasXorLine(c, f.bx, 0, f.bx, c.height - 1); break;
    case kShapeBlock: {
        PickFrame r = BlockFrame(f.bx, f.by, f.bw, f.bh);
        CanvasXorBox(c, r.left, r.top, r.right, r.bottom);
        if (r.diagonals) {
            CanvasXorLine(c, r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
            CanvasXorLine(c, r.right - 1, r.top + 1, r.left + 1, r.bottom - 1);
        }
        break;
    }
    case kShapeBox: CanvasXorBox(c, f.ax, f.ay, f.bx, f.by); break;
    case kShapeLine: CanvasXorLine(c, f.ax, f.ay, f.bx, f.by); break;
    case kShapeCircle: CanvasXorCircle(c, f.ax, f.ay, CircleRadius(f.bx - f.ax, f.by - f.ay)); break;
    }
}

int FormatPixelReadout(char *out, int outBytes, int x, int y, DWORD c, int bits)
{
    if (bits != 32)
        return snprintf(out, outBytes, "(X,Y)=(%d,%d)\n(Luminance)=(%d)\n\n", x, y, (int)c);
    int h, s, v, lum = RgbToY(c);
    RgbToHsv(c, &h, &s, &v);
    return snprintf(out, outBytes,
                    "(X,Y)=(%d,%d)\n(R,G,B)=(%d,%d,%d)\n(H,S,V)=(%d,%d,%d)\n(Y,Cr,Cb)=(%d,%d,%d)\n"
                    "(Y,u,v)=(%d,%d,%d)\n(Y,I,Q)=(%d,%d,%d)\n\n",
                    x, y, (int)(c >> 16) & 0xFF, (int)(c >> 8) & 0xFF, (int)c & 0xFF, h, s, v,
                    lum, RgbToCr(c), RgbToCb(c), lum, RgbToU(c), RgbToV(c), lum, RgbToI(c), RgbToQ(c));
}

void ClearTopBytes(Canvas &c, int x, int y, int w, int h)
{
    if (c.bits != 32) return;
    int x0 = x < 0 ? 0 : x, y0 = y < 0 ? 0 : y;
    long long x1 = (long long)x + w, y1 = (long long)y + h;
    if (x1 > c.width) x1 = c.width;
    if (y1 > c.height) y1 = c.height;
    for (int j = y0; j < y1; j++) {
        DWORD *row = (DWORD *)(c.pixels + (size_t)j * c.stride);
        for (int i = x0; i < x1; i++) row[i] &= 0xFFFFFF;
    }
}
