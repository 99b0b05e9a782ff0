// imagewin_private.h - shared between the image window sources only.
#ifndef NBX_IMAGEWIN_PRIVATE_H
#define NBX_IMAGEWIN_PRIVATE_H

#include "shell/nbx_internal.h"
#include "imagewin/imagewin_logic.h"

// The record of image n, or NULL when n is out of range or free.
ImageRecord *ImageInUse(int n);
// Current system limits for a limit mode (1 screen, 0 twice the screen).
void GetWindowLimits(int mode, ImageLimits *limits);
// Creation with an explicit limit mode (the "FL" calls use 0).
int CreateImageWindowMode(int zoom, int n, const char *title, int x, int y,
                          int width, int height, int bits, int limitMode);
// Caption text of at most 256 bytes: title, zoom and the 8-bit mark.
int FormatImageTitle(int zoom, const char *title, int bits, char out[256]);
// Typed zoom and typed size of image n, asked in text window 0.
void RunTypedZoomCommand(int n);
void RunResizeCommand(int n);

// Whether the framework's own scaling of a srcW x srcH picture to
// dstW x dstH picks the pixels the platform's COLORONCOLOR stretch picks,
// asked of the platform with a coded row and column (like: a DC to make
// bitmaps for). Zoomed draws use the platform's stretch where it does not.
bool ScalerAgreesWithPlatform(HDC like, int srcW, int srcH, int dstW, int dstH);

#endif
