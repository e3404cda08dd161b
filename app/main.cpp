// The demo: open the window, build the scene, then turn, draw, show, clear and count, frame after
// frame, printing the frame rate on every one.
#include "fps.hpp"
#include "options.hpp"
#include "platform.hpp"
#include "scene.hpp"
#include "screenshot.hpp"
#include "voxel.hpp"
#include "voxel_rhino.hpp"

#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int cube_half_extent = 25;
constexpr int cube_records = 125000;

float voxel_cube[cube_records * voxel_floats];
float repere[repere_records * voxel_floats];

void draw_object(scene_object o) {
    switch (o) {
    case scene_object::cube:
        put_object(voxel_cube, cube_records);
        break;
    case scene_object::axes:
        put_object(repere, repere_records);
        break;
    case scene_object::model:
        put_object(voxel_rhino, size_object);
        break;
    }
}

struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

int fail(const char *what, const char *why) {
    std::fprintf(stderr, "voxel-demo: %s: %s\n", what, why);
    return 1;
}

// The renderer writes 32-bit words up to 1,920,000 bytes into the surface; refuse a surface that
// could not hold them rather than write past its end.
bool surface_fits_renderer(const SDL_Surface &surface) {
    return surface.format->BytesPerPixel == 4 && surface.w >= screen_width &&
           surface.h >= screen_height && surface.pitch >= screen_width * 4;
}

// Drains the window system's queue and applies the keys; true once the window is closed or
// Escape is pressed.
bool handle_events(scene_view &view) {
    bool quit = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            quit = true;
        } else if (event.type == SDL_KEYDOWN) {
            switch (event.key.keysym.sym) {
            case SDLK_ESCAPE:
                quit = true;
                break;
            case SDLK_1:
                toggle_object(view, scene_object::cube);
                break;
            case SDLK_2:
                toggle_object(view, scene_object::axes);
                break;
            case SDLK_3:
                toggle_object(view, scene_object::model);
                break;
            case SDLK_SPACE:
                view.paused = !view.paused;
                break;
            default:
                break;
            }
        }
    }
    return quit;
}

} // namespace

extern "C" int SDL_main(int argc, char **argv) {
    attach_console_streams();

    const parse_result parsed = parse_options(argc, argv);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "voxel-demo: %s\n%s", parsed.error.c_str(), usage_text().c_str());
        return 2;
    }
    const options &opts = parsed.opts;
    if (opts.help) {
        std::fputs(usage_text().c_str(), stdout);
        return 0;
    }

    // Opened before the first frame so that a bad path is reported at once, not at the end.
    file_handle shot_file;
    if (!opts.screenshot.empty()) {
        shot_file.reset(std::fopen(opts.screenshot.c_str(), "wb"));
        if (!shot_file) {
            return fail(("cannot write screenshot '" + opts.screenshot + "'").c_str(),
                        std::strerror(errno));
        }
    }

    if (opts.headless) {
        SDL_putenv(const_cast<char *>("SDL_VIDEODRIVER=dummy"));
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        return fail("cannot start SDL video", SDL_GetError());
    }
    std::atexit(SDL_Quit);
    screen = SDL_SetVideoMode(screen_width, screen_height, screen_bpp, SDL_HWSURFACE);
    if (screen == nullptr) {
        return fail("cannot set the 800x600x32 video mode", SDL_GetError());
    }
    if (!surface_fits_renderer(*screen)) {
        return fail("cannot draw", "the display surface is not 800x600 with 32-bit pixels");
    }
    if (opts.headless) {
        // Without a window SDL paints its own arrow cursor into the surface; nobody points at it.
        SDL_ShowCursor(SDL_DISABLE);
    }

    make_voxel_cube(voxel_cube, cube_half_extent);
    make_repere(repere);
    scale_object(voxel_rhino, size_object, rhino_scale);
    rotation_z = 0.0f;
    rotation_y = 0.0f;
    rotation_x = 0.0f;
    fps_counter counter;
    start_fps(counter, SDL_GetTicks());

    scene_view view{opts.objects, {}, false};
    frame_copy last_frame;
    for (long frame = 1;; ++frame) {
        const bool last = handle_events(view) || frame == opts.frames;
        if (!view.paused) {
            rotation_x -= 1.0f;
            rotation_z += 1.0f;
        }
        reset_phi();

        const bool locked = SDL_MUSTLOCK(screen) != 0 && SDL_LockSurface(screen) == 0;
        for (scene_object o : view.order) {
            if (view.shown(o)) {
                draw_object(o);
            }
        }
        if (last && shot_file) {
            last_frame = capture_surface(*screen, screen_width, screen_height);
        }
        if (locked) {
            SDL_UnlockSurface(screen);
        }
        SDL_Flip(screen);
        SDL_FillRect(screen, nullptr, 0);

        calculate_fps(counter, SDL_GetTicks);
        std::printf("FPS = %d\n", counter.fps);
        if (last) {
            break;
        }
    }

    if (shot_file) {
        std::string error;
        if (!write_png(shot_file.get(), last_frame, error)) {
            return fail(("cannot write screenshot '" + opts.screenshot + "'").c_str(),
                        error.c_str());
        }
        if (std::fclose(shot_file.release()) != 0) {
            return fail(("cannot write screenshot '" + opts.screenshot + "'").c_str(),
                        std::strerror(errno));
        }
    }
    return 0;
}
