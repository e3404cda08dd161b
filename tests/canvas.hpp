// An 800x600 pixel buffer standing in for the window, so the renderer can be tested without SDL.
#pragma once

#include "voxel.hpp"

#include <cstdint>
#include <vector>

struct canvas {
    std::vector<std::uint32_t> memory; // the whole surface, pitch padding included
    SDL_Surface surface{};

    explicit canvas(int pitch = screen_width * 4)
        : memory(std::size_t(pitch / 4) * screen_height, 0u) {
        surface.w = screen_width;
        surface.h = screen_height;
        surface.pitch = Uint16(pitch);
        surface.pixels = memory.data();
        screen = &surface;
    }
    ~canvas() { screen = nullptr; }
    canvas(const canvas &) = delete;
    canvas &operator=(const canvas &) = delete;

    std::uint32_t at(int column, int row) const {
        return memory[std::size_t(row) * std::size_t(surface.pitch / 4) + std::size_t(column)];
    }
    int lit() const {
        int n = 0;
        for (auto p : memory) {
            n += p != 0;
        }
        return n;
    }
};

inline void set_angles(float x, float y, float z) {
    rotation_x = x;
    rotation_y = y;
    rotation_z = z;
}
