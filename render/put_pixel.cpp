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
    const projected p = project(rotation_from_angles(rotation_x, rotation_y, rotation_z), x, y, z);
    if (!inside_window(p)) {
        return;
    }
    const long offset = pixel_offset(static_cast<int>(p.px), static_cast<int>(p.py), screen->pitch);
    if (inside_pixel_memory(offset)) {
        std::memcpy(static_cast<unsigned char *>(screen->pixels) + offset, &pixel, sizeof pixel);
    }
}

void put_object_plain(const float *object, int size) {
    for (int i = 0; i < size; ++i) {
        const float *v = object + voxel_floats * i;
        put_pixel(v[0], v[1], v[2], static_cast<int>(v[3]));
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
