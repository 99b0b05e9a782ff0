#!/bin/bash
# Runs ctest on the current X display with one wineserver for the whole run,
# so each test starts in a second instead of several.
source "$(dirname "$0")/common.sh"
cd "$BUILD"
nbx_prepare_prefix
wineserver -p
# Start Wine's background services now, detached from ctest's output pipes:
# a service that inherited a test's pipe would keep ctest waiting for it.
wine cmd /c exit >/dev/null 2>&1 </dev/null
ctest --output-on-failure "$@"
rc=$?
wineserver -k
exit $rc
