#!/bin/bash
# Builds the movie viewer's video libraries for Windows: FFmpeg and OpenCV
# from Debian's own source packages (the versions the Winelib build links),
# cross-compiled with the MinGW-w64 posix toolchain into static libraries.
#
# The result goes to a cache folder outside any build tree, named after the
# two versions, and is reused when it is there:
#   ${NUBRIX_DEPS_CACHE:-/var/cache/nubrix (root) or ~/.cache/nubrix}/
#     windows-deps-opencv-<version>-ffmpeg-<version>/
#       ffmpeg/  FFmpeg's headers, static libraries and pkg-config files
#       opencv/  OpenCV's install tree (OpenCVConfig.cmake at its top)
# The last line printed is that folder. Build jobs: NUBRIX_JOBS (default: all
# processors).
#
# FFmpeg holds only what the viewer reads: the MJPEG, H.264, MPEG-4 part 2
# and raw video decoders, the AVI, MOV/MP4 and Matroska demuxers and their
# parsers, the file protocol and swscale. OpenCV holds core, imgproc and
# videoio with its FFmpeg backend; no GUI, tests or apps.
set -eo pipefail

JOBS="${NUBRIX_JOBS:-$(nproc)}"
HOST=x86_64-w64-mingw32
CC="$HOST-gcc-posix"
CXX="$HOST-g++-posix"
SUDO=""
[ "$(id -u)" != 0 ] && SUDO=sudo

T0=$SECONDS
step_start=$SECONDS
say() { echo "[windows-deps $(date +%H:%M:%S)] $*" >&2; }
step() { step_start=$SECONDS; say "$*"; }
done_step() { say "  done in $((SECONDS - step_start)) s"; }

# Versions: those of the libraries installed for the Winelib build.
src_version() { dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null; }
OPENCV_VER="$(src_version libopencv-videoio-dev)"
FFMPEG_VER="$(src_version libavcodec59)"
ZLIB_VER="$(src_version zlib1g)"   # OpenCV's core needs zlib
if [ -z "$OPENCV_VER" ] || [ -z "$FFMPEG_VER" ] || [ -z "$ZLIB_VER" ]; then
  say "libopencv-videoio-dev (and with it libavcodec59) must be installed first: bash scripts/install-deps.sh"
  exit 1
fi
# Folder names carry the upstream part (no epoch, no Debian revision).
upstream() { local v="${1#*:}"; echo "${v%%[-+]*}"; }
NAME="windows-deps-opencv-$(upstream "$OPENCV_VER")-ffmpeg-$(upstream "$FFMPEG_VER")"

if [ -n "$NUBRIX_DEPS_CACHE" ]; then
  CACHE="$NUBRIX_DEPS_CACHE"
elif [ "$(id -u)" = 0 ]; then
  CACHE=/var/cache/nubrix
else
  CACHE="${XDG_CACHE_HOME:-$HOME/.cache}/nubrix"
fi
OUT="$CACHE/$NAME"
if [ -f "$OUT/.complete" ]; then
  echo "$OUT"
  exit 0
fi
mkdir -p "$CACHE"
# One build at a time per cache folder; a second caller waits and reuses it.
exec 9>"$CACHE/$NAME.lock"
flock 9
if [ -f "$OUT/.complete" ]; then
  echo "$OUT"
  exit 0
fi
say "building $NAME (OpenCV $OPENCV_VER, FFmpeg $FFMPEG_VER) into $OUT with $JOBS jobs"

# Installed in place (the libraries' own files record their folder); only
# the marker .complete, written last, makes the folder count as built. A
# build that stopped resumes after its last finished step (stamps in WORK).
WORK="$CACHE/$NAME.work"
[ -d "$WORK" ] || rm -rf "$OUT"
mkdir -p "$WORK" "$OUT"
finished() { [ -f "$WORK/$1.done" ]; }
mark() { touch "$WORK/$1.done"; }

# ------------------------------------------------------------ tools, sources
step "installing the build tools (if missing)"
need=""
for p in dpkg-dev nasm pkg-config cmake make g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix; do
  dpkg -s "$p" >/dev/null 2>&1 || need="$need $p"
done
if [ -n "$need" ]; then
  $SUDO apt-get update -q >&2
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends $need >&2
fi
done_step

step "fetching the source packages opencv=$OPENCV_VER and ffmpeg=$FFMPEG_VER"
has_deb_src() {
  grep -rhsE '^(deb-src|Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/ >/dev/null
}
fetch() {
  (cd "$WORK" && apt-get source -q "opencv=$OPENCV_VER" "ffmpeg=$FFMPEG_VER" "zlib=$ZLIB_VER" \
     >"$WORK/apt-source.log" 2>&1)
}
if finished sources; then
  say "  already fetched"
elif ! has_deb_src; then
  say "  adding deb-src lines for bookworm main (/etc/apt/sources.list.d/nubrix-deb-src.sources)"
  $SUDO tee /etc/apt/sources.list.d/nubrix-deb-src.sources >/dev/null <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  $SUDO apt-get update -q >&2
fi
if ! finished sources && ! fetch; then
  # The package lists may be older than the installed libraries.
  $SUDO apt-get update -q >&2
  fetch || { cat "$WORK/apt-source.log" >&2; exit 1; }
fi
mark sources
OPENCV_SRC="$(ls -d "$WORK"/opencv-[0-9]*/)"
FFMPEG_SRC="$(ls -d "$WORK"/ffmpeg-[0-9]*/)"
ZLIB_SRC="$(ls -d "$WORK"/zlib-[0-9]*/)"
done_step

# --------------------------------------------------------------------- zlib
Z="$OUT/zlib"
step "building zlib"
if ! finished zlib; then
  # Fifteen C files and no configuration: compiled directly (Debian's
  # source has no Windows makefile).
  mkdir -p "$Z/include" "$Z/lib" "$WORK/zlib-build"
  objs=()
  for f in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees \
           trees uncompr zutil; do
    "$CC" -O2 -D_LARGEFILE64_SOURCE=1 -c "$ZLIB_SRC/$f.c" -o "$WORK/zlib-build/$f.o"
    objs+=("$WORK/zlib-build/$f.o")
  done
  "$HOST-ar" rcs "$Z/lib/libz.a" "${objs[@]}"
  cp "$ZLIB_SRC/zlib.h" "$ZLIB_SRC/zconf.h" "$Z/include/"
  mark zlib
fi
done_step

# ------------------------------------------------------------------- FFmpeg
FF="$OUT/ffmpeg"
step "configuring FFmpeg (log: $WORK/ffmpeg-configure.log)"
finished ffmpeg-configured || (mkdir -p "$WORK/ffmpeg-build" && cd "$WORK/ffmpeg-build" && "$FFMPEG_SRC/configure" \
  --prefix="$FF" --enable-cross-compile --target-os=mingw32 --arch=x86_64 \
  --cross-prefix="$HOST-" --cc="$CC" --cxx="$CXX" --pkg-config=pkg-config \
  --enable-static --disable-shared --disable-debug \
  --disable-everything --disable-autodetect --enable-w32threads \
  --disable-programs --disable-doc --disable-network \
  --disable-avdevice --disable-avfilter --disable-swresample --disable-postproc \
  --enable-avcodec --enable-avformat --enable-swscale \
  --enable-decoder=mjpeg,h264,mpeg4,rawvideo \
  --enable-demuxer=avi,mov,matroska \
  --enable-parser=mjpeg,h264,mpeg4video \
  --enable-protocol=file) >"$WORK/ffmpeg-configure.log" 2>&1 \
  || { tail -n 30 "$WORK/ffmpeg-configure.log" >&2; exit 1; }
mark ffmpeg-configured
done_step

step "building FFmpeg (log: $WORK/ffmpeg-build.log)"
if ! finished ffmpeg; then
  # Progress: a line every 100 compiled files.
  (cd "$WORK/ffmpeg-build" && make -j"$JOBS" 2>&1 && make install 2>&1) | tee "$WORK/ffmpeg-build.log" \
    | awk '/^(CC|CXX|AS|X86ASM)/ { if (++n % 100 == 0) { printf "[windows-deps] FFmpeg: %d files compiled\n", n; fflush() } }' >&2
  # Static libraries only: whoever links them needs their private
  # dependencies (bcrypt and the like) too, so those become public.
  for pc in "$FF"/lib/pkgconfig/*.pc; do
    priv="$(sed -n 's/^Libs.private: *//p' "$pc")"
    sed -i -e '/^Libs.private:/d' -e "s|^Libs: .*|& $priv|" "$pc"
  done
  mark ffmpeg
fi
done_step

# ------------------------------------------------------------------- OpenCV
OCV="$OUT/opencv"
step "configuring OpenCV (log: $WORK/opencv-configure.log)"
# FFmpeg is found through its pkg-config files only; OpenCV's own download of
# a prebuilt FFmpeg for Windows is switched off. OpenCV asks pkg-config only
# when the target is Unix: for Windows it is loaded before OpenCV's project.
export PKG_CONFIG_LIBDIR="$FF/lib/pkgconfig"
export PKG_CONFIG_PATH=""
echo 'find_package(PkgConfig REQUIRED)' >"$WORK/find-pkg-config.cmake"
cmake -S "$OPENCV_SRC" -B "$WORK/opencv-build" \
  -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_SYSTEM_PROCESSOR=AMD64 \
  -DCMAKE_C_COMPILER="$CC" -DCMAKE_CXX_COMPILER="$CXX" -DCMAKE_RC_COMPILER="$HOST-windres" \
  -DCMAKE_FIND_ROOT_PATH="/usr/$HOST;$FF" \
  -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
  -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$OCV" \
  -DCMAKE_PROJECT_INCLUDE="$WORK/find-pkg-config.cmake" \
  -DBUILD_SHARED_LIBS=OFF -DBUILD_LIST=core,imgproc,videoio \
  -DBUILD_TESTS=OFF -DBUILD_PERF_TESTS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_opencv_apps=OFF \
  -DBUILD_DOCS=OFF -DBUILD_JAVA=OFF -DBUILD_opencv_python3=OFF -DBUILD_opencv_python2=OFF \
  -DWITH_FFMPEG=ON -DOPENCV_FFMPEG_SKIP_DOWNLOAD=ON \
  -DBUILD_ZLIB=OFF -DZLIB_INCLUDE_DIR="$Z/include" -DZLIB_LIBRARY="$Z/lib/libz.a" \
  -DWITH_WIN32UI=OFF -DWITH_DSHOW=OFF -DWITH_MSMF=OFF -DWITH_OBSENSOR=OFF \
  -DWITH_IPP=OFF -DWITH_ITT=OFF -DWITH_OPENCL=OFF -DWITH_ADE=OFF -DWITH_PROTOBUF=OFF \
  -DWITH_EIGEN=OFF -DWITH_LAPACK=OFF -DWITH_OPENMP=OFF -DWITH_GSTREAMER=OFF \
  -DWITH_1394=OFF -DWITH_VTK=OFF -DWITH_QT=OFF -DWITH_GTK=OFF -DWITH_OPENEXR=OFF \
  -DWITH_QUIRC=OFF -DWITH_DIRECTX=OFF -DWITH_VA=OFF -DWITH_VA_INTEL=OFF -DWITH_CUDA=OFF -DWITH_OPENVX=OFF \
  -DWITH_JPEG=OFF -DWITH_PNG=OFF -DWITH_TIFF=OFF -DWITH_WEBP=OFF -DWITH_OPENJPEG=OFF \
  -DWITH_JASPER=OFF -DWITH_IMGCODEC_HDR=OFF -DWITH_IMGCODEC_SUNRASTER=OFF \
  -DWITH_IMGCODEC_PXM=OFF -DWITH_IMGCODEC_PFM=OFF \
  -DCPU_DISPATCH="" -DOPENCV_GENERATE_PKGCONFIG=OFF \
  >"$WORK/opencv-configure.log" 2>&1 || { tail -n 40 "$WORK/opencv-configure.log" >&2; exit 1; }
grep -A6 'Video I/O:' "$WORK/opencv-configure.log" >&2 || true
grep -qE 'FFMPEG:\s+YES' "$WORK/opencv-configure.log" \
  || { say "OpenCV did not find the FFmpeg just built (see $WORK/opencv-configure.log)"; exit 1; }
done_step

step "building OpenCV (log: $WORK/opencv-build.log)"
cmake --build "$WORK/opencv-build" -j"$JOBS" 2>&1 | tee "$WORK/opencv-build.log" \
  | grep --line-buffered -E '^\[ *[0-9]+%\] (Built target|Linking)' | sed -u 's/^/[windows-deps] OpenCV: /' >&2
cmake --install "$WORK/opencv-build" >>"$WORK/opencv-build.log" 2>&1
done_step

echo "opencv $OPENCV_VER ffmpeg $FFMPEG_VER" >"$OUT/versions.txt"
touch "$OUT/.complete"
rm -rf "$WORK"
say "finished in $((SECONDS - T0)) s: $OUT"
echo "$OUT"
