// boxmenu.cpp - what the input box and the button box do alike: their
// one-item popup menus and the question for a new label or caption.
#include "shell/nbx_internal.h"

void TrackSingleItemMenu(HWND window, UINT id, const char *text, UINT flags)
{
    HMENU menu = CreatePopupMenu();
    InsertMenuString(menu, 0, 0, id, text);
    POINT at;
    GetCursorPos(&at);
    TrackPopupMenu(menu, flags, at.x, at.y, 0, window, NULL);
    DestroyMenu(menu);
}

void AskForNewText(int index, HWND control, int maxUnits, char *line)
{
    WCHAR wide[512];
    char current[512];
    wide[0] = 0;
    if (maxUnits > 512) maxUnits = 512;
    if (control) GetWindowTextW(control, wide, maxUnits);
    NbxWideToAnsi(wide, current, maxUnits);
    NBX_ShowTextWindow();
    NBX_Printf("%d '%s' ->", index, current);
    line[0] = 0;
    NBX_InputText(line);
}
