// video_source.cpp - the video source over cv::VideoCapture (see
// video_source.h). Compiled by the host compiler only: OpenCV's headers do
// not survive the Win32 headers of the Winelib build.
#define NBX_VIDEO_SOURCE_IMPL
#include "video_source.h"

#include "frame_cache.h"

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

using nbxv::Route;

namespace {

const size_t kDefaultCacheMB = 512;
const long long kMaxBackFill = 250;

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

}  // namespace

// Positions: `next` is the index the next query returns (the position the
// caller sees), `decoderNext` the index the library would decode next; they
// differ while frames come from the cache. -1 means not known: the position
// is then the library's own, as after a seek by time.
struct NbxCapture {
    cv::VideoCapture video;
    nbxv::FrameCache<cv::Mat> cache{ nbxv::CacheBudgetBytes(std::getenv("NBX_FRAME_CACHE_MB"), kDefaultCacheMB) };
    cv::Mat frame;       // the frame handed out when it is not kept
    cv::Mat ahead;       // the read-ahead's frame
    cv::Mat scratch;     // a frame read only to move the library
    NbxFrame view;
    double count = 0;
    size_t frameBytes = 0;
    long long next = 0, decoderNext = 0, aheadIndex = -1;
    int queriesInARow = 0;
    bool readAhead = false;
    double seekSeconds = 0, decodeSeconds = 0;   // last seek, running mean of a read
    ReadAhead worker;
};

// highgui's identifiers 0..7 are cv::CAP_PROP_POS_MSEC .. CAP_PROP_FRAME_COUNT
// in the same order; the table keeps that assumption explicit.
static const int kProperties[8] = {
    cv::CAP_PROP_POS_MSEC,    cv::CAP_PROP_POS_FRAMES,  cv::CAP_PROP_POS_AVI_RATIO,
    cv::CAP_PROP_FRAME_WIDTH, cv::CAP_PROP_FRAME_HEIGHT, cv::CAP_PROP_FPS,
    cv::CAP_PROP_FOURCC,      cv::CAP_PROP_FRAME_COUNT,
};

static bool ReadInto(NbxCapture *c, cv::Mat &into)
{
    try {
        return c->video.read(into) && !into.empty();
    } catch (...) {
        return false;
    }
}

static bool SeekDecoder(NbxCapture *c, long long index)
{
    bool ok = false;
    try {
        ok = c->video.set(cv::CAP_PROP_POS_FRAMES, (double)index);
    } catch (...) {
        ok = false;
    }
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

// Waits for an outstanding read-ahead; its frame stays in c->ahead as frame
// c->aheadIndex. False when the read met the end (the position is then the
// library's own).
static bool SettleReadAhead(NbxCapture *c)
{
    if (!c->worker.Pending()) return true;
    if (!c->worker.Wait()) {
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

// Reads frames decoderNext .. next - 1, keeping them unless playing, then
// frame `next`. Null when a read fails (the position is then unknown).
static cv::Mat *DecodeUpTo(NbxCapture *c, bool keep, size_t frameBytes)
{
    for (;;) {
        long long index = c->decoderNext;
        cv::Mat *slot = keep && frameBytes ? c->cache.Slot(index, frameBytes, c->next) : nullptr;
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
    if (cv::Mat *kept = c->cache.Find(c->next)) return kept;
    size_t frameBytes = c->frameBytes;
    double seekFrames = c->decodeSeconds > 0 ? c->seekSeconds / c->decodeSeconds : 0;
    switch (nbxv::PlanRoute(c->next, c->decoderNext, seekFrames)) {
    case Route::kRead:
    case Route::kReadForward:
        return DecodeUpTo(c, !playing, frameBytes);
    case Route::kBackFill: {
        long long length = nbxv::BackFillLength(c->seekSeconds, c->decodeSeconds,
                                                c->cache.FramesThatFit(frameBytes), kMaxBackFill);
        long long start = nbxv::BackFillStart(c->next, length, c->cache.KeptBelow(c->next));
        double t0 = Now();
        if (!SeekDecoder(c, start)) break;
        cv::Mat *got = DecodeUpTo(c, true, frameBytes);
        // The whole fill counts as one seek: it stands for what a seek to the
        // keyframe and back costs.
        if (got) NoteSeek(c, Now() - t0 - (double)(c->next - start) * c->decodeSeconds);
        return got;
    }
    case Route::kSeek: {
        double t0 = Now();
        if (!SeekDecoder(c, c->next)) break;
        cv::Mat *got = DecodeUpTo(c, !playing, frameBytes);
        if (got) NoteSeek(c, Now() - t0);
        return got;
    }
    }
    c->next = c->decoderNext = -1;
    return nullptr;
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

extern "C" NbxCapture *NbxVideoOpen(const char *hostPath)
{
    if (!hostPath || !*hostPath) return nullptr;
    NbxCapture *capture = new (std::nothrow) NbxCapture;
    if (!capture) return nullptr;
    try {
        // FFmpeg only: the image-sequence backend would accept odd names
        // (a folder, "%d" patterns) as movies.
        if (!capture->video.open(hostPath, cv::CAP_FFMPEG) || !capture->video.isOpened()) {
            delete capture;
            return nullptr;
        }
        capture->count = capture->video.get(cv::CAP_PROP_FRAME_COUNT);
        capture->next = capture->decoderNext = (long long)capture->video.get(cv::CAP_PROP_POS_FRAMES);
        int w = (int)capture->video.get(cv::CAP_PROP_FRAME_WIDTH);
        int h = (int)capture->video.get(cv::CAP_PROP_FRAME_HEIGHT);
        const char *setting = std::getenv("NBX_READ_AHEAD");
        capture->frameBytes = (size_t)(w > 0 ? w : 0) * (size_t)(h > 0 ? h : 0) * 3;
        capture->readAhead = setting && *setting ? *setting != '0' : nbxv::ReadAheadPays(w, h);
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
    bool playing = nbxv::IsPlaying(++c->queriesInARow);
    cv::Mat *got = nullptr;
    if (!SettleReadAhead(c)) return nullptr;
    if (c->aheadIndex >= 0 && c->aheadIndex == c->next) {
        std::swap(c->frame, c->ahead);
        got = &c->frame;
    }
    c->aheadIndex = -1;
    if (!got && c->next < 0) {
        // Position not known (a seek by time): the library's own reading.
        if (!ReadInto(c, c->frame)) return nullptr;
        return Hand(c, c->frame);
    }
    if (!got) got = Reach(c, playing);
    if (!got) return nullptr;
    c->next++;
    NbxFrame *view = Hand(c, *got);
    if (view && playing && c->readAhead && c->decoderNext == c->next && !c->cache.Find(c->next))
        c->worker.Start(&c->video, &c->ahead);
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
    delete *capture;
    *capture = nullptr;
#if defined(__GLIBC__)
    // The cache's frames were freed into the heap; give the pages back.
    malloc_trim(0);
#endif
}
