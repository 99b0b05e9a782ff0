// A user program whose UserInit is the layout source inputbox_report's window
// report made: the windows it brings back must make the same source again.
#include "harness.h"
#include "textwin/textwin_internal.h"

void UserInit(void)
{
#include "layout_source.inc"
    nbxt::BeginDriver(false);
}

void UserMain(void) { nbxt::ServeUser(); }

TEST_CASE("the layout source recreates its windows")
{
    std::string source = nbxt::ReadWholeFile(nbxt::BinPath("layout_source.inc").c_str());
    REQUIRE(!source.empty());
    nbxt::OnUser([] { PrintWindowReport(); });
    CHECK(nbxt::ClipboardText() == source);
}
