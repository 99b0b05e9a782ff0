// imagekit.h - image windows as the behaviour tests make, drive and read.
#ifndef NBX_IMAGEKIT_H
#define NBX_IMAGEKIT_H

#include "harness.h"
#include "imageproc/imageproc.h"
#include "imagewin/imagewin_logic.h"
#include <string.h>
#include <string>
#include <vector>

namespace ik {

inline int Create(int n, int w, int h, int bits = 32, int zoom = 100, int x = 20, int y = 20, const char *title = "i")
{
    return nbxt::Get([&] { return (bits == 8 ? NBX_CreateImage8 : NBX_CreateImage)(n, title, x, y, w, h, zoom); });
}
inline void Destroy(int n) { nbxt::OnUser([=] { NBX_DestroyImage(n); }); }
inline HWND Window(int n) { return nbx_images[n].window; }
inline Canvas View(int n)
{
    return MakeCanvas(nbx_pixels8[n], nbx_images[n].bits, nbx_images[n].width, nbx_images[n].height);
}
// The 32-bit word or the 8-bit index.
inline DWORD At(int n, int x, int y) { return CanvasRead(View(n), x, y); }
inline std::vector<BYTE> Bytes(int n)
{
    const ImageRecord &r = nbx_images[n];
    return std::vector<BYTE>(nbx_pixels8[n], nbx_pixels8[n] + ImageBytes(r.bits, r.width, r.height));
}
inline void Fill(int n, DWORD seed)
{
    Canvas c = View(n);
    for (int y = 0; y < c.height; y++)
        for (int x = 0; x < c.width; x++) CanvasStore(c, x, y, (seed * (DWORD)(y * 977 + x * 131 + 7)) & 0xFFFFFF);
}
// fn on the user thread with image n current, as menu commands run.
inline int On(int n, const std::function<int()> &fn)
{
    int result = -1;
    nbxt::OnUser([&] { SelectImage(n); result = fn(); RestoreImage(); });
    return result;
}
inline std::vector<DWORD> Palette(int n)
{
    std::vector<DWORD> entries(256, 0xDEADBEEF);
    return On(n, [&] { return GetImagePalette(entries.data()); }) == 0 ? entries : std::vector<DWORD>();
}
inline int SetPalette(int n, const DWORD *p) { return On(n, [=] { return SetImagePalette(p, 256); }); }
}  // namespace ik

#endif
