// imagemenu.h - the image windows' popup menus, their command dispatch and
// mouse handling, and the commands the menus run.
#ifndef NBX_IMAGEMENU_H
#define NBX_IMAGEMENU_H

#include "shell/nbx_internal.h"

// Edit menu (right click) and tools menu (middle or Ctrl + right click);
// the caller destroys them after tracking.
HMENU BuildEditMenu(HWND window);
HMENU BuildToolsMenu(int n);
// WM_COMMAND of an image window: one handler per command id.
void RunImageCommand(HWND window, UINT id);
// WM_MOUSEMOVE and the button presses: the pick state while a pick tool
// waits on this window, otherwise the popup menus.
void OnImageMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The commands of the menus, each in the file of its tool.
void RunCutCommand(int n);                   // 1011
void RunCopyCommand(int n);                  // 1012
void RunPasteCommand(int n, bool atCorner);  // 1013 (picked place), 1014 (corner)
void RunPixelReadout(int n);                 // 1015
void RunLineProfile(int n, UINT id);         // 1016, 1017, 1018, 1021, 1070
void RunAreaChroma(int n);                   // 1022
void RunClipping(int n);                     // 1019
void RunDrawingTool(UINT id);                // 1032, 1034..1041, 1043
void RunColorPick(int n);                    // 1052
void RunDrawText(void);                      // 1042
void RunTrueTypeDraw(void);                  // 1048
void RunFontChange(HWND owner);              // 1049

#endif
