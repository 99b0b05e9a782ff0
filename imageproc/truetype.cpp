// truetype.cpp - TrueType text drawn into the current image's memory device
// context at the shared text cursor, in nbx_tttc, and the font dialog.
#include "imageproc/imageproc.h"
#include "imageproc/text_logic.h"
#include "imagewin/imagemenu.h"
#include <commdlg.h>

// The character cell the cursor moves by; "Draw" sets it from its box.
static int cellWidth = 8, cellHeight = 16;

static bool IsAnsiLead(unsigned char b) { return IsDBCSLeadByte(b) != 0; }

static DWORD SwapRedBlue(DWORD color)
{
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}

// The current font's description; the start-up font's when there is none
// yet (the user thread may draw before start-up has created it).
static void CurrentFontDescription(LOGFONTW *font)
{
    if (nbx_ttFont && GetObjectW(nbx_ttFont, sizeof *font, font) == sizeof *font) return;
    static const WCHAR kFace[] = { 0xFF2D, 0xFF33, ' ', 0x30B4, 0x30B7, 0x30C3, 0x30AF, 0 };
    ZeroMemory(font, sizeof *font);
    font->lfHeight = 16;
    font->lfWidth = 8;
    font->lfCharSet = DEFAULT_CHARSET;
    font->lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpyW(font->lfFaceName, kFace);
}

// Replaces the current font; a font the platform cannot make leaves the
// old one in place, so text keeps a font to draw with.
static int ReplaceFont(const LOGFONTW *font)
{
    HFONT made = CreateFontIndirectW(font);
    if (!made) return 1;
    if (nbx_ttFont) DeleteObject(nbx_ttFont);
    nbx_ttFont = made;
    return 0;
}

int SetTrueTypeSize(int width, int height)
{
    cellWidth = width / 2;
    cellHeight = height;
    LOGFONTW font;
    CurrentFontDescription(&font);
    font.lfWidth = cellWidth;
    font.lfHeight = cellHeight;
    return ReplaceFont(&font);
}

static void DrawTrueTypeCharacter(int code)
{
    int n = nbx_curImage;
    if ((unsigned)n >= 256 || !nbx_images[n].inUse) return;
    char bytes[3] = { (char)code, 0, 0 };
    int length = 1;
    if (code >= 256) {
        bytes[0] = (char)(code >> 8);
        bytes[1] = (char)code;
        length = 2;
    }
    WCHAR wide[2];
    if (MultiByteToWideChar(CP_ACP, 0, bytes, length, wide, 2) <= 0) return;
    HDC dc = nbx_images[n].memDC;
    SetTextColor(dc, SwapRedBlue(nbx_tttc));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ previous = SelectObject(dc, nbx_ttFont);
    TextOutW(dc, nbx_fontCursorX, nbx_fontBaseY - cellHeight + 1, wide, 1);
    ABC abc;
    INT width = 0;
    if (GetCharABCWidthsW(dc, wide[0], wide[0], &abc)) nbx_fontCursorX += abc.abcA + (int)abc.abcB + abc.abcC;
    else if (GetCharWidthW(dc, wide[0], wide[0], &width)) nbx_fontCursorX += width;
    SelectObject(dc, previous);
    GdiFlush();   // the pixels are read directly after this
}

void PutTrueTypeChar(int code)
{
    if (code >= 32) {
        DrawTrueTypeCharacter(code);
    } else if (code == 10) {
        nbx_fontCursorX = nbx_fontLineX;
        nbx_fontBaseY += cellHeight;
    } else {
        LOGFONTW font;
        CurrentFontDescription(&font);
        if (ApplyStyleCode(&font, code)) ReplaceFont(&font);
    }
}

void PutTrueTypeString(const char *s)
{
    if (!s) return;
    int pos = 0, code;
    while ((code = NextTrueTypeCode(s, &pos, IsAnsiLead)) >= 0) PutTrueTypeChar(code);
}

// "Font Change": the font dialog on the current font. Cancel keeps the font
// as it was (the dialog may have rewritten the description it was handed);
// the cell size stays what "Draw" last set, and a colour chosen in the
// dialog is not used (TrueType text keeps nbx_tttc).
// TrueType "Draw": the box marked is one double-width cell; the typed line
// starts at its left edge with its baseline on the box's bottom row.
void RunTrueTypeDraw(void)
{
    int n = nbx_curImage, left, right, top, bottom;
    if ((unsigned)n >= 256 || PickRect(n, &left, &right, &top, &bottom) != 0) return;
    char line[256];
    if (!AskTextForImage(line)) return;
    nbx_fontBaseY = bottom;
    nbx_fontCursorX = nbx_fontLineX = left;
    SetTrueTypeSize(right - left + 1, bottom - top + 1);   // a failure draws with the old font
    PutTrueTypeString(line);
}

void RunFontChange(HWND owner)
{
    LOGFONTW font;
    CurrentFontDescription(&font);
    CHOOSEFONTW choice;
    ZeroMemory(&choice, sizeof choice);
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = owner;
    choice.lpLogFont = &font;
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_SCRIPTSONLY;
    choice.nFontType = SCREEN_FONTTYPE;
    if (ChooseFontW(&choice)) ReplaceFont(&font);
}
