// doctest takes its Windows branches under _WIN32 and then wants io.h, which
// the Winelib (-mcygwin) build lacks: hide the macro there.
#ifndef NBX_DOCTEST_WINE_H
#define NBX_DOCTEST_WINE_H
#ifdef __WINE__
#pragma push_macro("_WIN32")
#undef _WIN32
#endif
#include <doctest/doctest.h>
#ifdef __WINE__
#pragma pop_macro("_WIN32")
#endif
#endif
