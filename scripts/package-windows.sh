#!/bin/bash
# Makes build-pe/nubrix-windows-x64.zip for Windows users: the movie viewer of
# the PE build (one .exe: the MinGW runtime, OpenCV and FFmpeg are linked in),
# the sample movie and a short text on how to run it, in one folder
# nubrix-windows-x64/. Builds the PE build first when the viewer is missing.
# NUBRIX_PE_BUILD_DIR names another build folder.
set -e
export NUBRIX_PE=1
source "$(dirname "$0")/common.sh"
if [ ! -f "$BUILD/nubrix_viewer.exe" ] || [ ! -f "$BUILD/movies/sample.avi" ]; then
  bash "$ROOT/scripts/install-deps.sh"
  nbx_build
fi
NAME=nubrix-windows-x64
ZIP="$BUILD/$NAME.zip"
STAGE="$(mktemp -d)"
trap 'rm -rf "$STAGE"' EXIT
mkdir "$STAGE/$NAME"
cp "$BUILD/nubrix_viewer.exe" "$BUILD/movies/sample.avi" "$STAGE/$NAME/"
# Windows line ends for Notepad.
sed 's/$/\r/' >"$STAGE/$NAME/README.txt" <<'TEXT'
NUBRIX movie viewer for Windows (64-bit)

1. Unpack this zip into a folder of your choice.
2. Start nubrix_viewer.exe from that folder (double-click it). Nothing needs
   to be installed: the video library (OpenCV with FFmpeg) is inside the .exe.
3. The viewer comes up with a file dialog listing the AVI files of its
   folder: choose sample.avi. The movie plays in image window 0 and loops at
   its end. Every sample frame shows its number.

The viewer reads MJPEG, H.264 and MPEG-4 part 2 video in AVI, MP4/MOV and
MKV files.

Buttons: play / pause; "prop" prints the movie's properties; "<" and ">"
step one frame back and ahead, "< 10" and "> 10" ten frames; "<<" and ">>"
go to the first and the last frame; "break" closes the movie and shows the
file dialog again. Stop in the main window freezes playback; Exit (or X,
Esc) ends the program.
TEXT
rm -f "$ZIP"
(cd "$STAGE" && cmake -E tar cf "$ZIP" --format=zip "$NAME")
echo "Made $ZIP:"
(cd "$STAGE/$NAME" && ls -l)
