// A program the pick-tool benchmark starts. It opens image 1 and waits in a
// pick tool: NBX_APP_MODE "point" in PickPoint called by the user program,
// "box" in the image menu's "Draw Box" (the idle user thread runs it) after
// one click, so the rubber band follows the mouse. The log: "pid <pid>",
// "waiting", and for "point" the tool's result once it ends.
#include "nubrix.h"
#include <stdio.h>
#include <string.h>

static char mode[16];

void UserInit(void)
{
    GetEnvironmentVariableA("NBX_APP_MODE", mode, sizeof mode);
    NBX_OpenTextWindow(0, 0, 0, 240, 120);
    NBX_StartLog(0);
    NBX_Printf("pid %lu\n", (unsigned long)GetCurrentProcessId());
    NBX_CreateImage(1, "pick", 300, 0, 200, 150, 100);
    NBX_Printf("waiting\n");
    if (strcmp(mode, "box") == 0) {
        HWND window = nbx_images[1].window;
        PostMessageW(window, WM_COMMAND, 1036, 0);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
        PostMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(120, 90));
    } else {
        nbx_start = 1;
    }
}

void UserMain(void)
{
    int x, y;
    int result = PickPoint(1, &x, &y);
    NBX_Printf("result %d\n", result);
}
