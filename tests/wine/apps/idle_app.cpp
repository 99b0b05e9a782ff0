// A user program for process-level tests: it waits for Start, then spins in
// UserMain without ever polling nbx_stop or nbx_quit, so only Exit's
// termination can end it.
#include "nubrix.h"

void UserInit(void) {}

void UserMain(void)
{
    volatile unsigned spin = 0;
    for (;;) spin++;
}
