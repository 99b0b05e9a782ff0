// imageproc_logic.cpp - drawing, fills, colour arithmetic, test patterns and
// quarter turns on plain buffers.
#include "imageproc/imageproc_logic.h"
#include <math.h>
#include <new>
#include <stdlib.h>
#include <string.h>
#include <vector>

Canvas MakeCanvas(void *pixels, int bits, int width, int height)
{
    Canvas c;
    c.pixels = (unsigned char *)pixels;
    c.bits = bits;
    c.width = width;
    c.height = height;
    c.stride = bits == 8 ? (width + 3) & ~3 : width * 4;
    c.penX = c.penY = 0;
    return c;
}

// ------------------------------------------------------------------ pixels

void CanvasPutPixel(Canvas &c, int x, int y, DWORD value)
{
    c.penX = x;
    c.penY = y;
    CanvasStore(c, x, y, value);
}

void CanvasXorPixel(Canvas &c, int x, int y)
{
    c.penX = x;
    c.penY = y;
    CanvasInvert(c, x, y);
}

// Orders a row span xa..xb and cuts it to the canvas; false when nothing of
// it is on the canvas.
static bool ClipSpan(const Canvas &c, int y, int &xa, int &xb)
{
    if (xa > xb) { int t = xa; xa = xb; xb = t; }
    if ((unsigned)y >= (unsigned)c.height || xb < 0 || xa >= c.width) return false;
    if (xa < 0) xa = 0;
    if (xb >= c.width) xb = c.width - 1;
    return true;
}

// A row span xa..xb (any order), cut to the canvas: one store or inversion
// per pixel, without a bounds test inside the loop.
static void SpanStore(Canvas &c, int y, int xa, int xb, DWORD value)
{
    if (!ClipSpan(c, y, xa, xb)) return;
    unsigned char *row = c.pixels + (size_t)y * c.stride;
    if (c.bits == 32) {
        DWORD *p = (DWORD *)row;
        for (int x = xa; x <= xb; x++) p[x] = value;
    } else {
        memset(row + xa, (unsigned char)value, (size_t)(xb - xa + 1));
    }
}

static void SpanInvert(Canvas &c, int y, int xa, int xb)
{
    if (!ClipSpan(c, y, xa, xb)) return;
    unsigned char *row = c.pixels + (size_t)y * c.stride;
    if (c.bits == 32) {
        DWORD *p = (DWORD *)row;
        for (int x = xa; x <= xb; x++) p[x] ^= 0xFFFFFF;
    } else {
        for (int x = xa; x <= xb; x++) row[x] = (unsigned char)~row[x];
    }
}

// ------------------------------------------------------------------- lines

// Visits every pixel of a line once. The end points are ordered (top to
// bottom, left to right) so that A-B and B-A cover the same pixels.
template <class Pixel, class Span>
static void WalkLine(int x1, int y1, int x2, int y2, Pixel pixel, Span span)
{
    if (x1 == x2) {
        if (y1 > y2) { int t = y1; y1 = y2; y2 = t; }
        for (int y = y1; y <= y2; y++) pixel(x1, y);
        return;
    }
    if (y1 == y2) {
        span(y1, x1, x2);
        return;
    }
    if (x1 > x2) {
        int t = x1; x1 = x2; x2 = t;
        t = y1; y1 = y2; y2 = t;
    }
    int dx = x2 - x1, dy = abs(y2 - y1), s = y2 > y1 ? 1 : -1;
    int x = x1, y = y1;
    pixel(x, y);
    if (dx >= dy) {
        int e = (dx + 1) / 2;
        while (x != x2) {
            x++;
            e -= dy;
            if (e <= 0) { y += s; e += dx; }
            pixel(x, y);
        }
    } else {
        int e = (dy + 1) / 2;
        while (y != y2) {
            y += s;
            e -= dx;
            if (e <= 0) { x++; e += dy; }
            pixel(x, y);
        }
    }
}

void CanvasDrawLine(Canvas &c, DWORD color, int x1, int y1, int x2, int y2)
{
    c.penX = x2;
    c.penY = y2;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) { CanvasStore(c, x, y, color); },
             [&](int y, int xa, int xb) { SpanStore(c, y, xa, xb, color); });
}

void CanvasXorLine(Canvas &c, int x1, int y1, int x2, int y2)
{
    c.penX = x2;
    c.penY = y2;
    WalkLine(x1, y1, x2, y2, [&](int x, int y) { CanvasInvert(c, x, y); },
             [&](int y, int xa, int xb) { SpanInvert(c, y, xa, xb); });
}

// ------------------------------------------------------------------- boxes

static void Sort(int *a, int *b)
{
    if (*a > *b) { int t = *a; *a = *b; *b = t; }
}

void CanvasDrawBox(Canvas &c, DWORD color, int x1, int y1, int x2, int y2)
{
    CanvasDrawLine(c, color, x1, y1, x2, y1);
    CanvasDrawLine(c, color, x2, y1, x2, y2);
    CanvasDrawLine(c, color, x2, y2, x1, y2);
    CanvasDrawLine(c, color, x1, y2, x1, y1);
}

void CanvasFillBox(Canvas &c, DWORD color, int x1, int y1, int x2, int y2)
{
    Sort(&x1, &x2);
    Sort(&y1, &y2);
    CanvasDrawBox(c, color, x1, y1, x2, y2);
    if (x2 - x1 >= 2 && y2 - y1 >= 2)
        for (int y = y1 + 1; y <= y2 - 1; y++) SpanStore(c, y, x1 + 1, x2 - 1, color);
}

void CanvasXorFillBox(Canvas &c, int x1, int y1, int x2, int y2)
{
    Sort(&x1, &x2);
    Sort(&y1, &y2);
    for (int y = y1; y <= y2; y++) SpanInvert(c, y, x1, x2);
}

void CanvasXorBox(Canvas &c, int x1, int y1, int x2, int y2)
{
    Sort(&x1, &x2);
    Sort(&y1, &y2);
    SpanInvert(c, y1, x1, x2);
    if (y2 != y1) SpanInvert(c, y2, x1, x2);
    if (y2 - y1 > 1) {
        for (int y = y1 + 1; y <= y2 - 1; y++) {
            CanvasInvert(c, x1, y);
            CanvasInvert(c, x2, y);
        }
    }
}

// ----------------------------------------------------------------- circles

// The outline: 5r/7 steps of the midpoint walk, mirrored eight ways; on the
// axes and the diagonal only four of the mirrors, so no pixel comes twice.
template <class Pixel>
static void WalkCircle(int cx, int cy, int r, Pixel pixel)
{
    int limit = 5 * r / 7, c = r, e = r;
    for (int i = 0; i <= limit && i <= c; i++) {
        if (i != 0 && i != c) {
            pixel(cx + i, cy + c); pixel(cx - i, cy + c);
            pixel(cx + i, cy - c); pixel(cx - i, cy - c);
            pixel(cx + c, cy + i); pixel(cx - c, cy + i);
            pixel(cx + c, cy - i); pixel(cx - c, cy - i);
        } else {
            pixel(cx - i, cy + c); pixel(cx + i, cy - c);
            pixel(cx + c, cy + i); pixel(cx - c, cy - i);
        }
        e -= 2 * i + 1;
        if (e <= 0) { c--; e += 2 * c; }
    }
}

void CanvasDrawCircle(Canvas &c, DWORD color, int cx, int cy, int r)
{
    WalkCircle(cx, cy, r, [&](int x, int y) { CanvasPutPixel(c, x, y, color); });
}

void CanvasXorCircle(Canvas &c, int cx, int cy, int r)
{
    WalkCircle(cx, cy, r, [&](int x, int y) { CanvasXorPixel(c, x, y); });
}

// The disc as row spans from the same walk: the wide rows near the centre
// while the half-width holds, the short cap rows whenever it steps.
template <class Span>
static void WalkDisc(int cx, int cy, int r, Span span)
{
    int limit = 5 * r / 7, c = r, e = r, j = 0, last = 0;
    bool stepped = false;
    for (; j <= limit && j <= c; j++) {
        stepped = false;
        if (c != j) {
            span(cy + j, cx - c, cx + c);
            if (j != 0) span(cy - j, cx - c, cx + c);
        }
        e -= 2 * j + 1;
        if (e <= 0) {
            span(cy + c, cx - j, cx + j);
            span(cy - c, cx - j, cx + j);
            c--;
            e += 2 * c;
            stepped = true;
        }
        last = j;
    }
    if (!stepped) {
        span(cy + c, cx - last, cx + last);
        span(cy - c, cx - last, cx + last);
    }
}

void CanvasFillCircle(Canvas &c, DWORD color, int cx, int cy, int r)
{
    WalkDisc(cx, cy, r, [&](int y, int xa, int xb) { CanvasDrawLine(c, color, xa, y, xb, y); });
    CanvasDrawCircle(c, color, cx, cy, r);
}

void CanvasXorFillCircle(Canvas &c, int cx, int cy, int r)
{
    WalkDisc(cx, cy, r, [&](int y, int xa, int xb) { CanvasXorLine(c, xa, y, xb, y); });
}

// -------------------------------------------------------------- flood fill

namespace {

// The first x in [x, end) whose pixel differs from t (SkipEqual) or equals
// it (SkipOther), eight pixels at a time where it can.
template <typename Pixel>
inline int SkipEqual(const Pixel *p, int x, int end, Pixel t)
{
    for (; x + 8 <= end; x += 8) {
        Pixel d = (Pixel)((p[x] ^ t) | (p[x + 1] ^ t) | (p[x + 2] ^ t) | (p[x + 3] ^ t) |
                          (p[x + 4] ^ t) | (p[x + 5] ^ t) | (p[x + 6] ^ t) | (p[x + 7] ^ t));
        if (d) break;
    }
    while (x < end && p[x] == t) x++;
    return x;
}

template <typename Pixel>
inline int SkipOther(const Pixel *p, int x, int end, Pixel t)
{
    for (; x + 8 <= end; x += 8) {
        int hit = (p[x] == t) | (p[x + 1] == t) | (p[x + 2] == t) | (p[x + 3] == t) |
                  (p[x + 4] == t) | (p[x + 5] == t) | (p[x + 6] == t) | (p[x + 7] == t);
        if (hit) break;
    }
    while (x < end && p[x] != t) x++;
    return x;
}

// Marks the run of t from x on with m; returns its end.
template <typename Pixel>
inline int MarkRun(Pixel *p, int x, int end, Pixel t, Pixel m)
{
    for (; x + 8 <= end; x += 8) {
        Pixel d = (Pixel)((p[x] ^ t) | (p[x + 1] ^ t) | (p[x + 2] ^ t) | (p[x + 3] ^ t) |
                          (p[x + 4] ^ t) | (p[x + 5] ^ t) | (p[x + 6] ^ t) | (p[x + 7] ^ t));
        if (d) break;
        for (int i = 0; i < 8; i++) p[x + i] = m;
    }
    for (; x < end && p[x] == t; x++) p[x] = m;
    return x;
}

// The region is told by the seed's value t; filled pixels are told either by
// a marker value that occurs nowhere else in the image, or, when the image
// has no value to spare, by a bit mask beside it.
template <typename Pixel>
struct Fill {
    Canvas &c;
    Pixel t, mark;
    unsigned char *mask;      // NULL: marked pixels hold `mark`
    bool overflow;
    int top;
    // A seed, and the run that pushed it: its row and columns [left, right)
    // are filled already and need no second look.
    struct Seed { int x, y, fromY, left, right; };
    Seed seeds[kFloodSeeds];

    Fill(Canvas &canvas, Pixel target, Pixel marker, unsigned char *bits)
        : c(canvas), t(target), mark(marker), mask(bits), overflow(false), top(0) {}

    Pixel *Row(int y) { return (Pixel *)(c.pixels + (size_t)y * c.stride); }
    bool Target(int x, int y)
    {
        return CanvasInside(c, x, y) && Row(y)[x] == t;
    }
    bool Marked(int x, int y)
    {
        if (!CanvasInside(c, x, y)) return false;
        if (!mask) return Row(y)[x] == mark;
        size_t i = (size_t)y * c.width + x;
        return (mask[i >> 3] >> (i & 7)) & 1;
    }
    // Pushes one seed at the start of every stretch of target pixels of
    // `line` (row y) within [xl, xr), each remembering the run [xl, xr) of
    // row fromY that found it; a full stack is remembered in `overflow`,
    // not forgotten.
    void Seeds(const Pixel *line, int y, int xl, int xr, int fromY, int runL, int runR)
    {
        const Pixel target = t;
        int sp = top;
        for (int x = SkipOther(line, xl, xr, target); x < xr; x = SkipOther(line, x, xr, target)) {
            if (sp < kFloodSeeds) seeds[sp++] = Seed{ x, y, fromY, runL, runR };
            else overflow = true;
            x = SkipEqual(line, x, xr, target);
        }
        top = sp;
    }
    // Seeds in row y (if inside) within [xl, xr) but outside [skipL, skipR).
    void SeedsAround(int y, int xl, int xr, int skipL, int skipR, int fromY)
    {
        if ((unsigned)y >= (unsigned)c.height) return;
        const Pixel *line = Row(y);
        if (skipL >= skipR || skipR <= xl || skipL >= xr) {
            Seeds(line, y, xl, xr, fromY, xl, xr);
            return;
        }
        if (xl < skipL) Seeds(line, y, xl, skipL, fromY, xl, xr);
        if (skipR < xr) Seeds(line, y, skipR, xr, fromY, xl, xr);
    }
    // The run through seed s is marked, then its seeds above and below are
    // pushed (the run that found it is not looked at again).
    void Run(const Seed &s)
    {
        const int y = s.y;
        Pixel *row = Row(y);
        const Pixel target = t, m = mark;
        int x = s.x;
        while (x > 0 && row[x - 1] == target) x--;
        const int xl = x, xr = MarkRun(row, x, c.width, target, m);
        SeedsAround(y - 1, xl, xr, s.fromY == y - 1 ? s.left : 0, s.fromY == y - 1 ? s.right : 0, y);
        SeedsAround(y + 1, xl, xr, s.fromY == y + 1 ? s.left : 0, s.fromY == y + 1 ? s.right : 0, y);
        if (mask) {
            for (int i = xl; i < xr; i++) {
                size_t k = (size_t)y * c.width + i;
                mask[k >> 3] |= (unsigned char)(1 << (k & 7));
            }
        }
        c.penX = xr - 1;
        c.penY = y;
    }
    void From(int x, int y)
    {
        Run(Seed{ x, y, y, 0, 0 });
        while (top > 0) {
            top--;
            if (Target(seeds[top].x, seeds[top].y)) Run(seeds[top]);
        }
    }
    bool NextToMarked(int x, int y)
    {
        return Marked(x - 1, y) || Marked(x + 1, y) || Marked(x, y - 1) || Marked(x, y + 1);
    }
    // Restarts from every target pixel that touches the filled area, until
    // a whole pass went by without the stack running full.
    int Complete()
    {
        int passes = 0;
        while (overflow) {
            overflow = false;
            passes++;
            for (int y = 0; y < c.height; y++)
                for (int x = 0; x < c.width; x++)
                    if (Target(x, y) && NextToMarked(x, y)) From(x, y);
        }
        return passes;
    }
};

// Which values occur in the image: the fill colour itself, and a set of
// candidate markers (all 256 indexes for 8-bit; 4096 words with the unused
// top byte set for 32-bit).
template <typename Pixel>
static bool FindMarker(const Canvas &c, Pixel color, Pixel *marker)
{
    const int kCandidates = sizeof(Pixel) == 1 ? 256 : 4096;
    const Pixel base = sizeof(Pixel) == 1 ? 0 : (Pixel)0xFF000000u;
    unsigned char seen[4096 / 8];
    memset(seen, 0, sizeof seen);
    bool colorSeen = false;
    for (int y = 0; y < c.height; y++) {
        const Pixel *row = (const Pixel *)(c.pixels + (size_t)y * c.stride);
        // A quick look first: most rows hold neither the colour nor any
        // candidate (32-bit candidates have the top byte set).
        Pixel any = 0;
        DWORD hasColor = 0;
        for (int x = 0; x < c.width; x++) {
            hasColor |= (DWORD)(row[x] == color);
            any |= row[x];
        }
        colorSeen |= hasColor != 0;
        if (sizeof(Pixel) == 4 && !(any & (Pixel)0xFF000000u)) continue;
        for (int x = 0; x < c.width; x++) {
            DWORD k = (DWORD)(Pixel)(row[x] - base);
            if (k < (DWORD)kCandidates) seen[k >> 3] |= (unsigned char)(1 << (k & 7));
        }
    }
    if (!colorSeen) {
        *marker = color;
        return true;
    }
    for (int k = 0; k < kCandidates; k++)
        if (!((seen[k >> 3] >> (k & 7)) & 1)) {
            *marker = (Pixel)(base + k);
            return true;
        }
    return false;
}

template <typename Pixel>
static int FillWith(Canvas &c, Pixel color, int x, int y)
{
    Pixel t = ((Pixel *)(c.pixels + (size_t)y * c.stride))[x];
    if (t == color) return -1;
    Pixel marker = color;
    unsigned char *mask = NULL;
    bool told = true;         // filled pixels can be told from all others
    if (!FindMarker(c, color, &marker)) {
        // Every value is taken: filled pixels are remembered in a bit mask.
        // Without memory for it the fill still ends, possibly incomplete.
        marker = color;
        mask = new (std::nothrow) unsigned char[((size_t)c.width * c.height + 7) / 8]();
        told = mask != NULL;
    }
    Fill<Pixel> *fill = new (std::nothrow) Fill<Pixel>(c, t, marker, mask);
    if (!fill) {
        delete[] mask;
        return -1;
    }
    fill->From(x, y);
    int passes = told ? fill->Complete() : 0;
    if (marker != color) {
        for (int row = 0; row < c.height; row++) {
            Pixel *p = (Pixel *)(c.pixels + (size_t)row * c.stride);
            for (int i = 0; i < c.width; i++)
                if (p[i] == marker) p[i] = color;
        }
    }
    delete fill;
    delete[] mask;
    return passes;
}

}  // namespace

int CanvasFloodFill(Canvas &c, DWORD color, int x, int y)
{
    if (!CanvasInside(c, x, y)) return -1;
    if (c.bits == 32) return FillWith<DWORD>(c, color, x, y);
    return FillWith<unsigned char>(c, (unsigned char)color, x, y);
}

// ---------------------------------------------------------- colour spaces

static inline int Red(DWORD p) { return (int)((p >> 16) & 0xFF); }
static inline int Green(DWORD p) { return (int)((p >> 8) & 0xFF); }
static inline int Blue(DWORD p) { return (int)(p & 0xFF); }

void RgbToHsv(DWORD pixel, int *h, int *s, int *v)
{
    int r = Red(pixel), g = Green(pixel), b = Blue(pixel);
    int max = r > g ? r : g;
    if (b > max) max = b;
    int min = r < g ? r : g;
    if (b < min) min = b;
    int d = max - min;
    *v = max;
    *s = d;
    // Each sector measures from its start with a non-negative numerator,
    // so the truncation always goes the same way.
    if (d == 0) *h = 0;
    else if (max == r && min == b) *h = 60 * (g - b) / d;
    else if (max == g && min == b) *h = 60 * (g - r) / d + 60;
    else if (max == g && min == r) *h = 60 * (b - r) / d + 120;
    else if (max == b && min == r) *h = 60 * (b - g) / d + 180;
    else if (max == b && min == g) *h = 60 * (r - g) / d + 240;
    else *h = 60 * (r - b) / d + 300;
}

int RgbToHue(DWORD p) { int h, s, v; RgbToHsv(p, &h, &s, &v); return h; }
int RgbToSaturation(DWORD p) { int h, s, v; RgbToHsv(p, &h, &s, &v); return s; }
int RgbToValue(DWORD p) { int h, s, v; RgbToHsv(p, &h, &s, &v); return v; }

DWORD HsvToRgb(int v, int s, int h)
{
    int m = v - s;
    if (m < 0) m = 0;
    int d = v - m;
    auto f = [&](int k) { return m + d * k / 60; };
    int r, g, b;
    if (h < 60) { r = v; g = f(h); b = m; }
    else if (h < 120) { r = f(120 - h); g = v; b = m; }
    else if (h < 180) { r = m; g = v; b = f(h - 120); }
    else if (h < 240) { r = m; g = f(240 - h); b = v; }
    else if (h < 300) { r = f(h - 240); g = m; b = v; }
    else { r = v; g = m; b = f(360 - h); }
    return (DWORD)((r << 16) + (g << 8) + b);
}

int RgbToY(DWORD p) { return (19595 * Red(p) + 38470 * Green(p) + 7471 * Blue(p) + 32768) >> 16; }
int RgbToCr(DWORD p) { return (32768 * (Red(p) + 1) - 27460 * Green(p) - 5308 * Blue(p)) / 65536; }
int RgbToCb(DWORD p) { return (32768 * (Blue(p) + 1) - 11076 * Red(p) - 21692 * Green(p)) / 65536; }
int RgbToU(DWORD p) { return (28574 * Blue(p) - 9634 * Red(p) - 18940 * Green(p) + 32768) / 65536; }
int RgbToV(DWORD p) { return (40305 * Red(p) - 6554 * Blue(p) - 33751 * Green(p) + 32768) / 65536; }
int RgbToI(DWORD p) { return (39053 * Red(p) - 21037 * Blue(p) - 18022 * Green(p) + 32768) / 65536; }
int RgbToQ(DWORD p) { return (13533 * Red(p) + 19032 * Blue(p) - 32565 * Green(p) + 32768) / 65536; }

// ----------------------------------------------------------- test patterns

static inline int Channel(int y, int k)
{
    int v = (65536 * y + k + 32768) / 65536;
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

static DWORD RadialValue(TestPattern pattern, int y, int a, int b)
{
    int kr, kg, kb;
    switch (pattern) {
    case kPatternYCrCb: kr = 91881 * b; kg = -46793 * b - 22544 * a; kb = 116130 * a; break;
    case kPatternYuv: kr = 74711 * b; kg = -38076 * b - 25952 * a; kb = 132973 * a; break;
    default: kr = 62187 * b + 42998 * a; kg = -17334 * b - 44872 * a; kb = -73859 * b + 118292 * a; break;
    }
    return (DWORD)((Channel(y, kr) << 16) + (Channel(y, kg) << 8) + Channel(y, kb));
}

DWORD RadialPatternValue(TestPattern pattern, int a, int b)
{
    return RadialValue(pattern, (int)sqrt(5.0 * b * b + 5.0 * a * a), a, b);
}

namespace {

// Patterns are made row by row: 32-bit rows in place, 8-bit rows through a
// word buffer whose low bytes are stored. A row equal to the one above is
// copied.
struct Rows {
    Canvas &c;
    std::vector<DWORD> scratch;
    explicit Rows(Canvas &canvas) : c(canvas), scratch(canvas.bits == 32 ? 0 : canvas.width) {}
    unsigned char *Line(int y) { return c.pixels + (size_t)y * c.stride; }
    DWORD *Begin(int y) { return c.bits == 32 ? (DWORD *)Line(y) : scratch.data(); }
    void End(int y)
    {
        if (c.bits == 32) return;
        unsigned char *line = Line(y);
        for (int x = 0; x < c.width; x++) line[x] = (unsigned char)scratch[x];
    }
    void Repeat(int y) { memcpy(Line(y), Line(y - 1), c.bits == 32 ? (size_t)c.width * 4 : (size_t)c.width); }
};

// Runs of neighbouring columns that share one value of a column function.
struct Run { int start, end, value; };

template <class F>
std::vector<Run> ColumnRuns(int w, F f)
{
    std::vector<Run> runs;
    for (int j = 0; j < w; j++) {
        int v = f(j);
        if (runs.empty() || runs.back().value != v) runs.push_back({ j, j + 1, v });
        else runs.back().end = j + 1;
    }
    return runs;
}

void FillRun(DWORD *row, const Run &r, DWORD value)
{
    for (int j = r.start; j < r.end; j++) row[j] = value;
}

}  // namespace

static void PatternRgb(Canvas &c)
{
    const int w = c.width, h = c.height;
    Rows rows(c);
    std::vector<DWORD> red(w), blue((size_t)w + h);
    for (int j = 0; j < w; j++) red[j] = (DWORD)(255 * j / w) << 16;
    for (int s = 0; s < w + h; s++) blue[s] = (DWORD)(255 - 255 * s / (w + h));
    for (int i = 0; i < h; i++) {
        DWORD green = (DWORD)(255 * i / h) << 8;
        DWORD *row = rows.Begin(i);
        const DWORD *b = blue.data() + i;
        for (int j = 0; j < w; j++) row[j] = red[j] | green | b[j];
        rows.End(i);
    }
}

// The 359 hues of one row (one S and V), sector by sector, from the 61
// steps m + d·k/60.
static void HueTable(int v, int s, DWORD table[359])
{
    int m = v - s;
    if (m < 0) m = 0;
    int d = v - m, f[61];
    for (int k = 0; k <= 60; k++) f[k] = m + d * k / 60;
    auto rgb = [](int r, int g, int b) { return (DWORD)((r << 16) + (g << 8) + b); };
    for (int h = 0; h < 60; h++) table[h] = rgb(v, f[h], m);
    for (int h = 60; h < 120; h++) table[h] = rgb(f[120 - h], v, m);
    for (int h = 120; h < 180; h++) table[h] = rgb(m, v, f[h - 120]);
    for (int h = 180; h < 240; h++) table[h] = rgb(m, f[240 - h], v);
    for (int h = 240; h < 300; h++) table[h] = rgb(f[h - 240], m, v);
    for (int h = 300; h < 359; h++) table[h] = rgb(v, m, f[360 - h]);
}

// A one-row image has no halves: its row is where they meet, at full S
// and V.
static void PatternHsv(Canvas &c)
{
    const int w = c.width, h = c.height, half = h / 2;
    Rows rows(c);
    std::vector<int> hue(w);
    for (int j = 0; j < w; j++) hue[j] = 359 * j / w;
    DWORD table[359];
    int lastS = -1, lastV = -1;
    for (int i = 0; i < h; i++) {
        int s, v;
        if (i < half) { s = 255 * i / half; v = 255; }
        else { s = 255; v = half ? 255 - 255 * (i - half) / half : 255; }
        if (s == lastS && v == lastV) {
            rows.Repeat(i);
            continue;
        }
        HueTable(v, s, table);
        lastS = s;
        lastV = v;
        DWORD *row = rows.Begin(i);
        for (int j = 0; j < w; j++) row[j] = table[hue[j]];
        rows.End(i);
    }
}

// Columns share the column chroma a in runs and rows share b; Y comes from
// a table over a² + b² (|a|, |b| <= 127).
static void PatternRadial(Canvas &c, TestPattern pattern)
{
    const int w = c.width, h = c.height;
    Rows rows(c);
    std::vector<Run> as = ColumnRuns(w, [&](int j) { return 255 * (j - w / 2) / w; });
    static std::vector<int> root;
    if (root.empty()) {
        root.resize(2 * 127 * 127 + 1);
        for (size_t k = 0; k < root.size(); k++) root[k] = (int)sqrt(5.0 * (double)k);
    }
    int lastB = 0;
    for (int i = 0; i < h; i++) {
        int b = 255 * (h / 2 - i) / h;
        if (i > 0 && b == lastB) {
            rows.Repeat(i);
            continue;
        }
        lastB = b;
        DWORD *row = rows.Begin(i);
        for (const Run &r : as) FillRun(row, r, RadialValue(pattern, root[r.value * r.value + b * b], r.value, b));
        rows.End(i);
    }
}

// Upper half a black-to-white ramp, lower half white to black, as two
// vertical lines per column would draw it; a one-row image keeps only the
// second line of each column.
static void PatternGrey(Canvas &c)
{
    const int w = c.width, h = c.height, half = h / 2;
    Rows rows(c);
    for (int i = 0; i < h; i++) {
        if (i > 0 && i != half) {
            rows.Repeat(i);
            continue;
        }
        DWORD *row = rows.Begin(i);
        for (int j = 0; j < w; j++) {
            DWORD g = (DWORD)(255 * j / w);
            row[j] = (i < half ? g : 255 - g) * 0x010101;
        }
        rows.End(i);
    }
}

void CanvasTestPattern(Canvas &c, TestPattern pattern)
{
    if (c.width < 1 || c.height < 1) return;
    switch (pattern) {
    case kPatternRgb: PatternRgb(c); break;
    case kPatternHsv: PatternHsv(c); break;
    case kPatternGrey: PatternGrey(c); break;
    default: PatternRadial(c, pattern); break;
    }
    c.penX = c.width - 1;
    c.penY = c.height - 1;
}

// ---------------------------------------------------------------- geometry

template <typename Pixel>
static void Rotate(const Pixel *src, int w, int h, bool right, Canvas &out)
{
    const int W = h, H = w;
    for (int y = 0; y < H; y++) {
        Pixel *row = (Pixel *)(out.pixels + (size_t)y * out.stride);
        for (int x = 0; x < W; x++)
            row[x] = right ? src[(size_t)(h - 1 - x) * w + y] : src[(size_t)x * w + (w - 1 - y)];
    }
}

void RotateInto(const void *packed, int w, int h, bool right, Canvas &out)
{
    if (out.width != h || out.height != w) return;
    if (out.bits == 32) Rotate((const DWORD *)packed, w, h, right, out);
    else Rotate((const unsigned char *)packed, w, h, right, out);
}

int RescaledSide(int side, int factor)
{
    return (int)(((long long)side * factor + 500) / 1000);
}
