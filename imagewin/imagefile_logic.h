// imagefile_logic.h - the image files' arithmetic on plain values: file-name
// extensions, dialog filter choices, palettes and pixel fix-ups.
#ifndef NBX_IMAGEFILE_LOGIC_H
#define NBX_IMAGEFILE_LOGIC_H

#include <windows.h>

// Appends extension to the path held in a buffer of `capacity` units unless
// the path already ends with it (compared without regard to ASCII case; a
// path shorter than the extension always gets it). TRUE when the path ends
// with the extension afterwards; FALSE when it did not fit: the path then
// holds as much of the extension as fits, still terminated.
BOOL AppendExtension(WCHAR *path, int capacity, const WCHAR *extension);

// Output type (0 BMP, 1 JPEG, 2 GIF, 3 PNG, 4 TIFF) of a save-dialog filter
// index 1..6; -1 for any other index.
int SaveTypeForFilter(int filterIndex);

// MIME type and extension of an output type 0..4; NULL otherwise.
const WCHAR *SaveTypeMime(int type);
const WCHAR *SaveTypeExtension(int type);

// File-name text the open dialog starts with for filter index 1..9.
const WCHAR *OpenDialogInitialName(int filterIndex);

// Palette entries usable from a GDI+ palette block of `paletteBytes` bytes
// that declares `declaredCount` entries: no more than the block holds after
// its 8-byte head, than it declares, or than a colour table takes (256).
int PaletteEntryCount(int paletteBytes, unsigned int declaredCount);

// Copies count ARGB entries as 0x00RRGGBB words (alpha cleared).
void PaletteWordsFromArgb(const DWORD *argb, int count, DWORD *words);

// Clears the top byte of every pixel of the w x h area at (x, y) that lies
// inside a width x height buffer of 32-bit words.
void ClearTopBytes(DWORD *pixels, int width, int height, int x, int y, int w, int h);

// Turns 0x00RRGGBB pixels (top byte ignored) into palette indexes for a
// format that holds 256 colours at most: a picture of at most 256 colours
// keeps them exactly; any other is mapped to the 6 x 6 x 6 colour cube.
// Fills palette (256 entries, unused ones 0) and one index per pixel;
// returns the number of palette entries used.
int QuantizeToPalette(const DWORD *pixels, int count, DWORD palette[256], BYTE *indexes);

#endif
