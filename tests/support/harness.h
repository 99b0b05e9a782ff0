// harness.h - drives a live NUBRIX program: BeginDriver() (from UserInit) runs
// the doctest cases on a thread of their own; ServeUser() (from UserMain) runs
// what they hand OnUser() on the user thread.
#ifndef NBX_TEST_HARNESS_H
#define NBX_TEST_HARNESS_H

#include "shell/nbx_internal.h"
#include "doctest_wine.h"
#include <functional>
#include <string>
#include <vector>

namespace nbxt {

using std::string;
using std::to_string;
using std::u16string;
using std::vector;

void BeginDriver(bool autoStart = true);   // autoStart: nbx_start = 1 at once
void ServeUser();

void OnUser(const std::function<void()> &fn);   // runs fn on the user thread and waits
template <class F> auto Get(F f) { decltype(f()) r{}; OnUser([&] { r = f(); }); return r; }
struct Pending;
Pending *OnUserAsync(const std::function<void()> &fn);
bool Done(Pending *p);
bool WaitDone(Pending *p, int ms = 10000);   // frees p when it finished

bool WaitFor(const std::function<bool()> &pred, int ms = 5000);
#define UNTIL(...) nbxt::WaitFor([&] { return (__VA_ARGS__); })
// Waits twice until the thread of `w` (NULL: the user thread) handled
// what was posted before: a posted key's character comes in the second pass.
void Settle(HWND w = NULL);

void TypeText(HWND w, const char *ansi);   // WM_CHAR per UTF-16 unit
void PressKey(HWND w, UINT vk);
void PressCtrlKey(HWND w, UINT vk);
void SetCtrlHeld(HWND w, bool held);
void Command(HWND w, UINT id);
void ClickClient(HWND w, int x, int y, bool right = false);

// The popup menu a right click at (10, 10) opens ("-" for a separator).
struct MenuEntry { string text; UINT state; };
vector<MenuEntry> ReadPopupMenu(HWND w);
string ChooseMenuItem();   // picks the tracked popup's first item; its text

string WindowTextA(HWND w);
u16string WindowTextW(HWND w);
string StatusOf(HWND mainWindow);   // read without a message: it may be busy
bool StatusHas(const char *text);   // this program's status line
RECT WindowRect(HWND w);
SIZE ClientSize(HWND w);
string Geometry(HWND w);   // "x,y WxH": top-left on screen, client size
string Place(HWND child);       // "x,y WxH" in the parent's client area
vector<DWORD> GrabClient(HWND w);   // 0x00RRGGBB, as on screen
string ClipboardText();
bool SetClipboardUnicode(const u16string &text);
string ReadWholeFile(const char *windowsPath);   // "" when missing
bool FileExists(const char *windowsPath);
string CurrentDir();   // no trailing '\'
string Here(const string &file);   // in the start-up folder
bool WriteWholeFile(const string &path, const string &bytes);
string LogPath(int n);   // text window n's log
string LogText(int n);
bool LogHas(int n, const string &text);

HWND FindTop(const WCHAR *className, const WCHAR *caption, bool anyProcess = false);
HWND WaitTop(const WCHAR *className, const WCHAR *caption, int ms = 5000);
bool AnswerDialog(const WCHAR *caption, int buttonId, int ms = 5000);
void AnswerInput(const char *line);   // types it and Enter; returns once the input ended
// Renames a box's item at (x, y) by a double click, or by its menu's "Rename".
void Rename(HWND box, int x, int y, bool menu, const char *answer);
void DropFiles(HWND w, const u16string &files);   // each followed by u'\0'
u16string Wide(const string &ansi);
string Ansi(const WCHAR *wide);
u16string LongPath(const u16string &path);   // "\\?\" first
bool MakeFolders(const u16string &folder);
string RoomyDir();   // ends in '\', with room for paths near 260 characters

// The visible common file dialog with that caption (any when NULL).
HWND WaitFileDialog(const WCHAR *caption, int ms = 15000, bool anyProcess = false);
HWND FileDialogNameEdit(HWND dialog);
HWND FileDialogFilterCombo(HWND dialog);
void ChooseFileDialogFilter(HWND dialog, int index);   // 1-based
// Types name and Enter into the file dialog's name box; true once it closed.
bool ChooseFile(const char *name, bool anyProcess = false, const WCHAR *caption = NULL);

string HostDir(const char *variable);   // a host folder from the environment, as Z:\...
string BinPath(const char *programFile);   // in the build folder, NBX_TEST_BIN
HANDLE StartProgram(const char *programFile, const char *workDir = nullptr);   // a full path or BinPath's
DWORD WaitExit(HANDLE process, int ms);   // STILL_ACTIVE on timeout

}  // namespace nbxt

#endif
