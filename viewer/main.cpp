// main.cpp - the movie viewer as the framework's user program.
#include "nubrix.h"
#include "viewer/viewer.h"

void UserInit(void) { ViewerInit(); }
void UserMain(void) { ViewerMain(); }
