// Image windows, creation to requests 9001-9003. The user program never
// starts: the idle user thread serves requests and the driver's calls.
#include "imagekit.h"
#include "dib32.h"
#include <algorithm>

using namespace nbxt;
using namespace ik;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

namespace {

string Caption(int n) { return WindowTextA(Window(n)); }
string Titled(const char *t, int zoom, const char *marks = "") { return t + ("(" + to_string(zoom) + "%)") + marks; }
bool Sized(int n, int w, int h) { return ClientSize(Window(n)).cx == w && ClientSize(Window(n)).cy == h; }
int M(int i) { return GetSystemMetrics(i); }
int MinW() { return M(SM_CXMIN) - 2 * M(SM_CXFRAME); }
int MinH() { return M(SM_CYMIN) - 2 * M(SM_CXFRAME) - M(SM_CYCAPTION); }
int MaxH() { return M(SM_CYSCREEN) - M(SM_CYCAPTION); }
// The zoom of a w x h image: raised to the least reaching the minimum client size.
int Fitted(int zoom, int w, int h)
{
    int zw = (MinW() * 100 + w - 1) / w, zh = (MinH() * 100 + h - 1) / h;
    return w * zoom / 100 >= MinW() && h * zoom / 100 >= MinH() ? zoom : std::max(zw, zh);
}

// Image n's client area, as far as on screen, shows what StretchBlt in the
// window's mode makes of its buffer.
bool Shows(int n)
{
    const ImageRecord &r = nbx_images[n];
    vector<DWORD> want((size_t)r.dispWidth * r.dispHeight);
    OnUser([&] {
        HDC dc = CreateCompatibleDC(r.memDC);
        void *bits;
        HGDIOBJ old = SelectObject(dc, CreateTopDownDib32(dc, r.dispWidth, r.dispHeight, &bits));
        SetStretchBltMode(dc, GetStretchBltMode(r.windowDC));
        StretchBlt(dc, 0, 0, r.width * r.zoom / 100, r.height * r.zoom / 100, r.memDC, 0, 0, r.width, r.height, SRCCOPY);
        GdiFlush();
        for (size_t i = 0; i < want.size(); i++) want[i] = ((DWORD *)bits)[i] & 0xFFFFFF;
        DeleteObject(SelectObject(dc, old));
        DeleteDC(dc);
    });
    vector<DWORD> shown = GrabClient(r.window);
    SIZE client = ClientSize(r.window);
    POINT at = { 0, 0 };
    ClientToScreen(r.window, &at);
    int rows = std::min(r.dispHeight, M(SM_CYSCREEN) - (int)at.y), columns = std::min(r.dispWidth, (int)client.cx);
    for (int y = 0; y < rows; y++)
        if (memcmp(&want[(size_t)y * r.dispWidth], &shown[(size_t)y * client.cx], columns * 4)) return false;
    return rows > 0 && columns > 0;
}

// Paints image n white, has it drawn again (paint: by WM_PAINT alone) and
// waits until it shows.
bool DrawnAnew(int n, bool paint = false)
{
    OnUser([=] {
        PatBlt(nbx_images[n].windowDC, 0, 0, nbx_images[n].dispWidth, nbx_images[n].dispHeight, WHITENESS);
        if (paint) InvalidateRect(nbx_images[n].window, NULL, FALSE);
        else CHECK(NBX_DrawImage(n) == 0);
    });
    return UNTIL(Shows(n));
}

// Gives window w command id and types each "line\r" once its prompt waits
// (typed ahead it may be dropped). Under load a prompt has taken over 5 s.
bool Answer(HWND w, UINT id, const char *lines)
{
    Command(w, id);
    for (const char *line = lines; *line;) {
        const char *end = strchr(line, '\r');
        if (!WaitFor([] { return nbx_inputActive == 1 && TextWindowHandle(0) != NULL; }, 20000)) return false;
        TypeText(TextWindowHandle(0), string(line, end + 1).c_str());
        Settle();
        line = end + 1;
    }
    auto idle = [] { return WaitFor([] { return nbx_inputActive == 0; }, 20000); };
    return idle() && (Settle(), idle());
}

}  // namespace

TEST_CASE("creation")
{
    int sw = M(SM_CXSCREEN);
    struct { int n, x, w, h, zoom, bits, result, z; } cases[] = {
        { 1, 10, 160, 120, 100, 32, 0, 100 },
        { 2, 10, 10, 10, 100, 32, 0, Fitted(100, 10, 10) },
        { 3, 0, 3 * sw, 100, 100, 32, 0, 100 / 3 },
        { 5, 10, 5, 4, 2400, 8, 0, Fitted(2400, 5, 4) },
        { 7, 10, 1, 50000, 100, 32, 2 },   // no zoom fits
        { 6, 10, 26000, 26000, 100, 8, 3 },   // a buffer GDI cannot draw
        // Too narrow at any zoom that fits: the largest that fits, the rest black.
        { 8, 10, 1, 100, 100, 32, 0, MaxH() },
        { 9, 10, 3, 200, 100, 8, 0, MaxH() / 2 },
    };
    for (auto &c : cases) {
        CAPTURE(c.n);
        REQUIRE(Create(c.n, c.w, c.h, c.bits, c.zoom, c.x, c.x, "c") == c.result);
        CHECK((c.result == 0 || (nbx_images[c.n].inUse == 0 && FindTop(L"nbx_iw", nullptr) == NULL)));
        if (c.result != 0) continue;
        const ImageRecord &r = nbx_images[c.n];
        CHECK((r.width == c.w && r.height == c.h && r.zoom == c.z && Caption(c.n) == Titled("c", c.z, c.bits == 8 ? "[8bit]" : "")));
        CHECK((Sized(c.n, std::max(MinW(), c.w * c.z / 100), std::max(MinH(), c.h * c.z / 100)) && ClientSize(r.window).cx <= sw));
        CHECK((WindowRect(r.window).left >= 0 && nbx_curImage == c.n && nbx_pixels[c.n][0] == 0));
        for (size_t i = 0; i < ImageBytes(c.bits, c.w, c.h); i++) nbx_pixels8[c.n][i] = (BYTE)(i * 37 + 11);
        CHECK(DrawnAnew(c.n));
        Destroy(c.n);
    }
    CHECK((NBX_DrawImage(5) == 1 && NBX_DrawImage(256) == 1 && NBX_DestroyImage(5) == 1 && NBX_DestroyImage(-1) == 1));
}

TEST_CASE("zoom and stretch mode by keys, wheel, menu, typed value; Ctrl+Q")
{
    REQUIRE(Create(14, 140, 120, 32, 100, 40, 40, "zoom") == 0);   // the screen's height binds first
    HWND w = Window(14);
    RECT start = WindowRect(w);
    // Constant on 2 x 2 blocks: at 150 % each screen pixel has one right value.
    for (int i = 0; i < 140 * 120; i++)
        nbx_pixels[14][i] = (DWORD)(i % 140 / 2 * 8 & 0xFF) << 16 | (DWORD)(i / 280 * 10 & 0xFF) << 8 | 0x80;
    int most = std::min(M(SM_CXSCREEN) * 100 / 140, MaxH() * 100 / 120);
    enum { kCtrlKey, kKey, kWheel, kPlainWheel, kMenu, kSet, kTyped, kScreen };
    int half = Fitted(50, 140, 120);
    struct { int how, what, zoom; bool ht; const char *line; } steps[] = {   // ht: halftone
        { kCtrlKey, VK_ADD, 111 }, { kCtrlKey, VK_NUMPAD0, 100 }, { kCtrlKey, VK_SUBTRACT, 90 },
        // A turn toward the user zooms in; without Ctrl, nothing. The keypad without Ctrl: nothing.
        { kWheel, -120, 100 }, { kWheel, 120, 90 }, { kPlainWheel, -120, 90 }, { kKey, VK_ADD, 90 },
        { kMenu, 1009, 200 }, { kScreen, 0, 200 },
        // Tab toggles halftone and its mark, which outlives zoom changes.
        { kKey, VK_TAB, 200, 1 }, { kMenu, 1007, half, 1 }, { kKey, VK_TAB, half },
        { kMenu, 1008, 100 }, { kSet, 100000, most },
        // Typed in text window 0; letters give the least zoom reaching the minimum.
        { kTyped, 0, Fitted(0, 140, 120), 0, "abc\r" }, { kTyped, 0, 150, 0, "150\r" }, { kScreen, 0, 150 },
    };
    for (auto &s : steps) {
        CAPTURE(s.what); CAPTURE(s.zoom);
        if (s.how == kCtrlKey) PressCtrlKey(w, s.what);
        if (s.how == kKey) PressKey(w, s.what);
        if (s.how == kWheel || s.how == kPlainWheel)
            SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(s.how == kWheel ? MK_CONTROL : 0, s.what), 0);
        if (s.how == kMenu) Command(w, s.what);
        if (s.how == kSet) OnUser([&] { CHECK(SetImageZoom(s.what, 14) == 0); });
        if (s.how == kTyped) REQUIRE(Answer(w, 1046, s.line));
        if (s.how == kScreen) CHECK(DrawnAnew(14));
        Settle();
        CHECK((nbx_images[14].zoom == s.zoom && Sized(14, 140 * s.zoom / 100, 120 * s.zoom / 100)));
        CHECK((Caption(14) == Titled("zoom", s.zoom, s.ht ? "*" : "") && GetImageStretchMode(14) == (s.ht ? HALFTONE : COLORONCOLOR)));
    }
    CHECK((WindowRect(w).left == start.left && WindowRect(w).top == start.top));
    CHECK((SetImageZoom(100, 15) == 1 && SetImageStretchMode(HALFTONE, 15) == 1 && GetImageStretchMode(15) == 0));
    CHECK(DrawnAnew(14, true));
    PressCtrlKey(w, 'Q');
    CHECK((UNTIL(!IsWindow(w)) && nbx_images[14].inUse == 0));
}

TEST_CASE("typed resize: in place, zoom, mode and palette kept, cleared")
{
    REQUIRE(Create(18, 80, 60, 8, 200, 60, 70, "again") == 0);
    const ImageRecord &r = nbx_images[18];
    RECT place = WindowRect(r.window);
    const DWORD red = 0xFF0000;   // as RGBQUAD
    auto kept = [&] { return Palette(18).at(9) == red; };
    OnUser([&] { SetDIBColorTable(r.memDC, 9, 1, (const RGBQUAD *)&red); SetImageStretchMode(HALFTONE, 18); });
    nbx_pixels8[18][0] = 9;
    REQUIRE(Answer(r.window, 1047, "90\r50\r"));
    REQUIRE(UNTIL(r.inUse && r.width == 90));
    RECT now = WindowRect(r.window);
    const char *cap = "again(200%)[8bit]*";
    CHECK((r.height == 50 && r.zoom == 200 && r.bits == 8 && Sized(18, 180, 100) && Caption(18) == cap));
    CHECK((now.left == place.left && now.top == place.top && nbx_pixels8[18][0] == 0 && kept()));
    // A size no window shows, or no buffer GDI draws: all is kept.
    HWND window = r.window;
    nbx_pixels8[18][7] = 9;
    struct { int w, h, result; } refused[] = { { 1, 50000, 2 }, { 30000, 30000, 3 } };
    for (auto &f : refused) {
        CAPTURE(f.w);
        CHECK((Get([&] { return RecreateImageWindow(18, f.w, f.h); }) == f.result && r.inUse == 1 && r.window == window && IsWindow(window) && r.width == 90));
        CHECK((nbx_pixels8[18][7] == 9 && Caption(18) == cap && kept()));
    }
    Destroy(18);
    CHECK(Get([] { return RecreateImageWindow(18, 10, 10); }) == 1);   // a free number refuses
}

TEST_CASE("requests 9001 to 9003, on the user thread")
{
    REQUIRE(nbx_running == 0);
    REQUIRE((RequestCreateImage(30, "req", 200, 150, 32) == 0 && nbx_images[30].inUse == 1));
    HWND w = Window(30);
    CHECK((GetWindowThreadProcessId(w, NULL) == nbx_userThreadId && Caption(30) == "req(100%)" && Sized(30, 200, 150)));
    CHECK((nbx_curImage == 30 && nbx_done == 1 && nbx_request == 0));
    for (int i = 0; i < 200 * 150; i++) nbx_pixels[30][i] = 0x2080C0 + i % 200;
    RequestRedrawImage(30);   // does not wait
    CHECK((nbx_done == 1 && UNTIL(Shows(30))));
    // A following request first waits for the redraw to be taken.
    CHECK((RequestCreateImage(30, "again", 20, 20, 32) == 1 && Window(30) == w));
    CHECK((RequestCreateImage(31, "deep", 20, 20, 24) == 3 && nbx_images[31].inUse == 0));
    CHECK(RequestCreateImage(31, "other", 200, 150, 32) == 0);
    // 9003 loads into the named image, not the current one, and gives that back.
    string file = CurrentDir() + "\\request.bmp";
    vector<BYTE> picture = Bytes(30);
    REQUIRE(On(30, [&] { return SaveImageFile(150, 200, 0, file.c_str()) + ClearImage(30); }) == 0);
    CHECK((RequestLoadImageFile(30, file.c_str()) == 0 && nbx_curImage == 31 && nbx_imageHistory[0] == 30 && nbx_pixels[31][0] == 0));
    CHECK((Bytes(30) == picture && RequestLoadImageFile(30, "Z:\\nonexistent\\none.bmp") == 1));
    for (int n : { 30, 31 }) Destroy(n);
}
