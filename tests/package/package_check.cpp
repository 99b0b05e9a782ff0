// The viewer unpacked from the Windows zip into a folder of its own
// (NBX_PACKAGE_DIR, a host path), started there; it plays the sample chosen in
// its file dialog (frames read from the index strip).
#include "viewer_drive.h"

using namespace nbxt;

void UserInit(void) { BeginDriver(false); }
void UserMain(void) { ServeUser(); }

TEST_CASE("the unpacked viewer plays the sample")
{
    string dir = HostDir("NBX_PACKAGE_DIR");
    REQUIRE(!dir.empty());
    HANDLE viewer = StartProgram((dir + "\\nubrix_viewer.exe").c_str(), dir.c_str());
    REQUIRE(viewer != NULL);
    REQUIRE(ChooseFile("sample.avi", true));
    HWND image = NULL;
    REQUIRE(WaitFor([&] { return (image = FindTop(L"nbx_iw", NULL, true)) != NULL; }, 30000));
    int first = -1, later = -1;
    CHECK(WaitFor([&] { return (first = vt::Shown(image)) >= 0 && first < vt::kSampleFrames; }, 20000));
    CHECK(WaitFor([&] { return (later = vt::Shown(image)) >= 0 && later < vt::kSampleFrames && later != first; }, 20000));
    MESSAGE("frames shown: " << first << ", then " << later);
}
