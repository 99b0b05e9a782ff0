// For the pick-tool benchmark: image 1 in PickPoint (NBX_APP_MODE "point") or
// in the menu's "Draw Box" after one click ("box"). Logs "pid <pid>",
// "waiting" and PickPoint's result.
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
