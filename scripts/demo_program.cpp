// A minimal user program: prints a greeting, then counts until Stop.
#include "nubrix.h"

void UserInit(void)
{
    NBX_OpenTextWindow(0, 0, 0, 400, 300);
    NBX_Printf("Hello from NUBRIX.\nPress Start.\n");
}

void UserMain(void)
{
    int n = 0;
    while (!nbx_stop) {
        NBX_Printf("tick %d\n", n++);
        for (int i = 0; i < 100 && !nbx_stop; i++) { Sleep(10); NBX_PumpMessages(); }
    }
    NBX_Printf("stopped\n");
}
