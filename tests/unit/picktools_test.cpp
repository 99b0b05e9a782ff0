// The pick tools' geometry and the clipboard's CF_DIB blocks on plain
// buffers; every block is read with a guard page right behind it.
#include "doctest_wine.h"
#include "dib32.h"
#include "imageproc/picktools_logic.h"
#include "imagewin/clipboard_logic.h"
#include <algorithm>

namespace {

// Copies a block so that its last byte is the last before a page that faults on any access.
struct Guarded {
    BYTE *pages;
    DWORD page;
    Guarded()
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        page = si.dwPageSize;
        pages = (BYTE *)VirtualAlloc(NULL, 2 * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        DWORD old;
        VirtualProtect(pages + page, page, PAGE_NOACCESS, &old);
    }
    ~Guarded() { VirtualFree(pages, 0, MEM_RELEASE); }
    const BYTE *Place(const std::vector<BYTE> &block)
    {
        return (const BYTE *)memcpy(pages + page - block.size(), block.data(), block.size());
    }
};

}  // namespace

TEST_CASE("block frame, its diagonals and the rubber-band radius")
{
    struct { int mx, my, bw, bh, left, top, right, bottom, diag, inverted; } frames[] = {
        { 20, 20, 8, 20, 16, 10, 23, 29, 0, 52 },
        { 20, 20, 9, 9, 16, 16, 24, 24, 1, 44 },   // the diagonals cross once, cancelling there
        { 20, 20, 9, 8, 16, 16, 24, 23, 0, 30 },
        { 0, 0, 5, 2, -2, -1, 2, 0, 0, 3 },        // clipped at the corner
    };
    for (auto &f : frames) {
        CAPTURE(f.bw); CAPTURE(f.bh);
        PickFrame r = BlockFrame(f.mx, f.my, f.bw, f.bh);
        CHECK(std::vector<int>{ r.left, r.top, r.right, r.bottom, r.diagonals } == std::vector<int>{ f.left, f.top, f.right, f.bottom, f.diag });
        std::vector<DWORD> pixels(48 * 40, 0);
        Canvas c = MakeCanvas(pixels.data(), 32, 48, 40);
        PickFeedback fb = { kShapeBlock, 0, 0, f.mx, f.my, f.bw, f.bh };
        InvertPickFeedback(c, fb);
        CHECK(std::count(pixels.begin(), pixels.end(), 0xFFFFFF) == f.inverted);
        CHECK((!f.diag || (pixels[17 * 48 + 17] == 0xFFFFFF && pixels[17 * 48 + 23] == 0xFFFFFF)));
        InvertPickFeedback(c, fb);
        CHECK(std::count(pixels.begin(), pixels.end(), 0) == 48 * 40);
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
    // Image row 1 first: (0,1) B G R, (1,1) B; then row 0 from byte topAt: (4,0) B G R and padding.
    struct { int bits; void *buffer; size_t bytes; int rowBytes; std::vector<BYTE> bottom; int topAt; std::vector<BYTE> top; } cases[] = {
        { 32, pixels, 72, 16, { 0x3F, 0x2A, 0x15, 0x42 }, 12, { 0x3C, 0x28, 0x14, 0 } },
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
        CHECK(std::vector<int>{ (int)h.biSize, h.biWidth, h.biHeight, h.biBitCount, (int)h.biCompression, v.colorCount, (int)v.rowBytes } ==
              std::vector<int>{ 40, 5, 2, k.bits == 8 ? 8 : 24, 0, k.bits == 8 ? 256 : 0, 2 * k.rowBytes });
        CHECK(std::equal(k.bottom.begin(), k.bottom.end(), v.rows));
        CHECK(std::equal(k.top.begin(), k.top.end(), v.rows + k.rowBytes + k.topAt));
        CHECK((k.bits == 32 || memcmp(v.info.colors, palette, 1024) == 0));
    }
}

TEST_CASE("foreign blocks: refused or read exactly, never beyond their end")
{
    Guarded guard;
    const std::vector<DWORD> rgb = { 0xFF0000, 0xFF00, 0xFF };
    // Header size, width, height, bits, compression, colours used, bytes, masks:
    // read or not, colours, where the rows start.
    struct { DWORD size; LONG w, h; WORD bits; DWORD compression, clrUsed; size_t total; std::vector<DWORD> masks; bool read; int colors; size_t rowsAt; } cases[] = {
        { 40, 3, 2, 24, BI_RGB, 0, 64, {}, true, 0, 40 }, { 40, 3, 2, 24, BI_RGB, 0, 63, {}, false },
        { 40, 3, 2, 24, BI_RGB, 0, 39, {}, false }, { 40, 3, -2, 24, BI_RGB, 0, 64, {}, true, 0, 40 },
        { 40, 3, (LONG)0x80000000, 24, BI_RGB, 0, 4096, {}, false }, { 40, 0, 2, 24, BI_RGB, 0, 64, {}, false },
        { 40, 0x10000, 0x10001, 32, BI_RGB, 0, 64, {}, false },
        { 40, 0x7FFFFFFF, 1, 32, BI_RGB, 0, 64, {}, false },
        // 8-bit with the whole table, one cut short, 3 colours used, 257; 1 bit; 24 with 2 colours.
        { 40, 4, 1, 8, BI_RGB, 0, 1068, {}, true, 256, 1064 }, { 40, 4, 1, 8, BI_RGB, 0, 1064, {}, false },
        { 40, 4, 1, 8, BI_RGB, 3, 56, {}, true, 3, 52 }, { 40, 4, 1, 8, BI_RGB, 257, 1072, {}, false },
        { 40, 9, 2, 1, BI_RGB, 0, 56, {}, true, 2, 48 }, { 40, 1, 1, 24, BI_RGB, 2, 52, {}, true, 0, 48 },
        // Bit count 2, RLE8, header sizes 12, 124 (with and without room), 108.
        { 40, 4, 1, 2, BI_RGB, 0, 200, {}, false }, { 40, 4, 1, 8, BI_RLE8, 0, 2000, {}, false },
        { 12, 4, 1, 24, BI_RGB, 0, 200, {}, false }, { 124, 2, 1, 32, BI_RGB, 0, 132, {}, true, 0, 124 },
        { 124, 1, 1, 32, BI_RGB, 0, 100, {}, false }, { 108, 1, 1, 24, BI_RGB, 0, 112, {}, true, 0, 108 },
        // Bit fields after a 40-byte header (whole, rows cut, masks cut), in a 124-byte one, on 24 bits;
        // masks overlapping, above 16 bits.
        { 40, 2, 1, 32, BI_BITFIELDS, 0, 60, rgb, true, 0, 52 }, { 40, 2, 1, 32, BI_BITFIELDS, 0, 59, rgb, false },
        { 40, 1, 1, 32, BI_BITFIELDS, 0, 48, {}, false }, { 124, 2, 1, 16, BI_BITFIELDS, 0, 128, { 0xF800, 0x07E0, 0x001F }, true, 0, 124 },
        { 40, 1, 1, 24, BI_BITFIELDS, 0, 64, rgb, false }, { 40, 1, 1, 32, BI_BITFIELDS, 0, 64, { 0xFF0000, 0xFFFF00, 0xFF }, false },
        { 40, 2, 1, 16, BI_BITFIELDS, 0, 64, { 0x1F0000, 0x07E0, 0x001F }, false },
    };
    for (size_t i = 0; i <= sizeof cases / sizeof *cases; i++) {
        CAPTURE(i);
        bool planes = i == sizeof cases / sizeof *cases;   // last: two planes
        const auto &k = cases[planes ? 0 : i];
        std::vector<BYTE> block = DibBlock(k.size, k.w, k.h, k.bits, k.compression, k.clrUsed, k.total, k.masks);
        block[12] = planes ? 2 : 1;
        const BYTE *at = guard.Place(block);
        DibView v;
        REQUIRE(ReadDibBlock(at, block.size(), &v) == (k.read && !planes));
        if (!k.read || planes) continue;
        CHECK((v.colorCount == k.colors && v.rows == at + k.rowsAt && v.info.header.biSize == 40));
        CHECK(memcmp(v.info.colors, at + (k.rowsAt - 4 * k.colors), 4 * k.colors) == 0);
        unsigned sum = 0;   // every row byte the reader hands on lies within the block
        for (size_t b = 0; b < v.rowBytes; b++) sum += v.rows[b];
        CHECK((v.rows + v.rowBytes <= at + block.size() && sum > 0));
    }
}
