#include "canvas.hpp"
#include "voxel.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct landing {
    const char *what;
    float x, y, z;
    int column, row; // -1: nothing may be drawn
};

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// With zero angles a point projects to (400 x / (z + 2000), 400 y / (z + 2000)).
const landing landings[] = {
    {"origin lands on column 399 row 299", 0, 0, 0, 399, 299},
    {"x 100 projects to 40", 100, 0, 0, 439, 299},
    {"y 100 projects to 40, upward", 0, 100, 0, 399, 259},
    {"z 2000 halves the distance", 100, 100, 2000, 419, 279},
    {"projected 0.9 truncates to the centre", 2.25f, 0, 0, 399, 299},
    {"projected -0.9 truncates to the centre", -2.25f, -2.25f, 0, 399, 299},
    {"projected -1 leaves the centre", -2.5f, 0, 0, 398, 299},
    {"x exactly -400 wraps to the end of the row above", -1000, 0, 0, 799, 298},
    {"x exactly -400 on row 0 is not drawn", -1000, 747.5f, 0, -1, -1},
    {"x exactly 400 gives column 799", 1000, 0, 0, 799, 299},
    {"x just above 400 is rejected", 1000.5f, 0, 0, -1, -1},
    {"y exactly 300 gives row -1, not drawn", 0, 750, 0, -1, -1},
    {"y exactly -300 gives the last row", 0, -750, 0, 399, 599},
    {"y just below -300 is rejected", 0, -750.5f, 0, -1, -1},
    {"the first word of pixel memory is never written", -998, 748, 0, -1, -1},
    {"column 1 of row 0 is reachable", -995, 748, 0, 1, 0},
    {"depth exactly zero divides by zero", 100, 100, -2000, -1, -1},
    {"origin at depth zero is 0/0", 0, 0, -2000, -1, -1},
    {"behind the viewer mirrors through the centre", 100, 100, -4000, 359, 339},
    {"NaN coordinate", nan, 0, 0, -1, -1},
    {"infinite coordinate", inf, 0, 0, -1, -1},
    {"huge coordinate", 1e30f, 1e30f, 0, -1, -1},
    {"huge depth projects to the centre", 1e3f, 1e3f, 1e30f, 399, 299}};

TEST(PutPixel, AtZeroAnglesLandsOnThePredictedPixelOnly) {
    for (const landing &c : landings) {
        SCOPED_TRACE(c.what);
        canvas cv;
        set_angles(0, 0, 0);
        put_pixel(c.x, c.y, c.z, 0x123456);
        if (c.column < 0) {
            EXPECT_EQ(cv.lit(), 0);
        } else {
            EXPECT_EQ(cv.at(c.column, c.row), 0x123456u);
            EXPECT_EQ(cv.lit(), 1);
        }
    }
}

TEST(PutPixel, LaterPointOverwritesEarlierOne) {
    canvas cv;
    set_angles(0, 0, 0);
    put_pixel(0, 0, 0, 0x0000ff);
    put_pixel(1, 1, 0, 0xff0000); // projects to (0.2, 0.2): same pixel
    EXPECT_EQ(cv.at(399, 299), 0xff0000u);
    EXPECT_EQ(cv.lit(), 1);
}

TEST(PutPixel, StoresThePixelWordUnchanged) {
    canvas cv;
    set_angles(0, 0, 0);
    put_pixel(0, 0, 0, -1);
    EXPECT_EQ(cv.at(399, 299), 0xffffffffu);
}

TEST(PutPixel, RowStepFollowsThePitchButTheCentreOffsetDoesNot) {
    // A wider pitch moves rows apart, while the origin stays at byte 958396.
    std::vector<std::uint32_t> memory(1000 * 600, 0u);
    SDL_Surface wide{};
    wide.pitch = 4000;
    wide.pixels = memory.data();
    screen = &wide;
    set_angles(0, 0, 0);
    put_pixel(0, 0, 0, 7);
    put_pixel(0, 100, 0, 8); // Y = 40: 40 rows of 4000 bytes up
    screen = nullptr;
    EXPECT_EQ(memory[958396 / 4], 7u);
    EXPECT_EQ(memory[(958396 - 40 * 4000) / 4], 8u);
}

struct turn {
    const char *what;
    float ax, ay, az;
    float x, y, z;
    int column, row;
};

// Quarter turns fix the sense of each rotation: about z by c, about y by -b, about x by a.
TEST(PutPixel, QuarterTurnsMoveAxisPointsWhereExpected) {
    const turn turns[] = {{"z 90: +x goes to +y", 0, 0, 90, 100, 0, 0, 399, 259},
                          {"z 90: +y goes to -x", 0, 0, 90, 0, 100, 0, 359, 299},
                          {"y 90: +z goes to -x", 0, 90, 0, 0, 0, 100, 359, 299},
                          {"y 90: +x goes to +z, farther", 0, 90, 0, 200, 100, 0, 399, 263},
                          {"x 90: +z goes to -y", 90, 0, 0, 0, 0, 100, 399, 339},
                          {"x -1, z 1: first frame of the demo", -1, 0, 1, 0, 0, 0, 399, 299}};
    for (const turn &c : turns) {
        SCOPED_TRACE(c.what);
        canvas cv;
        set_angles(c.ax, c.ay, c.az);
        put_pixel(c.x, c.y, c.z, 1);
        EXPECT_EQ(cv.at(c.column, c.row), 1u);
        EXPECT_EQ(cv.lit(), 1);
    }
}

TEST(ResetPhi, WrapsOnlyAnglesOfAFullTurnOrMore) {
    struct row {
        float in, out;
    };
    const row rows[] = {{360.0f, 0.0f},
                        {361.5f, 0.0f},
                        {std::nextafter(360.0f, 0.0f), std::nextafter(360.0f, 0.0f)},
                        {-720.0f, -720.0f},
                        {0.0f, 0.0f},
                        {359.0f, 359.0f}};
    for (const row &r : rows) {
        set_angles(r.in, r.in, r.in);
        reset_phi();
        EXPECT_EQ(rotation_x, r.out) << r.in;
        EXPECT_EQ(rotation_y, r.out) << r.in;
        EXPECT_EQ(rotation_z, r.out) << r.in;
    }
    set_angles(nan, 360.0f, inf);
    reset_phi();
    EXPECT_TRUE(std::isnan(rotation_x));
    EXPECT_EQ(rotation_y, 0.0f);
    EXPECT_EQ(rotation_z, 0.0f);
}

TEST(PutObject, DrawsRecordsInOrderWithTruncatedColours) {
    canvas cv;
    set_angles(0, 0, 0);
    const float object[] = {0,   0, 0, 255.0f,       // centre, blue
                            100, 0, 0, 65280.9f,     // colour truncates
                            1,   1, 0, 16711680.0f}; // same pixel as the first: overwrites
    put_object(object, 3);
    EXPECT_EQ(cv.at(399, 299), 0xff0000u);
    EXPECT_EQ(cv.at(439, 299), 65280u);
    EXPECT_EQ(cv.lit(), 2);
}

TEST(PutObject, CountOfZeroDrawsNothingAndCountLimitsTheRun) {
    canvas cv;
    set_angles(0, 0, 0);
    const float object[] = {0, 0, 0, 255.0f, 100, 0, 0, 255.0f};
    put_object(object, 0);
    EXPECT_EQ(cv.lit(), 0);
    put_object(object, 1);
    EXPECT_EQ(cv.lit(), 1);
}

} // namespace
