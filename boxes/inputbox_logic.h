// inputbox_logic.h - the input box's geometry on plain values.
#ifndef NBX_INPUTBOX_LOGIC_H
#define NBX_INPUTBOX_LOGIC_H

enum { NBX_INPUT_MAX = 30, NBX_INPUT_ROW = 28, NBX_INPUT_VALUE = 256 };

inline int ClampInputItems(int items) { return items < 1 ? 1 : items > NBX_INPUT_MAX ? NBX_INPUT_MAX : items; }

// Client size of a box of `count` rows with labels isize and fields esize wide.
inline void InputBoxClientSize(int isize, int esize, int count, int *width, int *height)
{
    *width = isize + esize + 12;
    *height = NBX_INPUT_ROW * count + 2;
}

// Client positions of row i: the label sits 3 pixels lower than its field.
inline int InputFieldTop(int i) { return 4 + NBX_INPUT_ROW * i; }
inline int InputLabelTop(int i) { return InputFieldTop(i) + 3; }
inline int InputFieldLeft(int isize) { return isize + 8; }

// New widths for a client width after a resize: a drag on a left edge
// (WMSZ_LEFT, WMSZ_TOPLEFT, WMSZ_BOTTOMLEFT) gives the change to the labels,
// any other to the fields. Neither gets narrower than 1.
void InputWidthsForClient(int lastEdge, int clientWidth, int *isize, int *esize);

// The row under a point of the box's own surface (the mouse message's high
// word); not clamped, so a point below the last row names no item.
inline int InputItemAtY(unsigned short y) { return y / NBX_INPUT_ROW; }

#endif
