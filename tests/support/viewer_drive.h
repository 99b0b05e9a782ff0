// viewer_drive.h - what a user does to the movie viewer, for its tests and
// benchmark.
#ifndef NBX_VIEWER_DRIVE_H
#define NBX_VIEWER_DRIVE_H

#include "harness.h"
#include "viewer/viewer_logic.h"

namespace vt {

const int kSampleFrames = 250;   // movies/sample.avi
const int kBreakButton = 11;

using nbxt::ChooseFile;
using nbxt::Here;

// A button press as a click on it produces.
inline void Press(int k)
{
    HWND box = ButtonBoxWindow();
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(3000 + k, BN_CLICKED), (LPARAM)GetDlgItem(box, 3000 + k));
}

// The frame index the window shows, read from its index strip, or -1.
inline int Shown(HWND w)
{
    SIZE size = nbxt::ClientSize(w);
    if (!w || size.cx <= 0 || size.cy <= 0) return -1;
    std::vector<DWORD> pixels = nbxt::GrabClient(w);
    return nbxv::DecodeStrip((const uint32_t *)pixels.data(), size.cx, size.cy, size.cx);
}

}  // namespace vt

#endif
