#include "fps.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

// A clock that advances only when the test says so; each read is counted.
struct fake_clock {
    std::uint32_t now = 0;
    int reads = 0;
    std::uint32_t operator()() {
        ++reads;
        return now;
    }
};

// Runs `frames` frames of `frame_ms` each from tick `start`; returns the printed values.
std::vector<int> run(std::uint32_t start, std::uint32_t frame_ms, int frames) {
    fake_clock clock{start};
    fps_counter counter;
    start_fps(counter, clock());
    std::vector<int> printed;
    for (int i = 0; i < frames; ++i) {
        clock.now += frame_ms;
        calculate_fps(counter, clock);
        printed.push_back(counter.fps);
    }
    return printed;
}

TEST(CalculateFps, TenMillisecondFramesReport99) {
    const auto printed = run(0, 10, 300);
    // Frames 1..99 are counted; frame 100 (t = 1000 ms) closes the window and shows the count.
    for (int i = 0; i < 99; ++i) {
        ASSERT_EQ(printed[std::size_t(i)], 0) << "frame " << i + 1;
    }
    EXPECT_EQ(printed[99], 99);
    // The closing frame is counted in neither window, so every later window reports 99 too.
    EXPECT_EQ(printed[199], 99);
    EXPECT_EQ(printed[299], 99);
    EXPECT_EQ(printed[198], 99) << "the value holds for the whole window";
}

TEST(CalculateFps, FramesSlowerThanTheWindowAlwaysReportZero) {
    for (std::uint32_t ms : {1000u, 1500u, 60000u}) {
        for (int v : run(5, ms, 20)) {
            EXPECT_EQ(v, 0) << ms << " ms frames";
        }
    }
}

TEST(CalculateFps, ExactlyNineHundredNinetyNineMillisecondsKeepsTheWindowOpen) {
    const auto printed = run(0, 333, 4); // 333, 666, 999, 1332
    EXPECT_EQ(printed, (std::vector<int>{0, 0, 0, 3}));
}

TEST(CalculateFps, WindowClosesAcrossTheWrapOfTheTickCounter) {
    // Start 500 ms before 2^32: the window must still close after 1000 ms of 10 ms frames.
    const auto printed = run(0xFFFFFFFFu - 499u, 10, 200);
    EXPECT_EQ(printed[98], 0);
    EXPECT_EQ(printed[99], 99);
    EXPECT_EQ(printed[199], 99);
}

TEST(CalculateFps, NewWindowStartsFromAFreshReadingNotTheFrameTime) {
    fake_clock clock;
    fps_counter counter;
    start_fps(counter, clock());
    clock.now = 1000;
    const int before = clock.reads;
    // A clock that has moved on by the time of the second read.
    struct moving {
        fake_clock &c;
        std::uint32_t operator()() { return c() + (c.reads == 3 ? 7u : 0u); }
    } ticks{clock};
    calculate_fps(counter, ticks);
    EXPECT_EQ(clock.reads - before, 2);
    EXPECT_EQ(counter.start_time, 1007);
    EXPECT_EQ(counter.compteur_boucle, 0);
}

TEST(CalculateFps, OpenWindowReadsTheClockOnce) {
    fake_clock clock;
    fps_counter counter;
    start_fps(counter, clock());
    clock.now = 500;
    calculate_fps(counter, clock);
    EXPECT_EQ(clock.reads, 2);
    EXPECT_EQ(counter.compteur_boucle, 1);
}

} // namespace
