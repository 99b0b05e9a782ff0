// The path a native library opens: a Winelib program's C library takes Unix
// paths, a Windows program's Windows paths, also under Wine.
#include "doctest_wine.h"
#include "shell/nbx_internal.h"
#include <string>

TEST_CASE("host path")
{
#ifdef __WINE__
    const char *expected = "/tmp/nbx_movie.avi";
#else
    const char *expected = "Z:\\tmp\\nbx_movie.avi";
#endif
    char host[NBX_PATH];
    REQUIRE(NbxHostPath("Z:\\tmp\\nbx_movie.avi", host, sizeof host));
    CHECK(std::string(host) == expected);
    CHECK_FALSE(NbxHostPath("Z:\\tmp\\nbx_movie.avi", host, 8));   // does not fit
}
