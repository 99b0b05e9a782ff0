// make_sample.cpp - writes the viewer's sample movies (host program, built
// and run by the build). Every frame shows its number in large digits and
// carries it in the index strip at the bottom (viewer_logic.h), so a
// screenshot tells which frame is on screen.
//
//   nbx_make_sample [--optional] <out.avi> <width> <height> <frames> [fourcc] [fps] [grain]
//
// fourcc defaults to MJPG. grain (0 by default) lays a random texture of up
// to +/- grain levels over every frame's background, panning two pixels a
// frame like a camera over a detailed scene, so that decoding costs about
// what it costs on recorded movies. Exit code 0 when the file was written, 2 when the
// codec is not available for writing. With --optional a missing codec leaves
// an empty file and exit code 0 (readers then skip that movie).
#include "viewer_logic.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static void DrawFrame(cv::Mat &frame, int index, int frames, int grain)
{
    int w = frame.cols, h = frame.rows;
    nbxv::StripLayout strip = nbxv::StripGeometry(w, h);
    // A background that changes smoothly over the movie, a bar that moves
    // with the frame, then the digits.
    double t = frames > 1 ? (double)index / (frames - 1) : 0.0;
    cv::Scalar back(60 + 120 * t, 90, 180 - 120 * t);
    frame.setTo(back);
    int bar = strip.top > 0 ? (int)((double)index / (frames > 0 ? frames : 1) * w) : 0;
    cv::rectangle(frame, cv::Rect(0, strip.top - strip.cellH / 2 > 0 ? strip.top - strip.cellH / 2 : 0,
                                  bar, strip.cellH / 2), cv::Scalar(255, 255, 255), cv::FILLED);
    if (grain > 0) {
        static cv::Mat texture;
        if (texture.empty()) {
            cv::theRNG().state = 0x9E3779B97F4A7C15ull;   // the same movie every build
            texture.create(h, w + 2 * frames, CV_8UC3);
            cv::randu(texture, cv::Scalar::all(0), cv::Scalar::all(2 * grain + 1));
        }
        frame += texture(cv::Rect(2 * index, 0, w, h));
        frame -= cv::Scalar::all(grain);
    }

    std::string text = std::to_string(index);
    int font = cv::FONT_HERSHEY_SIMPLEX;
    int usableH = strip.top > 0 ? strip.top : h;
    // The largest scale at which the widest number of the movie fits, up to
    // the height it may use. One scale for all frames: a jump in size would
    // look like a scene cut to an encoder and earn an extra keyframe.
    std::string widest = std::to_string(frames > 1 ? frames - 1 : 0);
    double scale = 1.0;
    int thickness = 1, baseline = 0;
    for (double s = 0.2; s < 40; s += 0.1) {
        int th = (int)(s * 2.5) > 1 ? (int)(s * 2.5) : 1;
        cv::Size size = cv::getTextSize(widest, font, s, th, &baseline);
        if (size.width > w * 9 / 10 || size.height + baseline > usableH * 7 / 10) break;
        scale = s;
        thickness = th;
    }
    // Placed in the box of the widest number, so it does not shift either.
    cv::Size size = cv::getTextSize(widest, font, scale, thickness, &baseline);
    cv::Point origin((w - size.width) / 2, (usableH + size.height) / 2);
    cv::putText(frame, text, origin, font, scale, cv::Scalar(0, 0, 0), thickness + 4, cv::LINE_AA);
    cv::putText(frame, text, origin, font, scale, cv::Scalar(255, 255, 255), thickness, cv::LINE_AA);

    nbxv::PaintStrip(frame.data, w, h, (int)frame.step[0], index);
}

int main(int argc, char **argv)
{
    bool optional = argc > 1 && std::strcmp(argv[1], "--optional") == 0;
    if (optional) {
        argv++;
        argc--;
    }
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s out.avi width height frames [fourcc] [fps]\n", argv[0]);
        return 1;
    }
    const char *out = argv[1];
    int w = std::atoi(argv[2]), h = std::atoi(argv[3]), frames = std::atoi(argv[4]);
    const char *cc = argc > 5 ? argv[5] : "MJPG";
    double fps = argc > 6 ? std::atof(argv[6]) : 25.0;
    int grain = argc > 7 ? std::atoi(argv[7]) : 0;
    if (w <= 0 || h <= 0 || frames <= 0 || frames > (1 << nbxv::kStripBits) || std::strlen(cc) != 4) {
        std::fprintf(stderr, "%s: bad size, frame count or fourcc\n", argv[0]);
        return 1;
    }
    std::string tmp = std::string(out) + ".part.avi";
    cv::VideoWriter writer;
    int fourcc = cv::VideoWriter::fourcc(cc[0], cc[1], cc[2], cc[3]);
    if (!writer.open(tmp, cv::CAP_FFMPEG, fourcc, fps, cv::Size(w, h), true) || !writer.isOpened()) {
        std::fprintf(stderr, "%s: cannot write %s with %s\n", argv[0], out, cc);
        std::remove(tmp.c_str());
        if (!optional) return 2;
        std::FILE *empty = std::fopen(out, "wb");
        if (!empty) return 1;
        std::fclose(empty);
        return 0;
    }
    cv::Mat frame(h, w, CV_8UC3);
    for (int i = 0; i < frames; i++) {
        DrawFrame(frame, i, frames, grain);
        writer.write(frame);
    }
    writer.release();
    // Renamed only when complete, so an interrupted build leaves no half movie.
    if (std::rename(tmp.c_str(), out) != 0) {
        std::perror(out);
        return 1;
    }
    std::printf("%s: %d frames %dx%d %s\n", out, frames, w, h, cc);
    return 0;
}
