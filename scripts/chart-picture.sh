#!/bin/bash
# Makes docs/chart.png (NUBRIX_CHART_PICTURE names another file): on a
# virtual display, scripts/chart_picture.cpp shows a source picture and asks
# for "Line(RGB)"; this script clicks the row with the mouse, as a user
# would, and takes the chart window beside its source from the screen.
set -e
source "$(dirname "$0")/common.sh"

PROGRAM="$BUILD/nubrix_chart_picture.exe"
PICTURE="${NUBRIX_CHART_PICTURE:-$ROOT/docs/chart.png}"
[ -f "$PROGRAM.so" ] || cmake --build "$BUILD" --target nubrix_chart_picture

# The union of the X windows' rectangles, as WxH+X+Y.
union_of() {
  local x0=99999 y0=99999 x1=0 y1=0 id X Y WIDTH HEIGHT
  for id in "$@"; do
    eval "$(xdotool getwindowgeometry --shell "$id")"
    (( X < x0 )) && x0=$X; (( Y < y0 )) && y0=$Y
    (( X + WIDTH > x1 )) && x1=$((X + WIDTH)); (( Y + HEIGHT > y1 )) && y1=$((Y + HEIGHT))
  done
  echo "$((x1 - x0))x$((y1 - y0))+$x0+$y0"
}

headless() {
  set -e
  nbx_prepare_prefix
  wineserver -p
  local dir
  dir=$(mktemp -d)
  cd "$dir"
  "$PROGRAM" &
  local program=$!
  for _ in $(seq 300); do [ -s chart-click.txt ] && break; sleep 0.1; done
  [ -s chart-click.txt ] || { echo "the source picture did not appear" >&2; kill "$program"; wineserver -k; return 1; }
  local x y
  read -r x y < chart-click.txt
  sleep 1
  xdotool mousemove "$x" "$y" click 1
  local chart source
  chart=$(timeout 20 xdotool search --sync --onlyvisible --name '^RGB\(Y=' | head -n 1) || {
    echo "no chart window" >&2; kill "$program"; wineserver -k; return 1; }
  source=$(xdotool search --onlyvisible --name '^source' | head -n 1)
  xdotool mousemove 1000 900   # the cursor out of the picture
  sleep 1
  xwd -root -silent | convert xwd:- -crop "$(union_of "$chart" "$source")" +repage png:"$PICTURE"
  nbx_exit_program "$program"
  rm -rf "$dir"
}
if [ "$1" = "--inside-xvfb" ]; then
  headless
  exit
fi
mkdir -p "$(dirname "$PICTURE")"
xvfb-run "${XVFB_ARGS[@]}" bash "${BASH_SOURCE[0]}" --inside-xvfb
echo "Chart beside its source: $PICTURE"
