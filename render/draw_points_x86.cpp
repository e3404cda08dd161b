// AVX2 and AVX-512 kernels. Only these functions are built for the wider instruction sets (by
// target attribute, not by compiler flag), so nothing shared with the portable code can pick up
// an instruction the CPU might lack. No fused multiply-add anywhere: each product and sum rounds
// exactly as in `put_pixel`.
#if defined(__x86_64__)

#include "draw_points.hpp"

// GCC 12 reports its own AVX-512 headers' deliberately undefined registers as possibly
// uninitialised; the warning says nothing about this code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#define VOXEL_AVX2 __attribute__((target("avx2")))
#define VOXEL_AVX512 __attribute__((target("avx512f")))

namespace {

// ---- AVX2: eight records at a time ----

struct lanes8 {
    __m256 m00, m01, m02, m10, m11, m12, m20, m21, m22;
    __m256 distance, focal, right, left, top, bottom;
    __m256i centre, pitch;

    VOXEL_AVX2 lanes8(const rotation &m, int pitch_bytes)
        : m00(_mm256_set1_ps(m.m00)), m01(_mm256_set1_ps(m.m01)), m02(_mm256_set1_ps(m.m02)),
          m10(_mm256_set1_ps(m.m10)), m11(_mm256_set1_ps(m.m11)), m12(_mm256_set1_ps(m.m12)),
          m20(_mm256_set1_ps(m.m20)), m21(_mm256_set1_ps(m.m21)), m22(_mm256_set1_ps(m.m22)),
          distance(_mm256_set1_ps(camera_distance)), focal(_mm256_set1_ps(focal_scale)),
          right(_mm256_set1_ps(half_width)), left(_mm256_set1_ps(-half_width)),
          top(_mm256_set1_ps(half_height)), bottom(_mm256_set1_ps(-half_height)),
          centre(_mm256_set1_epi32(int(centre_offset))), pitch(_mm256_set1_epi32(pitch_bytes)) {}
};

// Projects records p[0..7]: their byte offsets and pixel words, and an all-ones lane for each
// point inside the window (offsets of the others are meaningless).
VOXEL_AVX2 inline __m256i project8(const lanes8 &c, const float *p, __m256i &offset,
                                   __m256i &pixel) {
    // Records as [r0|r4], [r1|r5], [r2|r6], [r3|r7], then transposed within 128-bit lanes.
    const __m256 r0 =
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p)), _mm_loadu_ps(p + 16), 1);
    const __m256 r1 =
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p + 4)), _mm_loadu_ps(p + 20), 1);
    const __m256 r2 =
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p + 8)), _mm_loadu_ps(p + 24), 1);
    const __m256 r3 =
        _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(p + 12)), _mm_loadu_ps(p + 28), 1);
    const __m256 t0 = _mm256_unpacklo_ps(r0, r1), t1 = _mm256_unpackhi_ps(r0, r1);
    const __m256 t2 = _mm256_unpacklo_ps(r2, r3), t3 = _mm256_unpackhi_ps(r2, r3);
    const __m256 x = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 y = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 z = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 colour = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));

    const __m256 x_end = _mm256_add_ps(
        _mm256_add_ps(_mm256_mul_ps(c.m00, x), _mm256_mul_ps(c.m01, y)), _mm256_mul_ps(c.m02, z));
    const __m256 y_end = _mm256_add_ps(
        _mm256_add_ps(_mm256_mul_ps(c.m10, x), _mm256_mul_ps(c.m11, y)), _mm256_mul_ps(c.m12, z));
    const __m256 z_end = _mm256_add_ps(
        _mm256_add_ps(_mm256_mul_ps(c.m20, x), _mm256_mul_ps(c.m21, y)), _mm256_mul_ps(c.m22, z));
    const __m256 d = _mm256_add_ps(z_end, c.distance);
    const __m256 px = _mm256_div_ps(_mm256_mul_ps(x_end, c.focal), d);
    const __m256 py = _mm256_div_ps(_mm256_mul_ps(y_end, c.focal), d);

    const __m256 in_window = _mm256_and_ps(_mm256_and_ps(_mm256_cmp_ps(px, c.right, _CMP_LE_OQ),
                                                         _mm256_cmp_ps(px, c.left, _CMP_GE_OQ)),
                                           _mm256_and_ps(_mm256_cmp_ps(py, c.top, _CMP_LE_OQ),
                                                         _mm256_cmp_ps(py, c.bottom, _CMP_GE_OQ)));
    const __m256i X = _mm256_cvttps_epi32(px), Y = _mm256_cvttps_epi32(py);
    offset = _mm256_sub_epi32(_mm256_add_epi32(c.centre, _mm256_slli_epi32(X, 2)),
                              _mm256_mullo_epi32(Y, c.pitch));
    pixel = _mm256_cvttps_epi32(colour);
    return _mm256_castps_si256(in_window);
}

// Stores the lanes set in `mask`, lowest first: record order decides a shared pixel's colour.
VOXEL_AVX2 inline void store8(unsigned char *pixels, unsigned mask, __m256i offset, __m256i pixel) {
    alignas(32) std::int32_t offsets[8], words[8];
    _mm256_store_si256(reinterpret_cast<__m256i *>(offsets), offset);
    _mm256_store_si256(reinterpret_cast<__m256i *>(words), pixel);
    while (mask != 0) {
        const int lane = __builtin_ctz(mask);
        std::memcpy(pixels + offsets[lane], &words[lane], sizeof(std::int32_t));
        mask &= mask - 1;
    }
}

VOXEL_AVX2 inline __m256i in_band8(__m256i offset, const pixel_target &target) {
    return _mm256_and_si256(_mm256_cmpgt_epi32(offset, _mm256_set1_epi32(target.lo - 1)),
                            _mm256_cmpgt_epi32(_mm256_set1_epi32(target.hi), offset));
}

// ---- AVX-512: sixteen records at a time ----

struct lanes16 {
    __m512 m00, m01, m02, m10, m11, m12, m20, m21, m22;
    __m512 distance, focal, right, left, top, bottom;
    __m512i centre, pitch;

    VOXEL_AVX512 lanes16(const rotation &m, int pitch_bytes)
        : m00(_mm512_set1_ps(m.m00)), m01(_mm512_set1_ps(m.m01)), m02(_mm512_set1_ps(m.m02)),
          m10(_mm512_set1_ps(m.m10)), m11(_mm512_set1_ps(m.m11)), m12(_mm512_set1_ps(m.m12)),
          m20(_mm512_set1_ps(m.m20)), m21(_mm512_set1_ps(m.m21)), m22(_mm512_set1_ps(m.m22)),
          distance(_mm512_set1_ps(camera_distance)), focal(_mm512_set1_ps(focal_scale)),
          right(_mm512_set1_ps(half_width)), left(_mm512_set1_ps(-half_width)),
          top(_mm512_set1_ps(half_height)), bottom(_mm512_set1_ps(-half_height)),
          centre(_mm512_set1_epi32(int(centre_offset))), pitch(_mm512_set1_epi32(pitch_bytes)) {}
};

VOXEL_AVX512 inline __mmask16 project16(const lanes16 &c, const float *p, __m512i &offset,
                                        __m512i &pixel) {
    // Four registers of four records: pick x,y and z,colour from each pair, then join halves.
    const __m512i pick_xy =
        _mm512_setr_epi32(0, 4, 8, 12, 16, 20, 24, 28, 1, 5, 9, 13, 17, 21, 25, 29);
    const __m512i pick_zc =
        _mm512_setr_epi32(2, 6, 10, 14, 18, 22, 26, 30, 3, 7, 11, 15, 19, 23, 27, 31);
    const __m512i low_halves =
        _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 19, 20, 21, 22, 23);
    const __m512i high_halves =
        _mm512_setr_epi32(8, 9, 10, 11, 12, 13, 14, 15, 24, 25, 26, 27, 28, 29, 30, 31);
    const __m512 a = _mm512_loadu_ps(p), b = _mm512_loadu_ps(p + 16);
    const __m512 e = _mm512_loadu_ps(p + 32), f = _mm512_loadu_ps(p + 48);
    const __m512 ab_xy = _mm512_permutex2var_ps(a, pick_xy, b);
    const __m512 ef_xy = _mm512_permutex2var_ps(e, pick_xy, f);
    const __m512 ab_zc = _mm512_permutex2var_ps(a, pick_zc, b);
    const __m512 ef_zc = _mm512_permutex2var_ps(e, pick_zc, f);
    const __m512 x = _mm512_permutex2var_ps(ab_xy, low_halves, ef_xy);
    const __m512 y = _mm512_permutex2var_ps(ab_xy, high_halves, ef_xy);
    const __m512 z = _mm512_permutex2var_ps(ab_zc, low_halves, ef_zc);
    const __m512 colour = _mm512_permutex2var_ps(ab_zc, high_halves, ef_zc);

    const __m512 x_end = _mm512_add_ps(
        _mm512_add_ps(_mm512_mul_ps(c.m00, x), _mm512_mul_ps(c.m01, y)), _mm512_mul_ps(c.m02, z));
    const __m512 y_end = _mm512_add_ps(
        _mm512_add_ps(_mm512_mul_ps(c.m10, x), _mm512_mul_ps(c.m11, y)), _mm512_mul_ps(c.m12, z));
    const __m512 z_end = _mm512_add_ps(
        _mm512_add_ps(_mm512_mul_ps(c.m20, x), _mm512_mul_ps(c.m21, y)), _mm512_mul_ps(c.m22, z));
    const __m512 d = _mm512_add_ps(z_end, c.distance);
    const __m512 px = _mm512_div_ps(_mm512_mul_ps(x_end, c.focal), d);
    const __m512 py = _mm512_div_ps(_mm512_mul_ps(y_end, c.focal), d);

    __mmask16 k = _mm512_cmp_ps_mask(px, c.right, _CMP_LE_OQ);
    k = _mm512_mask_cmp_ps_mask(k, px, c.left, _CMP_GE_OQ);
    k = _mm512_mask_cmp_ps_mask(k, py, c.top, _CMP_LE_OQ);
    k = _mm512_mask_cmp_ps_mask(k, py, c.bottom, _CMP_GE_OQ);
    const __m512i X = _mm512_cvttps_epi32(px), Y = _mm512_cvttps_epi32(py);
    offset = _mm512_sub_epi32(_mm512_add_epi32(c.centre, _mm512_slli_epi32(X, 2)),
                              _mm512_mullo_epi32(Y, c.pitch));
    pixel = _mm512_cvttps_epi32(colour);
    return k;
}

VOXEL_AVX512 inline __mmask16 in_band16(__mmask16 k, __m512i offset, const pixel_target &target) {
    k = _mm512_mask_cmp_epi32_mask(k, offset, _mm512_set1_epi32(target.lo), _MM_CMPINT_NLT);
    return _mm512_mask_cmp_epi32_mask(k, offset, _mm512_set1_epi32(target.hi), _MM_CMPINT_LT);
}

// Overlapping lanes of a scatter are written lowest lane first, so the later record wins exactly
// as in sequential drawing.
VOXEL_AVX512 inline void store16(unsigned char *pixels, __mmask16 k, __m512i offset,
                                 __m512i pixel) {
    _mm512_mask_i32scatter_epi32(pixels, k, offset, pixel, 1);
}

} // namespace

VOXEL_AVX2 void draw_points_avx2(const rotation &m, const float *object, int begin, int end,
                                 const pixel_target &target) {
    const lanes8 c(m, target.pitch);
    int i = begin;
    for (; i + 8 <= end; i += 8) {
        __m256i offset, pixel;
        const __m256i visible = project8(c, object + 4L * i, offset, pixel);
        if (_mm256_testz_si256(visible, visible)) {
            continue;
        }
        const __m256i keep = _mm256_and_si256(visible, in_band8(offset, target));
        store8(target.pixels, unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(keep))), offset,
               pixel);
    }
    draw_points_scalar(m, object, i, end, target);
}

VOXEL_AVX2 void project_points_avx2(const rotation &m, const float *object, int begin, int end,
                                    int pitch, const projected_points &out) {
    const lanes8 c(m, pitch);
    const pixel_target whole{nullptr, pitch, 1, int(pixel_memory_limit)};
    int i = begin;
    for (; i + 8 <= end; i += 8) {
        __m256i offset, pixel;
        const __m256i visible = project8(c, object + 4L * i, offset, pixel);
        const __m256i keep = _mm256_and_si256(visible, in_band8(offset, whole));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out.offsets + i),
                            _mm256_and_si256(keep, offset));
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(out.pixels + i),
                            _mm256_and_si256(keep, pixel));
    }
    project_points_scalar(m, object, i, end, pitch, out);
}

VOXEL_AVX2 void store_points_avx2(const projected_points &in, int begin, int end,
                                  const pixel_target &target) {
    int i = begin;
    for (; i + 8 <= end; i += 8) {
        const __m256i offset =
            _mm256_loadu_si256(reinterpret_cast<const __m256i *>(in.offsets + i));
        const unsigned mask =
            unsigned(_mm256_movemask_ps(_mm256_castsi256_ps(in_band8(offset, target))));
        if (mask != 0) {
            store8(target.pixels, mask, offset,
                   _mm256_loadu_si256(reinterpret_cast<const __m256i *>(in.pixels + i)));
        }
    }
    store_points_scalar(in, i, end, target);
}

VOXEL_AVX512 void draw_points_avx512(const rotation &m, const float *object, int begin, int end,
                                     const pixel_target &target) {
    const lanes16 c(m, target.pitch);
    int i = begin;
    for (; i + 16 <= end; i += 16) {
        __m512i offset, pixel;
        const __mmask16 visible = project16(c, object + 4L * i, offset, pixel);
        const __mmask16 k = in_band16(visible, offset, target);
        if (k != 0) {
            store16(target.pixels, k, offset, pixel);
        }
    }
    draw_points_scalar(m, object, i, end, target);
}

VOXEL_AVX512 void project_points_avx512(const rotation &m, const float *object, int begin, int end,
                                        int pitch, const projected_points &out) {
    const lanes16 c(m, pitch);
    const pixel_target whole{nullptr, pitch, 1, int(pixel_memory_limit)};
    int i = begin;
    for (; i + 16 <= end; i += 16) {
        __m512i offset, pixel;
        const __mmask16 visible = project16(c, object + 4L * i, offset, pixel);
        const __mmask16 k = in_band16(visible, offset, whole);
        _mm512_storeu_si512(out.offsets + i, _mm512_maskz_mov_epi32(k, offset));
        _mm512_storeu_si512(out.pixels + i, _mm512_maskz_mov_epi32(k, pixel));
    }
    project_points_scalar(m, object, i, end, pitch, out);
}

VOXEL_AVX512 void store_points_avx512(const projected_points &in, int begin, int end,
                                      const pixel_target &target) {
    int i = begin;
    for (; i + 16 <= end; i += 16) {
        const __m512i offset = _mm512_loadu_si512(in.offsets + i);
        const __mmask16 k = in_band16(0xFFFF, offset, target);
        if (k != 0) {
            store16(target.pixels, k, offset, _mm512_loadu_si512(in.pixels + i));
        }
    }
    store_points_scalar(in, i, end, target);
}

#endif
