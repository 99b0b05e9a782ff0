// report.cpp - the window report printed into a text window, and the layout
// source that recreates the open windows, put on the clipboard.
#include "textwin/textwin_internal.h"
#include "textwin/report_logic.h"
#include "boxes/buttonbox_logic.h"

static bool IsAnsiLead(unsigned char b) { return IsDBCSLeadByte(b) != 0; }

// The confirmation, kept as Shift-JIS bytes (code page 932): "the layout
// source list was saved to the clipboard".
static const char kSavedMessage[] =
    "\x83\x4e\x83\x8a\x83\x62\x83\x76\x83\x7b\x81\x5b\x83\x68\x82\xc9\x83\x8c\x83\x43"
    "\x83\x41\x83\x45\x83\x67\x8d\xec\x90\xac\x83\x5c\x81\x5b\x83\x58\x83\x8a\x83\x58"
    "\x83\x67\x82\xf0\x95\xdb\x91\xb6\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x44\n";

// Everything the report reads from the live windows, with room for the
// strings it converts. Large, so it lives on the heap for one report.
struct ReportData {
    ImageEntry images[256];
    TextEntry texts[256];
    char labels[30][256];
    char captions[NBX_BUTTON_MAX][256];
    const char *captionPointers[NBX_BUTTON_MAX];
    WindowSet set;
    char source[kSourceBytes];
};

static void TopLeft(HWND window, int *x, int *y)
{
    RECT r = { 0, 0, 0, 0 };
    GetWindowRect(window, &r);
    *x = r.left;
    *y = r.top;
}

// A window text as ANSI: at most 254 UTF-16 units, at most 254 bytes.
static void ReadText(HWND window, char *out)
{
    WCHAR wide[255];
    wide[0] = 0;
    if (window) GetWindowTextW(window, wide, 255);
    NbxWideToAnsi(wide, out, 255);
}

static void CollectWindows(ReportData *d)
{
    WindowSet &set = d->set;
    set.images = d->images;
    set.texts = d->texts;
    set.imageCount = set.textCount = 0;
    for (int n = 0; n < 256; n++) {
        const ImageRecord &r = nbx_images[n];
        if (!r.inUse) continue;
        ImageEntry &e = d->images[set.imageCount++];
        e.index = n;
        e.bits = r.bits;
        e.limitMode = r.limitMode;
        e.title = r.title ? r.title : "";
        TopLeft(r.window, &e.x, &e.y);
        e.width = r.width;
        e.height = r.height;
        e.zoom = r.zoom;
    }
    for (int n = 0; n < 256; n++) {
        const TextWindow *t = OpenTextRecord(n);
        if (!t) continue;
        TextEntry &e = d->texts[set.textCount++];
        e.index = n;
        TopLeft(t->window, &e.x, &e.y);
        e.width = t->width;
        e.height = t->height;
    }
    InputBoxEntry &in = set.input;
    in.count = InputBoxLayout(&in.isize, &in.esize);
    in.open = in.count > 0;
    if (in.open) TopLeft(InputBoxWindow(), &in.x, &in.y);
    for (int i = 0; i < in.count; i++) {
        ReadText(InputBoxLabel(i), d->labels[i]);
        in.labels[i] = d->labels[i];
    }
    ButtonBoxEntry &bb = set.buttons;
    bb.count = ButtonBoxGrid(&bb.nx, &bb.ny);
    bb.open = bb.count > 0;
    bb.captions = d->captionPointers;
    if (!bb.open) return;
    HWND box = ButtonBoxWindow();
    TopLeft(box, &bb.x, &bb.y);
    RECT client = { 0, 0, 0, 0 };
    GetClientRect(box, &client);
    bb.width = client.right;
    bb.height = client.bottom;
    for (int i = 0; i < bb.count; i++) {
        ReadText(GetDlgItem(box, NBX_BUTTON_ID_BASE + i), d->captions[i]);
        d->captionPointers[i] = d->captions[i];
    }
}

static void PrintIn(DWORD text, const char *format, int value)
{
    NBX_PushTextColor(0, text);
    NBX_Printf(format, value);
    NBX_PopTextColor();
}

static void PrintHeading(const char *heading)
{
    NBX_PushTextColor(0, 0x00FF00);
    NBX_Printf("%s", heading);
    NBX_PopTextColor();
}

static void PrintReport(const WindowSet &set)
{
    if (set.imageCount > 0) PrintHeading("[Image Window]\n");
    for (int i = 0; i < set.imageCount; i++) {
        const ImageEntry &e = set.images[i];
        NBX_Printf(" %d ", e.index);
        PrintIn(0x0080FF, "%d ", e.bits);
        PrintIn(0xFF00FF, "%d ", e.limitMode);
        NBX_Printf(" '%s' X:%d Y:%d W:%d H:%d ZM:%d%%\n", e.title, e.x, e.y, e.width, e.height, e.zoom);
    }
    PrintHeading("[Text Window]\n");
    for (int i = 0; i < set.textCount; i++) {
        const TextEntry &e = set.texts[i];
        NBX_Printf(" %d X:%d Y:%d W:%d H:%d\n", e.index, e.x, e.y, e.width, e.height);
    }
    const InputBoxEntry &in = set.input;
    if (in.open) {
        PrintHeading("[Input Box]\n");
        NBX_Printf(" X:%d Y:%d ITEM:%d ", in.x, in.y, in.count);
        NBX_Printf("ISIZE:%d ESIZE:%d\n", in.isize, in.esize);
    }
    const ButtonBoxEntry &bb = set.buttons;
    if (bb.open) {
        PrintHeading("[Button Box]\n");
        NBX_Printf(" X:%d Y:%d NX:%d NY:%d ", bb.x, bb.y, bb.nx, bb.ny);
        NBX_Printf("SIZE:%dx%d\n", bb.width, bb.height);
    }
}

// Puts the source on the clipboard as CF_TEXT; a clipboard that cannot be
// opened drops it silently.
static void CopySource(const SourceText &source)
{
    if (!OpenClipboardSoon()) return;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, source.length + 1);
    char *copy = memory ? (char *)GlobalLock(memory) : NULL;
    if (!copy) {
        if (memory) GlobalFree(memory);
        CloseClipboard();
        ShowPauseMessage("GlobalAlloc() failed. (ID_INFO)");
        return;
    }
    CopyMemory(copy, source.text, source.length + 1);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    CloseClipboard();
    NBX_PushTextColor(0x000080, 0xFFFF00);
    NBX_Printf("%s", kSavedMessage);
    NBX_PopTextColor();
}

void PrintWindowReport(void)
{
    ReportData *d = (ReportData *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ReportData));
    NBX_PushTextColor(0, 0xFFFFFF);
    NBX_PushTextColor(0, 0xFFFF00);
    NBX_Printf("******* Window information *******\n");
    NBX_PopTextColor();
    if (!d) {
        NBX_Printf("No memory for the window report\n");
        NBX_PopTextColor();
        return;
    }
    CollectWindows(d);
    PrintReport(d->set);
    SourceText source;
    SourceInit(&source, d->source, kSourceBytes);
    GenerateLayoutSource(d->set, &source, IsAnsiLead);
    if (source.cut)
        NBX_Printf("Layout source cut after %d bytes: the windows do not fit in %d\n", source.length, kSourceBytes);
    NBX_PushTextColor(0, 0xFFFF00);
    NBX_Printf("**********************************\n");
    NBX_PopTextColor();
    CopySource(source);
    HeapFree(GetProcessHeap(), 0, d);
    NBX_PopTextColor();
}
