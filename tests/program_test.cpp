// End-to-end runs of the real binary, headless.
#include "program.hpp"
#include "reference_projection.hpp"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(Program, UnwritableScreenshotPathFailsWithStatusOne) {
    const auto run = run_demo("--headless --frames 1 --screenshot /nonexistent-dir/f.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write screenshot '/nonexistent-dir/f.png'"), std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST(Program, FirstFrameScreenshotShowsThePredictedCube) {
    const std::string path = temp_path("frame1.png");
    const auto run = run_demo("--headless --frames 1 --screenshot '" + path + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "FPS = 0\n");
    rgb_image image;
    ASSERT_TRUE(read_png(path, image));
    std::filesystem::remove(path);
    ASSERT_EQ(image.width, 800);
    ASSERT_EQ(image.height, 600);

    // The cube of the demo, on frame 1: rotation_x = -1, rotation_y = 0, rotation_z = 1.
    std::set<std::pair<int, int>> certain, possible;
    for (int i = 25; i > -25; --i) {
        for (int j = 25; j > -25; --j) {
            for (int k = 25; k > -25; --k) {
                const auto p = predict_pixel(20.0 * i, 20.0 * j, 20.0 * k, -1, 0, 1);
                if (!p) {
                    continue;
                }
                if (p->certain) {
                    certain.insert({p->column, p->row});
                }
                for (int dc = -1; dc <= 1; ++dc) {
                    for (int dr = -1; dr <= 1; ++dr) {
                        if (p->certain && (dc != 0 || dr != 0)) {
                            continue;
                        }
                        possible.insert({p->column + dc, p->row + dr});
                    }
                }
            }
        }
    }
    ASSERT_GT(certain.size(), 50000u);
    int missing = 0, stray = 0, lit = 0;
    for (const auto &[column, row] : certain) {
        missing += image.at(column, row) != 0x0000ffu;
    }
    for (int row = 0; row < 600; ++row) {
        for (int column = 0; column < 800; ++column) {
            const auto word = image.at(column, row);
            if (word != 0) {
                ++lit;
                stray += word != 0x0000ffu || !possible.count({column, row});
            }
        }
    }
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(stray, 0);
    EXPECT_LE(std::size_t(lit), possible.size());
}

} // namespace
