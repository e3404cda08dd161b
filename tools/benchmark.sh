#!/usr/bin/env bash
# Measures whole frames (draw, present, clear, count, print) of the headless demo side by side in
# one run: the plain per-point loop, then the fast renderer on 1 and 2 threads, for cubes from
# 8,000 to 8,000,000 points. Prints a Markdown table and, where gnuplot is installed, draws
# docs/fps.png (frames per second against points).
#
#   tools/benchmark.sh            # after a Release build in build/
set -euo pipefail
cd "$(dirname "$0")/.."
demo=build/voxel-demo
[ -x "$demo" ] || { echo "build first: cmake -S . -B build && cmake --build build" >&2; exit 1; }
data=$(mktemp)
trap 'rm -f "$data"' EXIT

# Runs one configuration for a second or two; prints its median fps.
measure() {
    local size=$1 points=$((8 * $1 * $1 * $1)) frames
    shift
    frames=$((600000000 / points))
    case " $* " in *" --plain "*) frames=$((frames / 25)) ;; esac
    ((frames < 5)) && frames=5
    ((frames > 5000)) && frames=5000
    "$demo" --headless --frames "$frames" --cube-size "$size" --benchmark "$@" 2>&1 >/dev/null |
        sed -n 's/.* \([0-9]*\) fps,.*/\1/p'
}

echo "| points | plain loop fps | fast, 1 thread fps | fast, 2 threads fps | 2 threads / plain |"
echo "|---:|---:|---:|---:|---:|"
for size in 10 25 35 50 70 100; do
    points=$((8 * size * size * size))
    plain=$(measure "$size" --plain)
    one=$(measure "$size" --threads 1)
    two=$(measure "$size" --threads 2)
    echo "$points $plain $one $two" >>"$data"
    printf '| %s | %s | %s | %s | %sx |\n' "$points" "$plain" "$one" "$two" \
        "$(awk -v a="$two" -v b="$plain" 'BEGIN { printf "%.1f", a / b }')"
done
echo
echo "kernel: $("$demo" --headless --frames 1 --benchmark 2>&1 >/dev/null |
    sed -n 's/.*threads, \([a-z0-9]*\):.*/\1/p'), cores: $(nproc)"

if command -v gnuplot >/dev/null; then
    gnuplot <<PLOT
set terminal pngcairo size 800,480 font ",11"
set output "docs/fps.png"
set title "voxel-demo, headless: frames per second against points drawn"
set logscale xy
set xlabel "points per frame"
set ylabel "frames per second"
set grid
set key top right
plot "$data" using 1:4 with linespoints lw 2 title "fast, 2 threads", \\
     "$data" using 1:3 with linespoints lw 2 title "fast, 1 thread", \\
     "$data" using 1:2 with linespoints lw 2 title "plain per-point loop"
PLOT
    echo "wrote docs/fps.png"
fi
