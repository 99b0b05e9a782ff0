// clipboard.h - images to and from the clipboard, and the bitmap import of
// request 9004. The main window's Paste calls ReadClipboardBitmap and
// PasteImageFromClipboard too.
#ifndef NBX_CLIPBOARD_H
#define NBX_CLIPBOARD_H

#include "shell/nbx_internal.h"

// Puts image n on the clipboard as CF_DIB (24-bit rows, or 8-bit with the
// image's colours). True when it is there; nothing happens for a bad number
// or a clipboard that cannot be opened, and a failed allocation shows "No
// enough memory for copy".
bool CopyImageToClipboard(int n);
// The clipboard's picture (CF_DIB, else CF_BITMAP) as a new bitmap the caller
// owns, with the colours of a DIB of 8 bits or fewer in `palette` (room for
// 256, 0x00RRGGBB) and their number in *entries. NULL when there is none or
// the DIB cannot be read safely.
HBITMAP ReadClipboardBitmap(DWORD *palette, int *entries);
// Blits the clipboard's picture into image n with its top-left corner at
// (x, y), clipped to the image; x or y -1 lets the user place it with
// PickBlock. The palette of a DIB of 8 bits or fewer becomes the first
// colours of an 8-bit image.
void PasteImageFromClipboard(int x, int n, int y);
// Blits a bitmap into the current image at (0, 0) and deletes it.
void BlitBitmapToImage(HBITMAP bitmap);

#endif
