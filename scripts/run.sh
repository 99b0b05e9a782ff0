#!/bin/bash
# Installs what is missing, builds, and runs the movie viewer. Without an X
# display it plays the sample headless on a virtual display and saves a
# screenshot instead.
set -e
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/install-deps.sh"
nbx_build
if [ -x "$ROOT/scripts/run-viewer.sh" ] || [ -f "$ROOT/scripts/run-viewer.sh" ]; then
  exec bash "$ROOT/scripts/run-viewer.sh" "$@"
fi
if [ -n "$DISPLAY" ]; then
  nbx_prepare_prefix
  exec "$BUILD/nubrix_demo.exe"
fi
echo "No X display: starting a virtual one (Xvfb) for the demo program."
xvfb-run "${XVFB_ARGS[@]}" bash -c "source '$ROOT/scripts/common.sh'; nbx_prepare_prefix; '$BUILD/nubrix_demo.exe' & sleep 8; wineserver -k"
