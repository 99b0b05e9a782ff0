// video_source.cpp - the video source over cv::VideoCapture (see
// video_source.h). Compiled by the host compiler only: OpenCV's headers do
// not survive the Win32 headers of the Winelib build.
#define NBX_VIDEO_SOURCE_IMPL
#include "video_source.h"

#include "frame_cache.h"

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#if defined(__unix__)
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <psapi.h>
#endif

using nbxv::Route;

namespace {

const long long kMaxBackFill = 250;
// A pause this long without a call is a rest: the resting decoder may work.
const double kRestSeconds = 0.1;
// Frames before a target that a fill keeps in new storage when no spare is
// at hand (new storage may cost more than decoding; see NewStorage).
const long long kFreshNearTarget = 16;

double Now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Decodes one frame on a thread of its own while the caller converts and
// shows the previous one. Only one read is ever outstanding, and the caller
// touches the capture only after Wait, so the library is never used from two
// threads at once.
class ReadAhead {
public:
    ~ReadAhead()
    {
        if (!worker_.joinable()) return;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        wake_.notify_all();
        worker_.join();
    }

    bool Pending() const { return pending_; }

    void Start(cv::VideoCapture *video, cv::Mat *into)
    {
        if (!worker_.joinable()) worker_ = std::thread([this] { Run(); });
        std::lock_guard<std::mutex> lock(mutex_);
        video_ = video;
        into_ = into;
        done_ = false;
        pending_ = true;
        wake_.notify_all();
    }

    // Waits for the outstanding read; true when it gave a frame.
    bool Wait()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return done_; });
        pending_ = false;
        return ok_;
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            wake_.wait(lock, [this] { return quit_ || (pending_ && !done_); });
            if (quit_) return;
            lock.unlock();
            bool ok = false;
            try {
                ok = video_->read(*into_) && !into_->empty();
            } catch (...) {
                ok = false;
            }
            lock.lock();
            ok_ = ok;
            done_ = true;
            wake_.notify_all();
        }
    }

    std::thread worker_;
    std::mutex mutex_;
    std::condition_variable wake_;
    cv::VideoCapture *video_ = nullptr;
    cv::Mat *into_ = nullptr;
    bool pending_ = false, done_ = true, ok_ = false, quit_ = false;
};

#if defined(__linux__) && defined(MAP_POPULATE)
// Storage of kept frames: each buffer a mapping of its own whose pages the
// kernel supplies in one go when it is made. Touched one by one, the 1,500
// pages of a 1080p frame cost 15-35 ms of page faults on a virtual machine,
// more than decoding the frame; populated at once they cost about 2 ms.
// Freed frames go straight back to the system.
class FrameAllocator : public cv::MatAllocator {
public:
    cv::UMatData *allocate(int dims, const int *sizes, int type, void *data0, size_t *step, cv::AccessFlag,
                           cv::UMatUsageFlags) const override
    {
        size_t total = CV_ELEM_SIZE(type);
        for (int i = dims - 1; i >= 0; i--) {
            if (step) {
                if (data0 && step[i] != cv::Mat::AUTO_STEP) total = step[i];
                else step[i] = total;
            }
            total *= sizes[i];
        }
        uchar *data = (uchar *)data0;
        if (!data) {
            void *p = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
            if (p == MAP_FAILED) throw std::bad_alloc();
            data = (uchar *)p;
        }
        cv::UMatData *u = new cv::UMatData(this);
        u->data = u->origdata = data;
        u->size = total;
        if (data0) u->flags |= cv::UMatData::USER_ALLOCATED;
        return u;
    }

    bool allocate(cv::UMatData *u, cv::AccessFlag, cv::UMatUsageFlags) const override { return u != nullptr; }

    void deallocate(cv::UMatData *u) const override
    {
        if (!u) return;
        if (!(u->flags & cv::UMatData::USER_ALLOCATED)) munmap(u->origdata, u->size);
        delete u;
    }
};

cv::MatAllocator *KeptFrameAllocator()
{
    static FrameAllocator allocator;
    return &allocator;
}
#else
cv::MatAllocator *KeptFrameAllocator() { return nullptr; }
#endif

// A cache entry about to be decoded into.
cv::Mat *Prepared(cv::Mat *slot)
{
    if (slot && slot->empty()) slot->allocator = KeptFrameAllocator();
    return slot;
}

}  // namespace

static unsigned long long PhysicalMB()
{
#if defined(_WIN32)
    MEMORYSTATUSEX status;
    status.dwLength = sizeof status;
    if (GlobalMemoryStatusEx(&status)) return status.ullTotalPhys >> 20;
#elif defined(__unix__) && defined(_SC_PHYS_PAGES)
    long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGE_SIZE);
    if (pages > 0 && size > 0) return (unsigned long long)pages * (unsigned long long)size >> 20;
#endif
    return 0;
}

// The process's resident memory in bytes; 0 when it cannot be read.
static size_t ResidentBytes()
{
#if defined(_WIN32)
    PROCESS_MEMORY_COUNTERS counters;
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return counters.WorkingSetSize;
#elif defined(__linux__)
    if (std::FILE *f = std::fopen("/proc/self/statm", "r")) {
        unsigned long long total = 0, resident = 0;
        int read = std::fscanf(f, "%llu %llu", &total, &resident);
        std::fclose(f);
        if (read == 2) return (size_t)(resident * (unsigned long long)sysconf(_SC_PAGE_SIZE));
    }
#endif
    return 0;
}

static size_t BudgetBytes()
{
    return nbxv::CacheBudgetBytes(std::getenv("NBX_FRAME_CACHE_MB"), nbxv::DefaultBudgetMB(PhysicalMB()));
}

// Positions: `next` is the index the next query returns (the position the
// caller sees), `decoderNext` the index the library would decode next; they
// differ while frames come from the cache. -1 means not known: the position
// is then the library's own, as after a seek by time.
//
// Two threads besides the caller's: the read-ahead (one frame while playing)
// and the resting decoder, which scans the movie's keyframes once and, while
// the caller makes no call, decodes frames around the position with a second
// capture of the same file. `mutex` guards the cache, the keyframe index and
// the positions; every call holds it throughout and bumps `calls`, which
// stops the resting decoder after the frame it is decoding.
struct NbxCapture {
    cv::VideoCapture video;
    size_t budget = BudgetBytes();   // the cache's own, before the process bounds it
    nbxv::FrameCache<cv::Mat> cache{ budget };
    cv::Mat frame;       // the frame handed out when it is not kept
    cv::Mat ahead;       // the read-ahead's frame when it is not kept
    cv::Mat scratch;     // a frame read only to move the library
    NbxFrame view;
    std::string path;
    double count = 0;
    size_t frameBytes = 0;        // what a kept frame counts against the budget
    int width = 0, height = 0;
    long long next = 0, decoderNext = 0, aheadIndex = -1;
    int queriesInARow = 0, queriesSinceBound = 0;
    bool readAhead = false, aheadKept = false;
    double seekSeconds = 0, decodeSeconds = 0;   // last seek, running mean of a read
    ReadAhead worker;

    std::mutex mutex;
    std::condition_variable wake;
    std::atomic<unsigned> calls{ 0 };
    double lastCall = 0;
    bool quit = false, resterAsleep = false;   // asleep: waiting for the next call
    nbxv::KeyIndex keys;
    std::thread rester;
    // The resting decoder's capture and the index it decodes next (-1: not
    // known); used by the resting thread alone while restBusy.
    cv::VideoCapture restVideo;
    long long restAt = -1;
    bool restBusy = false;
    std::condition_variable restIdle;
};

namespace {

// Holds the capture for one call: stops the resting decoder and, at the end,
// starts the rest's clock.
class Call {
public:
    explicit Call(NbxCapture *c) : c_(c), lock_(c->mutex) { c->calls++; }
    // Waits until the resting decoder has stopped using its capture: it
    // stops after the frame it is decoding, as it sees the call.
    void WaitForRest()
    {
        c_->restIdle.wait(lock_, [this] { return !c_->restBusy; });
    }
    ~Call()
    {
        c_->lastCall = Now();
        c_->calls++;
        bool wake = c_->resterAsleep;
        lock_.unlock();
        if (wake) c_->wake.notify_all();
    }

private:
    NbxCapture *c_;
    std::unique_lock<std::mutex> lock_;
};

}  // namespace

// highgui's identifiers 0..7 are cv::CAP_PROP_POS_MSEC .. CAP_PROP_FRAME_COUNT
// in the same order; the table keeps that assumption explicit.
static const int kProperties[8] = {
    cv::CAP_PROP_POS_MSEC,    cv::CAP_PROP_POS_FRAMES,  cv::CAP_PROP_POS_AVI_RATIO,
    cv::CAP_PROP_FRAME_WIDTH, cv::CAP_PROP_FRAME_HEIGHT, cv::CAP_PROP_FPS,
    cv::CAP_PROP_FOURCC,      cv::CAP_PROP_FRAME_COUNT,
};

static bool ReadFrom(cv::VideoCapture &video, cv::Mat &into)
{
    try {
        return video.read(into) && !into.empty();
    } catch (...) {
        return false;
    }
}

static bool SeekTo(cv::VideoCapture &video, long long index)
{
    try {
        return video.set(cv::CAP_PROP_POS_FRAMES, (double)index);
    } catch (...) {
        return false;
    }
}

static bool ReadInto(NbxCapture *c, cv::Mat &into) { return ReadFrom(c->video, into); }

static bool SeekDecoder(NbxCapture *c, long long index)
{
    bool ok = SeekTo(c->video, index);
    c->decoderNext = ok ? index : -1;
    return ok;
}

// A read at the decoder's position, timed for the running mean.
static bool TimedRead(NbxCapture *c, cv::Mat &into)
{
    double t0 = Now();
    bool ok = ReadInto(c, into);
    if (!ok) return false;
    double t = Now() - t0;
    c->decodeSeconds = c->decodeSeconds > 0 ? 0.9 * c->decodeSeconds + 0.1 * t : t;
    c->decoderNext++;
    return true;
}

// Waits for an outstanding read-ahead; its frame is frame c->aheadIndex, in
// the cache or in c->ahead. False when the read met the end (the position is
// then the library's own).
static bool SettleReadAhead(NbxCapture *c)
{
    if (!c->worker.Pending()) return true;
    if (!c->worker.Wait()) {
        if (c->aheadKept) c->cache.Erase(c->decoderNext);
        c->next = c->decoderNext = c->aheadIndex = -1;
        return false;
    }
    c->aheadIndex = c->decoderNext++;
    return true;
}

// The dearest recent seek, slowly forgotten: a seek's cost depends on how far
// its target lies from the keyframe before it.
static void NoteSeek(NbxCapture *c, double seconds)
{
    c->seekSeconds = std::max(seconds, 0.9 * c->seekSeconds);
}

static long long KeyBefore(NbxCapture *c, long long index) { return c->keys.Before(index); }

static long long Tail(NbxCapture *c) { return nbxv::TailLength(c->cache.FramesThatFit(c->frameBytes)); }

// Frames worth keeping with frame `shown` on screen.
static nbxv::Focus FocusOn(NbxCapture *c, long long shown, bool playing)
{
    size_t fit = c->cache.FramesThatFit(c->frameBytes);
    return nbxv::FocusAround(shown, (long long)c->count, fit - (size_t)std::min((long long)fit, Tail(c)),
                             KeyBefore(c, shown - 1), playing);
}

// Sets what the cache keeps while frame `shown` is served: its focus, and the
// frames it must not drop (the first two, the last few, the one handed out
// and the one the read-ahead decodes into).
static void Aim(NbxCapture *c, long long shown, bool playing, long long extraPin)
{
    nbxv::Focus f = FocusOn(c, shown, playing);
    c->cache.SetFocus(f.lo, f.hi);
    c->cache.SetPins({ 0, 1, shown, extraPin });
    if (c->count > 0) c->cache.PinFrom(std::max((long long)c->count - 1 - Tail(c), 0LL));
}

// Reads frames decoderNext .. next - 1, keeping those in the focus, then
// frame `next`. Null when a read fails (the position is then unknown).
static cv::Mat *DecodeUpTo(NbxCapture *c, const nbxv::Focus &focus, bool playing)
{
    for (;;) {
        long long index = c->decoderNext;
        // Playing never waits for new storage (spares or the storage of
        // farther frames only); on the way to a frame at rest, only the last
        // few before it may take some.
        bool keep = c->frameBytes && index >= focus.lo && index <= focus.hi;
        bool fresh = !playing && index > c->next - kFreshNearTarget;
        cv::Mat *slot = !keep ? nullptr
                      : Prepared(fresh ? c->cache.Slot(index, c->frameBytes, c->next)
                                       : c->cache.Recycled(index, c->frameBytes, c->next));
        cv::Mat &into = slot ? *slot : c->frame;
        if (!TimedRead(c, into)) {
            if (slot) c->cache.Erase(index);
            c->next = c->decoderNext = -1;
            return nullptr;
        }
        if (index == c->next) return &into;
    }
}

// Frame `next` by whichever way is cheapest; see PlanRoute.
static cv::Mat *Reach(NbxCapture *c, bool playing)
{
    // Playing with the decoder in step reads on even through kept frames:
    // served from memory it would fall behind, and the first frame not kept
    // would then wait for it to decode its way there.
    cv::Mat *kept = c->cache.Find(c->next);
    if (kept && !(playing && c->decoderNext == c->next)) return kept;
    // Past the last frame there is nothing to decode: a seek would decode
    // the whole last keyframe interval only to fail at its end.
    if (c->count > 0 && c->next >= (long long)c->count && c->decoderNext != c->next) return nullptr;
    nbxv::Focus focus = FocusOn(c, c->next, playing);
    long long key = KeyBefore(c, c->next);
    double seekFrames = c->decodeSeconds > 0 ? c->seekSeconds / c->decodeSeconds : 0;
    switch (nbxv::PlanRoute(c->next, c->decoderNext, seekFrames, key)) {
    case Route::kRead:
    case Route::kReadForward:
        return DecodeUpTo(c, focus, playing);
    case Route::kFill: {
        long long start = key >= 0 ? nbxv::SeekLanding(c->next, c->keys) : -1;
        if (start < 0) {
            long long length = nbxv::BackFillLength(c->seekSeconds, c->decodeSeconds,
                                                    c->cache.FramesThatFit(c->frameBytes), kMaxBackFill);
            start = nbxv::BackFillStart(c->next, length, c->cache.KeptBelow(c->next));
        }
        double t0 = Now();
        if (!SeekDecoder(c, start)) break;
        cv::Mat *got = DecodeUpTo(c, focus, playing);
        // The whole fill counts as one seek: it stands for what a seek to the
        // keyframe and back costs.
        if (got) NoteSeek(c, Now() - t0 - (double)(c->next - start) * c->decodeSeconds);
        return got;
    }
    case Route::kSeek: {
        double t0 = Now();
        if (!SeekDecoder(c, c->next)) break;
        cv::Mat *got = DecodeUpTo(c, focus, playing);
        if (got) NoteSeek(c, Now() - t0);
        return got;
    }
    }
    c->next = c->decoderNext = -1;
    return nullptr;
}

// The resting decoder may have been on its way to the very frame the caller
// now wants (a press soon after a rest began). When its capture stands
// before that frame, nearer than the caller's own would get without a seek,
// the two captures trade places and the caller reads on from there. Both
// are captures of the same file through the same backend, so what the
// caller reads and the properties it asks for do not change.
static void TakeOverRest(NbxCapture *c)
{
    if (!c->restVideo.isOpened() || !nbxv::TakeRestingCapture(c->next, c->decoderNext, c->restAt, c->keys)) return;
    std::swap(c->video, c->restVideo);
    std::swap(c->decoderNext, c->restAt);
}

static NbxFrame *Hand(NbxCapture *c, cv::Mat &f)
{
    // The decoder hands out 8-bit BGR; anything else is not a frame to show.
    if (f.type() != CV_8UC3) return nullptr;
    c->view.imageData = f.data;
    c->view.width = f.cols;
    c->view.height = f.rows;
    c->view.step = (int)f.step[0];
    return &c->view;
}

// ------------------------------------------------------------ resting decoder

// Whether the last packet read raw is a keyframe (OpenCV 4.6 and later;
// older versions answer 0 and no keyframe is known).
const int kHasKeyFrame = 67;

// Scans the movie's packets once, without decoding, for its keyframes.
static void ScanKeys(NbxCapture *c)
{
    cv::VideoCapture raw;
    try {
        if (!raw.open(c->path, cv::CAP_FFMPEG, { cv::CAP_PROP_FORMAT, -1 })) return;
    } catch (...) {
        return;
    }
    cv::Mat packet;
    std::vector<long long> found;
    long long n = 0;
    for (;;) {
        bool ok = ReadFrom(raw, packet);
        bool key = false;
        try {
            key = ok && raw.get(kHasKeyFrame) != 0;
        } catch (...) {
            ok = false;
        }
        if (key) found.push_back(n);
        if (ok) n++;
        if (!ok || n % 256 == 0) {
            std::lock_guard<std::mutex> lock(c->mutex);
            c->keys.keys.insert(c->keys.keys.end(), found.begin(), found.end());
            c->keys.scanned = n;
            c->keys.complete = !ok && !c->keys.keys.empty() && c->keys.keys.front() == 0;
            found.clear();
            if (!ok || c->quit) return;
        }
    }
}

// The process stays within the budget and this much more: the viewer and the
// library hold about 180 MB without any cache (Wine, two decoders, image
// buffers), so the cache gives up what they take beyond it. A little is kept
// back for the frame being decoded and storage being made.
const size_t kProcessAllowance = (size_t)88 << 20;

// Lowers the cache's budget as far as the rest of the process makes
// necessary; frames farthest from `anchor` go.
static void BoundBudgetByProcess(NbxCapture *c, long long anchor)
{
    size_t resident = ResidentBytes();
    if (!resident) return;
    size_t bound = nbxv::ProcessBoundBudget(c->budget, c->cache.Budget(), resident, c->cache.Held(), kProcessAllowance);
    if (bound < c->cache.Budget()) c->cache.SetBudget(bound, anchor);
}

// One stretch of filling on the resting decoder's capture. False when it
// stopped without keeping anything new (pre-empted, a failed read, or only
// pinned frames left to drop).
static bool Fill(NbxCapture *c, const nbxv::FillRun &run, long long anchor, unsigned calls, cv::Mat &mine,
                 cv::Mat &skip)
{
    cv::VideoCapture &video = c->restVideo;
    long long &at = c->restAt;
    long long landing = nbxv::SeekLanding(run.keepFrom, c->keys);
    if (!(at >= std::min(landing, run.seekTo) && at <= run.keepFrom)) {
        at = SeekTo(video, landing) ? landing : -1;
        if (at < 0) return false;
    }
    bool keptAny = false;
    while (at <= run.keepTo) {
        if (c->calls.load() != calls) return keptAny;
        long long index = at;
        bool keep = index >= run.keepFrom;
        Prepared(&mine);
        if (!ReadFrom(video, keep ? mine : skip)) {
            at = -1;
            return keptAny;
        }
        at++;
        if (!keep || mine.type() != CV_8UC3) continue;
        std::lock_guard<std::mutex> lock(c->mutex);
        if (c->calls.load() != calls) return keptAny;
        if (c->cache.Find(index)) continue;
        // The decoders' own memory grows as they work: the cache yields to it
        // before it takes new storage.
        BoundBudgetByProcess(c, anchor);
        cv::Mat *slot = c->cache.Slot(index, c->frameBytes, anchor);
        if (!slot) return keptAny;
        std::swap(*slot, mine);
        keptAny = true;
    }
    return keptAny;
}

// Storage for one more kept frame, its pages in memory: made at rest so that
// playing never waits for new memory.
static cv::Mat NewStorage(int width, int height)
{
    cv::Mat m;
    try {
        m.allocator = KeptFrameAllocator();
        m.create(height, width, CV_8UC3);
        size_t bytes = m.total() * m.elemSize();
        for (size_t i = 0; i < bytes; i += 4096) m.data[i] = 0;
    } catch (...) {
        m.release();
    }
    return m;
}

static void OpenSecond(NbxCapture *c)
{
    c->restAt = -1;
    try {
        c->restVideo.open(c->path, cv::CAP_FFMPEG);
    } catch (...) {
    }
}

// Runs `work` on the second capture without the lock; meanwhile a call that
// wants that capture waits for it (see TakeOverRest).
template <typename Work>
static void RunUnlocked(NbxCapture *c, std::unique_lock<std::mutex> &lock, Work work)
{
    c->restBusy = true;
    lock.unlock();
    work();
    lock.lock();
    c->restBusy = false;
    c->restIdle.notify_all();
}

// The resting decoder's thread: scans the keyframes; then, whenever the
// caller rests, fills the cache around the position and, once that is done,
// readies storage for frames kept later while playing, as far as the budget
// and the movie's length leave room.
static void Rest(NbxCapture *c)
{
    ScanKeys(c);
    cv::Mat mine, skip;
    bool storageFails = false;
    std::unique_lock<std::mutex> lock(c->mutex);
    // Opened at once: opening costs about as much as decoding a few frames,
    // and the first rest should go to decoding.
    RunUnlocked(c, lock, [c] { OpenSecond(c); });
    for (;;) {
        if (c->quit) return;
        double idle = Now() - c->lastCall;
        unsigned calls = c->calls.load();
        if (idle >= kRestSeconds) BoundBudgetByProcess(c, c->next - 1);
        if (idle >= kRestSeconds && c->next > 0 && c->cache.FramesThatFit(c->frameBytes) > 3) {
            long long shown = c->next - 1;
            Aim(c, shown, false, c->worker.Pending() ? c->decoderNext : c->aheadIndex);
            nbxv::FillRun run = nbxv::NextFill(shown, FocusOn(c, shown, false), c->keys, (long long)c->count, Tail(c),
                                               [c](long long i) { return c->cache.Find(i) != nullptr; });
            if (run.keepTo >= 0) {
                bool kept = false;
                RunUnlocked(c, lock, [&] {
                    if (!c->restVideo.isOpened()) OpenSecond(c);
                    kept = c->restVideo.isOpened() && Fill(c, run, shown, calls, mine, skip);
                });
                if (kept) continue;
            }
        }
        if (idle >= kRestSeconds && !storageFails && c->cache.RoomForSpare(c->frameBytes) &&
            (double)(c->cache.Count() + c->cache.Spares()) < c->count) {
            lock.unlock();
            cv::Mat m = NewStorage(c->width, c->height);
            lock.lock();
            storageFails = m.empty();
            if (!storageFails && c->cache.RoomForSpare(c->frameBytes)) c->cache.AddSpare(std::move(m), c->frameBytes);
            continue;
        }
        if (idle < kRestSeconds) c->wake.wait_for(lock, std::chrono::duration<double>(kRestSeconds - idle));
        else {
            c->resterAsleep = true;
            c->wake.wait(lock, [c, calls] { return c->quit || c->calls.load() != calls; });
            c->resterAsleep = false;
        }
    }
}

// ------------------------------------------------------------ the calls

extern "C" NbxCapture *NbxVideoOpen(const char *hostPath)
{
    if (!hostPath || !*hostPath) return nullptr;
#if defined(__GLIBC__)
    // Frame buffers are mapped pages of their own, given back when freed;
    // left to itself glibc raises that threshold after the first large free
    // and keeps freed frames in its heap.
    static bool tuned = mallopt(M_MMAP_THRESHOLD, 256 * 1024) != 0;
    (void)tuned;
#endif
    NbxCapture *capture = new (std::nothrow) NbxCapture;
    if (!capture) return nullptr;
    try {
        // FFmpeg only: the image-sequence backend would accept odd names
        // (a folder, "%d" patterns) as movies.
        if (!capture->video.open(hostPath, cv::CAP_FFMPEG) || !capture->video.isOpened()) {
            delete capture;
            return nullptr;
        }
        capture->path = hostPath;
        capture->count = capture->video.get(cv::CAP_PROP_FRAME_COUNT);
        capture->next = capture->decoderNext = (long long)capture->video.get(cv::CAP_PROP_POS_FRAMES);
        int w = (int)capture->video.get(cv::CAP_PROP_FRAME_WIDTH);
        int h = (int)capture->video.get(cv::CAP_PROP_FRAME_HEIGHT);
        capture->width = w;
        capture->height = h;
        const char *setting = std::getenv("NBX_READ_AHEAD");
        capture->frameBytes = nbxv::FrameFootprint((size_t)(w > 0 ? w : 0) * (size_t)(h > 0 ? h : 0) * 3);
        capture->readAhead = setting && *setting ? *setting != '0' : nbxv::ReadAheadPays(w, h);
        capture->lastCall = Now();
        if (capture->cache.Budget() > 0 && capture->frameBytes) capture->rester = std::thread([capture] { Rest(capture); });
    } catch (...) {
        delete capture;
        return nullptr;
    }
    return capture;
}

extern "C" NbxFrame *NbxVideoQuery(NbxCapture *capture)
{
    if (!capture) return nullptr;
    NbxCapture *c = capture;
    Call call(c);
    bool playing = nbxv::IsPlaying(++c->queriesInARow);
    cv::Mat *got = nullptr;
    if (!SettleReadAhead(c)) return nullptr;
    if (++c->queriesSinceBound >= 32) {
        c->queriesSinceBound = 0;
        BoundBudgetByProcess(c, c->next);
    }
    if (c->aheadIndex >= 0 && c->aheadIndex == c->next) {
        if (!c->aheadKept) {
            std::swap(c->frame, c->ahead);
            got = &c->frame;
        } else {
            got = c->cache.Find(c->next);
        }
    }
    c->aheadIndex = -1;
    if (!got && c->next < 0) {
        // Position not known (a seek by time): the library's own reading.
        if (!ReadInto(c, c->frame)) return nullptr;
        return Hand(c, c->frame);
    }
    Aim(c, c->next, playing, -1);
    if (!got && !c->cache.Find(c->next) && c->decoderNext != c->next && !(c->count > 0 && c->next >= (long long)c->count)) {
        call.WaitForRest();
        TakeOverRest(c);
    }
    if (!got) got = Reach(c, playing);
    if (!got) return nullptr;
    c->next++;
    NbxFrame *view = Hand(c, *got);
    if (view && playing && c->readAhead && c->decoderNext == c->next) {
        // Decoded straight into the cache: the frame shown now stays there.
        Aim(c, c->next - 1, true, c->next);
        // Playing never waits for new storage: only spares or dropped frames.
        cv::Mat *slot = c->frameBytes ? Prepared(c->cache.Recycled(c->next, c->frameBytes, c->next)) : nullptr;
        c->aheadKept = slot != nullptr;
        c->worker.Start(&c->video, slot ? slot : &c->ahead);
    }
    return view;
}

// Brings the library to the position the caller sees, for the properties
// the library derives from its own position (time, ratio).
static void AlignDecoder(NbxCapture *c)
{
    if (c->next < 0 || c->decoderNext == c->next) return;
    c->aheadIndex = -1;   // the library moves: the read-ahead's frame is dropped
    if (c->next == 0 || !SeekDecoder(c, c->next - 1)) {
        SeekDecoder(c, c->next);
        return;
    }
    if (!TimedRead(c, c->scratch)) c->next = c->decoderNext = -1;
}

extern "C" double NbxVideoGet(NbxCapture *capture, int property)
{
    if (!capture || property < 0 || property > 7) return 0.0;
    NbxCapture *c = capture;
    Call call(c);
    c->queriesInARow = 0;
    if (property == NBX_CAP_PROP_POS_FRAMES && c->next >= 0) return (double)c->next;
    SettleReadAhead(c);
    if (property == NBX_CAP_PROP_POS_MSEC || property == NBX_CAP_PROP_POS_AVI_RATIO) AlignDecoder(c);
    try {
        return c->video.get(kProperties[property]);
    } catch (...) {
        return 0.0;
    }
}

extern "C" int NbxVideoSet(NbxCapture *capture, int property, double value)
{
    if (!capture || property < 0 || property > 7) return 0;
    NbxCapture *c = capture;
    Call call(c);
    c->queriesInARow = 0;
    SettleReadAhead(c);   // a read-ahead is dropped by any change
    c->aheadIndex = -1;
    // A seek to a frame of the movie only moves the position; the next query
    // finds the frame in the cache or decodes its way there.
    if (property == NBX_CAP_PROP_POS_FRAMES && value >= 0 && value < c->count && value == (double)(long long)value) {
        c->next = (long long)value;
        return 1;
    }
    c->cache.Clear();
    c->next = c->decoderNext = -1;
    try {
        return c->video.set(kProperties[property], value) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" void NbxVideoRelease(NbxCapture **capture)
{
    if (!capture || !*capture) return;
    NbxCapture *c = *capture;
    {
        std::lock_guard<std::mutex> lock(c->mutex);
        c->quit = true;
        c->calls++;
    }
    c->wake.notify_all();
    if (c->rester.joinable()) c->rester.join();
    delete c;
    *capture = nullptr;
#if defined(__GLIBC__)
    // The cache's frames were freed into the heap; give the pages back.
    malloc_trim(0);
#endif
}
