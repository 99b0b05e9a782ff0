#!/bin/bash
# Runs the movie viewer in the folder of the sample movie, so that its first
# file dialog shows sample.avi. With an X display the viewer simply starts.
# Without one it starts a virtual display, opens the sample through the real
# file dialog, lets it play a few seconds, saves build/viewer-screenshot.png
# (NUBRIX_SCREENSHOT names another file) and ends
# the viewer with its own Exit.
set -e
source "$(dirname "$0")/common.sh"

VIEWER="$BUILD/nubrix_viewer.exe"
MOVIES="$BUILD/movies"
if [ ! -f "$VIEWER.so" ] || [ ! -f "$MOVIES/sample.avi" ]; then
  nbx_build
fi

if [ -n "$DISPLAY" ] && [ -z "$NUBRIX_HEADLESS" ] && [ "$1" != "--inside-xvfb" ]; then
  nbx_prepare_prefix
  cd "$MOVIES"
  exec "$VIEWER"
fi

SHOT="${NUBRIX_SCREENSHOT:-$BUILD/viewer-screenshot.png}"

# Prints the id of the first visible window whose name matches $1, waiting up
# to $2 seconds. xdotool's own --sync gives up with BadWindow when a window
# goes away while it walks the tree (Wine makes and drops windows at start-up),
# so each look is a fresh search.
wait_window() {
  local end=$((SECONDS + $2)) id
  while [ $SECONDS -lt $end ]; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  return 1
}

# Runs inside xvfb-run: drives the viewer as a user would.
headless() {
  set -e
  nbx_prepare_prefix
  wineserver -p   # one server for the whole session
  cd "$MOVIES"
  "$VIEWER" &
  local viewer=$!
  # The open-file dialog comes up by itself; its file name box has the focus.
  local dialog
  # Wine names the dialog in the session's language (common.sh sets Japanese).
  dialog=$(wait_window '^(Open|開く)$' 60) || {
    echo "the viewer's file dialog did not appear" >&2; kill "$viewer"; wineserver -k; return 1; }
  sleep 1
  xdotool key --window "$dialog" ctrl+a
  xdotool type --window "$dialog" --delay 30 sample.avi
  xdotool key --window "$dialog" Return
  wait_window '^NUBRIX window' 30 >/dev/null || {
    echo "the movie did not open" >&2; kill "$viewer"; wineserver -k; return 1; }
  sleep 4
  xwd -root -silent | convert xwd:- png:"$SHOT"
  nbx_exit_program "$viewer"
}
if [ "$1" = "--inside-xvfb" ]; then
  headless
  exit
fi
mkdir -p "$(dirname "$SHOT")"
echo "No X display: playing $MOVIES/sample.avi on a virtual display (Xvfb)."
xvfb-run "${XVFB_ARGS[@]}" bash "${BASH_SOURCE[0]}" --inside-xvfb
echo "Screenshot of the viewer playing the sample: $SHOT"
