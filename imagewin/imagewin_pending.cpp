// Placeholder until the image windows land: every image number is free.
#include "shell/nbx_internal.h"
ImageRecord    nbx_images[256];
DWORD         *nbx_pixels[256];
unsigned char *nbx_pixels8[256];
int            nbx_curImage;
LRESULT CALLBACK ImageWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }
void ResetImageTable(void) {}
int  CreateImageWindow(int, int, const char *, int, int, int, int, int) { return 3; }
int  SelectImage(int) { return 1; }
int  RestoreImage(void) { return 1; }
int  LoadImageFile(const char *, int, int) { return 1; }
void PasteBitmapIntoCurrent(HBITMAP bitmap) { DeleteObject(bitmap); }
int  NBX_CreateImage(int, const char *, int, int, int, int, int) { return 3; }
int  NBX_CreateImage8(int, const char *, int, int, int, int, int) { return 3; }
int  NBX_CreateImageFL(int, const char *, int, int, int, int, int) { return 3; }
int  NBX_CreateImage8FL(int, const char *, int, int, int, int, int) { return 3; }
int  NBX_DestroyImage(int) { return 1; }
DWORD *NBX_GetImagePixels(int) { return NULL; }
int  NBX_DrawImage(int) { return 1; }
int  NBX_OpenFileDialog(const char *, char *) { return 1; }
void RunLoadImageCommand(int) {}
void RunSaveAsCommand(int) {}
int  SaveFileDialog(char *) { return 1; }
int  nbx_imageHistory[8];
int  RecreateImageWindow(int, int, int) { return 1; }
int  ClearImage(int) { return 1; }
int  ReadImageArea(void *, int, int, int, int) { return 1; }
int  FindImageWindow(HWND) { return -1; }
int  FindAndSelectImageWindow(HWND) { return -1; }
int  SetImageZoom(int, int) { return 1; }
int  SetImageStretchMode(int, int) { return 1; }
int  GetImageStretchMode(int) { return 0; }
void UpdateImageTitle(int) {}
