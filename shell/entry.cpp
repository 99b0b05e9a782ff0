// entry.cpp - the Windows GUI entry point of every NUBRIX program.
// Kept out of the library so test programs with a main() of their own can
// link the framework.
#include "shell/nbx_internal.h"

int NbxRunProgram(HINSTANCE instance);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return NbxRunProgram(instance);
}
