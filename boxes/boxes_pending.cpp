// Placeholder until the boxes land: no input box and no button box exist.
#include "shell/nbx_internal.h"
LRESULT CALLBACK ButtonBoxProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }
LRESULT CALLBACK InputBoxProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }
HWND ButtonBoxWindow(void) { return NULL; }
HWND InputBoxWindow(void) { return NULL; }
void OpenButtonBoxFresh(int, int, int, int) {}
void OpenInputBoxFresh(int, int, int) {}
void NBX_OpenButtonBox(int, int, int, int) {}
void NBX_CloseButtonBox(void) {}
void NBX_SetButtonBoxTitle(int, const char *) {}
int  NBX_GetButton(int) { return 0; }
int  NBX_ResizeButtonBox(int, int) { return 1; }
