#include "options.hpp"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

// A positive whole number that fits in a long, nothing else: no sign, no spaces, no suffix.
std::optional<long> parse_positive(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    errno = 0;
    const std::string s(text);
    const long value = std::strtol(s.c_str(), nullptr, 10);
    if (errno == ERANGE || value <= 0) {
        return std::nullopt;
    }
    return value;
}

// A whole number in [1, max], or the problem with it.
std::string parse_bounded(std::string_view option, std::string_view text, long max, int &out) {
    const auto n = parse_positive(text);
    if (!n || *n > max) {
        return "option " + std::string(option) + " needs a whole number from 1 to " +
               std::to_string(max) + ", not '" + std::string(text) + "'";
    }
    out = int(*n);
    return {};
}

std::optional<scene_object> object_named(std::string_view name) {
    if (name == "cube") {
        return scene_object::cube;
    }
    if (name == "axes") {
        return scene_object::axes;
    }
    if (name == "model") {
        return scene_object::model;
    }
    return std::nullopt;
}

// Each handler returns an empty string or the problem with its value.
using handler = std::string (*)(options &, std::string_view value);

// A flag: sets one field of the options.
template <auto member, bool value> std::string set_flag(options &o, std::string_view) {
    o.*member = value;
    return {};
}

struct option_entry {
    std::string_view name;
    std::string_view value_name; // empty: a flag
    std::string_view help;
    handler apply;
};

const option_entry option_table[] = {
    {"--frames", "N", "stop after N frames",
     [](options &o, std::string_view v) -> std::string {
         const auto n = parse_positive(v);
         if (!n) {
             return "option --frames needs a positive whole number, not '" + std::string(v) + "'";
         }
         o.frames = *n;
         return {};
     }},
    {"--headless", "", "draw without a window (SDL's dummy video driver)",
     set_flag<&options::headless, true>},
    {"--screenshot", "FILE", "when stopping, write the last frame drawn as a PNG",
     [](options &o, std::string_view v) -> std::string {
         if (v.empty()) {
             return "option --screenshot needs a file name";
         }
         o.screenshot = v;
         return {};
     }},
    {"--object", "LIST", "what to draw, in order: cube, axes, model (default cube)",
     [](options &o, std::string_view v) -> std::string {
         o.objects.clear();
         for (std::size_t start = 0;;) {
             const std::size_t comma = v.find(',', start);
             const std::string_view name = v.substr(start, comma - start);
             const auto object = object_named(name);
             if (!object) {
                 return name.empty()
                            ? "option --object has an empty name in '" + std::string(v) + "'"
                            : "option --object: unknown object '" + std::string(name) +
                                  "' (choose from cube, axes, model)";
             }
             o.objects.push_back(*object);
             if (comma == std::string_view::npos) {
                 return {};
             }
             start = comma + 1;
         }
     }},
    {"--load", "FILE", "draw the point cloud in FILE (PLY or XYZ) in place of the cube",
     [](options &o, std::string_view v) -> std::string {
         if (v.empty()) {
             return "option --load needs a file name";
         }
         o.load = v;
         return {};
     }},
    {"--no-fit", "", "keep the loaded cloud's own coordinates", set_flag<&options::fit, false>},
    {"--threads", "N", "threads drawing each frame (default: one per core)",
     [](options &o, std::string_view v) {
         return parse_bounded("--threads", v, max_threads, o.threads);
     }},
    {"--cube-size", "N", "half-extent of the cube: (2N)^3 points (default 25)",
     [](options &o, std::string_view v) {
         return parse_bounded("--cube-size", v, max_cube_size, o.cube_size);
     }},
    {"--simd", "LEVEL", "drawing kernel: scalar, avx2 or avx512 (default: the widest available)",
     [](options &o, std::string_view v) -> std::string {
         o.simd = simd_level_named(v);
         if (!o.simd) {
             return "option --simd: unknown level '" + std::string(v) +
                    "' (choose from scalar, avx2, avx512)";
         }
         return {};
     }},
    {"--plain", "", "draw with the plain per-point loop, the slow reference",
     set_flag<&options::plain, true>},
    {"--benchmark", "", "at exit, print frame-time statistics on stderr",
     set_flag<&options::benchmark, true>},
    {"--help", "", "show this text", set_flag<&options::help, true>},
};

} // namespace

std::string usage_text() {
    std::string text = "usage: voxel-demo [options]\n";
    for (const option_entry &entry : option_table) {
        std::string left("  ");
        left.append(entry.name);
        if (!entry.value_name.empty()) {
            left.append(" ").append(entry.value_name);
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
        text.append(left).append(entry.help).append("\n");
    }
    text +=
        "keys in the window: 1 cube, 2 axes, 3 model (show or hide), space pause, Escape quit\n";
    return text;
}

parse_result parse_options(int argc, char **argv) {
    parse_result result;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const option_entry *entry = nullptr;
        for (const option_entry &candidate : option_table) {
            if (candidate.name == arg) {
                entry = &candidate;
            }
        }
        if (entry == nullptr) {
            result.error = "unknown option '" + std::string(arg) + "'";
            return result;
        }
        std::string_view value;
        if (!entry->value_name.empty()) {
            if (i + 1 >= argc) {
                result.error = "option " + std::string(arg) + " needs a value";
                return result;
            }
            value = argv[++i];
        }
        result.error = entry->apply(result.opts, value);
        if (!result.error.empty()) {
            return result;
        }
    }
    return result;
}
