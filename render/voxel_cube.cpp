#include "voxel.hpp"

void make_voxel_cube(float *cube, float size) {
    const float cote_voxel_cube = size;
    int indice = 0;
    // Each loop counts down while it stays above -size: for a whole size that is 2*size values,
    // from size down to -size + 1, so the grid sits one step off centre.
    for (float x = cote_voxel_cube; x > -cote_voxel_cube; x -= 1.0f) {
        for (float y = cote_voxel_cube; y > -cote_voxel_cube; y -= 1.0f) {
            for (float z = cote_voxel_cube; z > -cote_voxel_cube; z -= 1.0f) {
                cube[indice + 0] = x * 20.0f;
                cube[indice + 1] = y * 20.0f;
                cube[indice + 2] = z * 20.0f;
                cube[indice + 3] = colour_blue;
                indice += voxel_floats;
            }
        }
    }
}
