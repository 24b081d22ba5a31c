#!/usr/bin/env bash
# Runs every benchmark program in build/bench/ in turn; extra flags go to each.
set -euo pipefail
build=$1
shift
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
found=0
for b in "$build"/bench/*; do
    [ -x "$b" ] && [ -f "$b" ] || continue
    found=1
    echo "== $(basename "$b")"
    "$b" "$@"
done
[ $found -eq 1 ] || echo "no benchmarks built"
