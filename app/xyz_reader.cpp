// XYZ text: one point a line, "x y z" or "x y z r g b", separated by spaces, tabs or commas.
// Colours are whole numbers 0-255, or fractions 0..1 when written with a decimal point or an
// exponent and all three lie within 0..1. Blank lines and # comments are skipped; CRLF is fine.
#include "point_cloud.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <string_view>

namespace {

constexpr std::size_t max_line = 1 << 16;

std::string at_line(std::uint64_t line) {
    return "line " + std::to_string(line) + ": ";
}

bool is_separator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\r';
}

// Splits a line into at most `max` fields; returns how many there were (possibly more than max).
std::size_t split(std::string_view line, std::string_view *fields, std::size_t max) {
    std::size_t n = 0, i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_separator(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !is_separator(line[i])) {
            ++i;
        }
        if (i > start) {
            if (n < max) {
                fields[n] = line.substr(start, i - start);
            }
            ++n;
        }
    }
    return n;
}

bool parse_number(std::string_view text, double &value) {
    if (!text.empty() && text[0] == '+') {
        text.remove_prefix(1);
    }
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        value = std::numeric_limits<double>::infinity(); // left out as non-finite, not an error
        return end == text.data() + text.size();
    }
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool written_as_fraction(std::string_view text) {
    return text.find_first_of(".eE") != std::string_view::npos;
}

// The line's colour, or an error message.
std::string parse_colour(const std::string_view *fields, std::uint32_t &colour) {
    double c[3];
    bool fraction_syntax = false, all_unit = true;
    for (int k = 0; k < 3; ++k) {
        if (!parse_number(fields[k], c[k]) || !std::isfinite(c[k])) {
            return "not a colour value: '" + std::string(fields[k]) + "'";
        }
        fraction_syntax = fraction_syntax || written_as_fraction(fields[k]);
        all_unit = all_unit && c[k] >= 0.0 && c[k] <= 1.0;
    }
    auto bad = [&](int k) {
        return "colour '" + std::string(fields[k]) +
               "' is neither a whole number 0-255 nor a fraction 0..1";
    };
    for (int k = 0; k < 3; ++k) {
        if (c[k] < 0.0 || c[k] > 255.0) {
            return bad(k);
        }
    }
    std::uint32_t rgb[3];
    for (int k = 0; k < 3; ++k) {
        if (fraction_syntax && all_unit) {
            rgb[k] = std::uint32_t(std::lround(c[k] * 255.0));
        } else if (c[k] == std::floor(c[k])) {
            rgb[k] = std::uint32_t(c[k]);
        } else {
            return bad(k);
        }
    }
    colour = pack_colour(rgb[0], rgb[1], rgb[2]);
    return {};
}

} // namespace

cloud_result read_xyz(byte_source &in) {
    cloud_result result;
    std::string line;
    std::uint64_t number = 0;
    for (bool more = true; more;) {
        line.clear();
        int c = in.get();
        if (c < 0) {
            break;
        }
        ++number;
        for (; c >= 0 && c != '\n'; c = in.get()) {
            if (line.size() == max_line) {
                result.error = at_line(number) + "line longer than 65536 characters";
                return result;
            }
            if (c == 0) {
                result.error = at_line(number) + "a NUL byte: not a text file";
                return result;
            }
            line.push_back(char(c));
        }
        more = c >= 0;
        std::string_view text = line;
        text = text.substr(0, text.find('#'));
        std::string_view fields[6];
        const std::size_t n = split(text, fields, 6);
        if (n == 0) {
            continue;
        }
        if (n != 3 && n != 6) {
            result.error = at_line(number) +
                           "expected 3 numbers (x y z) or 6 (x y z r g b), found " +
                           std::to_string(n) + " fields";
            return result;
        }
        double xyz[3];
        for (int k = 0; k < 3; ++k) {
            if (!parse_number(fields[k], xyz[k])) {
                result.error = at_line(number) + "not a number: '" + std::string(fields[k]) + "'";
                return result;
            }
        }
        std::uint32_t colour = 255;
        if (n == 6) {
            if (auto error = parse_colour(fields + 3, colour); !error.empty()) {
                result.error = at_line(number) + error;
                return result;
            }
        }
        if (result.cloud.size() >= max_cloud_points) {
            result.error =
                at_line(number) + "more than " + std::to_string(max_cloud_points) + " points";
            return result;
        }
        result.cloud.add(xyz[0], xyz[1], xyz[2], colour);
    }
    return result;
}
