// End-to-end runs of the real binary, headless.
#include "picture_check.hpp"
#include "program.hpp"
#include "voxel_rhino.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <utility>

namespace {

std::string temp_path(const std::string &name) {
    return (std::filesystem::temp_directory_path() / (std::to_string(::getpid()) + "-" + name))
        .string();
}

TEST(Program, HeadlessThreeFramesPrintsThreeZeroLines) {
    const auto run = run_demo("--headless --frames 3");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "FPS = 0\nFPS = 0\nFPS = 0\n");
    EXPECT_EQ(run.err, "");
}

TEST(Program, HelpGoesToStdoutAndSucceeds) {
    const auto run = run_demo("--help");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("usage: voxel-demo", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
}

TEST(Program, UsageErrorsExitTwoWithOneLineThenTheUsage) {
    for (const char *args : {"--bogus", "--frames", "--frames 0", "--frames abc", "--screenshot"}) {
        const auto run = run_demo(std::string("--headless ") + args);
        EXPECT_EQ(run.status, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        const auto first_line_end = run.err.find('\n');
        ASSERT_NE(first_line_end, std::string::npos) << args;
        EXPECT_EQ(run.err.rfind("voxel-demo: ", 0), 0u) << args;
        EXPECT_EQ(run.err.compare(first_line_end + 1, 17, "usage: voxel-demo"), 0) << run.err;
    }
}

TEST(Program, BenchmarkPrintsOneSummaryLineOnStderr) {
    const auto run = run_demo("--headless --frames 5 --threads 2 --cube-size 3 --benchmark");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 5);
    const std::regex line("benchmark: 5 frames, 216 points per frame, 2 threads, "
                          "(scalar|avx2|avx512): median [0-9.]+ ms, p90 [0-9.]+ ms, [0-9]+ fps, "
                          "[0-9.]+ M points/s\n");
    EXPECT_TRUE(std::regex_match(run.err, line)) << run.err;
}

TEST(Program, EveryKernelAndThreadCountDrawsTheSameFrame) {
    const std::string reference = temp_path("plain.png"), other = temp_path("fast.png");
    const auto base = run_demo("--headless --frames 7 --simd scalar --threads 1 --screenshot '" +
                               reference + "'");
    ASSERT_EQ(base.status, 0) << base.err;
    for (const char *args : {"--plain", "--threads 2", "--threads 3", "--simd avx2 --threads 2",
                             "--simd avx512 --threads 1"}) {
        const auto run = run_demo(std::string("--headless --frames 7 ") + args + " --screenshot '" +
                                  other + "'");
        if (run.status == 1 && run.err.find("this CPU or build lacks it") != std::string::npos) {
            continue; // a kernel this machine cannot run
        }
        ASSERT_EQ(run.status, 0) << args << ": " << run.err;
        EXPECT_EQ(slurp(other), slurp(reference)) << args;
    }
    std::filesystem::remove(reference);
    std::filesystem::remove(other);
}

TEST(Program, UnwritableScreenshotPathFailsWithStatusOne) {
    const auto run = run_demo("--headless --frames 1 --screenshot /nonexistent-dir/f.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write screenshot '/nonexistent-dir/f.png'"), std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

// Runs the demo headless for `frames` frames and reads back its screenshot.
rgb_image screenshot_after(int frames, const std::string &extra_args) {
    const std::string path = temp_path("shot-" + std::to_string(frames) + ".png");
    const auto run = run_demo("--headless --frames " + std::to_string(frames) + " " + extra_args +
                              " --screenshot '" + path + "'");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), frames);
    rgb_image image;
    EXPECT_TRUE(read_png(path, image)) << path;
    std::filesystem::remove(path);
    EXPECT_EQ(image.width, 800);
    EXPECT_EQ(image.height, 600);
    return image;
}

std::vector<point_record> cube_records() {
    std::vector<point_record> records;
    for (int i = 25; i > -25; --i) {
        for (int j = 25; j > -25; --j) {
            for (int k = 25; k > -25; --k) {
                records.push_back({20.0 * i, 20.0 * j, 20.0 * k, 0x0000ffu});
            }
        }
    }
    return records;
}

std::vector<point_record> axes_records() {
    std::vector<point_record> records;
    for (int t = -400; t < 400; ++t) {
        records.push_back({double(t), 0, 0, 0xffffffu});
    }
    for (int t = -300; t < 300; ++t) {
        records.push_back({0, double(t), 0, 0x00ff00u});
    }
    for (int t = -400; t < 400; ++t) {
        records.push_back({0, 0, double(t), 0xff0000u});
    }
    return records;
}

std::vector<point_record> model_records() {
    std::vector<point_record> records;
    for (int i = 0; i < size_object; ++i) {
        const float *v = voxel_rhino + 4 * i;
        records.push_back({v[0] * 450.0f, v[1] * 450.0f, v[2] * 450.0f, std::uint32_t(v[3])});
    }
    return records;
}

TEST(Program, ScreenshotsShowWhatTheReferenceProjectionPredicts) {
    struct row {
        const char *objects;
        int frames;
        std::vector<point_record> records;
        int at_least_certain;
    };
    auto concat = [](std::vector<point_record> a, const std::vector<point_record> &b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const row rows[] = {
        {"cube", 1, cube_records(), 50000},
        {"axes", 45, axes_records(), 400},
        {"model", 30, model_records(), 5000},
        {"model,axes", 200, concat(model_records(), axes_records()), 5000},
        {"axes,cube", 370, concat(axes_records(), cube_records()), 50000},
    };
    for (const row &r : rows) {
        SCOPED_TRACE(std::string(r.objects) + " at frame " + std::to_string(r.frames));
        const rgb_image image = screenshot_after(r.frames, std::string("--object ") + r.objects);
        // Frame n is drawn with rotation_x = -n, rotation_y = 0 and rotation_z = n mod 360.
        const auto diff = compare_with_prediction(image, r.records, -r.frames, 0, r.frames % 360);
        EXPECT_EQ(diff.mismatches, 0);
        EXPECT_GE(diff.certain_pixels, r.at_least_certain);
    }
}

// A cloud of mixed colours written as XYZ, loaded, fitted and drawn with the axes over it.
TEST(Program, LoadedCloudShowsWhatTheReferenceProjectionPredicts) {
    std::vector<point_record> file_points;
    std::string text = "# a spiral of mixed colours\n";
    for (int i = 0; i < 20000; ++i) {
        const double t = i * 0.01;
        const double x = 3.0 + std::cos(t) * (1 + t / 40), y = -1.0 + std::sin(t) * (1 + t / 40);
        const double z = t / 20;
        const std::uint32_t colour = std::uint32_t(i * 2654435761u) & 0xFFFFFFu;
        char line[128];
        std::snprintf(line, sizeof line, "%.9g %.9g %.9g %u %u %u\n", x, y, z, colour >> 16,
                      (colour >> 8) & 255, colour & 255);
        text += line;
        file_points.push_back({double(float(x)), double(float(y)), double(float(z)), colour});
    }
    text += "nan 1 2\n";
    const std::string path = temp_path("spiral.xyz");
    std::ofstream(path) << text;

    // Fitted independently: centred on the bounding box, largest half-extent 450.
    double lo[3] = {1e300, 1e300, 1e300}, hi[3] = {-1e300, -1e300, -1e300};
    for (const auto &p : file_points) {
        const double v[3] = {p.x, p.y, p.z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], v[k]);
            hi[k] = std::max(hi[k], v[k]);
        }
    }
    const double half = std::max({hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]}) / 2;
    std::vector<point_record> records;
    for (const auto &p : file_points) {
        records.push_back({(p.x - (lo[0] + hi[0]) / 2) * 450 / half,
                           (p.y - (lo[1] + hi[1]) / 2) * 450 / half,
                           (p.z - (lo[2] + hi[2]) / 2) * 450 / half, p.colour});
    }
    const auto axes = axes_records();
    records.insert(records.end(), axes.begin(), axes.end());

    const std::string shot = temp_path("spiral.png");
    const auto run = run_demo("--headless --frames 50 --object cube,axes --load '" + path +
                              "' --screenshot '" + shot + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err,
              "voxel-demo: " + path + ": warning: 1 point with non-finite coordinates left out\n");
    rgb_image image;
    ASSERT_TRUE(read_png(shot, image));
    const auto diff = compare_with_prediction(image, records, -50, 0, 50);
    EXPECT_EQ(diff.mismatches, 0);
    EXPECT_GE(diff.certain_pixels, 5000);
    std::filesystem::remove(path);
    std::filesystem::remove(shot);
}

TEST(Program, BadCloudFilesExitOneWithOneLine) {
    const std::string path = temp_path("bad.xyz");
    std::ofstream(path) << "1 2 3\n4 5 six\n";
    for (const std::string &file : {path, std::string("/nonexistent.ply")}) {
        const auto run = run_demo("--headless --frames 1 --load '" + file + "'");
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("voxel-demo: " + file + ": ", 0), 0u) << run.err;
    }
    std::filesystem::remove(path);
}

TEST(Program, NoFitKeepsTheFileCoordinates) {
    const std::string path = temp_path("one.xyz"), shot = temp_path("one.png");
    std::ofstream(path) << "100 0 0 255 0 0\n0 100 0 0 255 0\n";
    const auto run = run_demo("--headless --frames 360 --no-fit --load '" + path +
                              "' --screenshot '" + shot + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    rgb_image image;
    ASSERT_TRUE(read_png(shot, image));
    // Frame 360: rotation_z is back to 0, rotation_x is -360, a full turn: as drawn unturned.
    EXPECT_EQ(image.at(439, 299), 0xff0000u);
    EXPECT_EQ(image.at(399, 259), 0x00ff00u);
    std::filesystem::remove(path);
    std::filesystem::remove(shot);
}

} // namespace
