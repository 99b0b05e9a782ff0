// viewer.cpp - the movie viewer: an AVI movie chosen in the open-file dialog
// plays in image window 0 under the control of a 2 x 6 button box.
//
// Playback runs as fast as frames can be read, converted and copied; the
// buttons are polled (their press counters are read and reset), and while
// paused or stopped the loop keeps the windows alive by printing "" and rests
// between scans that found no press.
#include "shell/nbx_internal.h"
#include "viewer/viewer.h"
#include "viewer/viewer_logic.h"
#include "viewer/video_source.h"
#include <vector>

using namespace nbxv;

static const char *const kLabels[kButtonCount] = {
    "play", "pause", "prop", "", "<", ">", "< 10", "> 10", "<<", ">>", "", "break",
};

void ViewerInit(void)
{
    NBX_OpenTextWindow(0, 672, 0, 152, 469);
    NBX_SetForeground(NBXMAINWINDOW);
    NBX_OpenButtonBox(0, 0, 2, 6);
    for (int k = 0; k < kButtonCount; k++) NBX_SetButtonBoxTitle(k, kLabels[k]);
    nbx_start = 1;
}

namespace {

struct Movie {
    NbxCapture *capture;
    double count;          // frame count, read right after opening
    int width, height;
    // The frame read at opening. The video library may give nothing after a
    // rewind (a one-frame movie), and then this is the only picture there is.
    std::vector<unsigned char> firstPixels;
    NbxFrame first;
};

// Image window 0 exists and is still the 32-bit window the viewer made. The
// user may close it (frames are then read but not shown) or resize it by
// hand, so the record is consulted for every frame.
bool ImageZeroOpen()
{
    return nbx_images[0].inUse && nbx_images[0].bits == 32 && nbx_pixels[0] != NULL;
}

void ShowFrame(const NbxFrame *frame)
{
    if (!frame || !ImageZeroOpen()) return;
    const ImageRecord &image = nbx_images[0];
    ConvertFrame(frame->imageData, frame->width, frame->height, frame->step,
                 (uint32_t *)NBX_GetImagePixels(0), image.width, image.height);
    NBX_DrawImage(0);
}

void ShowPosition(const Movie &movie, double position)
{
    cvSetCaptureProperty(movie.capture, NBX_CAP_PROP_POS_FRAMES, position);
    ShowFrame(cvQueryFrame(movie.capture));
}

// Pumps through printing, as the scan does; the pump itself when no text
// window is current (printing then does nothing).
void PumpWhileScanning()
{
    if (TextWindowHandle(CurrentTextWindow())) NBX_Printf("");
    else NBX_PumpMessages();
}

// Paused or stopped, after a scan without a press: sleeps until a message
// arrives (a press is one; Stop and Exit post one too) and scans again after
// a second at the latest. Each wake costs the window system a few requests,
// so the rest does not wake to poll.
const DWORD kScanEveryMs = 1000;

void RestUntilInput()
{
    if (!nbx_quit) MsgWaitForMultipleObjectsEx(0, NULL, kScanEveryMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void PrintProperties(const Movie &movie)
{
    static const char *const kFormats[8] = {
        "POS_MSEC: %f\n", "POS_FRAMES: %f\n", "POS_AVI_RATIO: %f\n", "FRAME_WIDTH: %f\n",
        "FRAME_HEIGHT: %f\n", "FPS: %f\n", "FOURCC: %f\n", "FRAME_COUNT: %f\n",
    };
    for (int id = 0; id < 8; id++) NBX_Printf(kFormats[id], cvGetCaptureProperty(movie.capture, id));
}

void KeepFirstFrame(const NbxFrame *frame, Movie &movie)
{
    movie.firstPixels.clear();
    movie.first = NbxFrame{ NULL, 0, 0, 0 };
    if (!frame || !frame->imageData || frame->height <= 0 || frame->step <= 0) return;
    movie.firstPixels.assign(frame->imageData, frame->imageData + (size_t)frame->step * frame->height);
    movie.first = *frame;
    movie.first.imageData = movie.firstPixels.data();
}

// Opens the chosen file. False after printing why it cannot be played.
bool OpenMovie(const char *path, Movie &movie)
{
    char host[4 * NBX_PATH];
    movie.capture = NULL;
    if (path[0] && NbxHostPath(path, host, sizeof host)) movie.capture = cvCreateFileCapture(host);
    if (!movie.capture) {
        NBX_Printf("[%s] : Can't load .\n", path);
        return false;
    }
    movie.count = cvGetCaptureProperty(movie.capture, NBX_CAP_PROP_FRAME_COUNT);
    KeepFirstFrame(cvQueryFrame(movie.capture), movie);
    movie.width = (int)cvGetCaptureProperty(movie.capture, NBX_CAP_PROP_FRAME_WIDTH);
    movie.height = (int)cvGetCaptureProperty(movie.capture, NBX_CAP_PROP_FRAME_HEIGHT);
    int created = NBX_CreateImage(0, "NUBRIX window", 0, 250, movie.width, movie.height, 100);
    if (created == 2 || created == 3) {
        // No window, so no buffer: say so rather than play into nothing.
        if (created == 2)
            NBX_Printf("[%s] : %d x %d movie does not fit the screen.\n", path, movie.width, movie.height);
        else
            NBX_Printf("[%s] : no %d x %d image buffer.\n", path, movie.width, movie.height);
        cvReleaseCapture(&movie.capture);
        return false;
    }
    return true;
}

enum Outcome { kBreakOut, kQuit };

// One button's action in the scan. True when it is "break".
bool ButtonAction(int k, Movie &movie, int &paused)
{
    double p = cvGetCaptureProperty(movie.capture, NBX_CAP_PROP_POS_FRAMES);
    switch (k) {
    case kPlay:
        paused = 0;
        NBX_Printf("play\n");
        break;
    case kProp:
        PrintProperties(movie);
        break;
    case kBack:
        ShowPosition(movie, TargetBack(p));
        break;
    case kForward: {
        const NbxFrame *frame = cvQueryFrame(movie.capture);
        if (frame) ShowFrame(frame);
        else cvSetCaptureProperty(movie.capture, NBX_CAP_PROP_POS_FRAMES, PositionAfterForwardAtEnd(movie.count));
        break;
    }
    case kBack10:
        ShowPosition(movie, TargetBack10(p));
        break;
    case kForward10:
        ShowPosition(movie, TargetForward10(p, movie.count));
        break;
    case kFirst:
        ShowPosition(movie, TargetFirst());
        break;
    case kLast:
        ShowPosition(movie, TargetLast(movie.count));
        break;
    case kBreak:
        return true;
    default:   // "pause" while paused, and the two unlabelled buttons
        break;
    }
    return false;
}

Outcome Play(Movie &movie)
{
    int paused = 0;
    bool rewoundEmpty = false;   // the last rewind gave no frame either
    bool firstShown = false;     // the kept first frame stands in since then
    for (;;) {
        if (nbx_quit) return kQuit;
        if (!paused) {
            NBX_PumpMessages();
            if (!nbx_stop) {
                const NbxFrame *frame = cvQueryFrame(movie.capture);
                if (!frame) {
                    cvSetCaptureProperty(movie.capture, NBX_CAP_PROP_POS_FRAMES, 0);
                    if (!rewoundEmpty) {
                        rewoundEmpty = true;
                        continue;
                    }
                    // Nothing even from the start: show the frame kept at
                    // opening. Such a movie would otherwise spin here for
                    // ever, deaf to "pause" and "break": read those two as if
                    // a frame had been shown.
                    if (!firstShown && movie.first.imageData) ShowFrame(&movie.first);
                    firstShown = true;
                    Sleep(1);
                } else {
                    rewoundEmpty = false;
                    firstShown = false;
                    ShowFrame(frame);
                }
                if (NBX_GetButton(kPause)) {
                    paused = 1;
                    NBX_Printf("pause\n");
                }
                if (NBX_GetButton(kBreak)) return kBreakOut;
                continue;
            }
        }
        // A scan that found nothing looks once more without pumping: a press
        // a pump took in after its button's turn sends no further message,
        // so the rest that follows would not wake for it.
        bool pressed = false;
        for (int pass = 0; pass < 2 && !pressed; pass++)
            for (int k = 0; k < kButtonCount; k++) {
                if (pass == 0) PumpWhileScanning();
                if (!NBX_GetButton(k)) continue;
                pressed = true;
                if (ButtonAction(k, movie, paused)) return kBreakOut;
            }
        if (!pressed) RestUntilInput();
    }
}

}  // namespace

void ViewerMain(void)
{
    // Empty before the first choice; a cancelled dialog keeps the last one.
    static char path[NBX_PATH];
    Movie movie = { NULL, 0, 0, 0 };
    for (;;) {
        if (nbx_quit) return;
        NBX_OpenFileDialog(NULL, path);
        if (!OpenMovie(path, movie)) continue;
        Outcome outcome = Play(movie);
        // The capture is not used again after "break": release the file now.
        cvReleaseCapture(&movie.capture);
        if (outcome == kQuit) return;
        if (nbx_images[0].inUse) NBX_DestroyImage(0);
    }
}
