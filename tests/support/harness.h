// harness.h - drives a live NUBRIX program from a driver thread inside it.
// UserInit calls BeginDriver(), which runs the file's doctest cases on a
// thread of their own; UserMain calls ServeUser(), which runs on the user
// thread what the driver hands it with OnUser().
#ifndef NBX_TEST_HARNESS_H
#define NBX_TEST_HARNESS_H

#include "shell/nbx_internal.h"
#include "doctest_wine.h"
#include <functional>
#include <string>
#include <vector>

namespace nbxt {

void BeginDriver(bool autoStart = true);   // autoStart: nbx_start = 1 at once
void ServeUser();

void OnUser(const std::function<void()> &fn);   // runs fn on the user thread and waits
template <class F> auto Get(F f) { decltype(f()) r{}; OnUser([&] { r = f(); }); return r; }
struct Pending;
Pending *OnUserAsync(const std::function<void()> &fn);
bool Done(Pending *p);
bool WaitDone(Pending *p, int ms = 10000);   // frees p when it finished

bool WaitFor(const std::function<bool()> &pred, int ms = 5000);
// Waits until the thread owning `window` (the user thread when NULL) has
// handled what was posted before, twice: a character TranslateMessage makes
// of a posted key is handled in the second pass.
void Settle(HWND window = NULL);

void TypeText(HWND window, const char *ansi);   // WM_CHAR per UTF-16 unit
void PressKey(HWND window, UINT vk);
void PressCtrlKey(HWND window, UINT vk);
void SetCtrlHeld(HWND window, bool held);
void Command(HWND window, UINT id);
void ClickClient(HWND window, int x, int y, bool right = false);

// The popup menu a right click at (10, 10) opens ("-" for a separator).
struct MenuEntry { std::string text; UINT id; UINT state; };
std::vector<MenuEntry> ReadPopupMenu(HWND window);
std::string ChooseMenuItem();   // picks the first item of the tracked popup; its text

std::string WindowTextA(HWND window);
std::u16string WindowTextW(HWND window);
std::string StatusOf(HWND mainWindow);   // read without a message: the window may be busy
bool StatusHas(const char *text);        // this program's status line
RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);
std::string Geometry(HWND window);   // "x,y WxH": top-left on screen, client size
std::string Place(HWND child);       // "x,y WxH" in the parent's client area
std::vector<DWORD> GrabClient(HWND window);   // 0x00RRGGBB, as on screen
std::string ClipboardText();
bool SetClipboardUnicode(const std::u16string &text);
std::string ReadWholeFile(const char *windowsPath);   // "" when missing
bool FileExists(const char *windowsPath);
std::string CurrentDir();   // no trailing '\'
std::string Here(const std::string &file);   // in the start-up folder
bool WriteWholeFile(const std::string &path, const std::string &bytes);
std::string LogPath(int n);   // text window n's log
std::string LogText(int n);
bool LogHas(int n, const std::string &text);

HWND FindTop(const WCHAR *className, const WCHAR *caption, bool anyProcess = false);
HWND WaitTop(const WCHAR *className, const WCHAR *caption, int ms = 5000);
bool AnswerDialog(const WCHAR *caption, int buttonId, int ms = 5000);
void AnswerInput(const char *line);   // types it and Enter; returns once the input ended
// Renames a box's item by a double click at (x, y), or a right click there and
// "Rename" in its menu, answering the question with `answer`.
void Rename(HWND box, int x, int y, bool menu, const char *answer);
void DropFiles(HWND window, const std::u16string &files);   // each followed by u'\0'
std::u16string Wide(const std::string &ansi);
std::string Ansi(const WCHAR *wide);
std::u16string LongPath(const std::u16string &path);   // "\\?\" first
bool MakeFolders(const std::u16string &folder);
std::string RoomyDir();   // ends in '\', with room for paths near 260 characters

// The visible common file dialog with that caption (any when NULL).
HWND WaitFileDialog(const WCHAR *caption, int ms = 15000, bool anyProcess = false);
HWND FileDialogNameEdit(HWND dialog);
HWND FileDialogFilterCombo(HWND dialog);
void ChooseFileDialogFilter(HWND dialog, int index);   // 1-based, as a user's pick
// Types name and Enter into the file dialog's name box; true once it closed.
bool ChooseFile(const char *name, bool anyProcess = false, const WCHAR *caption = NULL);

std::string HostDir(const char *variable);   // a host folder from the environment, as Z:\...
std::string BinPath(const char *programFile);   // in the build folder, NBX_TEST_BIN
HANDLE StartProgram(const char *programFile, const char *workDir = nullptr);   // a full path or BinPath's
DWORD WaitExit(HANDLE process, int ms);   // STILL_ACTIVE on timeout

}  // namespace nbxt

#endif
