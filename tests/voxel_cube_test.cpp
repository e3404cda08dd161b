#include "voxel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <vector>

namespace {

// Fills a buffer that has room to spare, marked so that records past the written ones show.
int records_written(float size, std::vector<float> &buffer) {
    constexpr float marker = -12345.0f;
    buffer.assign(4 * 200000, marker);
    make_voxel_cube(buffer.data(), size);
    int n = 0;
    while (buffer[std::size_t(4 * n + 3)] != marker) {
        ++n;
    }
    return n;
}

TEST(MakeVoxelCube, RecordCountsFollowTheHalfExtent) {
    struct row {
        float size;
        int records;
    };
    const row rows[] = {{0.0f, 0}, {-1.0f, 0},  {-25.0f, 0},     {std::nanf(""), 0},
                        {1.0f, 8}, {2.5f, 125}, {25.0f, 125000}, {0.5f, 1}};
    std::vector<float> buffer;
    for (const row &r : rows) {
        EXPECT_EQ(records_written(r.size, buffer), r.records) << "size " << r.size;
    }
}

TEST(MakeVoxelCube, SizeOneWalksTheGridWithZFastestAllDescending) {
    std::vector<float> buffer;
    ASSERT_EQ(records_written(1.0f, buffer), 8);
    const float expected[8][3] = {{20, 20, 20}, {20, 20, 0}, {20, 0, 20}, {20, 0, 0},
                                  {0, 20, 20},  {0, 20, 0},  {0, 0, 20},  {0, 0, 0}};
    for (int i = 0; i < 8; ++i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(buffer[std::size_t(4 * i + k)], expected[i][k]) << "record " << i;
        }
        EXPECT_EQ(buffer[std::size_t(4 * i + 3)], 255.0f);
    }
}

TEST(MakeVoxelCube, FractionalSizeGivesOddCoordinates) {
    std::vector<float> buffer;
    ASSERT_EQ(records_written(2.5f, buffer), 125);
    std::set<float> values;
    for (int i = 0; i < 125; ++i) {
        values.insert(buffer[std::size_t(4 * i)]);
        values.insert(buffer[std::size_t(4 * i + 2)]);
    }
    EXPECT_EQ(values, (std::set<float>{50, 30, 10, -10, -30}));
}

TEST(MakeVoxelCube, DemoCubeSpansFiveHundredToMinusFourEightyInBlue) {
    std::vector<float> buffer;
    ASSERT_EQ(records_written(25.0f, buffer), 125000);
    const float first[4] = {500, 500, 500, 255};
    const float second[4] = {500, 500, 480, 255};
    const float last[4] = {-480, -480, -480, 255};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(buffer[std::size_t(k)], first[k]);
        EXPECT_EQ(buffer[std::size_t(4 + k)], second[k]);
        EXPECT_EQ(buffer[std::size_t(4 * 124999 + k)], last[k]);
    }
    for (int i = 0; i < 125000; ++i) {
        ASSERT_EQ(buffer[std::size_t(4 * i + 3)], 255.0f) << "record " << i;
    }
}

} // namespace
