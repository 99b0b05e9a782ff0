// The boxes, the command console, text windows, text in images and the window
// report under Wine; the report's layout source is written for layout_replay.
// nbx-test: also-cp1252
#include "harness.h"
#include "textwin/textwin_internal.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

static HWND IBox() { return InputBoxWindow(); }
static HWND Label(int i) { return GetDlgItem(IBox(), 2000 + i); }
static HWND Field(int i) { return GetDlgItem(IBox(), 2100 + i); }
static string Value(int i) { return Get([i] { return string(NBX_GetInputValue(i)); }); }

static HWND BBox() { return ButtonBoxWindow(); }
static HWND Btn(int i) { return GetDlgItem(BBox(), 3000 + i); }
static int Pressed(int i) { return Get([i] { return NBX_GetButton(i); }); }

static int Buttons(HWND box)
{
    int n = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) n++;
    return n;
}

static HWND OpenBB(int nx, int ny, int x = 30, int y = 40)
{
    OnUser([=] { NBX_OpenButtonBox(x, y, nx, ny); });
    return BBox();
}

static void CloseBB() { OnUser([] { NBX_CloseButtonBox(); }); }

// Before Start: requests are served only while the user program idles.
TEST_CASE("requests 9007, 9006; the console starts")
{
    RequestOpenButtonBox(3, 2);
    HWND first = BBox();
    CHECK((Buttons(first) == 6 && Geometry(first) == "0,0 310x64"));
    RequestOpenButtonBox(4, 1);
    CHECK((!IsWindow(first) && Buttons(BBox()) == 4));
    RequestOpenButtonBox(3, 100);   // refused; the old box is gone all the same
    CHECK(BBox() == NULL);

    RequestOpenInputBox(0);
    REQUIRE((first = IBox()) != NULL);
    CHECK((Geometry(first) == "0,0 162x30" && GetWindow(first, GW_OWNER) == nbx_mainWindow && WindowTextA(first) == "InputBox"));
    CHECK(GetWindowLongW(Field(0), GWL_STYLE) == 0x50030080);
    RequestOpenInputBox(45);
    CHECK((!IsWindow(first) && Geometry(IBox()) == "0,0 162x842"));
    CHECK((WindowTextA(Label(29)) == "Item 29" && WindowTextA(Field(29)) == "0" && Place(Field(29)) == "88,816 70x24"));
    RequestOpenTextWindow(4);
    PressKey(TextWindowHandle(4), VK_SPACE);
    AnswerInput("start");
    CHECK((UNTIL(nbx_running == 1) && CurrentTextWindow() == 4));
}

TEST_CASE("values stored on Tab, Enter, focus loss")
{
    OnUser([] { NBX_CloseInputBox(); NBX_OpenInputBox(30, 40, 4); NBX_OpenInputBox(300, 300, 9); NBX_OpenTextWindow(0, 400, 500, 300, 200); });
    CHECK(Geometry(IBox()) == "30,40 162x114");
    struct { int item; const char *text; UINT key; } cases[] = { { 2, "42", VK_TAB }, { 1, "7 b", VK_RETURN }, { 3, "x", 0 } };
    for (auto &t : cases) {
        HWND f = Field(t.item);
        CAPTURE(t.item);
        OnUser([f] { SetForegroundWindow(IBox()); SetFocus(f); SendMessageW(f, EM_SETSEL, 0, -1); });
        TypeText(f, t.text);
        CHECK((UNTIL(WindowTextA(f) == t.text) && Value(t.item) == "0"));
        if (t.key) PressKey(f, t.key);
        else OnUser([] { SetForegroundWindow(TextWindowHandle(0)); });   // the user clicks elsewhere
        CHECK(UNTIL(Value(t.item) == t.text));
    }
    // Activation gives the focus back to the field that had it.
    CHECK(Get([] { SetForegroundWindow(IBox()); return GetFocus(); }) == Field(3));
    CHECK((Value(0) == "0" && Value(4) == "" && Value(-1) == ""));
    OnUser(NBX_CloseInputBox);
    CHECK(Value(2) == "");
}

TEST_CASE("resizing")
{
    OnUser([] { NBX_OpenInputBox(30, 40, 2); });
    struct { UINT edge; int grow; const char *label, *field; } cases[] = {
        { WMSZ_RIGHT, 40, "4,35 80x24", "88,32 110x24" },
        { WMSZ_BOTTOMLEFT, 20, "4,35 100x24", "108,32 110x24" },
        { WMSZ_BOTTOMRIGHT, -30, "4,35 100x24", "108,32 80x24" } };
    for (auto &t : cases) {
        CAPTURE(t.edge);
        RECT r = WindowRect(IBox()), p = r;
        if (t.edge == WMSZ_BOTTOMLEFT) p.left -= t.grow;
        else p.right += t.grow;
        p.bottom += 50;
        SendMessageW(IBox(), WM_SIZING, t.edge, (LPARAM)&p);
        CHECK((p.top == r.top && p.bottom == r.bottom));
        SetWindowPos(IBox(), NULL, p.left, p.top, p.right - p.left, p.bottom - p.top, SWP_NOZORDER);
        CHECK((Place(Label(1)) == t.label && Place(Field(1)) == t.field));
    }
    OnUser([] { NBX_CloseInputBox(); NBX_OpenInputBox(30, 40, 1); });
    CHECK(Geometry(IBox()) == "30,40 192x30");
    int r = Get([] { return NBX_ResizeInputBox(0, 5) * 1000 + NBX_ResizeInputBox(80, 70) * 100 +
                            NBX_SetInputBoxTitle(0, "Gain") * 10 + NBX_SetInputBoxTitle(1, "none"); });
    CHECK((r == 1001 && Geometry(IBox()) == "30,40 162x30" && Place(Field(0)) == "88,4 70x24" && WindowTextA(Label(0)) == "Gain"));
    OnUser(NBX_CloseInputBox);
}

TEST_CASE("rename; Destroy")
{
    OnUser([] { NBX_OpenInputBox(30, 40, 2); NBX_SelectTextWindow(0); NBX_StartLog(0); });
    HWND box = IBox();
    struct { int y; bool menu; const char *answer, *labels; } steps[] = {
        { 28 + 5, false, "Speed", "Item 0Speed" },
        { 28 + 27, false, "", "Item 0Speed" },   // an empty answer keeps the label
        { 3, true, "Gain", "GainSpeed" },
        { 2 * 28 + 1, false, "lost", "GainSpeed" } };   // below the last row
    for (auto &s : steps) {
        Rename(box, 10, s.y, s.menu, s.answer);
        CHECK(WindowTextA(Label(0)) + WindowTextA(Label(1)) == s.labels);
    }
    OnUser([] { NBX_StopLog(0); });
    CHECK(LogHas(0, "1 'Item 1' ->Speed\r\n1 'Speed' ->\r\n0 'Item 0' ->Gain\r\n2 '' ->lost\r\n"));
    PostMessageW(box, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(60, 45));
    CHECK(ChooseMenuItem() == "Destroy");
    CHECK(UNTIL(!IsWindow(box) && IBox() == NULL));
}

TEST_CASE("button box: opening, closing")
{
    CHECK(OpenBB(0, 4) == NULL);   // the unit test pins which grids are refused
    HWND box = OpenBB(2, 6);
    CHECK((Geometry(box) == "30,40 208x184" && Buttons(box) == 12));   // 98 x 26 buttons, 4-pixel gaps
    CHECK((WindowTextA(Btn(0)) == "0" && WindowTextA(Btn(11)) == "11"));
    CHECK((OpenBB(4, 4, 300, 300) == box && Buttons(box) == 12));   // a second opening does nothing
    CloseBB();
    CHECK((!IsWindow(box) && Buttons(OpenBB(16, 16)) == 256 && WindowTextA(Btn(255)) == "255"));
    CloseBB();
}

TEST_CASE("button box: presses")
{
    HWND box = OpenBB(2, 6);
    for (int i = 0; i < 2; i++) SendMessageW(Btn(4), BM_CLICK, 0, 0);
    CHECK((Pressed(4) == 2 && Pressed(4) == 0));
    ClickClient(Btn(11), 10, 10);   // a mouse click as the user makes it
    CHECK(UNTIL(Pressed(11) == 1));
    CHECK(Get([] { return GetFocus(); }) == box);   // the click gives the focus back to the box
    for (int i : { -1, 12, 256 }) CHECK(Pressed(i) == 0);
    const UINT keys[] = { '7', '7', VK_NUMPAD3, VK_NUMPAD9, '0', 'A' };
    for (UINT k : keys) PressKey(box, k);
    Settle();
    const int expected[12] = { 1, 0, 0, 1, 0, 0, 0, 2, 0, 1, 0, 0 };
    for (int i = 0; i < 12; i++) CHECK(Pressed(i) == expected[i]);
    nbx_stop = 0;
    PressKey(box, 'C');   // the main window's Stop
    CHECK(UNTIL(nbx_stop == 1));
    nbx_stop = 0;
    SendMessageW(Btn(1), BM_CLICK, 0, 0);
    PressCtrlKey(box, 'Q');
    CHECK((UNTIL(BBox() == NULL) && Pressed(1) == 0));   // no box: nothing pressed
}

TEST_CASE("button box: rename")
{
    HWND box = OpenBB(2, 6);
    OnUser([] { NBX_OpenTextWindow(0, 400, 300, 400, 300); NBX_SelectTextWindow(0); NBX_StartLog(0); });
    SIZE c = ClientSize(box);
    string answer = Ansi(GetACP() == 932 ? L"\u518D\u751F" : L"Play");
    struct { int x, y; string answer; int button; string caption, logged; } steps[] = {
        { 10, c.cy - 2, answer, 10, answer, "10 '10' ->" },   // below the last row
        { c.cx - 1, 0, "", 1, "1", "1 '1' ->" },             // an empty answer keeps it
        { 2 * 102 + 1, 40, "Stop here", 3, "Stop here", "" } };   // the gap right of 3, Rename
    for (auto &s : steps) {
        Rename(box, s.x, s.y, s.logged.empty(), s.answer.c_str());
        CHECK((WindowTextA(Btn(s.button)) == s.caption && LogHas(0, s.logged)));
    }
    CHECK(WindowTextA(Btn(2)) == "2");
    // The box closed while the question waits: the answer renames nothing.
    PostMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    REQUIRE(UNTIL(nbx_inputActive != 0));
    PostMessageW(box, WM_CLOSE, 0, 0);
    CHECK((UNTIL(!IsWindow(box)) && BBox() == NULL));
    AnswerInput("late");
    OnUser([] { NBX_StopLog(0); });
}

TEST_CASE("button box: captions, sizing")
{
    OpenBB(2, 6);
    const WCHAR *wide = GetACP() == 932 ? L"\u518D\u751F" : L"Pause \u00E9";
    string ansi = Ansi(wide), longText(300, 'x');
    OnUser([&] { NBX_SetButtonBoxTitle(3, ansi.c_str()); NBX_SetButtonBoxTitle(0, "a\nb"); NBX_SetButtonBoxTitle(5, longText.c_str()); });
    OnUser([] { NBX_SetButtonBoxTitle(12, "out"); NBX_SetButtonBoxTitle(-1, "out"); });
    CHECK((WindowTextW(Btn(3)) == (const char16_t *)wide && WindowTextA(Btn(0)) == "a\nb"));
    CHECK((WindowTextA(Btn(11)) == "11" && WindowTextA(Btn(5)) == string(255, 'x')));
    // (408 - 12) / 2 wide, (244 - 28) / 6 high
    CHECK((Get([] { return NBX_ResizeButtonBox(408, 244); }) == 0 && ClientSize(BBox()).cx == 408 && Place(Btn(3)) == "206,44 198x36"));
    PostMessageW(BBox(), WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(60, 45));
    CHECK((ChooseMenuItem() == "&Destroy\tCtrl+Q" && UNTIL(BBox() == NULL)));
    CHECK(Geometry(OpenBB(1, 2)) == "30,40 206x84");   // the next box keeps the size
    CloseBB();
    CHECK(Get([] { return NBX_ResizeButtonBox(300, 100); }) == 1);   // no box
}

static volatile LONG escapes;
static WNDPROC mainProc;
static LRESULT CALLBACK CountEscape(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == WM_KEYDOWN && wp == VK_ESCAPE) return InterlockedIncrement(&escapes), 0;
    return CallWindowProcW(mainProc, w, m, wp, lp);
}

TEST_CASE("command console")
{
    mainProc = (WNDPROC)SetWindowLongPtrW(nbx_mainWindow, GWLP_WNDPROC, (LONG_PTR)CountEscape);
    OnUser([] { NBX_SelectTextWindow(4); NBX_StartLog(4); nbx_drawColor = 0x3080FF; nbx_tttc = 0xABCD; nbx_tc = 0x12; });
    struct { const char *line; int result; const char *printed; } cases[] = {
        { "help", 0, "Cmd>help\r\nCommand list:exit help start ver color\r\n" },
        { "color", 0, "Cmd>color\r\nRed  : 48\r\nGreen:128\r\nBlue :255\r\nnbx_tttc=00abcd\r\nnbx_tc=000012\r\n" },
        { "exit", 0, "Cmd>exit\r\n" },
        { "Exit", 1, "Cmd>Exit\r\nInvalid command\r\n" },
        { "", 1, "Cmd>\r\nInvalid command\r\n" } };
    for (auto &t : cases) {
        CAPTURE(t.line);
        int result = -1;
        Pending *p = OnUserAsync([&] { result = NBX_CommandConsole(); });
        AnswerInput(t.line);
        REQUIRE(WaitDone(p));
        CHECK((result == t.result && UNTIL(LogHas(4, t.printed))));
    }
    CHECK(UNTIL(escapes == 1));
    SetWindowLongPtrW(nbx_mainWindow, GWLP_WNDPROC, (LONG_PTR)mainProc);
    OnUser([] { NBX_OpenTextWindow(0, 400, 500, 300, 200); NBX_SelectTextWindow(0); NBX_StartLog(0); });
    Command(TextWindowHandle(4), 1029);   // the menu item works on the current window
    AnswerInput("help");
    CHECK(LogHas(0, "Cmd>help\r\nCommand list:"));
    OnUser([] { NBX_CloseLogs(); nbx_drawColor = 0xFFFFFF; nbx_tttc = 0xFFFFFF; nbx_tc = 0; });
}

// Text windows.
namespace {

TextWindow &Rec(int n) { return nbx_textWindows[n]; }

HWND Fresh(int n, int w = 400, int h = 300)
{
    OnUser([=] { for (int i = 0; i < 256; i++) NBX_CloseTextWindow(i); NBX_OpenTextWindow(n, 20, 20, w, h); });
    return TextWindowHandle(n);
}

// Pixels of colour rgb in a cell of the back buffer.
int Cell(int n, int col, int row, DWORD rgb)
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

int Ink(int n, int col, int row) { return Rec(n).cellWidth * Rec(n).lineHeight - Cell(n, col, row, 0); }

string Cursor() { return to_string(Rec(0).cursorX / Rec(0).cellWidth) + "," + to_string(Rec(0).cursorY / Rec(0).lineHeight); }

// The line NBX_InputText returned while keys() typed.
string Input(const std::function<void()> &keys)
{
    REQUIRE(UNTIL(nbx_inputActive == 0));
    static char line[300];
    line[0] = 0;
    Pending *p = OnUserAsync([] { NBX_InputText(line); });
    REQUIRE(UNTIL(nbx_inputActive != 0 || Done(p)));
    keys();
    REQUIRE(WaitDone(p));
    return line;
}

string Answer(HWND w, const char *typed) { return Input([=] { TypeText(w, typed); }); }

// The character of a key comes from TranslateMessage: let it arrive first.
void Key(HWND w, UINT vk) { PressKey(w, vk); Settle(); }

bool NoMenu(HWND w)
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
    int r = Get([] { NBX_OpenTextWindow(4, -1, -1, -1, -1); return NBX_OpenTextWindow(3, 500, 500, 50, 50); });
    CHECK((r == 1 && CurrentTextWindow() == 3 && Geometry(w) == "20,20 152x469"));
    CHECK(Geometry(TextWindowHandle(4)).find(" 400x300") != string::npos);
    struct { int call, n, result, current; } steps[] = {
        { 's', 4, 0, 4 }, { 's', 6, 1, 4 }, { 's', 256, 1, 4 }, { 'c', 3, 0, 4 }, { 'c', 3, 1, 4 },
        { 'c', 256, 1, 4 }, { 'o', 9, 0, 9 }, { 'c', 9, 0, 4 }, { 'c', 4, 0, 4 } };
    for (auto &s : steps) {
        CAPTURE(s.n);
        r = Get([&] { return s.call == 's' ? NBX_SelectTextWindow(s.n) : s.call == 'c' ? NBX_CloseTextWindow(s.n) : NBX_OpenTextWindow(s.n, 0, 0, 99, 99); });
        CHECK((r == s.result && CurrentTextWindow() == s.current));
    }
    CHECK(!IsWindow(w));
    OnUser([] { NBX_Printf("into nothing\n"); NBX_PushTextColor(1, 2); NBX_PopTextColor(); });
    // Opened again, it starts fresh.
    OnUser([] { NBX_OpenTextWindow(5, 250, 10, 200, 100); NBX_PushTextColor(0x112233, 0x445566); NBX_StartLog(5); NBX_Printf("abc"); });
    OnUser([] { NBX_CloseTextWindow(5); NBX_OpenTextWindow(5, 250, 10, 200, 100); });
    CHECK((Rec(5).cursorX == 0 && Rec(5).colors.text == 0xFFFFFF && Rec(5).logState == 0 && Ink(5, 0, 0) == 0));
    // NBX_ShowTextWindow: window 0 when none is open, else the current one.
    OnUser([] { NBX_CloseTextWindow(5); NBX_ShowTextWindow(); });
    HWND w0 = TextWindowHandle(0);
    CHECK(Geometry(w0).find(" 400x300") != string::npos);
    OnUser([] { NBX_OpenTextWindow(2, 0, 0, 100, 100); NBX_ShowTextWindow(); });
    CHECK((CurrentTextWindow() == 2 && TextWindowHandle(0) == w0));
}

TEST_CASE("printing and resize")
{
    // The unit tests pin wrap and scroll; here the cells get ink.
    HWND w = Fresh(0, 300, 200);
    OnUser([] { NBX_PushTextColor(0x0000FF, 0xFFFF00); NBX_Printf("\tZ"); NBX_PopTextColor(); NBX_Printf("w\n"); });
    CHECK((Cursor() == "0,1" && Cell(0, 0, 0, 0x0000FF) > 0 && Cell(0, 1, 0, 0xFFFF00) > 0 && Ink(0, 2, 0) > 0));
    // Resizing clears the window and homes the cursor.
    OnUser([] { NBX_Printf("hello\nworld"); });
    RECT r = WindowRect(w);
    SetWindowPos(w, NULL, 0, 0, r.right - r.left + 40, r.bottom - r.top + 20, SWP_NOMOVE | SWP_NOZORDER);
    CHECK((UNTIL(Rec(0).width == 340 && Rec(0).height == 220) && Cursor() == "0,0" && Ink(0, 0, 1) == 0));
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
    // Typed after Enter waits for the next input, typed while none runs is
    // dropped, Ctrl+key is no character.
    static volatile LONG posted;
    posted = 0;
    char first[256];
    Pending *p = OnUserAsync([&first] { while (!posted) Sleep(1); NBX_InputText(first); });
    TypeText(w, "one\rtwo\r");
    InterlockedExchange(&posted, 1);
    REQUIRE(WaitDone(p));
    CHECK((string(first) == "one" && Answer(w, "") == "two"));
    TypeText(w, "zz");
    Settle();
    CHECK(Input([w] { SetCtrlHeld(w, true); SendMessageW(w, WM_CHAR, 'k', 1); SetCtrlHeld(w, false); TypeText(w, "m\r"); }) == "m");
}

TEST_CASE("input ends empty on close")
{
    Fresh(0);
    OnUser([] { NBX_OpenTextWindow(2, 500, 20, 200, 100); NBX_SelectTextWindow(0); });
    HWND w = TextWindowHandle(0), w2 = TextWindowHandle(2);
    CHECK(Input([=] {
        TypeText(w, "abc");
        PressCtrlKey(w2, 'Q');   // other windows' shortcuts are off meanwhile
        Settle();
        CHECK((TextWindowHandle(2) != NULL && NoMenu(w)));
        PostMessageW(w, WM_CLOSE, 0, 0);
    }) == "");
    CHECK((CurrentTextWindow() == 2 && StatusHas("-bit color")));
    CHECK(Input([=] { TypeText(w2, "abc"); Settle(); nbx_inputActive = 0; }) == "");
    char buf[9] = "same";   // no text window or no buffer: returns at once
    OnUser([&] { NBX_CloseTextWindow(2); NBX_InputText(buf); NBX_OpenTextWindow(2, 500, 20, 200, 100); NBX_InputText(NULL); });
    CHECK((string(buf) == "same" && nbx_inputActive == 0));
}

TEST_CASE("shortcuts, popup menu")
{
    Fresh(0);
    OnUser([] { NBX_OpenTextWindow(12, 500, 40, 200, 100); NBX_SelectTextWindow(0); });
    HWND w = TextWindowHandle(12);
    DeleteFileA(LogPath(12).c_str());
    // Copy names the log; Select, Start Log, Stop Log carry check marks.
    string copy = "&Copy NUBRIX" + to_string(nbx_instance) + "12.LOG\tCtrl+C|";
    for (const char *marks : { "000", "110", "101" }) {
        if (marks[1] == '1') { Command(w, 1069); Command(w, 1024); }
        if (marks[2] == '1') Command(w, 1025);
        CHECK(UNTIL(Rec(12).logState == (marks[2] == '1' ? 2 : marks[1] - '0')));
        vector<MenuEntry> items = ReadPopupMenu(w);
        REQUIRE(items.size() == 11);
        string s = items[6].text + "|";
        for (int i : { 0, 4, 5 }) s += (items[i].state & MF_CHECKED) ? '1' : '0';
        CHECK(s == copy + marks);
    }
    // Ctrl+A prints the version line in its colours; Ctrl+C copies the log.
    OnUser([] { NBX_SelectTextWindow(0); NBX_StartLog(12); });
    PressCtrlKey(w, 'A');
    CHECK(UNTIL(Rec(12).cursorY > 0 && Rec(12).colors.text == 0xFFFFFF));
    CHECK((CurrentTextWindow() == 12 && Cell(12, 0, 0, 0x50FF50) > 0 && Cell(12, 0, 0, 0x505050) > 0));
    PressCtrlKey(w, 'C');
    OnUser([] {});   // the copy has run
    CHECK(ClipboardText() == "NUBRIX 7.3  2009/4/30\r\n");
    OnUser([] { NBX_CloseLogs(); NBX_SelectTextWindow(0); });
    PressCtrlKey(w, 'S');
    CHECK(UNTIL(CurrentTextWindow() == 12));
    // The main window's keys work here; no menu while a pick tool waits.
    nbx_stop = 0;
    PressKey(w, 'C');
    CHECK(UNTIL(nbx_stop == 1));
    Settle();
    nbx_stop = 0;
    nbx_pickActive = 1;
    CHECK(NoMenu(w));
    nbx_pickActive = 0;
    PressCtrlKey(w, 'Q');
    CHECK((UNTIL(TextWindowHandle(12) == NULL && !IsWindow(w)) && CurrentTextWindow() == 0));
}

TEST_CASE("logs")
{
    HWND w = Fresh(0);
    DeleteFileA(LogPath(0).c_str());
    CHECK(Get([] { int r = NBX_StartLog(0); NBX_Printf("a\n"); NBX_Printf("b"); return r; }) == 0);
    CHECK(Answer(w, "x\r") == "x");
    OnUser([] { NBX_StopLog(0); NBX_Printf("c\n"); });
    CHECK(Rec(0).logState == 2);
    // A second start changes nothing, keeps the file.
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
    // Never logged: a message, and the clipboard closed again.
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

TEST_CASE("text in images: the 4095-byte cut")
{
    int at[2] = {};
    OnUser([&] {
        NBX_CreateImage(2, "text", 700, 0, 80, 48, 100);
        nbx_fontCursorX = nbx_fontLineX = 0;
        nbx_fontBaseY = 20;
        PutString("A\x82\xA0");
        PrintText("%0*d", 4100, 0);   // 409 rows of ten and five more
        at[0] = nbx_fontCursorX, at[1] = nbx_fontBaseY;
        NBX_DestroyImage(2);
    });
    CHECK((at[0] == 6 * 8 && at[1] == 20 + 409 * 16));
}

TEST_CASE("window report")
{
    OnUser([] {
        for (int n = 0; n < 256; n++) NBX_CloseTextWindow(n);
        NBX_CloseInputBox();
        NBX_CloseButtonBox();
        NBX_CreateImage(1, "say \"hi\" \\ back", 520, 320, 200, 100, 100);
        NBX_CreateImage8FL(4, "eight", 740, 320, 100, 60, 200);
        NBX_OpenTextWindow(3, 20, 600, 300, 120);
        NBX_OpenTextWindow(0, 340, 600, 280, 100);
        NBX_OpenInputBox(20, 320, 3);
        NBX_ResizeInputBox(90, 75);
        NBX_SetInputBoxTitle(1, "Speed");
        NBX_OpenButtonBox(260, 320, 2, 2);
        NBX_SetButtonBoxTitle(0, "play\nstop");
        NBX_SetButtonBoxTitle(3, "a\"b");
        NBX_SelectTextWindow(0);
        NBX_StartLog(3);
        // Moved and widened by hand, as a user arranges them.
        SetWindowPos(nbx_images[4].window, NULL, 760, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetWindowPos(InputBoxWindow(), NULL, 24, 330, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT r = WindowRect(ButtonBoxWindow());
        SetWindowPos(ButtonBoxWindow(), NULL, 0, 0, r.right - r.left + 30, r.bottom - r.top + 10, SWP_NOMOVE | SWP_NOZORDER);
    });
    // Wait on the log's last line: reading the clipboard could make the copy fail.
    static const char saved[] = "\x83\x4e\x83\x8a\x83\x62\x83\x76\x83\x7b\x81\x5b\x83\x68\x82\xc9\x83\x8c\x83\x43\x83\x41"
        "\x83\x45\x83\x67\x8d\xec\x90\xac\x83\x5c\x81\x5b\x83\x58\x83\x8a\x83\x58\x83\x67\x82\xf0\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x44\r\n";
    auto reports = [] {
        string log = LogText(3);
        int n = 0;
        for (size_t at = log.find(saved); at != string::npos; at = log.find(saved, at + 1)) n++;
        return n;
    };
    SetClipboardUnicode(u"");
    DWORD colors = nbx_textWindows[3].colors.text;
    PressCtrlKey(TextWindowHandle(3), 'W');
    REQUIRE(WaitFor([&] { return reports() == 1; }, 15000));
    // The unit tests pin the source's text; layout_replay replays it.
    string source = ClipboardText();
    HWND bb = BBox(), image = nbx_images[1].window;
    SIZE size = ClientSize(bb);
    auto x = [](HWND w) { return to_string(WindowRect(w).left); };
    const string printed[] = {
        "******* Window information *******\r\n[Image Window]\r\n 1 32 1  'say \"hi\" \\ back' X:" + x(image),
        "[Text Window]\r\n 0 X:" + x(TextWindowHandle(0)),
        " 4 8 0  'eight' X:",
        " ITEM:3 ISIZE:90 ESIZE:75\r\n[Button Box]\r\n X:" + x(bb),
        "NX:2 NY:2 SIZE:" + to_string(size.cx) + "x" + to_string(size.cy) + "\r\n**********************************\r\n" + saved };
    for (auto &p : printed) CHECK_MESSAGE(LogHas(3, p), p);
    // Captions and labels as read from the live boxes (layout_replay checks the rest).
    for (const char *call : { "NBX_SetButtonBoxTitle(3,\"a\\\"b\");", "NBX_SetInputBoxTitle(1,\"Speed\");" })
        CHECK_MESSAGE(source.find(call) != string::npos, call);
    CHECK(UNTIL(nbx_textWindows[3].colors.text == colors && CurrentTextWindow() == 3));
    // The main window's command reports into the current text window.
    SetClipboardUnicode(u"");
    Command(nbx_mainWindow, 1045);
    CHECK(WaitFor([&] { return reports() == 2; }, 15000));
    OnUser([] { NBX_StopLog(3); });
    CHECK(ClipboardText() == source);
    CHECK(WriteWholeFile(BinPath("layout_source.inc"), source));
}
