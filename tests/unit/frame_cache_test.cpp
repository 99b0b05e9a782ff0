// The frame cache: eviction, routes to a frame, seeks, the resting fill.
#include "doctest_wine.h"
#include "viewer/frame_cache.h"
#include <vector>

using namespace nbxv;

// A frame whose "pixels" are its index.
typedef std::vector<int> Frame;
typedef FrameCache<Frame> Cache;

static void Fill(Cache &fc, long long from, long long to, long long anchor)
{
    for (long long i = from; i <= to; i++) {
        Frame *slot = fc.Slot(i, 100, anchor);
        REQUIRE(slot);
        slot->assign(1, (int)i);
    }
}

TEST_CASE("budget, farthest out")
{
    Cache fc(1000);   // ten frames of 100 bytes
    CHECK(fc.FramesThatFit(100) == 10);
    Fill(fc, 40, 49, 49);
    Fill(fc, 35, 39, 35);   // each drops the highest
    CHECK((fc.Count() == 10 && fc.Used() == 1000));
    for (long long i = 35; i <= 49; i++) CHECK((i < 45 ? fc.Find(i) && (*fc.Find(i))[0] == i : !fc.Find(i)));
    CHECK((fc.KeptBelow(40) == 39 && fc.KeptBelow(35) == -1));
    // Over the budget: not kept; kept: not added twice.
    CHECK((!fc.Slot(99, 1001, 99) && fc.Slot(36, 100, 36) == fc.Find(36) && fc.Used() == 1000));
    fc.Erase(36);
    CHECK((!fc.Find(36) && fc.Used() == 900));
    fc.Clear();
    CHECK((fc.Count() == 0 && fc.Used() == 0 && !fc.Find(40)));
}

TEST_CASE("focus and pins")
{
    Cache fc(500);   // five frames
    fc.SetFocus(10, 20);
    fc.SetPins({ 0 });
    Fill(fc, 0, 0, 15);
    Fill(fc, 14, 17, 15);
    // 30 is outside the focus: only frames in it could go.
    CHECK(!fc.Slot(30, 100, 15));
    // At 14, 13 comes in and 17 goes.
    REQUIRE(fc.Slot(13, 100, 14));
    CHECK((!fc.Find(17) && fc.Find(0)));
    // Unpinned, one outside the focus goes first.
    fc.SetPins({});
    fc.SetFocus(13, 16);
    CHECK((fc.Slot(12, 100, 14) && !fc.Find(0) && fc.Used() == 500));
    // Recycled reuses the farthest frame's storage, even with room.
    Cache roomy(1000);
    Fill(roomy, 5, 6, 5);
    CHECK((roomy.Recycled(4, 100, 4) && roomy.Count() == 2 && !roomy.Find(6)));
    CHECK(!roomy.Recycled(40, 100, 4));   // only nearer ones
}

TEST_CASE("lower budget")
{
    Cache fc(1000);
    fc.SetPins({ 0 });
    Fill(fc, 0, 0, 5);
    Fill(fc, 4, 7, 5);
    for (int i = 0; i < 2; i++) fc.AddSpare(Frame(1, -1), 100);
    fc.SetBudget(500, 5);
    CHECK((fc.Spares() == 0 && fc.Held() == 500 && fc.Find(0) && fc.Find(7)));
    fc.SetBudget(300, 5);
    CHECK((fc.Held() == 300 && fc.Find(0) && fc.Find(5) && !fc.Find(7)));
    fc.SetBudget(0, 5);
    CHECK((fc.Count() == 1 && fc.Find(0)));
    // budget, current, resident, held, allowance -> bound (MB)
    const size_t bounds[][6] = { { 2048, 2048, 2230, 2050, 88, 1956 }, { 2048, 2048, 90, 10, 88, 2048 },
                                 { 2048, 1900, 300, 100, 88, 1900 }, { 64, 64, 400, 0, 88, 0 },
                                 { 2048, 2048, 100, 200, 88, 2048 } };
    for (auto &b : bounds) CHECK(ProcessBoundBudget(b[0], b[1], b[2], b[3], b[4]) == b[5]);
}

TEST_CASE("routes, keys, focus, fill")
{
    using R = Route;
    const struct { long long next, decoderNext; double seekFrames; long long key; Route route; } cases[] = {
        { 10, 10, 50, -1, R::kRead },        { 20, 11, 50, -1, R::kReadForward },
        { 70, 11, 50, -1, R::kSeek },        { 12, 11, 1.5, -1, R::kReadForward },
        { 13, 11, 2, -1, R::kSeek },         { 9, 11, 50, -1, R::kFill },
        { 10, -1, 50, -1, R::kSeek },        { 0, 11, 0, -1, R::kFill },
        { 270, 250, 5, 250, R::kReadForward },  { 270, 11, 50, 250, R::kFill },
        { 10, -1, 50, 0, R::kFill },         { 9, 11, 50, 0, R::kFill },
    };
    for (auto &c : cases) CHECK(PlanRoute(c.next, c.decoderNext, c.seekFrames, c.key) == c.route);
    KeyIndex keys = { { 0, 250 }, 300 };
    CHECK((keys.Before(260) == 250 && keys.Before(300) == -1));
    keys.complete = true;
    CHECK((keys.Before(499) == 250 && keys.Before(249) == 0));
    // A seek decodes from the keyframe before target - 16.
    const long long landings[][2] = { { 0, 0 }, { 15, 0 }, { 16, 16 }, { 200, 16 }, { 265, 16 }, { 266, 266 }, { 499, 266 } };
    for (const auto &l : landings) CHECK(SeekLanding(l[0], keys) == l[1]);
    // next, caller's decoder, resting one -> take it
    const long long takes[][4] = { { 499, -1, 300, 1 }, { 499, 100, 300, 1 }, { 499, 400, 300, 0 }, { 499, 100, 249, 0 },
                                   { 499, -1, 500, 0 }, { 260, -1, 5, 1 }, { 10, 12, 0, 1 }, { 10, -1, -1, 0 } };
    for (const auto &t : takes) CHECK(TakeRestingCapture(t[0], t[1], t[2], keys) == (t[3] != 0));

    // key, playing -> lo, hi around 300 of 500, 83 fitting
    struct { long long key; bool playing; long long lo, hi, shown = 300; } focus[] = {
        { 250, false, 250, 329 },   // back to the keyframe
        { 200, false, 240, 319 },   // <= 3/4 behind
        { 290, false, 280, 359 },   // >= 1/4 behind
        { 250, true, 221, 301 },    // playing
        { 0, false, 0, 79, 5 },
        { 250, false, 430, 499, 490 },
    };
    for (const auto &f : focus) {
        Focus g = FocusAround(f.shown, 500, 83, f.key, f.playing);
        CHECK((g.lo == f.lo && g.hi == f.hi));
    }

    // Kept: 0, 1, 295..300, 303, maybe the last. The last first; then
    // behind the shown 300 from its keyframe; then ahead.
    struct { Focus focus; bool complete, lastKept; long long seekTo, keepFrom, keepTo, tail; } fills[] = {
        { { 280, 305 }, true, false, 250, 499, 499 },
        { { 280, 305 }, false, false, 499, 499, 499 },   // keys unknown
        { { 280, 305 }, true, true, 250, 280, 294 },
        { { 280, 305 }, false, true, 280, 280, 294 },
        { { 250, 305 }, true, true, 250, 266, 294 },     // the 16 after the key later
        { { 295, 305 }, true, true, 250, 301, 302 },
        { { 295, 300 }, true, true, -1, -1, -1 },         // all kept
        { { 295, 300 }, true, true, 250, 496, 499, 3 },   // the last and 3 before
    };
    for (const auto &c : fills) {
        keys.complete = c.complete;
        keys.scanned = c.complete ? 500 : 0;
        auto kept = [&](long long i) { return i <= 1 || (i >= 295 && i <= 300) || i == 303 || (c.lastKept && i == 499); };
        FillRun run = NextFill(300, c.focus, keys, 500, c.tail, kept);
        CHECK((run.seekTo == c.seekTo && run.keepFrom == c.keepFrom && run.keepTo == c.keepTo));
    }
}

TEST_CASE("back-fill, budget, footprint")
{
    // seek s, read s, fit, cap -> frames (1: a plain seek)
    const double fills[][5] = { { 0, 0.01, 80, 250, 1 }, { 0.5, 0, 80, 250, 1 }, { 0.5, 0.01, 80, 250, 50 },
                                { 5, 0.01, 80, 250, 80 }, { 5, 0.01, 900, 250, 250 }, { 0.005, 0.01, 80, 250, 1 },
                                { 0.5, 0.01, 0, 250, 1 } };
    for (auto &f : fills) CHECK(BackFillLength(f[0], f[1], (size_t)f[2], (long long)f[3]) == (long long)f[4]);
    CHECK((BackFillStart(100, 50, -1) == 51 && BackFillStart(100, 50, 70) == 71 && BackFillStart(20, 50, -1) == 0));
    CHECK((CacheBudgetBytes(NULL, 512) == (size_t)512 << 20 && CacheBudgetBytes("64", 512) == (size_t)64 << 20));
    CHECK((CacheBudgetBytes("0", 512) == 0 && CacheBudgetBytes("lots", 512) == (size_t)512 << 20));
    // unknown, a quarter, at most 2 GB
    CHECK((DefaultBudgetMB(0) == 512 && DefaultBudgetMB(4096) == 1024 && DefaultBudgetMB(24105) == 2048));
    CHECK((FrameFootprint(1920 * 1080 * 3) == 6225920 && FrameFootprint(0) == 0));   // whole pages + 1
    CHECK((TailLength(344) == 16 && TailLength(86) == 5 && TailLength(10) == 0));
    CHECK((IsPlaying(2) && !IsPlaying(1) && ReadAheadPays(1280, 720) && !ReadAheadPays(640, 480)));
}
