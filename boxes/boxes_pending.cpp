// Placeholder until the input box lands: no input box exists.
#include "shell/nbx_internal.h"
LRESULT CALLBACK InputBoxProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }
HWND InputBoxWindow(void) { return NULL; }
void OpenInputBoxFresh(int, int, int) {}
