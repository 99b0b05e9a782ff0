// The click-driven tools' geometry and the clipboard's CF_DIB blocks on
// plain buffers; every block is read with a guard page right behind it.
#include "doctest_wine.h"
#include "imageproc/picktools_logic.h"
#include "imagewin/clipboard_logic.h"
#include <string.h>
#include <vector>

namespace {

int Inverted(const std::vector<DWORD> &pixels)
{
    int n = 0;
    for (DWORD p : pixels) n += p == 0xFFFFFF;
    return n;
}

// A block copied so that its last byte is the last one before a page that
// faults on any access.
struct Guarded {
    BYTE *pages;
    SYSTEM_INFO si;
    Guarded() {
        GetSystemInfo(&si);
        pages = (BYTE *)VirtualAlloc(NULL, 2 * si.dwPageSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        VirtualProtect(pages + si.dwPageSize, si.dwPageSize, PAGE_NOACCESS, &old);
    }
    ~Guarded() { VirtualFree(pages, 0, MEM_RELEASE); }
    const BYTE *Place(const std::vector<BYTE> &block) {
        BYTE *at = pages + si.dwPageSize - block.size();
        memcpy(at, block.data(), block.size());
        return at;
    }
};

std::vector<BYTE> Block(DWORD size, LONG w, LONG h, WORD bits, DWORD compression, DWORD clrUsed, size_t total,
                        std::vector<DWORD> masks = {})
{
    std::vector<BYTE> b(total, 0x5A);
    BITMAPINFOHEADER hd = {};
    hd.biSize = size;
    hd.biWidth = w;
    hd.biHeight = h;
    hd.biPlanes = 1;
    hd.biBitCount = bits;
    hd.biCompression = compression;
    hd.biClrUsed = clrUsed;
    memcpy(b.data(), &hd, total < sizeof hd ? total : sizeof hd);
    if (!masks.empty()) memcpy(b.data() + 40, masks.data(), 12);
    return b;
}

}  // namespace

TEST_CASE("block frame, its diagonals and the rubber-band radius")
{
    struct { int mx, my, bw, bh, left, top, right, bottom; bool diag; int inverted; } frames[] = {
        { 20, 20, 8, 20, 16, 10, 23, 29, false, 52 },
        { 20, 20, 9, 9, 16, 16, 24, 24, true, 44 },    // the diagonals cross once, cancelling there
        { 20, 20, 9, 8, 16, 16, 24, 23, false, 30 },
        { 0, 0, 5, 2, -2, -1, 2, 0, false, 3 },        // clipped at the corner
    };
    for (auto &f : frames) {
        CAPTURE(f.bw);
        CAPTURE(f.bh);
        PickFrame r = BlockFrame(f.mx, f.my, f.bw, f.bh);
        CHECK(std::vector<int>{ r.left, r.top, r.right, r.bottom, r.diagonals } ==
              std::vector<int>{ f.left, f.top, f.right, f.bottom, f.diag });
        std::vector<DWORD> pixels(48 * 40, 0);
        Canvas c = MakeCanvas(pixels.data(), 32, 48, 40);
        PickFeedback fb = { kShapeBlock, 0, 0, f.mx, f.my, f.bw, f.bh };
        InvertPickFeedback(c, fb);
        CHECK(Inverted(pixels) == f.inverted);
        if (f.diag) CHECK((pixels[17 * 48 + 17] == 0xFFFFFF && pixels[17 * 48 + 23] == 0xFFFFFF));
        InvertPickFeedback(c, fb);
        CHECK(Inverted(pixels) == 0);
    }
    struct { int dx, dy, r; } radii[] = { { 3, 4, 5 }, { 1, 1, 1 }, { -1, -2, 2 }, { 2, 3, 4 }, { 0, 0, 0 }, { 5, 5, 7 }, { 1, 3, 3 } };
    for (auto &k : radii) CHECK(CircleRadius(k.dx, k.dy) == k.r);
}

TEST_CASE("copy blocks: 5 x 2 layouts, rows bottom-up, read back exactly")
{
    Guarded guard;
    DWORD pixels[10], palette[256];
    for (int i = 0; i < 10; i++) pixels[i] = 0xAB000000u | (DWORD)(i * 0x010203 + 0x102030);
    for (int i = 0; i < 256; i++) palette[i] = (DWORD)i * 0x030201;
    BYTE indexes[16] = { 1, 2, 3, 4, 5, 9, 9, 9, 6, 7, 8, 9, 10, 9, 9, 9 };
    struct { int bits; void *buffer; size_t bytes; int rowBytes; } cases[] = { { 32, pixels, 72, 16 }, { 8, indexes, 1080, 8 } };
    for (auto &k : cases) {
        CAPTURE(k.bits);
        Canvas c = MakeCanvas(k.buffer, k.bits, 5, 2);
        REQUIRE(DibBlockBytes(k.bits, 5, 2) == k.bytes);
        std::vector<BYTE> block(k.bytes, 0xEE);
        WriteDibBlock(c, palette, block.data());
        DibView v;
        REQUIRE(ReadDibBlock(guard.Place(block), block.size(), &v));
        CHECK(std::vector<int>{ (int)v.info.header.biSize, v.info.header.biWidth, v.info.header.biHeight, v.info.header.biBitCount,
                                (int)v.info.header.biCompression, v.colorCount, (int)v.rowBytes } ==
              std::vector<int>{ 40, 5, 2, k.bits == 8 ? 8 : 24, 0, k.bits == 8 ? 256 : 0, 2 * k.rowBytes });
        const BYTE *bottom = v.rows, *top = v.rows + k.rowBytes;   // image row 1, then row 0
        if (k.bits == 32) {
            CHECK(std::vector<BYTE>(bottom, bottom + 4) == std::vector<BYTE>{ 0x3F, 0x2A, 0x15, 0x42 });   // (0,1) B G R, (1,1) B
            CHECK(std::vector<BYTE>(top + 12, top + 16) == std::vector<BYTE>{ 0x3C, 0x28, 0x14, 0 });        // (4,0), padding 0
        } else {
            CHECK(memcmp(v.info.colors, palette, 1024) == 0);
            CHECK(std::vector<BYTE>(bottom, bottom + 8) == std::vector<BYTE>{ 6, 7, 8, 9, 10, 0, 0, 0 });
            CHECK(std::vector<BYTE>(top, top + 5) == std::vector<BYTE>{ 1, 2, 3, 4, 5 });
        }
    }
}

TEST_CASE("foreign blocks: refused or read exactly, never beyond their end")
{
    Guarded guard;
    struct Case {
        const char *what;
        std::vector<BYTE> block;
        bool read;
        int colors;
        size_t rowsAt;
    };
    std::vector<Case> cases = {
        { "24-bit 3 x 2", Block(40, 3, 2, 24, BI_RGB, 0, 40 + 24), true, 0, 40 },
        { "one byte short", Block(40, 3, 2, 24, BI_RGB, 0, 40 + 23), false, 0, 0 },
        { "shorter than a header", Block(40, 3, 2, 24, BI_RGB, 0, 39), false, 0, 0 },
        { "top-down", Block(40, 3, -2, 24, BI_RGB, 0, 40 + 24), true, 0, 40 },
        { "height INT_MIN", Block(40, 3, (LONG)0x80000000, 24, BI_RGB, 0, 4096), false, 0, 0 },
        { "width 0", Block(40, 0, 2, 24, BI_RGB, 0, 64), false, 0, 0 },
        { "width negative", Block(40, -3, 2, 24, BI_RGB, 0, 64), false, 0, 0 },
        { "width x height overflows", Block(40, 0x10000, 0x10001, 32, BI_RGB, 0, 64), false, 0, 0 },
        { "huge width, one row", Block(40, 0x7FFFFFFF, 1, 32, BI_RGB, 0, 64), false, 0, 0 },
        { "8-bit, full table", Block(40, 4, 1, 8, BI_RGB, 0, 40 + 1024 + 4), true, 256, 1064 },
        { "8-bit, table cut", Block(40, 4, 1, 8, BI_RGB, 0, 40 + 1020 + 4), false, 0, 0 },
        { "8-bit, 3 colours used", Block(40, 4, 1, 8, BI_RGB, 3, 40 + 12 + 4), true, 3, 52 },
        { "more than 256 colours", Block(40, 4, 1, 8, BI_RGB, 257, 40 + 1028 + 4), false, 0, 0 },
        { "1-bit", Block(40, 9, 2, 1, BI_RGB, 0, 40 + 8 + 8), true, 2, 48 },
        { "4-bit", Block(40, 3, 1, 4, BI_RGB, 0, 40 + 64 + 4), true, 16, 104 },
        { "24-bit with 2 colours used", Block(40, 1, 1, 24, BI_RGB, 2, 40 + 8 + 4), true, 0, 48 },
        { "bit count 2", Block(40, 4, 1, 2, BI_RGB, 0, 200), false, 0, 0 },
        { "bit count 0", Block(40, 4, 1, 0, BI_RGB, 0, 200), false, 0, 0 },
        { "RLE8", Block(40, 4, 1, 8, BI_RLE8, 0, 2000), false, 0, 0 },
        { "header size 12", Block(12, 4, 1, 24, BI_RGB, 0, 200), false, 0, 0 },
        { "header size 64", Block(64, 4, 1, 24, BI_RGB, 0, 200), false, 0, 0 },
        { "header 124, 32-bit", Block(124, 2, 1, 32, BI_RGB, 0, 124 + 8), true, 0, 124 },
        { "header 124 beyond the block", Block(124, 1, 1, 32, BI_RGB, 0, 100), false, 0, 0 },
        { "header 108, 24-bit", Block(108, 1, 1, 24, BI_RGB, 0, 108 + 4), true, 0, 108 },
        { "bit fields after a 40-byte header", Block(40, 2, 1, 32, BI_BITFIELDS, 0, 52 + 8, { 0xFF0000, 0xFF00, 0xFF }), true, 0, 52 },
        { "bit fields, rows cut", Block(40, 2, 1, 32, BI_BITFIELDS, 0, 52 + 7, { 0xFF0000, 0xFF00, 0xFF }), false, 0, 0 },
        { "bit fields, masks cut", Block(40, 1, 1, 32, BI_BITFIELDS, 0, 48), false, 0, 0 },
        { "bit fields inside a 124-byte header", Block(124, 2, 1, 16, BI_BITFIELDS, 0, 124 + 4, { 0xF800, 0x07E0, 0x001F }), true, 0, 124 },
        { "bit fields on 24 bits", Block(40, 1, 1, 24, BI_BITFIELDS, 0, 64, { 0xFF0000, 0xFF00, 0xFF }), false, 0, 0 },
        { "bit fields, overlapping", Block(40, 1, 1, 32, BI_BITFIELDS, 0, 64, { 0xFF0000, 0xFFFF00, 0xFF }), false, 0, 0 },
        { "bit fields, a gap in a mask", Block(40, 1, 1, 32, BI_BITFIELDS, 0, 64, { 0xFF0000, 0xF0F0, 0xF }), false, 0, 0 },
        { "bit fields, an empty mask", Block(40, 1, 1, 32, BI_BITFIELDS, 0, 64, { 0xFF0000, 0, 0xFF }), false, 0, 0 },
        { "bit fields, 16 bits with a mask above them", Block(40, 2, 1, 16, BI_BITFIELDS, 0, 64, { 0x1F0000, 0x07E0, 0x001F }), false, 0, 0 },
        { "two planes", Block(40, 1, 1, 24, BI_RGB, 0, 64), false, 0, 0 },
    };
    cases.back().block[12] = 2;   // biPlanes
    for (auto &k : cases) {
        CAPTURE(k.what);
        const BYTE *at = guard.Place(k.block);
        DibView v;
        REQUIRE(ReadDibBlock(at, k.block.size(), &v) == k.read);
        if (!k.read) continue;
        CHECK((v.colorCount == k.colors && v.rows == at + k.rowsAt && v.info.header.biSize == 40));
        CHECK(memcmp(v.info.colors, at + (k.rowsAt - 4 * k.colors), 4 * k.colors) == 0);
        unsigned sum = 0;   // every row byte the reader hands on lies within the block
        for (size_t i = 0; i < v.rowBytes; i++) sum += v.rows[i];
        CHECK(v.rows + v.rowBytes <= at + k.block.size());
        CHECK(sum > 0);
    }
}
