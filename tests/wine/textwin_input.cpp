// Line input in a text window, driven by the messages a user's keys produce.
// nbx-test: also-cp1252
#include "harness.h"
#include "textwin/textwin_internal.h"
#include <string.h>
#include <string>

void UserInit(void) { nbxt::BeginDriver(); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

struct Input {
    char buffer[300];
    nbxt::Pending *pending;
};

// Starts NBX_InputText on the user thread and waits until it runs.
Input *StartInput()
{
    Input *in = new Input;
    memset(in->buffer, 0x7F, sizeof in->buffer);
    in->buffer[sizeof in->buffer - 1] = 0;
    char *buffer = in->buffer;
    // No input may still be running, or its flag would pass for this one's.
    REQUIRE(nbxt::WaitFor([] { return nbx_inputActive == 0; }));
    nbxt::Pending *p = nbxt::OnUserAsync([buffer] { NBX_InputText(buffer); });
    in->pending = p;
    REQUIRE(nbxt::WaitFor([p] { return nbx_inputActive != 0 || nbxt::Done(p); }));
    // The window the input runs in must be the one the test types into.
    CAPTURE(nbx_inputActive);
    return in;
}

// Posts `typed` into window w first and only then lets NBX_InputText start,
// so the whole text is waiting in the queue when the input begins to pump.
Input *StartInputAfterTyping(HWND w, const char *typed)
{
    Input *in = new Input;
    in->buffer[0] = 0;
    char *buffer = in->buffer;
    static volatile LONG posted;
    posted = 0;
    in->pending = nbxt::OnUserAsync([buffer] {
        while (!posted) Sleep(1);
        NBX_InputText(buffer);
    });
    nbxt::TypeText(w, typed);
    InterlockedExchange(&posted, 1);
    return in;
}

std::string FinishInput(Input *in)
{
    bool done = nbxt::WaitDone(in->pending);
    REQUIRE(done);
    std::string out = in->buffer;
    delete in;
    return out;
}

HWND OpenWindow(int index, int width = 400, int height = 300)
{
    nbxt::OnUser([=] {
        NBX_CloseTextWindow(index);
        NBX_OpenTextWindow(index, 20, 20, width, height);
    });
    return TextWindowHandle(index);
}

TextWindow &Rec(int index) { return nbx_textWindows[index]; }

// A key whose character comes from TranslateMessage, which queues it behind
// everything already posted: let it arrive before typing on.
void Key(HWND w, UINT vk)
{
    nbxt::PressKey(w, vk);
    nbxt::Pause(80);
}

}  // namespace

TEST_CASE("typed keys: abc, Backspace, d, Enter gives abd")
{
    HWND w = OpenWindow(0);
    REQUIRE(w != NULL);
    nbxt::OnUser([] { NBX_Printf("Name? "); });
    int startX = Rec(0).cursorX;
    CHECK(startX == 6 * Rec(0).cellWidth);
    Input *in = StartInput();
    CHECK(nbx_inputActive == 1);
    CHECK(nbxt::WindowTextA(nbx_statusWindow).find("Input text") != std::string::npos);
    nbxt::TypeText(w, "abc");
    Key(w, VK_BACK);
    nbxt::TypeText(w, "d");
    nbxt::PressKey(w, VK_RETURN);
    CHECK(FinishInput(in) == "abd");
    CHECK(nbx_inputActive == 0);
    CHECK(Rec(0).cursorX == 0);
    CHECK(Rec(0).cursorY == Rec(0).lineHeight);
    CHECK(nbxt::WindowTextA(nbx_statusWindow).find("-bit color") != std::string::npos);

    // The echo: the first line now shows "Name? abd" in white on black.
    nbxt::Pause(100);
    std::vector<DWORD> pixels = nbxt::GrabClient(w);
    SIZE size = nbxt::ClientSize(w);
    int cw = Rec(0).cellWidth, lh = Rec(0).lineHeight;
    auto inkInCell = [&](int col, int row) {
        int n = 0;
        for (int y = row * lh; y < (row + 1) * lh; y++)
            for (int x = col * cw; x < (col + 1) * cw; x++)
                if (pixels[(size_t)y * size.cx + x] != 0) n++;
        return n;
    };
    for (int col = 6; col < 9; col++) CHECK(inkInCell(col, 0) > 0);
    CHECK(inkInCell(9, 0) == 0);     // the cursor cell was blanked by Enter
    CHECK(inkInCell(0, 1) == 0);
}

TEST_CASE("Enter at once, Up-arrow recall, tab, typed ahead")
{
    HWND w = OpenWindow(0);
    Input *in = StartInput();
    nbxt::PressKey(w, VK_RETURN);
    CHECK(FinishInput(in) == "");
    // The last line is empty now: Up recalls nothing.
    in = StartInput();
    nbxt::TypeText(w, "q");
    Key(w, VK_UP);
    nbxt::Pause(100);
    nbxt::PressKey(w, VK_RETURN);
    CHECK(FinishInput(in) == "q");

    in = StartInput();
    nbxt::TypeText(w, "xy\tz\r");
    CHECK(FinishInput(in) == "xy z");
    // Up appends the previous answer after what is already typed.
    in = StartInput();
    nbxt::TypeText(w, "a");
    nbxt::Pause(100);
    Key(w, VK_UP);
    nbxt::Pause(100);
    nbxt::TypeText(w, "!");
    nbxt::PressKey(w, VK_RETURN);
    CHECK(FinishInput(in) == "axy z!");

    // Units typed after Enter stay in the ring for the next input.
    in = StartInputAfterTyping(w, "one\rtwo\r");
    CHECK(FinishInput(in) == "one");
    in = StartInput();
    CHECK(FinishInput(in) == "two");
}

TEST_CASE("characters reach the ring only while an input runs; any text window feeds it")
{
    HWND w0 = OpenWindow(0);
    HWND w1 = OpenWindow(1);
    nbxt::TypeText(w0, "zz");   // idle: ignored
    nbxt::Pause(100);
    nbxt::OnUser([] { NBX_SelectTextWindow(0); });
    Input *in = StartInput();
    CHECK(nbx_inputActive == 1);
    nbxt::TypeText(w1, "ok");
    nbxt::Pause(100);
    nbxt::PressKey(w0, VK_RETURN);
    CHECK(FinishInput(in) == "ok");
    // With Ctrl held WM_CHAR is not taken.
    in = StartInput();
    nbxt::SetCtrlHeld(w0, true);
    SendMessageW(w0, WM_CHAR, 'k', 1);
    nbxt::SetCtrlHeld(w0, false);
    nbxt::TypeText(w0, "m\r");
    CHECK(FinishInput(in) == "m");
    nbxt::OnUser([] { NBX_CloseTextWindow(1); });
}

TEST_CASE("Ctrl+V pastes the first clipboard line")
{
    HWND w = OpenWindow(0);
    REQUIRE(nbxt::SetClipboardUnicode(u"first\r\nsecond"));
    Input *in = StartInput();
    nbxt::TypeText(w, "<");
    nbxt::Pause(50);
    nbxt::PressCtrlKey(w, 'V');
    nbxt::Pause(100);
    nbxt::TypeText(w, ">\r");
    CHECK(FinishInput(in) == "<first>");

    // V without Ctrl is an ordinary character.
    in = StartInput();
    Key(w, 'V');
    nbxt::PressKey(w, VK_RETURN);
    CHECK(FinishInput(in) == "v");
}

TEST_CASE("closing the window or clearing the marker cancels with an empty line")
{
    HWND w = OpenWindow(0);
    OpenWindow(2);
    nbxt::OnUser([] { NBX_SelectTextWindow(0); });
    Input *in = StartInput();
    nbxt::TypeText(w, "abc");
    nbxt::Pause(100);
    PostMessageW(w, WM_CLOSE, 0, 0);
    CHECK(FinishInput(in) == "");
    CHECK(nbx_inputActive == 0);
    CHECK(TextWindowHandle(0) == NULL);
    CHECK(CurrentTextWindow() == 2);
    CHECK(nbxt::WindowTextA(nbx_statusWindow).find("-bit color") != std::string::npos);

    // What Exit does to a waiting input.
    w = TextWindowHandle(2);
    in = StartInput();
    nbxt::TypeText(w, "abc");
    nbxt::Pause(100);
    nbx_inputActive = 0;
    CHECK(FinishInput(in) == "");
    nbxt::OnUser([] { NBX_CloseTextWindow(2); });

    // With no text window open the call returns at once, buffer untouched.
    char buffer[256];
    strcpy(buffer, "untouched");
    nbxt::OnUser([&] { NBX_InputText(buffer); });
    CHECK(std::string(buffer) == "untouched");
}

TEST_CASE("shortcuts and the menu are off during input and back after Enter")
{
    HWND w = OpenWindow(0);
    OpenWindow(3);
    HWND w3 = TextWindowHandle(3);
    nbxt::OnUser([] { NBX_SelectTextWindow(0); });
    Input *in = StartInput();
    nbxt::PressCtrlKey(w3, 'Q');
    nbxt::PressCtrlKey(w3, 'S');
    nbxt::Pause(150);
    CHECK(TextWindowHandle(3) != NULL);
    CHECK(CurrentTextWindow() == 0);
    nbxt::PressKey(w, VK_RETURN);
    FinishInput(in);
    nbxt::PressCtrlKey(w3, 'S');
    CHECK(nbxt::WaitFor([] { return CurrentTextWindow() == 3; }));
    nbxt::PressCtrlKey(w3, 'Q');
    CHECK(nbxt::WaitFor([] { return TextWindowHandle(3) == NULL; }));
}

TEST_CASE("wrapping at the right edge and Backspace across the break")
{
    // A window exactly 19 cells wide.
    int cw = 0;
    nbxt::OnUser([&] {
        NBX_OpenTextWindow(0, 20, 20, 400, 300);
        cw = Rec(0).cellWidth;
    });
    HWND w = OpenWindow(0, 19 * cw, 300);
    int lh = Rec(0).lineHeight;
    Input *in = StartInput();
    nbxt::TypeText(w, "abcdefghijklmnopqr");   // 18 units
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorX == 18 * cw; }));
    CHECK(Rec(0).cursorY == 0);
    nbxt::TypeText(w, "s");                    // the 19th: the cursor cell no longer fits
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorY == lh && Rec(0).cursorX == 0; }));
    Key(w, VK_BACK);
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorY == 0 && Rec(0).cursorX == 18 * cw; }));
    nbxt::TypeText(w, "ST");
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorX == cw && Rec(0).cursorY == lh; }));
    nbxt::PressKey(w, VK_RETURN);
    CHECK(FinishInput(in) == "abcdefghijklmnopqrST");
    CHECK(Rec(0).cursorY == 2 * lh);
    CHECK(Rec(0).cursorX == 0);
}

TEST_CASE("two-cell characters: whole-character wrap, Backspace and the ANSI form")
{
    bool japanese = GetACP() == 932;
    // Under 932 a kana (two bytes in the ANSI form); under 1252 e-acute (one byte).
    WCHAR wide = japanese ? 0x3042 : 0x00E9;
    char ansi[3];
    WideCharToMultiByte(CP_ACP, 0, &wide, 1, ansi, 3, NULL, NULL);
    ansi[japanese ? 2 : 1] = 0;
    MESSAGE("code page " << GetACP());

    int cw = 0;
    nbxt::OnUser([&] {
        NBX_OpenTextWindow(0, 20, 20, 400, 300);
        cw = Rec(0).cellWidth;
    });
    HWND w = OpenWindow(0, 19 * cw, 300);
    int lh = Rec(0).lineHeight;
    Input *in = StartInput();
    // 18 one-cell units, then a two-cell unit at x = 18 cells does not fit
    // (18 + 2 > 19): it moves whole to the next line.
    nbxt::TypeText(w, "abcdefghijklmnopqr");
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorX == 18 * cw; }));
    WCHAR one[2] = { wide, 0 };
    nbxt::TypeWide(w, one);
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorY == lh && Rec(0).cursorX == 2 * cw; }));
    Key(w, VK_BACK);
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorY == 0 && Rec(0).cursorX == 18 * cw; }));
    nbxt::TypeWide(w, one);
    nbxt::TypeWide(w, one);
    CHECK(nbxt::WaitFor([&] { return Rec(0).cursorX == 4 * cw && Rec(0).cursorY == lh; }));
    nbxt::PressKey(w, VK_RETURN);
    std::string expect = std::string("abcdefghijklmnopqr") + ansi + ansi;
    CHECK(FinishInput(in) == expect);
}

TEST_CASE("a typed line longer than 255 bytes is cut on a character boundary")
{
    bool japanese = GetACP() == 932;
    HWND w = OpenWindow(0);
    Input *in = StartInput();
    WCHAR line[301];
    int n = japanese ? 200 : 300;
    for (int i = 0; i < n; i++) line[i] = japanese ? 0x3042 : L'a' + i % 26;
    line[n] = 0;
    nbxt::TypeWide(w, line);
    nbxt::Pause(300);
    nbxt::PressKey(w, VK_RETURN);
    std::string got = FinishInput(in);
    if (japanese) {
        CHECK(got.size() == 254);   // 127 whole characters of two bytes
        CHECK((unsigned char)got[252] == 0x82);
        CHECK((unsigned char)got[253] == 0xA0);
    } else {
        CHECK(got.size() == 255);   // the line takes at most 255 units
        CHECK(got[254] == 'a' + 254 % 26);
    }
}
