// A user program whose UserInit is the layout source inputbox_report's window
// report made: it must bring back the same windows.
#include "layout_describe.h"

void UserInit(void)
{
#include "layout_source.inc"
    nbxt::BeginDriver(false);
}

void UserMain(void) { nbxt::ServeUser(); }

TEST_CASE("the layout source recreates its windows")
{
    std::string expected = nbxt::ReadWholeFile(nbxt::BinPath("layout_expected.txt").c_str());
    REQUIRE(!expected.empty());
    CHECK(nbxt_layout::DescribeLayout() == expected);
}
