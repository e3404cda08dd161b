#include "point_cloud.hpp"
#include "voxel.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

namespace {

struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

enum class cloud_format { ply, xyz, unknown };

// The format from the first bytes: PLY's magic line, else text that could be XYZ.
cloud_format sniff(const unsigned char *head, std::size_t n) {
    const std::string_view start(reinterpret_cast<const char *>(head), n);
    if (start.starts_with("ply\n") || start.starts_with("ply\r\n")) {
        return cloud_format::ply;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char c = head[i];
        if (c < 0x20 && c != '\n' && c != '\r' && c != '\t') {
            return cloud_format::unknown;
        }
    }
    return cloud_format::xyz;
}

} // namespace

cloud_result load_point_cloud(const std::string &path) {
    cloud_result result;
    const std::unique_ptr<std::FILE, file_closer> file(std::fopen(path.c_str(), "rb"));
    struct stat info {};
    if (!file || fstat(fileno(file.get()), &info) != 0) {
        result.error = path + ": " + std::strerror(errno);
        return result;
    }
    if (!S_ISREG(info.st_mode)) {
        result.error = path + ": not a regular file";
        return result;
    }
    unsigned char head[512];
    const std::size_t n = std::fread(head, 1, sizeof head, file.get());
    std::rewind(file.get());
    byte_source in(file.get());
    switch (sniff(head, n)) {
    case cloud_format::ply:
        result = read_ply(in, std::uint64_t(info.st_size));
        break;
    case cloud_format::xyz:
        result = read_xyz(in);
        break;
    case cloud_format::unknown:
        result.error = "unknown format: neither PLY nor XYZ text";
        break;
    }
    if (result.error.empty() && std::ferror(file.get())) {
        result.error = std::string("read error: ") + std::strerror(errno);
    }
    if (result.error.empty() && result.cloud.size() == 0) {
        result.error = result.cloud.non_finite > 0 ? "no point has finite coordinates"
                                                   : "the file holds no points";
    }
    if (!result.error.empty()) {
        result.error = path + ": " + result.error;
    }
    return result;
}

void fit_cloud(point_cloud &cloud, float half_extent) {
    const std::size_t n = cloud.size();
    if (n == 0) {
        return;
    }
    double lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::numeric_limits<double>::infinity();
        hi[k] = -lo[k];
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (int k = 0; k < 3; ++k) {
            const double v = cloud.records[4 * i + std::size_t(k)];
            lo[k] = std::min(lo[k], v);
            hi[k] = std::max(hi[k], v);
        }
    }
    double largest = 0;
    for (int k = 0; k < 3; ++k) {
        largest = std::max(largest, (hi[k] - lo[k]) / 2);
    }
    for (std::size_t i = 0; i < n; ++i) {
        for (int k = 0; k < 3; ++k) {
            float &v = cloud.records[4 * i + std::size_t(k)];
            v = float(double(v) - (lo[k] + hi[k]) / 2);
        }
    }
    if (largest > 0) {
        scale_object(cloud.records.data(), int(n), float(half_extent / largest));
    }
}
