// buttonbox_logic.h - the button box's grid arithmetic on plain values.
#ifndef NBX_BUTTONBOX_LOGIC_H
#define NBX_BUTTONBOX_LOGIC_H

enum { NBX_BUTTON_MAX = 256, NBX_BUTTON_GAP = 4, NBX_BUTTON_ID_BASE = 3000 };

// True when an nx x ny box can be opened (1..256 buttons in all).
bool ButtonGridValid(int nx, int ny);

// Client size of an nx x ny grid of buttons of the given size, with a
// 4-pixel gap around and between them.
void ButtonGridClientSize(int nx, int ny, int buttonWidth, int buttonHeight,
                          int *width, int *height);

// Client position of button i (numbered row by row).
void ButtonGridPosition(int i, int nx, int buttonWidth, int buttonHeight, int *x, int *y);

// Button size that fills a client area of width x height; may be 0 for a
// box squeezed below its gaps.
void ButtonSizeForClient(int width, int height, int nx, int ny,
                         int *buttonWidth, int *buttonHeight);

// Index of the button nearest to a point of the box's own surface; the
// coordinates are the low and high words of the mouse message.
int ButtonIndexAtPoint(unsigned short x, unsigned short y, int nx, int ny,
                       int buttonWidth, int buttonHeight);

// The counter a digit key presses (main keyboard or keypad), or -1.
int ButtonForDigitKey(unsigned int virtualKey);

#endif
