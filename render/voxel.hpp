// Shared state of the point renderer: the voxel record layout, the display surface and the
// rotation angles. Everything here is process-wide on purpose: the frame loop moves the angles,
// the renderer reads them, and nothing else needs to know.
#pragma once

#include <SDL.h>

#include <cstdint>

// One voxel record is four floats back to back: x, y, z in scene units, then the colour as a
// whole number (0x00RRGGBB) held in floating form. Object buffers are arrays of these floats.
inline constexpr int voxel_floats = 4;

inline constexpr float colour_blue = 255.0f;
inline constexpr float colour_green = 65280.0f;
inline constexpr float colour_red = 16711680.0f;
inline constexpr float colour_white = 16777215.0f;

// The window the renderer draws into. Only `pixels` and `pitch` are used.
inline constexpr int screen_width = 800;
inline constexpr int screen_height = 600;
inline constexpr int screen_bpp = 32;

extern SDL_Surface *screen;

// Degrees. The frame loop changes them between draws; drawing only reads them.
extern float rotation_x;
extern float rotation_y;
extern float rotation_z;

// Plots one point through the fixed perspective; writes at most one pixel of `screen`.
void put_pixel(float x, float y, float z, int pixel);

// Draws the first `size` records of `object`, in record order: a later record overwrites an
// earlier one on the same pixel.
void put_object(const float *object, int size);

// The reference for `put_object`: one `put_pixel` call per record, in order. Same pixels, and the
// speed of deriving the rotation for every point.
void put_object_plain(const float *object, int size);

// Any angle that has reached 360 degrees goes back to 0.
void reset_phi();

// Fills `cube` with a solid blue cube of (2*size)^3 points on a 20-unit grid.
void make_voxel_cube(float *cube, float size);

// The coordinate axes as lines of points: x white, y green, z red.
inline constexpr int repere_records = 2200;
void make_repere(float *repere);

// Multiplies x, y and z of the first `size_object` records by `size_scale`; colours stay.
void scale_object(float *object, int size_object, float size_scale);
