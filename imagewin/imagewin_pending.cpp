// Placeholder until the image files land.
#include "shell/nbx_internal.h"
int  LoadImageFile(const char *, int, int) { return 1; }
int  NBX_OpenFileDialog(const char *, char *) { return 1; }
void RunLoadImageCommand(int) {}
void RunSaveAsCommand(int) {}
int  SaveFileDialog(char *) { return 1; }
