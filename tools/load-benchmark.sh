#!/usr/bin/env bash
# Loading a large cloud: writes a binary PLY of POINTS points (default 10 million) with
# make_cloud, then loads it in the headless demo for one frame and reports the elapsed time and
# the peak resident memory next to the size of the records themselves (16 bytes a point).
#
#   tools/load-benchmark.sh [POINTS]      # after a Release build in build/
set -euo pipefail
cd "$(dirname "$0")/.."
points=${1:-10000000}
[ -x build/voxel-demo ] && [ -x build/make_cloud ] ||
    { echo "build first: cmake -S . -B build && cmake --build build" >&2; exit 1; }
file=$(mktemp --suffix=.ply)
trap 'rm -f "$file"' EXIT
build/make_cloud "$points" ply-le >"$file"
echo "file: $(($(stat -c %s "$file") / 1000000)) MB, $points points; records: $((points * 16 / 1000000)) MB"
for run in 1 2 3; do
    /usr/bin/time -f "run $run: %e s elapsed (load and one frame), peak resident %M KB" \
        build/voxel-demo --headless --frames 1 --load "$file" >/dev/null
done
