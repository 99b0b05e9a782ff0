// Runner of the pure-logic tests. The framework's library expects a user
// program; these tests never start one.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include "doctest_wine.h"
#include "nubrix.h"

void UserInit(void) {}
void UserMain(void) {}
