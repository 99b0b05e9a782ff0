// The viewer's frame cache: budget eviction around the position, the route
// to a frame not kept and the length of a back-step's fill.
#include "doctest_wine.h"
#include "viewer/frame_cache.h"
#include <vector>

using namespace nbxv;

typedef std::vector<int> Frame;   // its one "pixel" names the frame

static void Fill(FrameCache<Frame> &cache, long long from, long long to, long long anchor)
{
    for (long long i = from; i <= to; i++) {
        Frame *slot = cache.Slot(i, 100, anchor);
        REQUIRE(slot);
        slot->assign(1, (int)i);
    }
}

TEST_CASE("the cache keeps frames within its budget, dropping the farthest from the position")
{
    FrameCache<Frame> cache(1000);   // ten frames of 100 bytes
    CHECK(cache.FramesThatFit(100) == 10);
    Fill(cache, 40, 49, 49);
    Fill(cache, 35, 39, 35);   // stepping back: each new frame drops the highest
    CHECK((cache.Count() == 10 && cache.Used() == 1000));
    for (long long i = 35; i <= 49; i++) CHECK((i < 45 ? cache.Find(i) && (*cache.Find(i))[0] == i : !cache.Find(i)));
    CHECK((cache.KeptBelow(40) == 39 && cache.KeptBelow(35) == -1));
    // A frame over the whole budget is not kept; one kept is not added twice.
    CHECK((cache.Slot(99, 1001, 99) == nullptr && cache.Slot(36, 100, 36) == cache.Find(36) && cache.Used() == 1000));
    cache.Erase(36);
    CHECK((cache.Find(36) == nullptr && cache.Used() == 900));
    cache.Clear();
    CHECK((cache.Count() == 0 && cache.Used() == 0 && cache.Find(40) == nullptr));
}

TEST_CASE("routes to a frame not kept; back-fill lengths; budget and play state")
{
    struct { long long next, decoderNext; double seekFrames; Route route; } routes[] = {
        { 10, 10, 50, Route::kRead }, { 20, 11, 50, Route::kReadForward }, { 70, 11, 50, Route::kSeek },
        { 12, 11, 1.5, Route::kReadForward }, { 13, 11, 2, Route::kSeek }, { 9, 11, 50, Route::kBackFill },
        { 10, -1, 50, Route::kSeek }, { 0, 11, 0, Route::kBackFill } };
    for (auto &c : routes) CHECK(PlanRoute(c.next, c.decoderNext, c.seekFrames) == c.route);
    // seek s, read s, budget frames, cap -> frames (1: a plain seek)
    const double fills[][5] = { { 0, 0.01, 80, 250, 1 }, { 0.5, 0, 80, 250, 1 }, { 0.5, 0.01, 80, 250, 50 },
                                { 5, 0.01, 80, 250, 80 }, { 5, 0.01, 900, 250, 250 }, { 0.005, 0.01, 80, 250, 1 },
                                { 0.5, 0.01, 0, 250, 1 } };
    for (auto &f : fills) CHECK(BackFillLength(f[0], f[1], (int)f[2], (int)f[3]) == (int)f[4]);
    CHECK((BackFillStart(100, 50, -1) == 51 && BackFillStart(100, 50, 70) == 71 && BackFillStart(20, 50, -1) == 0));
    CHECK((CacheBudgetBytes(NULL, 512) == (size_t)512 << 20 && CacheBudgetBytes("64", 512) == (size_t)64 << 20));
    CHECK((CacheBudgetBytes("0", 512) == 0 && CacheBudgetBytes("lots", 512) == (size_t)512 << 20));
    CHECK((IsPlaying(2) && !IsPlaying(1) && ReadAheadPays(1280, 720) && !ReadAheadPays(640, 480)));
}
