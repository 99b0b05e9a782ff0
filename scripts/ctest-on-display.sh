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
# A test program that fails is run once more: the output still shows the
# first failure, but a GUI test that lost a race with the X server under load
# does not fail the whole run on its own.
ctest --output-on-failure --repeat until-pass:2 "$@"
rc=$?
wineserver -k
exit $rc
