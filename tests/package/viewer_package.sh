#!/bin/bash
# The Windows zip as a user gets it (run by CTest in the PE build, on a
# virtual display): made by scripts/package-windows.sh, unpacked into an
# empty folder outside the build, every shipped program importing only
# system DLLs and shipped ones, and the viewer run from there by
# package_check.exe (the sample opened through its dialog, the shown frame
# number read back). Argument: the PE build folder.
set -e
BUILD="$1"
ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
NUBRIX_PE_BUILD_DIR="$BUILD" bash "$ROOT/scripts/package-windows.sh" >/dev/null
UNPACKED="$(mktemp -d)"
trap 'rm -rf "$UNPACKED"' EXIT
(cd "$UNPACKED" && cmake -E tar xf "$BUILD/nubrix-windows-x64.zip")
DIR="$UNPACKED/nubrix-windows-x64"
for f in nubrix_viewer.exe sample.avi README.txt; do
  [ -s "$DIR/$f" ] || { echo "missing from the zip: $f"; exit 1; }
done

# Windows' own DLLs; anything else must be in the zip.
SYSTEM="kernel32 user32 gdi32 comdlg32 shell32 gdiplus msvcrt advapi32 bcrypt ole32 oleaut32 shlwapi
comctl32 ws2_32"
allowed="$(printf '%s.dll\n' $SYSTEM; ls "$DIR" | tr 'A-Z' 'a-z')"
bad=0
for f in "$DIR"/*.exe "$DIR"/*.dll; do
  [ -e "$f" ] || continue
  for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    grep -qxF "$dll" <<<"$allowed" && continue
    echo "$(basename "$f") needs $dll, which is neither Windows' own nor in the zip"
    bad=1
  done
done
[ "$bad" = 0 ] || exit 1

RUN="$BUILD/testrun/viewer_package"
mkdir -p "$RUN"
cd "$RUN"
NBX_PACKAGE_DIR="$DIR" wine "$BUILD/package_check.exe"
