#include "options.hpp"

#include <cerrno>
#include <cstdlib>
#include <string_view>

namespace {

// A positive whole number that fits in a long, nothing else: no sign, no spaces, no suffix.
std::optional<long> parse_positive(std::string_view text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    errno = 0;
    const std::string s(text);
    char *end = nullptr;
    const long value = std::strtol(s.c_str(), &end, 10);
    if (errno == ERANGE || value <= 0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

std::string usage_text() {
    return "usage: voxel-demo [options]\n"
           "  --frames N         stop after N frames\n"
           "  --headless         draw without a window (SDL's dummy video driver)\n"
           "  --screenshot FILE  when stopping, write the last frame drawn as a PNG\n"
           "  --help             show this text\n"
           "keys: Escape or closing the window quits\n";
}

parse_result parse_options(int argc, char **argv) {
    parse_result result;
    options &o = result.opts;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool has_value = i + 1 < argc;
        auto fail = [&](std::string message) {
            result.error = std::move(message);
            return result;
        };
        if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--frames") {
            if (!has_value) {
                return fail("option --frames needs a value");
            }
            const auto n = parse_positive(argv[++i]);
            if (!n) {
                return fail("option --frames needs a positive whole number, not '" +
                            std::string(argv[i]) + "'");
            }
            o.frames = *n;
        } else if (arg == "--screenshot") {
            if (!has_value || std::string_view(argv[i + 1]).empty()) {
                return fail("option --screenshot needs a file name");
            }
            o.screenshot = argv[++i];
        } else {
            return fail("unknown option '" + std::string(arg) + "'");
        }
    }
    return result;
}
