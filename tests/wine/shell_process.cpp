// The shell seen from outside: start-up of separate program instances, the
// instance limit, Exit's timing and exit codes.
#include "harness.h"
#include <stdio.h>

void UserInit(void) { nbxt::BeginDriver(false); }
void UserMain(void) { nbxt::ServeUser(); }

static HWND MainWindowOf(int instance)
{
    WCHAR cls[16];
    wsprintfW(cls, L"nubrix_mw%d", instance);
    return FindWindowW(cls, NULL);
}

static std::string StatusOf(HWND main)
{
    HWND status = FindWindowExW(main, NULL, L"STATIC", NULL);
    WCHAR text[128] = { 0 };
    InternalGetWindowText(status, text, 128);   // no message: the window may be busy
    char ansi[128];
    NbxWideToAnsi(text, ansi, 128);
    return ansi;
}

// Starts an idle_app and waits for its main window (instance number `expect`).
static HANDLE StartIdleApp(int expect, HWND *main)
{
    HANDLE p = nbxt::StartProgram("idle_app.exe.so");
    REQUIRE(p != NULL);
    *main = NULL;
    nbxt::WaitFor([&] { return (*main = MainWindowOf(expect)) != NULL; }, 20000);
    REQUIRE(*main != NULL);
    // Started once its status shows the colour depth.
    nbxt::WaitFor([&] { return StatusOf(*main).find("bit color") != std::string::npos; }, 10000);
    return p;
}

TEST_CASE("the status line says Ready while the window drops into place")
{
    HANDLE p = nbxt::StartProgram("idle_app.exe.so");
    REQUIRE(p != NULL);
    HWND main = NULL;
    REQUIRE(nbxt::WaitFor([&] { return (main = MainWindowOf(1)) != NULL; }, 20000));
    // The window exists a moment before its status line does.
    REQUIRE(nbxt::WaitFor([&] { return FindWindowExW(main, NULL, L"STATIC", NULL) != NULL; }));
    std::string early = StatusOf(main);
    int earlyTop = nbxt::WindowRect(main).top;
    REQUIRE(nbxt::WaitFor([&] { return StatusOf(main).find("bit color") != std::string::npos; }, 10000));
    CHECK(early == "Ready");
    int finalTop = nbxt::WindowRect(main).top;
    CHECK(finalTop > earlyTop);          // it slid down while "Ready" was shown
    CHECK(finalTop - earlyTop <= 55);

    // Exit while the user program is idle: the user thread ends by itself.
    DWORD t0 = GetTickCount();
    PostMessageW(main, WM_COMMAND, 1002, 0);
    DWORD code = nbxt::WaitExit(p, 10000);
    DWORD took = GetTickCount() - t0;
    CHECK(code == 0);
    CHECK(took < 1500);
    MESSAGE("idle Exit took " << took << " ms");
    CloseHandle(p);
}

// Starts an idle_app, gives Start, then sends `message` (an Exit by key or a
// close request) and returns how long the process took to end with code 0.
static DWORD EndRunningProgram(UINT message, WPARAM wParam)
{
    HWND main;
    HANDLE p = StartIdleApp(1, &main);
    PostMessageW(main, WM_COMMAND, 1001, 0);   // Start: UserMain spins forever
    nbxt::Pause(300);
    DWORD t0 = GetTickCount();
    PostMessageW(main, message, wParam, 0);
    DWORD code = nbxt::WaitExit(p, 10000);
    DWORD took = GetTickCount() - t0;
    CHECK(code == 0);
    CloseHandle(p);
    return took;
}

TEST_CASE("Exit ends a running program that never polls after about 2 s, exit code 0")
{
    DWORD took = EndRunningProgram(WM_KEYDOWN, VK_ESCAPE);
    CHECK(took >= 1900);                       // it waited for the user thread
    CHECK(took < 4000);
    MESSAGE("Exit of a busy program took " << took << " ms");
}

TEST_CASE("a close request (Alt+F4) runs the Exit sequence")
{
    CHECK(EndRunningProgram(WM_CLOSE, 0) >= 1900);
}

TEST_CASE("ten instances run, the eleventh is refused, a freed number is reused")
{
    // This test program is instance 0; nine more fill the numbers 1..9.
    HANDLE procs[10] = {};
    HWND mains[10] = {};
    for (int i = 1; i <= 9; i++) procs[i] = StartIdleApp(i, &mains[i]);

    HANDLE extra = nbxt::StartProgram("idle_app.exe.so");
    REQUIRE(extra != NULL);
    HWND box = NULL;
    nbxt::WaitFor([&] {
        box = NULL;
        HWND w = NULL;
        while ((w = FindWindowExW(NULL, w, L"#32770", L"NUBRIX")) != NULL) {
            DWORD pid = 0;
            GetWindowThreadProcessId(w, &pid);
            if (pid == GetProcessId(extra)) { box = w; break; }
        }
        return box != NULL;
    }, 20000);
    REQUIRE(box != NULL);
    HWND label = FindWindowExW(box, NULL, L"Static", NULL);
    bool sawText = false;
    while (label) {
        WCHAR text[64] = { 0 };
        GetWindowTextW(label, text, 64);
        if (lstrcmpW(text, L"Over instance limit!") == 0) sawText = true;
        label = FindWindowExW(box, label, L"Static", NULL);
    }
    CHECK(sawText);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    CHECK(nbxt::WaitExit(extra, 10000) == 1);
    CloseHandle(extra);

    // Close instance 4: the next program started takes number 4 again.
    PostMessageW(mains[4], WM_COMMAND, 1002, 0);
    CHECK(nbxt::WaitExit(procs[4], 10000) == 0);
    CloseHandle(procs[4]);
    HWND again;
    procs[4] = StartIdleApp(4, &again);
    CHECK(again != NULL);

    for (int i = 1; i <= 9; i++) {
        PostMessageW(MainWindowOf(i), WM_COMMAND, 1002, 0);
        CHECK(nbxt::WaitExit(procs[i], 10000) == 0);
        CloseHandle(procs[i]);
    }
}
