// The Windows package as its user meets it: the viewer unpacked from the zip
// into a folder of its own (NBX_PACKAGE_DIR, a host path), started there, the
// sample chosen in its file dialog, the frame shown read from the index strip.
#include "viewer_drive.h"
#include "viewer/viewer_logic.h"

void UserInit(void) { nbxt::BeginDriver(false); }
void UserMain(void) { nbxt::ServeUser(); }

TEST_CASE("the unpacked viewer plays the sample chosen in its file dialog")
{
    const char *host = getenv("NBX_PACKAGE_DIR");
    REQUIRE(host != NULL);
    std::string dir = std::string("Z:") + host;
    for (char &c : dir) if (c == '/') c = '\\';
    std::string exe = dir + "\\nubrix_viewer.exe", cmd = "\"" + exe + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    REQUIRE(CreateProcessA(exe.c_str(), &cmd[0], NULL, NULL, FALSE, 0, NULL, dir.c_str(), &si, &pi));
    REQUIRE(vt::ChooseFile("sample.avi", true));
    HWND image = NULL;
    REQUIRE(nbxt::WaitFor([&] { return (image = nbxt::FindTop(L"nbx_iw", NULL, true)) != NULL; }, 30000));
    auto shown = [&] {
        SIZE size = nbxt::ClientSize(image);
        std::vector<DWORD> pixels = nbxt::GrabClient(image);
        return pixels.empty() ? -1 : nbxv::DecodeStrip((const uint32_t *)pixels.data(), size.cx, size.cy, size.cx);
    };
    // A frame of the sample, then another one: it plays.
    int first = -1, later = -1;
    CHECK(nbxt::WaitFor([&] { return (first = shown()) >= 0 && first < vt::kSampleFrames; }, 20000));
    CHECK(nbxt::WaitFor([&] { return (later = shown()) >= 0 && later < vt::kSampleFrames && later != first; }, 20000));
    MESSAGE("frames shown: " << first << ", then " << later);
    TerminateProcess(pi.hProcess, 0);
}
