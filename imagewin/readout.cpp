// readout.cpp - "Pixel": the values of one clicked pixel, printed into the
// current text window.
#include "imagewin/imagemenu.h"
#include "imageproc/picktools_logic.h"

void RunPixelReadout(int n)
{
    int x, y;
    if (PickPoint(n, &x, &y) != 0) return;
    DWORD value = ReadPixel(x, y);   // n is current after the pick
    char text[512];
    FormatPixelReadout(text, sizeof text, x, y, value, nbx_images[n].bits);
    NBX_ShowTextWindow();
    NBX_Printf("%s", text);
}
