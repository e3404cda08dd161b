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

echo "== fuzzing the point cloud readers, 60 seconds each"
CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOXEL_FUZZ=ON \
    -DVOXEL_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$jobs"
seconds=${VOXEL_FUZZ_SECONDS:-60}
for reader in ply xyz; do
    # New inputs go to a scratch corpus; the seeds in the repository stay as they are.
    work=build-fuzz/corpus/$reader
    mkdir -p "$work"
    build-fuzz/tests/fuzz/${reader}_fuzzer -max_total_time="$seconds" -max_len=4096 \
        -print_final_stats=1 -artifact_prefix=build-fuzz/ "$work" tests/fuzz/corpus/$reader \
        2>build-fuzz/$reader.log || { tail -n 40 build-fuzz/$reader.log; exit 1; }
    grep -E '^stat::number_of_executed_units' build-fuzz/$reader.log
done
echo "fuzzing: no crashes"
