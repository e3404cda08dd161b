// The fast `put_object` must write exactly the pixels of the plain per-point loop, whatever the
// kernel and the number of threads.
#include "canvas.hpp"
#include "renderer.hpp"
#include "voxel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

struct config {
    simd_level level;
    int threads;
    std::string name() const {
        return std::string(simd_level_name(level)) + " x" + std::to_string(threads);
    }
};

std::vector<config> configs() {
    std::vector<config> out;
    for (simd_level level : {simd_level::scalar, simd_level::avx2, simd_level::avx512}) {
        if (simd_level_supported(level)) {
            for (int threads : {1, 2}) {
                out.push_back({level, threads});
            }
        }
    }
    return out;
}

std::vector<std::uint32_t> draw_plain(const std::vector<float> &object, int pitch = 3200) {
    canvas cv(pitch);
    put_object_plain(object.data(), int(object.size() / 4));
    return cv.memory;
}

std::vector<std::uint32_t> draw_fast(const std::vector<float> &object, const config &c,
                                     int pitch = 3200) {
    canvas cv(pitch);
    set_simd_level(c.level);
    set_render_threads(c.threads);
    put_object(object.data(), int(object.size() / 4));
    set_render_threads(1);
    set_simd_level(best_simd_level());
    return cv.memory;
}

// Counts differing words, so a failure says how wrong, not only that.
int differences(const std::vector<std::uint32_t> &a, const std::vector<std::uint32_t> &b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        n += a[i] != b[i];
    }
    return n;
}

std::vector<float> cube(int half_extent) {
    std::vector<float> c(std::size_t(32) * half_extent * half_extent * half_extent);
    make_voxel_cube(c.data(), float(half_extent));
    return c;
}

TEST(FastPutObject, CubeMatchesThePlainLoopAtEveryAngleOfTheTurn) {
    const auto object = cube(25);
    const auto all = configs();
    ASSERT_GE(all.size(), 2u);
    for (int angle = 0; angle < 360; ++angle) {
        set_angles(-float(angle), 0.0f, float(angle));
        const auto expected = draw_plain(object);
        for (const config &c : all) {
            ASSERT_EQ(differences(draw_fast(object, c), expected), 0)
                << c.name() << " at rotation_z " << angle;
        }
    }
}

TEST(FastPutObject, LargeObjectsDrawnBandByBandMatchToo) {
    // Past two million points each thread projects every record and keeps its own band.
    const auto object = cube(70); // 2,744,000 points
    for (int angle : {1, 137, 300}) {
        set_angles(-float(angle), 30.0f, float(angle));
        const auto expected = draw_plain(object);
        for (const config &c : configs()) {
            EXPECT_EQ(differences(draw_fast(object, c), expected), 0)
                << c.name() << " at angle " << angle;
        }
    }
}

// Many points of many colours crowded onto few pixels: the last record that hits a pixel must
// win however records are split between vector lanes and threads.
TEST(FastPutObject, MixedColoursKeepTheLastRecordOnEachPixel) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> spread(-900.0f, 900.0f), crowd(-30.0f, 30.0f);
    std::vector<float> object;
    for (int i = 0; i < 60000; ++i) {
        const bool crowded = i % 3 != 0;
        const float x = crowded ? crowd(random) : spread(random);
        const float y = crowded ? crowd(random) : spread(random);
        const float z = spread(random);
        object.insert(object.end(), {x, y, z, float(random() & 0xFFFFFF)});
    }
    object.resize(object.size() - 4 * 5); // a count that is not a whole number of vectors
    for (float angle : {0.0f, 45.0f, 200.0f}) {
        set_angles(angle, angle / 2, -angle);
        const auto expected = draw_plain(object);
        for (const config &c : configs()) {
            EXPECT_EQ(differences(draw_fast(object, c), expected), 0)
                << c.name() << " at angle " << angle;
        }
    }
}

// Points on and just past every guard, repeated with different colours so that they also
// overwrite one another, padded to a size where the threads take part.
std::vector<float> edge_points() {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    const float cases[][3] = {
        {1000, 0, 0},        {-1000, 0, 0},      {0, 750, 0},       {0, -750, 0},
        {1000.5f, 0, 0},     {-1000.5f, 0, 0},   {0, 750.5f, 0},    {0, -750.5f, 0},
        {-1000, 747.5f, 0},  {-998, 748, 0},     {-995, 748, 0},    {1000, -750, 0},
        {0, 0, -2000},       {100, 100, -2000},  {100, 100, -4000}, {3000, 2000, -9000},
        {nan, 0, 0},         {0, nan, 0},        {0, 0, nan},       {inf, 0, 0},
        {0, -inf, 0},        {0, 0, inf},        {1e30f, 1e30f, 0}, {-1e38f, 1e38f, 1e38f},
        {1e3f, 1e3f, 1e30f}, {2.25f, -2.25f, 0}, {0, 0, 0},         {-2.5f, 2.5f, 0},
    };
    std::vector<float> object;
    for (int copy = 0; copy < 800; ++copy) {
        for (const auto &p : cases) {
            const float colour = float((copy * 2654435761u) & 0xFFFFFF);
            object.insert(object.end(), {p[0], p[1], p[2], colour});
        }
    }
    return object;
}

TEST(FastPutObject, PointsAtTheEdgesMatchAtEverySize) {
    const auto all = edge_points();
    for (std::size_t records :
         {std::size_t(1), std::size_t(15), std::size_t(17), std::size_t(29), all.size() / 4}) {
        const std::vector<float> object(all.begin(), all.begin() + std::ptrdiff_t(4 * records));
        for (float angle : {0.0f, 90.0f, 180.0f, -33.0f}) {
            set_angles(0.0f, 0.0f, angle);
            const auto expected = draw_plain(object);
            for (const config &c : configs()) {
                EXPECT_EQ(differences(draw_fast(object, c), expected), 0)
                    << c.name() << ", " << records << " records, angle " << angle;
            }
        }
    }
}

TEST(FastPutObject, WiderPitchMatches) {
    const auto object = cube(25);
    set_angles(-20.0f, 0.0f, 20.0f);
    const auto expected = draw_plain(object, 4096);
    for (const config &c : configs()) {
        EXPECT_EQ(differences(draw_fast(object, c, 4096), expected), 0) << c.name();
    }
}

TEST(FastPutObject, CountOfZeroDrawsNothing) {
    const auto object = cube(2);
    for (const config &c : configs()) {
        canvas cv;
        set_simd_level(c.level);
        set_render_threads(c.threads);
        put_object(object.data(), 0);
        set_render_threads(1);
        EXPECT_EQ(cv.lit(), 0) << c.name();
    }
    set_simd_level(best_simd_level());
}

TEST(Renderer, LevelsAndThreadsAreReportedAsSet) {
    EXPECT_TRUE(simd_level_supported(simd_level::scalar));
    EXPECT_TRUE(simd_level_supported(best_simd_level()));
    EXPECT_EQ(simd_level_named("avx2"), simd_level::avx2);
    EXPECT_EQ(simd_level_named("sse"), std::nullopt);
    set_render_threads(3);
    EXPECT_EQ(render_threads(), 3);
    set_render_threads(0);
    EXPECT_EQ(render_threads(), 1);
}

} // namespace
