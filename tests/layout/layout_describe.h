// layout_describe.h - the framework windows of a running program as one text,
// read from the windows themselves: what the layout source must reproduce.
#ifndef NBX_LAYOUT_DESCRIBE_H
#define NBX_LAYOUT_DESCRIBE_H

#include "harness.h"

namespace nbxt_layout {

// A box's geometry, then its children in z-order: class, text, place.
inline std::string DescribeBox(const char *name, HWND box)
{
    std::string s = std::string(name) + " " + nbxt::Geometry(box) + "\n";
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, sizeof cls);
        s += std::string("  ") + cls + " '" + nbxt::WindowTextA(c) + "' " + nbxt::Place(c) + "\n";
    }
    return s;
}

inline std::string DescribeLayout()
{
    std::string s;
    for (int n = 0; n < 256; n++) {
        const ImageRecord &r = nbx_images[n];
        if (r.inUse)
            s += "image " + std::to_string(n) + " bits " + std::to_string(r.bits) + " limit " + std::to_string(r.limitMode) + " '" +
                 r.title + "' " + std::to_string(r.width) + "x" + std::to_string(r.height) + " zoom " + std::to_string(r.zoom) +
                 " window " + nbxt::Geometry(r.window) + "\n";
    }
    for (int n = 0; n < 256; n++)
        if (TextWindowHandle(n)) s += "text " + std::to_string(n) + " " + nbxt::Geometry(TextWindowHandle(n)) + "\n";
    if (InputBoxWindow()) s += DescribeBox("input box", InputBoxWindow());
    if (ButtonBoxWindow()) s += DescribeBox("button box", ButtonBoxWindow());
    return s;
}

}  // namespace nbxt_layout

#endif
