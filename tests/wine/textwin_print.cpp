// Text windows under Wine: opening, the current window, printing into the
// back buffer, colours, resizing, the shortcuts and the popup menu.
#include "harness.h"
#include "textwin/textwin_internal.h"
#include <string.h>
#include <string>

void UserInit(void) { nbxt::BeginDriver(); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

TextWindow &Rec(int index) { return nbx_textWindows[index]; }

void CloseAll()
{
    nbxt::OnUser([] {
        for (int n = 0; n < 256; n++) NBX_CloseTextWindow(n);
    });
}

// Pixels of the back buffer (0x00RRGGBB), read on the user thread.
DWORD BufferPixel(int index, int x, int y)
{
    DWORD rgb = 0;
    nbxt::OnUser([&] {
        COLORREF c = GetPixel(Rec(index).bufferDC, x, y);
        rgb = RgbToColorRef(c);
    });
    return rgb;
}

// Count of pixels of one colour in a cell of the back buffer.
int CellPixels(int index, int col, int row, DWORD rgb)
{
    int n = 0;
    nbxt::OnUser([&] {
        TextWindow &t = Rec(index);
        for (int y = row * t.lineHeight; y < (row + 1) * t.lineHeight; y++)
            for (int x = col * t.cellWidth; x < (col + 1) * t.cellWidth; x++)
                if (RgbToColorRef(GetPixel(t.bufferDC, x, y)) == rgb) n++;
    });
    return n;
}

}  // namespace

TEST_CASE("opening: caption, style, owner, client size, defaults and re-opening")
{
    CloseAll();
    int result = -1;
    nbxt::OnUser([&] { result = NBX_OpenTextWindow(3, 100, 80, 152, 469); });
    CHECK(result == 0);
    HWND w = TextWindowHandle(3);
    REQUIRE(w != NULL);
    CHECK(CurrentTextWindow() == 3);
    CHECK(nbxt::WindowTextA(w) == "TextWindow 3");
    WCHAR cls[32];
    GetClassNameW(w, cls, 32);
    CHECK(lstrcmpW(cls, L"nbx_twi") == 0);
    // The system adds WS_CLIPSIBLINGS and WS_EX_WINDOWEDGE to such windows.
    CHECK(((DWORD)GetWindowLongW(w, GWL_STYLE) & ~(DWORD)WS_CLIPSIBLINGS) == 0x10CC0000u);
    CHECK((GetWindowLongW(w, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE) == 0);
    CHECK(GetWindow(w, GW_OWNER) == nbx_mainWindow);
    SIZE s = nbxt::ClientSize(w);
    CHECK(s.cx == 152);
    CHECK(s.cy == 469);
    RECT r = nbxt::WindowRect(w);
    CHECK(r.left == 100);
    CHECK(r.top == 80);
    CHECK(GetWindowThreadProcessId(w, NULL) == nbx_userThreadId);
    // The stock OEM fixed font's metrics.
    TEXTMETRICW tm;
    HDC screen = GetDC(NULL);
    HGDIOBJ old = SelectObject(screen, GetStockObject(OEM_FIXED_FONT));
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old);
    ReleaseDC(NULL, screen);
    CHECK(Rec(3).cellWidth == tm.tmAveCharWidth);
    CHECK(Rec(3).lineHeight == tm.tmHeight);
    CHECK(Rec(3).colors.text == 0xFFFFFF);
    CHECK(Rec(3).colors.background == 0x000000);

    // Open again: forward, current, nothing moved or resized.
    nbxt::OnUser([&] {
        NBX_OpenTextWindow(4, -1, -1, -1, -1);
        result = NBX_OpenTextWindow(3, 500, 500, 50, 50);
    });
    CHECK(result == 1);
    CHECK(CurrentTextWindow() == 3);
    CHECK(nbxt::ClientSize(w).cx == 152);
    CHECK(nbxt::WindowRect(w).left == 100);
    HWND w4 = TextWindowHandle(4);
    CHECK(nbxt::ClientSize(w4).cx == 400);
    CHECK(nbxt::ClientSize(w4).cy == 300);
    CloseAll();
}

TEST_CASE("select, close and the current window")
{
    CloseAll();
    nbxt::OnUser([] {
        NBX_OpenTextWindow(0, 10, 10, 200, 100);
        NBX_OpenTextWindow(5, 250, 10, 200, 100);
        NBX_OpenTextWindow(7, 500, 10, 200, 100);
    });
    CHECK(CurrentTextWindow() == 7);
    int r = -1;
    nbxt::OnUser([&] { r = NBX_SelectTextWindow(0); });
    CHECK(r == 0);
    CHECK(CurrentTextWindow() == 0);
    nbxt::OnUser([&] { r = NBX_SelectTextWindow(6); });
    CHECK(r == 1);
    nbxt::OnUser([&] { r = NBX_SelectTextWindow(256); });
    CHECK(r == 1);
    CHECK(CurrentTextWindow() == 0);
    // Closing the current window 0 makes the lowest open one (5) current.
    HWND w0 = TextWindowHandle(0);
    nbxt::OnUser([&] { r = NBX_CloseTextWindow(0); });
    CHECK(r == 0);
    CHECK(!IsWindow(w0));
    CHECK(CurrentTextWindow() == 5);
    nbxt::OnUser([&] { r = NBX_CloseTextWindow(0); });
    CHECK(r == 1);
    nbxt::OnUser([&] { r = NBX_CloseTextWindow(256); });
    CHECK(r == 1);
    // Closing a window that is not current leaves the current one.
    nbxt::OnUser([] { NBX_CloseTextWindow(7); });
    CHECK(CurrentTextWindow() == 5);
    // The last one: the number stays and printing does nothing.
    nbxt::OnUser([] { NBX_CloseTextWindow(5); });
    CHECK(CurrentTextWindow() == 5);
    nbxt::OnUser([] { NBX_Printf("into nothing\n"); NBX_PushTextColor(1, 2); NBX_PopTextColor(); });
    CHECK(Rec(5).open == 0);
    // A window opened again starts fresh.
    nbxt::OnUser([] {
        NBX_OpenTextWindow(5, 250, 10, 200, 100);
        NBX_PushTextColor(0x112233, 0x445566);
        NBX_Printf("abc");
        NBX_CloseTextWindow(5);
        NBX_OpenTextWindow(5, 250, 10, 200, 100);
    });
    CHECK(Rec(5).cursorX == 0);
    CHECK(Rec(5).colors.text == 0xFFFFFF);
    CHECK(Rec(5).logState == 0);
    CHECK(BufferPixel(5, 1, 1) == 0);
    CloseAll();
}

TEST_CASE("NBX_ShowTextWindow opens window 0 centred, or brings the current one forward")
{
    CloseAll();
    nbxt::OnUser([] { NBX_ShowTextWindow(); });
    HWND w = TextWindowHandle(0);
    REQUIRE(w != NULL);
    CHECK(CurrentTextWindow() == 0);
    SIZE s = nbxt::ClientSize(w);
    CHECK(s.cx == 400);
    CHECK(s.cy == 300);
    RECT r = nbxt::WindowRect(w);
    CHECK(r.left == GetSystemMetrics(SM_CXFULLSCREEN) / 2 - 200);
    CHECK(r.top == GetSystemMetrics(SM_CYFULLSCREEN) / 2 - 150);
    nbxt::OnUser([] { NBX_OpenTextWindow(2, 0, 0, 100, 100); NBX_ShowTextWindow(); });
    CHECK(CurrentTextWindow() == 2);
    CHECK(TextWindowHandle(0) == w);
    CloseAll();
}

TEST_CASE("printing: runs, wrap, scroll, colours in the back buffer and on screen")
{
    CloseAll();
    int cw = 0, lh = 0;
    nbxt::OnUser([&] {
        NBX_OpenTextWindow(0, 30, 30, 400, 300);
        cw = Rec(0).cellWidth;
        lh = Rec(0).lineHeight;
    });
    // A window 19 cells wide and 6 lines high (the 6th line scrolls).
    nbxt::OnUser([&] {
        NBX_CloseTextWindow(0);
        NBX_OpenTextWindow(0, 30, 30, 19 * cw, 6 * lh);
        NBX_Printf("abc");
        NBX_Printf("def");
    });
    CHECK(Rec(0).cursorX == 6 * cw);
    CHECK(Rec(0).cursorY == 0);
    CHECK(CellPixels(0, 5, 0, 0xFFFFFF) > 0);
    CHECK(CellPixels(0, 6, 0, 0xFFFFFF) == 0);
    nbxt::OnUser([] { NBX_Printf("\n%s", "0123456789012345678X"); });
    CHECK(Rec(0).cursorX == cw);
    CHECK(Rec(0).cursorY == 2 * lh);
    CHECK(CellPixels(0, 0, 2, 0xFFFFFF) > 0);   // X on the third line

    // Coloured text fills its cells with the background colour.
    nbxt::OnUser([] {
        NBX_PushTextColor(0x0000FF, 0xFFFF00);
        NBX_Printf("\tZ");
        NBX_PopTextColor();
        NBX_Printf("w");
    });
    CHECK(CellPixels(0, 1, 2, 0x0000FF) > 0);   // the tab is a blue cell
    CHECK(CellPixels(0, 2, 2, 0xFFFF00) > 0);   // Z in yellow
    CHECK(CellPixels(0, 3, 2, 0xFFFFFF) > 0);   // w in white again
    CHECK(CellPixels(0, 3, 2, 0x0000FF) == 0);

    // Lines 3, 4 follow; the break after line 4 (the 5th) scrolls.
    nbxt::OnUser([] { NBX_Printf("\nline3\nline4"); });
    CHECK(Rec(0).cursorY == 4 * lh);
    CHECK(CellPixels(0, 2, 2, 0xFFFF00) > 0);
    nbxt::OnUser([] { NBX_Printf("\n"); });
    CHECK(Rec(0).cursorY == 4 * lh);
    CHECK(Rec(0).cursorX == 0);
    // Everything moved up one line: Z is now on the second line, and the new
    // bottom strip is black.
    CHECK(CellPixels(0, 2, 1, 0xFFFF00) > 0);
    CHECK(CellPixels(0, 2, 2, 0xFFFF00) == 0);
    for (int col = 0; col < 19; col++) CHECK(CellPixels(0, col, 4, 0) == cw * lh);

    // The screen shows the buffer.
    nbxt::Pause(200);
    HWND w = TextWindowHandle(0);
    std::vector<DWORD> screen = nbxt::GrabClient(w);
    SIZE s = nbxt::ClientSize(w);
    int yellow = 0;
    for (int y = lh; y < 2 * lh; y++)
        for (int x = 2 * cw; x < 3 * cw; x++)
            if (screen[(size_t)y * s.cx + x] == 0xFFFF00) yellow++;
    CHECK(yellow == CellPixels(0, 2, 1, 0xFFFF00));
    CloseAll();
}

TEST_CASE("resizing clears the window and puts the cursor at the top-left corner")
{
    CloseAll();
    nbxt::OnUser([] {
        NBX_OpenTextWindow(1, 30, 30, 300, 200);
        NBX_Printf("hello\nworld");
    });
    HWND w = TextWindowHandle(1);
    CHECK(CellPixels(1, 0, 1, 0xFFFFFF) > 0);
    RECT r = nbxt::WindowRect(w);
    SetWindowPos(w, NULL, 0, 0, r.right - r.left + 40, r.bottom - r.top + 20, SWP_NOMOVE | SWP_NOZORDER);
    CHECK(nbxt::WaitFor([] { return Rec(1).width == 340; }));
    CHECK(Rec(1).height == 220);
    CHECK(Rec(1).cursorX == 0);
    CHECK(Rec(1).cursorY == 0);
    CHECK(CellPixels(1, 0, 1, 0xFFFFFF) == 0);
    CHECK(BufferPixel(1, 339, 219) == 0);
    // Printing while minimised is gone after restoring.
    ShowWindow(w, SW_MINIMIZE);
    nbxt::OnUser([] { NBX_Printf("lost"); });
    ShowWindow(w, SW_RESTORE);
    CHECK(nbxt::WaitFor([] { return Rec(1).width == 340; }));
    CHECK(CellPixels(1, 0, 0, 0xFFFFFF) == 0);
    CloseAll();
}

TEST_CASE("colour stack of a window: nine pushes and pops, one push and two pops")
{
    CloseAll();
    nbxt::OnUser([] {
        NBX_OpenTextWindow(0, 30, 30, 200, 100);
        for (DWORD i = 1; i <= 9; i++) NBX_PushTextColor(0x10 * i, i);
        for (int i = 0; i < 9; i++) NBX_PopTextColor();
    });
    CHECK(Rec(0).colors.text == 1);
    CHECK(Rec(0).colors.background == 0x10);
    CHECK(GetTextColor(Rec(0).bufferDC) == RgbToColorRef(1));
    nbxt::OnUser([] {
        NBX_CloseTextWindow(0);
        NBX_OpenTextWindow(0, 30, 30, 200, 100);
        NBX_PushTextColor(0x505050, 0x50FF50);
        NBX_PopTextColor();
        NBX_PopTextColor();
    });
    CHECK(Rec(0).colors.text == 0xFFFFFF);
    CHECK(Rec(0).colors.background == 0);
    CHECK(GetBkColor(Rec(0).bufferDC) == 0);
    CloseAll();
}

TEST_CASE("shortcuts: Ctrl+S selects, Ctrl+Q closes, Ctrl+A prints the version line, C goes to the main window")
{
    CloseAll();
    nbxt::OnUser([] {
        NBX_OpenTextWindow(0, 30, 30, 400, 100);
        NBX_OpenTextWindow(2, 30, 200, 400, 100);
        NBX_SelectTextWindow(0);
    });
    HWND w2 = TextWindowHandle(2);
    nbxt::PressCtrlKey(w2, 'S');
    CHECK(nbxt::WaitFor([] { return CurrentTextWindow() == 2; }));
    nbxt::OnUser([] { NBX_SelectTextWindow(0); NBX_StartLog(2); });
    nbxt::PressCtrlKey(w2, 'A');
    // Done when the push has been popped again.
    CHECK(nbxt::WaitFor([] { return Rec(2).cursorY > 0 && Rec(2).colors.text == 0xFFFFFF; }));
    CHECK(CurrentTextWindow() == 2);
    CHECK(CellPixels(2, 0, 0, 0x50FF50) > 0);
    CHECK(CellPixels(2, 0, 0, 0x505050) > 0);
    nbxt::OnUser([] { NBX_CopyLog(2); });
    CHECK(nbxt::ClipboardText() == "NUBRIX 7.3  2009/4/30\r\n");

    // The main window's keys work from a text window.
    nbx_stop = 0;
    nbxt::PressKey(w2, 'C');
    CHECK(nbxt::WaitFor([] { return nbx_stop == 1; }));
    nbx_stop = 0;

    // Unused keys and unknown commands change nothing; the routes of the
    // console and the window report do not disturb anything.
    nbxt::PressCtrlKey(w2, 'Z');
    nbxt::Command(w2, 4242);
    nbxt::Command(w2, 1029);
    nbxt::Command(w2, 1045);
    nbxt::PressKey(w2, VK_SPACE);
    nbxt::Pause(150);
    CHECK(TextWindowHandle(2) == w2);

    nbxt::PressCtrlKey(w2, 'Q');
    CHECK(nbxt::WaitFor([w2] { return TextWindowHandle(2) == NULL && !IsWindow(w2); }));
    CHECK(CurrentTextWindow() == 0);
    // Closing from the system menu's close box (WM_CLOSE).
    HWND w0 = TextWindowHandle(0);
    PostMessageW(w0, WM_CLOSE, 0, 0);
    CHECK(nbxt::WaitFor([w0] { return !IsWindow(w0); }));
    CHECK(TextWindowHandle(0) == NULL);
}

TEST_CASE("moving a text window rebuilds the edge table; WM_MOVING snaps only with Ctrl")
{
    CloseAll();
    nbxt::OnUser([] { NBX_OpenTextWindow(0, 300, 300, 200, 100); });
    HWND w = TextWindowHandle(0);
    RECT r = nbxt::WindowRect(w);
    RECT proposed = r;
    OffsetRect(&proposed, 3, 3);
    RECT copy = proposed;
    SendMessageW(w, WM_MOVING, 0, (LPARAM)&copy);
    CHECK(EqualRect(&copy, &proposed));
    CloseAll();
}
