// For the reliability test and the Exit benchmark. NBX_APP_MODE "image",
// "text" or "print" loops without polling nbx_quit (only Exit's termination
// ends it), logging "pid <pid>" and a line per round; "input" logs what a line
// input returned.
#include "nubrix.h"
#include <stdio.h>
#include <string.h>

void UserInit(void)
{
    NBX_OpenTextWindow(0, 0, 0, 240, 120);
    NBX_StartLog(0);
    NBX_Printf("pid %lu\n", (unsigned long)GetCurrentProcessId());
    nbx_start = 1;
}

void UserMain(void)
{
    char mode[16] = "", line[256] = "unchanged";
    GetEnvironmentVariableA("NBX_APP_MODE", mode, sizeof mode);
    if (strcmp(mode, "input") == 0) {
        NBX_Printf("name? ");
        NBX_InputText(line);
        NBX_Printf("after [%s]\n", line);
        return;
    }
    for (int round = 0;; round++) {
        if (strcmp(mode, "image") == 0) {
            NBX_CreateImage(1, "stress", 300, 0, 64, 48, 100);
            NBX_GetImagePixels(1)[round % (64 * 48)] = 0xFFFFFF;
            NBX_DrawImage(1);
            NBX_DestroyImage(1);
        } else if (strcmp(mode, "text") == 0) {
            NBX_OpenTextWindow(1, 300, 0, 120, 60);
            NBX_Printf("x");
            NBX_CloseTextWindow(1);
            NBX_SelectTextWindow(0);
        }
        NBX_Printf("line %d\n", round);
    }
}
