// imagetools_pending.cpp - image commands whose tools (text) are not built
// yet. The menus already carry them; choosing one changes nothing.
#include "imagewin/imagemenu.h"

void RunDrawText(void) {}
void RunTrueTypeDraw(void) {}
