#include "projection.hpp"
#include "voxel.hpp"

#include <cstring>

SDL_Surface *screen = nullptr;
float rotation_x = 0.0f;
float rotation_y = 0.0f;
float rotation_z = 0.0f;

// The plain per-point path: it derives the rotation from the angles on every call, exactly as the
// reference renderer does. `put_object` gets the same pixels faster by deriving it once per draw.
void put_pixel(float x, float y, float z, int pixel) {
    const rotation m = rotation_from_angles(rotation_x, rotation_y, rotation_z);
    const float x_end = m.m00 * x + m.m01 * y + m.m02 * z;
    const float y_end = m.m10 * x + m.m11 * y + m.m12 * z;
    const float z_end = m.m20 * x + m.m21 * y + m.m22 * z;
    const float d = z_end + camera_distance;
    const float px = x_end * focal_scale / d;
    const float py = y_end * focal_scale / d;
    // Comparisons with NaN fail, so a point divided by zero depth is rejected here, before the
    // conversion to int that would be undefined for it.
    if (!(px <= half_width && px >= -half_width && py <= half_height && py >= -half_height)) {
        return;
    }
    const long offset = pixel_offset(static_cast<int>(px), static_cast<int>(py), screen->pitch);
    if (offset > 0 && offset < pixel_memory_limit) {
        std::memcpy(static_cast<unsigned char *>(screen->pixels) + offset, &pixel, sizeof pixel);
    }
}

void reset_phi() {
    // Set to zero, not reduced by 360: the animation only ever steps by one degree.
    if (rotation_x >= 360.0f) {
        rotation_x = 0.0f;
    }
    if (rotation_y >= 360.0f) {
        rotation_y = 0.0f;
    }
    if (rotation_z >= 360.0f) {
        rotation_z = 0.0f;
    }
}
