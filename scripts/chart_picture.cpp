// chart_picture.cpp - the user program behind docs/chart.png: a colourful
// source picture in image window 0, on which it asks for "Line(RGB)" as the
// window's menu does. scripts/chart-picture.sh then clicks the row with the
// mouse; the click point (screen coordinates) is left in chart-click.txt.
#include "nubrix.h"
#include <stdio.h>

enum { kWidth = 240, kHeight = 160, kRow = 100 };

void UserInit(void) { nbx_start = 1; }

static void PaintSource(void)
{
    DWORD *pixels = NBX_GetImagePixels(0);
    // A hue sweep, fading towards the bottom, with a few discs on it.
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++)
            pixels[y * kWidth + x] = HsvToRgb(255 - y * 120 / kHeight, 170, x * 359 / kWidth);
    const struct { int x, y, r; DWORD color; } discs[] = {
        { 50, 100, 22, 0xF0F0F0 }, { 120, 95, 30, 0x202060 }, { 195, 105, 18, 0xE0C020 },
    };
    for (const auto &d : discs) {
        nbx_drawColor = d.color;
        FillCircle(d.x, d.y, d.r);
    }
    NBX_DrawImage(0);
}

void UserMain(void)
{
    if (NBX_CreateImage(0, "source", 272, 0, kWidth, kHeight, 100) != 0) return;
    PaintSource();
    POINT at = { 30, kRow };
    ClientToScreen(nbx_images[0].window, &at);
    char text[64];
    int length = snprintf(text, sizeof text, "%ld %ld\n", (long)at.x, (long)at.y);
    HANDLE file = CreateFileA("chart-click.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;
    WriteFile(file, text, (DWORD)length, &written, NULL);
    CloseHandle(file);
    PostMessageW(nbx_images[0].window, WM_COMMAND, 1016, 0);
    while (!nbx_stop) {
        NBX_PumpMessages();
        Sleep(10);
    }
}
