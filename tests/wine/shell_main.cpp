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

TEST_CASE("Start enters UserMain once; Stop sets the flag")
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
}
