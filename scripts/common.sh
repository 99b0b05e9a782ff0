# Sourced by the other scripts: paths and the Wine environment of a build.
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${NUBRIX_BUILD_DIR:-$ROOT/build}"
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG="${NUBRIX_LANG:-ja_JP.UTF-8}"
XVFB_ARGS=(-a -s "-screen 0 1280x1024x24")

nbx_build() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/winelib-toolchain.cmake" >/dev/null
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
