#!/bin/bash
# Installs what is missing, builds, and runs every test headless (Xvfb).
# Extra arguments go to ctest (for example -R unit).
set -e
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/install-deps.sh"
nbx_build
cd "$BUILD"
# One X server and one wineserver for the whole run: each test then starts in
# a second instead of several.
xvfb-run "${XVFB_ARGS[@]}" bash -c '
  source "'"$ROOT"'/scripts/common.sh"
  nbx_prepare_prefix
  wineserver -p
  ctest --output-on-failure "$@"; rc=$?
  wineserver -k
  exit $rc' ctest "$@"
