// picktools.cpp - the click-driven tools: each waits in a message loop of its
// own for the user to point at an image, drawing inverted feedback into it,
// and the drawing and "Pick" commands built on them.
#include "imageproc/imageproc.h"
#include "imageproc/picktools_logic.h"
#include "imagewin/imagemenu.h"
#include <stdio.h>

namespace {

// How long a waiting tool sleeps when nothing happens: Stop and Exit arrive
// as flags, not messages, so the wait must end by itself to see them.
const DWORD kPickWaitMs = 10;

enum PickEvent { kEventMove, kEventClick, kEventCancel, kEventEnd };

enum { kPickDone = 0, kPickCancelled = 1, kPickNoImage = 2 };

struct PickRun {
    int n;
    HWND window;         // the image's window when the tool began
    bool twoPoints;
    int stage;           // 0 first point, 1 second point
    PickFeedback shown;  // inverted in the image while shape != kShapeNone
};

// Still the same image in the same window: closing it ends the tool.
bool ImageStays(const PickRun &run)
{
    int n = run.n;
    return (unsigned)n < 256 && nbx_images[n].inUse && nbx_images[n].window == run.window;
}

// Inverts the feedback in the tool's own image (not whatever is current),
// leaving the drawing pen alone, and has the window repaint it.
void Invert(PickRun &run, const PickFeedback &f)
{
    if (f.shape == kShapeNone || !ImageStays(run)) return;
    const ImageRecord &r = nbx_images[run.n];
    GdiFlush();
    Canvas c = MakeCanvas(nbx_pixels8[run.n], r.bits, r.width, r.height);
    InvertPickFeedback(c, f);
    InvalidateRect(r.window, NULL, FALSE);
}

void Show(PickRun &run, const PickFeedback &f)
{
    Invert(run, run.shown);   // erase the old one first
    run.shown = f;
    Invert(run, run.shown);
}

void Erase(PickRun &run)
{
    Invert(run, run.shown);
    run.shown.shape = kShapeNone;
}

// Pumps until the mouse did something in the tool's window, or the tool must
// end (Stop, Exit, the window gone). Between pumps it sleeps until a message
// arrives or a short time passes, so a waiting tool uses no processor.
PickEvent NextEvent(const PickRun &run)
{
    for (;;) {
        NBX_PumpMessages();
        if (nbx_stop || nbx_quit || !ImageStays(run)) return kEventEnd;
        if (nbx_pick.moved) {
            nbx_pick.moved = 0;
            return kEventMove;
        }
        if (nbx_pick.clicked) {
            nbx_pick.clicked = 0;
            return kEventClick;
        }
        if (nbx_pick.cancel) {
            nbx_pick.cancel = 0;
            return kEventCancel;
        }
        MsgWaitForMultipleObjectsEx(0, NULL, kPickWaitMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void ShowRestingStatus(void)
{
    char depth[32];
    snprintf(depth, sizeof depth, "%d-bit color", nbx_colorDepth);
    SetStatusText(depth);
}

// Feedback of a tool at the mouse (one-point tools) or between the first
// point and the mouse (two-point tools).
PickFeedback FeedbackAt(PickShape shape, int ax, int ay, int bx, int by, int bw, int bh)
{
    PickFeedback f = { shape, ax, ay, bx, by, bw, bh };
    return f;
}

// Runs one tool on image n. `shape` is its feedback; two-point tools (box,
// line, circle) gather the first point into (out[0], out[1]) and the second
// into (out[2], out[3]), one-point tools the click into (out[0], out[1]).
int RunPick(int n, PickShape shape, int bw, int bh, int out[4])
{
    if ((unsigned)n >= 256 || !nbx_images[n].inUse) return kPickNoImage;
    if (nbx_pickActive) return kPickCancelled;   // a command queued before this tool began
    PickRun run = { n, nbx_images[n].window, shape >= kShapeBox, 0, FeedbackAt(kShapeNone, 0, 0, 0, 0, 0, 0) };
    out[0] = out[1] = out[2] = out[3] = 0;
    SetStatusText(run.twoPoints ? "Click the first point" : "Click a point");
    DragAcceptFiles(nbx_mainWindow, FALSE);
    SelectImage(n);
    // A Stop given before the tool began belongs to the user program: the
    // tool ends only on one given while it waits, and puts the earlier one
    // back when it ends.
    int stopBefore = nbx_stop;
    nbx_stop = 0;
    nbx_pick.clicked = nbx_pick.cancel = nbx_pick.moved = 0;
    nbx_pick.image = n;
    nbx_pickActive = 1;

    if (!run.twoPoints) Show(run, FeedbackAt(shape, 0, 0, nbx_pick.moveX, nbx_pick.moveY, bw, bh));
    int result = -1;
    while (result < 0) {
        PickEvent e = NextEvent(run);
        if (e == kEventEnd) {
            // Stop, Exit or the window closed: like a cancel.
            Erase(run);
            result = kPickCancelled;
        } else if (e == kEventMove) {
            if (!run.twoPoints) Show(run, FeedbackAt(shape, 0, 0, nbx_pick.moveX, nbx_pick.moveY, bw, bh));
            else if (run.stage == 1) Show(run, FeedbackAt(shape, out[0], out[1], nbx_pick.moveX, nbx_pick.moveY, 0, 0));
        } else if (e == kEventCancel) {
            Erase(run);
            if (run.stage == 0) {
                result = kPickCancelled;
            } else {
                run.stage = 0;
                SetStatusText("Click the first point");
            }
        } else if (!run.twoPoints || run.stage == 1) {
            Erase(run);
            out[run.stage * 2] = nbx_pick.clickX;
            out[run.stage * 2 + 1] = nbx_pick.clickY;
            result = kPickDone;
        } else {
            out[0] = out[2] = nbx_pick.clickX;
            out[1] = out[3] = nbx_pick.clickY;
            Show(run, FeedbackAt(shape, out[0], out[1], out[0], out[1], 0, 0));
            run.stage = 1;
            SetStatusText("Click the second point");
        }
    }
    // The window repaints the erased feedback before the caller goes on.
    if (result == kPickDone) NBX_PumpMessages();
    EndPick();
    if (stopBefore) nbx_stop = 1;
    return result;
}

void Order(int *a, int *b)
{
    if (*a > *b) {
        int t = *a;
        *a = *b;
        *b = t;
    }
}

}  // namespace

void EndPick(void)
{
    ShowRestingStatus();
    nbx_pickActive = 0;
    nbx_pick.image = -1;
    // Dropped files reach the main window again, unless the user program
    // runs (it took them away at Start for good).
    DragAcceptFiles(nbx_mainWindow, !nbx_running);
}

static int PickOne(int n, PickShape shape, int *x, int *y, int bw = 0, int bh = 0)
{
    int p[4];
    int result = RunPick(n, shape, bw, bh, p);
    if (result != kPickNoImage) {
        *x = p[0];
        *y = p[1];
    }
    return result;
}

int PickPoint(int n, int *x, int *y) { return PickOne(n, kShapeNone, x, y); }
int PickRow(int n, int *x, int *y) { return PickOne(n, kShapeRow, x, y); }
int PickColumn(int n, int *x, int *y) { return PickOne(n, kShapeColumn, x, y); }
int PickBlock(int n, int *x, int *y, int bw, int bh) { return PickOne(n, kShapeBlock, x, y, bw, bh); }

int PickRect(int n, int *left, int *right, int *top, int *bottom)
{
    int p[4];
    int result = RunPick(n, kShapeBox, 0, 0, p);
    if (result == kPickNoImage) return result;
    Order(&p[0], &p[2]);
    Order(&p[1], &p[3]);
    *left = p[0];
    *top = p[1];
    *right = p[2];
    *bottom = p[3];
    return result;
}

int PickLine(int n, int *x1, int *y1, int *x2, int *y2)
{
    int p[4];
    int result = RunPick(n, kShapeLine, 0, 0, p);
    if (result == kPickNoImage) return result;
    *x1 = p[0];
    *y1 = p[1];
    *x2 = p[2];
    *y2 = p[3];
    return result;
}

int PickCircle(int n, int *cx, int *cy, int *r)
{
    int p[4];
    int result = RunPick(n, kShapeCircle, 0, 0, p);
    if (result == kPickNoImage) return result;
    *cx = p[0];
    *cy = p[1];
    *r = CircleRadius(p[2] - p[0], p[3] - p[1]);
    return result;
}

// ------------------------------------------------------------- commands

// Draw Line / Box / Circle and Paint on the current image (the dispatcher
// made the command's window current); nothing unless the tool completed.
void RunDrawingTool(UINT id)
{
    int n = nbx_curImage;
    if ((unsigned)n >= 256 || !nbx_images[n].inUse) return;
    int a, b, c, d;
    switch (id) {
    case 1032:
        if (PickLine(n, &a, &b, &c, &d) == 0) DrawLine(nbx_drawColor, a, b, c, d);
        break;
    case 1034:
        if (PickRow(n, &a, &b) == 0) DrawLine(nbx_drawColor, 0, b, nbx_images[n].width - 1, b);
        break;
    case 1035:
        if (PickColumn(n, &a, &b) == 0) DrawLine(nbx_drawColor, a, 0, a, nbx_images[n].height - 1);
        break;
    case 1036: case 1037: case 1038:
        if (PickRect(n, &a, &c, &b, &d) != 0) break;
        if (id == 1036) DrawBox(a, b, c, d);
        else if (id == 1037) FillBox(a, b, c, d);
        else XorFillBox(a, b, c, d);
        break;
    case 1039: case 1040: case 1041:
        if (PickCircle(n, &a, &b, &c) != 0) break;
        if (id == 1039) DrawCircle(nbx_drawColor, a, b, c);
        else if (id == 1040) FillCircle(a, b, c);
        else XorFillCircle(a, b, c);
        break;
    case 1043:
        if (PickPoint(n, &a, &b) == 0) FloodFill(a, b);
        break;
    }
}

// "Pick": the drawing colour from a pixel; the TrueType colour follows it,
// through the palette on an 8-bit image.
void RunColorPick(int n)
{
    int x, y;
    if (PickPoint(n, &x, &y) != 0) return;
    DWORD value = ReadPixel(x, y);
    nbx_drawColor = value;
    if (nbx_images[n].bits == 32) {
        nbx_tttc = value;
    } else {
        DWORD palette[256];
        if (GetImagePalette(palette) == 0) nbx_tttc = palette[value & 0xFF];
    }
}
