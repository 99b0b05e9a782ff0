#!/bin/bash
# Installs what is missing, builds, and runs every test headless (Xvfb).
# Extra arguments go to ctest (for example -R unit); without them the build
# as a sub-project of another project is checked too.
set -e
source "$(dirname "$0")/common.sh"
bash "$ROOT/scripts/install-deps.sh"
nbx_build
cd "$BUILD"
xvfb-run "${XVFB_ARGS[@]}" bash "$ROOT/scripts/ctest-on-display.sh" "$@"
if [ $# -eq 0 ]; then
  bash "$ROOT/scripts/check-subproject.sh"
fi
