// frame_cache.h - the video source's decoded frames kept by frame index
// within a byte budget, and the choices the source makes around it (how to
// reach a frame that is not kept, how many frames a back-step fills in, when
// the one-frame read-ahead pays). Plain C++ over any frame type, no platform
// or OpenCV headers, so the tests can use it with a stand-in frame.
#ifndef NBX_FRAME_CACHE_H
#define NBX_FRAME_CACHE_H

#include <stddef.h>
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

namespace nbxv {

// Frames by index. Each entry counts `bytes` against the budget; making room
// drops the frames farthest from the position being served, so the stretch
// around it survives whichever way the user steps. A focus range, when set,
// is dropped last: frames outside it go first, the farthest from it first.
// Pinned indexes are never dropped to make room. Dropped frame objects are
// reused as the storage of the new entry (their buffers keep their size).
template <typename Frame>
class FrameCache {
public:
    explicit FrameCache(size_t budgetBytes) : budget_(budgetBytes) {}

    size_t Budget() const { return budget_; }
    size_t Used() const { return used_; }
    // What the cache holds: kept frames and spare storage.
    size_t Held() const { return used_ + spareBytes_; }
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

    void SetFocus(long long lo, long long hi)
    {
        lo_ = lo;
        hi_ = hi;
    }

    // Indexes never dropped to make room (the frame handed out, one being
    // decoded into, the first and the last frame).
    void SetPins(std::vector<long long> pins) { pins_ = std::move(pins); }
    // Every index from `from` on is pinned as well (the movie's last frames).
    void PinFrom(long long from) { pinFrom_ = from; }

    // An entry for frame `index` of `bytes` bytes, to be filled by the caller;
    // frames farthest from `anchor` make room, never one that ranks as near
    // as the new frame or nearer. Null when the frame is not kept: over the
    // budget alone, or nothing farther left to drop. An existing entry of
    // that index is returned as it is.
    Frame *Slot(long long index, size_t bytes, long long anchor)
    {
        if (Frame *kept = Find(index)) return kept;
        if (bytes > budget_) return nullptr;
        Frame reuse{};
        if (!spares_.empty()) {
            reuse = std::move(spares_.back());
            spares_.pop_back();
            spareBytes_ -= bytes;
        }
        while (used_ + spareBytes_ + bytes > budget_)
            if (!EvictFarthest(anchor, Rank(index, anchor), reuse)) {
                if (!reuse.empty()) AddSpare(std::move(reuse), bytes);
                return nullptr;
            }
        Entry &e = entries_[index];
        e.frame = std::move(reuse);
        e.bytes = bytes;
        used_ += bytes;
        return &e.frame;
    }

    // As Slot, but never with new storage: a spare, or the storage of the
    // frame that ranks farthest (when it ranks farther than the new one).
    // Null when neither is there.
    Frame *Recycled(long long index, size_t bytes, long long anchor)
    {
        if (Frame *kept = Find(index)) return kept;
        if (StorageAtHand(bytes)) return Slot(index, bytes, anchor);
        Frame reuse{};
        if (entries_.empty() || !EvictFarthest(anchor, Rank(index, anchor), reuse)) return nullptr;
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

    // Emptied: the frame objects stay as spares.
    void Clear()
    {
        for (auto &e : entries_) AddSpare(std::move(e.second.frame), e.second.bytes);
        entries_.clear();
        used_ = 0;
    }

    // A new budget. Over it, spares go first, then the frames that rank
    // farthest from `anchor`, pinned ones never.
    void SetBudget(size_t budgetBytes, long long anchor)
    {
        budget_ = budgetBytes;
        while (Held() > budget_ && !spares_.empty()) {
            spareBytes_ -= spareBytes_ / spares_.size();
            spares_.pop_back();
        }
        Frame dropped{};
        while (used_ > budget_ && EvictFarthest(anchor, -1, dropped)) dropped = Frame{};
    }

    // Storage made ready ahead of need, of `bytes` each (the one frame size
    // of a movie): taken by Slot before it drops any frame. Spares count
    // against the budget as kept frames do.
    size_t Spares() const { return spares_.size(); }
    // A frame of `bytes` can be kept without taking new storage.
    bool StorageAtHand(size_t bytes) const { return !spares_.empty() || used_ + spareBytes_ + bytes > budget_; }
    bool RoomForSpare(size_t bytes) const { return bytes && used_ + spareBytes_ + bytes <= budget_; }
    void AddSpare(Frame &&frame, size_t bytes)
    {
        spares_.push_back(std::move(frame));
        spareBytes_ += bytes;
    }

private:
    struct Entry {
        Frame frame{};
        size_t bytes = 0;
    };

    typedef typename std::map<long long, Entry>::iterator Iter;

    static long long Distance(long long a, long long b) { return a > b ? a - b : b - a; }

    // How soon frame i goes: frames outside the focus before any inside it.
    long long Rank(long long i, long long anchor) const
    {
        const long long outside = 1LL << 40;
        if (i < lo_) return outside + (lo_ - i);
        if (i > hi_) return outside + (i - hi_);
        return Distance(i, anchor);
    }

    bool Pinned(long long i) const { return i >= pinFrom_ || std::find(pins_.begin(), pins_.end(), i) != pins_.end(); }

    // The rank grows away from the anchor both ways, so the victim is the
    // lowest or the highest entry that is not pinned.
    bool EvictFarthest(long long anchor, long long newcomer, Frame &reuse)
    {
        Iter low = entries_.begin();
        while (low != entries_.end() && Pinned(low->first)) ++low;
        if (low == entries_.end()) return false;
        Iter high = std::prev(entries_.end());
        while (Pinned(high->first)) --high;
        auto victim = Rank(low->first, anchor) >= Rank(high->first, anchor) ? low : high;
        if (Rank(victim->first, anchor) <= newcomer) return false;
        reuse = std::move(victim->second.frame);
        used_ -= victim->second.bytes;
        entries_.erase(victim);
        return true;
    }

    std::map<long long, Entry> entries_;
    std::vector<long long> pins_;
    long long pinFrom_ = 1LL << 62;
    std::vector<Frame> spares_;
    size_t spareBytes_ = 0;
    long long lo_ = -(1LL << 62), hi_ = 1LL << 62;
    size_t budget_;
    size_t used_ = 0;
};

// ------------------------------------------------------------ routes

// Keyframe indexes of a movie as far as its packets have been scanned.
// Before(i): the keyframe at or before frame i, -1 while not known (frame i
// lies beyond the scan, or no keyframe was seen before it).
struct KeyIndex {
    std::vector<long long> keys;   // ascending
    long long scanned = 0;         // frames scanned so far
    bool complete = false;

    long long Before(long long i) const
    {
        if (i < 0 || (!complete && i >= scanned)) return -1;
        auto it = std::upper_bound(keys.begin(), keys.end(), i);
        return it == keys.begin() ? -1 : *std::prev(it);
    }
};

// OpenCV's FFmpeg capture seeks to frame T by going to the keyframe before
// T - 16 and decoding forward from there, inside the seek: a seek to a
// keyframe or just after one decodes the whole interval before it. The
// cheapest seek on the way to frame `target`, from where the caller reads on:
// frame 0 (no decoding) below 16, else 16 frames after the keyframe before
// target - 16; the target itself when that keyframe is not known.
const long long kSeekLookback = 16;

inline long long SeekLanding(long long target, const KeyIndex &keys)
{
    if (target < kSeekLookback) return 0;
    long long key = keys.Before(target - kSeekLookback);
    return key < 0 ? target : key + kSeekLookback;
}

// Whether a caller that wants frame `next` should read on from the resting
// decoder's capture, which decodes frame `restAt` next, rather than from its
// own (at `decoderNext`, -1 unknown): the resting one stands before the
// target, no earlier than a seek would start decoding, and the caller's own
// does not already stand between it and the target.
inline bool TakeRestingCapture(long long next, long long decoderNext, long long restAt, const KeyIndex &keys)
{
    long long from = next >= kSeekLookback ? keys.Before(next - kSeekLookback) : 0;
    if (restAt < 0 || restAt > next || from < 0 || restAt < from) return false;
    return !(decoderNext >= restAt && decoderNext <= next);
}

// How a query reaches frame `next` (the index it must return) when the frame
// is not kept: `decoderNext` is the index the decoder returns next, -1 when
// unknown; `seekFrames` what one seek costs, in sequential decodes; `key` the
// keyframe at or before `next`, -1 when not known. kFill seeks to a frame
// before `next` and decodes forward from there, keeping the frames.
enum class Route { kRead, kReadForward, kFill, kSeek };

inline Route PlanRoute(long long next, long long decoderNext, double seekFrames, long long key)
{
    if (decoderNext < 0) return key >= 0 ? Route::kFill : Route::kSeek;
    if (next == decoderNext) return Route::kRead;
    // Reading on inside the keyframe's interval never costs more than going
    // back to the keyframe.
    if (next > decoderNext && key >= 0 && decoderNext >= key) return Route::kReadForward;
    // Decoding the gap is cheaper than a seek that goes back to a keyframe.
    if (next > decoderNext && (double)(next - decoderNext) < seekFrames) return Route::kReadForward;
    return next < decoderNext || key >= 0 ? Route::kFill : Route::kSeek;
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

// The frames worth keeping around shown frame `shown` of a `count`-frame
// movie when `fit` frames fit the budget: playing, the frames just shown
// (newest first); at rest, the frames behind it back to its keyframe `key`
// (at least a quarter, at most three quarters of what fits), then those
// ahead of it. Three of the frames that fit stay for the pinned ones.
struct Focus {
    long long lo, hi;
};

inline Focus FocusAround(long long shown, long long count, size_t fit, long long key, bool playing)
{
    long long avail = fit > 3 ? (long long)fit - 3 : 1;
    if (shown < 0) shown = 0;
    long long behind = playing ? avail - 1 : key >= 0 ? shown - key : avail / 2;
    behind = std::min(std::max(behind, avail / 4), playing ? avail - 1 : avail * 3 / 4);
    if (behind > shown) behind = shown;
    long long hi = shown + (avail - 1 - behind);
    if (playing) hi = shown + 1;
    if (count > 0 && hi > count - 1) hi = count - 1;
    return Focus{ shown - behind, hi < shown ? shown : hi };
}

// One stretch of decoding for the resting decoder: seek to `seekTo` (or read
// on when the decoder already stands between it and `keepFrom`), decode up
// to `keepTo` and keep the frames from `keepFrom`. Empty when keepTo < 0.
struct FillRun {
    long long seekTo = -1, keepFrom = -1, keepTo = -1;
};

// The next stretch to fill: first the last frame with the `tail` before it
// and the first two frames (">>", "<<", "<" after ">>"; once kept they stay;
// the last are the dearest to reach), then the frames behind the shown one, nearest
// first, then the frames ahead. `kept(i)` tells whether frame i is in the
// cache.
template <typename Kept>
FillRun NextFill(long long shown, const Focus &focus, const KeyIndex &keys, long long count, long long tail,
                 Kept kept)
{
    FillRun run;
    const long long lastFrom = std::max(count - 1 - tail, 0LL);
    for (long long p = count - 1; p >= lastFrom; p--) {
        if (kept(p)) continue;
        long long key = keys.Before(lastFrom);
        run.seekTo = key >= 0 ? key : lastFrom;
        run.keepFrom = lastFrom;
        run.keepTo = count - 1;
        return run;
    }
    const long long pins[2] = { 0, 1 };
    for (long long p : pins) {
        if (p < 0 || p >= count || kept(p)) continue;
        long long key = keys.Before(p);
        run.seekTo = key >= 0 ? key : p;
        run.keepFrom = run.keepTo = p;
        return run;
    }
    for (long long m = shown; m >= focus.lo; m--) {
        if (kept(m)) continue;
        long long m0 = m;
        while (m0 > focus.lo && !kept(m0 - 1)) m0--;
        long long key = keys.Before(m);
        // The frames just after the keyframe cost a seek that decodes the
        // interval before it: they come last, in a stretch of their own.
        if (key >= 0 && m0 < key + kSeekLookback && m >= key + kSeekLookback) m0 = key + kSeekLookback;
        run.seekTo = key >= 0 ? key : m0;
        run.keepFrom = std::max(m0, run.seekTo);
        run.keepTo = m;
        return run;
    }
    for (long long m = shown + 1; m <= focus.hi; m++) {
        if (kept(m)) continue;
        long long m1 = m;
        while (m1 < focus.hi && !kept(m1 + 1)) m1++;
        long long key = keys.Before(m);
        run.seekTo = key >= 0 ? key : m;
        run.keepFrom = m;
        run.keepTo = m1;
        return run;
    }
    return run;
}

// What a kept frame of `bytes` pixel bytes holds of the process's memory:
// its buffer in whole pages (large buffers are mapped pages of their own)
// and one page more for the allocator's header and alignment, the frame
// object and its map entry.
inline size_t FrameFootprint(size_t bytes)
{
    const size_t page = 4096;
    return bytes ? (bytes + page - 1) / page * page + page : 0;
}

// The default budget in megabytes: a quarter of the physical memory, at most
// 2 GB; 512 MB when the memory is not known.
inline size_t DefaultBudgetMB(unsigned long long physicalMB)
{
    if (physicalMB == 0) return 512;
    unsigned long long quarter = physicalMB / 4;
    return (size_t)(quarter < 2048 ? quarter : 2048);
}

// The budget that keeps the whole process within `budget` + `allowance`:
// `budget` less what the rest of the process (its resident memory beside
// what the cache holds) takes beyond the allowance. Never above `current`,
// so the cache does not swing with the process's small ups and downs.
inline size_t ProcessBoundBudget(size_t budget, size_t current, size_t resident, size_t held, size_t allowance)
{
    size_t others = resident > held ? resident - held : 0;
    size_t over = others > allowance ? others - allowance : 0;
    size_t bound = budget > over ? budget - over : 0;
    return bound < current ? bound : current;
}

// Frames just before the last that stay kept with it, so that "<" after ">>"
// is served from memory while the resting decoder fills behind: a sixteenth
// of the frames that fit, at most 16.
inline long long TailLength(size_t fit)
{
    long long n = (long long)(fit / 16);
    return n < 16 ? n : 16;
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
