// Image windows through the request channel: the main window's side asks
// (requests 9001, 9002, 9003, 9004) while the user thread idles before Start
// and carries them out. The driver thread stands in for the main thread.
#include "harness.h"
#include <string.h>
#include <string>
#include <vector>

void UserInit(void) { nbxt::BeginDriver(false); }
void UserMain(void) { nbxt::ServeUser(); }

namespace {

std::string Caption(int n) { return nbxt::WindowTextA(nbx_images[n].window); }

void DestroyAll()
{
    nbxt::OnUser([] {
        for (int n = 0; n < 256; n++) NBX_DestroyImage(n);
    });
}

}  // namespace

TEST_CASE("request 9001 creates image windows on the user thread")
{
    REQUIRE(nbx_running == 0);
    CHECK(RequestCreateImage(30, "req", 200, 150, 32) == 0);
    REQUIRE(nbx_images[30].inUse == 1);
    HWND w = nbx_images[30].window;
    CHECK(GetWindowThreadProcessId(w, NULL) == nbx_userThreadId);
    CHECK(nbx_images[30].zoom == 100);
    CHECK(Caption(30) == "req(100%)");
    SIZE c = nbxt::ClientSize(w);
    CHECK(c.cx == 200);
    CHECK(c.cy == 150);
    CHECK(nbx_curImage == 30);
    CHECK(nbx_done == 1);
    CHECK(nbx_request == 0);

    CHECK(RequestCreateImage(30, "again", 20, 20, 32) == 1);
    CHECK(nbx_images[30].window == w);
    CHECK(RequestCreateImage(256, "big", 20, 20, 32) == 4);
    CHECK(RequestCreateImage(31, "deep", 20, 20, 24) == 3);
    CHECK(nbx_images[31].inUse == 0);
    CHECK(RequestCreateImage(31, "thin", 1, 50000, 32) == 2);
    CHECK(RequestCreateImage(31, "gray", 200, 150, 8) == 0);
    CHECK(Caption(31) == "gray(100%)[8bit]");
    DestroyAll();
}

TEST_CASE("request 9002 redraws without waiting")
{
    REQUIRE(RequestCreateImage(32, "redraw", 200, 150, 32) == 0);
    for (int i = 0; i < 200 * 150; i++) nbx_pixels[32][i] = 0x2080C0;
    RequestRedrawImage(32);
    CHECK(nbx_done == 1);             // the done flag is never cleared for 9002
    CHECK(nbxt::WaitFor([] {
        std::vector<DWORD> shown = nbxt::GrabClient(nbx_images[32].window);
        if (shown.size() != 200u * 150u) return false;
        for (DWORD p : shown) if (p != 0x2080C0) return false;
        return true;
    }, 3000));
    // A following request first waits for the redraw to be taken.
    CHECK(RequestCreateImage(33, "next", 200, 150, 32) == 0);
    DestroyAll();
}

TEST_CASE("request 9004 copies a bitmap into the current image and deletes it")
{
    REQUIRE(RequestCreateImage(34, "paste", 200, 150, 32) == 0);
    REQUIRE(nbx_curImage == 34);
    HDC screen = GetDC(NULL);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 20, 10);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
    RECT all = { 0, 0, 20, 10 };
    FillRect(dc, &all, red);
    SelectObject(dc, old);
    DeleteObject(red);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);

    RequestPasteBitmap(bitmap);
    const DWORD *p = nbx_pixels[34];
    CHECK(p[0] == 0xFF0000);
    CHECK(p[9 * 200 + 19] == 0xFF0000);
    CHECK(p[9 * 200 + 20] == 0);
    CHECK(p[10 * 200] == 0);
    BITMAP info;
    CHECK(GetObjectW(bitmap, sizeof info, &info) == 0);   // deleted
    DestroyAll();
}

TEST_CASE("request 9003 acts on the named image and gives the current one back")
{
    REQUIRE(RequestCreateImage(35, "load", 200, 150, 32) == 0);
    REQUIRE(RequestCreateImage(36, "other", 200, 150, 32) == 0);
    REQUIRE(nbx_curImage == 36);
    RequestLoadImageFile(35, "Z:\\nonexistent\\none.bmp");
    CHECK(nbx_curImage == 36);
    CHECK(nbx_imageHistory[0] == 35);
    DestroyAll();
}
