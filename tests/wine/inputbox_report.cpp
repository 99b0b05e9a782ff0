// The input box, the button box, the command console, text in images and the
// window report under Wine; the report's layout source is written out for
// layout_replay.
// nbx-test: also-cp1252
#include "harness.h"
#include "textwin/textwin_internal.h"
#include "../layout/layout_describe.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

static HWND IBox() { return InputBoxWindow(); }
static HWND Label(int i) { return GetDlgItem(IBox(), 2000 + i); }
static HWND Field(int i) { return GetDlgItem(IBox(), 2100 + i); }
static std::string Value(int i) { return Get([i] { return std::string(NBX_GetInputValue(i)); }); }

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
    first = IBox();
    REQUIRE(first != NULL);
    CHECK((Geometry(first) == "0,0 162x30" && GetWindow(first, GW_OWNER) == nbx_mainWindow && WindowTextA(first) == "InputBox"));
    CHECK(GetWindowLongW(Field(0), GWL_STYLE) == 0x50030080);
    RequestOpenInputBox(45);
    CHECK((!IsWindow(first) && Geometry(IBox()) == "0,0 162x842"));
    CHECK((Place(Label(29)) == "4,819 80x24" && Place(Field(29)) == "88,816 70x24"));
    CHECK((WindowTextA(Label(29)) == "Item 29" && WindowTextA(Field(29)) == "0"));
    RequestOpenTextWindow(4);
    PressKey(TextWindowHandle(4), VK_SPACE);
    AnswerInput("start");
    CHECK((WaitFor([] { return nbx_running == 1; }) && CurrentTextWindow() == 4));
}

TEST_CASE("values stored on Tab, Enter, focus loss")
{
    OnUser([] { NBX_CloseInputBox(); NBX_OpenInputBox(30, 40, 4); NBX_OpenInputBox(300, 300, 9); NBX_OpenTextWindow(0, 400, 500, 300, 200); });
    CHECK(Geometry(IBox()) == "30,40 162x114");
    struct { int item; const char *text; UINT key; } cases[] = { { 2, "42", VK_TAB }, { 1, "7 b", VK_RETURN }, { 3, "x", 0 } };
    for (auto &t : cases) {
        int i = t.item;
        CAPTURE(i);
        OnUser([i] { SetForegroundWindow(IBox()); SetFocus(Field(i)); SendMessageW(Field(i), EM_SETSEL, 0, -1); });
        TypeText(Field(i), t.text);
        CHECK(WaitFor([&] { return WindowTextA(Field(i)) == t.text; }));
        CHECK(Value(i) == "0");
        if (t.key) PressKey(Field(i), t.key);
        else OnUser([] { SetForegroundWindow(TextWindowHandle(0)); });   // the user clicks elsewhere
        CHECK(WaitFor([&] { return Value(i) == t.text; }));
    }
    // Activation gives the focus back to the field that had it.
    CHECK(Get([] { SetForegroundWindow(IBox()); return GetFocus(); }) == Field(3));
    CHECK((Value(0) == "0" && Value(4) == "" && Value(-1) == ""));
    OnUser([] { NBX_CloseInputBox(); });
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
        (t.edge == WMSZ_BOTTOMLEFT ? p.left : p.right) += t.edge == WMSZ_BOTTOMLEFT ? -t.grow : t.grow;
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
    OnUser([] { NBX_CloseInputBox(); });
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
    CHECK(WaitFor([box] { return !IsWindow(box) && IBox() == NULL; }));
}

TEST_CASE("button box: opening, closing")
{
    const int refused[][2] = { { 3, 100 }, { 0, 4 }, { 4, -1 }, { -16, -16 } };
    for (auto &r : refused) CHECK(OpenBB(r[0], r[1]) == NULL);
    HWND box = OpenBB(2, 6);
    CHECK((Geometry(box) == "30,40 208x184" && Buttons(box) == 12));   // 98 x 26 buttons, 4-pixel gaps
    for (int i = 0; i < 12; i++) CHECK(WindowTextA(Btn(i)) == std::to_string(i));
    CHECK((OpenBB(4, 4, 300, 300) == box && Buttons(box) == 12));   // a second opening does nothing
    CloseBB();
    CHECK_FALSE(IsWindow(box));
    CHECK((Buttons(OpenBB(16, 16)) == 256 && WindowTextA(Btn(255)) == "255"));
    CloseBB();
    for (int how = 0; how < 3; how++) {
        box = OpenBB(2, 6);
        if (how == 0) PressCtrlKey(box, 'Q');
        if (how == 1) PostMessageW(box, WM_CLOSE, 0, 0);
        if (how == 2) {
            PostMessageW(box, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(60, 45));
            CHECK(ChooseMenuItem() == "&Destroy\tCtrl+Q");
        }
        CHECK((WaitFor([box] { return !IsWindow(box); }) && BBox() == NULL));
    }
}

TEST_CASE("button box: presses")
{
    HWND box = OpenBB(2, 6);
    for (int i = 0; i < 2; i++) SendMessageW(Btn(4), BM_CLICK, 0, 0);
    CHECK((Pressed(4) == 2 && Pressed(4) == 0));
    ClickClient(Btn(11), 10, 10);   // a mouse click as the user makes it
    CHECK(WaitFor([] { return Pressed(11) == 1; }));
    CHECK(Get([] { return GetFocus(); }) == box);   // the click gives the focus back to the box
    for (int i : { -1, 12, 256 }) CHECK(Pressed(i) == 0);
    for (UINT k : { 55, 55, VK_NUMPAD3, VK_NUMPAD9, 48, 65 }) PressKey(box, k);
    Settle();
    const int expected[12] = { 1, 0, 0, 1, 0, 0, 0, 2, 0, 1, 0, 0 };
    for (int i = 0; i < 12; i++) CHECK(Pressed(i) == expected[i]);
    nbx_stop = 0;
    PressKey(box, 'C');   // the main window's Stop
    CHECK(WaitFor([] { return nbx_stop == 1; }));
    nbx_stop = 0;
    SendMessageW(Btn(1), BM_CLICK, 0, 0);
    CloseBB();
    CHECK(Pressed(1) == 0);   // no box: nothing pressed
}

TEST_CASE("button box: captions, sizing")
{
    OpenBB(2, 6);
    const WCHAR *wide = GetACP() == 932 ? L"\u518D\u751F" : L"Pause \u00E9";
    std::string ansi = Ansi(wide), longText(300, 'x');
    OnUser([&] { NBX_SetButtonBoxTitle(3, ansi.c_str()); NBX_SetButtonBoxTitle(0, "first\nline two"); NBX_SetButtonBoxTitle(5, longText.c_str()); });
    OnUser([] { NBX_SetButtonBoxTitle(12, "out"); NBX_SetButtonBoxTitle(-1, "out"); });
    CHECK((WindowTextW(Btn(3)) == (const char16_t *)wide && WindowTextA(Btn(0)) == "first\nline two"));
    CHECK((WindowTextA(Btn(11)) == "11" && WindowTextA(Btn(5)) == std::string(255, 'x')));
    // (408 - 12) / 2 wide, (244 - 28) / 6 high
    CHECK((Get([] { return NBX_ResizeButtonBox(408, 244); }) == 0 && ClientSize(BBox()).cx == 408 && Place(Btn(3)) == "206,44 198x36"));
    CloseBB();
    CHECK(Geometry(OpenBB(1, 2)) == "30,40 206x84");   // the next box keeps the size
    CloseBB();
    CHECK(Get([] { return NBX_ResizeButtonBox(300, 100); }) == 1);   // no box
    // Back to 98 x 26 through a 3 x 1 box (a narrower one could be widened by
    // the system's minimum window width).
    OpenBB(3, 1);
    OnUser([] { NBX_ResizeButtonBox(3 * 102 + 4, 34); NBX_CloseButtonBox(); });
}

TEST_CASE("button box: rename")
{
    HWND box = OpenBB(2, 6);
    OnUser([] { NBX_OpenTextWindow(0, 400, 300, 400, 300); NBX_SelectTextWindow(0); NBX_StartLog(0); });
    SIZE c = ClientSize(box);
    std::string answer = Ansi(GetACP() == 932 ? L"\u518D\u751F" : L"Play");
    // point, answer, button, caption after, log line
    struct { int x, y; std::string answer; int button; std::string caption, logged; } steps[] = {
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
    REQUIRE(WaitFor([] { return nbx_inputActive != 0; }));
    PostMessageW(box, WM_CLOSE, 0, 0);
    CHECK(WaitFor([box] { return !IsWindow(box); }));
    TypeText(TextWindowHandle(0), "late\r");
    REQUIRE(WaitFor([] { return nbx_inputActive == 0; }));
    OnUser([] { NBX_StopLog(0); });
    CHECK(BBox() == NULL);
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
        { "ver", 0, "Cmd>ver\r\nNUBRIX 7.3  2009/4/30\r\n" },
        { "exit", 0, "Cmd>exit\r\n" },
        { "Exit", 1, "Cmd>Exit\r\nInvalid command\r\n" },
        { "", 1, "Cmd>\r\nInvalid command\r\n" } };
    for (auto &t : cases) {
        CAPTURE(t.line);
        int result = -1;
        Pending *p = OnUserAsync([&] { result = NBX_CommandConsole(); });
        AnswerInput(t.line);
        REQUIRE(WaitDone(p));
        CHECK((result == t.result && WaitFor([&] { return LogHas(4, t.printed); })));
    }
    CHECK(WaitFor([] { return escapes == 1; }));
    SetWindowLongPtrW(nbx_mainWindow, GWLP_WNDPROC, (LONG_PTR)mainProc);
    OnUser([] { NBX_OpenTextWindow(0, 400, 500, 300, 200); NBX_SelectTextWindow(0); NBX_StartLog(0); });
    Command(TextWindowHandle(4), 1029);   // the menu item works on the current window
    AnswerInput("help");
    CHECK(LogHas(0, "Cmd>help\r\nCommand list:"));
    OnUser([] { NBX_CloseLogs(); nbx_drawColor = 0xFFFFFF; nbx_tttc = 0xFFFFFF; nbx_tc = 0; });
}

TEST_CASE("text in images: 4095-byte cut, TrueType size and styles")
{
    int c[3] = {};
    LOGFONTW font;
    OnUser([&] {
        NBX_CreateImage(2, "text", 700, 0, 80, 48, 100);
        nbx_fontCursorX = nbx_fontLineX = 0;
        nbx_fontBaseY = 20;
        PutString("A\x82\xA0");
        PrintText("%0*d", 4100, 0);   // 409 rows of ten and five more
        c[0] = nbx_fontCursorX, c[1] = nbx_fontBaseY;
        c[2] = SetTrueTypeSize(32, 24);
        PutTrueTypeString("\x01\x03\x02H");
        GetObjectW(nbx_ttFont, sizeof font, &font);
        NBX_DestroyImage(2);
    });
    CHECK((c[0] == 6 * 8 && c[1] == 20 + 409 * 16 && c[2] == 0));
    CHECK((font.lfWidth == 16 && font.lfHeight == 24 && font.lfItalic == 0 && font.lfWeight == 700));
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
        std::string log = LogText(3);
        int n = 0;
        for (size_t at = log.find(saved); at != std::string::npos; at = log.find(saved, at + 1)) n++;
        return n;
    };
    SetClipboardUnicode(u"");
    DWORD colors = nbx_textWindows[3].colors.text;
    PressCtrlKey(TextWindowHandle(3), 'W');
    REQUIRE(WaitFor([&] { return reports() == 1; }, 15000));
    // The unit tests pin the source's text; layout_replay replays it.
    std::string source = ClipboardText();
    HWND bb = BBox(), image = nbx_images[1].window;
    SIZE bbSize = ClientSize(bb);
    auto x = [](HWND w) { return std::to_string(WindowRect(w).left); };
    CHECK(source.find("\tNBX_CreateImage(1,\"say \\\"hi\\\" \\\\ back\"," + x(image) + "," + std::to_string(WindowRect(image).top)) != std::string::npos);
    const std::string printed[] = {
        "******* Window information *******\r\n[Image Window]\r\n 1 32 1  'say \"hi\" \\ back' X:" + x(image),
        "[Text Window]\r\n 0 X:" + x(TextWindowHandle(0)),
        " 4 8 0  'eight' X:",
        " ITEM:3 ISIZE:90 ESIZE:75\r\n[Button Box]\r\n X:" + x(bb),
        "NX:2 NY:2 SIZE:" + std::to_string(bbSize.cx) + "x" + std::to_string(bbSize.cy) + "\r\n**********************************\r\n" + saved };
    for (auto &p : printed) CHECK_MESSAGE(LogHas(3, p), p);
    CHECK(WaitFor([&] { return nbx_textWindows[3].colors.text == colors && CurrentTextWindow() == 3; }));
    // The main window's command reports into the current text window.
    SetClipboardUnicode(u"");
    Command(nbx_mainWindow, 1045);
    CHECK(WaitFor([&] { return reports() == 2; }, 15000));
    OnUser([] { NBX_StopLog(3); });
    CHECK(ClipboardText() == source);
    CHECK(WriteWholeFile(BinPath("layout_expected.txt"), nbxt_layout::DescribeLayout()));
    CHECK(WriteWholeFile(BinPath("layout_source.inc"), source));
}
