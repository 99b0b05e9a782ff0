// Log files of text windows and the right-click menu that drives them.
#include "harness.h"
#include "textwin/textwin_internal.h"
#include <stdio.h>
#include <string.h>
#include <string>

void UserInit(void) { nbxt::BeginDriver(); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

TextWindow &Rec(int index) { return nbx_textWindows[index]; }

std::string LogPath(int index)
{
    char name[NBX_PATH + 32];
    snprintf(name, sizeof name, "%sNUBRIX%d%d.LOG", nbx_logDir, nbx_instance, index);
    return name;
}

void Fresh(int index)
{
    nbxt::OnUser([=] {
        NBX_CloseTextWindow(index);
        NBX_OpenTextWindow(index, 40, 40, 400, 300);
    });
    DeleteFileA(LogPath(index).c_str());
}

// Answers one line input on the user thread with `answer`.
void AnswerInput(int index, const char *answer)
{
    char buffer[256];
    nbxt::Pending *p = nbxt::OnUserAsync([&buffer] { NBX_InputText(buffer); });
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive != 0; }));
    nbxt::TypeText(TextWindowHandle(index), answer);
    nbxt::TypeText(TextWindowHandle(index), "\r");
    REQUIRE(nbxt::WaitDone(p));
}

// The popup menu while it is tracked: its items' texts, ids and states.
struct MenuItem { std::string text; UINT id; UINT state; bool separator; };

std::vector<MenuItem> OpenMenuAndRead(HWND window)
{
    std::vector<MenuItem> items;
    nbxt::ClickClient(window, 10, 10, true);
    HWND popup = nbxt::WaitTop(L"#32768", NULL);
    REQUIRE(popup != NULL);
    REQUIRE(nbxt::WaitFor([popup] { return IsWindowVisible(popup) != 0; }));
    HMENU menu = (HMENU)SendMessageW(popup, MN_GETHMENU, 0, 0);
    REQUIRE(menu != NULL);
    int n = GetMenuItemCount(menu);
    for (int i = 0; i < n; i++) {
        char text[128] = "";
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_STATE | MIIM_ID | MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        items.push_back({ text, info.wID, info.fState, (info.fType & MFT_SEPARATOR) != 0 });
    }
    PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
    REQUIRE(nbxt::WaitFor([popup] { return !IsWindowVisible(popup); }));
    return items;
}

}  // namespace

TEST_CASE("start, print, input, stop, print, start, print, copy: the clipboard holds a, bx, d")
{
    Fresh(0);
    int r = -1;
    nbxt::OnUser([&] {
        r = NBX_StartLog(0);
        NBX_Printf("a\n");
        NBX_Printf("b");
    });
    CHECK(r == 0);
    AnswerInput(0, "x");
    nbxt::OnUser([&] {
        r = NBX_StopLog(0);
        NBX_Printf("c\n");
    });
    CHECK(r == 0);
    CHECK(Rec(0).logState == 2);
    nbxt::OnUser([&] {
        r = NBX_StartLog(0);
        NBX_Printf("d\n");
    });
    CHECK(r == 0);
    nbxt::OnUser([&] { r = NBX_CopyLog(0); });
    CHECK(r == 0);
    CHECK(nbxt::ClipboardText() == "a\r\nbx\r\nd\r\n");
    // Logging goes on in the same file after the copy.
    CHECK(Rec(0).logState == 1);
    nbxt::OnUser([] { NBX_Printf("e\n"); NBX_CloseLogs(); });
    CHECK(Rec(0).logState == 0);
    CHECK(nbxt::ReadWholeFile(LogPath(0).c_str()) == "a\r\nbx\r\nd\r\ne\r\n");
    nbxt::OnUser([] { NBX_Printf("after close\n"); });
    CHECK(nbxt::ReadWholeFile(LogPath(0).c_str()) == "a\r\nbx\r\nd\r\ne\r\n");
}

TEST_CASE("status codes; Start Log twice does not truncate; a closed window's log")
{
    Fresh(1);
    int r = -1;
    nbxt::OnUser([&] { r = NBX_StartLog(300); });
    CHECK(r == 3);
    nbxt::OnUser([&] { r = NBX_StartLog(9); });
    CHECK(r == 3);
    nbxt::OnUser([&] { r = NBX_StopLog(256); });
    CHECK(r == 2);
    nbxt::OnUser([&] { r = NBX_StopLog(1); });
    CHECK(r == 1);
    nbxt::OnUser([&] { r = NBX_CopyLog(256); });
    CHECK(r == 4);
    nbxt::OnUser([&] { r = NBX_CopyLog(9); });
    CHECK(r == 4);

    nbxt::OnUser([&] {
        NBX_StartLog(1);
        NBX_Printf("one\n");
        r = NBX_StartLog(1);
        NBX_Printf("two\n");
    });
    CHECK(r == 1);
    nbxt::OnUser([&] { r = NBX_StopLog(1); });
    nbxt::OnUser([&] { r = NBX_StopLog(1); });
    CHECK(r == 0);
    CHECK(Rec(1).logState == 2);
    nbxt::OnUser([] { NBX_StartLog(1); NBX_Printf("three"); NBX_CloseTextWindow(1); });
    CHECK(nbxt::ReadWholeFile(LogPath(1).c_str()) == "one\r\ntwo\r\nthree");
    // Opened again: logging off; starting creates the file anew.
    nbxt::OnUser([] { NBX_OpenTextWindow(1, 40, 40, 400, 300); });
    CHECK(Rec(1).logState == 0);
    nbxt::OnUser([] { NBX_Printf("unlogged\n"); NBX_StartLog(1); NBX_Printf("new\n"); NBX_CloseLogs(); });
    CHECK(nbxt::ReadWholeFile(LogPath(1).c_str()) == "new\r\n");
}

TEST_CASE("copy in a window that never logged shows \"Can't open LOG file!\"")
{
    Fresh(2);
    int r = -1;
    nbxt::Pending *p = nbxt::OnUserAsync([&] { r = NBX_CopyLog(2); });
    HWND box = nbxt::WaitTop(L"#32770", L"Pause");
    REQUIRE(box != NULL);
    WCHAR text[128] = L"";
    HWND label = GetDlgItem(box, 0xFFFF);
    if (label) GetWindowTextW(label, text, 128);
    char ansi[128];
    NbxWideToAnsi(text, ansi, sizeof ansi);
    CHECK(std::string(ansi) == "Can't open LOG file!");
    CHECK(nbxt::AnswerDialog(L"Pause", IDOK));
    REQUIRE(nbxt::WaitDone(p));
    CHECK(r == 2);
    // The clipboard was closed again.
    CHECK(OpenClipboard(NULL));
    CloseClipboard();
}

TEST_CASE("a log that cannot be reopened after a copy is turned off")
{
    Fresh(3);
    nbxt::OnUser([] { NBX_StartLog(3); NBX_Printf("kept\n"); });
    std::string path = LogPath(3);
    // The log folder disappears under the running log: the copy finds no
    // file and the log cannot be opened again.
    char saved[NBX_PATH];
    lstrcpynA(saved, nbx_logDir, NBX_PATH);
    std::string gone = nbxt::CurrentDir() + "\\gone\\";
    lstrcpynA(nbx_logDir, gone.c_str(), NBX_PATH);
    int r = -1;
    nbxt::Pending *p = nbxt::OnUserAsync([&] { r = NBX_CopyLog(3); });
    CHECK(nbxt::AnswerDialog(L"Pause", IDOK));
    REQUIRE(nbxt::WaitDone(p));
    lstrcpynA(nbx_logDir, saved, NBX_PATH);
    CHECK(r == 2);
    CHECK(Rec(3).logState == 0);
    CHECK(Rec(3).logFile == NULL);
    nbxt::OnUser([] { NBX_Printf("not written\n"); NBX_StopLog(3); });
    CHECK(nbxt::ReadWholeFile(path.c_str()) == "kept\r\n");
    int stop = -1;
    nbxt::OnUser([&] { stop = NBX_StopLog(3); });
    CHECK(stop == 1);
}

TEST_CASE("a print longer than 4095 bytes is cut at 4095 on a character boundary")
{
    Fresh(4);
    bool japanese = GetACP() == 932;
    static char big[6000];
    if (japanese) {
        // 2048 two-byte characters: 4096 bytes; the last whole one ends at 4094.
        for (int i = 0; i < 4096; i += 2) { big[i] = (char)0x82; big[i + 1] = (char)0xA0; }
        big[4096] = 0;
    } else {
        memset(big, 'q', 5000);
        big[5000] = 0;
    }
    nbxt::OnUser([] { NBX_StartLog(4); NBX_Printf("%s", big); NBX_CloseLogs(); });
    std::string log = nbxt::ReadWholeFile(LogPath(4).c_str());
    CHECK(log.size() == (japanese ? 4094u : 4095u));
    CHECK(log == std::string(big, log.size()));
}

TEST_CASE("the popup menu: items, check marks, copy name, and no menu during input")
{
    Fresh(12);
    nbxt::OnUser([] { NBX_OpenTextWindow(0, 500, 40, 200, 100); });
    HWND w = TextWindowHandle(12);
    std::vector<MenuItem> items = OpenMenuAndRead(w);
    REQUIRE(items.size() == 11);
    const char *texts[11] = { "&Select\tCtrl+S", "&Window Info.\tCtrl+W", "Command", "",
                              "Start Log", "Stop Log", "", "", "&About NUBRIX\tCtrl+A", "",
                              "&Destroy\tCtrl+Q" };
    char copy[64];
    sprintf(copy, "&Copy NUBRIX%d12.LOG\tCtrl+C", nbx_instance);
    const UINT ids[11] = { 1069, 1045, 1029, 0, 1024, 1025, 1030, 0, 1020, 0, 1006 };
    for (int i = 0; i < 11; i++) {
        CAPTURE(i);
        if (i == 3 || i == 7 || i == 9) {
            CHECK(items[i].separator);
            continue;
        }
        CHECK(items[i].text == (i == 6 ? std::string(copy) : std::string(texts[i])));
        CHECK(items[i].id == ids[i]);
    }
    // Window 0 is current: no check on Select; logging never started.
    CHECK((items[0].state & MFS_CHECKED) == 0);
    CHECK((items[4].state & MFS_CHECKED) == 0);
    CHECK((items[5].state & MFS_CHECKED) == 0);

    // Choosing Select and Start Log through the commands the menu sends.
    nbxt::Command(w, 1069);
    nbxt::Command(w, 1024);
    CHECK(nbxt::WaitFor([] { return Rec(12).logState == 1; }));
    items = OpenMenuAndRead(w);
    CHECK((items[0].state & MFS_CHECKED) != 0);
    CHECK((items[4].state & MFS_CHECKED) != 0);
    CHECK((items[5].state & MFS_CHECKED) == 0);
    nbxt::Command(w, 1025);
    CHECK(nbxt::WaitFor([] { return Rec(12).logState == 2; }));
    items = OpenMenuAndRead(w);
    CHECK((items[4].state & MFS_CHECKED) == 0);
    CHECK((items[5].state & MFS_CHECKED) != 0);

    // Ctrl+C copies this window's log.
    nbxt::Command(w, 1024);
    CHECK(nbxt::WaitFor([] { return Rec(12).logState == 1; }));
    nbxt::OnUser([] { NBX_Printf("menu\n"); });
    nbxt::PressCtrlKey(w, 'C');
    // Read the clipboard once the copy has run (calls reach the user thread
    // after the command the key posted); polling it could hold the clipboard
    // open just when the copy wants it.
    nbxt::OnUser([] {});
    CHECK(nbxt::ClipboardText() == "menu\r\n");

    // During line input a right click shows nothing.
    char buffer[256];
    nbxt::Pending *p = nbxt::OnUserAsync([&buffer] { NBX_InputText(buffer); });
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive != 0; }));
    nbxt::ClickClient(w, 10, 10, true);
    nbxt::Pause(300);
    HWND popup = nbxt::FindTop(L"#32768", NULL);
    CHECK((popup == NULL || !IsWindowVisible(popup)));
    nbxt::TypeText(w, "\r");
    REQUIRE(nbxt::WaitDone(p));
    // And while a pick tool waits for clicks.
    nbx_pickActive = 1;
    nbxt::ClickClient(w, 10, 10, true);
    nbxt::Pause(300);
    popup = nbxt::FindTop(L"#32768", NULL);
    CHECK((popup == NULL || !IsWindowVisible(popup)));
    nbx_pickActive = 0;
    nbxt::OnUser([] { NBX_CloseLogs(); });
}
