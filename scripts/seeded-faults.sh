#!/bin/bash
# Seeds each fault of scripts/seeded-faults.txt in turn into a scratch copy of
# the tree, builds it, runs the tests the fault names and prints a table of
# which tests caught it. Usage:
#   bash scripts/seeded-faults.sh [--tree DIR] [--only REGEX] [--out FILE]
# --tree: the tree to copy (default: this repository's working tree), so the
# table of an older suite can be made from a checkout of it; the fault list is
# always this repository's. --only: faults whose name matches. The scratch
# copy and its build live in $NUBRIX_FAULTS_DIR (default: a folder under /tmp
# named after the tree, so checkouts side by side do not share one) and are
# replaced by each run.
set -u
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/.." && pwd)"
LIST="$HERE/seeded-faults.txt"
TREE="$ROOT"
ONLY=""
OUT=""
INNER=0
while [ $# -gt 0 ]; do
  case "$1" in
    --tree) TREE="$(cd "$2" && pwd)"; shift 2 ;;
    --only) ONLY="$2"; shift 2 ;;
    --out) OUT="$2"; shift 2 ;;
    --inner) INNER=1; shift ;;
    *) echo "unknown argument $1" >&2; exit 2 ;;
  esac
done
WORK="${NUBRIX_FAULTS_DIR:-/tmp/nubrix-faults-$(printf %s "$TREE" | cksum | cut -d" " -f1)}"
SRC="$WORK/src"
export NUBRIX_BUILD_DIR="$WORK/build"
source "$HERE/common.sh"
BUILD="$NUBRIX_BUILD_DIR"

# Prints "name<TAB>regex<TAB>file<TAB>old<TAB>new" per fault.
parse_faults() {
  awk '
    /^fault / { name = $2; regex = $3; next }
    /^file /  { file = $2; next }
    /^-/      { old = substr($0, 2); next }
    /^\+/     { print name "\t" regex "\t" file "\t" old "\t" substr($0, 2) }
  ' "$LIST"
}

# Replaces the one line equal to $2 in file $1 by $3; fails unless exactly one
# line matches.
replace_line() {
  local f="$1" tmp
  tmp="$(mktemp)"
  OLD="$2" NEW="$3" awk '
    $0 == ENVIRON["OLD"] { n++; print ENVIRON["NEW"]; next }
    { print }
    END { exit n == 1 ? 0 : 1 }
  ' "$f" > "$tmp" || { rm -f "$tmp"; return 1; }
  cat "$tmp" > "$f"
  rm -f "$tmp"
}

# The build targets the tests matching a regex run: each behaviour test's own
# program (its code-page twin runs the same one), the unit tests, and every
# helper program the tests start. Building only these instead of everything
# (viewer, benchmarks, demos) keeps a fault's rebuild short.
targets_for() {
  (cd "$BUILD" && ctest -N -R "$1") | sed -n 's/^ *Test *#[0-9]*: //p' | while read -r t; do
    case "$t" in
      unit) echo nbx_unit_tests ;;
      viewer_accuracy) echo nbx_viewer_bench_accuracy ;;
      layout_replay*) ;;   # built by its own test
      *) echo "${t%_cp1252}" ;;
    esac
  done | sort -u
  for app in "$SRC"/tests/wine/apps/*.cpp; do basename "$app" .cpp; done
}

# Runs ctest for a regex; prints the names of the tests that failed.
failing_tests() {
  (cd "$BUILD" && ctest -R "$1" --timeout 120 2>&1) |
    awk '/The following tests FAILED:/ { on = 1; next } on && / - / { sub(/^[ \t]*[0-9]+ - /, ""); sub(/ \(.*/, ""); print }' |
    paste -sd, -
}

inner() {
  nbx_prepare_prefix
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  # The baseline runs the tests the chosen faults name, unseeded: they must pass.
  local base union
  union="$(parse_faults | while IFS=$'\t' read -r name regex _; do
    { [ -z "$ONLY" ] || [[ "$name" =~ $ONLY ]]; } && printf '(%s)|' "$regex"
  done)"
  base="$(failing_tests "${union%|}")"
  if [ -n "$base" ]; then
    echo "The unseeded suite already fails ($base): fix that first." >&2
    wineserver -k
    exit 1
  fi
  printf '| fault | caught by |\n|---|---|\n'
  local caught=0 total=0
  while IFS=$'\t' read -r name regex file old new; do
    [ -n "$ONLY" ] && ! [[ "$name" =~ $ONLY ]] && continue
    total=$((total + 1))
    cp "$SRC/$file" "$WORK/saved"
    local result
    if ! replace_line "$SRC/$file" "$old" "$new"; then
      result="(fault line not found)"
    elif ! cmake --build "$BUILD" -j"$(nproc)" --target $(targets_for "$regex") >"$WORK/build.log" 2>&1; then
      result="(does not build)"
    else
      result="$(failing_tests "$regex")"
      if [ -n "$result" ]; then caught=$((caught + 1)); else result="MISSED"; fi
    fi
    cat "$WORK/saved" > "$SRC/$file"
    printf '| %s | %s |\n' "$name" "$result"
  done < <(parse_faults)
  printf '\n%d of %d faults caught\n' "$caught" "$total"
  cmake --build "$BUILD" -j"$(nproc)" >/dev/null 2>&1
  wineserver -k
}

if [ "$INNER" = 1 ]; then
  inner
  exit $?
fi

bash "$ROOT/scripts/install-deps.sh"
rm -rf "$SRC"
mkdir -p "$SRC"
tar -C "$TREE" --exclude=./build --exclude=./build-pe --exclude=./.git -cf - . | tar -C "$SRC" -xf -
cmake -S "$SRC" -B "$BUILD" -DCMAKE_TOOLCHAIN_FILE="$SRC/cmake/winelib-toolchain.cmake" >/dev/null
cmake --build "$BUILD" -j"$(nproc)" >"$WORK/build.log" 2>&1 || { tail -20 "$WORK/build.log"; exit 1; }
if [ -n "$OUT" ]; then
  xvfb-run "${XVFB_ARGS[@]}" bash "$0" --inner --only "$ONLY" --tree "$TREE" | tee "$OUT"
else
  xvfb-run "${XVFB_ARGS[@]}" bash "$0" --inner --only "$ONLY" --tree "$TREE"
fi
