#!/usr/bin/env bash
# `make screenshot`: opens the window on a model under a virtual display of its
# own, waits until the window is shown, writes a picture of the whole screen
# and stops both, so that the window can be looked at on a machine without one.
# Usage: screenshot.sh BUILD MODEL OUT.png   (SCREEN=WxHxDEPTH, default 1280x800x24;
# VIEW=time|phase|both, the graphs shown, default time; WAIT=seconds between the
# window appearing and the picture, default 1, for what is worked out meanwhile)
set -euo pipefail
build=$1
model=$2
out=$3
fail() { echo "screenshot: $*" >&2; exit 1; }
[ -x "$build/app/tarnivell" ] || fail "$build/app/tarnivell is not built"
bin=$(realpath "$build/app/tarnivell")
model=$(realpath -m "$model")
out=$(realpath -m "$out")
title="Tarnivell Simulation"
case "${VIEW:-time}" in
time) view=vw_TimePlot ;;
phase) view=vw_PhasePlane ;;
both) view=vw_Both ;;
*) fail "VIEW is time, phase or both, not '$VIEW'" ;;
esac

# The program keeps its settings in the current folder: a scratch one, so that
# neither a developer's settings nor an earlier picture's change what is shown.
work=$(mktemp -d)
printf '[TForm1]\nViews1_View=%s\n' "$view" >"$work/Tarnivell.ini"
xvfb=""
program=""
stop() {
    local pid
    for pid in $program $xvfb; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap stop EXIT
trap "exit 1" INT TERM HUP

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x800x24}" -nolisten tcp 3>"$work/display" \
    >"$work/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb" 2>/dev/null || { cat "$work/xvfb.log" >&2; fail "Xvfb did not start"; }
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not start within 10 s"
DISPLAY=":$(cat "$work/display")"
export DISPLAY

(cd "$work" && exec env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$bin" "$model") \
    >"$work/program.log" 2>&1 &
program=$!

# The window is up once it is viewable; its first paint follows within moments.
shown() { xwininfo -name "$title" 2>/dev/null | grep -q "Map State: IsViewable"; }
for _ in $(seq 150); do
    shown && break
    kill -0 "$program" 2>/dev/null || { cat "$work/program.log" >&2; fail "the program ended"; }
    sleep 0.2
done
shown || fail "no window titled '$title' within 30 s"
sleep "${WAIT:-1}"
import -window root "$out"
echo "$out: the window on $(basename "$model") (display $DISPLAY)"
