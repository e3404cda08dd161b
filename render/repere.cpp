#include "voxel.hpp"

namespace {

// One axis: a line of points one unit apart, from `first` up to the record that fills `end`.
int make_axis(float *repere, int indice, int end, int axis, float first, float colour) {
    for (float t = first; indice < end; t += 1.0f) {
        repere[indice + 0] = axis == 0 ? t : 0.0f;
        repere[indice + 1] = axis == 1 ? t : 0.0f;
        repere[indice + 2] = axis == 2 ? t : 0.0f;
        repere[indice + 3] = colour;
        indice += voxel_floats;
    }
    return indice;
}

} // namespace

void make_repere(float *repere) {
    int indice = 0;
    indice = make_axis(repere, indice, 3200, 0, -400.0f, colour_white);
    indice = make_axis(repere, indice, 5600, 1, -300.0f, colour_green);
    make_axis(repere, indice, 8800, 2, -400.0f, colour_red);
}
