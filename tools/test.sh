#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test: once in
# an optimised build, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
jobs=$(nproc)

echo "== release build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVOXEL_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== address and undefined-behaviour sanitizer build and tests"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOXEL_SANITIZE=ON -DVOXEL_BENCH=OFF \
    -DVOXEL_WERROR=ON >/dev/null
cmake --build build-asan -j"$jobs"
ctest --test-dir build-asan --output-on-failure -j"$jobs"
