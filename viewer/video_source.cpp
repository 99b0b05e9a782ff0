// video_source.cpp - the video source over cv::VideoCapture (see
// video_source.h). Compiled by the host compiler only: OpenCV's headers do
// not survive the Win32 headers of the Winelib build.
#define NBX_VIDEO_SOURCE_IMPL
#include "video_source.h"

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>
#include <new>

struct NbxCapture {
    cv::VideoCapture video;
    cv::Mat frame;
    NbxFrame view;
};

// highgui's identifiers 0..7 are cv::CAP_PROP_POS_MSEC .. CAP_PROP_FRAME_COUNT
// in the same order; the table keeps that assumption explicit.
static const int kProperties[8] = {
    cv::CAP_PROP_POS_MSEC,    cv::CAP_PROP_POS_FRAMES,  cv::CAP_PROP_POS_AVI_RATIO,
    cv::CAP_PROP_FRAME_WIDTH, cv::CAP_PROP_FRAME_HEIGHT, cv::CAP_PROP_FPS,
    cv::CAP_PROP_FOURCC,      cv::CAP_PROP_FRAME_COUNT,
};

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
    } catch (...) {
        delete capture;
        return nullptr;
    }
    return capture;
}

extern "C" NbxFrame *NbxVideoQuery(NbxCapture *capture)
{
    if (!capture) return nullptr;
    try {
        if (!capture->video.read(capture->frame) || capture->frame.empty()) return nullptr;
    } catch (...) {
        return nullptr;
    }
    cv::Mat &f = capture->frame;
    // The decoder hands out 8-bit BGR; anything else is not a frame to show.
    if (f.type() != CV_8UC3) return nullptr;
    capture->view.imageData = f.data;
    capture->view.width = f.cols;
    capture->view.height = f.rows;
    capture->view.step = (int)f.step[0];
    return &capture->view;
}

extern "C" double NbxVideoGet(NbxCapture *capture, int property)
{
    if (!capture || property < 0 || property > 7) return 0.0;
    try {
        return capture->video.get(kProperties[property]);
    } catch (...) {
        return 0.0;
    }
}

extern "C" int NbxVideoSet(NbxCapture *capture, int property, double value)
{
    if (!capture || property < 0 || property > 7) return 0;
    try {
        return capture->video.set(kProperties[property], value) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" void NbxVideoRelease(NbxCapture **capture)
{
    if (!capture || !*capture) return;
    delete *capture;
    *capture = nullptr;
}
