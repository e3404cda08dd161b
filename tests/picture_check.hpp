// Compares a picture with what the reference projection predicts for a run of voxel records.
#pragma once

#include "program.hpp"
#include "reference_projection.hpp"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

struct point_record {
    double x, y, z;
    std::uint32_t colour;
};

struct picture_diff {
    int certain_pixels = 0; // pixels whose colour the prediction fixes
    int mismatches = 0;     // pixels whose colour no drawing order of the records could give
};

// Drawing in record order: a point that certainly lands on a pixel decides its colour; a point
// near a boundary may land on any neighbour, or leave the colour as it was.
inline picture_diff compare_with_prediction(const rgb_image &image,
                                            const std::vector<point_record> &records, double deg_x,
                                            double deg_y, double deg_z) {
    std::map<int, std::set<std::uint32_t>> possible; // pixels not listed can only be black
    std::map<int, bool> certain;
    for (const point_record &r : records) {
        const auto p = predict_pixel(r.x, r.y, r.z, deg_x, deg_y, deg_z);
        if (!p) {
            continue;
        }
        const int key = p->row * 800 + p->column;
        if (p->certain) {
            possible[key] = {r.colour};
            certain[key] = true;
            continue;
        }
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                const int row = p->row + dr, column = p->column + dc;
                if (row < 0 || row >= 600 || column < 0 || column >= 800) {
                    continue;
                }
                const int k = row * 800 + column;
                auto &colours = possible[k];
                if (colours.empty()) {
                    colours.insert(0u);
                }
                colours.insert(r.colour);
                certain[k] = false;
            }
        }
    }
    picture_diff diff;
    for (int row = 0; row < 600; ++row) {
        for (int column = 0; column < 800; ++column) {
            const int key = row * 800 + column;
            const auto found = possible.find(key);
            const std::uint32_t got = image.at(column, row);
            const bool ok = found == possible.end() ? got == 0u : found->second.count(got) > 0;
            diff.mismatches += !ok;
            diff.certain_pixels += found != possible.end() && certain[key];
        }
    }
    return diff;
}
