// The fast path of `put_object`: the rotation is derived once per draw instead of once per point,
// a vector kernel projects many points at a time, and the threads split pixel memory into bands
// so that each pixel is written by one thread only, in record order. The result is exactly the
// plain loop's `for each record: put_pixel(x, y, z, int(colour))`.
//
// With several threads a draw goes in two steps where the scratch space is affordable: the
// threads share the projection of the records, then each stores the points of its own band. Past
// that size each thread projects every record and keeps only its band's points; that is bound by
// reading the records, which both steps would have to do too.
#include "band_pool.hpp"
#include "draw_points.hpp"
#include "renderer.hpp"
#include "voxel.hpp"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Below this many points a draw is not worth waking the other threads for.
constexpr int parallel_threshold = 16384;
// Up to this many points a threaded draw shares the projection (8 bytes of scratch per point).
constexpr int shared_projection_limit = 2 << 20;

struct kernels {
    draw_points_fn draw;
    project_points_fn project;
    store_points_fn store;
};

kernels kernels_for(simd_level level) {
#if defined(__x86_64__)
    switch (level) {
    case simd_level::avx512:
        return {draw_points_avx512, project_points_avx512, store_points_avx512};
    case simd_level::avx2:
        return {draw_points_avx2, project_points_avx2, store_points_avx2};
    case simd_level::scalar:
        break;
    }
#else
    (void)level;
#endif
    return {draw_points_scalar, project_points_scalar, store_points_scalar};
}

simd_level active_level = best_simd_level();
kernels active = kernels_for(active_level);
std::unique_ptr<band_pool> pool;
std::vector<std::int32_t> scratch_offsets, scratch_pixels;

struct draw_job {
    kernels k;
    rotation m;
    const float *object;
    int size;
    unsigned char *pixels;
    int pitch;
    int bands;
    projected_points scratch;
};

// Band b of pixel memory: bands of whole 32-bit words, together covering (0, 1920000).
pixel_target band_target(const draw_job &job, int band) {
    const int words = int(pixel_memory_limit / 4);
    const int first = band == 0 ? 1 : band * words / job.bands * 4;
    const int last = (band + 1) * words / job.bands * 4;
    return {job.pixels, job.pitch, first, last};
}

void draw_band(const void *context, int band) {
    const auto &job = *static_cast<const draw_job *>(context);
    job.k.draw(job.m, job.object, 0, job.size, band_target(job, band));
}

// Thread t projects an equal share of the records, rounded to whole vectors.
void project_share(const void *context, int band) {
    const auto &job = *static_cast<const draw_job *>(context);
    const int begin = int(long(job.size) * band / job.bands) & ~15;
    const int end =
        band + 1 == job.bands ? job.size : int(long(job.size) * (band + 1) / job.bands) & ~15;
    job.k.project(job.m, job.object, begin, end, job.pitch, job.scratch);
}

void store_band(const void *context, int band) {
    const auto &job = *static_cast<const draw_job *>(context);
    job.k.store(job.scratch, 0, job.size, band_target(job, band));
}

} // namespace

void clear_screen(int width, int height) {
    auto *pixels = static_cast<unsigned char *>(screen->pixels);
    if (screen->pitch == width * 4) {
        std::memset(pixels, 0, std::size_t(height) * std::size_t(screen->pitch));
        return;
    }
    for (int row = 0; row < height; ++row) {
        std::memset(pixels + std::size_t(row) * screen->pitch, 0, std::size_t(width) * 4);
    }
}

bool simd_level_supported(simd_level level) {
#if defined(__x86_64__)
    // The choice is made during static initialisation, possibly before libgcc has read the CPU.
    __builtin_cpu_init();
    switch (level) {
    case simd_level::avx512:
        return __builtin_cpu_supports("avx512f");
    case simd_level::avx2:
        return __builtin_cpu_supports("avx2");
    case simd_level::scalar:
        return true;
    }
#endif
    return level == simd_level::scalar;
}

simd_level best_simd_level() {
    for (simd_level level : {simd_level::avx512, simd_level::avx2}) {
        if (simd_level_supported(level)) {
            return level;
        }
    }
    return simd_level::scalar;
}

const char *simd_level_name(simd_level level) {
    switch (level) {
    case simd_level::avx512:
        return "avx512";
    case simd_level::avx2:
        return "avx2";
    case simd_level::scalar:
        break;
    }
    return "scalar";
}

std::optional<simd_level> simd_level_named(std::string_view name) {
    for (simd_level level : {simd_level::scalar, simd_level::avx2, simd_level::avx512}) {
        if (name == simd_level_name(level)) {
            return level;
        }
    }
    return std::nullopt;
}

void set_simd_level(simd_level level) {
    active_level = simd_level_supported(level) ? level : simd_level::scalar;
    active = kernels_for(active_level);
}

simd_level current_simd_level() {
    return active_level;
}

void set_render_threads(int threads) {
    threads = std::max(threads, 1);
    if (threads != render_threads()) {
        pool = threads > 1 ? std::make_unique<band_pool>(threads) : nullptr;
    }
}

int render_threads() {
    return pool ? pool->bands() : 1;
}

void put_object(const float *object, int size) {
    if (size <= 0) {
        return;
    }
    draw_job job{active,
                 rotation_from_angles(rotation_x, rotation_y, rotation_z),
                 object,
                 size,
                 static_cast<unsigned char *>(screen->pixels),
                 screen->pitch,
                 render_threads(),
                 {}};
    // Bands must hold whole pixels: with an odd pitch a store could straddle two of them.
    if (!pool || size < parallel_threshold || screen->pitch % 4 != 0) {
        job.k.draw(job.m, object, 0, size, {job.pixels, job.pitch, 1, int(pixel_memory_limit)});
        return;
    }
    if (size > shared_projection_limit) {
        pool->run(draw_band, &job);
        return;
    }
    if (scratch_offsets.size() < std::size_t(size)) {
        scratch_offsets.resize(std::size_t(size));
        scratch_pixels.resize(std::size_t(size));
    }
    job.scratch = {scratch_offsets.data(), scratch_pixels.data()};
    pool->run(project_share, &job);
    pool->run(store_band, &job);
}
