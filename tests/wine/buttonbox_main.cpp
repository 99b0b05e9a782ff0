// The button box under Wine.
// nbx-test: also-cp1252
#include "harness.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

static HWND Box() { return ButtonBoxWindow(); }
static HWND ButtonOf(int i) { return GetDlgItem(Box(), 3000 + i); }
static int Read(int i) { return Get([i] { return NBX_GetButton(i); }); }

static int CountButtons(HWND box)
{
    int n = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) n++;
    return n;
}

static HWND OpenBox(int nx, int ny, int x = 30, int y = 40)
{
    if (!nbx_running) Command(nbx_mainWindow, 1001);
    REQUIRE(WaitFor([] { return nbx_running == 1; }));
    OnUser([=] { NBX_OpenButtonBox(x, y, nx, ny); });
    return Box();
}

static void CloseBox() { OnUser([] { NBX_CloseButtonBox(); }); }

// Before Start: requests are served only while the user program idles.
TEST_CASE("request 9007")
{
    RequestOpenButtonBox(3, 2);
    HWND first = Box();
    CHECK((CountButtons(first) == 6 && Geometry(first) == "0,0 310x64"));
    RequestOpenButtonBox(4, 1);
    CHECK((!IsWindow(first) && CountButtons(Box()) == 4));
    RequestOpenButtonBox(3, 100);   // refused; the old box is gone all the same
    CHECK(Box() == NULL);
}

TEST_CASE("opening")
{
    const int refused[][2] = { { 3, 100 }, { 0, 4 }, { 4, -1 }, { -16, -16 } };
    for (auto &r : refused) CHECK(OpenBox(r[0], r[1]) == NULL);
    HWND box = OpenBox(2, 6);
    CHECK((Geometry(box) == "30,40 208x184" && CountButtons(box) == 12));   // 98 x 26 buttons, 4-pixel gaps
    for (int i = 0; i < 12; i++) CHECK(WindowTextA(ButtonOf(i)) == std::to_string(i));
    CHECK((OpenBox(4, 4, 300, 300) == box && CountButtons(box) == 12));   // a second opening does nothing
    CloseBox();
    CHECK_FALSE(IsWindow(box));
    CHECK((CountButtons(OpenBox(16, 16)) == 256 && WindowTextA(ButtonOf(255)) == "255"));
    CloseBox();
}

TEST_CASE("presses")
{
    HWND box = OpenBox(2, 6);
    for (int i = 0; i < 2; i++) SendMessageW(ButtonOf(4), BM_CLICK, 0, 0);
    CHECK((Read(4) == 2 && Read(4) == 0));
    ClickClient(ButtonOf(11), 10, 10);   // a mouse click as the user makes it
    CHECK(WaitFor([] { return Read(11) == 1; }));
    CHECK(Get([] { return GetFocus(); }) == box);   // the click gives the focus back to the box
    for (int i : { -1, 12, 256 }) CHECK(Read(i) == 0);
    const UINT keys[] = { '7', '7', VK_NUMPAD3, VK_NUMPAD9, '0', 'A' };
    for (UINT k : keys) PressKey(box, k);
    Settle();
    const int expected[12] = { 1, 0, 0, 1, 0, 0, 0, 2, 0, 1, 0, 0 };
    for (int i = 0; i < 12; i++) CHECK(Read(i) == expected[i]);
    nbx_stop = 0;
    PressKey(box, 'C');   // the main window's Stop
    CHECK(WaitFor([] { return nbx_stop == 1; }));
    nbx_stop = 0;
    SendMessageW(ButtonOf(1), BM_CLICK, 0, 0);
    CloseBox();
    CHECK(Read(1) == 0);   // no box: nothing pressed
}

TEST_CASE("closing")
{
    for (int how = 0; how < 3; how++) {
        HWND box = OpenBox(2, 6);
        if (how == 0) PressCtrlKey(box, 'Q');
        if (how == 1) PostMessageW(box, WM_CLOSE, 0, 0);
        if (how == 2) {
            PostMessageW(box, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(60, 45));
            CHECK(ChooseMenuItem() == "&Destroy\tCtrl+Q");
        }
        CHECK((WaitFor([box] { return !IsWindow(box); }) && Box() == NULL));
    }
}

TEST_CASE("captions, sizing")
{
    OpenBox(2, 6);
    const WCHAR *wide = GetACP() == 932 ? L"\u518D\u751F" : L"Pause \u00E9";
    std::string ansi = Ansi(wide), longText(300, 'x');
    OnUser([&] { NBX_SetButtonBoxTitle(3, ansi.c_str()); NBX_SetButtonBoxTitle(0, "first\nline two"); NBX_SetButtonBoxTitle(5, longText.c_str()); });
    OnUser([] { NBX_SetButtonBoxTitle(12, "out of range"); NBX_SetButtonBoxTitle(-1, "out of range"); });
    CHECK((WindowTextW(ButtonOf(3)) == (const char16_t *)wide && WindowTextA(ButtonOf(0)) == "first\nline two"));
    CHECK((WindowTextA(ButtonOf(11)) == "11" && WindowTextA(ButtonOf(5)) == std::string(255, 'x')));
    // (408 - 12) / 2 wide, (244 - 28) / 6 high
    CHECK((Get([] { return NBX_ResizeButtonBox(408, 244); }) == 0 && ClientSize(Box()).cx == 408 && Place(ButtonOf(3)) == "206,44 198x36"));
    CloseBox();
    CHECK(Geometry(OpenBox(1, 2)) == "30,40 206x84");   // the next box keeps the size
    CloseBox();
    CHECK(Get([] { return NBX_ResizeButtonBox(300, 100); }) == 1);   // no box
    // Back to 98 x 26 through a 3 x 1 box (a narrower one could be widened by
    // the system's minimum window width).
    OpenBox(3, 1);
    OnUser([] { NBX_ResizeButtonBox(3 * 102 + 4, 34); NBX_CloseButtonBox(); });
}

TEST_CASE("rename")
{
    HWND box = OpenBox(2, 6);
    OnUser([] { NBX_OpenTextWindow(0, 400, 300, 400, 300); NBX_SelectTextWindow(0); NBX_StartLog(0); });
    SIZE c = ClientSize(box);
    const WCHAR *answer = GetACP() == 932 ? L"\u518D\u751F" : L"Play";
    // point, answer, button, caption after, log line
    struct { int x, y; std::string answer; int button; std::string caption, logged; } steps[] = {
        { 10, c.cy - 2, Ansi(answer), 10, Ansi(answer), "10 '10' ->" },   // below the last row
        { c.cx - 1, 0, "", 1, "1", "1 '1' ->" },                                // an empty answer keeps it
        { 2 * 102 + 1, 40, "Stop here", 3, "Stop here", "" } };                 // the gap right of 3, Rename
    for (auto &s : steps) {
        Rename(box, s.x, s.y, s.logged.empty(), s.answer.c_str());
        CHECK((WindowTextA(ButtonOf(s.button)) == s.caption && LogHas(0, s.logged)));
    }
    CHECK(WindowTextA(ButtonOf(2)) == "2");
    // The box closed while the question waits: the answer renames nothing.
    PostMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    REQUIRE(WaitFor([] { return nbx_inputActive != 0; }));
    PostMessageW(box, WM_CLOSE, 0, 0);
    CHECK(WaitFor([box] { return !IsWindow(box); }));
    TypeText(TextWindowHandle(0), "late\r");
    REQUIRE(WaitFor([] { return nbx_inputActive == 0; }));
    OnUser([] { NBX_StopLog(0); });
    CHECK(Box() == NULL);
}
