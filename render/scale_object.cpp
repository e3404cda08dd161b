#include "voxel.hpp"

void scale_object(float *object, int size_object, float size_scale) {
    for (int i = 0; i < size_object; ++i) {
        float *v = object + voxel_floats * i;
        v[0] *= size_scale;
        v[1] *= size_scale;
        v[2] *= size_scale;
    }
}
