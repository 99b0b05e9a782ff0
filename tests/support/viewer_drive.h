// viewer_drive.h - what a user does to the movie viewer, for its tests and
// benchmark: files of the start-up folder, the real open-file dialog and the
// button box.
#ifndef NBX_VIEWER_DRIVE_H
#define NBX_VIEWER_DRIVE_H

#include "harness.h"
#include <string>

namespace vt {

const int kSampleFrames = 250;   // movies/sample.avi
const int kBreakButton = 11;

using nbxt::Here;

// Types a name into the dialog and presses Enter, as a user does.
inline bool ChooseFile(const char *name, bool anyProcess = false)
{
    HWND dialog = nbxt::WaitFileDialog(NULL, 15000, anyProcess);
    if (!dialog) return false;
    HWND edit = nbxt::FileDialogNameEdit(dialog);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    nbxt::TypeText(edit, name);
    nbxt::PressKey(edit, VK_RETURN);
    return nbxt::WaitFor([dialog] { return !IsWindow(dialog); }, 10000);
}

// A button press as a click on it produces.
inline void Press(int k)
{
    HWND box = ButtonBoxWindow();
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(3000 + k, BN_CLICKED), (LPARAM)GetDlgItem(box, 3000 + k));
}

}  // namespace vt

#endif
