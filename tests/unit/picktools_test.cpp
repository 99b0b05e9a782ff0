// Pick tool geometry and CF_DIB blocks, read before a guard page.
#include "doctest_wine.h"
#include "dib32.h"
#include "imageproc/picktools_logic.h"
#include "imagewin/clipboard_logic.h"
#include <algorithm>

namespace {

typedef std::vector<int> V;

// Places a block to end where a no-access page starts.
struct Guarded {
    BYTE *pages = (BYTE *)VirtualAlloc(NULL, 8192, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    DWORD old;
    Guarded() { VirtualProtect(pages + 4096, 4096, PAGE_NOACCESS, &old); }
    ~Guarded() { VirtualFree(pages, 0, MEM_RELEASE); }
    const BYTE *Place(const std::vector<BYTE> &b) { return (const BYTE *)memcpy(pages + 4096 - b.size(), b.data(), b.size()); }
};

}  // namespace

TEST_CASE("block frame, radius")
{
    struct { int mx, my, bw, bh, left, top, right, bottom, diag, inverted; } frames[] = {
        { 20, 20, 8, 20, 16, 10, 23, 29, 0, 52 },
        { 20, 20, 9, 9, 16, 16, 24, 24, 1, 44 },   // diagonals cross, cancelling
        { 20, 20, 9, 8, 16, 16, 24, 23, 0, 30 },
        { 0, 0, 5, 2, -2, -1, 2, 0, 0, 3 },        // clipped
    };
    for (auto &f : frames) {
        CAPTURE(&f - frames);
        PickFrame r = BlockFrame(f.mx, f.my, f.bw, f.bh);
        CHECK(V{ r.left, r.top, r.right, r.bottom, r.diagonals } == V{ f.left, f.top, f.right, f.bottom, f.diag });
        std::vector<DWORD> px(48 * 40, 0);
        Canvas c = MakeCanvas(px.data(), 32, 48, 40);
        PickFeedback fb = { kShapeBlock, 0, 0, f.mx, f.my, f.bw, f.bh };
        InvertPickFeedback(c, fb);
        CHECK(std::count(px.begin(), px.end(), 0xFFFFFF) == f.inverted);
        CHECK((!f.diag || (px[17 * 48 + 17] == 0xFFFFFF && px[17 * 48 + 23] == 0xFFFFFF)));
        InvertPickFeedback(c, fb);
        CHECK(std::count(px.begin(), px.end(), 0) == 48 * 40);
    }
    const int radii[][3] = { { 3, 4, 5 }, { 1, 1, 1 }, { -1, -2, 2 }, { 2, 3, 4 }, { 0, 0, 0 }, { 5, 5, 7 }, { 1, 3, 3 } };
    for (auto &k : radii) CHECK(CircleRadius(k[0], k[1]) == k[2]);
}

TEST_CASE("copy and foreign blocks")
{
    Guarded guard;
    DWORD px[10], palette[256];
    for (int i = 0; i < 10; i++) px[i] = 0xAB000000u | (DWORD)(i * 0x010203 + 0x102030);
    for (int i = 0; i < 256; i++) palette[i] = (DWORD)i * 0x030201;
    BYTE indexes[16] = { 1, 2, 3, 4, 5, 9, 9, 9, 6, 7, 8, 9, 10, 9, 9, 9 };
    // 5 x 2, bottom-up: (0,1) B G R, (1,1) B; row 0 from byte topAt: (4,0) B G R, padding.
    struct { int bits; void *buffer; size_t bytes; int rowBytes; std::vector<BYTE> bottom; int topAt; std::vector<BYTE> top; } cases[] = {
        { 32, px, 72, 16, { 0x3F, 0x2A, 0x15, 0x42 }, 12, { 0x3C, 0x28, 0x14, 0 } },
        { 8, indexes, 1080, 8, { 6, 7, 8, 9, 10, 0, 0, 0 }, 0, { 1, 2, 3, 4, 5 } },
    };
    for (auto &k : cases) {
        CAPTURE(k.bits);
        Canvas c = MakeCanvas(k.buffer, k.bits, 5, 2);
        REQUIRE(DibBlockBytes(k.bits, 5, 2) == k.bytes);
        std::vector<BYTE> block(k.bytes, 0xEE);
        WriteDibBlock(c, palette, block.data());
        DibView v;
        REQUIRE(ReadDibBlock(guard.Place(block), block.size(), &v));
        const BITMAPINFOHEADER &h = v.info.header;
        CHECK(V{ (int)h.biSize, h.biWidth, h.biHeight, h.biBitCount, (int)h.biCompression, v.colorCount, (int)v.rowBytes } ==
              V{ 40, 5, 2, k.bits == 8 ? 8 : 24, 0, k.bits == 8 ? 256 : 0, 2 * k.rowBytes });
        CHECK(std::equal(k.bottom.begin(), k.bottom.end(), v.rows));
        CHECK(std::equal(k.top.begin(), k.top.end(), v.rows + k.rowBytes + k.topAt));
        CHECK((k.bits == 32 || memcmp(v.info.colors, palette, 1024) == 0));
    }
    const std::vector<DWORD> rgb = { 0xFF0000, 0xFF00, 0xFF };
    // Header size, w, h, bits, bytes: read, colours, rows at; compression, used, masks.
    struct { DWORD size; LONG w, h; WORD bits; size_t total; bool read; int colors; size_t rowsAt; DWORD comp = BI_RGB, used = 0; std::vector<DWORD> masks; } foreign[] = {
        { 40, 3, 2, 24, 64, true, 0, 40 }, { 40, 3, 2, 24, 63 }, { 40, 3, 2, 24, 39 }, { 40, 3, -2, 24, 64, true, 0, 40 },
        { 40, 3, (LONG)0x80000000, 24, 4096 }, { 40, 0, 2, 24, 64 }, { 40, 0x10000, 0x10001, 32, 64 }, { 40, 0x7FFFFFFF, 1, 32, 64 },
        // 8 bits: whole table, cut short, 3 used, 257; 1 bit; 24 with 2 colours.
        { 40, 4, 1, 8, 1068, true, 256, 1064 }, { 40, 4, 1, 8, 1064 }, { 40, 4, 1, 8, 56, true, 3, 52, BI_RGB, 3 },
        { 40, 4, 1, 8, 1072, false, 0, 0, BI_RGB, 257 }, { 40, 9, 2, 1, 56, true, 2, 48 }, { 40, 1, 1, 24, 52, true, 0, 48, BI_RGB, 2 },
        // 2 bits, RLE8, headers 12, 124 (room or not), 108.
        { 40, 4, 1, 2, 200 }, { 40, 4, 1, 8, 2000, false, 0, 0, BI_RLE8 }, { 12, 4, 1, 24, 200 }, { 124, 2, 1, 32, 132, true, 0, 124 },
        { 124, 1, 1, 32, 100 }, { 108, 1, 1, 24, 112, true, 0, 108 },
        // Bit fields after 40 bytes (whole, rows cut, masks cut), in 124, on 24 bits; bad masks.
        { 40, 2, 1, 32, 60, true, 0, 52, BI_BITFIELDS, 0, rgb }, { 40, 2, 1, 32, 59, false, 0, 0, BI_BITFIELDS, 0, rgb },
        { 40, 1, 1, 32, 48, false, 0, 0, BI_BITFIELDS }, { 124, 2, 1, 16, 128, true, 0, 124, BI_BITFIELDS, 0, { 0xF800, 0x07E0, 0x001F } },
        { 40, 1, 1, 24, 64, false, 0, 0, BI_BITFIELDS, 0, rgb }, { 40, 1, 1, 32, 64, false, 0, 0, BI_BITFIELDS, 0, { 0xFF0000, 0xFFFF00, 0xFF } },
        { 40, 2, 1, 16, 64, false, 0, 0, BI_BITFIELDS, 0, { 0x1F0000, 0x07E0, 0x001F } },
    };
    for (size_t i = 0; i <= sizeof foreign / sizeof *foreign; i++) {
        CAPTURE(i);
        bool planes = i == sizeof foreign / sizeof *foreign;   // last: 2 planes
        const auto &k = foreign[planes ? 0 : i];
        std::vector<BYTE> block = DibBlock(k.size, k.w, k.h, k.bits, k.comp, k.used, k.total, k.masks);
        block[12] = planes ? 2 : 1;
        const BYTE *at = guard.Place(block);
        DibView v;
        REQUIRE(ReadDibBlock(at, block.size(), &v) == (k.read && !planes));
        if (!k.read || planes) continue;
        CHECK((v.colorCount == k.colors && v.rows == at + k.rowsAt && v.info.header.biSize == 40));
        CHECK(memcmp(v.info.colors, at + (k.rowsAt - 4 * k.colors), 4 * k.colors) == 0);
        unsigned sum = 0;   // every row byte is readable
        for (size_t b = 0; b < v.rowBytes; b++) sum += v.rows[b];
        CHECK((v.rows + v.rowBytes <= at + block.size() && sum > 0));
    }
}
