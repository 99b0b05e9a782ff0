// harness.h - drives a live NUBRIX program from a test thread inside it.
//
// A behaviour test is a user program. Its UserInit calls nbxt::BeginDriver(),
// which starts a driver thread running the file's doctest cases; UserMain
// calls nbxt::ServeUser(), which pumps the user thread and runs the closures
// the driver hands it with OnUser(). The driver sends the same messages a
// user's keys, clicks and menus produce, and reads back what the program did.
#ifndef NBX_TEST_HARNESS_H
#define NBX_TEST_HARNESS_H

#include "shell/nbx_internal.h"
#include "doctest_wine.h"
#include <functional>
#include <string>
#include <vector>

namespace nbxt {

// From UserInit: start the driver thread. With autoStart the user program
// starts at once (nbx_start = 1), as the movie viewer does.
void BeginDriver(bool autoStart = true);
// From UserMain: serve the driver's calls forever.
void ServeUser();

// Runs fn on the user thread and waits for it.
void OnUser(const std::function<void()> &fn);
// Runs fn on the user thread without waiting; Done() tells when it finished.
struct Pending;
Pending *OnUserAsync(const std::function<void()> &fn);
bool Done(Pending *p);
bool WaitDone(Pending *p, int ms = 10000);   // frees p when it finished

// Polls pred (every 5 ms) until it holds or ms pass.
bool WaitFor(const std::function<bool()> &pred, int ms = 5000);
// Waits until the thread that owns `window` (the user thread when NULL) has
// handled what was posted to it before the call, twice over: what a first
// pass fed a waiting tool, or a character TranslateMessage made of a posted
// key, is handled in the second.
void Settle(HWND window = NULL);

// Input as a user produces it.
void TypeText(HWND window, const char *ansi);       // WM_CHAR per UTF-16 unit
void TypeWide(HWND window, const WCHAR *text);
void PressKey(HWND window, UINT vk);                // WM_KEYDOWN + WM_KEYUP
void PressCtrlKey(HWND window, UINT vk);            // same with Ctrl held
void SetCtrlHeld(HWND window, bool held);           // key state of window's thread
void Command(HWND window, UINT id);                 // WM_COMMAND posted
void ClickClient(HWND window, int x, int y, bool right = false);

// The popup menu a right click at (10, 10) opens, read while it is tracked
// and then dismissed: text ("-" for a separator), id and MF_ state bits.
struct MenuEntry { std::string text; UINT id; UINT state; };
std::vector<MenuEntry> ReadPopupMenu(HWND window);

// Reading back.
std::string WindowTextA(HWND window);               // ANSI code page
// The status line of a main window (any process), read without a message:
// the window may be busy.
std::string StatusOf(HWND mainWindow);
std::u16string WindowTextW(HWND window);
RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);
// "x,y WxH": the window's top-left corner on screen and its client size.
std::string Geometry(HWND window);
// "x,y WxH" of a child window in its parent's client area.
std::string Place(HWND child);
// Pixels of the client area on screen (0x00RRGGBB, row-major), as a user sees them.
std::vector<DWORD> GrabClient(HWND window);
std::string ClipboardText();                        // CF_TEXT
bool SetClipboardUnicode(const std::u16string &text);
std::string ReadWholeFile(const char *windowsPath); // bytes, "" when missing
bool FileExists(const char *windowsPath);
std::string CurrentDir();                           // ANSI, no trailing '\'
// A file of the start-up folder (the file dialogs move the current one).
std::string Here(const std::string &file);
bool WriteWholeFile(const std::string &path, const std::string &bytes);
// The log file of this program's text window n, and its bytes.
std::string LogPath(int n);
std::string LogText(int n);

// Top-level windows of this process (or any, with anyProcess).
HWND FindTop(const WCHAR *className, const WCHAR *caption, bool anyProcess = false);
HWND WaitTop(const WCHAR *className, const WCHAR *caption, int ms = 5000);
// A message box or dialog by caption; clicks the button with that id.
bool AnswerDialog(const WCHAR *caption, int buttonId, int ms = 5000);
// Answers the line input a command asks for in the current text window:
// types line and Enter, then waits until the command has returned.
void AnswerInput(const char *line);
// Posts the WM_DROPFILES the shell sends for files, each followed by u'\0'.
void DropFiles(HWND window, const std::u16string &files);
std::u16string Wide(const std::string &ansi);
std::string Ansi(const WCHAR *wide);
// An absolute path of any length as the wide file calls take it ("\\?\" first),
// and every folder of one made with them: the build folder may be anywhere.
std::u16string LongPath(const std::u16string &path);
bool MakeFolders(const std::u16string &folder);
// A folder (ending in '\\') that leaves room for paths near the 260-character
// limit: the start-up folder when its path is short, else one of the
// temporary folder.
std::string RoomyDir();

// Chooses the first item of the popup menu being tracked; returns its text.
std::string ChooseMenuItem();

// The common file dialogs (open and save) of this process (or of any, with
// anyProcess): the visible "#32770" with that caption (any caption when NULL)
// that has a file-name box.
HWND WaitFileDialog(const WCHAR *caption, int ms = 15000, bool anyProcess = false);
HWND FileDialogNameEdit(HWND dialog);   // the edit of the file-name box
HWND FileDialogFilterCombo(HWND dialog);  // the file-type combo (cmb1)
// Chooses filter index (1-based) as a user's pick in the combo does.
void ChooseFileDialogFilter(HWND dialog, int index);

// Child processes (other programs of the build folder, NBX_TEST_BIN).
std::string BinPath(const char *programFile);       // "<bin>\\<file>"
HANDLE StartProgram(const char *programFile, const char *workDir = nullptr);
DWORD WaitExit(HANDLE process, int ms);             // STILL_ACTIVE on timeout

}  // namespace nbxt

#endif
