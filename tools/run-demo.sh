#!/usr/bin/env bash
# Installs what is missing, builds the demo and runs it in a window. Extra arguments go to the demo.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target voxel-demo
exec build/voxel-demo "$@"
