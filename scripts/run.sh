#!/usr/bin/env bash
# Sets up, builds (release) and starts Vistrel; arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build
exec ./build/vistrel "$@"
