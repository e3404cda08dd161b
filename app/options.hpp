// Command-line options. With none given the program is the plain endless demo.
#pragma once

#include <string>
#include <vector>

// The point objects the frame loop can draw.
enum class scene_object { cube, axes, model };

struct options {
    long frames = 0; // 0: run until the window is closed
    bool headless = false;
    std::string screenshot; // empty: none
    std::vector<scene_object> objects{scene_object::cube};
    bool help = false;
};

struct parse_result {
    options opts;
    std::string error; // non-empty: one line naming the problem
};

parse_result parse_options(int argc, char **argv);

// The usage text printed by --help and after a usage error.
std::string usage_text();
