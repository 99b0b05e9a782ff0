// Pick tools, the commands built on them, the Pixel readout, clipping and
// the image clipboard under Wine, driven with real mouse messages and the
// real clipboard.
#include "harness.h"
#include "imageproc/imageproc.h"
#include "imageproc/text_logic.h"
#include "imagewin/clipboard.h"
#include "imagewin/imagewin_logic.h"
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include <vector>

using namespace nbxt;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

namespace {

int Create(int n, int w, int h, int bits = 32)
{
    int result = -1;
    OnUser([&] { result = (bits == 8 ? NBX_CreateImage8 : NBX_CreateImage)(n, "pick", 40, 40, w, h, 100); });
    return result;
}
void Destroy(int n) { OnUser([=] { NBX_DestroyImage(n); }); }
HWND Window(int n) { return nbx_images[n].window; }
Canvas View(int n) { return MakeCanvas(nbx_pixels8[n], nbx_images[n].bits, nbx_images[n].width, nbx_images[n].height); }
DWORD At(int n, int x, int y) { return CanvasRead(View(n), x, y); }
std::vector<BYTE> Bytes(int n) { return std::vector<BYTE>(nbx_pixels8[n], nbx_pixels8[n] + ImageBytes(nbx_images[n].bits, nbx_images[n].width, nbx_images[n].height)); }
std::string Status()
{
    std::string s = StatusOf(nbx_mainWindow);
    return s.erase(0, s.find_first_not_of(' '));
}
std::string Resting() { return std::to_string(nbx_colorDepth) + "-bit color"; }
void Fill(int n, DWORD seed)
{
    Canvas c = View(n);
    for (int y = 0; y < c.height; y++)
        for (int x = 0; x < c.width; x++) CanvasStore(c, x, y, (seed * (DWORD)(y * 977 + x * 131 + 7)) & 0xFFFFFF);
}

// Client coordinates that the window turns back into image pixel (x, y)
// at its zoom (100 or more).
int Client(int n, int v) { return (v * nbx_images[n].zoom + 99) / 100; }

// A script of user actions on image n's window, one token each: "m3,4"
// moves there, "c3,4" clicks, "r" right-clicks, "M3,4" moves over image 2
// instead, "s" presses Stop; checks: "!3,4" inverted, "=3,4" as before,
// "p1" / "p2" / "p3" the prompts "Click a point", "Click the first point",
// "Click the second point".
void Play(int n, const char *script, const std::vector<BYTE> &before)
{
    static const char *prompts[] = { "", "Click a point", "Click the first point", "Click the second point" };
    for (const char *t = script; *t;) {
        char op = *t++, *end;
        int x = (int)strtol(t, &end, 10), y = 0;
        if (*end == ',') y = (int)strtol(end + 1, &end, 10);
        t = end;
        CAPTURE(op);
        CAPTURE(x);
        CAPTURE(y);
        Canvas old = MakeCanvas((void *)before.data(), nbx_images[n].bits, nbx_images[n].width, nbx_images[n].height);
        DWORD mask = nbx_images[n].bits == 8 ? 0xFF : 0xFFFFFF;
        int m = op == 'M' ? 2 : n;
        LPARAM at = MAKELPARAM(Client(m, x), Client(m, y));
        switch (op) {
        case 'm': case 'M': PostMessageW(Window(m), WM_MOUSEMOVE, 0, at); break;
        case 'c': PostMessageW(Window(n), WM_LBUTTONDOWN, MK_LBUTTON, at); break;
        case 'r': PostMessageW(Window(n), WM_RBUTTONDOWN, MK_RBUTTON, 0); break;
        case 's': PostMessageW(nbx_mainWindow, WM_COMMAND, 1003, 0); break;
        case '!': CHECK(At(n, x, y) == (CanvasRead(old, x, y) ^ mask)); break;
        case '=': CHECK(At(n, x, y) == CanvasRead(old, x, y)); break;
        case 'p': CHECK(Status() == prompts[x]); break;
        }
        if (op == 's') WaitFor([] { return nbx_stop != 0; });
        if (op != '!' && op != '=' && op != 'p') Settle();
        while (*t == ' ') t++;
    }
}

enum Tool { kPoint, kRow, kColumn, kBlock9, kBlock8, kRect, kLine, kCircle };

int RunTool(Tool tool, int n, int out[4])
{
    switch (tool) {
    case kPoint: return PickPoint(n, &out[0], &out[1]);
    case kRow: return PickRow(n, &out[0], &out[1]);
    case kColumn: return PickColumn(n, &out[0], &out[1]);
    case kBlock9: return PickBlock(n, &out[0], &out[1], 9, 9);
    case kBlock8: return PickBlock(n, &out[0], &out[1], 8, 20);
    case kRect: return PickRect(n, &out[0], &out[1], &out[2], &out[3]);
    case kLine: return PickLine(n, &out[0], &out[1], &out[2], &out[3]);
    case kCircle: return PickCircle(n, &out[0], &out[1], &out[2]);
    }
    return -1;
}

// A command of image n's menu, answered with a script; returns once no tool
// waits any more.
void RunCommand(int n, UINT id, const char *script)
{
    std::vector<BYTE> before = Bytes(n);
    Command(Window(n), id);
    Settle();
    Play(n, script, before);
    CHECK(WaitFor([] { return nbx_pickActive == 0; }, 3000));
    Settle();
}

std::string LogPath() { return std::string(nbx_logDir) + "NUBRIX" + std::to_string(nbx_instance) + "0.LOG"; }

// Puts a block on the clipboard as CF_DIB, as another program would.
void PutDib(const void *block, size_t bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(h), block, bytes);
    GlobalUnlock(h);
    REQUIRE(OpenClipboard(NULL));
    EmptyClipboard();
    SetClipboardData(CF_DIB, h);
    CloseClipboard();
}
}  // namespace

TEST_CASE("pick tools: positions, prompts, inverted feedback, cancel, Stop")
{
    REQUIRE(Create(1, 64, 48) == 0);
    REQUIRE(Create(2, 30, 30) == 0);
    struct Case {
        Tool tool;
        const char *script;
        int result;
        std::vector<int> out;
    } cases[] = {
        { kPoint, "p1 m5,5 =5,5 c5,6", 0, { 5, 6 } },
        { kRow, "p1 m3,10 !0,10 !63,10 =0,11 m3,12 =0,10 !63,12 M3,20 !0,12 =0,20 c7,30", 0, { 7, 30 } },
        { kColumn, "m20,3 !20,0 !20,47 c21,4", 0, { 21, 4 } },
        { kBlock9, "m20,20 !16,16 !24,24 !17,17 !23,17 =18,17 =20,15 c30,31", 0, { 30, 31 } },
        { kBlock8, "m20,20 !16,10 !23,29 =17,11 =22,11 r", 1, {} },
        { kRect, "p2 c40,30 p3 !40,30 m10,5 !10,5 !40,5 =20,20 c10,5", 0, { 10, 40, 5, 30 } },
        { kLine, "c40,30 m10,5 !10,5 !40,30 c10,5", 0, { 40, 30, 10, 5 } },
        { kCircle, "c10,10 m13,14 !15,10 c13,14", 0, { 10, 10, 5 } },
        { kCircle, "c10,10 c12,13", 0, { 10, 10, 4 } },   // 3.6 rounds up
        // A second-stage cancel goes back to the first point; a first-stage
        // cancel ends the tool.
        { kRect, "c40,30 m10,5 r p2 =10,5 =40,30 c20,20 m25,25 !25,25 r r", 1, {} },
        { kLine, "c40,30 m10,5 s", 1, {} },
        { kRow, "m3,10 s", 1, {} },
    };
    for (auto &k : cases) {
        std::string script = k.script;
        CAPTURE(script);
        Fill(1, 0x9E3779B1u + (DWORD)k.tool);
        std::vector<BYTE> before = Bytes(1);
        nbx_pick.moveX = nbx_pick.moveY = 0;
        int out[4] = { -9, -9, -9, -9 }, result = -1;
        Pending *p = OnUserAsync([&] { result = RunTool(k.tool, 1, out); });
        REQUIRE(WaitFor([] { return nbx_pickActive != 0; }));
        CHECK(nbx_curImage == 1);
        Play(1, k.script, before);
        REQUIRE(WaitDone(p, 3000));
        CHECK(result == k.result);
        if (k.result == 0) CHECK(std::vector<int>(out, out + k.out.size()) == k.out);
        CHECK(Bytes(1) == before);   // every piece of feedback erased
        CHECK(Status() == Resting());
        CHECK((nbx_pickActive == 0 && nbx_pick.image == -1));
        nbx_stop = 0;
    }

    // No image 7: result 2, nothing waits and the status line stays.
    int out[4], result = -1;
    SetStatusText("elsewhere");
    OnUser([&] { result = PickRect(7, &out[0], &out[1], &out[2], &out[3]) * 10 + PickPoint(256, &out[0], &out[1]); });
    CHECK((result == 22 && Status() == "elsewhere" && nbx_pickActive == 0));

    // A Stop given before the tool began is not lost to the user program.
    nbx_stop = 1;
    Pending *p = OnUserAsync([&] { result = PickPoint(1, &out[0], &out[1]); });
    REQUIRE(WaitFor([] { return nbx_pickActive != 0; }));
    Settle();
    CHECK(nbx_pickActive == 1);
    Play(1, "c9,8", Bytes(1));
    REQUIRE(WaitDone(p, 3000));
    CHECK((result == 0 && out[0] == 9 && out[1] == 8 && nbx_stop == 1));
    nbx_stop = 0;

    // Closing the image's window ends the tool as a cancel.
    p = OnUserAsync([&] { result = PickRect(1, &out[0], &out[1], &out[2], &out[3]); });
    REQUIRE(WaitFor([] { return nbx_pickActive != 0; }));
    Play(1, "c9,8", Bytes(1));
    PostMessageW(Window(1), WM_CLOSE, 0, 0);
    REQUIRE(WaitDone(p, 3000));
    CHECK((result == 1 && nbx_images[1].inUse == 0 && nbx_pickActive == 0));
    Destroy(2);
}

TEST_CASE("drawing commands draw what the tools gathered; Pick takes the colour")
{
    REQUIRE(Create(3, 40, 30) == 0);
    nbx_drawColor = 0x12AB34;
    struct Case {
        UINT id;
        const char *script;
        void (*draw)(Canvas &);
        const char *typed = nullptr;   // the line a text command asks for
    } cases[] = {
        { 1032, "c30,20 c2,3", [](Canvas &c) { CanvasDrawLine(c, 0x12AB34, 30, 20, 2, 3); } },
        { 1034, "c5,7", [](Canvas &c) { CanvasDrawLine(c, 0x12AB34, 0, 7, 39, 7); } },
        { 1035, "c5,7", [](Canvas &c) { CanvasDrawLine(c, 0x12AB34, 5, 0, 5, 29); } },
        { 1036, "c30,20 c2,3", [](Canvas &c) { CanvasDrawBox(c, 0x12AB34, 2, 3, 30, 20); } },
        { 1037, "c30,20 c2,3", [](Canvas &c) { CanvasFillBox(c, 0x12AB34, 2, 3, 30, 20); } },
        { 1038, "c30,20 c2,3", [](Canvas &c) { CanvasXorFillBox(c, 2, 3, 30, 20); } },
        { 1039, "c20,15 c23,19", [](Canvas &c) { CanvasDrawCircle(c, 0x12AB34, 20, 15, 5); } },
        { 1040, "c20,15 c23,19", [](Canvas &c) { CanvasFillCircle(c, 0x12AB34, 20, 15, 5); } },
        { 1041, "c20,15 c23,19", [](Canvas &c) { CanvasXorFillCircle(c, 20, 15, 5); } },
        { 1043, "c1,1", [](Canvas &c) { CanvasFillBox(c, 0x12AB34, 0, 0, 39, 29); } },
        { 1042, "c10,30", [](Canvas &c) {
              TextCursor cur = { 10, 10, 30 };
              CanvasPutString(c, cur, 0x12AB34, "Ag", [](unsigned char) { return false; });
          }, "Ag" },
        { 1042, "r", [](Canvas &) {} },
        { 1036, "c30,20 r r", [](Canvas &) {} },
        { 1040, "c20,15 s", [](Canvas &) {} },
    };
    for (auto &k : cases) {
        CAPTURE(k.id);
        std::string script = k.script;
        CAPTURE(script);
        OnUser([] { ClearImage(3); });
        std::vector<BYTE> want = Bytes(3);
        Canvas c = MakeCanvas(want.data(), 32, 40, 30);
        k.draw(c);
        RunCommand(3, k.id, k.script);
        if (k.typed) {
            AnswerInput(k.typed);
            Settle();
        }
        CHECK(nbx_inputActive == 0);
        CHECK(Bytes(3) == want);
        nbx_stop = 0;
    }

    // TrueType "Draw": the marked box is one double-width cell; the glyph
    // stays inside it in the TrueType colour.
    OnUser([] { ClearImage(3); });
    nbx_tttc = 0xFF0000;
    RunCommand(3, 1048, "c4,2 c35,25");
    AnswerInput("H");
    Settle();
    LOGFONTW font;
    OnUser([&] { GetObjectW(nbx_ttFont, sizeof font, &font); });
    CHECK((font.lfWidth == 16 && font.lfHeight == 24));
    int inside = 0, outside = 0;
    for (int y = 0; y < 30; y++)
        for (int x = 0; x < 40; x++)
            if (nbx_pixels[3][y * 40 + x] == 0xFF0000) (x >= 4 && x <= 35 && y >= 2 && y <= 25 ? inside : outside)++;
    CHECK(inside > 20);
    CHECK(outside == 0);
    CHECK(nbx_fontBaseY == 25);
    CHECK(nbx_fontCursorX > 4);

    // Pick: 32-bit pixels give both colours; 8-bit ones the index and its
    // palette colour. The built-in font colour stays.
    REQUIRE(Create(4, 40, 30, 8) == 0);
    nbx_pixels8[4][2 * 40 + 3] = 200;
    nbx_pixels[3][5 * 40 + 6] = 0x345678;
    nbx_tc = 0x111111;
    RunCommand(3, 1052, "c6,5");
    CHECK((nbx_drawColor == 0x345678 && nbx_tttc == 0x345678));
    RunCommand(4, 1052, "c3,2");
    CHECK((nbx_drawColor == 200 && nbx_tttc == 0xC8C8C8 && nbx_tc == 0x111111));
    Destroy(3);
    Destroy(4);
}

TEST_CASE("Pixel prints its lines; Clipping opens the marked rectangle as a new image")
{
    DeleteFileA(LogPath().c_str());
    OnUser([] { NBX_OpenTextWindow(0, 600, 0, 300, 200); NBX_StartLog(0); });
    REQUIRE(Create(0, 50, 40) == 0);
    REQUIRE(Create(1, 50, 40, 8) == 0);
    nbx_pixels[0][4 * 50 + 3] = 0xFF0000;
    nbx_pixels8[1][6 * 52 + 5] = 7;
    RunCommand(0, 1015, "c3,4");
    RunCommand(1, 1015, "c5,6");
    RunCommand(1, 1015, "r");
    OnUser([] { NBX_CloseLogs(); });
    CHECK(ReadWholeFile(LogPath().c_str()) ==
          "(X,Y)=(3,4)\r\n(R,G,B)=(255,0,0)\r\n(H,S,V)=(0,255,255)\r\n(Y,Cr,Cb)=(76,128,-42)\r\n"
          "(Y,u,v)=(76,-36,157)\r\n(Y,I,Q)=(76,152,53)\r\n\r\n(X,Y)=(5,6)\r\n(Luminance)=(7)\r\n\r\n");

    // Both depths, the second click up and to the left; an 8-bit source
    // hands its palette on. Images 0 and 1 are in use: the clip is image 2.
    DWORD palette[256];
    for (int i = 0; i < 256; i++) palette[i] = (DWORD)(255 - i) << 16 | (DWORD)i << 8 | (DWORD)(i ^ 0x5A);
    OnUser([&] { SelectImage(1); SetImagePalette(palette, 256); });
    for (int n : { 0, 1 }) {
        CAPTURE(n);
        Fill(n, 0x2545F491u);
        std::vector<BYTE> before = Bytes(n);
        RunCommand(n, 1019, "c19,29 c10,20");
        REQUIRE(nbx_images[2].inUse == 1);
        CHECK((nbx_curImage == 2 && nbx_images[2].bits == nbx_images[n].bits));
        CHECK((std::string(nbx_images[2].title) == "(10,20)-(19,29)" && nbx_images[2].width == 10 && nbx_images[2].height == 10));
        for (int y = 0; y < 10; y++)
            for (int x = 0; x < 10; x++) REQUIRE(At(2, x, y) == At(n, 10 + x, 20 + y));
        DWORD got[256] = { 0 };
        OnUser([&] { GetImagePalette(got); });
        if (n == 1) CHECK(memcmp(got, palette, sizeof got) == 0);
        CHECK(Bytes(n) == before);
        Destroy(2);
    }
    // Over the right edge: the part outside reads black; one click pair on
    // one pixel gives 1 x 1; a cancel opens nothing.
    RunCommand(0, 1019, "c48,0 c52,1");
    REQUIRE(nbx_images[2].inUse == 1);
    CHECK((nbx_images[2].width == 5 && At(2, 1, 1) == At(0, 49, 1) && At(2, 2, 1) == 0 && At(2, 4, 0) == 0));
    Destroy(2);
    RunCommand(0, 1019, "c7,7 c7,7");
    CHECK((nbx_images[2].inUse == 1 && nbx_images[2].width == 1 && nbx_images[2].height == 1 && At(2, 0, 0) == At(0, 7, 7)));
    Destroy(2);
    RunCommand(0, 1019, "c7,7 r r");
    CHECK(nbx_images[2].inUse == 0);
    Destroy(0);
    Destroy(1);
}

TEST_CASE("clipboard: copy, cut and paste round trips, placed paste, foreign and broken blocks")
{
    REQUIRE(Create(5, 5, 2) == 0);
    REQUIRE(Create(6, 5, 2, 8) == 0);
    REQUIRE(Create(7, 64, 64) == 0);
    REQUIRE(Create(8, 64, 64, 8) == 0);
    DWORD palette[256];
    for (int i = 0; i < 256; i++) palette[i] = 0x00F00000u + (DWORD)i * 0x0101u;   // all distinct
    OnUser([&] { SelectImage(6); SetImagePalette(palette, 256); });
    for (int n : { 5, 6 }) {
        CAPTURE(n);
        int target = n + 2;
        Fill(n, 0x51ED270Bu);
        PressCtrlKey(Window(n), 'C');
        Settle();
        OnUser([=] { ClearImage(target); });
        PressCtrlKey(Window(target), 'V');
        Settle();
        for (int y = 0; y < 64; y++)
            for (int x = 0; x < 64; x++) REQUIRE(At(target, x, y) == At(n, x, y));   // 0 beyond 5 x 2
        if (n == 6) {
            DWORD got[256];
            OnUser([&] { SelectImage(8); GetImagePalette(got); });
            CHECK(memcmp(got, palette, sizeof got) == 0);
        }
        // From the menu: centred on the click, clipped at the edge.
        OnUser([=] { ClearImage(target); });
        RunCommand(target, 1013, "m10,10 !8,9 !12,10 c63,32");
        CHECK((At(target, 61, 31) == At(n, 0, 0) && At(target, 63, 32) == At(n, 2, 1) && At(target, 60, 31) == 0));
        std::vector<BYTE> placed = Bytes(target);
        RunCommand(target, 1013, "m10,10 r");
        CHECK(Bytes(target) == placed);
    }

    // Cut leaves the picture on the clipboard and the image black.
    std::vector<BYTE> picture = Bytes(5);
    PressCtrlKey(Window(5), 'X');
    Settle();
    CHECK(std::vector<BYTE>(nbx_images[5].width * nbx_images[5].height * 4, 0) == Bytes(5));
    PressCtrlKey(Window(5), 'V');
    Settle();
    CHECK(Bytes(5) == picture);

    // Blocks of other programs: headers of 108 and 124 bytes with their own
    // masks, a 40-byte one with masks after it, 16-bit 5-6-5; and blocks no
    // reader may trust, which paste nothing.
    struct Foreign {
        DWORD headerSize, compression;
        WORD bitCount;
        DWORD clrUsed;
        std::vector<DWORD> masks;
        std::vector<BYTE> rows;   // 2 x 1
        bool read;
    } foreign[] = {
        { 124, BI_BITFIELDS, 32, 0, { 0xFF000000, 0xFF0000, 0xFF00 }, { 0, 0x56, 0x34, 0x12, 0, 0xCC, 0xBB, 0xAA }, true },
        { 108, BI_RGB, 32, 0, { 0xFF0000, 0xFF00, 0xFF }, { 0x56, 0x34, 0x12, 0, 0xCC, 0xBB, 0xAA, 0 }, true },
        { 40, BI_BITFIELDS, 32, 0, { 0xFF, 0xFF00, 0xFF0000 }, { 0x12, 0x34, 0x56, 0, 0xAA, 0xBB, 0xCC, 0 }, true },
        { 40, BI_BITFIELDS, 16, 0, { 0xF800, 0x07E0, 0x001F }, { 0x00, 0xF8, 0x1F, 0x00 }, true },
        { 40, BI_RGB, 32, 1000, {}, { 1, 2, 3, 0, 4, 5, 6, 0 }, false },
        { 40, BI_BITFIELDS, 32, 0, { 0xFF00FF, 0xFF00, 0xFF }, { 1, 2, 3, 0, 4, 5, 6, 0 }, false },
        { 64, BI_RGB, 32, 0, {}, { 1, 2, 3, 0, 4, 5, 6, 0 }, false },
    };
    const DWORD expect[][2] = { { 0x123456, 0xAABBCC }, { 0x123456, 0xAABBCC }, { 0x123456, 0xAABBCC }, { 0xFF0000, 0x0000FF } };
    for (size_t i = 0; i < sizeof foreign / sizeof *foreign; i++) {
        const Foreign &f = foreign[i];
        CAPTURE(i);
        std::vector<BYTE> block(f.headerSize, 0);
        BITMAPINFOHEADER h = {};
        h.biSize = f.headerSize;
        h.biWidth = 2;
        h.biHeight = 1;
        h.biPlanes = 1;
        h.biBitCount = f.bitCount;
        h.biCompression = f.compression;
        h.biClrUsed = f.clrUsed;
        memcpy(block.data(), &h, sizeof h);
        if (!f.masks.empty()) {   // after a 40-byte header, else inside the header
            if (f.headerSize == 40) block.resize(52);
            memcpy(block.data() + 40, f.masks.data(), 12);
        }
        block.insert(block.end(), f.rows.begin(), f.rows.end());
        PutDib(block.data(), block.size());
        OnUser([] { ClearImage(7); });
        nbx_pixels[7][1] = 0x777777;
        PressCtrlKey(Window(7), 'V');
        Settle();
        if (f.read) CHECK(std::vector<DWORD>{ At(7, 0, 0), At(7, 1, 0) } == std::vector<DWORD>{ expect[i][0], expect[i][1] });
        else CHECK(std::vector<DWORD>{ At(7, 0, 0), At(7, 1, 0) } == std::vector<DWORD>{ 0, 0x777777 });
    }

    // An empty clipboard pastes nothing.
    OpenClipboard(NULL);
    EmptyClipboard();
    CloseClipboard();
    PressCtrlKey(Window(7), 'V');
    Settle();
    CHECK(At(7, 1, 0) == 0x777777);

    // The bitmap of request 9004, filled by GDI as white, arrives as 0x00FFFFFF.
    HDC screen = GetDC(NULL);
    HBITMAP white = CreateCompatibleBitmap(screen, 3, 3);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, white);
    PatBlt(dc, 0, 0, 3, 3, WHITENESS);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
    OnUser([] { SelectImage(7); ClearImage(7); });
    RequestPasteBitmap(white);
    CHECK((nbx_pixels[7][0] == 0xFFFFFF && nbx_pixels[7][2 * 64 + 2] == 0xFFFFFF && nbx_pixels[7][3] == 0));
    BITMAP info;
    CHECK(GetObjectW(white, sizeof info, &info) == 0);
    for (int n : { 5, 6, 7, 8 }) Destroy(n);
}

TEST_CASE("charts: the clicked row or marked block charted as the first free image, which becomes current")
{
    // Image 0: row 5 pure red, 6 grey, 7 white; 8-bit image 2: index 200 on row 3.
    REQUIRE(Create(0, 40, 30) == 0);
    REQUIRE(Create(2, 40, 30, 8) == 0);
    for (int x = 0; x < 40; x++) {
        nbx_pixels[0][5 * 40 + x] = 0xFF0000;
        nbx_pixels[0][6 * 40 + x] = 0x808080;
        nbx_pixels[0][7 * 40 + x] = 0xFFFFFF;
        nbx_pixels8[2][3 * 40 + x] = 200;
    }
    struct Pixel { int x, y; DWORD value; };
    struct Case {
        int source;
        UINT id;
        const char *script, *title;
        int w, h;
        std::vector<Pixel> pixels;
    } cases[] = {
        { 0, 1016, "c3,5", "RGB(Y=5)", 52, 128, { { 12, 0, 0xFF0000 }, { 51, 127, 0x0000FF } } },
        { 0, 1017, "c3,6", "HSV(Y=6)", 52, 128, { { 12, 64, 0x00FFFF }, { 12, 127, 0xFF00FF } } },
        { 0, 1018, "c3,7", "YCrCb(Y=7)", 60, 128, { { 20, 0, 0xFFFFFF }, { 59, 64, 0x8888FF } } },
        { 2, 1070, "c3,3", "Luminance(Y=3)", 52, 128, { { 12, 28, 0xFFFFFF }, { 12, 27, 0 } } },
        // 40 grey pixels make one point, drawn last by pixel 39 in magenta.
        { 0, 1021, "c3,6", "CrCb(Y=6)", 256, 256, { { 128, 128, 0xFF00FF }, { 0, 128, 0x808080 }, { 128, 255, 0x808080 } } },
        // Over the right edge: columns 40..45 read black, at the axis crossing.
        { 0, 1022, "c45,6 c35,5", "CrCb(35,5)-(45,6)", 256, 256, { { 86, 0, 0xFFFFFF }, { 128, 128, 0xFFFFFF }, { 0, 128, 0x808080 } } },
    };
    for (auto &k : cases) {
        CAPTURE(k.id);
        RunCommand(k.source, k.id, k.script);
        REQUIRE(nbx_images[1].inUse == 1);
        CHECK((nbx_curImage == 1 && nbx_images[1].bits == 32));
        CHECK((std::string(nbx_images[1].title) == k.title && nbx_images[1].width == k.w && nbx_images[1].height == k.h));
        for (const Pixel &p : k.pixels) CHECK(At(1, p.x, p.y) == p.value);
        if (k.id == 1016) CHECK(nbx_tc == 0x0000FF);
        Destroy(1);
    }
    RunCommand(0, 1016, "r");
    CHECK(nbx_images[1].inUse == 0);
    Destroy(0);
    Destroy(2);
}
