// viewer_bench_accuracy.cpp - frame accuracy of the viewer's seeking buttons
// beyond MJPEG (host program, the same video source the viewer uses).
//
// For shown frames f spread over the movie: open the movie, read frames in
// order until f is shown (as playback does), then act as "<", "> 10" or ">>"
// do (position from POS_FRAMES, the viewer's target arithmetic, seek, query)
// and read the index strip of the frame that arrives. A press "lands wrong"
// when that index differs from the frame the button means, or when no frame
// comes. Then, on the same capture as a paused viewer would, runs of stepping:
// 30 "<", 5 ">", "> 10", "< 10", each checked in turn (these are served by the
// video source's cache around the position, filled after a rest).
//
//   viewer_bench_accuracy <folder with sample.avi / sample_mpeg4.avi / sample_h264.avi / large_h264.avi>
//   viewer_bench_accuracy --check <folder> [spacing]
// --check: the three 640 x 480 samples only (the movies the build writes);
// exits 1 when any press lands on a wrong frame or a sample cannot be read.
#include "viewer/video_source.h"
#include "viewer/viewer_logic.h"
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

static int Decode(const NbxFrame *f, std::vector<uint32_t> &buf)
{
    if (!f) return -1;
    buf.resize((size_t)f->width * f->height);
    nbxv::ConvertFrame(f->imageData, f->width, f->height, f->step, buf.data(), f->width, f->height);
    return nbxv::DecodeStrip(buf.data(), f->width, f->height, f->width);
}

struct Tally {
    int presses = 0, wrong = 0, none = 0;
    double offBy = 0;
    void Count(int got, int expected)
    {
        presses++;
        if (got < 0) none++;
        else if (got != expected) {
            wrong++;
            offBy += got > expected ? got - expected : expected - got;
        }
    }
};

// One stepping press as the viewer makes it; the index of the frame shown.
static int Step(NbxCapture *c, int button, double n, std::vector<uint32_t> &buf)
{
    double p = NbxVideoGet(c, NBX_CAP_PROP_POS_FRAMES);
    double target = button == nbxv::kBack ? nbxv::TargetBack(p)
                  : button == nbxv::kBack10 ? nbxv::TargetBack10(p) : nbxv::TargetForward10(p, n);
    if (button != nbxv::kForward) NbxVideoSet(c, NBX_CAP_PROP_POS_FRAMES, target);
    return Decode(NbxVideoQuery(c), buf);
}

// The runs of stepping after frame `shown` was played to.
static void SteppingRun(NbxCapture *c, int shown, int count, std::vector<uint32_t> &buf, Tally &t)
{
    int at = shown;
    auto press = [&](int button, int expected) {
        expected = expected < 0 ? 0 : expected > count - 1 ? count - 1 : expected;
        int got = Step(c, button, count, buf);
        t.Count(got, expected);
        if (got >= 0) at = got;
    };
    // A rest first, as a paused user makes: the video source's resting
    // decoder fills its cache around the position, and the steps read those
    // frames.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    for (int i = 0; i < 30; i++) press(nbxv::kBack, at - 1);
    for (int i = 0; i < 5; i++) press(nbxv::kForward, at + 1);
    press(nbxv::kForward10, at + 10);
    press(nbxv::kBack10, at - 10);
}

static void Report(const char *name, const Tally &t)
{
    std::printf("  %-5s %3d presses, %3d on a wrong frame (%5.1f %%), %d without a frame, mean |error| %.2f frames\n",
                name, t.presses, t.wrong + t.none, 100.0 * (t.wrong + t.none) / (t.presses ? t.presses : 1),
                t.none, t.wrong ? t.offBy / t.wrong : 0.0);
}

// False when the movie cannot be read; `wrong` counts the presses that
// landed on a wrong frame or on none.
static bool Measure(const std::string &path, int stepBetween, int *wrong = nullptr)
{
    NbxCapture *probe = NbxVideoOpen(path.c_str());
    if (!probe) {
        std::printf("%s: cannot be read (not written by this OpenCV?)\n", path.c_str());
        return false;
    }
    double n = NbxVideoGet(probe, NBX_CAP_PROP_FRAME_COUNT);
    double fourcc = NbxVideoGet(probe, NBX_CAP_PROP_FOURCC);
    NbxVideoRelease(&probe);
    unsigned cc = (unsigned)fourcc;
    std::printf("%s: %.0f frames, fourcc %c%c%c%c\n", path.c_str(), n, cc & 255, (cc >> 8) & 255,
                (cc >> 16) & 255, (cc >> 24) & 255);

    std::vector<uint32_t> buf;
    Tally back, fwd10, last, steps;
    const char *names[4] = { "<", "> 10", ">>", "steps" };
    Tally *tallies[4] = { &back, &fwd10, &last, &steps };
    int count = (int)n;
    for (int shown = 1; shown < count; shown += stepBetween) {
        for (int action = 0; action < 4; action++) {
            NbxCapture *c = NbxVideoOpen(path.c_str());
            if (!c) continue;
            NbxVideoQuery(c);   // frame 0 is read and dropped on opening
            int at = -1;
            for (int i = 1; i <= shown; i++) at = Decode(NbxVideoQuery(c), buf);
            if (at != shown) {
                std::printf("  sequential read reached %d instead of %d\n", at, shown);
                NbxVideoRelease(&c);
                continue;
            }
            if (action == 3) {
                SteppingRun(c, shown, count, buf, steps);
                NbxVideoRelease(&c);
                continue;
            }
            double p = NbxVideoGet(c, NBX_CAP_PROP_POS_FRAMES);
            double target = action == 0 ? nbxv::TargetBack(p)
                          : action == 1 ? nbxv::TargetForward10(p, n) : nbxv::TargetLast(n);
            int expected = action == 0 ? (shown - 1 < 0 ? 0 : shown - 1)
                         : action == 1 ? (shown + 10 > count - 1 ? count - 1 : shown + 10) : count - 1;
            NbxVideoSet(c, NBX_CAP_PROP_POS_FRAMES, target);
            int got = Decode(NbxVideoQuery(c), buf);
            tallies[action]->Count(got, expected);
            NbxVideoRelease(&c);
        }
    }
    for (int a = 0; a < 4; a++) {
        Report(names[a], *tallies[a]);
        if (wrong) *wrong += tallies[a]->wrong + tallies[a]->none;
    }
    return true;
}

static bool Exists(const std::string &path)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (f) std::fclose(f);
    return f != nullptr;
}

int main(int argc, char **argv)
{
    if (argc > 2 && std::string(argv[1]) == "--check") {
        std::string dir = argv[2];
        int step = argc > 3 ? std::atoi(argv[3]) : 7, wrong = 0, read = 0;
        // The inter-frame samples are written only when this OpenCV can
        // encode them; the MJPEG sample always is.
        for (const char *name : { "/../movies/sample.avi", "/sample_mpeg4.avi", "/sample_h264.avi" }) {
            std::string path = dir + name;
            if (!Exists(path)) continue;
            if (!Measure(path, step, &wrong)) return 1;
            read++;
        }
        std::printf("%d movies, %d presses on a wrong frame\n", read, wrong);
        return read > 0 && wrong == 0 ? 0 : 1;
    }
    std::string dir = argc > 1 ? argv[1] : ".";
    int step = argc > 2 ? std::atoi(argv[2]) : 7;
    std::printf("frame accuracy of \"<\", \"> 10\", \">>\" (shown frames every %d)\n", step);
    Measure(dir + "/../movies/sample.avi", step);
    Measure(dir + "/sample_mpeg4.avi", step);
    Measure(dir + "/sample_h264.avi", step);
    // The long-GOP 1080p movie: fewer, wider-spaced starting frames.
    Measure(dir + "/large_h264.avi", step * 9);
    return 0;
}
