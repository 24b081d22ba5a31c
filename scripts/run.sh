#!/usr/bin/env bash
# `make run`: runs the bundled predator-prey model headless and prints its
# course every 200 steps.
set -euo pipefail
build=$1
model=$2
bin="$build/app/tarnivell"
echo "Running $model (t, N1, N2 every 200 steps):"
"$bin" --batch "$model" --steps 4000 --every 200
