// The application shell under Wine: the main window, windows made from it
// (Paste, drops, the prompting commands), other instances; Start comes last.
#include "imagekit.h"
#include "imagewin/clipboard.h"

using namespace nbxt;

static volatile LONG userMainEntries;

void UserInit(void) { BeginDriver(false); }

void UserMain(void) { InterlockedIncrement(&userMainEntries); ServeUser(); }

// '1' per greyed item of a popup menu, '0' per enabled one; separators skipped.
static string MenuGrey(const vector<MenuEntry> &items)
{
    string s;
    for (const MenuEntry &m : items) if (m.text != "-") s += (m.state & MF_GRAYED) ? '1' : '0';
    return s;
}

TEST_CASE("main window; Ctrl-snap; Ctrl+W")
{
    HWND main = nbx_mainWindow;
    RECT expect = { 0, 0, 240, GetSystemMetrics(SM_CYMENU) + 32 };
    AdjustWindowRect(&expect, WS_VISIBLE | WS_CAPTION | WS_THICKFRAME, FALSE);
    int w = expect.right - expect.left, h = expect.bottom - expect.top;
    RECT r = WindowRect(main), proposed = { r.left, r.top, r.right + 50, r.bottom + 30 };
    // Centred across, its bottom at the work area's; the border drags to no other size.
    CHECK((r.right - r.left == w && r.left == (GetSystemMetrics(SM_CXFULLSCREEN) - w) / 2));
    CHECK((r.bottom - r.top == h && r.top == GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - h));
    SendMessageW(main, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
    CHECK((EqualRect(&proposed, &r) && StatusHas((to_string(nbx_colorDepth) + "-bit color").c_str())));
    CHECK(MenuGrey(ReadPopupMenu(main)) == "000000000");

    proposed = { 5, 300, 5 + w, 300 + h };
    SendMessageW(main, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    CHECK(proposed.left == 5);   // no Ctrl, no snap
    SetCtrlHeld(main, true);
    SendMessageW(main, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    SetCtrlHeld(main, false);
    CHECK((proposed.left == 0 && proposed.right == w && proposed.top == 300));

    REQUIRE(TextWindowHandle(0) == NULL);
    PressCtrlKey(main, 'W');
    HWND text = NULL;
    REQUIRE(UNTIL((text = TextWindowHandle(0)) != NULL));
    CHECK((GetWindowThreadProcessId(text, NULL) == nbx_userThreadId && UNTIL(nbx_request == 0 && nbx_done == 1)));
    PressCtrlKey(main, 'W');   // again: only brings it forward
    Settle(main);
    Settle();
    CHECK(TextWindowHandle(0) == text);
    OnUser([] { NBX_CloseTextWindow(0); });
}

// A main-window command and its answers, each taken once the log shows it.
static void Run(UINT id, vector<string> answers = {})
{
    Command(nbx_mainWindow, id);
    for (string &answer : answers) {
        REQUIRE(UNTIL(nbx_inputActive != 0));
        size_t at = LogText(0).size();
        TypeText(TextWindowHandle(CurrentTextWindow()), (answer + "\r").c_str());
        REQUIRE(UNTIL(LogText(0).compare(at, answer.size() + 2, answer + "\r\n") == 0));
    }
}

TEST_CASE("Paste into 000, a drop into 001, 003, 004; prompting commands")
{
    Run(1028);
    REQUIRE(UNTIL(TextWindowHandle(0) && Geometry(TextWindowHandle(0)).find(" 400x300") != string::npos));
    OnUser([] { NBX_StartLog(0); NBX_CreateImage(2, "open", 0, 0, 40, 30, 100); nbx_pixels[2][0] = 0x123456; CopyImageToClipboard(2); });
    Run(1026);
    // Image 2 current again: the saves below act on the current image.
    CHECK(UNTIL(nbx_images[0].inUse && nbx_pixels[0][0] == 0x123456 && !strcmp(nbx_images[0].title, "000") && nbx_curImage == 2));

    // a.bmp, unreadable c.bmp, a folder, b.bmp and a path of over 260
    // characters whose name is outside the code page (Hangul).
    string folder = Here(string(200, 'd')), saved[] = { "a.bmp", "b.bmp", "x.bmp" };
    u16string deep = Wide(folder + "\\") + u16string(30, u'\xD55C') + u".bmp", list;
    for (int k = 0; k < 3; k++) OnUser([&] { nbx_pixels[2][0] = k + 7; SaveImageFile(30, 40, 0, Here(saved[k]).c_str()); });
    WriteWholeFile(Here("c.bmp"), "BM not a picture");
    REQUIRE(MakeFolders(Wide(folder)));
    REQUIRE(MoveFileExW((LPCWSTR)LongPath(Wide(Here("x.bmp"))).c_str(), (LPCWSTR)LongPath(deep).c_str(), MOVEFILE_REPLACE_EXISTING));
    for (u16string file : { Wide(Here("a.bmp")), Wide(Here("c.bmp")), Wide(folder), Wide(Here("b.bmp")), deep }) list += file + u'\0';
    DropFiles(nbx_mainWindow, list);
    REQUIRE(UNTIL(nbx_images[4].inUse && nbx_pixels[4][0] == 9));
    const char *titles[] = { "001 a.bmp", "003 b.bmp", "004 " };   // then the name as the code page has it
    for (int k = 0; k < 3; k++) {
        int n = k ? k + 2 : 1;
        CHECK((!strncmp(nbx_images[n].title, titles[k], strlen(titles[k])) && nbx_pixels[n][0] == (DWORD)k + 7));
    }

    Run(1027, { "41", "31", "24" });
    Run(1027, { "41", "31", "8" });
    Run(1027, { "1", "100", "32" });   // too narrow for the minimum width at any zoom that fits
    Run(1044, { "3" });
    Run(1051, { "2", "3" });
    int items = 0, nx = 0, ny = 0, unused;
    CHECK(WaitFor([&] { OnUser([&] { items = InputBoxLayout(&unused, &unused); ButtonBoxGrid(&nx, &ny); }); return items == 3 && nx == 2 && ny == 3; }));
    CHECK((nbx_images[5].bits == 8 && nbx_images[5].width == 41 && nbx_images[6].width == 1 && nbx_images[6].height == 100));
    string image = "Creating ImageWindow...\r\n Width=";
    CHECK(LogText(0) == image + "41\r\nHeight=31\r\nBit[32 or 8]=24\r\n" + image + "41\r\nHeight=31\r\nBit[32 or 8]=8\r\n" +
                        image + "1\r\nHeight=100\r\nBit[32 or 8]=32\r\n"
                        "Creating InpuxBox...\r\nHow many items? >3\r\nCreating ButtonBox...\r\nNumber[X]=>2\r\nNumber[Y]=>3\r\n");
}

static HWND MainWindowOf1() { return FindTop(L"nubrix_mw1", NULL, true); }

static bool Shows(HWND main, const char *status) { return StatusOf(main).find(status) != string::npos; }

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
    REQUIRE(UNTIL(FindWindowExW(main, NULL, L"STATIC", NULL) != NULL));
    string early = StatusOf(main);
    REQUIRE(WaitFor([&] { return Shows(main, "bit color"); }, 10000));
    CHECK(early == "Ready");
    CHECK(EndProgram(main, p, WM_COMMAND, 1002) < 1500);

    // Started, it never polls: Exit (Esc) and a close request wait about 2 s,
    // then end it. Exit while a creation prompt waits ends it at once.
    struct { UINT command, message; WPARAM wParam; DWORD least, most; } rows[] = {
        { 1001, WM_KEYDOWN, VK_ESCAPE, 1900, 4000 }, { 1001, WM_CLOSE, 0, 1900, 4000 }, { 1051, WM_COMMAND, 1002, 0, 1500 } };
    for (auto &r : rows) {
        CAPTURE(r.message);
        p = StartProgram("idle_app" NBX_PROGRAM_SUFFIX);
        REQUIRE(WaitFor([&] { return (main = MainWindowOf1()) != NULL && Shows(main, "bit color"); }, 20000));
        PostMessageW(main, WM_COMMAND, r.command, 0);
        REQUIRE(WaitFor([&] {
            if (r.command == 1051) return Shows(main, "Input text");
            HANDLE running = OpenEventW(SYNCHRONIZE, FALSE, L"nbx_idle_app_main");
            return running && CloseHandle(running);
        }, 10000));
        DWORD took = EndProgram(main, p, r.message, r.wParam);
        CHECK((took >= r.least && took < r.most));
    }
}

TEST_CASE("Start, Stop")
{
    CHECK(userMainEntries == 0);
    Command(nbx_mainWindow, 1001);
    REQUIRE(UNTIL(userMainEntries == 1));
    Command(nbx_mainWindow, 1001);
    PressKey(nbx_mainWindow, 'S');
    Settle(nbx_mainWindow);
    Settle();
    CHECK((userMainEntries == 1 && nbx_start == 0 && nbx_running == 1));

    PressKey(nbx_mainWindow, 'C');
    CHECK(UNTIL(nbx_stop == 1));
    nbx_stop = 0;
    Command(nbx_mainWindow, 1003);
    CHECK(UNTIL(nbx_stop == 1));
    // Paste, Start, Stop, Exit, the four boxes, Window Info.
    CHECK(MenuGrey(ReadPopupMenu(nbx_mainWindow)) == "110011111");
}
