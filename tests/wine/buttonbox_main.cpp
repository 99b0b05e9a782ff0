// The button box under Wine: opening, presses by click and digit key, the
// keys it passes on, its menus, the size handling and renaming.
// nbx-test: also-cp1252
#include "harness.h"
#include <string.h>

void UserInit(void) { nbxt::BeginDriver(false); }
void UserMain(void) { nbxt::ServeUser(); }

static const int kGap = 4;

static HWND Box() { return ButtonBoxWindow(); }

static HWND ButtonOf(int i) { return GetDlgItem(Box(), 3000 + i); }

static int CountButtons(HWND box)
{
    int n = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) n++;
    return n;
}

static RECT ButtonRectInBox(int i)
{
    RECT r = nbxt::WindowRect(ButtonOf(i));
    MapWindowPoints(NULL, Box(), (POINT *)&r, 2);
    return r;
}

// Start the user program (once): from then on OnUser works.
static void EnsureStarted()
{
    if (nbx_running) return;
    nbxt::Command(nbx_mainWindow, 1001);
    REQUIRE(nbxt::WaitFor([] { return nbx_running == 1; }));
}

static void OpenBox(int x, int y, int nx, int ny)
{
    EnsureStarted();
    nbxt::OnUser([=] { NBX_OpenButtonBox(x, y, nx, ny); });
}

// The movie viewer's 2 x 6 box at (30, 40).
static HWND OpenTwoBySix()
{
    OpenBox(30, 40, 2, 6);
    return Box();
}

static void CloseBox()
{
    EnsureStarted();
    nbxt::OnUser([] { NBX_CloseButtonBox(); });
}

// Puts the framework's button size back to 98 x 26 through a 3 x 1 box (a
// narrower one could be widened by the system's minimum window width).
static void ResetButtonSize()
{
    CloseBox();
    OpenBox(0, 0, 3, 1);
    nbxt::OnUser([] { NBX_ResizeButtonBox(3 * (98 + kGap) + kGap, 26 + 2 * kGap); });
    CloseBox();
}

// Runs the popup menu the user thread is tracking: first item, Enter.
static std::u16string ChooseOnlyMenuItem()
{
    HWND menuWindow = nbxt::WaitTop(L"#32768", NULL);
    std::u16string label;
    if (!menuWindow) return label;
    HMENU menu = (HMENU)SendMessageW(menuWindow, MN_GETHMENU, 0, 0);
    WCHAR text[64] = { 0 };
    if (menu) GetMenuStringW(menu, 0, text, 64, MF_BYPOSITION);
    for (int i = 0; text[i]; i++) label.push_back((char16_t)text[i]);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(menuWindow, WM_KEYDOWN, VK_RETURN, 1);
    nbxt::WaitFor([menuWindow] { return !IsWindowVisible(menuWindow); });
    return label;
}

// Runs before Start: requests are served only while the user program idles.
TEST_CASE("request 9007 replaces an open box with a fresh one at (0, 0)")
{
    RequestOpenButtonBox(3, 2);
    HWND first = Box();
    REQUIRE(first != NULL);
    CHECK(CountButtons(first) == 6);
    RECT r = nbxt::WindowRect(first);
    CHECK(r.left == 0);
    CHECK(r.top == 0);

    RequestOpenButtonBox(4, 1);
    HWND second = Box();
    REQUIRE(second != NULL);
    CHECK_FALSE(IsWindow(first));
    CHECK(CountButtons(second) == 4);
    SIZE c = nbxt::ClientSize(second);
    CHECK(c.cx == 4 * (98 + kGap) + kGap);
    CHECK(c.cy == 26 + 2 * kGap);

    RequestOpenButtonBox(3, 100);   // refused by the opening; the old box is gone
    CHECK(Box() == NULL);
    CHECK_FALSE(IsWindow(second));

    EnsureStarted();
}

TEST_CASE("opening: window, buttons, geometry and refusals")
{
    OpenBox(30, 40, 3, 100);
    CHECK(Box() == NULL);
    OpenBox(30, 40, 0, 4);
    CHECK(Box() == NULL);
    OpenBox(30, 40, 4, -1);
    CHECK(Box() == NULL);
    OpenBox(30, 40, -16, -16);
    CHECK(Box() == NULL);

    HWND box = OpenTwoBySix();
    REQUIRE(box != NULL);
    WCHAR cls[32];
    GetClassNameW(box, cls, 32);
    CHECK(lstrcmpW(cls, L"nbx_bb") == 0);
    CHECK(nbxt::WindowTextA(box) == "ButtonBox");
    CHECK((GetWindowLongW(box, GWL_STYLE) & 0x10CC0000) == 0x10CC0000);
    CHECK((GetWindowLongW(box, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
    CHECK(GetWindow(box, GW_OWNER) == nbx_mainWindow);
    CHECK(GetWindowThreadProcessId(box, NULL) == nbx_userThreadId);
    RECT r = nbxt::WindowRect(box);
    CHECK(r.left == 30);
    CHECK(r.top == 40);
    SIZE c = nbxt::ClientSize(box);
    CHECK(c.cx == 2 * (98 + kGap) + kGap);
    CHECK(c.cy == 6 * (26 + kGap) + kGap);

    CHECK(CountButtons(box) == 12);
    for (int i = 0; i < 12; i++) {
        HWND b = ButtonOf(i);
        REQUIRE(b != NULL);
        CHECK(nbxt::WindowTextA(b) == std::to_string(i));
        CHECK((GetWindowLongW(b, GWL_STYLE) & 0x50002000) == 0x50002000);
        RECT br = ButtonRectInBox(i);
        CHECK(br.left == (i % 2) * (98 + kGap) + kGap);
        CHECK(br.top == (i / 2) * (26 + kGap) + kGap);
        CHECK(br.right - br.left == 98);
        CHECK(br.bottom - br.top == 26);
    }

    // A second opening while one is open does nothing.
    OpenBox(300, 300, 4, 4);
    CHECK(Box() == box);
    CHECK(CountButtons(box) == 12);
    CloseBox();
    CHECK(Box() == NULL);
    CHECK_FALSE(IsWindow(box));

    OpenBox(0, 0, 16, 16);
    REQUIRE(Box() != NULL);
    CHECK(CountButtons(Box()) == 256);
    CHECK(nbxt::WindowTextA(ButtonOf(255)) == "255");
    CloseBox();
}

TEST_CASE("presses are counted per button and read once")
{
    OpenBox(30, 40, 2, 6);
    REQUIRE(Box() != NULL);

    SendMessageW(ButtonOf(4), BM_CLICK, 0, 0);
    SendMessageW(ButtonOf(4), BM_CLICK, 0, 0);
    int first = -1, second = -1;
    nbxt::OnUser([&] { first = NBX_GetButton(4); second = NBX_GetButton(4); });
    CHECK(first == 2);
    CHECK(second == 0);

    // A mouse click on button 11, as the user makes it.
    RECT br = ButtonRectInBox(11);
    nbxt::ClickClient(ButtonOf(11), 10, 10);
    CHECK(nbxt::WaitFor([] { return NBX_GetButton(11) == 1; }));
    (void)br;

    // The click gives the keyboard focus back to the box.
    HWND focus = NULL;
    nbxt::OnUser([&] { focus = GetFocus(); });
    CHECK(focus == Box());

    // Indexes outside 0..count-1 read 0 and change nothing.
    SendMessageW(ButtonOf(0), BM_CLICK, 0, 0);
    nbxt::OnUser([&] {
        CHECK(NBX_GetButton(-1) == 0);
        CHECK(NBX_GetButton(12) == 0);
        CHECK(NBX_GetButton(256) == 0);
        CHECK(NBX_GetButton(0) == 1);
    });

    // Counters survive closing; a new box resets those of its buttons.
    SendMessageW(ButtonOf(1), BM_CLICK, 0, 0);
    CloseBox();
    CHECK(NBX_GetButton(1) == 0);   // no box: nothing to read
    OpenBox(30, 40, 2, 6);
    CHECK(NBX_GetButton(1) == 0);
    CloseBox();
}

TEST_CASE("digit keys press buttons 0-9; keys of the main window pass on")
{
    HWND box = OpenTwoBySix();
    REQUIRE(box != NULL);
    nbxt::PressKey(box, '7');
    nbxt::PressKey(box, '7');
    nbxt::PressKey(box, VK_NUMPAD3);
    nbxt::PressKey(box, '0');
    nbxt::PressKey(box, 'A');   // no digit: nothing
    nbxt::Pause(200);
    int seven = 0, three = 0, zero = 0, others = 0;
    nbxt::OnUser([&] {
        seven = NBX_GetButton(7);
        three = NBX_GetButton(3);
        zero = NBX_GetButton(0);
        for (int i = 0; i < 12; i++) others += NBX_GetButton(i);
    });
    CHECK(seven == 2);
    CHECK(three == 1);
    CHECK(zero == 1);
    CHECK(others == 0);

    // After a click the box has the focus again, so keys keep working.
    SendMessageW(ButtonOf(5), BM_CLICK, 0, 0);
    nbxt::PressKey(box, '9');
    CHECK(nbxt::WaitFor([] { return NBX_GetButton(9) == 1; }));
    CHECK(NBX_GetButton(5) == 1);

    // C is the main window's Stop.
    nbx_stop = 0;
    nbxt::PressKey(box, 'C');
    CHECK(nbxt::WaitFor([] { return nbx_stop == 1; }));
    nbx_stop = 0;

    // Esc reaches the main window as Esc (caught here before it exits).
    static volatile LONG escapes;
    static WNDPROC original;
    escapes = 0;
    original = (WNDPROC)GetWindowLongPtrW(nbx_mainWindow, GWLP_WNDPROC);
    struct Catch {
        static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_KEYDOWN && wp == VK_ESCAPE) { InterlockedIncrement(&escapes); return 0; }
            return CallWindowProcW(original, w, m, wp, lp);
        }
    };
    SetWindowLongPtrW(nbx_mainWindow, GWLP_WNDPROC, (LONG_PTR)Catch::Proc);
    nbxt::PressKey(box, VK_ESCAPE);
    CHECK(nbxt::WaitFor([] { return escapes == 1; }));
    nbxt::Pause(100);
    SetWindowLongPtrW(nbx_mainWindow, GWLP_WNDPROC, (LONG_PTR)original);
    CHECK(IsWindow(box));

    CloseBox();

    // Key 7 in a box of four buttons counts into a counter never read.
    OpenBox(30, 40, 2, 2);
    nbxt::PressKey(Box(), '7');
    nbxt::Pause(200);
    int four[4] = { -1, -1, -1, -1 };
    nbxt::OnUser([&] { for (int i = 0; i < 4; i++) four[i] = NBX_GetButton(i); });
    CHECK(four[0] + four[1] + four[2] + four[3] == 0);
    CHECK(IsWindow(Box()));
    CloseBox();
}

TEST_CASE("closing: Ctrl+Q, the close box and the caption menu")
{
    HWND box = OpenTwoBySix();
    REQUIRE(box != NULL);
    nbxt::PressCtrlKey(box, 'Q');
    CHECK(nbxt::WaitFor([box] { return !IsWindow(box); }));
    CHECK(Box() == NULL);

    OpenBox(30, 40, 2, 6);
    box = Box();
    PostMessageW(box, WM_CLOSE, 0, 0);
    CHECK(nbxt::WaitFor([box] { return !IsWindow(box); }));
    CHECK(Box() == NULL);

    OpenBox(30, 40, 2, 6);
    box = Box();
    PostMessageW(box, WM_NCRBUTTONDOWN, HTCAPTION, MAKELPARAM(60, 45));
    std::u16string label = ChooseOnlyMenuItem();
    CHECK(label == u"&Destroy\tCtrl+Q");
    CHECK(nbxt::WaitFor([box] { return !IsWindow(box); }));
    CHECK(Box() == NULL);

    CloseBox();   // no box: nothing happens
    CHECK(Box() == NULL);
}

TEST_CASE("titles in the ANSI code page")
{
    OpenBox(30, 40, 2, 6);
    REQUIRE(Box() != NULL);
    // A caption beyond ASCII in whatever code page is active.
    const WCHAR japanese[] = { 0x518D, 0x751F, 0 };            // "play"
    const WCHAR western[] = { 'P', 'a', 'u', 's', 'e', ' ', 0xE9, 0 };
    const WCHAR *wide = GetACP() == 932 ? japanese : western;
    char ansi[64];
    NbxWideToAnsi(wide, ansi, 64);
    nbxt::OnUser([&] {
        NBX_SetButtonBoxTitle(3, ansi);
        NBX_SetButtonBoxTitle(0, "first\nline two");
        NBX_SetButtonBoxTitle(12, "out of range");
        NBX_SetButtonBoxTitle(-1, "out of range");
    });
    std::u16string got = nbxt::WindowTextW(ButtonOf(3));
    CHECK(got == std::u16string((const char16_t *)wide));
    CHECK(nbxt::WindowTextA(ButtonOf(0)) == "first\nline two");
    CHECK(nbxt::WindowTextA(ButtonOf(11)) == "11");

    // 300 characters are cut to 255.
    std::string longText(300, 'x');
    nbxt::OnUser([&] { NBX_SetButtonBoxTitle(5, longText.c_str()); });
    CHECK(nbxt::WindowTextA(ButtonOf(5)) == std::string(255, 'x'));
    CloseBox();
    nbxt::OnUser([] { NBX_SetButtonBoxTitle(0, "no box"); });
}

TEST_CASE("size handling: buttons follow the box; the next box keeps the size")
{
    HWND box = OpenTwoBySix();
    REQUIRE(box != NULL);
    int result = -1;
    nbxt::OnUser([&] { result = NBX_ResizeButtonBox(408, 244); });
    CHECK(result == 0);
    SIZE c = nbxt::ClientSize(box);
    CHECK(c.cx == 408);
    CHECK(c.cy == 244);
    // (408 - 12) / 2 = 198 wide, (244 - 28) / 6 = 36 high.
    RECT b3 = ButtonRectInBox(3);
    CHECK(b3.right - b3.left == 198);
    CHECK(b3.bottom - b3.top == 36);
    CHECK(b3.left == 198 + 2 * kGap);
    CHECK(b3.top == 36 + 2 * kGap);

    // A user drag of the frame ends in the same WM_SIZE.
    RECT outer = nbxt::WindowRect(box);
    SetWindowPos(box, NULL, 0, 0, outer.right - outer.left + 20, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    RECT b1 = ButtonRectInBox(1);
    CHECK(b1.right - b1.left == 208);

    CloseBox();
    OpenBox(30, 40, 1, 2);
    REQUIRE(Box() != NULL);
    c = nbxt::ClientSize(Box());
    CHECK(c.cx == 208 + 2 * kGap);
    CHECK(c.cy == 2 * (36 + kGap) + kGap);
    CloseBox();

    int noBox = -1;
    nbxt::OnUser([&] { noBox = NBX_ResizeButtonBox(300, 100); });
    CHECK(noBox == 1);
    ResetButtonSize();
    OpenBox(30, 40, 2, 6);
    c = nbxt::ClientSize(Box());
    CHECK(c.cx == 2 * (98 + kGap) + kGap);
    CloseBox();
}

TEST_CASE("moving with Ctrl held snaps to the screen edge")
{
    HWND box = OpenTwoBySix();
    REQUIRE(box != NULL);
    RECT proposed = nbxt::WindowRect(box);
    OffsetRect(&proposed, 3 - proposed.left, 0);
    nbxt::SetCtrlHeld(box, true);
    SendMessageW(box, WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    nbxt::SetCtrlHeld(box, false);
    CHECK(proposed.left == 0);
    CloseBox();
}

// ----------------------------------------------------------------- rename

static std::string LogOfTextWindow0()
{
    char name[64];
    wsprintfA(name, "NUBRIX%d%d.LOG", nbx_instance, 0);
    return nbxt::ReadWholeFile((std::string(nbx_logDir) + name).c_str());
}

// Waits for the line input the rename asks for, then types the answer.
static void AnswerRename(const WCHAR *answer)
{
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive != 0; }));
    nbxt::TypeWide(TextWindowHandle(0), answer);
    nbxt::TypeWide(TextWindowHandle(0), L"\r");
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive == 0; }));
    nbxt::OnUser([] {});   // the rename has finished
}

TEST_CASE("rename by double click and by the Rename menu, through line input")
{
    EnsureStarted();
    nbxt::OnUser([] {
        NBX_OpenTextWindow(0, 400, 300, 400, 300);
        NBX_SelectTextWindow(0);
        NBX_StartLog(0);
    });
    HWND box = OpenTwoBySix();
    REQUIRE(box != NULL);
    SIZE c = nbxt::ClientSize(box);

    // Below the last row, left column: button 10.
    PostMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, c.cy - 2));
    const WCHAR japanese[] = { 0x518D, 0x751F, 0 };
    const WCHAR *answer = GetACP() == 932 ? japanese : L"Play";
    AnswerRename(answer);
    CHECK(nbxt::WindowTextW(ButtonOf(10)) == std::u16string((const char16_t *)answer));
    CHECK(LogOfTextWindow0().find("10 '10' ->") != std::string::npos);

    // An empty answer keeps the caption.
    PostMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(c.cx - 1, 0));   // button 1
    AnswerRename(L"");
    CHECK(nbxt::WindowTextA(ButtonOf(1)) == "1");
    CHECK(LogOfTextWindow0().find("1 '1' ->") != std::string::npos);

    // Right click in the gap right of button 3, then "Rename".
    PostMessageW(box, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2 * (98 + kGap) + 1, 30 + 10));
    CHECK(ChooseOnlyMenuItem() == u"Rename");
    AnswerRename(L"Stop here");
    CHECK(nbxt::WindowTextA(ButtonOf(3)) == "Stop here");
    CHECK(nbxt::WindowTextA(ButtonOf(2)) == "2");

    // The box closed while the question waits: the answer renames nothing.
    PostMessageW(box, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 10));
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive != 0; }));
    PostMessageW(box, WM_CLOSE, 0, 0);
    CHECK(nbxt::WaitFor([box] { return !IsWindow(box); }));
    nbxt::TypeText(TextWindowHandle(0), "late\r");
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive == 0; }));
    nbxt::OnUser([] { NBX_StopLog(0); });
    CHECK(Box() == NULL);
}
