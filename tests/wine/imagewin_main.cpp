// Image windows under Wine, creation to requests 9001-9003. The user program
// never starts: the idle user thread serves requests and the driver's calls.
#include "harness.h"
#include "dib32.h"
#include "imagewin/imagewin_private.h"
#include <string.h>
#include <algorithm>

void UserInit(void) { nbxt::BeginDriver(false); }
void UserMain(void) { nbxt::ServeUser(); }

using namespace std::string_literals;

namespace {

int Create(int n, const char *title, int x, int y, int w, int h, int zoom, int bits = 32)
{
    int result = -1;
    nbxt::OnUser([&] { result = (bits == 8 ? NBX_CreateImage8 : NBX_CreateImage)(n, title, x, y, w, h, zoom); });
    return result;
}

void Destroy(int n) { nbxt::OnUser([=] { NBX_DestroyImage(n); }); }
HWND Window(int n) { return nbx_images[n].window; }
std::string Caption(int n) { return nbxt::WindowTextA(Window(n)); }
std::string Titled(const char *t, int zoom, const char *marks = "") { return t + ("(" + std::to_string(zoom) + "%)") + marks; }
using nbxt::Settle;
bool Sized(int n, int w, int h) { SIZE c = nbxt::ClientSize(Window(n)); return c.cx == w && c.cy == h; }

int MinWidth() { return GetSystemMetrics(SM_CXMIN) - 2 * GetSystemMetrics(SM_CXFRAME); }
int MinHeight() { return GetSystemMetrics(SM_CYMIN) - 2 * GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CYCAPTION); }
int MaxHeight() { return GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYCAPTION); }
// The zoom a w x h image gets within the screen: raised to the least that
// reaches the system's minimum client size when below it.
int Fitted(int zoom, int w, int h)
{
    int zw = (MinWidth() * 100 + w - 1) / w, zh = (MinHeight() * 100 + h - 1) / h;
    return w * zoom / 100 >= MinWidth() && h * zoom / 100 >= MinHeight() ? zoom : zw > zh ? zw : zh;
}

// What the platform's own StretchBlt (in the window's stretch mode) makes of
// image n's buffer at its zoom, in a client-size bitmap whose rest is black.
std::vector<DWORD> PlatformShows(int n)
{
    const ImageRecord &r = nbx_images[n];
    std::vector<DWORD> out((size_t)r.dispWidth * r.dispHeight);
    nbxt::OnUser([&] {
        HDC dc = CreateCompatibleDC(r.memDC);
        void *bits;
        HBITMAP dib = CreateTopDownDib32(dc, r.dispWidth, r.dispHeight, &bits);
        HGDIOBJ old = SelectObject(dc, dib);
        SetStretchBltMode(dc, GetStretchBltMode(r.windowDC));
        StretchBlt(dc, 0, 0, r.width * r.zoom / 100, r.height * r.zoom / 100, r.memDC, 0, 0, r.width, r.height, SRCCOPY);
        GdiFlush();
        for (size_t i = 0; i < out.size(); i++) out[i] = ((DWORD *)bits)[i] & 0xFFFFFF;
        SelectObject(dc, old);
        DeleteObject(dib);
        DeleteDC(dc);
    });
    return out;
}

// The client area of image n shows what the platform's stretch shows, as far
// as it lies on the screen (a window of the screen's height reaches below it;
// one with limits of its own may be wider than its picture).
bool Shows(int n)
{
    const ImageRecord &r = nbx_images[n];
    std::vector<DWORD> want = PlatformShows(n), shown = nbxt::GrabClient(r.window);
    SIZE client = nbxt::ClientSize(r.window);
    POINT at = { 0, 0 };
    ClientToScreen(r.window, &at);
    int rows = std::min(r.dispHeight, (int)GetSystemMetrics(SM_CYSCREEN) - (int)at.y), columns = std::min(r.dispWidth, (int)client.cx);
    for (int y = 0; y < rows; y++)
        if (!std::equal(&want[(size_t)y * r.dispWidth], &want[(size_t)y * r.dispWidth] + columns, &shown[(size_t)y * client.cx]))
            return false;
    return rows > 0 && columns > 0;
}

// Answers the prompts of one command ("line\r" each), each line typed while
// its own prompt waits: what is typed between two inputs is dropped. Done
// once no input has run for a moment. Patient: under load the first prompt
// has taken over five seconds to come.
bool Answer(const char *lines)
{
    for (const char *line = lines; *line;) {
        const char *end = strchr(line, '\r');
        if (!nbxt::WaitFor([] { return nbx_inputActive == 1 && TextWindowHandle(0) != NULL; }, 20000)) return false;
        nbxt::TypeText(TextWindowHandle(0), std::string(line, end + 1).c_str());
        nbxt::Settle();   // taken by this input, which has ended
        line = end + 1;
    }
    auto idle = [] { return nbxt::WaitFor([] { return nbx_inputActive == 0; }, 20000); };
    return idle() && (nbxt::Settle(), idle());
}

}  // namespace

TEST_CASE("creation: results, fitted zoom, client size and caption")
{
    int sw = GetSystemMetrics(SM_CXSCREEN);
    struct { int n, x, w, h, zoom, bits, result, z; const char *marks; } cases[] = {
        { 1, 10, 160, 120, 100, 32, 0, 100, "" },
        { 2, 10, 10, 10, 100, 32, 0, Fitted(100, 10, 10), "" },      // raised to the minimum
        { 3, 0, 3 * sw, 100, 100, 32, 0, 100 / 3, "" },              // reduced to fit the screen
        { 4, 10, 0, -5, 100, 32, 0, Fitted(100, 1, 1), "" },         // sizes below 1 count as 1
        { 5, 10, 5, 4, 2400, 8, 0, Fitted(2400, 5, 4), "[8bit]" },
        { 6, -1, 40, 30, 100, 32, 0, Fitted(100, 40, 30), "" },      // the system places it
        { 7, 10, 1, 50000, 100, 32, 2, 0, "" },                      // no zoom fits
        // Too narrow for the minimum width at any zoom that fits: the largest
        // zoom that fits, the rest of the minimum-width client area black.
        { 8, 10, 1, 100, 100, 32, 0, MaxHeight(), "" },
        { 9, 10, 3, 200, 100, 8, 0, MaxHeight() / 2, "[8bit]" },
    };
    for (auto &c : cases) {
        CAPTURE(c.n);
        REQUIRE(Create(c.n, "c", c.x, c.x, c.w, c.h, c.zoom, c.bits) == c.result);
        CHECK((c.result == 0 || (nbx_images[c.n].inUse == 0 && nbxt::FindTop(L"nbx_iw", nullptr) == NULL)));
        if (c.result != 0) continue;
        int w = c.w < 1 ? 1 : c.w, h = c.h < 1 ? 1 : c.h;
        CHECK((nbx_images[c.n].width == w && nbx_images[c.n].height == h && nbx_images[c.n].zoom == c.z));
        CHECK(Caption(c.n) == Titled("c", c.z, c.marks));
        CHECK((Sized(c.n, std::max(MinWidth(), w * c.z / 100), std::max(MinHeight(), h * c.z / 100)) &&
               nbxt::ClientSize(Window(c.n)).cx <= sw));
        CHECK((nbxt::WindowRect(Window(c.n)).left >= 0 && nbx_curImage == c.n && nbx_pixels[c.n][0] == 0));
        for (size_t i = 0; i < ImageBytes(c.bits, w, h); i++) nbx_pixels8[c.n][i] = (BYTE)(i * 37 + 11);
        nbxt::OnUser([&] {   // the part the picture leaves blank is black again
            PatBlt(nbx_images[c.n].windowDC, 0, 0, nbx_images[c.n].dispWidth, nbx_images[c.n].dispHeight, WHITENESS);
            CHECK(NBX_DrawImage(c.n) == 0);
        });
        CHECK(nbxt::WaitFor([&] { return Shows(c.n); }, 3000));
        Destroy(c.n);
    }
    CHECK((NBX_DrawImage(5) == 1 && NBX_DrawImage(256) == 1 && NBX_DestroyImage(5) == 1 && NBX_DestroyImage(-1) == 1));
}

TEST_CASE("zoomed 32-bit pictures show the pixels the platform's COLORONCOLOR stretch shows")
{
    // Every screen pixel names its source pixel: (x, y) holds y << 12 | x.
    struct { int w, h, zoom, tabs; bool fl; } cases[] = {
        { 256, 192, 50, 0 }, { 256, 192, 50, 2 }, { 640, 480, 33, 0 }, { 640, 480, 81, 0 }, { 640, 480, 99, 0 },
        { 160, 120, 111, 0 }, { 97, 61, 123, 0 }, { 97, 61, 150, 0 }, { 33, 17, 777, 0 }, { 5, 4, 2400, 0 },
        { 1920, 1080, 50, 0 }, { 1920, 1080, 66, 0 }, { 1000, 700, 1, 0, true }, { 1000, 700, 7, 0, true },
    };
    for (auto &c : cases) {
        CAPTURE(c.w); CAPTURE(c.h); CAPTURE(c.zoom); CAPTURE(c.tabs);
        int result = -1;
        nbxt::OnUser([&] { result = (c.fl ? NBX_CreateImageFL : NBX_CreateImage)(40, "s", 0, 0, c.w, c.h, c.zoom); });
        REQUIRE((result == 0 && nbx_images[40].zoom == c.zoom));
        for (int i = 0; i < c.w * c.h; i++) nbx_pixels[40][i] = (DWORD)(i / c.w) << 12 | (DWORD)(i % c.w);
        for (int t = 0; t < c.tabs; t++) nbxt::PressKey(Window(40), VK_TAB);
        Settle();
        nbxt::OnUser([&] {
            CHECK(ScalerAgreesWithPlatform(nbx_images[40].windowDC, c.w, c.h, c.w * c.zoom / 100, c.h * c.zoom / 100));
            NBX_DrawImage(40);
        });
        CHECK(nbxt::WaitFor([] { return Shows(40); }, 3000));
        Destroy(40);
    }
    // The same comparison along a coded row and column, over more sizes.
    int differ = 0;
    nbxt::OnUser([&] {
        HDC dc = CreateCompatibleDC(NULL);
        for (int size : { 1, 2, 3, 5, 7, 10, 64, 97, 256, 480, 641, 1080, 1920 })
            for (int zoom : { 1, 7, 33, 50, 66, 81, 90, 99, 100, 111, 123, 150, 200, 333, 1000, 2400 }) {
                int to = std::max(1, size * zoom / 100);
                differ += !ScalerAgreesWithPlatform(dc, size, size, to, to);
            }
        DeleteDC(dc);
    });
    CHECK(differ == 0);
}

TEST_CASE("screen, stretch mode and zoom by keys, wheel, menu and typed value; sizing; Ctrl+Q")
{
    REQUIRE(Create(14, "zoom", 40, 40, 140, 120, 100) == 0);   // the screen's height binds first
    HWND w = Window(14);
    RECT start = nbxt::WindowRect(w), proposed = { start.left, start.top, start.right + 50, start.bottom };
    SendMessageW(w, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
    CHECK(EqualRect(&proposed, &start));   // dragging the border keeps the size
    // Constant on 2 x 2 blocks: at 150 % each screen pixel has one right
    // value whichever way the stretch rounds.
    for (int i = 0; i < 140 * 120; i++)
        nbx_pixels[14][i] = (DWORD)(i % 140 / 2 * 8 & 0xFF) << 16 | (DWORD)(i / 280 * 10 & 0xFF) << 8 | 0x80;
    int byWidth = GetSystemMetrics(SM_CXSCREEN) * 100 / 140;
    int byHeight = (GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYCAPTION)) * 100 / 120;
    enum { kCtrlKey, kKey, kWheel, kPlainWheel, kMenu, kSet, kTyped, kScreen };
    struct { int how, what, zoom; const char *marks, *line; } steps[] = {
        { kScreen, 0, 100, "" }, { kCtrlKey, VK_ADD, 111, "" }, { kCtrlKey, VK_ADD, 123, "" },
        { kCtrlKey, VK_NUMPAD0, 100, "" }, { kCtrlKey, VK_SUBTRACT, 90, "" }, { kCtrlKey, VK_SUBTRACT, 81, "" }, { kScreen, 0, 81, "" },
        // The main keyboard's 0, + and -, and the keypad without Ctrl: nothing.
        { kCtrlKey, '0', 81, "" }, { kCtrlKey, VK_OEM_PLUS, 81, "" }, { kCtrlKey, VK_OEM_MINUS, 81, "" },
        { kKey, VK_ADD, 81, "" }, { kKey, VK_NUMPAD0, 81, "" },
        // A turn toward the user zooms in; without Ctrl or without a turn, nothing.
        { kWheel, -120, 90, "" }, { kWheel, 120, 81, "" }, { kWheel, 0, 81, "" }, { kPlainWheel, -120, 81, "" },
        { kMenu, 1009, 200, "" }, { kScreen, 0, 200, "" },
        // Tab toggles halftone and its mark, which outlives zoom changes.
        { kKey, VK_TAB, 200, "*" }, { kMenu, 1007, Fitted(50, 140, 120), "*" }, { kKey, VK_TAB, Fitted(50, 140, 120), "" },
        { kMenu, 1008, 100, "" }, { kSet, 100000, byWidth < byHeight ? byWidth : byHeight, "" },
        // Typed in text window 0; letters give the least zoom reaching the minimum.
        { kTyped, 0, Fitted(0, 140, 120), "", "abc\r" }, { kTyped, 0, 150, "", "150\r" }, { kScreen, 0, 150, "" },
    };
    for (auto &s : steps) {
        CAPTURE(s.what); CAPTURE(s.zoom);
        if (s.how == kCtrlKey) nbxt::PressCtrlKey(w, s.what);
        if (s.how == kKey) nbxt::PressKey(w, s.what);
        if (s.how == kWheel || s.how == kPlainWheel)
            SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(s.how == kWheel ? MK_CONTROL : 0, s.what), 0);
        if (s.how == kMenu) nbxt::Command(w, s.what);
        if (s.how == kSet) nbxt::OnUser([&] { CHECK(SetImageZoom(s.what, 14) == 0); });
        if (s.how == kTyped) { nbxt::Command(w, 1046); REQUIRE(Answer(s.line)); }
        if (s.how == kScreen) nbxt::OnUser([] { CHECK(NBX_DrawImage(14) == 0); });   // then read back
        if (s.how == kScreen) CHECK(nbxt::WaitFor([] { return Shows(14); }, 3000));
        Settle();
        CHECK((nbx_images[14].zoom == s.zoom && Sized(14, 140 * s.zoom / 100, 120 * s.zoom / 100)));
        CHECK((Caption(14) == Titled("zoom", s.zoom, s.marks) && GetImageStretchMode(14) == (*s.marks ? HALFTONE : COLORONCOLOR)));
    }
    CHECK((nbxt::WindowRect(w).left == start.left && nbxt::WindowRect(w).top == start.top));
    nbxt::OnUser([] { CHECK((SetImageStretchMode(1, 14) == 0 && GetImageStretchMode(14) == COLORONCOLOR)); });
    CHECK((SetImageZoom(100, 256) == 1 && SetImageZoom(100, 15) == 1 && SetImageStretchMode(HALFTONE, 15) == 1 && GetImageStretchMode(15) == 0));

    nbxt::OnUser([] {   // hidden, then brought back by WM_PAINT alone
        PatBlt(nbx_images[14].windowDC, 0, 0, 300, 300, WHITENESS);
        InvalidateRect(nbx_images[14].window, NULL, FALSE);
    });
    CHECK(nbxt::WaitFor([] { return Shows(14); }, 3000));
    nbxt::PressCtrlKey(w, 'Q');
    Settle();
    CHECK((nbx_images[14].inUse == 0 && !IsWindow(w)));
}

TEST_CASE("typed resize re-creates in place with zoom, stretch mode and palette, cleared")
{
    REQUIRE(Create(18, "again", 60, 70, 80, 60, 200, 8) == 0);
    const ImageRecord &r = nbx_images[18];
    RECT place = nbxt::WindowRect(r.window);
    RGBQUAD red = { 0, 0, 255, 0 }, kept = {};
    nbxt::OnUser([&] { SetDIBColorTable(r.memDC, 9, 1, &red); SetImageStretchMode(HALFTONE, 18); });
    nbx_pixels8[18][0] = 9;
    nbxt::Command(r.window, 1047);
    REQUIRE(Answer("90\r50\r"));
    REQUIRE(nbxt::WaitFor([&] { return r.inUse && r.width == 90; }, 3000));
    RECT now = nbxt::WindowRect(r.window);
    CHECK((r.height == 50 && r.zoom == 200 && r.bits == 8 && Sized(18, 180, 100) && Caption(18) == "again(200%)[8bit]*"));
    CHECK((now.left == place.left && now.top == place.top && nbx_pixels8[18][0] == 0));
    nbxt::OnUser([&] { GetDIBColorTable(r.memDC, 9, 1, &kept); });
    CHECK((kept.rgbRed == 255 && kept.rgbGreen == 0));
    // A size no window can show, or no buffer the platform can draw: the
    // image keeps its window, pixels, palette, zoom and mode.
    HWND window = r.window;
    nbx_pixels8[18][7] = 9;
    struct { int w, h, result; } refused[] = { { 1, 50000, 2 }, { 30000, 30000, 3 } };
    for (auto &f : refused) {
        CAPTURE(f.w);
        int result = -1;
        nbxt::OnUser([&] { result = RecreateImageWindow(18, f.w, f.h); });
        CHECK((result == f.result && r.inUse == 1 && r.window == window && IsWindow(window) && r.width == 90));
        CHECK((nbx_pixels8[18][7] == 9 && r.zoom == 200 && Caption(18) == "again(200%)[8bit]*"));
        nbxt::OnUser([&] { GetDIBColorTable(r.memDC, 9, 1, &kept); });
        CHECK(kept.rgbRed == 255);
    }
    Destroy(18);
    int again = -1;
    nbxt::OnUser([&] { again = RecreateImageWindow(18, 10, 10); });
    CHECK(again == 1);   // a free number refuses
}

TEST_CASE("current image, history, area reads, a drop and WM_CLOSE")
{
    REQUIRE(Create(20, "a", 10, 10, 8, 8, 100) == 0);
    REQUIRE(Create(21, "b", 10, 150, 5, 2, 100, 8) == 0);   // rows of 8 bytes
    CHECK((nbx_curImage == 21 && nbx_imageHistory[0] == 20));
    for (int i = 0; i < 16; i++) nbx_pixels8[21][i] = (BYTE)(i + 1);
    nbxt::OnUser([] {
        CHECK((FindImageWindow(nbx_images[20].window) == 20 && FindImageWindow(nbx_mainWindow) == -1));
        CHECK((FindAndSelectImageWindow(nbx_mainWindow) == -1 && nbx_curImage == 21));
        CHECK((FindAndSelectImageWindow(nbx_images[20].window) == 20 && nbx_curImage == 20));
        CHECK((RestoreImage() == 0 && nbx_curImage == 21 && SelectImage(22) == 1 && SelectImage(300) == 1 && nbx_curImage == 21));
        BYTE out[7], want[7] = { 0, 9, 10, 11, 12, 13, 0 };   // left of row 1 and its padding: 0
        CHECK((ReadImageArea(out, -1, 1, 7, 1) == 0 && memcmp(out, want, 7) == 0));
    });

    // A dropped file is loaded with its window current for the while.
    int history[8];
    memcpy(history, nbx_imageHistory, sizeof history);
    nbxt::DropFiles(Window(20), u"Z:\\tmp\\first.bmp\0Z:\\tmp\\second.bmp\0"s);
    Settle();
    CHECK((nbx_curImage == 21 && GetForegroundWindow() == Window(20)));
    CHECK(memcmp(history, nbx_imageHistory, 7 * sizeof(int)) == 0);   // the oldest slot is held twice

    // The current image closed: reads and clears refuse, and a restore onto it changes nothing.
    PostMessageW(Window(21), WM_CLOSE, 0, 0);
    Settle();
    CHECK((nbx_images[21].inUse == 0 && nbx_curImage == 21));
    nbxt::OnUser([] {
        DWORD untouched = 77;
        CHECK((ReadImageArea(&untouched, 0, 0, 1, 1) == 1 && untouched == 77 && ClearImage(21) == 1));
        SelectImage(20);
        std::vector<int> kept(nbx_imageHistory, nbx_imageHistory + 8);
        CHECK((RestoreImage() == 1 && nbx_curImage == 20 && std::equal(kept.begin(), kept.end(), nbx_imageHistory)));
    });
    Destroy(20);
}

TEST_CASE("requests 9001 to 9003 are carried out on the user thread")
{
    REQUIRE(nbx_running == 0);
    REQUIRE((RequestCreateImage(30, "req", 200, 150, 32) == 0 && nbx_images[30].inUse == 1));
    HWND w = Window(30);
    CHECK((GetWindowThreadProcessId(w, NULL) == nbx_userThreadId && Caption(30) == "req(100%)" && Sized(30, 200, 150)));
    CHECK((nbx_curImage == 30 && nbx_done == 1 && nbx_request == 0));
    // 9002 does not wait.
    for (int i = 0; i < 200 * 150; i++) nbx_pixels[30][i] = 0x2080C0 + i % 200;
    RequestRedrawImage(30);
    CHECK((nbx_done == 1 && nbxt::WaitFor([] { return Shows(30); }, 3000)));
    // A following request first waits for the redraw to be taken.
    CHECK((RequestCreateImage(30, "again", 20, 20, 32) == 1 && Window(30) == w));
    CHECK((RequestCreateImage(256, "big", 20, 20, 32) == 4 && RequestCreateImage(31, "deep", 20, 20, 24) == 3 && nbx_images[31].inUse == 0));
    CHECK(RequestCreateImage(31, "other", 200, 150, 32) == 0);

    // 9003 loads into the named image, not the current one, and gives that back.
    std::string file = nbxt::CurrentDir() + "\\request.bmp";
    std::vector<DWORD> picture(nbx_pixels[30], nbx_pixels[30] + 200 * 150);
    int saved = -1;
    nbxt::OnUser([&] { SelectImage(30); saved = SaveImageFile(150, 200, 0, file.c_str()); RestoreImage(); ClearImage(30); });
    REQUIRE(saved == 0);
    CHECK((RequestLoadImageFile(30, file.c_str()) == 0 && nbx_curImage == 31 && nbx_imageHistory[0] == 30 && nbx_pixels[31][0] == 0));
    CHECK((memcmp(nbx_pixels[30], picture.data(), 200 * 150 * 4) == 0 && RequestLoadImageFile(30, "Z:\\nonexistent\\none.bmp") == 1));

    nbxt::OnUser([] { NBX_DestroyImage(30); NBX_DestroyImage(31); });
}
