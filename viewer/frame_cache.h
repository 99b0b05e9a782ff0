// frame_cache.h - the video source's decoded frames kept by frame index
// within a byte budget, and the choices the source makes around it (how to
// reach a frame that is not kept, how many frames a back-step fills in, when
// the one-frame read-ahead pays). Plain C++ over any frame type, no platform
// or OpenCV headers, so the tests can use it with a stand-in frame.
#ifndef NBX_FRAME_CACHE_H
#define NBX_FRAME_CACHE_H

#include <stddef.h>
#include <map>
#include <utility>

namespace nbxv {

// Frames by index. Each entry counts `bytes` against the budget; making room
// drops the frames farthest from the position being served, so the stretch
// around it survives whichever way the user steps. Dropped frame objects are
// reused as the storage of the new entry (their buffers keep their size).
template <typename Frame>
class FrameCache {
public:
    explicit FrameCache(size_t budgetBytes) : budget_(budgetBytes) {}

    size_t Budget() const { return budget_; }
    size_t Used() const { return used_; }
    size_t Count() const { return entries_.size(); }
    size_t FramesThatFit(size_t frameBytes) const { return frameBytes ? budget_ / frameBytes : 0; }

    Frame *Find(long long index)
    {
        auto it = entries_.find(index);
        return it == entries_.end() ? nullptr : &it->second.frame;
    }

    // The largest kept index below `index`, or -1.
    long long KeptBelow(long long index) const
    {
        auto it = entries_.lower_bound(index);
        return it == entries_.begin() ? -1 : std::prev(it)->first;
    }

    // An entry for frame `index` of `bytes` bytes, to be filled by the caller;
    // frames farthest from `anchor` make room. Null when the frame alone is
    // over the budget. An existing entry of that index is returned as it is.
    Frame *Slot(long long index, size_t bytes, long long anchor)
    {
        if (Frame *kept = Find(index)) return kept;
        if (bytes > budget_) return nullptr;
        Frame reuse{};
        while (used_ + bytes > budget_) reuse = EvictFarthest(anchor);
        Entry &e = entries_[index];
        e.frame = std::move(reuse);
        e.bytes = bytes;
        used_ += bytes;
        return &e.frame;
    }

    void Erase(long long index)
    {
        auto it = entries_.find(index);
        if (it == entries_.end()) return;
        used_ -= it->second.bytes;
        entries_.erase(it);
    }

    void Clear()
    {
        entries_.clear();
        used_ = 0;
    }

private:
    struct Entry {
        Frame frame{};
        size_t bytes = 0;
    };

    static long long Distance(long long a, long long b) { return a > b ? a - b : b - a; }

    Frame EvictFarthest(long long anchor)
    {
        auto first = entries_.begin();
        auto last = std::prev(entries_.end());
        auto victim = Distance(first->first, anchor) >= Distance(last->first, anchor) ? first : last;
        Frame frame = std::move(victim->second.frame);
        used_ -= victim->second.bytes;
        entries_.erase(victim);
        return frame;
    }

    std::map<long long, Entry> entries_;
    size_t budget_;
    size_t used_ = 0;
};

// ------------------------------------------------------------ routes

// How a query reaches frame `next` (the index it must return) when the frame
// is not kept: `decoderNext` is the index the decoder returns next, -1 when
// unknown; `seekFrames` what one seek costs, in sequential decodes.
enum class Route { kRead, kReadForward, kBackFill, kSeek };

inline Route PlanRoute(long long next, long long decoderNext, double seekFrames)
{
    if (decoderNext < 0) return Route::kSeek;
    if (next == decoderNext) return Route::kRead;
    // Decoding the gap is cheaper than a seek that goes back to a keyframe.
    if (next > decoderNext) return (double)(next - decoderNext) < seekFrames ? Route::kReadForward : Route::kSeek;
    return Route::kBackFill;
}

// Frames a back-step decodes and keeps, ending at the target: as many as a
// seek costs decodes (a seek decodes from the keyframe anyway, so filling that
// stretch costs about one plain seek), within the budget and a hard cap.
// 1 (a plain seek) until both costs have been seen once.
inline long long BackFillLength(double seekSeconds, double decodeSeconds, size_t framesThatFit, long long cap)
{
    if (seekSeconds <= 0 || decodeSeconds <= 0) return 1;
    double frames = seekSeconds / decodeSeconds;
    long long n = frames < (double)cap ? (long long)frames : cap;
    if (n > (long long)framesThatFit) n = (long long)framesThatFit;
    return n < 1 ? 1 : n;
}

// First index of a back-fill ending at `target`: `length` frames, not before
// frame 0 and not over frames already kept below the target.
inline long long BackFillStart(long long target, long long length, long long keptBelow)
{
    long long start = target - length + 1;
    if (start <= keptBelow) start = keptBelow + 1;
    return start < 0 ? 0 : start;
}

// Queries in a row with no other call between them are playback: the viewer
// reads the position before every step, never between two played frames.
inline bool IsPlaying(int queriesInARow) { return queriesInARow >= 2; }

// Decoding beside the drawing pays from 720p up; below, the hand-over costs
// about what the overlap gains.
inline bool ReadAheadPays(int width, int height) { return (long long)width * height >= 1280LL * 720; }

// The budget in bytes from the environment's megabytes; the default when the
// value is missing or not a number, 0 (no cache) for 0.
inline size_t CacheBudgetBytes(const char *megabytes, size_t defaultMB)
{
    size_t mb = defaultMB;
    if (megabytes && *megabytes >= '0' && *megabytes <= '9') {
        mb = 0;
        for (const char *p = megabytes; *p >= '0' && *p <= '9' && mb < ((size_t)1 << 20); p++) mb = mb * 10 + (size_t)(*p - '0');
    }
    return mb << 20;
}

}  // namespace nbxv

#endif
