// The frame-rate counter, kept free of SDL so that every case can be played with a fake clock.
#pragma once

#include <cstdint>

struct fps_counter {
    std::int32_t start_time = 0;      // tick reading that opened the current window
    std::int32_t compteur_boucle = 0; // frames counted in the current window
    std::int32_t fps = 0;             // count of the last completed window: the value printed
};

inline void start_fps(fps_counter &counter, std::uint32_t now) {
    counter = fps_counter{static_cast<std::int32_t>(now), 0, 0};
}

// One frame's update. `ticks` is the millisecond clock; it is read once, and a second time when a
// window closes, so the new window starts from a fresh reading. The difference is taken modulo
// 2^32 and compared as a signed value, which keeps working when the counter wraps.
template <class Clock> void calculate_fps(fps_counter &counter, Clock &&ticks) {
    const auto current_time = static_cast<std::uint32_t>(ticks());
    const auto elapsed =
        static_cast<std::int32_t>(current_time - static_cast<std::uint32_t>(counter.start_time));
    if (elapsed > 999) {
        counter.fps = counter.compteur_boucle;
        counter.compteur_boucle = 0;
        counter.start_time = static_cast<std::int32_t>(static_cast<std::uint32_t>(ticks()));
    } else {
        counter.compteur_boucle += 1;
    }
}
