// Placeholder until the text windows land: every text window is closed.
#include "shell/nbx_internal.h"
LRESULT CALLBACK TextWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }
void ResetTextWindows(void) {}
HWND TextWindowHandle(int) { return NULL; }
int  CurrentTextWindow(void) { return 0; }
int  NBX_OpenTextWindow(int, int, int, int, int) { return 1; }
int  NBX_SelectTextWindow(int) { return 1; }
int  NBX_CloseTextWindow(int) { return 1; }
void NBX_ShowTextWindow(void) {}
void NBX_Printf(const char *, ...) {}
void NBX_PushTextColor(DWORD, DWORD) {}
void NBX_PopTextColor(void) {}
void NBX_InputText(char *) {}
int  NBX_StartLog(int) { return 3; }
int  NBX_StopLog(int) { return 2; }
int  NBX_CopyLog(int) { return 4; }
void NBX_CloseLogs(void) {}
volatile int nbx_inputActive;
