// A user program for process-level tests: it waits for Start, then spins in
// UserMain without ever polling nbx_stop or nbx_quit, so only Exit's
// termination can end it.
#include "nubrix.h"
#include <windows.h>

void UserInit(void) {}

void UserMain(void)
{
    // Tells a test that UserMain runs (the event lives as long as the program).
    CreateEventW(NULL, TRUE, TRUE, L"nbx_idle_app_main");
    volatile unsigned spin = 0;
    for (;;) spin++;
}
