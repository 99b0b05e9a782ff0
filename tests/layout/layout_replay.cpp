// A fresh user program whose initialisation is the layout source the window
// report of inputbox_report made: it must bring back the same windows.
#include "layout_describe.h"

void UserInit(void)
{
#include "layout_source.inc"
    nbxt::BeginDriver(false);
}

void UserMain(void) { nbxt::ServeUser(); }

TEST_CASE("the generated layout source recreates the windows it was made from")
{
    std::string expected = nbxt::ReadWholeFile(nbxt::BinPath("layout_expected.txt").c_str());
    REQUIRE(!expected.empty());
    CHECK(nbxt_layout::DescribeLayout() == expected);
}
