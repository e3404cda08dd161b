// The fixed perspective shared by every drawing path. Keeping the constants and the derivation of
// the rotation in one place is what lets the fast paths write exactly the pixels of `put_pixel`.
#pragma once

#include <cmath>

inline constexpr double degree_factor = 0.017453292; // not quite pi/180, and that is intended
inline constexpr float focal_scale = 800.0f;
inline constexpr float camera_distance = 2000.0f;
inline constexpr float half_width = 400.0f;
inline constexpr float half_height = 300.0f;
// Byte offset of column 399, row 299 on a 3200-byte pitch: where the scene origin lands. It stays
// this value whatever the surface's pitch; only the row step follows the pitch.
inline constexpr long centre_offset = 299L * 3200 + 399L * 4;
inline constexpr long pixel_memory_limit = 800L * 600 * 4;

// The rotation Rx(a) . Ry(-b) . Rz(c) as single-precision coefficients, row by row.
struct rotation {
    float m00, m01, m02;
    float m10, m11, m12;
    float m20, m21, m22;
};

inline rotation rotation_from_angles(float angle_x, float angle_y, float angle_z) {
    // Radians are formed in double precision, sine and cosine in double, then rounded to float.
    const float cx = static_cast<float>(std::cos(angle_x * degree_factor));
    const float sx = static_cast<float>(std::sin(angle_x * degree_factor));
    const float cy = static_cast<float>(std::cos(angle_y * degree_factor));
    const float sy = static_cast<float>(std::sin(angle_y * degree_factor));
    const float cz = static_cast<float>(std::cos(angle_z * degree_factor));
    const float sz = static_cast<float>(std::sin(angle_z * degree_factor));
    return {
        cy * cz,
        -cy * sz,
        -sy,
        cx * sz - sx * sy * cz,
        cx * cz + sx * sy * sz,
        -sx * cy,
        sx * sz + cx * sy * cz,
        sx * cz - cx * sy * sz,
        cx * cy,
    };
}

// A point rotated and divided by its depth. Every drawing path performs these single-precision
// operations in this order; the vector kernels repeat them lane by lane.
struct projected {
    float px, py;
};

inline projected project(const rotation &m, float x, float y, float z) {
    const float x_end = m.m00 * x + m.m01 * y + m.m02 * z;
    const float y_end = m.m10 * x + m.m11 * y + m.m12 * z;
    const float z_end = m.m20 * x + m.m21 * y + m.m22 * z;
    const float d = z_end + camera_distance;
    return {x_end * focal_scale / d, y_end * focal_scale / d};
}

// The window test on the values before truncation. A comparison with NaN fails, so a point
// divided by zero depth is rejected here, before the conversion to int that would be undefined.
inline bool inside_window(projected p) {
    return p.px <= half_width && p.px >= -half_width && p.py <= half_height && p.py >= -half_height;
}

// The pixel-memory guard: above the first word, below 800 x 600 x 4 bytes.
inline bool inside_pixel_memory(long offset) {
    return offset > 0 && offset < pixel_memory_limit;
}

// Byte offset of the pixel for truncated projected coordinates (X, Y): y grows upward.
inline long pixel_offset(int X, int Y, long pitch) {
    return centre_offset + 4L * X - pitch * Y;
}
