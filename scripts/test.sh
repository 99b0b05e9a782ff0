#!/bin/bash
# Installs what is missing, builds, and runs every test headless (Xvfb):
# first the Winelib build (build/), then the native Windows build made with
# MinGW-w64 (build-pe/), whose PE programs Wine runs as Windows would.
# --winelib or --pe (first argument) runs only that one. Further arguments go
# to ctest (for example -R unit); without them the build as a sub-project of
# another project is checked too, and a full run ends with code-balance.sh.
set -e
HERE="$(cd "$(dirname "$0")" && pwd)"
kinds="0 1"
case "$1" in
  --winelib) kinds="0"; shift ;;
  --pe) kinds="1"; shift ;;
esac
bash "$HERE/install-deps.sh"
failed=""
for pe in $kinds; do
  (
    export NUBRIX_PE=$pe
    source "$HERE/common.sh"
    if [ "$pe" = 1 ]; then echo "== PE build (MinGW-w64) in $BUILD"; else echo "== Winelib build in $BUILD"; fi
    # (set -e does not hold inside a subshell tested with ||)
    nbx_build || exit 1
    cd "$BUILD" || exit 1
    xvfb-run "${XVFB_ARGS[@]}" bash "$HERE/ctest-on-display.sh" "$@"
  ) || failed="$failed $([ "$pe" = 1 ] && echo PE || echo Winelib)"
done
if [ $# -eq 0 ] && [ "$kinds" != 1 ]; then
  bash "$HERE/check-subproject.sh" || failed="$failed sub-project"
fi
# Last: the suite must stay within its share of the code.
if [ $# -eq 0 ] && [ "$kinds" = "0 1" ]; then
  bash "$HERE/code-balance.sh" || failed="$failed code-balance"
fi
if [ -n "$failed" ]; then
  echo "Failed:$failed" >&2
  exit 1
fi
