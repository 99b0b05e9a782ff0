// Text windows under Wine.
// nbx-test: also-cp1252
#include "harness.h"
#include "textwin/textwin_internal.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(); }
void UserMain(void) { ServeUser(); }

namespace {

TextWindow &Rec(int n) { return nbx_textWindows[n]; }

HWND Fresh(int n, int w = 400, int h = 300)
{
    OnUser([=] { for (int i = 0; i < 256; i++) NBX_CloseTextWindow(i); NBX_OpenTextWindow(n, 20, 20, w, h); });
    return TextWindowHandle(n);
}

// Pixels of colour rgb in a cell of the back buffer.
int CellPixels(int n, int col, int row, DWORD rgb)
{
    return Get([&] {
        GdiFlush();
        TextWindow &t = Rec(n);
        int count = 0;
        for (int y = row * t.lineHeight; y < (row + 1) * t.lineHeight; y++)
            for (int x = col * t.cellWidth; x < (col + 1) * t.cellWidth; x++)
                count += RgbToColorRef(GetPixel(t.bufferDC, x, y)) == rgb;
        return count;
    });
}

int Ink(int n, int col, int row) { return Rec(n).cellWidth * Rec(n).lineHeight - CellPixels(n, col, row, 0); }

std::string Cursor() { return std::to_string(Rec(0).cursorX / Rec(0).cellWidth) + "," + std::to_string(Rec(0).cursorY / Rec(0).lineHeight); }

// The line NBX_InputText returned while keys() typed.
std::string Input(const std::function<void()> &keys)
{
    REQUIRE(WaitFor([] { return nbx_inputActive == 0; }));
    static char line[300];
    line[0] = 0;
    Pending *p = OnUserAsync([] { NBX_InputText(line); });
    REQUIRE(WaitFor([p] { return nbx_inputActive != 0 || Done(p); }));
    keys();
    REQUIRE(WaitDone(p));
    return line;
}

std::string Answer(HWND w, const char *typed) { return Input([=] { TypeText(w, typed); }); }

// The character of a key comes from TranslateMessage: let it arrive first.
void Key(HWND w, UINT vk) { PressKey(w, vk); Settle(); }

bool NoMenuOnRightClick(HWND w)
{
    ClickClient(w, 10, 10, true);
    Settle();
    HWND popup = FindTop(L"#32768", NULL);
    return popup == NULL || !IsWindowVisible(popup);
}

}  // namespace

TEST_CASE("open, select, close")
{
    HWND w = Fresh(3, 152, 469);
    int result = Get([] { NBX_OpenTextWindow(4, -1, -1, -1, -1); return NBX_OpenTextWindow(3, 500, 500, 50, 50); });
    CHECK((result == 1 && CurrentTextWindow() == 3 && Geometry(w) == "20,20 152x469"));
    CHECK(Geometry(TextWindowHandle(4)).find(" 400x300") != std::string::npos);
    struct { int call, n, result, current; } steps[] = {
        { 's', 4, 0, 4 }, { 's', 6, 1, 4 }, { 's', 256, 1, 4 }, { 'c', 3, 0, 4 }, { 'c', 3, 1, 4 },
        { 'c', 256, 1, 4 }, { 'o', 9, 0, 9 }, { 'c', 9, 0, 4 }, { 'c', 4, 0, 4 } };
    for (auto &s : steps) {
        CAPTURE(s.call);
        CAPTURE(s.n);
        result = Get([&] {
            return s.call == 's' ? NBX_SelectTextWindow(s.n) : s.call == 'c' ? NBX_CloseTextWindow(s.n) : NBX_OpenTextWindow(s.n, 0, 0, 100, 100);
        });
        CHECK((result == s.result && CurrentTextWindow() == s.current));
    }
    CHECK(!IsWindow(w));
    OnUser([] { NBX_Printf("into nothing\n"); NBX_PushTextColor(1, 2); NBX_PopTextColor(); });
    // A window opened again starts fresh.
    OnUser([] { NBX_OpenTextWindow(5, 250, 10, 200, 100); NBX_PushTextColor(0x112233, 0x445566); NBX_StartLog(5); NBX_Printf("abc"); });
    OnUser([] { NBX_CloseTextWindow(5); NBX_OpenTextWindow(5, 250, 10, 200, 100); });
    CHECK((Rec(5).cursorX == 0 && Rec(5).colors.text == 0xFFFFFF && Rec(5).logState == 0 && Ink(5, 0, 0) == 0));
    // NBX_ShowTextWindow: window 0 centred when none is open, else the current one.
    OnUser([] { NBX_CloseTextWindow(5); NBX_ShowTextWindow(); });
    HWND w0 = TextWindowHandle(0);
    CHECK(Geometry(w0) == std::to_string(GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 200) + "," + std::to_string(GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 150) + " 400x300");
    OnUser([] { NBX_OpenTextWindow(2, 0, 0, 100, 100); NBX_ShowTextWindow(); });
    CHECK((CurrentTextWindow() == 2 && TextWindowHandle(0) == w0));
}

TEST_CASE("printing and resize")
{
    // Wrap and scroll arithmetic is the unit tests'; here the cells get ink.
    HWND w = Fresh(0, 300, 200);
    OnUser([] { NBX_PushTextColor(0x0000FF, 0xFFFF00); NBX_Printf("\tZ"); NBX_PopTextColor(); NBX_Printf("w\n"); });
    CHECK((Cursor() == "0,1" && CellPixels(0, 0, 0, 0x0000FF) > 0 && CellPixels(0, 1, 0, 0xFFFF00) > 0 && Ink(0, 2, 0) > 0));
    // Resizing clears the window and homes the cursor.
    OnUser([] { NBX_Printf("hello\nworld"); });
    RECT r = WindowRect(w);
    SetWindowPos(w, NULL, 0, 0, r.right - r.left + 40, r.bottom - r.top + 20, SWP_NOMOVE | SWP_NOZORDER);
    CHECK((WaitFor([] { return Rec(0).width == 340 && Rec(0).height == 220; }) && Cursor() == "0,0" && Ink(0, 0, 1) == 0));
}

TEST_CASE("line input")
{
    HWND w = Fresh(0);
    OnUser([] { NBX_Printf("Name? "); });
    CHECK(Input([w] { CHECK(StatusHas("Input text")); TypeText(w, "abc"); Key(w, VK_BACK); TypeText(w, "d\r"); }) == "abd");
    CHECK((Cursor() == "0,1" && StatusHas("-bit color")));
    Settle();
    for (int col = 6; col < 10; col++) CHECK((Ink(0, col, 0) > 0) == (col < 9));
    CHECK((Answer(w, "\r") == "" && Answer(w, "xy\tz\r") == "xy z"));
    // Up appends the previous answer; V alone is a letter; Ctrl+V pastes the first line.
    CHECK(Input([w] { TypeText(w, "a"); Settle(); Key(w, VK_UP); Key(w, 'V'); TypeText(w, "!\r"); }) == "axy zv!");
    REQUIRE(SetClipboardUnicode(u"first\r\nsecond"));
    CHECK(Input([w] { TypeText(w, "<"); Settle(); PressCtrlKey(w, 'V'); Settle(); TypeText(w, ">\r"); }) == "<first>");
    // Typed after Enter waits for the next input; typed while none runs is
    // dropped; Ctrl+key is no character.
    static volatile LONG posted;
    posted = 0;
    char first[256];
    Pending *p = OnUserAsync([&first] { while (!posted) Sleep(1); NBX_InputText(first); });
    TypeText(w, "one\rtwo\r");
    InterlockedExchange(&posted, 1);
    REQUIRE(WaitDone(p));
    CHECK((std::string(first) == "one" && Answer(w, "") == "two"));
    TypeText(w, "zz");
    Settle();
    CHECK(Input([w] { SetCtrlHeld(w, true); SendMessageW(w, WM_CHAR, 'k', 1); SetCtrlHeld(w, false); TypeText(w, "m\r"); }) == "m");
}

TEST_CASE("input ends empty on close or Exit")
{
    Fresh(0);
    OnUser([] { NBX_OpenTextWindow(2, 500, 20, 200, 100); NBX_SelectTextWindow(0); });
    HWND w = TextWindowHandle(0), w2 = TextWindowHandle(2);
    CHECK(Input([=] {
        TypeText(w, "abc");
        PressCtrlKey(w2, 'Q');   // other windows' shortcuts are off meanwhile
        Settle();
        CHECK((TextWindowHandle(2) != NULL && NoMenuOnRightClick(w)));
        PostMessageW(w, WM_CLOSE, 0, 0);
    }) == "");
    CHECK((CurrentTextWindow() == 2 && StatusHas("-bit color")));
    CHECK(Input([=] { TypeText(w2, "abc"); Settle(); nbx_inputActive = 0; }) == "");
    char buffer[256] = "untouched";   // no text window or no buffer: returns at once
    OnUser([&] { NBX_CloseTextWindow(2); NBX_InputText(buffer); NBX_OpenTextWindow(2, 500, 20, 200, 100); NBX_InputText(NULL); });
    CHECK((std::string(buffer) == "untouched" && nbx_inputActive == 0));
}

TEST_CASE("shortcuts and the popup menu")
{
    Fresh(0);
    OnUser([] { NBX_OpenTextWindow(12, 500, 40, 200, 100); NBX_SelectTextWindow(0); });
    HWND w = TextWindowHandle(12);
    DeleteFileA(LogPath(12).c_str());
    // Copy names the log; Select, Start Log and Stop Log carry check marks.
    std::string copy = "&Copy NUBRIX" + std::to_string(nbx_instance) + "12.LOG\tCtrl+C|";
    for (const char *marks : { "000", "110", "101" }) {
        if (marks[1] == '1') { Command(w, 1069); Command(w, 1024); }
        if (marks[2] == '1') Command(w, 1025);
        CHECK(WaitFor([&] { return Rec(12).logState == (marks[2] == '1' ? 2 : marks[1] - '0'); }));
        std::vector<MenuEntry> items = ReadPopupMenu(w);
        REQUIRE(items.size() == 11);
        std::string s = items[6].text + "|";
        for (int i : { 0, 4, 5 }) s += (items[i].state & MF_CHECKED) ? '1' : '0';
        CHECK(s == copy + marks);
    }
    // Ctrl+A prints the version line in its colours; Ctrl+C copies the log.
    OnUser([] { NBX_SelectTextWindow(0); NBX_StartLog(12); });
    PressCtrlKey(w, 'A');
    CHECK(WaitFor([] { return Rec(12).cursorY > 0 && Rec(12).colors.text == 0xFFFFFF; }));
    CHECK((CurrentTextWindow() == 12 && CellPixels(12, 0, 0, 0x50FF50) > 0 && CellPixels(12, 0, 0, 0x505050) > 0));
    PressCtrlKey(w, 'C');
    OnUser([] {});   // the copy has run before the clipboard is read
    CHECK(ClipboardText() == "NUBRIX 7.3  2009/4/30\r\n");
    OnUser([] { NBX_CloseLogs(); NBX_SelectTextWindow(0); });
    PressCtrlKey(w, 'S');
    CHECK(WaitFor([] { return CurrentTextWindow() == 12; }));
    // The main window's keys work here; no menu while a pick tool waits.
    nbx_stop = 0;
    PressKey(w, 'C');
    CHECK(WaitFor([] { return nbx_stop == 1; }));
    Settle();
    nbx_stop = 0;
    nbx_pickActive = 1;
    CHECK(NoMenuOnRightClick(w));
    nbx_pickActive = 0;
    PressCtrlKey(w, 'Q');
    CHECK((WaitFor([w] { return TextWindowHandle(12) == NULL && !IsWindow(w); }) && CurrentTextWindow() == 0));
}

TEST_CASE("logs")
{
    HWND w = Fresh(0);
    DeleteFileA(LogPath(0).c_str());
    CHECK(Get([] { int r = NBX_StartLog(0); NBX_Printf("a\n"); NBX_Printf("b"); return r; }) == 0);
    CHECK(Answer(w, "x\r") == "x");
    OnUser([] { NBX_StopLog(0); NBX_Printf("c\n"); });
    CHECK(Rec(0).logState == 2);
    // A second start changes nothing and keeps the file.
    CHECK(Get([] { int r = NBX_StartLog(0); NBX_Printf("d\n"); r += 10 * NBX_StartLog(0); NBX_Printf("e"); return r; }) == 10);
    CHECK((Get([] { return NBX_CopyLog(0); }) == 0 && Rec(0).logState == 1 && ClipboardText() == "a\r\nbx\r\nd\r\ne"));
    OnUser([] { NBX_Printf("\n"); NBX_CloseTextWindow(0); NBX_Printf("after close\n"); });
    CHECK(LogText(0) == "a\r\nbx\r\nd\r\ne\r\n");
    Fresh(0);
    OnUser([] { NBX_Printf("unlogged\n"); NBX_StartLog(0); NBX_Printf("new\n"); NBX_CloseLogs(); });
    CHECK(LogText(0) == "new\r\n");
    struct { char call; int n, result; } codes[] = {
        { 's', 300, 3 }, { 's', 9, 3 }, { 't', 256, 2 }, { 'c', 256, 4 }, { 'c', 9, 4 }, { 't', 0, 1 } };
    for (auto &c : codes) {
        CAPTURE(c.n);
        CHECK(Get([&] { return c.call == 's' ? NBX_StartLog(c.n) : c.call == 't' ? NBX_StopLog(c.n) : NBX_CopyLog(c.n); }) == c.result);
    }
    // A window that never logged: a message, and the clipboard closed again.
    OnUser([] { NBX_OpenTextWindow(2, 500, 20, 200, 100); });
    DeleteFileA(LogPath(2).c_str());
    int r = -1;
    Pending *p = OnUserAsync([&] { r = NBX_CopyLog(2); });
    HWND box = WaitTop(L"#32770", L"Pause");
    CHECK((WindowTextA(GetDlgItem(box, 0xFFFF)) == "Can't open LOG file!" && AnswerDialog(L"Pause", IDOK)));
    REQUIRE(WaitDone(p));
    CHECK((r == 2 && OpenClipboard(NULL)));
    CloseClipboard();
}
