// A user program for the reliability tests, run as a separate process. The
// environment variable NBX_APP_MODE picks what UserMain does; none of the
// busy modes ever polls nbx_quit, so only Exit's termination ends them:
//   image - creates, draws and destroys an image window, over and over
//   print - prints numbered lines
//   text  - opens and closes a second text window
//   input - waits in a line input, then logs what it returned and ends
//   idle  - logs and waits for Exit, polling nbx_quit
// Every mode logs text window 0, starting with the line "pid <process id>",
// and logs one numbered line per round.
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
    char mode[16] = "";
    GetEnvironmentVariableA("NBX_APP_MODE", mode, sizeof mode);
    if (strcmp(mode, "input") == 0) {
        char line[256] = "unchanged";
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
        } else if (strcmp(mode, "idle") == 0) {
            if (nbx_quit) return;
            Sleep(20);
            NBX_PumpMessages();
            continue;
        }
        NBX_Printf("line %d\n", round);
    }
}
