// The movie viewer under Wine: the sample opened through the real file
// dialog plays in image window 0; pause, the step buttons with their clamps,
// play, presses made while playing, "prop" and Stop. The frame on screen is
// read from the sample's index strip.
#include "viewer_driver.h"

NBX_VIEWER_TEST_PROGRAM

using namespace vt;

static const int n = kSampleFrames;

TEST_CASE("start-up: text window 0, the labelled 2 x 6 box and the dialog without Start")
{
    HWND text = nullptr;
    REQUIRE(nbxt::WaitFor([&] { return (text = TextWindowHandle(0)) != NULL; }, 10000));
    RECT r = nbxt::WindowRect(text);
    CHECK(r.left == 672);
    CHECK(r.top == 0);
    SIZE client = nbxt::ClientSize(text);
    CHECK(client.cx == 152);
    CHECK(client.cy == 469);

    HWND box = ButtonBoxWindow();
    REQUIRE(box != NULL);
    const char *labels[12] = { "play", "pause", "prop", "", "<", ">", "< 10", "> 10", "<<", ">>", "", "break" };
    for (int k = 0; k < 12; k++) {
        HWND b = GetDlgItem(box, 3000 + k);
        REQUIRE(b != NULL);
        CHECK(nbxt::WindowTextA(b) == labels[k]);
    }
    CHECK(GetDlgItem(box, 3012) == NULL);

    // The dialog comes up by itself, in the start-up folder with "*.AVI".
    HWND dialog = nbxt::WaitFileDialog(NULL);
    REQUIRE(dialog != NULL);
    CHECK(nbx_running == 1);
    CHECK(nbxt::WindowTextA(nbxt::FileDialogNameEdit(dialog)) == "*.AVI");
    REQUIRE(StartLog());
}

TEST_CASE("the sample chosen in the dialog plays and loops")
{
    REQUIRE(CopyMovie("movies", "sample.avi"));
    REQUIRE(ChooseFile("sample.avi"));
    HWND image = nullptr;
    REQUIRE(nbxt::WaitFor([&] { return (image = ImageWindow0()) != NULL; }, 10000));
    CHECK(nbx_images[0].width == 640);
    CHECK(nbx_images[0].height == 480);
    CHECK(nbx_images[0].zoom == 100);
    CHECK(nbxt::WindowTextA(image) == "NUBRIX window(100%)");
    RECT r = nbxt::WindowRect(image);
    CHECK(r.left == 0);
    CHECK(r.top == 250);

    int first = -1, last = -1;
    int distinct = FramesSeen(3000, &first, &last);
    MESSAGE("frames seen in 3 s: " << distinct << " (first " << first << ", last " << last << ")");
    CHECK(distinct >= 20);
    // Looping: every frame comes back, so over time the low frames reappear.
    bool lowAgain = nbxt::WaitFor([] { int f = ShownFrame(); return f >= 0 && f < 20; }, 15000);
    CHECK(lowAgain);
}

TEST_CASE("pause holds the picture; the step buttons move it with their clamps")
{
    size_t logAt = Log().size();
    PressButton(1);
    CHECK(WaitLog(logAt, "pause\n"));
    int f = SteadyFrame();
    REQUIRE(f >= 0);
    nbxt::Pause(500);
    CHECK(ShownFrame() == f);   // paused: no frame advances

    // "<<" shows frame 1 (the position is set to 1), "<" the one before.
    PressButton(8);
    CHECK(WaitShown(1) == 1);
    PressButton(4);
    CHECK(WaitShown(0) == 0);
    PressButton(4);              // on frame 0 "<" stays on 0
    nbxt::Pause(300);
    CHECK(SteadyFrame() == 0);
    PressButton(5);              // ">" the next
    CHECK(WaitShown(1) == 1);
    PressButton(5);
    CHECK(WaitShown(2) == 2);
    PressButton(6);              // "< 10" within the first eleven frames: 0
    CHECK(WaitShown(0) == 0);
    PressButton(7);              // "> 10"
    CHECK(WaitShown(10) == 10);
    PressButton(7);
    CHECK(WaitShown(20) == 20);
    PressButton(6);
    CHECK(WaitShown(10) == 10);
    PressButton(4);
    CHECK(WaitShown(9) == 9);

    PressButton(9);              // ">>": the last frame
    CHECK(WaitShown(n - 1) == n - 1);
    PressButton(7);              // "> 10" at the end stays on the last frame
    nbxt::Pause(300);
    CHECK(SteadyFrame() == n - 1);
    PressButton(4);
    CHECK(WaitShown(n - 2) == n - 2);
    PressButton(7);              // within ten of the end: clamped to the last
    CHECK(WaitShown(n - 1) == n - 1);
    PressButton(6);
    CHECK(WaitShown(n - 11) == n - 11);

    // ">" past the end shows nothing and sets the position to the last
    // frame; the next ">" therefore shows the last frame again.
    PressButton(9);
    CHECK(WaitShown(n - 1) == n - 1);
    PressButton(5);
    nbxt::Pause(300);
    CHECK(SteadyFrame() == n - 1);
    PressButton(4);              // position n - 1: "<" shows n - 3
    CHECK(WaitShown(n - 3) == n - 3);
}

TEST_CASE("\"prop\" prints the eight properties with %f")
{
    PressButton(8);              // frame 1 shown, next position 2
    REQUIRE(WaitShown(1) == 1);
    size_t logAt = Log().size();
    PressButton(2);
    REQUIRE(WaitLog(logAt, "FRAME_COUNT:"));
    nbxt::Pause(200);
    std::string printed = Log().substr(logAt);
    MESSAGE(printed);
    double msec = -1, pos = -1, ratio = -1, w = -1, h = -1, fps = -1, fourcc = -1, count = -1;
    int got = sscanf(printed.c_str(),
                     "POS_MSEC: %lf\nPOS_FRAMES: %lf\nPOS_AVI_RATIO: %lf\nFRAME_WIDTH: %lf\n"
                     "FRAME_HEIGHT: %lf\nFPS: %lf\nFOURCC: %lf\nFRAME_COUNT: %lf\n",
                     &msec, &pos, &ratio, &w, &h, &fps, &fourcc, &count);
    CHECK(got == 8);
    CHECK(pos == 2.0);
    CHECK(msec == doctest::Approx(40.0));   // time of frame 1, the one shown, at 25 frames/s
    CHECK(w == 640.0);
    CHECK(h == 480.0);
    CHECK(fps == 25.0);
    CHECK(fourcc == 1196444237.0);          // 'MJPG'
    CHECK(count == (double)n);
    // "%f": six decimals on every line.
    CHECK(printed.find("FRAME_WIDTH: 640.000000\n") != std::string::npos);
    CHECK(printed.find("FOURCC: 1196444237.000000\n") != std::string::npos);
    CHECK(printed.find("FRAME_COUNT: 250.000000\n") != std::string::npos);
    // Nothing moved.
    CHECK(SteadyFrame() == 1);
}

TEST_CASE("play resumes; presses made while playing act in the next scan")
{
    size_t logAt = Log().size();
    PressButton(0);
    CHECK(WaitLog(logAt, "play\n"));
    CHECK(FramesSeen(1000) >= 5);

    // ">>" while playing is held until the scan after "pause": then the
    // last frame is shown and stays.
    PressButton(9);
    nbxt::Pause(300);
    CHECK(FramesSeen(500) >= 3);    // still playing
    logAt = Log().size();
    PressButton(1);
    CHECK(WaitLog(logAt, "pause\n"));
    CHECK(WaitShown(n - 1) == n - 1);
    nbxt::Pause(300);
    CHECK(SteadyFrame() == n - 1);

    // "play" pressed while playing prints nothing until the next scan; a
    // "pause" then prints "pause" and the held "play" resumes at once.
    PressButton(0);
    REQUIRE(WaitLog(logAt, "play\n"));
    nbxt::Pause(300);
    logAt = Log().size();
    PressButton(0);
    nbxt::Pause(500);
    CHECK(Log().size() == logAt);   // nothing printed while playing
    PressButton(1);
    CHECK(WaitLog(logAt, "pause\nplay\n"));
    CHECK(FramesSeen(1000) >= 5);   // playing again

    // "pause" while paused does nothing.
    logAt = Log().size();
    PressButton(1);
    REQUIRE(WaitLog(logAt, "pause\n"));
    int f = SteadyFrame();
    logAt = Log().size();
    PressButton(1);
    nbxt::Pause(500);
    CHECK(Log().size() == logAt);
    CHECK(SteadyFrame() == f);
}

TEST_CASE("Stop: frames no longer advance, the step buttons still work")
{
    PressButton(0);
    CHECK(FramesSeen(800) >= 3);
    nbxt::Command(nbx_mainWindow, 1003);
    REQUIRE(nbxt::WaitFor([] { return nbx_stop != 0; }));
    int f = SteadyFrame();
    REQUIRE(f >= 0);
    nbxt::Pause(600);
    CHECK(ShownFrame() == f);

    size_t logAt = Log().size();
    PressButton(0);               // "play" only prints
    CHECK(WaitLog(logAt, "play\n"));
    nbxt::Pause(500);
    CHECK(SteadyFrame() == f);

    PressButton(8);
    CHECK(WaitShown(1) == 1);
    PressButton(5);
    CHECK(WaitShown(2) == 2);
    PressButton(7);
    CHECK(WaitShown(12) == 12);
    nbxt::Pause(400);
    CHECK(SteadyFrame() == 12);
}
