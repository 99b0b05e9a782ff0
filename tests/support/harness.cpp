#define DOCTEST_CONFIG_IMPLEMENT
#include "harness.h"
#include "dib32.h"
#include <shlobj.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>

namespace nbxt {

struct Pending { std::function<void()> fn; volatile LONG done; };

static DWORD userThreadId;
static HWND callWindow;
// Ended with the test program: one left would hold the runner's pipe open.
static vector<DWORD> started;

// Calls reach the user thread as messages to a hidden window: they run in any pump.
static LRESULT CALLBACK CallWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m != WM_APP + 77) return DefWindowProcW(w, m, wp, lp);
    Pending *p = (Pending *)lp;
    p->fn();
    InterlockedExchange(&p->done, 1);
    return 0;
}

void ServeUser() { for (;; Sleep(1)) NBX_PumpMessages(); }

Pending *OnUserAsync(const std::function<void()> &fn)
{
    Pending *p = new Pending{ fn, 0 };
    PostMessageW(callWindow, WM_APP + 77, 0, (LPARAM)p);
    return p;
}

bool Done(Pending *p) { return p->done != 0; }

bool WaitDone(Pending *p, int ms)
{
    if (!WaitFor([p] { return Done(p); }, ms)) return false;
    delete p;
    return true;
}

void OnUser(const std::function<void()> &fn)
{
    if (GetCurrentThreadId() == userThreadId) return fn();
    if (!WaitDone(OnUserAsync(fn), 30000)) FAIL("the user thread took no call in 30 s");
}

bool WaitFor(const std::function<bool()> &pred, int ms)
{
    for (DWORD start = GetTickCount(); !pred(); Sleep(5))
        if ((int)(GetTickCount() - start) > ms) return pred();
    return true;
}

// A marker posted last is taken once all before it was handled.
static volatile LONG markerTaken;

static LRESULT CALLBACK MarkerHook(int code, WPARAM removed, LPARAM lp)
{
    const MSG *m = (const MSG *)lp;
    if (code >= 0 && removed == PM_REMOVE && m->message == WM_NULL && m->wParam == 0x5E77) InterlockedExchange(&markerTaken, 1);
    return CallNextHookEx(NULL, code, removed, lp);
}

void Settle(HWND window)
{
    DWORD thread = window ? GetWindowThreadProcessId(window, NULL) : userThreadId;
    for (int pass = 0; pass < 2; pass++) {
        if (thread == userThreadId) {
            OnUser([] {});   // runs in any pump, a menu's loop too
            continue;
        }
        markerTaken = 0;
        HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, MarkerHook, NULL, thread);
        PostMessageW(window, WM_NULL, 0x5E77, 0);
        bool taken = WaitFor([] { return markerTaken != 0; }, 10000);
        UnhookWindowsHookEx(hook);
        if (!taken) FAIL("the window's thread took no message in 10 s");
    }
}

static DWORD WINAPI DriverMain(LPVOID)
{
    WaitFor([] { return nbx_statusWindow && StatusHas("bit color"); }, 20000);
    doctest::Context context;
    const char *only = getenv("NBX_TEST_CASE");
    if (only && *only) context.setOption("test-case", only);
    int failed = context.run();
    for (DWORD pid : started) {
        HANDLE p = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
        if (p) TerminateProcess(p, 9), CloseHandle(p);
    }
    fflush(stdout);
    // Not ExitProcess: its detach code now and then crashed under Wine once
    // a file dialog had been used.
    TerminateProcess(GetCurrentProcess(), failed ? 1 : 0);
    return 1;
}

void BeginDriver(bool autoStart)
{
    userThreadId = GetCurrentThreadId();
    WNDCLASSW wc = { 0, CallWindowProc };
    wc.lpszClassName = L"nbxt_calls";
    RegisterClassW(&wc);
    callWindow = CreateWindowExW(0, L"nbxt_calls", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
    setvbuf(stdout, NULL, _IONBF, 0);
    CreateThread(NULL, 0, DriverMain, NULL, 0, NULL);
    if (autoStart) nbx_start = 1;
}

void TypeText(HWND window, const char *ansi) { for (char16_t c : Wide(ansi)) PostMessageW(window, WM_CHAR, c, 1); }

void PressKey(HWND window, UINT vk)
{
    PostMessageW(window, WM_KEYDOWN, vk, 1);
    PostMessageW(window, WM_KEYUP, vk, 0xC0000001);
}

static void SetOwnCtrl(bool held)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = held ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Another thread's key state is set through a brief attach, which can fail.
static void SetCtrlOnThread(DWORD target, bool held)
{
    if (target == userThreadId) return OnUser([held] { SetOwnCtrl(held); });
    for (int i = 0; i < 50; i++, Sleep(10)) {
        if (!AttachThreadInput(GetCurrentThreadId(), target, TRUE)) continue;
        SetOwnCtrl(held);
        bool took = (GetKeyState(VK_CONTROL) < 0) == held;
        AttachThreadInput(GetCurrentThreadId(), target, FALSE);
        if (took) return;
    }
    FAIL("could not set the thread's Ctrl key");
}

void SetCtrlHeld(HWND window, bool held) { SetCtrlOnThread(GetWindowThreadProcessId(window, NULL), held); }

void PressCtrlKey(HWND window, UINT vk)
{
    DWORD thread = GetWindowThreadProcessId(window, NULL);
    SetCtrlOnThread(thread, true);
    SendMessageW(window, WM_KEYDOWN, vk, 1);
    SetCtrlOnThread(thread, false);
    PostMessageW(window, WM_KEYUP, vk, 0xC0000001);
}

void Command(HWND window, UINT id) { PostMessageW(window, WM_COMMAND, id, 0); }

void ClickClient(HWND window, int x, int y, bool right)
{
    PostMessageW(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

static HWND TrackedPopup()
{
    HWND popup = NULL;
    UNTIL((popup = FindTop(L"#32768", NULL)) != NULL && IsWindowVisible(popup));
    REQUIRE(popup != NULL);
    return popup;
}

vector<MenuEntry> ReadPopupMenu(HWND window)
{
    vector<MenuEntry> items;
    ClickClient(window, 10, 10, true);
    HWND popup = TrackedPopup();
    HMENU menu = (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0);
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[128] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        items.push_back({ (state & MF_SEPARATOR) ? "-" : text, state });
    }
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(window, WM_CANCELMODE, 0, 0);
    REQUIRE(UNTIL(!IsWindowVisible(popup)));
    return items;
}

string ChooseMenuItem()
{
    HWND popup = TrackedPopup();
    char text[64] = "";
    GetMenuStringA((HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0), 0, text, 64, MF_BYPOSITION);
    PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 1);
    UNTIL(!IsWindowVisible(popup));
    return text;
}

u16string WindowTextW(HWND window)
{
    WCHAR text[4096] = { 0 };
    SendMessageTimeoutW(window, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, NULL);
    return (const char16_t *)text;
}

string WindowTextA(HWND window) { return Ansi((const WCHAR *)WindowTextW(window).c_str()); }

bool StatusHas(const char *text) { return WindowTextA(nbx_statusWindow).find(text) != string::npos; }

string StatusOf(HWND mainWindow)
{
    WCHAR text[128] = { 0 };
    InternalGetWindowText(FindWindowExW(mainWindow, NULL, L"STATIC", NULL), text, 128);
    return Ansi(text);
}

RECT WindowRect(HWND window)
{
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

SIZE ClientSize(HWND window)
{
    RECT r = {};
    GetClientRect(window, &r);
    return { r.right, r.bottom };
}

static string Placed(long x, long y, long w, long h)
{
    return to_string(x) + "," + to_string(y) + " " + to_string(w) + "x" + to_string(h);
}

string Geometry(HWND window)
{
    SIZE s = ClientSize(window);
    return Placed(WindowRect(window).left, WindowRect(window).top, s.cx, s.cy);
}

string Place(HWND child)
{
    RECT r = WindowRect(child);
    MapWindowPoints(NULL, GetParent(child), (POINT *)&r, 2);
    return Placed(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

vector<DWORD> GrabClient(HWND window)
{
    POINT at = { 0, 0 };
    ClientToScreen(window, &at);
    SIZE s = ClientSize(window);
    vector<DWORD> pixels((size_t)s.cx * s.cy);
    HDC screen = GetDC(NULL), mem = CreateCompatibleDC(screen);
    void *bits;
    HBITMAP dib = CreateTopDownDib32(screen, s.cx, s.cy, &bits);
    HGDIOBJ old = SelectObject(mem, dib);
    // Rows below the screen stay 0: a copy past its edge copies nothing.
    BitBlt(mem, 0, 0, s.cx, std::min((int)s.cy, GetSystemMetrics(SM_CYSCREEN) - (int)at.y), screen, at.x, at.y, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = ((DWORD *)bits)[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(dib);
    DeleteDC(mem);
    ReleaseDC(NULL, screen);
    return pixels;
}

static void OpenClipboardPatiently() { for (int tries = 0; tries < 50 && !OpenClipboard(NULL); tries++) Sleep(20); }

string ClipboardText()
{
    OpenClipboardPatiently();
    HANDLE data = GetClipboardData(CF_TEXT);
    const char *text = data ? (const char *)GlobalLock(data) : NULL;
    string out = text ? text : "";
    if (data) GlobalUnlock(data);
    CloseClipboard();
    return out;
}

bool SetClipboardUnicode(const u16string &text)
{
    OpenClipboardPatiently();
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * 2);
    GlobalUnlock(mem);
    bool ok = SetClipboardData(CF_UNICODETEXT, mem) != NULL;
    CloseClipboard();
    return ok;
}

string ReadWholeFile(const char *windowsPath)
{
    string out;
    HANDLE f = CreateFileA(windowsPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
    if (f == INVALID_HANDLE_VALUE) return out;
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(f, buf, sizeof buf, &got, NULL) && got) out.append(buf, got);
    CloseHandle(f);
    return out;
}

bool FileExists(const char *windowsPath) { return GetFileAttributesA(windowsPath) != INVALID_FILE_ATTRIBUTES; }

string Here(const string &file) { return nbx_logDir + file; }

bool WriteWholeFile(const string &path, const string &bytes)
{
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    BOOL ok = f != INVALID_HANDLE_VALUE && (bytes.empty() || WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, NULL));
    CloseHandle(f);
    return ok && written == bytes.size();
}

string LogPath(int n) { return Here("NUBRIX" + to_string(nbx_instance) + to_string(n) + ".LOG"); }
string LogText(int n) { return ReadWholeFile(LogPath(n).c_str()); }
bool LogHas(int n, const string &text) { return LogText(n).find(text) != string::npos; }

string CurrentDir()
{
    char dir[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, dir);
    string s = dir;
    return s.empty() || s.back() != '\\' ? s : s.substr(0, s.size() - 1);
}

// The first top-level window passing `match`, of this process unless anyProcess.
static HWND FindTopWhere(bool anyProcess, const std::function<bool(HWND)> &match)
{
    for (HWND w = NULL; (w = FindWindowExW(NULL, w, NULL, NULL)) != NULL;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if ((anyProcess || pid == GetCurrentProcessId()) && match(w)) return w;
    }
    return NULL;
}

static bool Named(HWND w, const WCHAR *className, const WCHAR *caption)
{
    WCHAR buf[512] = { 0 };
    GetClassNameW(w, buf, 512);
    if (className && lstrcmpW(buf, className) != 0) return false;
    buf[0] = 0;
    InternalGetWindowText(w, buf, 512);
    return !caption || lstrcmpW(buf, caption) == 0;
}

HWND FindTop(const WCHAR *className, const WCHAR *caption, bool anyProcess)
{
    return FindTopWhere(anyProcess, [&](HWND w) { return Named(w, className, caption); });
}

HWND WaitTop(const WCHAR *className, const WCHAR *caption, int ms)
{
    HWND found = NULL;
    WaitFor([&] { return (found = FindTop(className, caption)) != NULL; }, ms);
    return found;
}

bool AnswerDialog(const WCHAR *caption, int buttonId, int ms)
{
    HWND box = WaitTop(L"#32770", caption, ms);
    if (box) PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), 0);
    return box && WaitFor([box] { return !IsWindow(box); }, ms);
}

void AnswerInput(const char *line)
{
    REQUIRE(UNTIL(nbx_inputActive != 0));
    TypeText(TextWindowHandle(CurrentTextWindow()), (string(line) + "\r").c_str());
    REQUIRE(UNTIL(nbx_inputActive == 0));
    OnUser([] {});
}

void Rename(HWND box, int x, int y, bool menu, const char *answer)
{
    PostMessageW(box, menu ? WM_RBUTTONDOWN : WM_LBUTTONDBLCLK, menu ? MK_RBUTTON : MK_LBUTTON, MAKELPARAM(x, y));
    if (menu) CHECK(ChooseMenuItem() == "Rename");
    AnswerInput(answer);
}

void DropFiles(HWND window, const u16string &files)
{
    DROPFILES *drop = (DROPFILES *)GlobalAlloc(GPTR, sizeof(DROPFILES) + files.size() * 2 + 2);   // zeroed: the list's end
    *drop = { sizeof(DROPFILES), { 0, 0 }, FALSE, TRUE };
    memcpy(drop + 1, files.data(), files.size() * 2);
    PostMessageW(window, WM_DROPFILES, (WPARAM)drop, 0);
}

u16string Wide(const string &ansi)
{
    vector<WCHAR> wide(ansi.size() + 1);
    NbxAnsiToWide(ansi.c_str(), wide.data(), (int)wide.size());
    return (const char16_t *)wide.data();
}

string Ansi(const WCHAR *wide)
{
    vector<char> ansi(lstrlenW(wide) * 2 + 1);
    NbxWideToAnsi(wide, ansi.data(), (int)ansi.size());
    return ansi.data();
}

u16string LongPath(const u16string &path) { return u"\\\\?\\" + path; }

bool MakeFolders(const u16string &folder)
{
    for (size_t at = folder.find(u'\\', 3);; at = folder.find(u'\\', at + 1)) {
        u16string part = LongPath(folder.substr(0, at));
        if (!CreateDirectoryW((LPCWSTR)part.c_str(), NULL) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        if (at == u16string::npos) return true;
    }
}

string RoomyDir()
{
    WCHAR temp[MAX_PATH];
    DWORD n = GetTempPathW(MAX_PATH, temp);
    if (strlen(nbx_logDir) <= 100 || n == 0 || n >= MAX_PATH) return nbx_logDir;
    string dir = Ansi(temp) + "nubrix-tests\\";
    CreateDirectoryA(dir.c_str(), NULL);
    return dir;
}

// Explorer style: the edit cmb13; old style: edt1.
static BOOL CALLBACK FindNameEdit(HWND w, LPARAM lp)
{
    WCHAR cls[32];
    GetClassNameW(w, cls, 32);
    int id = GetDlgCtrlID(w);
    if (lstrcmpiW(cls, L"Edit") != 0 || (id != 0x47C && id != 0x480)) return TRUE;
    *(HWND *)lp = w;
    return FALSE;
}

HWND FileDialogNameEdit(HWND dialog)
{
    HWND edit = NULL;
    if (dialog) EnumChildWindows(dialog, FindNameEdit, (LPARAM)&edit);
    return edit;
}

HWND FileDialogFilterCombo(HWND dialog) { return GetDlgItem(dialog, 0x470); }

HWND WaitFileDialog(const WCHAR *caption, int ms, bool anyProcess)
{
    HWND found = NULL;
    auto match = [&](HWND w) { return IsWindowVisible(w) && Named(w, L"#32770", caption) && FileDialogNameEdit(w); };
    WaitFor([&] { return (found = FindTopWhere(anyProcess, match)) != NULL; }, ms);
    // Answering a sent message, it has set itself up and filled its list.
    if (found) SendMessageTimeoutW(found, WM_NULL, 0, 0, SMTO_NORMAL, 10000, NULL);
    return found;
}

void ChooseFileDialogFilter(HWND dialog, int index)
{
    HWND combo = FileDialogFilterCombo(dialog);
    SendMessageW(combo, CB_SETCURSEL, index - 1, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), (LPARAM)combo);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), (LPARAM)combo);
}

bool ChooseFile(const char *name, bool anyProcess, const WCHAR *caption)
{
    HWND dialog = WaitFileDialog(caption, 15000, anyProcess);
    if (!dialog) return false;
    HWND edit = FileDialogNameEdit(dialog);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    TypeText(edit, name);
    PressKey(edit, VK_RETURN);
    return WaitFor([dialog] { return !IsWindow(dialog); }, 10000);
}

string HostDir(const char *variable)
{
    const char *dir = getenv(variable);
    string s = dir ? string("Z:") + dir : "";
    for (char &c : s) if (c == '/') c = '\\';
    return s;
}

string BinPath(const char *programFile) { return HostDir("NBX_TEST_BIN") + "\\" + programFile; }

HANDLE StartProgram(const char *programFile, const char *workDir)
{
    string path = strchr(programFile, ':') ? programFile : BinPath(programFile), cmd = "\"" + path + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (!CreateProcessA(path.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, workDir, &si, &pi)) return NULL;
    CloseHandle(pi.hThread);
    started.push_back(pi.dwProcessId);
    return pi.hProcess;
}

DWORD WaitExit(HANDLE process, int ms)
{
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
    return code;
}

}  // namespace nbxt
