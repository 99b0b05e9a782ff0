// The application shell under Wine; Start comes last.
#include "harness.h"

using namespace nbxt;

static volatile LONG userMainEntries;

void UserInit(void) { BeginDriver(false); }

void UserMain(void) { InterlockedIncrement(&userMainEntries); ServeUser(); }

// '1' per greyed item of a popup menu, '0' per enabled one; separators skipped.
static std::string MenuGrey(const std::vector<MenuEntry> &items)
{
    std::string s;
    for (const MenuEntry &m : items) if (m.text != "-") s += (m.state & MF_GRAYED) ? '1' : '0';
    return s;
}

TEST_CASE("main window")
{
    HWND main = nbx_mainWindow;
    RECT expect = { 0, 0, 240, GetSystemMetrics(SM_CYMENU) + 32 };
    AdjustWindowRect(&expect, WS_VISIBLE | WS_CAPTION | WS_THICKFRAME, FALSE);
    int w = expect.right - expect.left, h = expect.bottom - expect.top;
    RECT r = WindowRect(main), proposed = { r.left, r.top, r.right + 50, r.bottom + 30 };
    // Centred across, its bottom at the bottom of the work area; the border drags to no other size.
    CHECK((r.right - r.left == w && r.left == (GetSystemMetrics(SM_CXFULLSCREEN) - w) / 2));
    CHECK((r.bottom - r.top == h && r.top == GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - h));
    SendMessageW(main, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
    CHECK((EqualRect(&proposed, &r) && StatusHas((std::to_string(nbx_colorDepth) + "-bit color").c_str())));
    CHECK(MenuGrey(ReadPopupMenu(main)) == "000000000");
}

TEST_CASE("Ctrl-snap; Ctrl+W")
{
    RECT r = WindowRect(nbx_mainWindow);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT proposed = { 5, 300, 5 + w, 300 + h };
    SendMessageW(nbx_mainWindow, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    CHECK(proposed.left == 5);   // no Ctrl, no snap
    SetCtrlHeld(nbx_mainWindow, true);
    SendMessageW(nbx_mainWindow, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    SetCtrlHeld(nbx_mainWindow, false);
    CHECK((proposed.left == 0 && proposed.right == w && proposed.top == 300));

    REQUIRE(TextWindowHandle(0) == NULL);
    PressCtrlKey(nbx_mainWindow, 'W');
    HWND text = NULL;
    REQUIRE(WaitFor([&] { return (text = TextWindowHandle(0)) != NULL; }));
    CHECK((GetWindowThreadProcessId(text, NULL) == nbx_userThreadId && WaitFor([] { return nbx_request == 0 && nbx_done == 1; })));
    PressCtrlKey(nbx_mainWindow, 'W');   // again: only brings it forward
    Settle(nbx_mainWindow);
    Settle();
    CHECK(TextWindowHandle(0) == text);
    OnUser([] { NBX_CloseTextWindow(0); });
}

static HWND MainWindowOf1() { return FindTop(L"nubrix_mw1", NULL, true); }

// ms until another program ended with code 0 after the message.
static DWORD EndProgram(HWND main, HANDLE p, UINT message, WPARAM wParam)
{
    DWORD t0 = GetTickCount();
    PostMessageW(main, message, wParam, 0);
    CHECK(WaitExit(p, 10000) == 0);
    CloseHandle(p);
    return GetTickCount() - t0;
}

TEST_CASE("another instance and its Exit")
{
    HANDLE p = StartProgram("idle_app" NBX_PROGRAM_SUFFIX);
    HWND main = NULL;
    REQUIRE(WaitFor([&] { return (main = MainWindowOf1()) != NULL; }, 20000));
    REQUIRE(WaitFor([&] { return FindWindowExW(main, NULL, L"STATIC", NULL) != NULL; }));
    std::string early = StatusOf(main);
    int earlyTop = WindowRect(main).top;
    REQUIRE(WaitFor([&] { return StatusOf(main).find("bit color") != std::string::npos; }, 10000));
    CHECK(early == "Ready");
    int slid = WindowRect(main).top - earlyTop;
    CHECK((slid > 0 && slid <= 55));
    CHECK(EndProgram(main, p, WM_COMMAND, 1002) < 1500);

    // Started, it never polls: Exit (Esc) and a close request wait about 2 s, then end it.
    for (UINT message : { WM_KEYDOWN, WM_CLOSE }) {
        p = StartProgram("idle_app" NBX_PROGRAM_SUFFIX);
        REQUIRE(WaitFor([&] { return (main = MainWindowOf1()) != NULL && StatusOf(main).find("bit color") != std::string::npos; }, 20000));
        PostMessageW(main, WM_COMMAND, 1001, 0);
        REQUIRE(WaitFor([] {
            HANDLE running = OpenEventW(SYNCHRONIZE, FALSE, L"nbx_idle_app_main");
            return running && CloseHandle(running);
        }));
        DWORD took = EndProgram(main, p, message, message == WM_KEYDOWN ? VK_ESCAPE : 0);
        CHECK((took >= 1900 && took < 4000));
    }
}

TEST_CASE("Start, Stop")
{
    CHECK(userMainEntries == 0);
    Command(nbx_mainWindow, 1001);
    REQUIRE(WaitFor([] { return userMainEntries == 1; }));
    Command(nbx_mainWindow, 1001);
    PressKey(nbx_mainWindow, 'S');
    Settle(nbx_mainWindow);
    Settle();
    CHECK((userMainEntries == 1 && nbx_start == 0 && nbx_running == 1));

    PressKey(nbx_mainWindow, 'C');
    CHECK(WaitFor([] { return nbx_stop == 1; }));
    nbx_stop = 0;
    Command(nbx_mainWindow, 1003);
    CHECK(WaitFor([] { return nbx_stop == 1; }));
    // Paste, Start, Stop, Exit, the four boxes, Window Info.
    CHECK(MenuGrey(ReadPopupMenu(nbx_mainWindow)) == "110011111");
}
