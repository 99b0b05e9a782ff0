/*
 * nubrix.h - the NUBRIX framework as a user program sees it.
 *
 * A user program defines two functions, UserInit() and UserMain(), and is
 * linked with the framework (CMake: nubrix_add_program). Both run on the
 * framework's user thread: UserInit once at start-up, UserMain after Start.
 * Every window except the main window belongs to that thread and reacts only
 * while it pumps (NBX_PumpMessages, NBX_Printf, NBX_InputText).
 *
 * Colours and 32-bit pixels are 0x00RRGGBB everywhere.
 */
#ifndef NUBRIX_H
#define NUBRIX_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/*---------------------------------------------------------------------------
 * The user program
 *-------------------------------------------------------------------------*/
void UserInit(void);   /* lay out windows; may set nbx_start = 1 */
void UserMain(void);   /* the program itself; runs after Start     */

/*---------------------------------------------------------------------------
 * Shell: control flags and the main window
 *-------------------------------------------------------------------------*/
extern volatile int nbx_start;    /* Start requested                         */
extern volatile int nbx_running;  /* UserMain entered (never cleared)        */
extern volatile int nbx_stop;     /* Stop requested; poll it in long loops   */
extern volatile int nbx_quit;     /* 0, 1 exit requested, 2 exit seen       */

extern HWND nbx_mainWindow;
#define NBXMAINWINDOW nbx_mainWindow

void NBX_PumpMessages(void);
void NBX_SetForeground(HWND window);

/*---------------------------------------------------------------------------
 * Text windows
 *-------------------------------------------------------------------------*/
int  NBX_OpenTextWindow(int index, int x, int y, int width, int height);
int  NBX_SelectTextWindow(int index);
int  NBX_CloseTextWindow(int index);
void NBX_ShowTextWindow(void);
void NBX_Printf(const char *format, ...);
void NBX_PushTextColor(DWORD background, DWORD text);
void NBX_PopTextColor(void);
void NBX_InputText(char *buffer);          /* buffer of at least 256 bytes */
int  NBX_StartLog(int index);
int  NBX_StopLog(int index);
int  NBX_CopyLog(int index);
void NBX_CloseLogs(void);

/*---------------------------------------------------------------------------
 * Button box
 *-------------------------------------------------------------------------*/
void NBX_OpenButtonBox(int x, int y, int nx, int ny);
void NBX_CloseButtonBox(void);
void NBX_SetButtonBoxTitle(int index, const char *text);
int  NBX_GetButton(int index);
int  NBX_ResizeButtonBox(int width, int height);

/*---------------------------------------------------------------------------
 * Image windows
 *-------------------------------------------------------------------------*/
typedef struct ImageRecord {
    int     inUse;          /* 1 while the window exists                    */
    int     bits;           /* 32 or 8                                      */
    int     width;          /* image size in pixels                         */
    int     height;
    int     dispWidth;      /* client size in screen pixels                 */
    int     dispHeight;
    int     zoom;           /* effective zoom in percent                    */
    int     limitMode;      /* 1 limited to the screen, 0 to twice of it    */
    HWND    window;
    HDC     memDC;          /* holds the pixel bitmap                       */
    HDC     windowDC;       /* the window's own DC, kept for its life       */
    HBITMAP bitmap;         /* DIB section owning the pixels                */
    HBITMAP prevBitmap;     /* selected in memDC before bitmap              */
    char   *title;          /* caption text without the zoom                */
} ImageRecord;

extern ImageRecord    nbx_images[256];
extern DWORD         *nbx_pixels[256];   /* 32-bit view of each buffer      */
extern unsigned char *nbx_pixels8[256];  /* byte view of each buffer        */
extern int            nbx_curImage;

int    NBX_CreateImage(int n, const char *title, int x, int y, int width, int height, int zoom);
int    NBX_CreateImage8(int n, const char *title, int x, int y, int width, int height, int zoom);
int    NBX_CreateImageFL(int n, const char *title, int x, int y, int width, int height, int zoom);
int    NBX_CreateImage8FL(int n, const char *title, int x, int y, int width, int height, int zoom);
int    NBX_DestroyImage(int n);
DWORD *NBX_GetImagePixels(int n);
int    NBX_DrawImage(int n);

/*---------------------------------------------------------------------------
 * Drawing into images
 *
 * Every primitive draws into the current image (the last one created, or
 * the one an image window's menu command chose). Positions outside the
 * image are ignored; nothing is redrawn until NBX_DrawImage. An 8-bit image
 * stores the low byte of a value as a palette index.
 *-------------------------------------------------------------------------*/
extern DWORD nbx_drawColor;   /* lines, boxes, circles, fills; 0xFFFFFF at start */
extern DWORD nbx_tc;          /* built-in font text; 0 at start                  */
extern DWORD nbx_tttc;        /* TrueType text; 0xFFFFFF at start                */

void  PutPixel(int x, int y, DWORD value);
DWORD ReadPixel(int x, int y);                 /* 0 outside                    */
void  XorPixel(int x, int y);                  /* value ^ 0xFFFFFF, ~index      */
void  DrawLine(DWORD color, int x1, int y1, int x2, int y2);
void  XorLine(int x1, int y1, int x2, int y2);
void  DrawBox(int x1, int y1, int x2, int y2);        /* corners in any order */
void  FillBox(int x1, int y1, int x2, int y2);
void  XorBox(int x1, int y1, int x2, int y2);
void  XorFillBox(int x1, int y1, int x2, int y2);
void  DrawCircle(DWORD color, int cx, int cy, int r);
void  XorCircle(int cx, int cy, int r);
void  FillCircle(int cx, int cy, int r);
void  XorFillCircle(int cx, int cy, int r);
/* FloodFill(x, y), the 4-connected fill in nbx_drawColor, is declared below
 * the C section: gdi32 already has a C function of that name. */

/* Colour arithmetic on 0x00RRGGBB pixels (16-bit fixed point). */
void  RgbToHsv(DWORD pixel, int *h, int *s, int *v);  /* H 0..359, S = max-min, V = max */
int   RgbToHue(DWORD pixel);
int   RgbToSaturation(DWORD pixel);
int   RgbToValue(DWORD pixel);
DWORD HsvToRgb(int v, int s, int h);
int   RgbToY(DWORD pixel);                     /* luminance 0..255              */
int   RgbToCr(DWORD pixel);                    /* chroma without offset:        */
int   RgbToCb(DWORD pixel);                    /*   -127..128                   */
int   RgbToU(DWORD pixel);
int   RgbToV(DWORD pixel);
int   RgbToI(DWORD pixel);
int   RgbToQ(DWORD pixel);

/*---------------------------------------------------------------------------
 * Click-driven tools
 *
 * Each waits, pumping, for the user to point at image n with the mouse: a
 * prompt in the main window's status line, feedback inverted into the image
 * and erased again. Positions are image pixels and may lie outside the
 * image. Result: 0 done; 1 cancelled (right or middle button, Stop, Exit,
 * or the window closed); 2 no image n (nothing happens). Image n becomes the
 * current image. While a tool waits, the image windows' menus and keys are
 * blocked.
 *-------------------------------------------------------------------------*/
int  PickPoint(int n, int *x, int *y);
int  PickRow(int n, int *x, int *y);       /* follows the mouse with a row      */
int  PickColumn(int n, int *x, int *y);    /* ... with a column                 */
int  PickBlock(int n, int *x, int *y, int bw, int bh);  /* bw x bh frame        */
int  PickRect(int n, int *left, int *right, int *top, int *bottom);  /* sorted */
int  PickLine(int n, int *x1, int *y1, int *x2, int *y2);  /* in click order */
int  PickCircle(int n, int *cx, int *cy, int *r);
void EndPick(void);   /* resting status text; the tool state is cleared     */

/*---------------------------------------------------------------------------
 * Files
 *-------------------------------------------------------------------------*/
int  NBX_OpenFileDialog(const char *title, char *path);   /* path: 260 bytes */

/*---------------------------------------------------------------------------
 * Text in images, the input box, the command console
 *-------------------------------------------------------------------------*/
/* The built-in 8 x 14 font, drawn in nbx_tc into the current image at the
 * text cursor (shared with TrueType text). Only set pixels change. A line
 * feed starts a new line 16 rows lower at the line start; a glyph that would
 * leave no room for the next one on its row wraps. Other control bytes and
 * characters outside 0x20..0x7F are skipped (a double-byte character whole). */
void PutChar(int c);
void PutString(const char *s);
void PrintText(const char *format, ...);   /* result cut at 4095 bytes */

#ifdef __cplusplus
}

/* Drawing into images, continued: fills the 4-connected region of the
 * seed's value in the current image with nbx_drawColor. */
void FloodFill(int x, int y);
#endif

#endif /* NUBRIX_H */
