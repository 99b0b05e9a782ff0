// drawing.cpp - the drawing primitives on the current image, the drawing
// colour, the text colours and the "Change" colour dialog.
#include "imageproc/imageproc.h"
#include <commdlg.h>

DWORD nbx_drawColor = 0xFFFFFF;
DWORD nbx_tc = 0;
int nbx_penX, nbx_penY;
PickState nbx_pick = { -1, 0, 0, 0, 0, 0, 0, 0, 0 };

bool CurrentCanvas(Canvas *c)
{
    int n = nbx_curImage;
    if ((unsigned)n >= 256 || !nbx_images[n].inUse) return false;
    const ImageRecord &r = nbx_images[n];
    *c = MakeCanvas(nbx_pixels8[n], r.bits, r.width, r.height);
    c->penX = nbx_penX;
    c->penY = nbx_penY;
    return true;
}

void StoreCanvasPen(const Canvas &c)
{
    nbx_penX = c.penX;
    nbx_penY = c.penY;
}

// Runs one primitive on the current image; nothing when there is none.
template <class Draw>
static void OnCurrent(Draw draw)
{
    Canvas c;
    if (!CurrentCanvas(&c)) return;
    draw(c);
    StoreCanvasPen(c);
}

void PutPixel(int x, int y, DWORD value) { OnCurrent([&](Canvas &c) { CanvasPutPixel(c, x, y, value); }); }
void XorPixel(int x, int y) { OnCurrent([&](Canvas &c) { CanvasXorPixel(c, x, y); }); }

DWORD ReadPixel(int x, int y)
{
    Canvas c;
    return CurrentCanvas(&c) ? CanvasRead(c, x, y) : 0;
}

void DrawLine(DWORD color, int x1, int y1, int x2, int y2)
{
    OnCurrent([&](Canvas &c) { CanvasDrawLine(c, color, x1, y1, x2, y2); });
}
void XorLine(int x1, int y1, int x2, int y2) { OnCurrent([&](Canvas &c) { CanvasXorLine(c, x1, y1, x2, y2); }); }
void DrawBox(int x1, int y1, int x2, int y2)
{
    OnCurrent([&](Canvas &c) { CanvasDrawBox(c, nbx_drawColor, x1, y1, x2, y2); });
}
void FillBox(int x1, int y1, int x2, int y2)
{
    OnCurrent([&](Canvas &c) { CanvasFillBox(c, nbx_drawColor, x1, y1, x2, y2); });
}
void XorFillBox(int x1, int y1, int x2, int y2) { OnCurrent([&](Canvas &c) { CanvasXorFillBox(c, x1, y1, x2, y2); }); }
void XorBox(int x1, int y1, int x2, int y2) { OnCurrent([&](Canvas &c) { CanvasXorBox(c, x1, y1, x2, y2); }); }
void DrawCircle(DWORD color, int cx, int cy, int r)
{
    OnCurrent([&](Canvas &c) { CanvasDrawCircle(c, color, cx, cy, r); });
}
void XorCircle(int cx, int cy, int r) { OnCurrent([&](Canvas &c) { CanvasXorCircle(c, cx, cy, r); }); }
void FillCircle(int cx, int cy, int r)
{
    OnCurrent([&](Canvas &c) { CanvasFillCircle(c, nbx_drawColor, cx, cy, r); });
}
void XorFillCircle(int cx, int cy, int r) { OnCurrent([&](Canvas &c) { CanvasXorFillCircle(c, cx, cy, r); }); }
void FloodFill(int x, int y) { OnCurrent([&](Canvas &c) { CanvasFloodFill(c, nbx_drawColor, x, y); }); }

// The platform's colours are 0x00BBGGRR.
static DWORD SwapRedBlue(DWORD color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

void RunColorChangeCommand(HWND owner)
{
    CHOOSECOLORW choice;
    ZeroMemory(&choice, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.rgbResult = SwapRedBlue(nbx_drawColor);
    choice.lpCustColors = nbx_customColors;
    choice.Flags = CC_RGBINIT | CC_FULLOPEN;
    // OK and Cancel alike: a cancelled dialog hands back the colour it
    // started with, which then reaches the text colours too.
    ChooseColorW(&choice);
    nbx_drawColor = SwapRedBlue(choice.rgbResult) & 0xFFFFFF;
    nbx_tttc = nbx_drawColor;
    nbx_tc = nbx_drawColor;
}
