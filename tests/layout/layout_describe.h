// layout_describe.h - the framework windows of a running program as one
// text, read from the windows themselves: what the layout source must
// reproduce (place, size, depth, zoom, titles, labels, captions).
#ifndef NBX_LAYOUT_DESCRIBE_H
#define NBX_LAYOUT_DESCRIBE_H

#include "harness.h"
#include <string>

namespace nbxt_layout {

// Children in z-order with class, text and place in the parent's client area.
inline std::string DescribeChildren(HWND parent)
{
    std::string s;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, sizeof cls);
        RECT r = nbxt::WindowRect(c);
        MapWindowPoints(NULL, parent, (POINT *)&r, 2);
        s += std::string("  ") + cls + " '" + nbxt::WindowTextA(c) + "' " + std::to_string(r.left) + "," +
             std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + "\n";
    }
    return s;
}

inline std::string DescribeLayout()
{
    std::string s;
    for (int n = 0; n < 256; n++) {
        const ImageRecord &r = nbx_images[n];
        if (!r.inUse) continue;
        s += "image " + std::to_string(n) + " bits " + std::to_string(r.bits) + " limit " + std::to_string(r.limitMode) +
             " '" + r.title + "' " + std::to_string(r.width) + "x" + std::to_string(r.height) + " zoom " +
             std::to_string(r.zoom) + " window " + nbxt::Geometry(r.window) + "\n";
    }
    for (int n = 0; n < 256; n++)
        if (TextWindowHandle(n)) s += "text " + std::to_string(n) + " " + nbxt::Geometry(TextWindowHandle(n)) + "\n";
    if (InputBoxWindow()) s += "input box " + nbxt::Geometry(InputBoxWindow()) + "\n" + DescribeChildren(InputBoxWindow());
    if (ButtonBoxWindow()) s += "button box " + nbxt::Geometry(ButtonBoxWindow()) + "\n" + DescribeChildren(ButtonBoxWindow());
    return s;
}

}  // namespace nbxt_layout

#endif
