// imagefile.cpp - image files through GDI+ (flat API) and the open and save
// dialogs with their remembered folder and filter.
//
// Loading never resizes an image: the picture is drawn into the current
// image's buffer at its own size and clipped there.
#include "imagewin/imagewin_private.h"
#include "imagewin/imagefile_logic.h"
#include <gdiplus.h>
#include <dlgs.h>
#include <stdlib.h>
#include <string.h>
#include <algorithm>
#include <vector>

using namespace Gdiplus::DllExports;
using Gdiplus::GpBitmap;
using Gdiplus::GpGraphics;
using Gdiplus::GpImage;

// ----------------------------------------------------------- pure logic

static WCHAR FoldAscii(WCHAR c) { return (c >= 'a' && c <= 'z') ? (WCHAR)(c - 'a' + 'A') : c; }

BOOL AppendExtension(WCHAR *path, int capacity, const WCHAR *extension)
{
    int length = lstrlenW(path);
    int extLength = lstrlenW(extension);
    if (length >= extLength) {
        int i = 0;
        while (i < extLength && FoldAscii(path[length - extLength + i]) == FoldAscii(extension[i])) i++;
        if (i == extLength) return TRUE;
    }
    int room = capacity - 1 - length;
    if (room < 0) return FALSE;
    int copy = extLength < room ? extLength : room;
    memcpy(path + length, extension, copy * sizeof(WCHAR));
    path[length + copy] = 0;
    return copy == extLength;
}

int SaveTypeForFilter(int filterIndex)
{
    switch (filterIndex) {
    case 1: case 2: return 0;   // "All Files" saves a BMP too
    case 3: return 1;
    case 4: return 2;
    case 5: return 3;
    case 6: return 4;
    default: return -1;
    }
}

static const WCHAR *const kMimeTypes[5] = { L"image/bmp", L"image/jpeg", L"image/gif",
                                            L"image/png", L"image/tiff" };
static const WCHAR *const kExtensions[5] = { L".bmp", L".jpg", L".gif", L".png", L".tif" };

const WCHAR *SaveTypeMime(int type) { return type >= 0 && type < 5 ? kMimeTypes[type] : NULL; }
const WCHAR *SaveTypeExtension(int type) { return type >= 0 && type < 5 ? kExtensions[type] : NULL; }

const WCHAR *OpenDialogInitialName(int filterIndex)
{
    static const WCHAR *const names[9] = {
        L"*.*", L"*.BMP;*.RLE;*.DIB", L"*.JPG;*.JPEG;*.JPE", L"*.GIF", L"*.PNG",
        L"*.TIF;*.TIFF", L"*.WMF", L"*.EMF", L"*.AVI" };
    return filterIndex >= 1 && filterIndex <= 9 ? names[filterIndex - 1] : names[0];
}

int PaletteEntryCount(int paletteBytes, unsigned int declaredCount)
{
    if (paletteBytes < 8) return 0;
    unsigned int held = (unsigned int)(paletteBytes - 8) / 4;
    unsigned int count = held < declaredCount ? held : declaredCount;
    return count > 256 ? 256 : (int)count;
}

void PaletteWordsFromArgb(const DWORD *argb, int count, DWORD *words)
{
    for (int i = 0; i < count; i++) words[i] = argb[i] & 0xFFFFFF;
}

void ClearTopBytes(DWORD *pixels, int width, int height, int x, int y, int w, int h)
{
    long long left = x < 0 ? 0 : x, top = y < 0 ? 0 : y;
    long long right = (long long)x + w, bottom = (long long)y + h;
    if (right > width) right = width;
    if (bottom > height) bottom = height;
    for (long long row = top; row < bottom; row++)
        for (long long col = left; col < right; col++)
            pixels[row * width + col] &= 0xFFFFFF;
}

static int CubeLevel(DWORD c) { return (int)((c + 25) / 51); }   // 0..5

int QuantizeToPalette(const DWORD *pixels, int count, DWORD palette[256], BYTE *indexes)
{
    for (int i = 0; i < 256; i++) palette[i] = 0;
    std::vector<DWORD> colours(pixels, pixels + count);
    for (DWORD &c : colours) c &= 0xFFFFFF;
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (colours.size() <= 256) {
        for (size_t i = 0; i < colours.size(); i++) palette[i] = colours[i];
        for (int i = 0; i < count; i++)
            indexes[i] = (BYTE)(std::lower_bound(colours.begin(), colours.end(), pixels[i] & 0xFFFFFF) -
                                colours.begin());
        return (int)colours.size();
    }
    for (int i = 0; i < 216; i++)
        palette[i] = (DWORD)(i / 36 * 51) << 16 | (DWORD)(i / 6 % 6 * 51) << 8 | (DWORD)(i % 6 * 51);
    for (int i = 0; i < count; i++) {
        DWORD p = pixels[i];
        indexes[i] = (BYTE)(CubeLevel((p >> 16) & 0xFF) * 36 + CubeLevel((p >> 8) & 0xFF) * 6 +
                            CubeLevel(p & 0xFF));
    }
    return 216;
}

// ------------------------------------------------------------ the state

int nbx_jpegQuality = 100;
int nbx_openFilterIndex = 9;
int nbx_saveFilterIndex = 2;

// Description / pattern pairs, as the dialogs want them (double-terminated).
static const WCHAR kOpenFilters[] =
    L"All Files (*.*)\0*.*\0"
    L"BMP (*.BMP;*.RLE;*.DIB)\0*.BMP;*.RLE;*.DIB\0"
    L"JPEG (*.JPG;*.JPEG;*.JPE)\0*.JPG;*.JPEG;*.JPE\0"
    L"CompuServe GIF (*.GIF)\0*.GIF\0"
    L"PNG (*.PNG)\0*.PNG\0"
    L"TIFF (*.TIF;*.TIFF)\0*.TIF;*.TIFF\0"
    L"WMF (*.WMF)\0*.WMF\0"
    L"EMF (*.EMF)\0*.EMF\0"
    L"AVI (*.AVI )\0*.AVI \0";
static const WCHAR kSaveFilters[] =
    L"All Files (*.*)\0*.*\0"
    L"BMP (*.BMP;*.RLE;*.DIB)\0*.BMP;*.RLE;*.DIB\0"
    L"JPEG (*.JPG;*.JPEG;*.JPE)\0*.JPG;*.JPEG;*.JPE\0"
    L"CompuServe GIF (*.GIF)\0*.GIF\0"
    L"PNG (*.PNG)\0*.PNG\0"
    L"TIFF (*.TIF;*.TIFF)\0*.TIF;*.TIFF\0";

// A narrow path as UTF-16 in NBX_PATH units. FALSE when it does not fit,
// since a cut path names another file.
static BOOL PathToWide(const char *path, WCHAR wide[NBX_PATH])
{
    if (!path) return FALSE;
    int needed = MultiByteToWideChar(CP_ACP, 0, path, -1, NULL, 0);
    if (needed <= 0 || needed > NBX_PATH) return FALSE;
    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, NBX_PATH);
    return TRUE;
}

// The same the other way, into NBX_PATH bytes.
static BOOL PathToAnsi(const WCHAR *wide, char path[NBX_PATH])
{
    int needed = WideCharToMultiByte(CP_ACP, 0, wide, -1, NULL, 0, NULL, NULL);
    if (needed <= 0 || needed > NBX_PATH) return FALSE;
    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, NBX_PATH, NULL, NULL);
    return TRUE;
}

// ---------------------------------------------------------------- dialogs

struct DialogKind {
    BOOL save;
    const WCHAR *filters;
    const WCHAR *initialName;
    DWORD flags;
    int *filterIndex;
    char *directory;
};

// The edit of the dialog's name box: an edit of its own, or the one inside
// the name combo.
static BOOL CALLBACK FindNameEdit(HWND child, LPARAM found)
{
    WCHAR name[8];
    int id = GetDlgCtrlID(child);
    if (GetClassNameW(child, name, 8) && !lstrcmpiW(name, L"Edit") && (id == cmb13 || id == edt1)) {
        *(HWND *)found = child;
        return FALSE;
    }
    return TRUE;
}

// TRUE when the name in the dialog's name box, joined to the folder it shows,
// makes a path the caller's NBX_PATH bytes hold. The dialog's own handling
// of OK (Wine's at least) copies that path into a MAX_PATH buffer on the
// stack, so a longer one must never reach it.
static BOOL ChosenNameFits(HWND dialog)
{
    HWND box = NULL;
    EnumChildWindows(dialog, FindNameEdit, (LPARAM)&box);
    int typedUnits = box ? GetWindowTextLengthW(box) : 0;
    int folderUnits = (int)SendMessageW(dialog, CDM_GETFOLDERPATH, 0, 0);
    if (folderUnits < 0) folderUnits = 0;
    std::vector<WCHAR> joined(folderUnits + typedUnits + 2, 0), full(32768);
    if (box) GetWindowTextW(box, joined.data(), typedUnits + 1);
    BOOL absolute = joined[0] == '\\' || (joined[0] && joined[1] == ':');
    if (!absolute && folderUnits > 0) {
        std::vector<WCHAR> typed(joined.begin(), joined.begin() + typedUnits + 1);
        SendMessageW(dialog, CDM_GETFOLDERPATH, folderUnits, (LPARAM)joined.data());
        int at = lstrlenW(joined.data());
        if (at > 0 && joined[at - 1] != '\\') joined[at++] = '\\';
        lstrcpyW(joined.data() + at, typed.data());
    }
    DWORD units = GetFullPathNameW(joined.data(), (DWORD)full.size(), full.data(), NULL);
    if (units == 0) return TRUE;   // not a path at all: the dialog says so itself
    if (units >= MAX_PATH) return FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, 0, full.data(), -1, NULL, 0, NULL, NULL);
    return bytes > 0 && bytes <= NBX_PATH;
}

// The file dialog itself, subclassed by the hook below: an OK whose path
// would not fit is turned into Cancel (the dialog's result 1).
static LRESULT CALLBACK GuardedFileDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC original = (WNDPROC)GetPropW(dialog, L"nbx_dialog_proc");
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK && !ChosenNameFits(dialog))
        return CallWindowProcW(original, dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                               (LPARAM)GetDlgItem(dialog, IDCANCEL));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, (LONG_PTR)original);
        RemovePropW(dialog, L"nbx_dialog_proc");
    }
    return CallWindowProcW(original, dialog, message, wParam, lParam);
}

static UINT_PTR CALLBACK FileDialogHook(HWND hook, UINT message, WPARAM, LPARAM)
{
    if (message == WM_INITDIALOG) {
        HWND dialog = GetParent(hook);
        SetPropW(dialog, L"nbx_dialog_proc", (HANDLE)GetWindowLongPtrW(dialog, GWLP_WNDPROC));
        SetWindowLongPtrW(dialog, GWLP_WNDPROC, (LONG_PTR)GuardedFileDialogProc);
    }
    return 0;
}

// Shows the dialog; on OK leaves the chosen path in `path` and remembers the
// filter and the file's folder. 0 chosen, 1 cancelled or refused (state
// unchanged).
static int RunFileDialog(const DialogKind &kind, const char *title, char *path)
{
    WCHAR folder[NBX_PATH], titleWide[NBX_PATH];
    NbxAnsiToWide(kind.directory, folder, NBX_PATH);
    if (title && *title) NbxAnsiToWide(title, titleWide, NBX_PATH);
    // Room for the longest path the dialog can return (a long-path name
    // runs to 32767 units); what does not fit the caller's buffer is
    // refused below.
    const DWORD fileUnits = 32768;
    std::vector<WCHAR> chosenFile(fileUnits);
    WCHAR *file = chosenFile.data();
    lstrcpynW(file, kind.initialName, fileUnits);

    OPENFILENAMEW ofn;
    ZeroMemory(&ofn, sizeof ofn);
    ofn.lStructSize = sizeof ofn;
    ofn.hInstance = nbx_hInstance;
    ofn.lpstrFilter = kind.filters;
    ofn.nFilterIndex = *kind.filterIndex;
    ofn.lpstrFile = file;
    ofn.nMaxFile = fileUnits;
    ofn.lpstrInitialDir = folder;
    // Without a title of the caller's the dialog keeps the system's own.
    ofn.lpstrTitle = (title && *title) ? titleWide : NULL;
    ofn.Flags = kind.flags | OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
    ofn.lpfnHook = FileDialogHook;
    BOOL chosen = kind.save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    if (!chosen) return 1;

    char chosenPath[NBX_PATH];
    if (!PathToAnsi(file, chosenPath)) return 1;   // would not survive the code page
    lstrcpynA(path, chosenPath, NBX_PATH);
    *kind.filterIndex = (int)ofn.nFilterIndex;
    WCHAR full[NBX_PATH];
    WCHAR *filePart = NULL;
    DWORD n = GetFullPathNameW(file, NBX_PATH, full, &filePart);
    if (n > 0 && n < NBX_PATH) {
        if (filePart) *filePart = 0;
        char dir[NBX_PATH];
        if (PathToAnsi(full, dir)) lstrcpynA(kind.directory, dir, NBX_PATH);
    }
    return 0;
}

int NBX_OpenFileDialog(const char *title, char *path)
{
    DialogKind kind = { FALSE, kOpenFilters, OpenDialogInitialName(nbx_openFilterIndex),
                        OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                        &nbx_openFilterIndex, nbx_openDir };
    return RunFileDialog(kind, title, path);
}

int SaveFileDialog(char *path)
{
    DialogKind kind = { TRUE, kSaveFilters, L"noname", OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST,
                        &nbx_saveFilterIndex, nbx_saveDir };
    return RunFileDialog(kind, "Save as", path);
}

// --------------------------------------------------------------- palettes

int SetImagePalette(const DWORD *entries, int count)
{
    ImageRecord *r = ImageInUse(nbx_curImage);
    if (!r) return 1;
    if (r->bits != 8) return 2;
    if (count > 256) count = 256;
    if (count > 0 && entries) {
        // 0x00RRGGBB words have the memory layout of RGBQUAD.
        SetDIBColorTable(r->memDC, 0, (UINT)count, (const RGBQUAD *)entries);
        InvalidateRect(r->window, NULL, FALSE);
    }
    return 0;
}

int GetImagePalette(DWORD *entries)
{
    ImageRecord *r = ImageInUse(nbx_curImage);
    if (!r) return 1;
    if (r->bits != 8) return 2;
    ZeroMemory(entries, 256 * sizeof(DWORD));
    GetDIBColorTable(r->memDC, 0, 256, (RGBQUAD *)entries);
    return 0;
}

// Gives an 8-bit image the palette of a decoded picture. TRUE when the
// colour table changed.
static BOOL TakePictureColours(GpImage *picture)
{
    INT bytes = 0;
    if (GdipGetImagePaletteSize(picture, &bytes) != Gdiplus::Ok || bytes < 8) return FALSE;
    std::vector<DWORD> block(((size_t)bytes + 3) / 4 + 1, 0);
    Gdiplus::ColorPalette *palette = (Gdiplus::ColorPalette *)block.data();
    if (GdipGetImagePalette(picture, palette, bytes) != Gdiplus::Ok) return FALSE;
    // The count the block declares, too: a picture without a palette still
    // reports a block with room for one entry.
    int count = PaletteEntryCount(bytes, palette->Count);
    if (count <= 0) return FALSE;
    DWORD words[256];
    PaletteWordsFromArgb((const DWORD *)palette->Entries, count, words);
    SetImagePalette(words, count);
    return TRUE;
}

// ---------------------------------------------------------------- loading

int LoadImageFile(const char *file, int x, int y)
{
    ImageRecord *r = ImageInUse(nbx_curImage);
    if (!r) return 2;
    WCHAR wide[NBX_PATH];
    if (!PathToWide(file, wide)) return 1;
    GpImage *picture = NULL;
    if (GdipLoadImageFromFile(wide, &picture) != Gdiplus::Ok || !picture) return 1;
    UINT width = 0, height = 0;
    GdipGetImageWidth(picture, &width);
    GdipGetImageHeight(picture, &height);
    if (width == 0 || height == 0) {
        GdipDisposeImage(picture);
        return 1;
    }

    DWORD oldColours[256];
    BOOL coloursChanged = FALSE;
    if (r->bits == 8) {
        GetImagePalette(oldColours);
        coloursChanged = TakePictureColours(picture);
    }
    GpGraphics *graphics = NULL;
    Gdiplus::GpStatus status = GdipCreateFromHDC(r->memDC, &graphics);
    if (status == Gdiplus::Ok) {
        status = GdipDrawImageRectI(graphics, picture, x, y, (INT)width, (INT)height);
        GdipDeleteGraphics(graphics);
    }
    GdipDisposeImage(picture);
    GdiFlush();
    if (status != Gdiplus::Ok) {
        // Nothing was drawn: give the image its colours back as well.
        if (coloursChanged) SetImagePalette(oldColours, 256);
        return 1;
    }
    // Drawing may leave alpha in the top byte; pixels are 0x00RRGGBB.
    if (r->bits == 32)
        ClearTopBytes(nbx_pixels[nbx_curImage], r->width, r->height, x, y, (int)width, (int)height);
    return 0;
}

// ----------------------------------------------------------------- saving

CLSID FindEncoder(const WCHAR *mimeType)
{
    CLSID found;
    ZeroMemory(&found, sizeof found);
    UINT count = 0, bytes = 0;
    if (!mimeType || GdipGetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return found;
    std::vector<BYTE> block(bytes);
    Gdiplus::ImageCodecInfo *codecs = (Gdiplus::ImageCodecInfo *)block.data();
    if (GdipGetImageEncoders(count, bytes, codecs) != Gdiplus::Ok) return found;
    for (UINT i = 0; i < count; i++) {
        if (codecs[i].MimeType && lstrcmpW(codecs[i].MimeType, mimeType) == 0) {
            found = codecs[i].Clsid;
            break;
        }
    }
    return found;
}

// 32-bit image: its pixels as a 24-bit GDI+ bitmap (the top byte dropped).
static GpBitmap *BitmapFrom32(int width, int height)
{
    std::vector<DWORD> copy((size_t)width * height);
    ReadImageArea(copy.data(), 0, 0, width, height);
    GpBitmap *wrapper = NULL, *clone = NULL;
    if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppRGB,
                                  (BYTE *)copy.data(), &wrapper) != Gdiplus::Ok)
        return NULL;
    GdipCloneBitmapAreaI(0, 0, width, height, PixelFormat24bppRGB, wrapper, &clone);
    GdipDisposeImage(wrapper);
    return clone;
}

// An 8-bit DIB section with a colour table and rows, and a GDI+ bitmap over
// it. The section must outlive the bitmap.
struct Indexed {
    BITMAPINFO *info = NULL;
    HBITMAP section = NULL;
    GpBitmap *bitmap = NULL;
    ~Indexed()
    {
        if (bitmap) GdipDisposeImage(bitmap);
        if (section) DeleteObject(section);
        free(info);
    }
};

// rows: rowsIn rows of bytesIn indexes, sourceStride apart.
static BOOL BuildIndexed(Indexed *out, HDC dc, int width, int height, const DWORD colours[256],
                         const BYTE *rows, size_t sourceStride, int rowsIn, size_t bytesIn)
{
    out->info = (BITMAPINFO *)calloc(1, sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    if (!out->info) return FALSE;
    BITMAPINFOHEADER *h = &out->info->bmiHeader;
    h->biSize = sizeof *h;
    h->biWidth = width;
    h->biHeight = -height;
    h->biPlanes = 1;
    h->biBitCount = 8;
    h->biCompression = BI_RGB;
    h->biXPelsPerMeter = h->biYPelsPerMeter = 2834;
    memcpy(out->info->bmiColors, colours, 256 * sizeof(DWORD));

    void *bits = NULL;
    out->section = CreateDIBSection(dc, out->info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (!out->section || !bits) return FALSE;
    size_t stride = ((size_t)width + 3) & ~(size_t)3;
    for (int row = 0; row < rowsIn; row++)
        memcpy((BYTE *)bits + row * stride, rows + row * sourceStride, bytesIn);
    if (GdipCreateBitmapFromGdiDib(out->info, bits, &out->bitmap) != Gdiplus::Ok) return FALSE;

    // The bitmap is told its palette as well, so that every encoder sees the
    // colours whether or not the DIB's colour table was taken over.
    std::vector<DWORD> block(2 + 256);
    Gdiplus::ColorPalette *palette = (Gdiplus::ColorPalette *)block.data();
    palette->Flags = 0;
    palette->Count = 256;
    for (int i = 0; i < 256; i++) ((DWORD *)palette->Entries)[i] = colours[i] | 0xFF000000;
    GdipSetImagePalette(out->bitmap, palette);
    return TRUE;
}

// 8-bit image: its own rows and colour table. Both strides round the width
// up to 4 bytes; a size beyond the image reads no further than its rows.
static BOOL IndexedFrom8(Indexed *out, const ImageRecord *r, int width, int height)
{
    DWORD colours[256];
    GetImagePalette(colours);
    size_t imageStride = ((size_t)r->width + 3) & ~(size_t)3;
    int rowsIn = height < r->height ? height : r->height;
    size_t bytesIn = (size_t)(width < r->width ? width : r->width);
    GdiFlush();
    return BuildIndexed(out, r->memDC, width, height, colours, nbx_pixels8[nbx_curImage],
                        imageStride, rowsIn, bytesIn);
}

// 32-bit image for a GIF: GIF holds 256 colours at most, and an encoder
// handed 24-bit pixels may write no picture at all (Wine's does), so the
// colours are chosen here.
static BOOL IndexedFrom32(Indexed *out, const ImageRecord *r, int width, int height)
{
    std::vector<DWORD> copy((size_t)width * height);
    ReadImageArea(copy.data(), 0, 0, width, height);
    std::vector<BYTE> indexes(copy.size());
    DWORD colours[256];
    QuantizeToPalette(copy.data(), (int)copy.size(), colours, indexes.data());
    return BuildIndexed(out, r->memDC, width, height, colours, indexes.data(), (size_t)width,
                        height, (size_t)width);
}

// The name a save of this type writes: the path with the type's extension
// appended unless it has it. FALSE when it does not fit (a cut name would
// be another file).
static BOOL SaveTargetName(const char *path, int type, WCHAR wide[NBX_PATH])
{
    return SaveTypeExtension(type) && PathToWide(path, wide) &&
           AppendExtension(wide, NBX_PATH, SaveTypeExtension(type));
}

// A new empty file of the target's folder, named "~" and up to three hex
// digits: short, so it fits wherever the target's name does. FALSE if none.
static BOOL CreateTemporaryBeside(const WCHAR *target, WCHAR temp[NBX_PATH])
{
    WCHAR *filePart = NULL;
    DWORD n = GetFullPathNameW(target, NBX_PATH, temp, &filePart);
    if (n == 0 || n >= NBX_PATH || !filePart) return FALSE;
    int room = NBX_PATH - 1 - (int)(filePart - temp);
    for (int k = 0; k < 0x1000; k++) {
        WCHAR name[8];
        wsprintfW(name, L"~%X", k);
        if (lstrlenW(name) > room) return FALSE;
        lstrcpyW(filePart, name);
        HANDLE f = CreateFileW(temp, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
        if (f != INVALID_HANDLE_VALUE) {
            CloseHandle(f);
            return TRUE;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return FALSE;
    }
    return FALSE;
}

// FALSE for an existing file that a direct write would be refused: marked
// read-only, a folder, or not to be opened for writing. A rename over it
// may still succeed (the folder allows it), and must not be tried.
static BOOL MayReplace(const WCHAR *target)
{
    DWORD attributes = GetFileAttributesW(target);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) return FALSE;
    HANDLE f = CreateFileW(target, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) return FALSE;
    CloseHandle(f);
    return TRUE;
}

// Encodes into a temporary file of the target's folder, which replaces the
// target only after the encoder reported success: a save that fails (a full
// disk, a codec error) leaves an existing file as it was.
static BOOL SaveThroughTemporary(GpImage *image, const WCHAR *target, const CLSID *encoder,
                                 const Gdiplus::EncoderParameters *parameters)
{
    WCHAR temp[NBX_PATH];
    if (!CreateTemporaryBeside(target, temp)) return FALSE;
    BOOL saved = GdipSaveImageToFile(image, temp, encoder, parameters) == Gdiplus::Ok &&
                 MayReplace(target) && MoveFileExW(temp, target, MOVEFILE_REPLACE_EXISTING);
    if (!saved) DeleteFileW(temp);
    return saved;
}

int SaveImageFile(int height, int width, int type, const char *path)
{
    ImageRecord *r = ImageInUse(nbx_curImage);
    if (!r) return 3;
    if (width <= 0 || height <= 0) return 2;
    const WCHAR *mime = SaveTypeMime(type);
    if (!mime) return 1;

    WCHAR wide[NBX_PATH];
    if (!SaveTargetName(path, type, wide)) return 1;

    Indexed indexed;
    GpBitmap *bitmap32 = NULL;
    GpImage *image = NULL;
    if (r->bits == 32 && type != 2) {
        bitmap32 = BitmapFrom32(width, height);
        image = bitmap32;
    } else if (r->bits == 32 ? IndexedFrom32(&indexed, r, width, height)
                             : IndexedFrom8(&indexed, r, width, height)) {
        image = indexed.bitmap;
    }
    if (!image) return 1;

    CLSID encoder = FindEncoder(mime);
    static const GUID kEncoderQuality =
        { 0x1D5BE4B5, 0xFA4A, 0x452D, { 0x9C, 0xDD, 0x5D, 0xB3, 0x51, 0x05, 0xE7, 0xEB } };
    Gdiplus::EncoderParameters parameters;
    LONG quality = nbx_jpegQuality;
    parameters.Count = 1;
    parameters.Parameter[0].Guid = kEncoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = 4;   // EncoderParameterValueTypeLong
    parameters.Parameter[0].Value = &quality;
    BOOL saved = SaveThroughTemporary(image, wide, &encoder, type == 1 ? &parameters : NULL);
    if (bitmap32) GdipDisposeImage(bitmap32);
    return saved ? 0 : 1;
}

// ------------------------------------------------------- image commands

void RunLoadImageCommand(int n)
{
    char path[NBX_PATH];
    if (NBX_OpenFileDialog("Load image file", path) != 0) return;
    if (LoadImageFile(path, 0, 0) == 0) NBX_DrawImage(nbx_curImage);
}

// The dialog asked about the name as typed. When the type's extension is
// appended the file written is another one: ask again if that one exists.
static BOOL ConfirmAppendedName(HWND owner, const char *path, int type)
{
    WCHAR typed[NBX_PATH], target[NBX_PATH];
    if (!PathToWide(path, typed) || !SaveTargetName(path, type, target)) return TRUE;
    if (lstrcmpW(typed, target) == 0 || GetFileAttributesW(target) == INVALID_FILE_ATTRIBUTES)
        return TRUE;
    WCHAR text[NBX_PATH + 64];
    wsprintfW(text, L"%s already exists.\nDo you want to replace it?", target);
    return MessageBoxW(owner, text, L"Confirm Save As", MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

void RunSaveAsCommand(int n)
{
    char path[NBX_PATH];
    if (SaveFileDialog(path) != 0) return;
    int type = SaveTypeForFilter(nbx_saveFilterIndex);
    ImageRecord *r = ImageInUse(nbx_curImage);
    if (type < 0 || !r) return;
    if (!ConfirmAppendedName(r->window, path, type)) return;
    r = ImageInUse(nbx_curImage);   // the question pumped: the window may be gone
    if (!r) return;
    int keptQuality = nbx_jpegQuality;
    if (type == 1) nbx_jpegQuality = 100;
    int result = SaveImageFile(r->height, r->width, type, path);
    nbx_jpegQuality = keptQuality;
    if (result != 0) {
        // A failure said nothing would pass for success.
        WCHAR text[NBX_PATH + 64], wide[NBX_PATH];
        NbxAnsiToWide(path, wide, NBX_PATH);
        wsprintfW(text, L"Can't save %s", wide);
        MessageBoxW(r->window, text, L"Error", MB_OK | MB_ICONEXCLAMATION);
    }
}
