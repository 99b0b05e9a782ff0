#!/bin/bash
# Installs what is missing, builds, and runs the movie viewer. Without an X
# display it plays the sample on a virtual display (Xvfb) and saves a
# screenshot instead.
set -e
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/install-deps.sh"
nbx_build
exec bash "$ROOT/scripts/run-viewer.sh" "$@"
