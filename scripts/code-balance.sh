#!/bin/bash
# Prints the size of the test suite against the rest of the C/C++ code, by
# non-blank lines and by bytes, over the files git tracks. Tests are the files
# under tests/; code is every other C/C++ file (bench/ and scripts/ included).
# Exits non-zero when the tests exceed 33 % of the code by lines or 38 % by
# bytes.
set -eu
cd "$(dirname "$0")/.."
MAX_LINES=33
MAX_BYTES=38
mapfile -d '' files < <(git ls-files -z -- '*.c' '*.cc' '*.cpp' '*.cxx' '*.h' '*.hpp')
LC_ALL=C awk -v maxl="$MAX_LINES" -v maxb="$MAX_BYTES" '
    FNR == 1 { t = (FILENAME ~ /^tests\//) }
    { b = length($0) + 1; if (t) tb += b; else cb += b }
    /[^ \t\r]/ { if (t) tl++; else cl++ }
    END {
      pl = cl ? 100 * tl / cl : 0
      pb = cb ? 100 * tb / cb : 0
      printf "tests: %d lines, %d bytes\n", tl, tb
      printf "code:  %d lines, %d bytes\n", cl, cb
      printf "tests/code: %.1f %% by lines (limit %d %%), %.1f %% by bytes (limit %d %%)\n", pl, maxl, pb, maxb
      bad = 0
      if (pl > maxl) { print "the tests exceed the limit by lines"; bad = 1 }
      if (pb > maxb) { print "the tests exceed the limit by bytes"; bad = 1 }
      exit bad
    }' "${files[@]}"
