// textdraw.cpp - the built-in font on the current image at the shared text
// cursor, in nbx_tc.
#include "imageproc/imageproc.h"
#include "imageproc/text_logic.h"
#include "textwin/textwin_logic.h"
#include <stdarg.h>
#include <stdio.h>

static bool IsAnsiLead(unsigned char b) { return IsDBCSLeadByte(b) != 0; }

void PutChar(int c)
{
    WithCanvasAndCursor([&](Canvas &canvas, TextCursor &cur) { CanvasPutChar(canvas, cur, nbx_tc, (unsigned char)c); });
}

void PutString(const char *s)
{
    if (!s) return;
    WithCanvasAndCursor([&](Canvas &canvas, TextCursor &cur) { CanvasPutString(canvas, cur, nbx_tc, s, IsAnsiLead); });
}

void PrintText(const char *format, ...)
{
    char text[4096];
    va_list args;
    va_start(args, format);
    int length = vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    // A longer result is cut at 4095 bytes, never inside a double-byte character.
    if (length > 4095) text[AnsiCutLength(text, 4095, 4095, IsAnsiLead)] = 0;
    PutString(text);
}

bool AskTextForImage(char line[256])
{
    int n = nbx_curImage;
    NBX_ShowTextWindow();
    NBX_Printf("Text>");
    line[0] = 0;
    NBX_InputText(line);
    if (nbx_quit || !nbx_images[n].inUse) return false;
    if (nbx_curImage != n) SelectImage(n);   // another window was chosen meanwhile
    return true;
}

// "Draw Text": the typed line in the built-in font, its baseline on the
// clicked point, in the drawing colour.
void RunDrawText(void)
{
    int n = nbx_curImage, x, y;
    if ((unsigned)n >= 256 || PickPoint(n, &x, &y) != 0) return;
    char line[256];
    if (!AskTextForImage(line)) return;
    nbx_fontCursorX = nbx_fontLineX = x;
    nbx_fontBaseY = y;
    nbx_tc = nbx_drawColor;
    PrintText("%s", line);
}
