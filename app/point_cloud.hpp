// Point clouds from files: PLY (ascii, binary little- and big-endian) and XYZ text, turned into
// voxel records (x, y, z, colour 0x00RRGGBB as a float; blue where the file has no colour).
#pragma once

#include "byte_source.hpp"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// The most points a cloud may have: 4 GiB of records.
inline constexpr std::uint64_t max_cloud_points = std::uint64_t(1) << 28;

struct point_cloud {
    std::vector<float> records;   // voxel records, back to back
    std::uint64_t non_finite = 0; // points left out for a coordinate that is NaN or infinite

    std::size_t size() const { return records.size() / 4; }
    void add(double x, double y, double z, std::uint32_t colour) {
        const float fx = float(x), fy = float(y), fz = float(z);
        if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz)) {
            ++non_finite;
            return;
        }
        records.push_back(fx);
        records.push_back(fy);
        records.push_back(fz);
        records.push_back(float(colour));
    }
};

// A reader's outcome: the cloud, or one line saying where and what went wrong ("line 7: ..." or
// "byte 1234: ...").
struct cloud_result {
    point_cloud cloud;
    std::string error;
};

// `size` is the whole input's length, used to refuse counts the input cannot hold before
// allocating for them.
cloud_result read_ply(byte_source &in, std::uint64_t size);
cloud_result read_xyz(byte_source &in);

// Opens `path`, tells the format from the content and reads it. Errors name the file.
cloud_result load_point_cloud(const std::string &path);

// Centres the cloud on its bounding box and scales it (with `scale_object`) so that its largest
// half-extent is `half_extent` scene units.
void fit_cloud(point_cloud &cloud, float half_extent);

inline std::uint32_t pack_colour(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r << 16 | g << 8 | b;
}
