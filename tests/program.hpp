// Runs the real voxel-demo binary and collects what it printed.
#pragma once

#include <png.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

struct program_run {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string slurp(const std::filesystem::path &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// `args` is pasted into a shell command line: tests pass only plain words or quoted paths.
inline program_run run_demo(const std::string &args) {
    const auto dir = std::filesystem::temp_directory_path();
    const auto tag = std::to_string(::getpid()) + "-" + std::to_string(std::rand());
    const auto out = dir / ("voxel-out-" + tag);
    const auto err = dir / ("voxel-err-" + tag);
    const std::string command = std::string("'") + VOXEL_DEMO_PATH + "' " + args + " >'" +
                                out.string() + "' 2>'" + err.string() + "' </dev/null";
    const int raw = std::system(command.c_str());
    program_run run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = slurp(out);
    run.err = slurp(err);
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return run;
}

// An RGB image read back from a PNG, one 0x00RRGGBB word per pixel.
struct rgb_image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t at(int column, int row) const {
        return pixels[std::size_t(row) * std::size_t(width) + std::size_t(column)];
    }
};

inline bool read_png(const std::string &path, rgb_image &image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        return false;
    }
    png.format = PNG_FORMAT_RGB;
    std::vector<png_byte> bytes(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, bytes.data(), 0, nullptr)) {
        return false;
    }
    image.width = int(png.width);
    image.height = int(png.height);
    image.pixels.resize(std::size_t(image.width) * std::size_t(image.height));
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        image.pixels[i] = std::uint32_t(bytes[3 * i]) << 16 | std::uint32_t(bytes[3 * i + 1]) << 8 |
                          bytes[3 * i + 2];
    }
    return true;
}
