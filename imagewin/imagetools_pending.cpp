// imagetools_pending.cpp - image commands whose tools (clipboard, readouts
// and plots, interactive drawing, clipping, text) are not built yet. The
// menus already carry them; choosing one changes nothing.
#include "imagewin/imagemenu.h"

void RunLineProfile(int, UINT) {}
void RunAreaChroma(int) {}
