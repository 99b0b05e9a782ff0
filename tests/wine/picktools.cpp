// Pick tools and their commands, Pixel, clipping, charts and the clipboard,
// by real mouse messages.
#include "imagekit.h"
#include "imagewin/clipboard.h"
#include <stdio.h>
#include <sstream>

using namespace nbxt;
using namespace ik;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

namespace {

string Status()
{
    string s = StatusOf(nbx_mainWindow);
    return s.erase(0, s.find_first_not_of(' '));
}
// Tokens on image n: "m3,4" moves there ("M3,4" over image 2), "c3,4" clicks,
// "r" right-clicks, "s" Stop, "x" closes, "tAg" answers a prompt with "Ag".
// Checks: "!3,4" inverted from start, "=3,4" as there, "p1".."p3" the prompt.
void Play(int n, const char *script, const vector<BYTE> &start)
{
    static const char *prompts[] = { "", "Click a point", "Click the first point", "Click the second point" };
    const ImageRecord &r = nbx_images[n];
    Canvas old = MakeCanvas((void *)start.data(), r.bits, r.width, r.height);
    std::istringstream in(script);
    for (string t; in >> t;) {
        CAPTURE(t);
        int x = 0, y = 0, z = nbx_images[t[0] == 'M' ? 2 : n].zoom;
        sscanf(t.c_str() + 1, "%d,%d", &x, &y);
        LPARAM at = MAKELPARAM((x * z + 99) / 100, (y * z + 99) / 100);
        switch (t[0]) {
        case 'm': case 'M': PostMessageW(Window(t[0] == 'M' ? 2 : n), WM_MOUSEMOVE, 0, at); break;
        case 'c': PostMessageW(Window(n), WM_LBUTTONDOWN, MK_LBUTTON, at); break;
        case 'r': PostMessageW(Window(n), WM_RBUTTONDOWN, MK_RBUTTON, 0); break;
        case 'x': PostMessageW(Window(n), WM_CLOSE, 0, 0); break;
        case 's': Command(nbx_mainWindow, 1003); UNTIL(nbx_stop); break;
        case 't': AnswerInput(t.c_str() + 1); break;
        case '!': CHECK(At(n, x, y) == (CanvasRead(old, x, y) ^ (r.bits == 8 ? 0xFF : 0xFFFFFF))); continue;
        case '=': CHECK(At(n, x, y) == CanvasRead(old, x, y)); continue;
        case 'p': CHECK(Status() == prompts[x]); continue;
        }
        Settle();
    }
}

// Image n's menu command, answered by a script; returns once no tool waits.
void Cmd(int n, UINT id, const char *script)
{
    vector<BYTE> before = Bytes(n);
    Command(Window(n), id);
    Settle();
    Play(n, script, before);
    CHECK(UNTIL(!nbx_pickActive));
    Settle();
}

int Tool(char t, int *o)
{
    return t == 'p' ? PickPoint(1, o, o + 1) : t == 'r' ? PickRow(1, o, o + 1) : t == 'b' ? PickBlock(1, o, o + 1, 8, 20)
         : t == 'R' ? PickRect(1, o, o + 1, o + 2, o + 3) : PickLine(1, o, o + 1, o + 2, o + 3);
}

}  // namespace

TEST_CASE("pick tools")
{
    REQUIRE((Create(1, 64, 48) == 0 && Create(2, 30, 30) == 0));
    struct { char tool; const char *script; int result; vector<int> out; int stop; } cases[] = {
        { 'p', "p1 m5,5 =5,5 c5,6", 0, { 5, 6 } },
        { 'r', "p1 m3,10 !0,10 !63,10 =0,11 m3,12 =0,10 !63,12 M3,20 !0,12 =0,20 c7,30", 0, { 7, 30 } },
        { 'b', "m20,20 !16,10 !23,29 =17,11 =22,11 r", 1, {} },
        { 'R', "p2 c40,30 p3 !40,30 m10,5 !10,5 !40,5 =20,20 c10,5", 0, { 10, 40, 5, 30 } },
        { 'l', "c40,30 m10,5 !10,5 !40,30 c10,5", 0, { 40, 30, 10, 5 } },
        // A second-stage cancel goes back to the first point; a first-stage one ends the tool.
        { 'R', "c40,30 m10,5 r p2 =10,5 =40,30 c20,20 m25,25 !25,25 r r", 1, {} },
        { 'l', "c40,30 m10,5 s", 1, {} },
        { 'p', "c9,8", 0, { 9, 8 }, 1 },   // Stop given before the tool began: not lost to the user program
        { 'R', "c9,8 x", 1, {} },
    };
    for (auto &k : cases) {
        CAPTURE(k.script);
        Fill(1, 0x9E3779B1u + (DWORD)k.tool);
        auto before = Bytes(1);
        nbx_pick.moveX = nbx_pick.moveY = 0;
        nbx_stop = k.stop;
        int out[4] = { -9, -9, -9, -9 }, result = -1;
        Pending *p = OnUserAsync([&] { result = Tool(k.tool, out); });
        REQUIRE(UNTIL(nbx_pickActive && nbx_curImage == 1));
        Play(1, k.script, before);
        REQUIRE(WaitDone(p, 3000));
        CHECK((result == k.result && nbx_pickActive == 0 && nbx_pick.image == -1));
        CHECK((!nbx_images[1].inUse || Bytes(1) == before));   // feedback erased
        if (result == 0) CHECK(vector<int>(out, out + k.out.size()) == k.out);
        CHECK((Status() == to_string(nbx_colorDepth) + "-bit color" && nbx_stop >= k.stop));
        nbx_stop = 0;
    }
    CHECK(nbx_images[1].inUse == 0);

    // No such image: 2, nothing waits, the status line stays.
    int o[4];
    SetStatusText("x");
    CHECK((Get([&] { return PickRect(7, o, o + 1, o + 2, o + 3) * 10 + PickPoint(256, o, o + 1); }) == 22 && Status() == "x" && !nbx_pickActive));
    Destroy(2);
}

TEST_CASE("drawing commands; Pick")
{
    REQUIRE(Create(3, 40, 30) == 0);
    constexpr DWORD ink = 0x12AB34;
    nbx_drawColor = ink;
    const char *box = "c30,20 c2,3", *ring = "c20,15 c23,19";
    struct { UINT id; const char *script; void (*draw)(Canvas); } cases[] = {
        { 1032, box, [](Canvas c) { CanvasDrawLine(c, ink, 30, 20, 2, 3); } },
        { 1034, "c5,7", [](Canvas c) { CanvasDrawLine(c, ink, 0, 7, 39, 7); } },
        { 1035, "c5,7", [](Canvas c) { CanvasDrawLine(c, ink, 5, 0, 5, 29); } },
        { 1036, box, [](Canvas c) { CanvasDrawBox(c, ink, 2, 3, 30, 20); } },
        { 1037, box, [](Canvas c) { CanvasFillBox(c, ink, 2, 3, 30, 20); } },
        { 1038, box, [](Canvas c) { CanvasXorFillBox(c, 2, 3, 30, 20); } },
        { 1039, ring, [](Canvas c) { CanvasDrawCircle(c, ink, 20, 15, 5); } },
        { 1040, ring, [](Canvas c) { CanvasFillCircle(c, ink, 20, 15, 5); } },
        { 1041, ring, [](Canvas c) { CanvasXorFillCircle(c, 20, 15, 5); } },
        { 1043, "c1,1", [](Canvas c) { CanvasFillBox(c, ink, 0, 0, 39, 29); } },
        { 1042, "c10,30 tAg", [](Canvas c) {
             TextCursor at = { 10, 10, 30 };
             CanvasPutString(c, at, ink, "Ag", IsShiftJisLead);
         } },
        { 1042, "r" }, { 1036, "c30,20 r r" }, { 1040, "c20,15 s" },   // nothing drawn
    };
    for (auto &k : cases) {
        CAPTURE(k.id);
        OnUser([] { ClearImage(3); });
        auto want = Bytes(3);
        if (k.draw) k.draw(MakeCanvas(want.data(), 32, 40, 30));
        Cmd(3, k.id, k.script);
        CHECK((nbx_inputActive == 0 && Bytes(3) == want));
        nbx_stop = 0;
    }

    // TrueType "Draw": the glyph in its colour inside the marked box, on its bottom line.
    OnUser([] { ClearImage(3); });
    nbx_tttc = 0xFF0000;
    Cmd(3, 1048, "c4,2 c35,25 tH");
    int in = 0, out = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++)
            if (At(3, x, y) == 0xFF0000) (x >= 4 && x <= 35 && y >= 2 && y <= 25 ? in : out)++;
    CHECK((in > 20 && out == 0 && nbx_fontBaseY == 25 && nbx_fontCursorX > 4));

    // Pick: an 8-bit pixel gives its index and palette colour; the font colour stays.
    REQUIRE(Create(4, 40, 30, 8) == 0);
    nbx_pixels8[4][2 * 40 + 3] = 200;
    nbx_pixels[3][5 * 40 + 6] = 0x345678;
    nbx_tc = 0x111111;
    Cmd(3, 1052, "c6,5");
    CHECK((nbx_drawColor == 0x345678 && nbx_tttc == 0x345678));
    Cmd(4, 1052, "c3,2");
    CHECK((nbx_drawColor == 200 && nbx_tttc == 0xC8C8C8 && nbx_tc == 0x111111));
    for (int n : { 3, 4 }) Destroy(n);
}

TEST_CASE("Pixel, Clipping, charts")
{
    DeleteFileA(LogPath(0).c_str());
    OnUser([] { NBX_OpenTextWindow(0, 600, 0, 300, 200); NBX_StartLog(0); });
    REQUIRE((Create(0, 50, 40) == 0 && Create(1, 50, 40, 8) == 0));
    nbx_pixels[0][4 * 50 + 3] = 0xFF0000;
    nbx_pixels8[1][6 * 52 + 5] = 7;
    Cmd(0, 1015, "c3,4");
    Cmd(1, 1015, "c5,6");
    Cmd(1, 1015, "r");
    OnUser([] { NBX_CloseLogs(); });
    CHECK(LogText(0) == "(X,Y)=(3,4)\r\n(R,G,B)=(255,0,0)\r\n(H,S,V)=(0,255,255)\r\n(Y,Cr,Cb)=(76,128,-42)\r\n"
                        "(Y,u,v)=(76,-36,157)\r\n(Y,I,Q)=(76,152,53)\r\n\r\n(X,Y)=(5,6)\r\n(Luminance)=(7)\r\n\r\n");

    // Clips and charts become image 2, the first free: a clip with the
    // source's depth and palette, black beyond the source; a chart 32-bit.
    vector<DWORD> pal(256);
    for (int i = 0; i < 256; i++) pal[i] = (DWORD)(255 - i) << 16 | (DWORD)i << 8 | (DWORD)(i ^ 0x5A);
    SetPalette(1, pal.data());
    Fill(0, 0x2545F491u);
    Fill(1, 0x2545F491u);
    for (int x = 0; x < 50; x++) {   // image 0: row 5 red, 6 grey; image 1: index 200 on row 3
        nbx_pixels[0][5 * 50 + x] = 0xFF0000;
        nbx_pixels[0][6 * 50 + x] = 0x808080;
        nbx_pixels8[1][3 * 52 + x] = 200;
    }
    // A chart's px: x, y, value.
    struct { int n; UINT id; const char *script, *title; int w, h; vector<DWORD> px; } cases[] = {
        { 0, 1019, "c19,29 c10,20", "(10,20)-(19,29)", 10, 10 }, { 1, 1019, "c19,29 c10,20", "(10,20)-(19,29)", 10, 10 },
        { 0, 1019, "c48,0 c52,1", "(48,0)-(52,1)", 5, 2 }, { 0, 1019, "c7,7 c7,7", "(7,7)-(7,7)", 1, 1 },
        { 0, 1019, "c7,7 r r", "" },
        { 0, 1016, "c3,5", "RGB(Y=5)", 62, 128, { 12, 0, 0xFF0000, 61, 127, 0x0000FF } },
        { 1, 1070, "c3,3", "Luminance(Y=3)", 62, 128, { 12, 28, 0xFFFFFF, 12, 27, 0 } },
        // Columns 50..55 lie outside and read black, at the axis crossing.
        { 0, 1022, "c55,6 c45,5", "CrCb(45,5)-(55,6)", 256, 256, { 86, 0, 0xFFFFFF, 128, 128, 0xFFFFFF } },
        { 0, 1016, "r", "" },
    };
    for (auto &k : cases) {
        CAPTURE(k.title);
        auto before = Bytes(k.n);
        Cmd(k.n, k.id, k.script);
        CHECK(Bytes(k.n) == before);
        REQUIRE(nbx_images[2].inUse == (k.w > 0));
        if (!k.w) continue;
        const ImageRecord &r = nbx_images[2];
        bool clip = k.id == 1019;
        CHECK((nbx_curImage == 2 && r.bits == (clip ? nbx_images[k.n].bits : 32) && r.title == string(k.title)));
        CHECK((r.width == k.w && r.height == k.h && (k.n == 0 || !clip || Palette(2) == pal) && (k.id != 1016 || nbx_tc == 0x0000FF)));
        int l = 0, t = 0;
        sscanf(k.title, "(%d,%d)", &l, &t);
        for (int y = 0; clip && y < k.h; y++)
            for (int x = 0; x < k.w; x++) REQUIRE(At(2, x, y) == (l + x < 50 ? At(k.n, l + x, t + y) : 0));
        for (size_t i = 0; i < k.px.size(); i += 3) CHECK(At(2, k.px[i], k.px[i + 1]) == k.px[i + 2]);
        Destroy(2);
    }
    for (int n : { 0, 1 }) Destroy(n);
}

TEST_CASE("clipboard")
{
    REQUIRE((Create(5, 5, 2) == 0 && Create(6, 5, 2, 8) == 0 && Create(7, 64, 64) == 0 && Create(8, 64, 64, 8) == 0));
    vector<DWORD> pal(256);
    for (int i = 0; i < 256; i++) pal[i] = 0x00F00000u + (DWORD)i * 0x0101u;
    SetPalette(6, pal.data());
    auto ctrl = [](int n, char key) { PressCtrlKey(Window(n), key); Settle(); };
    for (int n : { 5, 6 }) {
        CAPTURE(n);
        int t = n + 2;
        Fill(n, 0x51ED270Bu);
        ctrl(n, 'C');
        OnUser([=] { ClearImage(t); });
        ctrl(t, 'V');
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++) REQUIRE(At(t, x, y) == At(n, x, y));   // 0 beyond 5 x 2
        CHECK((n == 5 || Palette(8) == pal));
        // From the menu: centred on the click, clipped at the edge.
        OnUser([=] { ClearImage(t); });
        Cmd(t, 1013, "m10,10 !8,9 !12,10 c63,32");
        CHECK((At(t, 61, 31) == At(n, 0, 0) && At(t, 63, 32) == At(n, 2, 1) && At(t, 60, 31) == 0));
        auto placed = Bytes(t);
        Cmd(t, 1013, "m10,10 r");
        CHECK(Bytes(t) == placed);
    }
    auto picture = Bytes(5);
    ctrl(5, 'X');
    CHECK(Bytes(5) == vector<BYTE>(40, 0));
    ctrl(5, 'V');
    CHECK(Bytes(5) == picture);

    CHECK((OpenClipboard(NULL) && EmptyClipboard() && CloseClipboard()));   // an empty one pastes nothing
    auto kept = Bytes(7);
    ctrl(7, 'V');
    CHECK(Bytes(7) == kept);

    // Request 9004's bitmap, all bytes set, arrives as 0x00FFFFFF and is deleted.
    vector<DWORD> ones(9, ~0u);
    HBITMAP white = CreateBitmap(3, 3, 1, 32, ones.data());
    OnUser([] { SelectImage(7); ClearImage(7); });
    RequestPasteBitmap(white);
    BITMAP info;
    CHECK((nbx_pixels[7][0] == 0xFFFFFF && nbx_pixels[7][2 * 64 + 2] == 0xFFFFFF && nbx_pixels[7][3] == 0 && !GetObjectW(white, sizeof info, &info)));
    for (int n : { 5, 6, 7, 8 }) Destroy(n);
}
