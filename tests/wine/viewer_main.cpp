// The movie viewer, driven through its file dialog and button box; the frame
// on screen is read from the sample's index strip.
#include "viewer_drive.h"
#include "viewer/viewer.h"
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <set>

using namespace nbxt;

void UserInit(void) { ViewerInit(); BeginDriver(false); }
void UserMain(void) { ViewerMain(); }

using namespace vt;

namespace {

const int n = kSampleFrames;

HWND Image0() { return nbx_images[0].inUse ? nbx_images[0].window : NULL; }
bool Opens() { return WaitFor([] { return Image0() != NULL; }, 10000); }

int Shown() { return vt::Shown(Image0()); }

// The frame on screen once it holds still, the same after another button scan.
int Steady()
{
    int result = -1;
    WaitFor([&] {
        Settle();
        int now = Shown();
        Settle();
        return (result = (now >= 0 && now == Shown()) ? now : -1) >= 0;
    });
    return result;
}

bool Soon(int frame) { return UNTIL(Shown() == frame); }

bool Plays(int count)
{
    std::set<int> seen;
    return WaitFor([&] { seen.insert(Shown()); return (int)seen.size() - (int)seen.count(-1) >= count; }, 10000);
}

bool WaitLog(size_t from, const string &needle)
{
    return WaitFor([&] { string s = LogText(0); return s.size() > from && s.find(needle, from) != s.npos; }, 8000);
}

// Presses a button and waits for what it prints, or checks it prints nothing.
bool Logged(int k, const char *printed = nullptr)
{
    size_t at = LogText(0).size();
    Press(k);
    return printed ? WaitLog(at, printed) : (Settle(), LogText(0).size() == at);
}

// Presses buttons in turn, each followed by the frame it must show.
void Steps(const vector<std::pair<int, int>> &steps)
{
    for (auto &s : steps) {
        CAPTURE(s.first);
        Press(s.first);
        if (s.second >= 0) CHECK(Soon(s.second));
        else CHECK(Steady() == -s.second - 1);
    }
}

}  // namespace

TEST_CASE("start-up; files it cannot play")
{
    HWND d = WaitFileDialog(NULL), text = TextWindowHandle(0);
    REQUIRE((text && GetDlgItem(ButtonBoxWindow(), 3011) && d));
    CHECK((nbx_running == 1 && WindowTextA(FileDialogNameEdit(d)) == "*.AVI"));
    DeleteFileA(LogPath(0).c_str());
    Command(text, 1024);
    REQUIRE(UNTIL(FileExists(LogPath(0).c_str())));

    for (const char *f : { "movies\\sample.avi", "testmovies\\other.avi", "testmovies\\tall.avi", "testmovies\\one.avi" })
        REQUIRE(CopyFileA(BinPath(f).c_str(), Here(strchr(f, '\\') + 1).c_str(), FALSE));
    size_t at = LogText(0).size();
    REQUIRE(AnswerDialog(NULL, IDCANCEL, 15000));
    CHECK(WaitLog(at, "[] : Can't load .\r\n"));
    REQUIRE((WriteWholeFile(Here("text.avi"), "not a movie\r\n") && WriteWholeFile(Here("empty.avi"), "")));
    for (const char *f : { "text.avi] : Can't load .", "empty.avi] : Can't load .", "tall.avi] : 16 x 16384 movie does not fit the screen." }) {
        CAPTURE(f);
        at = LogText(0).size();
        REQUIRE(ChooseFile(string(f, strcspn(f, "]")).c_str()));
        CHECK((WaitLog(at, f + string("\r\n")) && !Image0()));
    }
}

TEST_CASE("play, loop, pause, steps")
{
    REQUIRE((ChooseFile("sample.avi") && Opens()));
    CHECK((Geometry(Image0()) == "0,250 640x480" && WindowTextA(Image0()) == "NUBRIX window(100%)"));
    CHECK(Plays(20));
    CHECK(WaitFor([] { int f = Shown(); return f >= 0 && f < 20; }, 15000));   // looped

    CHECK(Logged(1, "pause\r\n"));
    int f = Steady();
    Settle();
    CHECK((f >= 0 && Shown() == f));
    // button, frame shown (-k - 1: stays on k)
    Steps({ { 8, 1 }, { 4, 0 }, { 4, -1 }, { 5, 1 }, { 5, 2 }, { 6, 0 }, { 7, 10 }, { 7, 20 }, { 6, 10 }, { 4, 9 },
            { 9, n - 1 }, { 7, -n }, { 4, n - 2 }, { 7, n - 1 }, { 6, n - 11 },
            // ">" past the end shows nothing and sets the position to the last frame
            { 9, n - 1 }, { 5, -n }, { 4, n - 3 } });

    // "prop" at frame 1: position 2, 40 ms at 25 frames/s.
    Steps({ { 8, 1 } });
    size_t at = LogText(0).size();
    REQUIRE(Logged(2, "FRAME_COUNT: 250.000000\r\n"));
    string log = LogText(0).substr(at);
    double ms = 0;
    int end = 0;   // set once all before the ratio matched
    CHECK((sscanf(log.c_str(), "POS_MSEC: %lf\nPOS_FRAMES: 2.000000\nPOS_AVI_RATIO: %n", &ms, &end) == 1 && end && fabs(ms - 40) < 1e-4));
    CHECK(log.find("\r\nFRAME_WIDTH: 640.000000\r\nFRAME_HEIGHT: 480.000000\r\nFPS: 25.000000\r\nFOURCC: 1196444237.000000\r\n") != log.npos);
    CHECK(Steady() == 1);
}

TEST_CASE("presses while playing")
{
    CHECK((Logged(0, "play\r\n") && Plays(5)));
    // ">>" while playing is held until the scan after "pause".
    Press(9);
    Settle();
    CHECK(Plays(3));
    CHECK((Logged(1, "pause\r\n") && Soon(n - 1)));
    CHECK(Steady() == n - 1);
    // "play" while playing is held until "pause", and resumes at once after it.
    REQUIRE(Logged(0, "play\r\n"));
    Settle();
    CHECK((Logged(0) && Logged(1, "pause\r\nplay\r\n")));
    CHECK(Plays(5));
    // "pause" while paused does nothing.
    REQUIRE(Logged(1, "pause\r\n"));
    int f = Steady();
    CHECK((Logged(1) && Steady() == f));
}

TEST_CASE("break reopens")
{
    HWND first = Image0();
    Press(11);
    REQUIRE(UNTIL(!Image0() && !IsWindow(first)));
    // "pause" pressed in the dialog acts after the first frame shown: 1
    // (frame 0 is dropped on opening).
    REQUIRE(WaitFileDialog(NULL) != NULL);
    Press(1);
    Settle();
    size_t at = LogText(0).size();
    REQUIRE((AnswerDialog(NULL, IDCANCEL, 15000) && Opens()));
    CHECK((WaitLog(at, "pause\r\n") && Steady() == 1));
    // Playing a one-frame movie: past its end the library gives nothing, and
    // the first frame stays.
    Press(11);
    REQUIRE(UNTIL(!Image0()));
    REQUIRE((ChooseFile("one.avi") && Opens()));
    CHECK(Steady() == 0);
    Press(11);
    REQUIRE(UNTIL(!Image0()));
    Press(1);
    REQUIRE((ChooseFile("other.avi") && Opens()));
    CHECK((Geometry(Image0()).find(" 320x240") != string::npos && Steady() == 1));
    Steps({ { 9, 39 } });   // its last frame
}

TEST_CASE("Stop")
{
    Command(nbx_mainWindow, 1003);
    REQUIRE(UNTIL(nbx_stop));
    int f = Steady();
    Settle();
    CHECK((f >= 0 && Shown() == f));
    CHECK(Logged(0, "play\r\n"));   // "play" only prints
    CHECK(Steady() == f);
    Steps({ { 8, 1 }, { 5, 2 }, { 7, 12 }, { 0, -13 } });
}
