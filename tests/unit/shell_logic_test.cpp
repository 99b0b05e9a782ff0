// Snapping, status line, clock, window numbers, the request channel.
#include "doctest_wine.h"
#include "shell/nbx_internal.h"
#include "shell/shell_logic.h"
#include <string.h>
#include <string>

static std::string Snapped(const EdgeTable &t, RECT current, RECT r)
{
    SnapRectToEdges(&t, &current, &r);
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," + std::to_string(r.bottom);
}

TEST_CASE("snapping")
{
    EdgeTable t;
    EdgeTableClear(&t);
    EdgeTableAdd(&t, 100, 100, 300, 400);
    EdgeTableAddWalls(&t, 1280, 1054);
    EdgeTableAdd(&t, 0, 600, 200, 700);
    EdgeTableAdd(&t, 0, 600, 203, 700);
    const RECT away = { 900, 900, 950, 950 };
    struct { RECT r; const char *snapped; } cases[] = {
        { { 305, 200, 405, 300 }, "300,200,400,300" },    // 5 px: snaps
        { { 308, 200, 408, 300 }, "308,200,408,300" },    // 8 px: not
        { { -7, 200, 93, 300 }, "0,200,100,300" },        // a wall, 7 px out
        { { 297, 104, 397, 204 }, "300,100,400,200" },    // beside, then tops
        { { 303, 104, 403, 204 }, "300,104,400,204" },    // a gap: beside
        { { 298, 295, 398, 397 }, "300,298,400,400" },    // bottoms
        { { 104, 398, 204, 498 }, "100,400,200,500" },    // stacked, then lefts
        { { 104, 406, 204, 506 }, "104,400,204,500" },    // 6 px gap: stacked
        { { 150, 0, 250, 96 }, "150,4,250,100" },         // 4 px above
        { { 600, 5, 700, 105 }, "600,0,700,100" },
        { { 1183, 300, 1283, 400 }, "1180,300,1280,400" },
        { { 3, 950, 103, 1050 }, "0,954,100,1054" },      // a corner
        { { 205, 650, 305, 690 }, "200,650,300,690" },    // the earlier wins
    };
    for (auto &c : cases) CHECK(Snapped(t, away, c.r) == c.snapped);
    const RECT self = { 100, 100, 300, 400 };
    CHECK(Snapped(t, self, { 103, 103, 303, 403 }) == "103,103,303,403");

    EdgeTableClear(&t);
    for (int i = 0; i < 300; i++) EdgeTableAdd(&t, i, i, i + 1, i + 1);
    CHECK((t.count == 260 && t.left[259] == 259));
}

static volatile LONG running, paused, served, cleared, stale;

static DWORD WINAPI Servicer(LPVOID)
{
    for (; running; Sleep(1)) {
        if (paused || !nbx_request) continue;
        if (nbx_request != NBX_REQ_REDRAW_IMAGE) (nbx_done ? stale : cleared) = 1;
        ServiceRequest();
        InterlockedIncrement(&served);
    }
    return 0;
}

static DWORD WINAPI PostCreate(LPVOID result)
{
    *(volatile int *)result = RequestCreateImage(400, "y", 1, 1, 8);
    return 0;
}

TEST_CASE("status, clock, drops, numbers")
{
    const size_t dbcs = GetACP() == 932;   // 88 9F: one character
    struct { std::string text; int blanks; size_t length; } cases[] = {
        { "Ready", 16, 21 }, { "32-bit color", 12, 24 }, { "", 18, 18 },
        { std::string(50, 'x'), 0, 50 }, { std::string(100, 'y'), 0, 63 },
        { std::string(62, 'y') + "\x88\x9F", 0, 63 - dbcs }, { "abc\x88", 16, 20 - dbcs } };
    char out[64];
    for (auto &c : cases) CHECK(std::string((FormatStatusText(c.text.c_str(), out), out)) == (std::string(c.blanks, ' ') + c.text).substr(0, c.length));
    struct { const char *text; int max; UINT codePage; int kept; } cuts[] = {
        { "ab\x88\x9F", 9, 932, 4 }, { "ab\x88\x9F", 3, 932, 2 }, { "ab\x88", 9, 932, 2 },
        { "ab\x88\x9F", 3, 1252, 3 }, { "ab\x88", 9, 1252, 3 } };
    for (auto &c : cuts) {
        strcpy(out, c.text);
        CHECK_MESSAGE((NbxCutAnsi(out, c.max, c.codePage) == c.kept && (int)strlen(out) == c.kept), (&c - cuts));
    }
    // A start after now is long ago.
    CHECK((MsecElapsed(100, 50) == 50u && MsecElapsed(5, -10) == 15u && MsecElapsed((int)0x80000005, 0x7FFFFFFB) == 10u && MsecElapsed(10, 20) > 2000u));
    int sum = 0;
    for (int d : kDropOffsets) sum += d;
    CHECK(sum == 55);
    bool open[3] = { true, false, true };
    CHECK((LowestFreeNumber(open, 3) == 1 && LowestFreeNumber(open, 1) == -1));
    auto create = [](int n) { return n == 0 || n == 2 ? 1 : n == 5 ? 2 : 0; };   // 0, 2 in use, 5 too big
    std::string got;
    for (int next = 0, file = 0; file < 5; file++) got += std::to_string(CreateAtNextFree(&next, false, create)) + " ";
    CHECK(got == "1 3 4 -1 6 ");
    int next = 0;
    CHECK(CreateAtNextFree(&next, true, [](int n) { return n < 255 ? 2 : 0; }) == 255);
}

TEST_CASE("request channel")
{
    running = 1;
    HANDLE servicer = CreateThread(NULL, 0, Servicer, NULL, 0, NULL);
    CHECK(RequestCreateImage(300, "x", 10, 10, 32) == 4);   // 256 and up: 4
    CHECK((nbx_request == 0 && nbx_done == 1 && cleared == 1 && stale == 0));

    paused = 1;
    LONG before = served;
    RequestRedrawImage(999);                 // returns at once
    CHECK((nbx_request == NBX_REQ_REDRAW_IMAGE && nbx_done == 1));
    volatile int result = -1;
    HANDLE poster = CreateThread(NULL, 0, PostCreate, (LPVOID)&result, 0, NULL);
    CHECK((WaitForSingleObject(poster, 100) == WAIT_TIMEOUT && result == -1));   // waits behind the redraw
    paused = 0;
    CHECK((WaitForSingleObject(poster, 5000) == WAIT_OBJECT_0 && result == 4 && served - before == 2));
    running = 0;
    WaitForSingleObject(servicer, 5000);
    nbx_quit = 1;
    CHECK(RequestCreateImage(5, "z", 1, 1, 32) == 4);
    nbx_quit = nbx_request = 0;
    nbx_done = 1;
}
