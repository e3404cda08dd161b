// Command-line options. With none given the program is the plain endless demo.
#pragma once

#include "renderer.hpp"

#include <optional>
#include <string>
#include <vector>

// The point objects the frame loop can draw.
enum class scene_object { cube, axes, model };

struct options {
    long frames = 0; // 0: run until the window is closed
    bool headless = false;
    std::string screenshot; // empty: none
    std::vector<scene_object> objects{scene_object::cube};
    int threads = 0;                // 0: one per core
    int cube_size = 25;             // half-extent of the cube: (2 * cube_size)^3 points
    std::optional<simd_level> simd; // none: the widest the CPU has
    bool benchmark = false;         // summary line on stderr at exit
    bool plain = false;             // draw with the per-point reference loop
    std::string load;               // a point cloud file drawn in place of the cube
    bool fit = true;                // centre and scale the loaded cloud to scene size
    bool help = false;
};

inline constexpr int max_threads = 256;
inline constexpr int max_cube_size = 100; // 8,000,000 points, 128 MB of records

struct parse_result {
    options opts;
    std::string error; // non-empty: one line naming the problem
};

parse_result parse_options(int argc, char **argv);

// The usage text printed by --help and after a usage error.
std::string usage_text();
