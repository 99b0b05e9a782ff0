// creation.cpp - windows made by hand from the main window before Start:
// Paste, "Image Window", "Text Window", "Input Box", "Button Box" and picture
// files dropped on the main window. Everything here runs on the main thread
// and gets its windows through the request channel; prompts are printed to,
// and answers read from, the current text window.
#include "shell/nbx_internal.h"
#include "shell/shell_logic.h"
#include "imagewin/clipboard.h"
#include <gdiplus.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <vector>

using namespace Gdiplus::DllExports;
using Gdiplus::GpImage;

int LowestFreeNumber(const bool *open, int count)
{
    for (int i = 0; i < count; i++)
        if (!open[i]) return i;
    return -1;
}

static int LowestFreeImage(void)
{
    bool open[256];
    for (int i = 0; i < 256; i++) open[i] = nbx_images[i].inUse != 0;
    return LowestFreeNumber(open, 256);
}

static int LowestFreeTextWindow(void)
{
    bool open[256];
    for (int i = 0; i < 256; i++) open[i] = TextWindowHandle(i) != NULL;
    return LowestFreeNumber(open, 256);
}

// The commands are offered (not greyed) only while the user thread is idle
// and no line input waits; a request posted otherwise would not be served
// until that ends.
static bool CreationAllowed(void)
{
    return !nbx_running && !nbx_inputActive;
}

// Prints the prompt and reads the answer as a number (0 when it is none).
// False when Exit came meanwhile: the command must then create nothing.
static bool AskNumber(const char *prompt, int *value)
{
    char line[256] = "";
    NBX_Printf("%s", prompt);
    NBX_InputText(line);
    *value = atoi(line);
    return !nbx_quit;
}

static void FormatNumberTitle(char *title, size_t size, int n, const char *name)
{
    if (name) snprintf(title, size, "%03d %s", n, name);
    else snprintf(title, size, "%03d", n);
}

// ------------------------------------------------------------- commands

void PasteClipboardAsNewImage(void)
{
    if (!CreationAllowed()) return;
    DWORD palette[256];
    int entries = 0;
    HBITMAP bitmap = ReadClipboardBitmap(palette, &entries);
    if (!bitmap) return;
    BITMAP size;
    int n = -1;
    if (GetObjectW(bitmap, sizeof size, &size)) {
        char title[16];
        int next = 0;
        n = CreateAtNextFree(&next, true, [&](int k) {
            FormatNumberTitle(title, sizeof title, k, NULL);
            return nbx_quit ? -1 : RequestCreateImage(k, title, size.bmWidth, size.bmHeight, 32);
        });
    }
    if (n < 0 || nbx_quit) {
        DeleteObject(bitmap);
        return;
    }
    RequestPasteBitmap(bitmap);   // the user thread deletes it
    RequestRedrawImage(n);
    RestoreImage();
}

void RunImageWindowCommand(void)
{
    if (!CreationAllowed()) return;
    RequestOpenTextWindow(0);
    NBX_Printf("Creating ImageWindow...\n");
    int width, height, bits;
    if (!AskNumber(" Width=", &width) || !AskNumber("Height=", &height) ||
        !AskNumber("Bit[32 or 8]=", &bits))
        return;
    if (bits != 32 && bits != 8) return;
    int n = LowestFreeImage();
    if (n < 0) return;
    char title[16];
    FormatNumberTitle(title, sizeof title, n, NULL);
    RequestCreateImage(n, title, width, height, bits);
}

void RunTextWindowCommand(void)
{
    if (!CreationAllowed()) return;
    int n = LowestFreeTextWindow();
    if (n >= 0) RequestOpenTextWindow(n);
}

void RunInputBoxCommand(void)
{
    if (!CreationAllowed()) return;
    RequestOpenTextWindow(0);
    NBX_Printf("Creating InpuxBox...\n");
    int count;
    if (AskNumber("How many items? >", &count)) RequestOpenInputBox(count);
}

void RunButtonBoxCommand(void)
{
    if (!CreationAllowed()) return;
    RequestOpenTextWindow(0);
    NBX_Printf("Creating ButtonBox...\n");
    int nx, ny;
    if (AskNumber("Number[X]=>", &nx) && AskNumber("Number[Y]=>", &ny))
        RequestOpenButtonBox(nx, ny);
}

// -------------------------------------------------------- dropped files

// `wide` in the ANSI code page, into NBX_PATH bytes; true only when it fits
// and converts back to the same text (a lossy path names another file).
static bool AnsiExactly(const WCHAR *wide, char out[NBX_PATH])
{
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, NULL, 0, NULL, NULL);
    if (bytes <= 0 || bytes > NBX_PATH) return false;
    WideCharToMultiByte(CP_ACP, 0, wide, -1, out, NBX_PATH, NULL, NULL);
    int units = lstrlenW(wide) + 1;
    std::vector<WCHAR> back(units);
    return MultiByteToWideChar(CP_ACP, 0, out, -1, back.data(), units) == units &&
           memcmp(back.data(), wide, units * sizeof(WCHAR)) == 0;
}

// The narrow path the image loader is given: the full path itself, or its
// short form when the full path is too long for the loader or has
// characters outside the ANSI code page. False when neither will do.
static bool LoaderPath(const WCHAR *full, char path[NBX_PATH])
{
    if (AnsiExactly(full, path)) return true;
    DWORD units = GetShortPathNameW(full, NULL, 0);
    if (units == 0) return false;
    std::vector<WCHAR> shortPath(units + 1);
    DWORD got = GetShortPathNameW(full, shortPath.data(), units + 1);
    return got > 0 && got <= units && AnsiExactly(shortPath.data(), path);
}

// The full path of a dropped name and the offset of its file-name part;
// false when the path has no file-name part.
static bool FullPathOf(const WCHAR *name, std::vector<WCHAR> *full, size_t *part)
{
    DWORD units = GetFullPathNameW(name, 0, NULL, NULL);
    if (units == 0) return false;
    full->assign(units + 1, 0);
    WCHAR *filePart = NULL;
    DWORD got = GetFullPathNameW(name, units + 1, full->data(), &filePart);
    if (got == 0 || got > units || !filePart || !*filePart) return false;
    *part = filePart - full->data();
    return true;
}

// Width and height of a picture file as GDI+ reads it; 0 x 0 when it cannot.
static void PictureSize(const WCHAR *path, UINT *width, UINT *height)
{
    *width = *height = 0;
    GpImage *picture = NULL;
    if (GdipLoadImageFromFile(path, &picture) != Gdiplus::Ok || !picture) return;
    GdipGetImageWidth(picture, width);
    GdipGetImageHeight(picture, height);
    GdipDisposeImage(picture);
}

static void OpenDroppedFile(HDROP drop, UINT index, int *next)
{
    UINT units = DragQueryFileW(drop, index, NULL, 0);
    std::vector<WCHAR> name(units + 1, 0);
    if (units == 0 || DragQueryFileW(drop, index, name.data(), units + 1) == 0) return;
    std::vector<WCHAR> full;
    size_t part;
    if (!FullPathOf(name.data(), &full, &part)) return;
    UINT width, height;
    PictureSize(full.data(), &width, &height);
    char path[NBX_PATH];
    if (width == 0 || height == 0 || !LoaderPath(full.data(), path)) return;

    // The title shows the name as the code page has it, even where that
    // differs from the file's own name.
    char shown[NBX_PATH], title[NBX_PATH + 16];
    NbxWideToAnsi(full.data() + part, shown, NBX_PATH);
    int n = CreateAtNextFree(next, false, [&](int k) {
        FormatNumberTitle(title, sizeof title, k, shown);
        return nbx_quit ? -1 : RequestCreateImage(k, title, (int)width, (int)height, 32);
    });
    if (n < 0 || nbx_quit) return;
    RequestLoadImageFile(n, path);
    RequestRedrawImage(n);
    RestoreImage();
}

void OpenDroppedFiles(HDROP drop)
{
    if (!nbx_running) {
        int next = 0;
        UINT count = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
        for (UINT i = 0; i < count && !nbx_quit; i++) OpenDroppedFile(drop, i, &next);
    }
    DragFinish(drop);
}
