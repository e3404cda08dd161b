// How `put_object` runs: which instruction set its kernel uses and how many threads share a draw.
// Whatever the choice, the pixels are those of the plain per-point loop.
#pragma once

#include <optional>
#include <string_view>

enum class simd_level { scalar, avx2, avx512 };

// The widest level this CPU and build can run; chosen once at start.
simd_level best_simd_level();
bool simd_level_supported(simd_level level);
const char *simd_level_name(simd_level level);
std::optional<simd_level> simd_level_named(std::string_view name);

// Selects the kernel for later draws; the level must be supported.
void set_simd_level(simd_level level);
simd_level current_simd_level();

// Threads sharing each draw (1 = the caller's thread alone). Workers start once and are reused.
void set_render_threads(int threads);
int render_threads();

// Clears the first `height` rows of `width` 32-bit pixels of `screen` to 0: the same result as
// filling the whole surface with black. One memset: splitting it between threads did not pay.
void clear_screen(int width, int height);
