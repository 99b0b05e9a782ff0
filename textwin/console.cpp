// console.cpp - the one-shot command console of the text windows.
#include "textwin/textwin_internal.h"
#include <string.h>

enum { CMD_VERSION = 1020 };

static void PrintColors(void)
{
    NBX_Printf("Red  :%3d\n", (int)(nbx_drawColor >> 16 & 0xFF));
    NBX_Printf("Green:%3d\n", (int)(nbx_drawColor >> 8 & 0xFF));
    NBX_Printf("Blue :%3d\n", (int)(nbx_drawColor & 0xFF));
    NBX_Printf("nbx_tttc=%06x\n", (unsigned)nbx_tttc);
    NBX_Printf("nbx_tc=%06x\n", (unsigned)nbx_tc);
}

int NBX_CommandConsole(void)
{
    // Started from a menu, the current window may have been closed since.
    if (!TextWindowHandle(CurrentTextWindow())) NBX_ShowTextWindow();
    NBX_Printf("Cmd>");
    char line[256];
    line[0] = 0;
    NBX_InputText(line);
    if (strcmp(line, "exit") == 0) {
        PostMessageW(nbx_mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        Sleep(1);
    } else if (strcmp(line, "start") == 0) {
        PostMessageW(nbx_mainWindow, WM_KEYDOWN, 'S', 0);
    } else if (strcmp(line, "help") == 0) {
        NBX_Printf("Command list:exit help start ver color\n");
    } else if (strcmp(line, "ver") == 0) {
        PostMessageW(TextWindowHandle(CurrentTextWindow()), WM_COMMAND, CMD_VERSION, 0);
    } else if (strcmp(line, "color") == 0) {
        PrintColors();
    } else {
        NBX_Printf("Invalid command\n");
        return 1;
    }
    return 0;
}
