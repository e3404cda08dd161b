// The axes, the scaling step and the built-in model.
#include "scene.hpp"
#include "voxel.hpp"
#include "voxel_rhino.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace {

using record = std::array<float, 4>;

record record_at(const float *object, int i) {
    return {object[4 * i], object[4 * i + 1], object[4 * i + 2], object[4 * i + 3]};
}

TEST(MakeRepere, ThreeAxesFromTheNegativeLimitToOneShortOfThePositive) {
    std::vector<float> repere(8800 + 4, -1.0f);
    make_repere(repere.data());
    const std::pair<int, record> expected[] = {
        {0, {-400, 0, 0, 16777215}}, {799, {399, 0, 0, 16777215}},   {800, {0, -300, 0, 65280}},
        {1399, {0, 299, 0, 65280}},  {1400, {0, 0, -400, 16711680}}, {2199, {0, 0, 399, 16711680}},
    };
    for (const auto &[i, r] : expected) {
        EXPECT_EQ(record_at(repere.data(), i), r) << "record " << i;
    }
    EXPECT_EQ(record_at(repere.data(), 2200), (record{-1, -1, -1, -1})) << "wrote past the end";
    // Consecutive records of one axis are one unit apart.
    for (int i = 1; i < 2200; ++i) {
        if (i == 800 || i == 1400) {
            continue;
        }
        const record a = record_at(repere.data(), i - 1), b = record_at(repere.data(), i);
        EXPECT_EQ(b[0] - a[0] + b[1] - a[1] + b[2] - a[2], 1.0f) << "record " << i;
    }
}

TEST(ScaleObject, MultipliesCoordinatesOnlyAndOnlyOfTheCountedRecords) {
    const std::vector<float> original = {1, 2, 3, 255, -4, 0.5f, 6, 65280, 7, 8, 9, 16711680};
    auto scaled = original;
    scale_object(scaled.data(), 0, 450.0f);
    EXPECT_EQ(scaled, original) << "a count of 0 changes nothing";
    scale_object(scaled.data(), 3, 1.0f);
    EXPECT_EQ(scaled, original) << "a factor of 1 changes nothing";
    scale_object(scaled.data(), 2, 2.0f);
    EXPECT_EQ(scaled, (std::vector<float>{2, 4, 6, 255, -8, 1, 12, 65280, 7, 8, 9, 16711680}));
}

TEST(VoxelRhino, HasTheFixedRecordsAndAClosingZeroRecord) {
    EXPECT_EQ(sizeof voxel_rhino / sizeof voxel_rhino[0], 55992u);
    EXPECT_EQ(record_at(voxel_rhino, 0), (record{-0.6699489f, 0.32270795f, -0.00110087f, 255}));
    EXPECT_EQ(record_at(voxel_rhino, 1), (record{-0.79835105f, 0.25081608f, -0.00110087f, 255}));
    EXPECT_EQ(record_at(voxel_rhino, 2), (record{-0.685435f, 0.30687696f, -0.00110087f, 255}));
    EXPECT_EQ(record_at(voxel_rhino, 13997), (record{0, 0, 0, 0}));
}

TEST(VoxelRhino, ModelPointsAreBlueAndSpanExactlyTheUnitRanges) {
    record lo = record_at(voxel_rhino, 0), hi = lo;
    for (int i = 0; i < size_object; ++i) {
        const record r = record_at(voxel_rhino, i);
        ASSERT_EQ(r[3], 255.0f) << "record " << i;
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], r[k]);
            hi[k] = std::max(hi[k], r[k]);
        }
    }
    EXPECT_EQ(lo[0], -0.98339796f);
    EXPECT_EQ(hi[0], 0.98339796f);
    EXPECT_EQ(lo[1], -0.42795599f);
    EXPECT_EQ(hi[1], 0.44155097f);
    EXPECT_EQ(lo[2], -0.27197993f);
    EXPECT_EQ(hi[2], 0.27033198f);
}

TEST(VoxelRhino, StartUpScalingGivesSceneSizeAndLeavesTheZeroRecord) {
    std::vector<float> model(voxel_rhino, voxel_rhino + 55992);
    scale_object(model.data(), size_object, rhino_scale);
    EXPECT_EQ(record_at(model.data(), 0), (record{-301.477f, 145.21858f, -0.4953915f, 255}));
    EXPECT_EQ(record_at(model.data(), 13997), (record{0, 0, 0, 0}));
    float lo = 0, hi = 0;
    for (int i = 0; i < size_object; ++i) {
        lo = std::min(lo, model[std::size_t(4 * i)]);
        hi = std::max(hi, model[std::size_t(4 * i)]);
    }
    EXPECT_NEAR(lo, -442.53, 0.01);
    EXPECT_NEAR(hi, 442.53, 0.01);
}

TEST(SceneView, KeysShowAndHideObjectsAndNewOnesDrawLast) {
    using enum scene_object;
    scene_view view{{model, axes}, {}, false};
    toggle_object(view, axes);
    EXPECT_FALSE(view.shown(axes));
    EXPECT_TRUE(view.shown(model));
    toggle_object(view, axes);
    EXPECT_TRUE(view.shown(axes));
    EXPECT_EQ(view.order, (std::vector<scene_object>{model, axes})) << "keeps its place";
    EXPECT_FALSE(view.shown(cube));
    toggle_object(view, cube);
    EXPECT_TRUE(view.shown(cube));
    EXPECT_EQ(view.order, (std::vector<scene_object>{model, axes, cube}));
}

} // namespace
