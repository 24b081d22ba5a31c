#!/usr/bin/env bash
# `make run`: tries out a sample rate law with the command-line calculator.
set -euo pipefail
build=$1
bin="$build/app/tarnivell"
echo "Prey rate 0.5*N1-0.02*N1*N2 at N1=40, N2=9:"
"$bin" --eval "0.5*N1-0.02*N1*N2" N1=40 N2=9
