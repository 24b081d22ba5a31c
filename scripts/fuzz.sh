#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for the given number of seconds.
set -euo pipefail
build=$1
seconds=$2
list="$build/fuzz/fuzzers.txt"
[ -s "$list" ] || { echo "no fuzz targets built"; exit 0; }
# Leaks that system libraries keep for the life of the process are not ours.
export LSAN_OPTIONS="suppressions=$(pwd)/fuzz/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
status=0
while read -r name; do
    [ -n "$name" ] || continue
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    seeds="fuzz/seeds/$name"
    dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")
    echo "== $name for ${seconds}s"
    if ! "$build/fuzz/$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=0 -artifact_prefix="$build/" "${dirs[@]}" >"$build/$name.log" 2>&1; then
        tail -60 "$build/$name.log"
        status=1
    else
        tail -2 "$build/$name.log"
    fi
done <"$list"
exit $status
