// The video source's frame cache and its choices: budget eviction around the
// position, hits, clearing, the route to a frame that is not kept and the
// length of a back-step's fill.
#include "doctest_wine.h"
#include "viewer/frame_cache.h"
#include <vector>

using namespace nbxv;

// A stand-in frame: its "pixels" name the frame it holds.
typedef std::vector<int> Frame;

static void Fill(FrameCache<Frame> &cache, long long from, long long to, long long anchor)
{
    for (long long i = from; i <= to; i++) {
        Frame *slot = cache.Slot(i, 100, anchor);
        REQUIRE(slot);
        slot->assign(1, (int)i);
    }
}

TEST_CASE("the cache keeps frames by index within its budget, dropping the farthest from the position")
{
    FrameCache<Frame> cache(1000);   // ten frames of 100 bytes
    CHECK(cache.FramesThatFit(100) == 10);
    Fill(cache, 40, 49, 49);
    CHECK(cache.Count() == 10);
    CHECK(cache.Used() == 1000);
    // Stepping back from 40: each new frame drops the highest, farthest one.
    Fill(cache, 35, 39, 35);
    CHECK(cache.Count() == 10);
    CHECK(cache.Used() == 1000);
    for (long long i = 35; i <= 44; i++) REQUIRE((cache.Find(i) && (*cache.Find(i))[0] == i));
    for (long long i = 45; i <= 49; i++) CHECK(cache.Find(i) == nullptr);
    CHECK(cache.KeptBelow(40) == 39);
    CHECK(cache.KeptBelow(35) == -1);
    // A frame over the whole budget is not kept; an index kept is not added twice.
    CHECK(cache.Slot(99, 1001, 99) == nullptr);
    CHECK(cache.Slot(36, 100, 36) == cache.Find(36));
    CHECK(cache.Used() == 1000);
    cache.Erase(36);
    CHECK(cache.Find(36) == nullptr);
    CHECK(cache.Used() == 900);
    cache.Clear();
    CHECK(cache.Count() == 0);
    CHECK(cache.Used() == 0);
    CHECK(cache.Find(40) == nullptr);
}

TEST_CASE("a frame not kept is read, decoded forward, filled in backwards or sought")
{
    struct Case { long long next, decoderNext; double seekFrames; Route route; };
    const Case cases[] = {
        { 10, 10, 50, Route::kRead },        { 20, 11, 50, Route::kReadForward },
        { 70, 11, 50, Route::kSeek },        { 12, 11, 1.5, Route::kReadForward },
        { 13, 11, 2, Route::kSeek },         { 9, 11, 50, Route::kBackFill },
        { 10, -1, 50, Route::kSeek },        { 0, 11, 0, Route::kBackFill },
    };
    for (const Case &c : cases) CHECK(PlanRoute(c.next, c.decoderNext, c.seekFrames) == c.route);
}

TEST_CASE("a back-step fills in as many frames as a seek costs, within budget, cap and frame 0")
{
    CHECK(BackFillLength(0, 0.01, 80, 250) == 1);      // no seek seen yet: a plain seek
    CHECK(BackFillLength(0.5, 0, 80, 250) == 1);       // no read seen yet
    CHECK(BackFillLength(0.5, 0.01, 80, 250) == 50);
    CHECK(BackFillLength(5.0, 0.01, 80, 250) == 80);   // the budget
    CHECK(BackFillLength(5.0, 0.01, 900, 250) == 250); // the cap
    CHECK(BackFillLength(0.005, 0.01, 80, 250) == 1);
    CHECK(BackFillLength(0.5, 0.01, 0, 250) == 1);     // no cache: a plain seek
    CHECK(BackFillStart(100, 50, -1) == 51);
    CHECK(BackFillStart(100, 50, 70) == 71);           // not over frames kept
    CHECK(BackFillStart(20, 50, -1) == 0);
    CHECK(CacheBudgetBytes(NULL, 512) == (size_t)512 << 20);
    CHECK(CacheBudgetBytes("64", 512) == (size_t)64 << 20);
    CHECK(CacheBudgetBytes("0", 512) == 0);
    CHECK(CacheBudgetBytes("lots", 512) == (size_t)512 << 20);
    CHECK(IsPlaying(2));
    CHECK_FALSE(IsPlaying(1));
    CHECK(ReadAheadPays(1280, 720));
    CHECK_FALSE(ReadAheadPays(640, 480));
}
