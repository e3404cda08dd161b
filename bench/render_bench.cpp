// Drawing throughput: the plain per-point loop against the fast `put_object` at every kernel the
// CPU has and at 1 and 2 threads, for cubes of 125k, 1M and 8M points. Drawing only: the frame
// loop's clear and present are measured by the program's own --benchmark.
//
//   build/bench/render_bench --benchmark_min_time=0.5
#include "renderer.hpp"
#include "voxel.hpp"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <map>
#include <vector>

namespace {

struct frame_buffer {
    std::vector<std::uint32_t> pixels = std::vector<std::uint32_t>(800 * 600, 0u);
    SDL_Surface surface{};
    frame_buffer() {
        surface.w = 800;
        surface.h = 600;
        surface.pitch = 3200;
        surface.pixels = pixels.data();
    }
};

const std::vector<float> &cube(int half_extent) {
    static std::map<int, std::vector<float>> cubes;
    auto &c = cubes[half_extent];
    if (c.empty()) {
        c.resize(std::size_t(32) * half_extent * half_extent * half_extent);
        make_voxel_cube(c.data(), float(half_extent));
    }
    return c;
}

// Turns the scene the way the demo does, one degree per drawn frame.
void next_angles(long frame) {
    rotation_x = -float(frame % 100000);
    rotation_y = 0.0f;
    rotation_z = float(frame % 360);
}

void set_points_counter(benchmark::State &state, int records) {
    state.counters["points/s"] = benchmark::Counter(double(records) * double(state.iterations()),
                                                    benchmark::Counter::kIsRate);
}

void plain_loop(benchmark::State &state) {
    const auto &object = cube(int(state.range(0)));
    const int records = int(object.size() / 4);
    frame_buffer frame;
    screen = &frame.surface;
    long n = 0;
    for (auto _ : state) {
        next_angles(++n);
        put_object_plain(object.data(), records);
        benchmark::DoNotOptimize(frame.pixels.data());
    }
    set_points_counter(state, records);
}

void fast_put_object(benchmark::State &state, simd_level level) {
    if (!simd_level_supported(level)) {
        state.SkipWithError("not supported on this CPU");
        return;
    }
    const auto &object = cube(int(state.range(0)));
    const int records = int(object.size() / 4);
    set_simd_level(level);
    set_render_threads(int(state.range(1)));
    frame_buffer frame;
    screen = &frame.surface;
    long n = 0;
    for (auto _ : state) {
        next_angles(++n);
        put_object(object.data(), records);
        benchmark::DoNotOptimize(frame.pixels.data());
    }
    set_points_counter(state, records);
    set_render_threads(1);
}

} // namespace

BENCHMARK(plain_loop)
    ->ArgName("half_extent")
    ->Arg(25)
    ->Arg(50)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(fast_put_object, scalar, simd_level::scalar)
    ->ArgNames({"half_extent", "threads"})
    ->ArgsProduct({{25, 50, 100}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(fast_put_object, avx2, simd_level::avx2)
    ->ArgNames({"half_extent", "threads"})
    ->ArgsProduct({{25, 50, 100}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(fast_put_object, avx512, simd_level::avx512)
    ->ArgNames({"half_extent", "threads"})
    ->ArgsProduct({{25, 50, 100}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
