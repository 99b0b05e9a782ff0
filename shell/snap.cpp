// snap.cpp - window-edge table and Ctrl-snapping of dragged windows.
#include "shell/nbx_internal.h"
#include "shell/shell_logic.h"
#include <stdlib.h>

// ----------------------------------------------------------- pure logic

void EdgeTableClear(EdgeTable *table) { table->count = 0; }

void EdgeTableAdd(EdgeTable *table, int left, int top, int right, int bottom)
{
    if (table->count >= NBX_EDGE_MAX) return;
    int i = table->count++;
    table->left[i] = left;
    table->top[i] = top;
    table->right[i] = right;
    table->bottom[i] = bottom;
}

void EdgeTableAddWalls(EdgeTable *table, int w, int h)
{
    EdgeTableAdd(table, -1000, 0, 0, h);
    EdgeTableAdd(table, 0, -1000, w, 0);
    EdgeTableAdd(table, w, 0, w + 1000, h);
    EdgeTableAdd(table, 0, h, w, h + 1000);
}

enum { SETTLED_X = 1, SETTLED_Y = 2 };

static void ShiftX(RECT *r, int dx) { r->left += dx; r->right += dx; }
static void ShiftY(RECT *r, int dy) { r->top += dy; r->bottom += dy; }

// Tries a to b (then c to d); shifts by the first gap under 8 pixels.
static BOOL SnapAxis(RECT *r, void (*shift)(RECT *, int), int a, int b, int c, int d)
{
    if (abs(a - b) < 8) { shift(r, a - b); return TRUE; }
    if (abs(c - d) < 8) { shift(r, c - d); return TRUE; }
    return FALSE;
}

void SnapRectToEdges(const EdgeTable *t, const RECT *current, RECT *rect)
{
    const int pl = rect->left, pt = rect->top, pr = rect->right, pb = rect->bottom;
    int flags = 0;
    for (int i = 0; i < t->count; i++) {
        int L = t->left[i], T = t->top[i], R = t->right[i], B = t->bottom[i];
        if (L == current->left && T == current->top && R == current->right && B == current->bottom)
            continue;
        BOOL xover = L <= pr && R >= pl;
        BOOL yover = T <= pb && B >= pt;
        if (!(flags & SETTLED_X) && yover && SnapAxis(rect, ShiftX, R, pl, L, pr))
            flags |= SETTLED_X;
        if (!(flags & SETTLED_Y) && (flags & SETTLED_X) && xover && SnapAxis(rect, ShiftY, T, pt, B, pb))
            flags |= SETTLED_Y;
        if (!(flags & SETTLED_Y) && xover && SnapAxis(rect, ShiftY, B, pt, T, pb))
            flags |= SETTLED_Y;
        if (!(flags & SETTLED_X) && (flags & SETTLED_Y) && yover && SnapAxis(rect, ShiftX, L, pl, R, pr))
            flags |= SETTLED_X;
        if (flags == (SETTLED_X | SETTLED_Y)) break;
    }
}

// ------------------------------------------------ the process-wide table

// Rebuilt on the user thread and the main thread alike; the lock keeps a
// rebuild and a snap from interleaving.
static EdgeTable edges;
static CRITICAL_SECTION edgeLock;
static INIT_ONCE edgeLockOnce = INIT_ONCE_STATIC_INIT;

static BOOL CALLBACK InitEdgeLock(PINIT_ONCE, PVOID, PVOID *)
{
    InitializeCriticalSection(&edgeLock);
    return TRUE;
}

static void LockEdges(void)
{
    InitOnceExecuteOnce(&edgeLockOnce, InitEdgeLock, NULL, NULL);
    EnterCriticalSection(&edgeLock);
}

static void AddWindow(EdgeTable *table, HWND window)
{
    RECT r;
    if (window && GetWindowRect(window, &r)) EdgeTableAdd(table, r.left, r.top, r.right, r.bottom);
}

void RebuildEdgeTable(void)
{
    // GetWindowRect of another thread's window never waits for that thread,
    // so holding the lock while reading them cannot deadlock.
    static EdgeTable fresh;
    LockEdges();
    EdgeTableClear(&fresh);
    EdgeTableAddWalls(&fresh, GetSystemMetrics(SM_CXFULLSCREEN),
                      GetSystemMetrics(SM_CYFULLSCREEN) + GetSystemMetrics(SM_CYCAPTION));
    for (int n = 0; n < 256; n++)
        if (nbx_images[n].inUse) AddWindow(&fresh, nbx_images[n].window);
    for (int n = 0; n < 256; n++) AddWindow(&fresh, TextWindowHandle(n));
    AddWindow(&fresh, InputBoxWindow());
    AddWindow(&fresh, ButtonBoxWindow());
    AddWindow(&fresh, nbx_mainWindow);
    edges = fresh;
    LeaveCriticalSection(&edgeLock);
}

void SnapMovingRect(HWND window, RECT *rect)
{
    if (GetKeyState(VK_CONTROL) >= 0) return;
    RECT current;
    GetWindowRect(window, &current);
    LockEdges();
    SnapRectToEdges(&edges, &current, rect);
    LeaveCriticalSection(&edgeLock);
}
