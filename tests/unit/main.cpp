// Runner of the logic tests; the library wants a user program, never started.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "doctest_wine.h"
#include "nubrix.h"

void UserInit(void) {}
void UserMain(void) {}
