// Writes a coloured point cloud for trying --load: a tube around a trefoil knot, its colour
// running around the spectrum along the knot.
//
//   build/make_cloud POINTS FORMAT > FILE     FORMAT: xyz, ply-ascii, ply-le or ply-be
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

struct point {
    float x, y, z;
    std::uint8_t r, g, b;
};

point knot_point(std::uint64_t i, std::uint64_t n) {
    const double golden = 0.6180339887498949; // spreads the points evenly around the tube
    const double t = 2.0 * M_PI * double(i) / double(n);
    const double a = 2.0 * M_PI * std::fmod(double(i) * golden, 1.0);
    // The trefoil's centre line and a frame around it, good enough for a tube.
    const double cx = std::sin(t) + 2 * std::sin(2 * t);
    const double cy = std::cos(t) - 2 * std::cos(2 * t);
    const double cz = -std::sin(3 * t);
    const double radius = 0.35;
    const double nx = std::cos(t), ny = std::sin(t);
    point p;
    p.x = float(100 * (cx + radius * std::cos(a) * nx));
    p.y = float(100 * (cy + radius * std::cos(a) * ny));
    p.z = float(100 * (cz + radius * std::sin(a)));
    const double hue = 3.0 * t / (2.0 * M_PI);
    auto wave = [&](double phase) {
        return std::uint8_t(127.5 + 127.5 * std::cos(2 * M_PI * (hue - phase)));
    };
    p.r = wave(0.0);
    p.g = wave(1.0 / 3);
    p.b = wave(2.0 / 3);
    return p;
}

template <class T> void put_binary(T value, bool big_endian) {
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    if (big_endian != (std::endian::native == std::endian::big)) {
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i) {
            std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
        }
    }
    std::fwrite(bytes, 1, sizeof(T), stdout);
}

} // namespace

int main(int argc, char **argv) {
    const std::string_view format = argc == 3 ? argv[2] : "";
    const bool known = format == "xyz" || format == "ply-ascii" || format == "ply-le" ||
                       format == "ply-be";
    char *end = nullptr;
    const unsigned long long n = argc == 3 ? std::strtoull(argv[1], &end, 10) : 0;
    if (!known || n == 0 || *end != '\0') {
        std::fprintf(stderr, "usage: make_cloud POINTS xyz|ply-ascii|ply-le|ply-be > FILE\n");
        return 2;
    }
    if (format != "xyz") {
        const char *kind = format == "ply-ascii" ? "ascii"
                           : format == "ply-le"  ? "binary_little_endian"
                                                 : "binary_big_endian";
        std::printf("ply\nformat %s 1.0\ncomment a trefoil knot made by make_cloud\n"
                    "element vertex %llu\nproperty float x\nproperty float y\nproperty float z\n"
                    "property uchar red\nproperty uchar green\nproperty uchar blue\nend_header\n",
                    kind, n);
    }
    for (unsigned long long i = 0; i < n; ++i) {
        const point p = knot_point(i, n);
        if (format == "xyz" || format == "ply-ascii") {
            std::printf("%.9g %.9g %.9g %u %u %u\n", double(p.x), double(p.y), double(p.z), p.r,
                        p.g, p.b);
        } else {
            const bool big = format == "ply-be";
            put_binary(p.x, big);
            put_binary(p.y, big);
            put_binary(p.z, big);
            put_binary(p.r, big);
            put_binary(p.g, big);
            put_binary(p.b, big);
        }
    }
    return std::ferror(stdout) ? 1 : 0;
}
