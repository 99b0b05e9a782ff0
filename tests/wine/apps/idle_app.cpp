// Spins in UserMain after Start without polling nbx_stop or nbx_quit: only
// Exit's termination ends it.
#include "nubrix.h"
#include <windows.h>

void UserInit(void) {}

void UserMain(void)
{
    CreateEventW(NULL, TRUE, TRUE, L"nbx_idle_app_main");   // tells a test UserMain runs
    volatile unsigned spin = 0;
    for (;;) spin++;
}
