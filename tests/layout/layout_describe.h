// layout_describe.h - the framework windows of a running program as one text,
// read from the windows themselves: what the layout source must reproduce.
#ifndef NBX_LAYOUT_DESCRIBE_H
#define NBX_LAYOUT_DESCRIBE_H

#include "harness.h"
#include <stdio.h>

namespace nbxt_layout {

using namespace nbxt;

// A box's geometry, then its children in z-order: class, text, place.
inline string DescribeBox(const char *name, HWND box)
{
    string s = string(name) + " " + Geometry(box) + "\n";
    for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        char cls[32] = "";
        GetClassNameA(c, cls, sizeof cls);
        s += string("  ") + cls + " '" + WindowTextA(c) + "' " + Place(c) + "\n";
    }
    return s;
}

inline string DescribeLayout()
{
    string s;
    char line[400];
    for (int n = 0; n < 256; n++) {
        const ImageRecord &r = nbx_images[n];
        if (!r.inUse) continue;
        snprintf(line, sizeof line, "image %d bits %d limit %d '%s' %dx%d zoom %d window ", n, r.bits, r.limitMode,
                 r.title, r.width, r.height, r.zoom);
        s += line + Geometry(r.window) + "\n";
    }
    for (int n = 0; n < 256; n++)
        if (TextWindowHandle(n)) s += "text " + to_string(n) + " " + Geometry(TextWindowHandle(n)) + "\n";
    if (InputBoxWindow()) s += DescribeBox("input box", InputBoxWindow());
    if (ButtonBoxWindow()) s += DescribeBox("button box", ButtonBoxWindow());
    return s;
}

}  // namespace nbxt_layout

#endif
