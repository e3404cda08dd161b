// An independent model of the projection, in double precision and built from the three rotation
// matrices rather than from the renderer's coefficient table. It predicts where each point lands,
// and says when a point lies so close to a pixel or guard boundary that rounding could decide.
#pragma once

#include <array>
#include <cmath>
#include <optional>

struct predicted_pixel {
    int column = 0;
    int row = 0;
    bool certain = true; // false: within rounding distance of a boundary
};

inline std::optional<predicted_pixel> predict_pixel(double x, double y, double z, double deg_x,
                                                    double deg_y, double deg_z) {
    const double k = 0.017453292;
    const double a = deg_x * k, b = -deg_y * k, c = deg_z * k;
    using mat = std::array<std::array<double, 3>, 3>;
    const mat rx{{{1, 0, 0}, {0, std::cos(a), -std::sin(a)}, {0, std::sin(a), std::cos(a)}}};
    const mat ry{{{std::cos(b), 0, std::sin(b)}, {0, 1, 0}, {-std::sin(b), 0, std::cos(b)}}};
    const mat rz{{{std::cos(c), -std::sin(c), 0}, {std::sin(c), std::cos(c), 0}, {0, 0, 1}}};
    auto apply = [](const mat &m, std::array<double, 3> v) {
        return std::array<double, 3>{m[0][0] * v[0] + m[0][1] * v[1] + m[0][2] * v[2],
                                     m[1][0] * v[0] + m[1][1] * v[1] + m[1][2] * v[2],
                                     m[2][0] * v[0] + m[2][1] * v[1] + m[2][2] * v[2]};
    };
    // The renderer's matrix, read as turning the point about z, then y by -b, then x.
    const auto p = apply(rx, apply(ry, apply(rz, {x, y, z})));
    const double d = p[2] + 2000.0;
    const double px = p[0] * 800.0 / d;
    const double py = p[1] * 800.0 / d;
    // Single-precision rounding of the inputs and steps puts the float result within a few
    // parts in 10^6 of this value; keep a generous margin.
    const double eps = 1e-4 * (1.0 + std::fabs(px) + std::fabs(py));
    predicted_pixel out;
    auto near_integer = [eps](double v) { return std::fabs(v - std::round(v)) < eps; };
    if (!std::isfinite(px) || !std::isfinite(py)) {
        return std::nullopt;
    }
    if (std::fabs(px) > 400 + eps || std::fabs(py) > 300 + eps) {
        return std::nullopt;
    }
    out.certain = !near_integer(px) && !near_integer(py) && std::fabs(px) < 400 - eps &&
                  std::fabs(py) < 300 - eps;
    const long offset = 958396L + 4L * long(std::trunc(px)) - 3200L * long(std::trunc(py));
    if (offset <= 0 || offset >= 1920000) {
        return std::nullopt;
    }
    out.column = int(offset % 3200) / 4;
    out.row = int(offset / 3200);
    return out;
}
