// Frame-time statistics for --benchmark.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

struct frame_summary {
    double median_ms = 0;
    double p90_ms = 0; // nearest rank: 90% of frames took at most this long
};

inline frame_summary summarize_frames(std::vector<double> frame_ms) {
    if (frame_ms.empty()) {
        return {};
    }
    std::sort(frame_ms.begin(), frame_ms.end());
    const std::size_t n = frame_ms.size();
    const double median =
        n % 2 == 1 ? frame_ms[n / 2] : (frame_ms[n / 2 - 1] + frame_ms[n / 2]) / 2.0;
    const auto rank = std::size_t(std::ceil(0.9 * double(n)));
    return {median, frame_ms[std::max<std::size_t>(rank, 1) - 1]};
}

// One line: frames, points per frame, threads, kernel, frame times and the rates they give.
inline std::string benchmark_line(std::size_t frames, long points, int threads, const char *simd,
                                  const frame_summary &s) {
    const double fps = s.median_ms > 0 ? 1000.0 / s.median_ms : 0.0;
    char line[256];
    std::snprintf(line, sizeof line,
                  "benchmark: %zu frames, %ld points per frame, %d threads, %s: median %.3f ms, "
                  "p90 %.3f ms, %.0f fps, %.1f M points/s",
                  frames, points, threads, simd, s.median_ms, s.p90_ms, fps,
                  fps * double(points) / 1e6);
    return line;
}
