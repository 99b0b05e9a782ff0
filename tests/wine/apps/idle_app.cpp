// Waits for Start, then spins in UserMain without polling nbx_stop or
// nbx_quit: only Exit's termination ends it.
#include "nubrix.h"
#include <windows.h>

void UserInit(void) {}

void UserMain(void)
{
    // Tells a test that UserMain runs.
    CreateEventW(NULL, TRUE, TRUE, L"nbx_idle_app_main");
    volatile unsigned spin = 0;
    for (;;) spin++;
}
