#!/bin/bash
# Builds a tiny outer project that uses this repository as a sub-project
# (add_subdirectory, as the README shows) with the movie viewer on, and one
# user program: the build must not depend on being the top-level project.
set -e
source "$(dirname "$0")/common.sh"
OUTER="$BUILD/subproject"
mkdir -p "$OUTER/src"
ln -sfn "$ROOT" "$OUTER/src/nubrix"
cat > "$OUTER/src/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.20)
project(outer CXX C)
set(NUBRIX_BUILD_VIEWER ON CACHE BOOL "" FORCE)
add_subdirectory(nubrix)
nubrix_add_program(myprog myprog.cpp)
CMAKE
cat > "$OUTER/src/myprog.cpp" <<'CPP'
#include "nubrix.h"

void UserInit(void)
{
    NBX_OpenTextWindow(0, 0, 0, 400, 300);
    nbx_start = 1;
}

void UserMain(void)
{
    for (int i = 0; !nbx_stop; i++) NBX_Printf("frame %d\n", i);
}
CPP
cmake -S "$OUTER/src" -B "$OUTER/build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/winelib-toolchain.cmake" >/dev/null
cmake --build "$OUTER/build" -j"$(nproc)" --target nubrix_viewer myprog >/dev/null
for f in nubrix/nubrix_viewer.exe.so myprog.exe.so; do
  [ -f "$OUTER/build/$f" ] || { echo "sub-project build: $f missing"; exit 1; }
done
echo "sub-project build: viewer and user program built"
