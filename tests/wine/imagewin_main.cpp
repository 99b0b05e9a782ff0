// Image windows under Wine: creation, captions, client sizes, drawing at
// and off 100 %, stretch modes, zoom commands, keys, wheel, sizing, closing,
// re-creation and the current-image history.
// nbx-test: also-cp1252
#include "harness.h"
#include "imagewin/imagewin_logic.h"
#include <shlobj.h>
#include <math.h>
#include <string.h>
#include <string>
#include <vector>

void UserInit(void) { nbxt::BeginDriver(true); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

int Create(int n, const char *title, int x, int y, int w, int h, int zoom, int bits = 32)
{
    int result = -1;
    nbxt::OnUser([&] {
        result = bits == 8 ? NBX_CreateImage8(n, title, x, y, w, h, zoom)
                           : NBX_CreateImage(n, title, x, y, w, h, zoom);
    });
    return result;
}

void Destroy(int n)
{
    nbxt::OnUser([&] { NBX_DestroyImage(n); });
}

int Draw(int n)
{
    int result = -1;
    nbxt::OnUser([&] { result = NBX_DrawImage(n); });
    return result;
}

HWND Window(int n) { return nbx_images[n].window; }
std::string Caption(int n) { return nbxt::WindowTextA(Window(n)); }

// Waits until posted messages to the image window have been handled.
void Settle() { nbxt::OnUser([] { NBX_PumpMessages(); }); }

int MinClientWidth() { return GetSystemMetrics(SM_CXMIN) - 2 * GetSystemMetrics(SM_CXFRAME); }
int MinClientHeight()
{
    return GetSystemMetrics(SM_CYMIN) - 2 * GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CYCAPTION);
}

DWORD Pattern(int x, int y) { return (DWORD)(((x * 4) & 0xFF) << 16 | ((y * 5) & 0xFF) << 8 | 0x80); }

void FillPattern(int n)
{
    const ImageRecord &r = nbx_images[n];
    for (int y = 0; y < r.height; y++)
        for (int x = 0; x < r.width; x++) nbx_pixels[n][y * r.width + x] = Pattern(x, y);
}

// The client area shows image n scaled by its zoom (nearest pixel).
bool ClientShowsImage(int n, int *firstBad = nullptr)
{
    const ImageRecord &r = nbx_images[n];
    std::vector<DWORD> shown = nbxt::GrabClient(r.window);
    if ((int)shown.size() != r.dispWidth * r.dispHeight) return false;
    for (int Y = 0; Y < r.dispHeight; Y++)
        for (int X = 0; X < r.dispWidth; X++) {
            int x = (int)((long long)X * r.width / r.dispWidth);
            int y = (int)((long long)Y * r.height / r.dispHeight);
            if (shown[Y * r.dispWidth + X] != nbx_pixels[n][y * r.width + x]) {
                if (firstBad) *firstBad = Y * r.dispWidth + X;
                return false;
            }
        }
    return true;
}

}  // namespace

TEST_CASE("creation results, client sizes and captions")
{
    SUBCASE("a plain 32-bit window") {
        REQUIRE(Create(1, "NUBRIX window", 10, 10, 160, 120, 100) == 0);
        HWND w = Window(1);
        REQUIRE(IsWindow(w));
        CHECK(nbx_images[1].inUse == 1);
        CHECK(nbx_images[1].bits == 32);
        CHECK(nbx_curImage == 1);
        CHECK(Caption(1) == "NUBRIX window(100%)");
        SIZE c = nbxt::ClientSize(w);
        CHECK(c.cx == 160);
        CHECK(c.cy == 120);
        WCHAR cls[16];
        GetClassNameW(w, cls, 16);
        CHECK(lstrcmpW(cls, L"nbx_iw") == 0);
        CHECK((GetWindowLongW(w, GWL_STYLE) & 0x10CC0000) == 0x10CC0000);
        CHECK((GetWindowLongW(w, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
        CHECK(GetWindow(w, GW_OWNER) == nbx_mainWindow);
        CHECK((GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0);
        CHECK(NBX_GetImagePixels(1) == nbx_pixels[1]);
        CHECK((void *)nbx_pixels8[1] == (void *)nbx_pixels[1]);
        CHECK(nbx_pixels[1][0] == 0);
        CHECK(nbx_pixels[1][160 * 120 - 1] == 0);

        // The same number again: 1, the first window stays as it was.
        CHECK(Create(1, "other", 300, 300, 20, 20, 100) == 1);
        CHECK(Window(1) == w);
        CHECK(Caption(1) == "NUBRIX window(100%)");
        CHECK(nbx_images[1].width == 160);
        Destroy(1);
        CHECK(nbx_images[1].inUse == 0);
        CHECK_FALSE(IsWindow(w));
        CHECK(NBX_DestroyImage(1) == 1);
        CHECK(NBX_DestroyImage(256) == 1);
        CHECK(NBX_DestroyImage(-1) == 1);
    }
    SUBCASE("a 10 x 10 image is raised to the minimum width") {
        REQUIRE(Create(2, "tiny", 10, 10, 10, 10, 100) == 0);
        int zw = (int)ceil(MinClientWidth() * 100.0 / 10), zh = (int)ceil(MinClientHeight() * 100.0 / 10);
        int z = zw > zh ? zw : zh;
        CHECK(z > 100);
        CHECK(nbx_images[2].zoom == z);
        CHECK(Caption(2) == "tiny(" + std::to_string(z) + "%)");
        SIZE c = nbxt::ClientSize(Window(2));
        CHECK(c.cx == 10 * z / 100);
        CHECK(c.cx >= MinClientWidth());
        CHECK(c.cy == 10 * z / 100);
        Destroy(2);
    }
    SUBCASE("an image larger than the screen is reduced to fit") {
        int sw = GetSystemMetrics(SM_CXSCREEN);
        REQUIRE(Create(3, "wide", 0, 0, 3 * sw, 100, 100) == 0);
        int z = 100 / 3;   // 3 x the screen width: a third, truncated
        CHECK(nbx_images[3].zoom == z);
        CHECK(Caption(3) == "wide(" + std::to_string(z) + "%)");
        SIZE c = nbxt::ClientSize(Window(3));
        CHECK(c.cx == 3 * sw * z / 100);
        CHECK(c.cx <= sw);
        CHECK(c.cy == 100 * z / 100);
        Destroy(3);
    }
    SUBCASE("no zoom fits: 2, nothing is created") {
        HWND before = GetForegroundWindow();
        CHECK(Create(4, "thin", 0, 0, 1, 50000, 100) == 2);
        CHECK(nbx_images[4].inUse == 0);
        CHECK(nbxt::FindTop(L"nbx_iw", nullptr) == NULL);
        (void)before;
    }
    SUBCASE("bits neither 8 nor 32: 3, nothing is created") {
        int result = -1;
        nbxt::OnUser([&] { result = CreateImageWindow(100, 5, "deep", 0, 0, 20, 20, 24); });
        CHECK(result == 3);
        CHECK(nbx_images[5].inUse == 0);
        CHECK(nbxt::FindTop(L"nbx_iw", nullptr) == NULL);
    }
    SUBCASE("width 0 and height -5 count as 1") {
        REQUIRE(Create(6, "dot", 10, 10, 0, -5, 100) == 0);
        CHECK(nbx_images[6].width == 1);
        CHECK(nbx_images[6].height == 1);
        SIZE c = nbxt::ClientSize(Window(6));
        CHECK(c.cx >= MinClientWidth());
        Destroy(6);
    }
    SUBCASE("8-bit: caption mark, stride and the grey palette") {
        REQUIRE(Create(7, "gray", 10, 10, 5, 4, 2400, 8) == 0);
        const ImageRecord &r = nbx_images[7];
        CHECK(r.bits == 8);
        CHECK(Caption(7) == "gray(" + std::to_string(r.zoom) + "%)[8bit]");
        // Pixel (0, 1) is byte 8; (4, 3) is byte 3 * 8 + 4.
        nbx_pixels8[7][8] = 200;
        nbx_pixels8[7][3 * 8 + 4] = 17;
        REQUIRE(Draw(7) == 0);
        int z = r.zoom;
        REQUIRE(nbxt::WaitFor([&] {
            std::vector<DWORD> shown = nbxt::GrabClient(r.window);
            int y1 = (1 * z + z / 2) / 100, x4 = (4 * z + z / 2) / 100, y3 = (3 * z + z / 2) / 100;
            return shown.size() == (size_t)r.dispWidth * r.dispHeight &&
                   shown[y1 * r.dispWidth + 2] == 0xC8C8C8 &&
                   shown[y3 * r.dispWidth + x4] == 0x111111 && shown[2 * r.dispWidth + 2] == 0;
        }, 3000));
        Destroy(7);
    }
    SUBCASE("x and y of -1 let the system place the window") {
        REQUIRE(Create(8, "anywhere", -1, -1, 40, 30, 100) == 0);
        CHECK(IsWindowVisible(Window(8)));
        SIZE c = nbxt::ClientSize(Window(8));
        CHECK(c.cx == nbx_images[8].dispWidth);
        CHECK(c.cx == (MinClientWidth() > 40 ? MinClientWidth() : 40));
        Destroy(8);
    }
}

TEST_CASE("NBX_DrawImage puts the buffer on screen")
{
    REQUIRE(Create(10, "draw", 20, 20, 160, 120, 100) == 0);
    CHECK(NBX_DrawImage(256) == 1);
    CHECK(Draw(11) == 1);

    FillPattern(10);
    REQUIRE(Draw(10) == 0);
    int bad = -1;
    CHECK(nbxt::WaitFor([&] { return ClientShowsImage(10, &bad); }, 3000));
    CAPTURE(bad);

    SUBCASE("at 200 % each pixel becomes a 2 x 2 block") {
        nbxt::OnUser([] { REQUIRE(SetImageZoom(200, 10) == 0); });
        CHECK(nbxt::ClientSize(Window(10)).cx == 320);
        CHECK(nbxt::ClientSize(Window(10)).cy == 240);
        REQUIRE(Draw(10) == 0);
        CHECK(nbxt::WaitFor([&] { return ClientShowsImage(10, &bad); }, 3000));
    }
    SUBCASE("at 150 % the whole client area is covered") {
        nbxt::OnUser([] { REQUIRE(SetImageZoom(150, 10) == 0); });
        for (int i = 0; i < 160 * 120; i++) nbx_pixels[10][i] = 0x30A0F0;
        REQUIRE(Draw(10) == 0);
        CHECK(nbxt::WaitFor([&] {
            std::vector<DWORD> shown = nbxt::GrabClient(Window(10));
            if (shown.size() != 240u * 180u) return false;
            for (DWORD p : shown) if (p != 0x30A0F0) return false;
            return true;
        }, 3000));
    }
    SUBCASE("a repaint draws from the buffer") {
        // Hide the picture, then let WM_PAINT bring it back.
        nbxt::OnUser([] {
            PatBlt(nbx_images[10].windowDC, 0, 0, 160, 120, WHITENESS);
            InvalidateRect(nbx_images[10].window, NULL, FALSE);
            NBX_PumpMessages();
        });
        CHECK(nbxt::WaitFor([&] { return ClientShowsImage(10, &bad); }, 3000));
    }
    Destroy(10);
}

TEST_CASE("Tab toggles the stretch mode and the caption's mark")
{
    REQUIRE(Create(12, "tab", 30, 30, 160, 120, 200) == 0);
    HWND w = Window(12);
    CHECK(GetImageStretchMode(12) == COLORONCOLOR);
    nbxt::PressKey(w, VK_TAB);
    Settle();
    CHECK(GetImageStretchMode(12) == HALFTONE);
    CHECK(GetStretchBltMode(nbx_images[12].memDC) == HALFTONE);
    CHECK(Caption(12) == "tab(200%)*");
    nbxt::PressKey(w, VK_TAB);
    Settle();
    CHECK(GetImageStretchMode(12) == COLORONCOLOR);
    CHECK(Caption(12) == "tab(200%)");
    // Other modes change nothing; free numbers refuse.
    nbxt::OnUser([] { CHECK(SetImageStretchMode(1, 12) == 0); });
    CHECK(GetImageStretchMode(12) == COLORONCOLOR);
    CHECK(SetImageStretchMode(HALFTONE, 13) == 1);
    CHECK(GetImageStretchMode(13) == 0);
    // The mark survives a zoom change.
    nbxt::PressKey(w, VK_TAB);
    nbxt::Command(w, 1008);
    Settle();
    CHECK(Caption(12) == "tab(100%)*");
    Destroy(12);
}

TEST_CASE("zoom commands, keypad and wheel steps")
{
    REQUIRE(Create(14, "zoom", 40, 40, 160, 120, 100) == 0);
    HWND w = Window(14);
    RECT start = nbxt::WindowRect(w);
    auto zoomIs = [&](int z) {
        return nbx_images[14].zoom == z && Caption(14) == "zoom(" + std::to_string(z) + "%)" &&
               nbxt::ClientSize(w).cx == 160 * z / 100 && nbxt::ClientSize(w).cy == 120 * z / 100;
    };

    SUBCASE("menu commands 1007, 1008, 1009") {
        nbxt::Command(w, 1007);
        Settle();
        // 50 % is raised when 80 x 60 is below the system's minimum.
        int zw = (int)ceil(MinClientWidth() * 100.0 / 160), zh = (int)ceil(MinClientHeight() * 100.0 / 120);
        int raised = zw > zh ? zw : zh;
        CHECK(zoomIs(80 >= MinClientWidth() && 60 >= MinClientHeight() ? 50 : raised));
        nbxt::Command(w, 1009);
        Settle();
        CHECK(zoomIs(200));
        nbxt::Command(w, 1008);
        Settle();
        CHECK(zoomIs(100));
        RECT now = nbxt::WindowRect(w);
        CHECK(now.left == start.left);
        CHECK(now.top == start.top);
    }
    SUBCASE("Ctrl + keypad: 100 -> 111 -> 123, 0 -> 100, 100 -> 90 -> 81") {
        nbxt::PressCtrlKey(w, VK_ADD);
        CHECK(zoomIs(111));
        nbxt::PressCtrlKey(w, VK_ADD);
        CHECK(zoomIs(123));
        nbxt::PressCtrlKey(w, VK_NUMPAD0);
        CHECK(zoomIs(100));
        nbxt::PressCtrlKey(w, VK_SUBTRACT);
        CHECK(zoomIs(90));
        nbxt::PressCtrlKey(w, VK_SUBTRACT);
        CHECK(zoomIs(81));
    }
    SUBCASE("the main keyboard's 0, + and - and keypad keys without Ctrl do nothing") {
        nbxt::PressCtrlKey(w, '0');
        nbxt::PressCtrlKey(w, VK_OEM_PLUS);
        nbxt::PressCtrlKey(w, VK_OEM_MINUS);
        nbxt::PressKey(w, VK_ADD);
        nbxt::PressKey(w, VK_NUMPAD0);
        Settle();
        CHECK(zoomIs(100));
    }
    SUBCASE("Ctrl + wheel steps; a plain wheel or a zero delta does nothing") {
        SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -120), 0);
        CHECK(zoomIs(111));
        SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), 0);
        CHECK(zoomIs(100));
        SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 120), 0);
        CHECK(zoomIs(90));
        SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0);
        SendMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, 0), 0);
        CHECK(zoomIs(90));
    }
    SUBCASE("a zoom too large for the screen gives the largest that fits") {
        nbxt::OnUser([] { CHECK(SetImageZoom(100000, 14) == 0); });
        int z = nbx_images[14].zoom;
        int byWidth = GetSystemMetrics(SM_CXSCREEN) * 100 / 160;
        int byHeight = (GetSystemMetrics(SM_CYSCREEN) - GetSystemMetrics(SM_CYCAPTION)) * 100 / 120;
        CHECK(z == (byWidth < byHeight ? byWidth : byHeight));
        CHECK(zoomIs(z));
        CHECK(SetImageZoom(100, 256) == 1);
        CHECK(SetImageZoom(100, 15) == 1);
    }
    Destroy(14);
}

TEST_CASE("sizing, closing, Destroy and the keys forwarded to the main window")
{
    REQUIRE(Create(16, "keys", 50, 50, 160, 120, 100) == 0);
    HWND w = Window(16);

    SUBCASE("dragging the border keeps the size") {
        RECT before = nbxt::WindowRect(w);
        RECT proposed = before;
        proposed.right += 50;
        proposed.bottom += 30;
        SendMessageW(w, WM_SIZING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
        CHECK(memcmp(&proposed, &before, sizeof before) == 0);
    }
    SUBCASE("C reaches the main window as Stop; Ctrl+C does not") {
        nbx_stop = 0;
        nbxt::PressCtrlKey(w, 'C');
        Settle();
        nbxt::Pause(100);
        CHECK(nbx_stop == 0);
        nbxt::PressKey(w, 'C');
        CHECK(nbxt::WaitFor([] { return nbx_stop == 1; }, 3000));
        nbx_stop = 0;
    }
    SUBCASE("WM_CLOSE destroys the image") {
        PostMessageW(w, WM_CLOSE, 0, 0);
        Settle();
        CHECK(nbx_images[16].inUse == 0);
        CHECK_FALSE(IsWindow(w));
    }
    SUBCASE("Ctrl+Q destroys the image") {
        nbxt::PressCtrlKey(w, 'Q');
        Settle();
        CHECK(nbx_images[16].inUse == 0);
        CHECK_FALSE(IsWindow(w));
    }
    if (nbx_images[16].inUse) Destroy(16);
}

TEST_CASE("re-creation keeps place, zoom, stretch mode and palette; clears the buffer")
{
    REQUIRE(Create(18, "again", 60, 70, 80, 60, 200, 8) == 0);
    HWND w = Window(18);
    RECT place = nbxt::WindowRect(w);
    RGBQUAD red = { 0, 0, 255, 0 };
    nbxt::OnUser([&] {
        SetDIBColorTable(nbx_images[18].memDC, 9, 1, &red);
        SetImageStretchMode(HALFTONE, 18);
    });
    nbx_pixels8[18][0] = 9;
    int result = -1;
    // 80 wide at 200 % stays above the system's minimum client width in
    // both code pages, so the zoom is kept as it was.
    REQUIRE(160 >= GetSystemMetrics(SM_CXMIN) - 2 * GetSystemMetrics(SM_CXFRAME));
    nbxt::OnUser([&] { result = RecreateImageWindow(18, 80, 50); });
    REQUIRE(result == 0);
    const ImageRecord &r = nbx_images[18];
    CHECK(r.width == 80);
    CHECK(r.height == 50);
    CHECK(r.zoom == 200);
    CHECK(r.bits == 8);
    RECT now = nbxt::WindowRect(r.window);
    CHECK(now.left == place.left);
    CHECK(now.top == place.top);
    CHECK(nbxt::ClientSize(r.window).cx == 160);
    CHECK(Caption(18) == "again(200%)[8bit]*");
    CHECK(nbx_pixels8[18][0] == 0);
    RGBQUAD kept = {};
    nbxt::OnUser([&] { GetDIBColorTable(nbx_images[18].memDC, 9, 1, &kept); });
    CHECK(kept.rgbRed == 255);
    CHECK(kept.rgbGreen == 0);

    SUBCASE("a size that cannot fit leaves the number free") {
        nbxt::OnUser([&] { result = RecreateImageWindow(18, 1, 50000); });
        CHECK(result == 2);
        CHECK(nbx_images[18].inUse == 0);
    }
    nbxt::OnUser([&] { CHECK(RecreateImageWindow(19, 10, 10) == 1); });
    (void)w;
    if (nbx_images[18].inUse) Destroy(18);
}

TEST_CASE("current image, history and area reads")
{
    REQUIRE(Create(20, "a", 10, 10, 8, 8, 100) == 0);
    REQUIRE(Create(21, "b", 10, 150, 8, 8, 100) == 0);
    CHECK(nbx_curImage == 21);
    CHECK(nbx_imageHistory[0] == 20);

    SUBCASE("find and select by window") {
        nbxt::OnUser([] {
            CHECK(FindImageWindow(nbx_images[20].window) == 20);
            CHECK(FindImageWindow(nbx_mainWindow) == -1);
            CHECK(FindAndSelectImageWindow(nbx_mainWindow) == -1);
            CHECK(nbx_curImage == 21);
            CHECK(FindAndSelectImageWindow(nbx_images[20].window) == 20);
            CHECK(nbx_curImage == 20);
            CHECK(RestoreImage() == 0);
            CHECK(nbx_curImage == 21);
        });
    }
    SUBCASE("nine selects, and a restore onto a destroyed image") {
        nbxt::OnUser([] {
            for (int i = 0; i < 9; i++) SelectImage(i % 2 ? 21 : 20);
            CHECK(nbx_curImage == 20);
            CHECK(SelectImage(22) == 1);
            CHECK(SelectImage(300) == 1);
            CHECK(nbx_curImage == 20);
            NBX_DestroyImage(21);               // the most recent history entry
            int before[8];
            memcpy(before, nbx_imageHistory, sizeof before);
            CHECK(RestoreImage() == 1);
            CHECK(nbx_curImage == 20);
            CHECK(memcmp(before, nbx_imageHistory, sizeof before) == 0);
        });
    }
    SUBCASE("area reads outside, and on a destroyed current image") {
        for (int i = 0; i < 64; i++) nbx_pixels[21][i] = 0x010000 * i + 5;
        nbxt::OnUser([] {
            DWORD out[4] = { 9, 9, 9, 9 };
            CHECK(ReadImageArea(out, -1, 7, 2, 2) == 0);
            CHECK(out[0] == 0);
            CHECK(out[1] == nbx_pixels[21][7 * 8 + 0]);
            CHECK(out[2] == 0);
            CHECK(out[3] == 0);
            CHECK(ClearImage(21) == 0);
            CHECK(nbx_pixels[21][63] == 0);
            NBX_DestroyImage(21);
            CHECK(nbx_curImage == 21);          // names a free record now
            DWORD untouched[1] = { 77 };
            CHECK(ReadImageArea(untouched, 0, 0, 1, 1) == 1);
            CHECK(untouched[0] == 77);
            CHECK(ClearImage(21) == 1);
        });
    }
    for (int n = 20; n <= 21; n++)
        if (nbx_images[n].inUse) Destroy(n);
}

namespace {

// Waits for line input in text window 0 and types one line into it. With
// another prompt following at once, the input flag may never be seen down:
// then only a pause lets the typed line be taken.
bool AnswerPrompt(const char *line, bool last = true)
{
    if (!nbxt::WaitFor([] { return nbx_inputActive == 1 && TextWindowHandle(0) != NULL; }, 5000))
        return false;
    nbxt::TypeText(TextWindowHandle(0), line);
    if (!last) {
        nbxt::Pause(300);
        return true;
    }
    return nbxt::WaitFor([] { return nbx_inputActive == 0; }, 5000);
}

}  // namespace

TEST_CASE("typed zoom and resize ask in text window 0")
{
    REQUIRE(Create(24, "typed", 80, 80, 160, 120, 100) == 0);
    HWND w = Window(24);

    SUBCASE("a typed zoom") {
        nbxt::Command(w, 1046);
        REQUIRE(AnswerPrompt("150\r"));
        CHECK(nbxt::WaitFor([] { return nbx_images[24].zoom == 150; }, 3000));
        CHECK(Caption(24) == "typed(150%)");
        CHECK(nbxt::ClientSize(w).cx == 240);
    }
    SUBCASE("letters give the smallest zoom that reaches the minimum size") {
        nbxt::Command(w, 1046);
        REQUIRE(AnswerPrompt("abc\r"));
        int zw = (int)ceil(MinClientWidth() * 100.0 / 160), zh = (int)ceil(MinClientHeight() * 100.0 / 120);
        int z = zw > zh ? zw : zh;
        CHECK(nbxt::WaitFor([&] { return nbx_images[24].zoom == z; }, 3000));
        CHECK(Caption(24) == "typed(" + std::to_string(z) + "%)");
    }
    SUBCASE("resize re-creates the window with the typed size and clears it") {
        for (int i = 0; i < 160 * 120; i++) nbx_pixels[24][i] = 0xFFFFFF;
        nbxt::Command(w, 1047);
        REQUIRE(AnswerPrompt("300\r", false));
        REQUIRE(AnswerPrompt("200\r"));
        REQUIRE(nbxt::WaitFor([] { return nbx_images[24].inUse && nbx_images[24].width == 300; }, 3000));
        CHECK(nbx_images[24].height == 200);
        CHECK(nbx_images[24].zoom == 100);
        CHECK(Caption(24) == "typed(100%)");
        SIZE c = nbxt::ClientSize(Window(24));
        CHECK(c.cx == 300);
        CHECK(c.cy == 200);
        bool cleared = true;
        for (int i = 0; i < 300 * 200; i++) cleared = cleared && nbx_pixels[24][i] == 0;
        CHECK(cleared);
    }
    SUBCASE("resize to 0 x 0 gives a 1 x 1 image at the minimum window size") {
        nbxt::Command(w, 1047);
        REQUIRE(AnswerPrompt("0\r", false));
        REQUIRE(AnswerPrompt("0\r"));
        REQUIRE(nbxt::WaitFor([] { return nbx_images[24].inUse && nbx_images[24].width == 1; }, 3000));
        CHECK(nbx_images[24].height == 1);
        SIZE c = nbxt::ClientSize(Window(24));
        CHECK(c.cx == (MinClientWidth() > MinClientHeight() ? MinClientWidth() : MinClientHeight()));
    }
    if (nbx_images[24].inUse) Destroy(24);
}

TEST_CASE("a dropped file is loaded with the window made current for the while")
{
    REQUIRE(Create(26, "drop-a", 10, 10, 160, 120, 100) == 0);
    REQUIRE(Create(27, "drop-b", 10, 300, 160, 120, 100) == 0);
    CHECK(nbx_curImage == 27);
    int history[8];
    memcpy(history, nbx_imageHistory, sizeof history);

    const WCHAR files[] = L"Z:\\tmp\\first.bmp\0Z:\\tmp\\second.bmp\0";
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof files);
    DROPFILES *df = (DROPFILES *)GlobalLock(drop);
    df->pFiles = sizeof(DROPFILES);
    df->fWide = TRUE;
    memcpy((char *)df + sizeof(DROPFILES), files, sizeof files);
    GlobalUnlock(drop);
    PostMessageW(Window(26), WM_DROPFILES, (WPARAM)drop, 0);
    Settle();
    CHECK(nbx_curImage == 27);
    // The oldest slot is held twice after a select and restore.
    CHECK(memcmp(history, nbx_imageHistory, 7 * sizeof(int)) == 0);
    CHECK(GetForegroundWindow() == Window(26));
    Destroy(26);
    Destroy(27);
}

TEST_CASE("moving with Ctrl snaps to another image window's edge")
{
    REQUIRE(Create(28, "left", 100, 100, 160, 120, 100) == 0);
    REQUIRE(Create(29, "right", 500, 100, 160, 120, 100) == 0);
    RECT a = nbxt::WindowRect(Window(28));
    RECT b = nbxt::WindowRect(Window(29));
    RECT proposed = b;
    int shift = a.right + 3 - b.left;
    proposed.left += shift;
    proposed.right += shift;
    nbxt::SetCtrlHeld(Window(29), true);
    SendMessageW(Window(29), WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    nbxt::SetCtrlHeld(Window(29), false);
    CHECK(proposed.left == a.right);
    CHECK(proposed.right - proposed.left == b.right - b.left);
    // Moved for real, the table follows (WM_MOVE rebuilds it): snapping now
    // uses the new place of window 28.
    nbxt::OnUser([] { SetWindowPos(nbx_images[28].window, NULL, 100, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
    RECT a2 = nbxt::WindowRect(Window(28));
    proposed = b;
    shift = a2.right + 2 - b.left;
    proposed.left += shift;
    proposed.right += shift;
    proposed.top = a2.top + 1;
    proposed.bottom = proposed.top + (b.bottom - b.top);
    nbxt::SetCtrlHeld(Window(29), true);
    SendMessageW(Window(29), WM_MOVING, WMSZ_LEFT, (LPARAM)&proposed);
    nbxt::SetCtrlHeld(Window(29), false);
    CHECK(proposed.left == a2.right);
    Destroy(28);
    Destroy(29);
}
