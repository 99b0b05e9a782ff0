// Image windows: zoom fitting, zoom steps, buffer layout, the current-image
// history, area reads and captions, on plain values.
#include "doctest_wine.h"
#include "imagewin/imagewin_logic.h"
#include <string.h>
#include <string>
#include <vector>

// The metrics seen under Xvfb 1280 x 1024.
static const ImageMetrics kXvfb = { 116, 27, 4, 19, 1280, 1024 };

static ImageLimits Limits(int mode)
{
    ImageLimits l = { -7, -7, -7, -7 };
    LimitsForMode(mode, kXvfb, &l);
    return l;
}

TEST_CASE("window limits of both modes; other modes keep the old limits")
{
    ImageLimits one = Limits(1);
    CHECK(one.minWidth == 116 - 8);
    CHECK(one.minHeight == 27 - 8 - 19);
    CHECK(one.maxWidth == 1280);
    CHECK(one.maxHeight == 1024 - 19);
    ImageLimits zero = Limits(0);
    CHECK(zero.minWidth == 1);
    CHECK(zero.minHeight == 1);
    CHECK(zero.maxWidth == 2560);
    CHECK(zero.maxHeight == 2048);
    ImageLimits other = Limits(2);
    CHECK(other.minWidth == -7);
    CHECK(other.maxHeight == -7);
}

TEST_CASE("zoom fitting")
{
    const ImageLimits l = Limits(1);
    int z = 0, w = 0, h = 0;

    SUBCASE("a zoom that fits is kept") {
        REQUIRE(FitZoom(100, 640, 480, l, &z, &w, &h));
        CHECK(z == 100); CHECK(w == 640); CHECK(h == 480);
        REQUIRE(FitZoom(150, 640, 480, l, &z, &w, &h));
        CHECK(z == 150); CHECK(w == 960); CHECK(h == 720);
    }
    SUBCASE("the keypad steps survive fitting exactly") {
        // 160 x 111 / 100 is 177.6: the zoom must stay 111, not drop to 110.
        REQUIRE(FitZoom(111, 160, 120, l, &z, &w, &h));
        CHECK(z == 111); CHECK(w == 177); CHECK(h == 133);
        REQUIRE(FitZoom(123, 160, 120, l, &z, &w, &h));
        CHECK(z == 123);
        for (int zoom = 10; zoom <= 250; zoom++) {
            REQUIRE(FitZoom(zoom, 997, 631, Limits(0), &z, &w, &h));
            CHECK(z == zoom);
        }
    }
    SUBCASE("10 x 10 is raised to the minimum width") {
        REQUIRE(FitZoom(100, 10, 10, l, &z, &w, &h));
        CHECK(z == 1080);                  // ceil(108 * 100 / 10)
        CHECK(w == 108);
        CHECK(h == 108);
        CHECK(w >= l.minWidth);
    }
    SUBCASE("an image larger than the screen is reduced, keeping the aspect") {
        REQUIRE(FitZoom(100, 2000, 1500, l, &z, &w, &h));
        // width allows 64 %, height 67 %: the smaller wins.
        CHECK(z == 64);
        CHECK(w == 1280);
        CHECK(h == 960);
        REQUIRE(FitZoom(300, 640, 480, l, &z, &w, &h));
        CHECK(z == 200);
        CHECK(w == 1280);
        CHECK(h == 960);
    }
    SUBCASE("a 1 x 1 image at zoom 0 gets the minimum size") {
        REQUIRE(FitZoom(0, 1, 1, l, &z, &w, &h));
        CHECK(z == 10800);
        CHECK(w == 108);
        CHECK(h == 108);
    }
    SUBCASE("sizes below 1 count as 1") {
        int z2, w2, h2;
        REQUIRE(FitZoom(100, 0, -5, l, &z, &w, &h));
        REQUIRE(FitZoom(100, 1, 1, l, &z2, &w2, &h2));
        CHECK(z == z2); CHECK(w == w2); CHECK(h == h2);
    }
    SUBCASE("no zoom fits a long thin image") {
        // Raised to the minimum width, the height no longer fits.
        CHECK_FALSE(FitZoom(100, 1, 5000, l, &z, &w, &h));
        CHECK_FALSE(FitZoom(100, 1000000, 1000000, l, &z, &w, &h));
    }
    SUBCASE("mode 0 allows twice the screen and 1 x 1") {
        const ImageLimits l0 = Limits(0);
        REQUIRE(FitZoom(100, 2000, 1500, l0, &z, &w, &h));
        CHECK(z == 100);
        REQUIRE(FitZoom(100, 10, 10, l0, &z, &w, &h));
        CHECK(z == 100);
        CHECK(w == 10);
    }
}

TEST_CASE("keypad and wheel zoom steps")
{
    CHECK(ZoomStepIn(100) == 111);
    CHECK(ZoomStepIn(111) == 123);
    CHECK(ZoomStepOut(100) == 90);
    CHECK(ZoomStepOut(90) == 81);
}

TEST_CASE("8-bit strides and buffer sizes")
{
    CHECK(ImageStride(8, 5) == 8);
    CHECK(ImageStride(8, 4) == 4);
    CHECK(ImageStride(8, 1) == 4);
    CHECK(ImageStride(8, 641) == 644);
    CHECK(ImageStride(32, 5) == 20);
    CHECK(ImageBytes(8, 5, 3) == 24);
    CHECK(ImageBytes(32, 640, 480) == 640u * 480u * 4u);

    // Pixel (0, 1) of a 5-wide 8-bit image is byte 8.
    unsigned char pixels[24];
    memset(pixels, 0, sizeof pixels);
    pixels[8] = 77;
    unsigned char out[1];
    CopyImageArea(pixels, 8, 5, 3, out, 0, 1, 1, 1);
    CHECK(out[0] == 77);
}

TEST_CASE("current-image history")
{
    int history[8] = { 0 };
    int current = 0;

    SUBCASE("nine selects drop the oldest earlier current number") {
        for (int n = 1; n <= 9; n++) HistoryPush(history, &current, n);
        CHECK(current == 9);
        // Earlier current numbers were 0..8; 0 is gone.
        for (int i = 0; i < 8; i++) CHECK(history[i] == 8 - i);
    }
    SUBCASE("a pop gives the previous number back and keeps the oldest slot") {
        for (int n = 1; n <= 9; n++) HistoryPush(history, &current, n);
        HistoryPop(history, &current);
        CHECK(current == 8);
        CHECK(history[0] == 7);
        CHECK(history[6] == 1);
        CHECK(history[7] == 1);
    }
    SUBCASE("push then pop is a round trip") {
        current = 3;
        HistoryPush(history, &current, 12);
        CHECK(current == 12);
        HistoryPop(history, &current);
        CHECK(current == 3);
    }
}

TEST_CASE("area reads")
{
    const int W = 4, H = 3;
    DWORD pixels[W * H];
    for (int i = 0; i < W * H; i++) pixels[i] = 0x100 + i;

    SUBCASE("inside") {
        DWORD out[4];
        CopyImageArea(pixels, 32, W, H, out, 1, 1, 2, 2);
        CHECK(out[0] == 0x105); CHECK(out[1] == 0x106);
        CHECK(out[2] == 0x109); CHECK(out[3] == 0x10A);
    }
    SUBCASE("x = -1 reads 0 in the first column of every row") {
        DWORD out[6];
        memset(out, 0xEE, sizeof out);
        CopyImageArea(pixels, 32, W, H, out, -1, 0, 2, 3);
        for (int j = 0; j < 3; j++) {
            CHECK(out[j * 2] == 0);
            CHECK(out[j * 2 + 1] == (DWORD)(0x100 + j * W));
        }
    }
    SUBCASE("beyond the right and bottom edges reads 0") {
        DWORD out[4];
        CopyImageArea(pixels, 32, W, H, out, 3, 2, 2, 2);
        CHECK(out[0] == 0x10B);
        CHECK(out[1] == 0); CHECK(out[2] == 0); CHECK(out[3] == 0);
    }
    SUBCASE("8-bit rows are packed without padding") {
        unsigned char bytes[8 * 2];          // width 5, stride 8
        for (int i = 0; i < 16; i++) bytes[i] = (unsigned char)i;
        unsigned char out[10];
        CopyImageArea(bytes, 8, 5, 2, out, 0, 0, 5, 2);
        for (int i = 0; i < 5; i++) {
            CHECK(out[i] == i);
            CHECK(out[5 + i] == 8 + i);
        }
        unsigned char outside[2];
        CopyImageArea(bytes, 8, 5, 2, outside, 5, 0, 2, 1);   // padding is outside
        CHECK(outside[0] == 0);
        CHECK(outside[1] == 0);
    }
}

TEST_CASE("captions")
{
    char out[256];
    FormatImageCaption(out, 256, 100, "NUBRIX window", 32, false);
    CHECK(std::string(out) == "NUBRIX window(100%)");
    FormatImageCaption(out, 256, 81, "gray", 8, false);
    CHECK(std::string(out) == "gray(81%)[8bit]");
    FormatImageCaption(out, 256, 200, "a", 8, true);
    CHECK(std::string(out) == "a(200%)[8bit]*");

    SUBCASE("a long title is cut, the zoom and the mark stay") {
        std::string title(400, 'T');
        std::vector<char> guarded(256 + 16, '#');
        int len = FormatImageCaption(guarded.data(), 256, 1080, title.c_str(), 8, true);
        CHECK(len == 255);
        CHECK(lstrlenA(guarded.data()) == 255);
        std::string s(guarded.data());
        CHECK(s.substr(s.size() - 15) == "T(1080%)[8bit]*");
        for (int i = 256; i < 256 + 16; i++) CHECK(guarded[i] == '#');
    }
    SUBCASE("a tiny buffer still terminates") {
        char tiny[6];
        memset(tiny, '#', sizeof tiny);
        FormatImageCaption(tiny, 6, 100, "title", 32, false);
        CHECK(lstrlenA(tiny) == 5);
    }
}
