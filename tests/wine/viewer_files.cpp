// The movie viewer under Wine with files it cannot play, a movie too large
// for the screen, "break" back to the dialog, image window 0 closed during
// playback, and Exit while playing.
#include "viewer_driver.h"
#include "viewer/video_source.h"
#include <algorithm>

NBX_VIEWER_TEST_PROGRAM

using namespace vt;

static bool HasCantLoad(size_t from, const char *file)
{
    return WaitLog(from, std::string(file) + "] : Can't load .\n", 8000);
}

TEST_CASE("Cancel before any movie: empty path, \"Can't load\", the dialog again")
{
    REQUIRE(nbxt::WaitFor([] { return TextWindowHandle(0) != NULL; }, 10000));
    REQUIRE(StartLog());
    REQUIRE(CopyMovie("movies", "sample.avi"));
    REQUIRE(CopyMovie("testmovies", "other.avi"));
    REQUIRE(CopyMovie("testmovies", "tall.avi"));
    size_t at = Log().size();
    REQUIRE(CancelDialog());
    CHECK(WaitLog(at, "[] : Can't load .\n"));
    CHECK(nbxt::WaitFileDialog(NULL) != NULL);
    CHECK(ImageWindow0() == NULL);
}

TEST_CASE("files that are not movies: the message and the dialog again")
{
    REQUIRE(WriteFileBytes("notmovie.avi", "This is a text file, not a movie.\r\n"));
    REQUIRE(WriteFileBytes("empty.avi", ""));
    for (const char *name : { "notmovie.avi", "empty.avi" }) {
        CAPTURE(name);
        size_t at = Log().size();
        REQUIRE(ChooseFile(name));
        CHECK(HasCantLoad(at, name));
        CHECK(nbxt::WaitFileDialog(NULL) != NULL);
        CHECK(ImageWindow0() == NULL);
    }

    // A folder named like a movie: the dialog opens it instead of returning
    // it, and the video source refuses it when it is handed one.
    CreateDirectoryA(Here("folder.avi").c_str(), NULL);
    REQUIRE((GetFileAttributesA(Here("folder.avi").c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0);
    HWND dialog = nbxt::WaitFileDialog(NULL);
    REQUIRE(ChooseFile("folder.avi") == false);   // still the same dialog
    CHECK(IsWindow(dialog));
    CHECK(ImageWindow0() == NULL);
    char host[1024];
    REQUIRE(NbxHostPath(Here("folder.avi").c_str(), host, sizeof host));
    NbxCapture *capture = NbxVideoOpen(host);
    CHECK(capture == nullptr);
    NbxVideoRelease(&capture);
    // Back up and out of the folder through the same dialog.
    size_t at = Log().size();
    REQUIRE(ChooseFile("..\\empty.avi"));
    CHECK(HasCantLoad(at, "empty.avi"));
}

TEST_CASE("a truncated movie plays what can be decoded, or is refused")
{
    std::string whole = nbxt::ReadWholeFile(Here("sample.avi").c_str());
    REQUIRE(whole.size() > 100000);
    REQUIRE(WriteFileBytes("truncated.avi", whole.substr(0, whole.size() * 2 / 5)));
    size_t at = Log().size();
    REQUIRE(ChooseFile("truncated.avi"));
    bool opened = nbxt::WaitFor([] { return ImageWindow0() != NULL; }, 5000);
    if (!opened) {
        CHECK(HasCantLoad(at, "truncated.avi"));
        CHECK(nbxt::WaitFileDialog(NULL) != NULL);
        return;
    }
    // Plays the frames that are there, looping over them.
    int first = -1, last = -1;
    int distinct = FramesSeen(2500, &first, &last);
    MESSAGE("truncated movie: " << distinct << " distinct frames seen");
    CHECK(distinct >= 10);
    int highest = -1;
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 2000) {
        int f = ShownFrame();
        if (f > highest) highest = f;
        nbxt::Pause(10);
    }
    CHECK(highest < kSampleFrames * 3 / 5);   // 40 % of the bytes: far from the end
    PressButton(11);
    CHECK(nbxt::WaitFor([] { return ImageWindow0() == NULL; }));
    CHECK(nbxt::WaitFileDialog(NULL) != NULL);
}

TEST_CASE("a movie too large for the screen at any zoom: a clear message, no window")
{
    size_t at = Log().size();
    REQUIRE(ChooseFile("tall.avi"));
    CHECK(WaitLog(at, "tall.avi] : 32 x 2048 movie does not fit the screen.\n"));
    CHECK(nbxt::WaitFileDialog(NULL) != NULL);
    CHECK(ImageWindow0() == NULL);
    CHECK(nbx_images[0].inUse == 0);
}

TEST_CASE("\"break\" then Cancel reopens the same movie from its start; another file opens that one")
{
    REQUIRE(ChooseFile("sample.avi"));
    HWND first = nullptr;
    REQUIRE(nbxt::WaitFor([&] { return (first = ImageWindow0()) != NULL; }, 10000));
    CHECK(FramesSeen(1000) >= 5);
    PressButton(11);
    REQUIRE(nbxt::WaitFor([] { return ImageWindow0() == NULL; }));
    CHECK(nbxt::WaitFor([first] { return !IsWindow(first); }));
    REQUIRE(nbxt::WaitFileDialog(NULL) != NULL);

    // "pause" pressed while the dialog is up is counted; it takes effect right
    // after the first frame the reopened movie shows: frame 1 (frame 0 is
    // read and dropped on opening).
    PressButton(1);
    nbxt::Pause(200);
    size_t at = Log().size();
    REQUIRE(CancelDialog());
    HWND second = nullptr;
    REQUIRE(nbxt::WaitFor([&] { return (second = ImageWindow0()) != NULL; }, 10000));
    CHECK(second != first);
    CHECK(WaitLog(at, "pause\n"));
    CHECK(SteadyFrame() == 1);
    CHECK(nbx_images[0].width == 640);

    // "break" from the scan, then another movie.
    PressButton(11);
    REQUIRE(nbxt::WaitFor([] { return ImageWindow0() == NULL; }));
    PressButton(1);
    REQUIRE(ChooseFile("other.avi"));
    REQUIRE(nbxt::WaitFor([] { return ImageWindow0() != NULL; }, 10000));
    CHECK(nbx_images[0].width == 320);
    CHECK(nbx_images[0].height == 240);
    CHECK(SteadyFrame() == 1);
    PressButton(9);
    CHECK(WaitShown(kOtherFrames - 1) == kOtherFrames - 1);
    PressButton(0);
    CHECK(FramesSeen(1000) >= 5);
}

TEST_CASE("image window 0 closed during playback: frames are still read; \"break\" works")
{
    HWND image = ImageWindow0();
    REQUIRE(image != NULL);
    PostMessageW(image, WM_CLOSE, 0, 0);
    REQUIRE(nbxt::WaitFor([] { return nbx_images[0].inUse == 0; }));
    CHECK(nbxt::WaitFor([image] { return !IsWindow(image); }));
    nbxt::Pause(1500);           // playing on with no window: nothing breaks
    // The loop is alive: "pause" is still acted on after the next frame read.
    size_t at = Log().size();
    PressButton(1);
    CHECK(WaitLog(at, "pause\n"));
    PressButton(0);
    CHECK(WaitLog(at, "play\n"));
    PressButton(11);
    REQUIRE(nbxt::WaitFileDialog(NULL) != NULL);
    REQUIRE(ChooseFile("sample.avi"));
    REQUIRE(nbxt::WaitFor([] { return ImageWindow0() != NULL; }, 10000));
    CHECK(FramesSeen(1000) >= 5);
}

TEST_CASE("Exit while playing ends the viewer within about 2.5 s")
{
    HANDLE viewer = nbxt::StartProgram("nubrix_viewer.exe.so", nbx_logDir);
    REQUIRE(viewer != NULL);
    // Whatever fails below, the second viewer must not outlive the test: it
    // would hold the test runner's output pipe open.
    struct EndViewer {
        HANDLE process;
        ~EndViewer() {
            if (nbxt::WaitExit(process, 0) == STILL_ACTIVE) TerminateProcess(process, 9);
            CloseHandle(process);
        }
    } endViewer = { viewer };
    REQUIRE(ChooseFile("sample.avi", true));
    HWND image = nullptr;
    REQUIRE(nbxt::WaitFor([&] {
        HWND w = nbxt::FindTop(L"nbx_iw", L"NUBRIX window(100%)", true);
        DWORD pid = 0;
        if (w) GetWindowThreadProcessId(w, &pid);
        return (image = (pid == GetProcessId(viewer) ? w : NULL)) != NULL;
    }, 15000));
    // It plays: the strip on its window changes.
    std::vector<int> seen;
    for (int i = 0; i < 20; i++) {
        SIZE s = nbxt::ClientSize(image);
        std::vector<DWORD> px = nbxt::GrabClient(image);
        seen.push_back(nbxv::DecodeStrip((const uint32_t *)px.data(), s.cx, s.cy, s.cx));
        nbxt::Pause(50);
    }
    std::sort(seen.begin(), seen.end());
    CHECK(std::unique(seen.begin(), seen.end()) - seen.begin() >= 5);

    HWND main = nbxt::FindTop(L"nubrix_mw1", nullptr, true);
    REQUIRE(main != NULL);
    DWORD t0 = GetTickCount();
    nbxt::Command(main, 1002);
    DWORD code = nbxt::WaitExit(viewer, 5000);
    DWORD took = GetTickCount() - t0;
    MESSAGE("Exit while playing: process ended after " << took << " ms, exit code " << code);
    CHECK(code != STILL_ACTIVE);
    CHECK(took <= 2500);
}
