# Sourced by the other scripts: paths and the Wine environment of a build.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# NUBRIX_PE=1 selects the native Windows build: PE programs made with
# MinGW-w64 in build-pe/ (NUBRIX_PE_BUILD_DIR), run by Wine as Windows would.
# Otherwise the Winelib build in build/ (NUBRIX_BUILD_DIR).
if [ "${NUBRIX_PE:-0}" = 1 ]; then
  BUILD="${NUBRIX_PE_BUILD_DIR:-$ROOT/build-pe}"
  TOOLCHAIN="$ROOT/cmake/mingw-toolchain.cmake"
else
  BUILD="${NUBRIX_BUILD_DIR:-$ROOT/build}"
  TOOLCHAIN="$ROOT/cmake/winelib-toolchain.cmake"
fi
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG="${NUBRIX_LANG:-ja_JP.UTF-8}"
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24")

# Configures (showing only what the configure step leaves out) and builds.
# The PE build takes OpenCV (and its FFmpeg) built for Windows from the cache
# that scripts/build-windows-deps.sh fills, building it first when missing.
nbx_build() {
  local log deps extra=()
  if [ "${NUBRIX_PE:-0}" = 1 ]; then
    deps="$(bash "$ROOT/scripts/build-windows-deps.sh")" || return 1
    deps="${deps##*$'\n'}"   # its last line names the folder
    extra=(-DOpenCV_DIR="$deps/opencv/lib/cmake/opencv4")
  fi
  log="$(cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" "${extra[@]}" 2>&1)" || { echo "$log"; return 1; }
  grep -- "left out" <<<"$log" || true
  cmake --build "$BUILD" -j"$(nproc)"
}

# Creates the build's own Wine prefix once. Windows are left unmanaged so Wine
# draws their frames itself and closes them without waiting for a window
# manager (headless X servers have none).
nbx_prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.nubrix-ready" ]; then
    echo "Preparing the Wine prefix in $WINEPREFIX (first run only)..."
    wineboot -i >/dev/null 2>&1 || true
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.nubrix-ready"
  fi
}

# Ends a program started on a virtual display as a user would: the X key of
# its main window (Exit), then a kill if it has not ended within 5 s.
nbx_exit_program() {
  local pid="$1" main
  main=$(xdotool search --name '^NUBRIX 7\.3' | head -n 1)
  [ -n "$main" ] && xdotool key --window "$main" x
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; fi
  wait "$pid" 2>/dev/null || true
  wineserver -k
}
