#!/usr/bin/env bash
# `make run`: opens the window on the bundled model. Without a display it says
# so and runs the same model headless, printing its course every 200 steps.
set -euo pipefail
build=$1
model=$2
bin="$build/app/tarnivell"
if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec "$bin" "$model"
fi
echo "No display is available (neither DISPLAY nor WAYLAND_DISPLAY is set);"
echo "running $model in batch mode instead (t, N1, N2 every 200 steps):"
"$bin" --batch "$model" --steps 4000 --every 200
