#include "screenshot.hpp"

#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstring>

frame_copy capture_surface(const SDL_Surface &surface, int width, int height) {
    frame_copy frame{width, height, std::vector<std::uint32_t>(std::size_t(width) * height)};
    const auto *bytes = static_cast<const unsigned char *>(surface.pixels);
    for (int row = 0; row < height; ++row) {
        std::memcpy(&frame.pixels[std::size_t(row) * width],
                    bytes + std::size_t(row) * surface.pitch,
                    std::size_t(width) * sizeof(std::uint32_t));
    }
    return frame;
}

namespace {

void png_error_to_jump(png_structp png, png_const_charp message) {
    auto *error = static_cast<std::string *>(png_get_error_ptr(png));
    *error = message;
    png_longjmp(png, 1);
}

void png_ignore_warning(png_structp, png_const_charp) {}

// libpng reports errors by longjmp, so nothing with a destructor may live in this frame between
// the setjmp and the end of the write.
bool write_rows(png_structp png, png_infop info, std::FILE *file, const frame_copy &frame,
                png_bytep *rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, png_uint_32(frame.width), png_uint_32(frame.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

} // namespace

bool write_png(std::FILE *file, const frame_copy &frame, std::string &error) {
    std::vector<png_byte> rgb(std::size_t(frame.width) * frame.height * 3);
    std::vector<png_bytep> rows(std::size_t(frame.height));
    for (std::size_t i = 0; i < frame.pixels.size(); ++i) {
        const std::uint32_t word = frame.pixels[i];
        rgb[3 * i + 0] = png_byte(word >> 16);
        rgb[3 * i + 1] = png_byte(word >> 8);
        rgb[3 * i + 2] = png_byte(word);
    }
    for (int row = 0; row < frame.height; ++row) {
        rows[std::size_t(row)] = &rgb[std::size_t(row) * frame.width * 3];
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, png_error_to_jump,
                                              png_ignore_warning);
    if (png == nullptr) {
        error = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    bool ok = info != nullptr && write_rows(png, info, file, frame, rows.data());
    png_destroy_write_struct(&png, &info);
    if (ok && std::fflush(file) != 0) {
        error = std::strerror(errno);
        ok = false;
    }
    return ok;
}
