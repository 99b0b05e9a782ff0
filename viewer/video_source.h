/*
 * video_source.h - the movie viewer's video source.
 *
 * A small C interface over OpenCV's cv::VideoCapture with the meaning of the
 * classic highgui capture calls: open a movie file, take the next frame as
 * 8-bit BGR, read and set a property by its identifier 0..7. It lives in its
 * own translation unit, compiled by the host compiler without Win32 headers,
 * so the rest of the program never sees OpenCV's headers.
 *
 * Only plain C types cross this boundary (no long, no wchar_t): the same
 * declarations hold for the Winelib build and for the host compiler.
 */
#ifndef NBX_VIDEO_SOURCE_H
#define NBX_VIDEO_SOURCE_H

#ifdef __cplusplus
extern "C" {
#endif

/* Property identifiers, numbered as highgui numbers them. */
enum {
    NBX_CAP_PROP_POS_MSEC      = 0,
    NBX_CAP_PROP_POS_FRAMES    = 1,
    NBX_CAP_PROP_POS_AVI_RATIO = 2,
    NBX_CAP_PROP_FRAME_WIDTH   = 3,
    NBX_CAP_PROP_FRAME_HEIGHT  = 4,
    NBX_CAP_PROP_FPS           = 5,
    NBX_CAP_PROP_FOURCC        = 6,
    NBX_CAP_PROP_FRAME_COUNT   = 7
};

typedef struct NbxCapture NbxCapture;

/* One decoded frame: 8-bit BGR triples, rows of `step` bytes. The data stays
 * valid until the next query on the same capture or its release. */
typedef struct NbxFrame {
    unsigned char *imageData;
    int width;
    int height;
    int step;
} NbxFrame;

/* Opens a movie file (host path). NULL when it cannot be read as a movie. */
NbxCapture *NbxVideoOpen(const char *hostPath);
/* The next frame, or NULL at the end of the movie or on a decoding error. */
NbxFrame *NbxVideoQuery(NbxCapture *capture);
/* A property by identifier 0..7; 0 for an unknown one. */
double NbxVideoGet(NbxCapture *capture, int property);
/* Non-zero when the video library accepted the value. */
int NbxVideoSet(NbxCapture *capture, int property, double value);
/* Frees the capture and its frame; NULL is accepted. */
void NbxVideoRelease(NbxCapture **capture);

#ifndef NBX_VIDEO_SOURCE_IMPL
/* The classic capture names for the viewer. Internal linkage: OpenCV's own
 * library still exports do-nothing symbols of these names. */
static inline NbxCapture *cvCreateFileCapture(const char *hostPath) { return NbxVideoOpen(hostPath); }
static inline NbxFrame *cvQueryFrame(NbxCapture *capture) { return NbxVideoQuery(capture); }
static inline double cvGetCaptureProperty(NbxCapture *capture, int property)
{ return NbxVideoGet(capture, property); }
static inline int cvSetCaptureProperty(NbxCapture *capture, int property, double value)
{ return NbxVideoSet(capture, property, value); }
static inline void cvReleaseCapture(NbxCapture **capture) { NbxVideoRelease(capture); }
#endif

#ifdef __cplusplus
}
#endif

#endif
