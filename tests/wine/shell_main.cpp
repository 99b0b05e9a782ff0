// The application shell under Wine: the main window, Start / Stop / Exit,
// nbx-test: also-cp1252
// the status line and the instance limit.
#include "harness.h"
#include <stdio.h>

static volatile int userMainEntries;

void UserInit(void) { nbxt::BeginDriver(false); }

void UserMain(void)
{
    InterlockedIncrement((volatile LONG *)&userMainEntries);
    nbxt::ServeUser();
}

TEST_CASE("main window class, caption, menu and placement")
{
    HWND main = nbx_mainWindow;
    REQUIRE(main != NULL);
    WCHAR cls[32];
    GetClassNameW(main, cls, 32);
    WCHAR expected[16];
    wsprintfW(expected, L"nubrix_mw%d", nbx_instance);
    CHECK(lstrcmpW(cls, expected) == 0);
    CHECK(nbxt::WindowTextA(main) == "NUBRIX 7.3  2009/4/30");

    HMENU bar = GetMenu(main);
    REQUIRE(bar != NULL);
    CHECK(GetMenuItemCount(bar) == 3);
    const char *labels[3] = { "Start(&S)", "Stop(&C)", "Exit(&X)" };
    const UINT ids[3] = { 1001, 1003, 1002 };
    for (int i = 0; i < 3; i++) {
        char text[64];
        GetMenuStringA(bar, i, text, 64, MF_BYPOSITION);
        CHECK(std::string(text) == labels[i]);
        CHECK(GetMenuItemID(bar, i) == ids[i]);
    }

    LONG style = GetWindowLongW(main, GWL_STYLE);
    CHECK((style & WS_SYSMENU) == 0);   // no close box

    RECT expect = { 0, 0, 240, GetSystemMetrics(SM_CYMENU) + 32 };
    AdjustWindowRect(&expect, WS_VISIBLE | WS_CAPTION | WS_THICKFRAME, FALSE);
    int w = expect.right - expect.left, h = expect.bottom - expect.top;
    RECT r = nbxt::WindowRect(main);
    CHECK(r.right - r.left == w);
    CHECK(r.bottom - r.top == h);
    CHECK(r.left == (GetSystemMetrics(SM_CXFULLSCREEN) - w) / 2);
    CHECK(r.top == GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION) - h);

    char depth[32];
    sprintf(depth, "%d-bit color", nbx_colorDepth);
    std::string status = nbxt::WindowTextA(nbx_statusWindow);
    CHECK(status.find(depth) != std::string::npos);
    CHECK(nbx_colorDepth >= 24);
}

TEST_CASE("dragging the border keeps the main window's size")
{
    RECT before = nbxt::WindowRect(nbx_mainWindow);
    RECT proposed = before;
    proposed.right += 50;
    proposed.bottom += 30;
    SendMessageW(nbx_mainWindow, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
    CHECK(proposed.right == before.right);
    CHECK(proposed.bottom == before.bottom);
}

// Opens the main window's popup menu from its right button, reads its items
// (text and state) and closes it again.
struct MenuItem { std::string text; UINT id; bool grey; };

static std::vector<MenuItem> ReadPopupMenu()
{
    std::vector<MenuItem> items;
    PostMessageW(nbx_mainWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    HWND popup = NULL;
    nbxt::WaitFor([&] { return (popup = FindWindowW(L"#32768", NULL)) != NULL && IsWindowVisible(popup); });
    REQUIRE(popup != NULL);
    HMENU menu = (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0);
    REQUIRE(menu != NULL);
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        char text[128] = "";
        GetMenuStringA(menu, i, text, 128, MF_BYPOSITION);
        UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        MenuItem item = { text, GetMenuItemID(menu, i), (state & MF_GRAYED) != 0 };
        if (state & MF_SEPARATOR) item.text = "-";
        items.push_back(item);
    }
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(nbx_mainWindow, WM_CANCELMODE, 0, 0);
    nbxt::WaitFor([] { HWND p = FindWindowW(L"#32768", NULL); return !p || !IsWindowVisible(p); });
    return items;
}

static std::string Describe(const std::vector<MenuItem> &items)
{
    std::string s;
    for (const MenuItem &m : items) s += m.text + (m.grey ? "(grey)" : "") + "|";
    return s;
}

TEST_CASE("popup menu before Start: every item enabled, in order")
{
    REQUIRE(nbx_running == 0);
    std::vector<MenuItem> items = ReadPopupMenu();
    CHECK(Describe(items) ==
          "Paste\tCtrl+V|-|Start|Stop|E&xit|-|Image Window|Text Window|Input Box|Button Box|-|"
          "&Window Info.\tCtrl+W|");
    const UINT ids[] = { 1026, 0, 1001, 1003, 1002, 0, 1027, 1028, 1044, 1051, 0, 1045 };
    REQUIRE(items.size() == 12);
    for (size_t i = 0; i < items.size(); i++)
        if (items[i].text != "-") CHECK(items[i].id == ids[i]);
}

TEST_CASE("Ctrl-dragging the main window snaps it to the screen edge; without Ctrl it does not")
{
    RECT r = nbxt::WindowRect(nbx_mainWindow);
    int w = r.right - r.left, h = r.bottom - r.top;
    RECT proposed = { 5, 300, 5 + w, 300 + h };
    SendMessageW(nbx_mainWindow, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    CHECK(proposed.left == 5);
    nbxt::SetCtrlHeld(nbx_mainWindow, true);
    SendMessageW(nbx_mainWindow, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    nbxt::SetCtrlHeld(nbx_mainWindow, false);
    CHECK(proposed.left == 0);
    CHECK(proposed.right - proposed.left == w);
    CHECK(proposed.top == 300);
}

TEST_CASE("Ctrl+W before Start opens text window 0 on the user thread through the request channel")
{
    REQUIRE(nbx_running == 0);
    REQUIRE(TextWindowHandle(0) == NULL);
    nbxt::PressCtrlKey(nbx_mainWindow, 'W');
    HWND text = NULL;
    REQUIRE(nbxt::WaitFor([&] { return (text = TextWindowHandle(0)) != NULL; }));
    CHECK(GetWindowThreadProcessId(text, NULL) == nbx_userThreadId);
    CHECK(nbxt::WindowTextA(text) == "TextWindow 0");
    CHECK(CurrentTextWindow() == 0);
    CHECK(nbx_request == 0);
    CHECK(nbx_done == 1);
    // Asking again only brings it forward: no second window, no request.
    nbxt::PressCtrlKey(nbx_mainWindow, 'W');
    nbxt::Pause(200);
    CHECK(TextWindowHandle(0) == text);
    nbxt::OnUser([] { NBX_CloseTextWindow(0); });
}

TEST_CASE("Start enters UserMain once; Stop sets the flag; the popup then greys all but Stop and Exit")
{
    CHECK(nbx_running == 0);
    CHECK(userMainEntries == 0);
    nbxt::Command(nbx_mainWindow, 1001);
    REQUIRE(nbxt::WaitFor([] { return userMainEntries == 1; }));
    CHECK(nbx_running == 1);
    CHECK(nbx_start == 0);
    // Start again from the menu and from the S key: nothing more happens.
    nbxt::Command(nbx_mainWindow, 1001);
    nbxt::PressKey(nbx_mainWindow, 'S');
    nbxt::Pause(200);
    CHECK(userMainEntries == 1);
    CHECK(nbx_start == 0);

    CHECK(nbx_stop == 0);
    nbxt::PressKey(nbx_mainWindow, 'C');
    CHECK(nbxt::WaitFor([] { return nbx_stop == 1; }));
    nbx_stop = 0;
    nbxt::Command(nbx_mainWindow, 1003);
    CHECK(nbxt::WaitFor([] { return nbx_stop == 1; }));

    std::vector<MenuItem> items = ReadPopupMenu();
    for (const MenuItem &m : items) {
        if (m.text == "-") continue;
        bool shouldBeEnabled = m.id == 1003 || m.id == 1002;
        CHECK_MESSAGE(m.grey == !shouldBeEnabled, m.text);
    }
}
