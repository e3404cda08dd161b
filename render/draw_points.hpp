// The kernels behind `put_object`: each draws records [begin, end) of an object with a rotation
// derived once per draw, storing only into one band of pixel memory. They perform the operations
// of `put_pixel` in the same order, so every kernel writes exactly its pixels.
#pragma once

#include "projection.hpp"

#include <cstdint>
#include <cstring>

// Where a kernel may store: byte offsets `lo` <= offset < `hi` of `pixels`, a band inside
// (0, 1920000). Threads given disjoint bands never touch the same pixel.
struct pixel_target {
    unsigned char *pixels;
    int pitch;
    int lo, hi;
};

using draw_points_fn = void (*)(const rotation &m, const float *object, int begin, int end,
                                const pixel_target &target);

inline void draw_points_scalar(const rotation &m, const float *object, int begin, int end,
                               const pixel_target &target) {
    for (int i = begin; i < end; ++i) {
        const float *v = object + 4L * i;
        const projected p = project(m, v[0], v[1], v[2]);
        if (!inside_window(p)) {
            continue;
        }
        const long offset =
            pixel_offset(static_cast<int>(p.px), static_cast<int>(p.py), target.pitch);
        if (offset >= target.lo && offset < target.hi) {
            const int pixel = static_cast<int>(v[3]);
            std::memcpy(target.pixels + offset, &pixel, sizeof pixel);
        }
    }
}

// The same work in two steps, so that threads can share the arithmetic of one draw: first each
// record's byte offset (0 where the point is not drawn: offset 0 never is) and pixel word, then
// the stores of one band, in record order.
struct projected_points {
    std::int32_t *offsets;
    std::int32_t *pixels;
};

using project_points_fn = void (*)(const rotation &m, const float *object, int begin, int end,
                                   int pitch, const projected_points &out);
using store_points_fn = void (*)(const projected_points &in, int begin, int end,
                                 const pixel_target &target);

inline void project_points_scalar(const rotation &m, const float *object, int begin, int end,
                                  int pitch, const projected_points &out) {
    for (int i = begin; i < end; ++i) {
        const float *v = object + 4L * i;
        const projected p = project(m, v[0], v[1], v[2]);
        long offset = 0;
        if (inside_window(p)) {
            offset = pixel_offset(static_cast<int>(p.px), static_cast<int>(p.py), pitch);
            offset = inside_pixel_memory(offset) ? offset : 0;
        }
        out.offsets[i] = static_cast<std::int32_t>(offset);
        out.pixels[i] = offset != 0 ? static_cast<int>(v[3]) : 0;
    }
}

inline void store_points_scalar(const projected_points &in, int begin, int end,
                                const pixel_target &target) {
    for (int i = begin; i < end; ++i) {
        const std::int32_t offset = in.offsets[i];
        if (offset >= target.lo && offset < target.hi) {
            std::memcpy(target.pixels + offset, &in.pixels[i], sizeof(std::int32_t));
        }
    }
}

// Present only on x86-64; callers check the CPU first.
void draw_points_avx2(const rotation &m, const float *object, int begin, int end,
                      const pixel_target &target);
void draw_points_avx512(const rotation &m, const float *object, int begin, int end,
                        const pixel_target &target);
void project_points_avx2(const rotation &m, const float *object, int begin, int end, int pitch,
                         const projected_points &out);
void project_points_avx512(const rotation &m, const float *object, int begin, int end, int pitch,
                           const projected_points &out);
void store_points_avx2(const projected_points &in, int begin, int end, const pixel_target &target);
void store_points_avx512(const projected_points &in, int begin, int end,
                         const pixel_target &target);
