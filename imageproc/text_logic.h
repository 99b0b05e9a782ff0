// text_logic.h - text drawn into pixel buffers: the built-in 8 x 14 font with
// its cursor rules, and the byte-level splitting and style codes of TrueType
// strings. No device contexts here, so all of it is tested directly.
#ifndef NBX_TEXT_LOGIC_H
#define NBX_TEXT_LOGIC_H

#include "imageproc/imageproc_logic.h"

// Glyphs for 0x20..0x7F, 14 rows each from the top; bit 7 is the leftmost
// pixel. Capitals stand on rows 2..10, descenders reach row 13.
enum { kGlyphWidth = 8, kGlyphHeight = 14, kGlyphPitch = 16 };
extern const unsigned char kBuiltinFont[96][kGlyphHeight];

// The shared text cursor: the next character's left edge, where a new line
// starts, and the row just below the glyph cell.
struct TextCursor {
    int x, lineX, baseY;
};

// One byte of the built-in font at the cursor in `color`: only set pixels
// are written (through the pen, as PutPixel does). A line feed starts a new
// line; other control bytes and bytes from 0x80 change nothing. A glyph that
// leaves no room for another on its row wraps the cursor.
void CanvasPutChar(Canvas &c, TextCursor &cur, DWORD color, unsigned char ch);

// A string byte by byte. isLead tells the lead bytes of the ANSI code page:
// a double-byte character has no glyph and is skipped whole, so its second
// byte is never drawn as a letter. A lone lead byte at the end is dropped.
void CanvasPutString(Canvas &c, TextCursor &cur, DWORD color, const char *s,
                     bool (*isLead)(unsigned char));

// Shift-JIS lead bytes: 0x81..0x9F and 0xE0..0xFC.
inline bool IsShiftJisLead(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The next character code of a TrueType string from byte *pos on: a lead
// byte (isLead) and its follower make one code (lead * 256 + next), any
// other byte is a code by itself. -1 at the end, also for a lead byte with
// nothing after it; never reads past the terminator.
int NextTrueTypeCode(const char *s, int *pos, bool (*isLead)(unsigned char));

// The font change a style code (1..6) asks for; false for every other code.
bool ApplyStyleCode(LOGFONTW *font, int code);

#endif
