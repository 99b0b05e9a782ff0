// viewer.h - the movie viewer's two entry points. The program's UserInit and
// UserMain (main.cpp) only call these, so test programs can run the same
// viewer with a driver thread of their own.
#ifndef NBX_VIEWER_H
#define NBX_VIEWER_H

void ViewerInit(void);
void ViewerMain(void);   // returns only when the program is ending

#endif
