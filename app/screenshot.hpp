// Keeping a frame and writing it out as a PNG.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A copy of the surface's 800x600 pixel words, row by row, without the pitch padding.
struct frame_copy {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

frame_copy capture_surface(const SDL_Surface &surface, int width, int height);

// Writes `frame` to `file` as an 8-bit RGB PNG, each word read as 0x00RRGGBB. On failure returns
// false and sets `error`.
bool write_png(std::FILE *file, const frame_copy &frame, std::string &error);
