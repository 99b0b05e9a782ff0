// viewer_driver.h - drives the movie viewer from a test's driver thread: the
// real open-file dialog, the button box, and the frame index read back from
// the screen through the sample movies' index strip.
//
// A viewer test is the viewer itself with a driver thread: its UserInit runs
// the viewer's ViewerInit and then nbxt::BeginDriver(false); UserMain is the
// viewer's ViewerMain. So the driver never runs code on the user thread; it
// posts what a user's keys and clicks post and reads the screen, the image
// table and the log files.
#ifndef NBX_VIEWER_DRIVER_H
#define NBX_VIEWER_DRIVER_H

#include "harness.h"
#include "viewer/viewer.h"
#include "viewer/viewer_logic.h"
#include <stdio.h>
#include <string>

#define NBX_VIEWER_TEST_PROGRAM                                   \
    void UserInit(void) { ViewerInit(); nbxt::BeginDriver(false); } \
    void UserMain(void) { ViewerMain(); }

namespace vt {

const int kSampleFrames = 250;   // movies/sample.avi
const int kOtherFrames = 40;     // testmovies/other.avi
const int kBreakButton = 11;

// "<build>\<sub>\<file>" as a Windows path.
inline std::string BuildFile(const char *sub, const char *file)
{
    return nbxt::BinPath(sub) + "\\" + file;
}

// A file of the test's working folder. The open dialog moves the current
// directory, so this uses the start-up folder the framework remembers.
inline std::string Here(const char *file) { return std::string(nbx_logDir) + file; }

// Copies a movie of the build into the test's working folder.
inline bool CopyMovie(const char *sub, const char *file, const char *as = nullptr)
{
    std::string to = Here(as ? as : file);
    return CopyFileA(BuildFile(sub, file).c_str(), to.c_str(), FALSE) != 0;
}


// Writes bytes as a file of the working folder.
inline bool WriteFileBytes(const char *file, const std::string &bytes)
{
    HANDLE f = CreateFileA(Here(file).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(f);
    return ok && written == bytes.size();
}

// Types a file name into the dialog and presses Enter, as a user does.
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

inline bool CancelDialog()
{
    HWND dialog = nbxt::WaitFileDialog(NULL);
    if (!dialog) return false;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return nbxt::WaitFor([dialog] { return !IsWindow(dialog); }, 10000);
}

inline HWND ImageWindow0() { return nbx_images[0].inUse ? nbx_images[0].window : NULL; }

// A button press as a click on it produces.
inline void PressButton(int k)
{
    HWND box = ButtonBoxWindow();
    HWND button = box ? GetDlgItem(box, 3000 + k) : NULL;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(3000 + k, BN_CLICKED), (LPARAM)button);
}

// The frame index visible in image window 0, or -1 (no window, no strip, or
// a picture caught mid-update).
inline int ShownFrame()
{
    HWND w = ImageWindow0();
    if (!w) return -1;
    SIZE size = nbxt::ClientSize(w);
    if (size.cx <= 0 || size.cy <= 0) return -1;
    std::vector<DWORD> pixels = nbxt::GrabClient(w);
    return nbxv::DecodeStrip((const uint32_t *)pixels.data(), size.cx, size.cy, size.cx);
}

// The frame on screen once it holds still for `settleMs` (paused or stopped).
inline int SteadyFrame(int settleMs = 150, int ms = 5000)
{
    int last = -2, result = -1;
    nbxt::WaitFor([&] {
        int now = ShownFrame();
        nbxt::Pause(settleMs);
        int again = ShownFrame();
        last = now;
        result = (now >= 0 && now == again) ? now : -1;
        return result >= 0;
    }, ms);
    (void)last;
    return result;
}

// Waits until the screen shows `frame`; returns what it shows last.
inline int WaitShown(int frame, int ms = 5000)
{
    int seen = -1;
    nbxt::WaitFor([&] { return (seen = ShownFrame()) == frame; }, ms);
    return seen;
}

// Distinct frame indexes decoded over `ms` milliseconds of playback.
inline int FramesSeen(int ms, int *firstOut = nullptr, int *lastOut = nullptr)
{
    std::vector<bool> seen(16384, false);
    int distinct = 0, first = -1, last = -1;
    DWORD start = GetTickCount();
    while ((int)(GetTickCount() - start) < ms) {
        int f = ShownFrame();
        if (f >= 0) {
            if (first < 0) first = f;
            last = f;
            if (!seen[f]) { seen[f] = true; distinct++; }
        }
        nbxt::Pause(20);
    }
    if (firstOut) *firstOut = first;
    if (lastOut) *lastOut = last;
    return distinct;
}

// Text window 0's log, started through its menu command "Start Log".
inline std::string LogPath()
{
    char name[NBX_PATH + 32];
    sprintf(name, "%sNUBRIX%d0.LOG", nbx_logDir, nbx_instance);
    return name;
}

inline bool StartLog()
{
    HWND text = TextWindowHandle(0);
    if (!text) return false;
    DeleteFileA(LogPath().c_str());   // a log left by an earlier run
    nbxt::Command(text, 1024);
    return nbxt::WaitFor([] { return nbxt::FileExists(LogPath().c_str()); }, 5000);
}

// Its text with line ends as printed ("\n").
inline std::string Log()
{
    std::string raw = nbxt::ReadWholeFile(LogPath().c_str()), out;
    for (char c : raw) if (c != '\r') out.push_back(c);
    return out;
}

// Waits until the log grows by text containing `needle` after `from` bytes.
inline bool WaitLog(size_t from, const std::string &needle, int ms = 5000)
{
    return nbxt::WaitFor([&] {
        std::string log = Log();
        return log.size() > from && log.find(needle, from) != std::string::npos;
    }, ms);
}

}  // namespace vt

#endif
