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
/* TrueType text in nbx_tttc with the current font (16 x 8 "MS Gothic" at the
 * start), drawn at the same cursor; the cell top is baseline - height + 1.
 * SetTrueTypeSize makes the cell width / 2 x height: 0 done, 1 the font could
 * not be made (the old one stays). In a string, a double-byte character of
 * the ANSI code page is one character; the bytes 1/2 switch italics on/off,
 * 3/4 bold, 5/6 underline, 10 starts a new line. No wrap. */
int  SetTrueTypeSize(int width, int height);
void PutTrueTypeChar(int code);
void PutTrueTypeString(const char *s);

/* The input box: one window with a column of 1..30 labelled edit fields
 * ("Item %d", value "0" at the start). A field's text is stored as its item's
 * value when the field loses the keyboard focus (Tab, a click elsewhere) or
 * Enter is pressed in it, not while it is typed. Opening with a box already
 * open does nothing. */
void NBX_OpenInputBox(int x, int y, int items);
void NBX_CloseInputBox(void);
/* The stored value of item `index` (ANSI, at most 255 bytes), "" when no box
 * is open or no such item. The text lives in the framework and changes only
 * while the user thread pumps; copy it to keep it. */
const char *NBX_GetInputValue(int index);
/* Label and field widths in pixels (80 and 70 at the start; later boxes keep
 * the last ones). 0 done (also without an open box: the next box uses them),
 * 1 for a width below 1. */
int  NBX_ResizeInputBox(int isize, int esize);
/* 0 done, 1 no box, no such item or no text. */
int  NBX_SetInputBoxTitle(int index, const char *title);

/* Reads one command word in the current text window ("Cmd>"): exit, start,
 * help, ver, color. 0 when carried out, 1 for anything else. */
int  NBX_CommandConsole(void);


#ifdef __cplusplus
}

/* Drawing into images, continued: fills the 4-connected region of the
 * seed's value in the current image with nbx_drawColor. */
void FloodFill(int x, int y);
#endif

#endif /* NUBRIX_H */
