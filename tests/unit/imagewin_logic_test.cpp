// Image window arithmetic.
#include "doctest_wine.h"
#include "imagewin/imagewin_logic.h"
#include <string.h>
#include <string>
#include <vector>

typedef std::vector<int> V;

TEST_CASE("limits, zoom fitting")
{
    const ImageMetrics xvfb = { 116, 27, 4, 19, 1280, 1024 };
    ImageLimits one = { -7, -7, -7, -7 }, zero = one, other = one;
    LimitsForMode(1, xvfb, &one);
    LimitsForMode(0, xvfb, &zero);
    LimitsForMode(2, xvfb, &other);
    auto v = [](const ImageLimits &l) { return V{ l.minWidth, l.minHeight, l.maxWidth, l.maxHeight }; };
    CHECK((v(one) == V{ 108, 0, 1280, 1005 } && v(zero) == V{ 1, 1, 2560, 2048 } && v(other) == V(4, -7)));
    struct { const ImageLimits &l; int zoom, w, h, z, dw, dh; } cases[] = {   // z 0: none fits
        { one, 150, 640, 480, 150, 960, 720 },
        { one, 111, 160, 120, 111, 177, 133 },          // 177.6 wide
        { one, 100, 10, 10, 1080, 108, 108 },           // raised to the minimum
        { one, 0, 1, 1, 10800, 108, 108 }, { one, 100, 0, -5, 10800, 108, 108 },
        { one, 100, 2000, 1500, 64, 1280, 960 },        // 64 % by width, 67 by height
        { one, 100, 1, 5000, 0, 0, 0 },
        // Raised, too tall: the largest that fits.
        { one, 100, 1, 100, 1005, 108, 1005 },
        { one, 100, 1000000, 1000000, 0, 0, 0 }, { zero, 100, 10, 10, 100, 10, 10 },
    };
    int z, w, h, changed = 0;
    for (auto &c : cases) {
        CAPTURE(&c - cases);
        REQUIRE(FitZoom(c.zoom, c.w, c.h, c.l, &z, &w, &h) == (c.z != 0));
        if (c.z) CHECK((z == c.z && w == c.dw && h == c.dh));
    }
    for (int zoom = 10; zoom <= 250; zoom++)   // rounding changes none
        changed += !FitZoom(zoom, 997, 631, zero, &z, &w, &h) || z != zoom;
    CHECK(changed == 0);
}

TEST_CASE("stretch picks, zoom steps, strides, history, areas")
{
    // The source pixels Wine's StretchBlt picks.
    struct { int src, dst; bool columns; V picks; } cases[] = {
        { 10, 4, true, { 2, 4, 7, 9 } }, { 10, 4, false, { 0, 3, 5, 8 } }, { 10, 1, true, { 8 } }, { 10, 1, false, { 0 } },
        { 4, 5, true, { 0, 1, 1, 2, 3 } }, { 3, 5, false, { 0, 0, 1, 2, 2 } }, { 2, 5, true, { 0, 0, 0, 1, 1 } },
        { 3, 3, false, { 0, 1, 2 } },
    };
    for (auto &c : cases) {
        CAPTURE(&c - cases);
        V picks(c.dst);
        StretchPicks(c.src, c.dst, c.columns, picks.data());
        CHECK(picks == c.picks);
    }
    V half(128);
    StretchPicks(256, 128, true, half.data());
    CHECK((half[0] == 1 && half[127] == 255));   // centred
    CHECK((ZoomStepIn(100) == 111 && ZoomStepIn(111) == 123 && ZoomStepOut(100) == 90 && ZoomStepOut(90) == 81));
    const int strides[][3] = { { 8, 5, 8 }, { 8, 4, 4 }, { 8, 1, 4 }, { 8, 641, 644 }, { 32, 5, 20 } };
    for (auto &s : strides) CHECK(ImageStride(s[0], s[1]) == s[2]);
    // Past 4 GB (`long` is 32-bit on Windows).
    const struct { int bits, w, h; unsigned long long bytes; } sizes[] = {
        { 32, 40000, 40000, 6400000000ULL }, { 8, 65537, 65537, 65540ULL * 65537ULL }, { 32, 32768, 32768, 4294967296ULL } };
    for (auto &s : sizes) CHECK((unsigned long long)ImageBytes(s.bits, s.w, s.h) == s.bytes);
    const int drawable[][3] = { { 23170, 23170, 1 }, { 23171, 23171, 0 }, { 1, 536870911, 1 }, { 1, 536870912, 0 }, { 0x7FFFFFFF, 0x7FFFFFFF, 0 } };
    for (auto &d : drawable) CHECK(BufferDrawable(d[0], d[1]) == (d[2] != 0));
    int history[8] = { 0 }, current = 0;
    for (int n = 1; n <= 9; n++) HistoryPush(history, &current, n);
    CHECK((current == 9 && V(history, history + 8) == V{ 8, 7, 6, 5, 4, 3, 2, 1 }));
    HistoryPop(history, &current);
    CHECK((current == 8 && history[0] == 7 && history[6] == 1 && history[7] == 1));   // oldest held twice
    DWORD pixels[4 * 3], out[6];
    for (int i = 0; i < 12; i++) pixels[i] = 0x100 + i;
    CopyImageArea(pixels, 32, 4, 3, out, -1, 1, 2, 3);   // column -1, row 3 outside
    CHECK(std::vector<DWORD>(out, out + 6) == std::vector<DWORD>{ 0, 0x104, 0, 0x108, 0, 0 });
    CopyImageArea(pixels, 32, 4, 3, out, 3, 2, 2, 1);    // past the right
    CHECK((out[0] == 0x10B && out[1] == 0));
}

TEST_CASE("captions")
{
    std::string title(400, 'T');
    char out[256 + 16];
    memset(out, '#', sizeof out);
    CHECK(FormatImageCaption(out, 256, 1080, title.c_str(), 8, true) == 255);
    CHECK(std::string(out, 256 + 16) == std::string(241, 'T') + "(1080%)[8bit]*" + '\0' + std::string(16, '#'));
    CHECK((FormatImageCaption(out, 6, 100, "title", 32, false) == 5 && std::string(out) == "(100%"));
    // Room for 5 title bytes: two characters under code page 932.
    CHECK(FormatImageCaption(out, 12, 100, "\x82\xA0\x82\xA0\x82\xA0", 32, false) == (GetACP() == 932 ? 10 : 11));
    if (GetACP() != 932) return;
    // 255 bytes: 249 of title before "(100%)", 243 before "(100%)[8bit]".
    const std::string kanji = "\x88\x9f";
    struct { std::string title; int bits; size_t kept; } cases[] = {
        { std::string(246, 'a') + kanji, 32, 248 },          // fits
        { std::string(242, 'a') + kanji + kanji, 8, 242 },   // across the limit: goes
        { std::string(241, 'a') + kanji + kanji, 8, 243 },   // ends at it: stays
        { std::string(20, 'a') + kanji[0], 32, 20 } };       // lone lead byte
    for (auto &c : cases) {
        CAPTURE(c.title.size());
        int len = FormatImageCaption(out, 256, 100, c.title.c_str(), c.bits, false);
        CHECK((len == (int)strlen(out) && out == c.title.substr(0, c.kept) + (c.bits == 8 ? "(100%)[8bit]" : "(100%)")));
    }
}
