#include "voxel.hpp"

void put_object(const float *object, int size) {
    for (int i = 0; i < size; ++i) {
        const float *v = object + voxel_floats * i;
        put_pixel(v[0], v[1], v[2], static_cast<int>(v[3]));
    }
}
