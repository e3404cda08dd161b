// The demo: open the window, build the scene, then turn, draw, show, clear and count, frame after
// frame, printing the frame rate on every one.
#include "fps.hpp"
#include "frame_stats.hpp"
#include "options.hpp"
#include "platform.hpp"
#include "point_cloud.hpp"
#include "renderer.hpp"
#include "scene.hpp"
#include "screenshot.hpp"
#include "voxel.hpp"
#include "voxel_rhino.hpp"

#include <SDL.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Sized at start-up for --cube-size; (2 * 25)^3 = 125,000 records by default. A cloud loaded
// with --load takes its place.
std::vector<float> voxel_cube;
int cube_records = 0;
constexpr float cloud_half_extent = 450.0f; // like the built-in model
float repere[repere_records * voxel_floats];

// An object's records and how many of them are drawn.
struct object_records {
    const float *data;
    int count;
};

object_records records_of(scene_object o) {
    switch (o) {
    case scene_object::cube:
        return {voxel_cube.data(), cube_records};
    case scene_object::axes:
        return {repere, repere_records};
    case scene_object::model:
        break;
    }
    return {voxel_rhino, size_object};
}

struct file_closer {
    void operator()(std::FILE *f) const { std::fclose(f); }
};
using file_handle = std::unique_ptr<std::FILE, file_closer>;

int fail(const std::string &what, const char *why) {
    std::fprintf(stderr, "voxel-demo: %s: %s\n", what.c_str(), why);
    return 1;
}

// The renderer writes 32-bit words up to 1,920,000 bytes into the surface; refuse a surface that
// could not hold them rather than write past its end.
bool surface_fits_renderer(const SDL_Surface &surface) {
    return surface.format->BytesPerPixel == 4 && surface.w >= screen_width &&
           surface.h >= screen_height && surface.pitch >= screen_width * 4;
}

// Black, ready for the next frame. SDL's own fill walks the surface a word at a time on this
// platform and costs more than drawing the cube, so a surface in ordinary memory is cleared with
// memset instead; one that SDL must manage (hardware, or locked) gets SDL's fill.
void clear_frame(SDL_Surface *surface) {
    if ((surface->flags & SDL_HWSURFACE) != 0 || SDL_MUSTLOCK(surface)) {
        SDL_FillRect(surface, nullptr, 0);
    } else {
        clear_screen(surface->w, surface->h);
    }
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

// Reads --load's file into the cube's place; 0, or the exit status after reporting.
int load_cloud(const options &opts) {
    cloud_result loaded = load_point_cloud(opts.load);
    if (!loaded.error.empty()) {
        std::fprintf(stderr, "voxel-demo: %s\n", loaded.error.c_str());
        return 1;
    }
    if (const auto left_out = loaded.cloud.non_finite; left_out > 0) {
        std::fprintf(
            stderr, "voxel-demo: %s: warning: %llu point%s with non-finite coordinates left out\n",
            opts.load.c_str(), static_cast<unsigned long long>(left_out), left_out == 1 ? "" : "s");
    }
    if (opts.fit) {
        fit_cloud(loaded.cloud, cloud_half_extent);
    }
    cube_records = int(loaded.cloud.size());
    voxel_cube = std::move(loaded.cloud.records);
    return 0;
}

// Kernel and threads as asked; 0, or the exit status after reporting.
int configure_renderer(const options &opts) {
    if (opts.simd) {
        if (!simd_level_supported(*opts.simd)) {
            return fail(std::string("cannot use --simd ") + simd_level_name(*opts.simd),
                        "this CPU or build lacks it");
        }
        set_simd_level(*opts.simd);
    }
    set_render_threads(opts.threads > 0 ? opts.threads
                                        : int(std::max(1u, std::thread::hardware_concurrency())));
    return 0;
}

// SDL video and the 800x600x32 window in `screen`; 0, or the exit status after reporting.
int open_screen(const options &opts) {
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
    return 0;
}

// The cube (unless a cloud took its place), the axes and the scaled model; angles at rest.
void build_scene(const options &opts) {
    if (opts.load.empty()) {
        cube_records = 8 * opts.cube_size * opts.cube_size * opts.cube_size;
        voxel_cube.assign(std::size_t(cube_records) * voxel_floats, 0.0f);
        make_voxel_cube(voxel_cube.data(), float(opts.cube_size));
    }
    make_repere(repere);
    scale_object(voxel_rhino, size_object, rhino_scale);
    rotation_z = 0.0f;
    rotation_y = 0.0f;
    rotation_x = 0.0f;
}

struct loop_outcome {
    frame_copy last_frame; // empty unless asked for
    std::vector<double> frame_ms;
    long points = 0; // drawn in the last frame
};

// Turn, draw, show, clear, count and print, until the window closes or --frames is reached.
loop_outcome run_frames(const options &opts, bool keep_last_frame) {
    loop_outcome out;
    fps_counter counter;
    start_fps(counter, SDL_GetTicks());
    scene_view view{opts.objects, {}, false};
    auto frame_start = std::chrono::steady_clock::now();
    for (long frame = 1;; ++frame) {
        const bool last = handle_events(view) || frame == opts.frames;
        if (!view.paused) {
            rotation_x -= 1.0f;
            rotation_z += 1.0f;
        }
        reset_phi();

        const bool locked = SDL_MUSTLOCK(screen) != 0 && SDL_LockSurface(screen) == 0;
        out.points = 0;
        for (scene_object o : view.order) {
            if (view.shown(o)) {
                const object_records r = records_of(o);
                (opts.plain ? put_object_plain : put_object)(r.data, r.count);
                out.points += r.count;
            }
        }
        if (last && keep_last_frame) {
            out.last_frame = capture_surface(*screen, screen_width, screen_height);
        }
        if (locked) {
            SDL_UnlockSurface(screen);
        }
        SDL_Flip(screen);
        clear_frame(screen);

        calculate_fps(counter, SDL_GetTicks);
        std::printf("FPS = %d\n", counter.fps);
        if (opts.benchmark) {
            const auto now = std::chrono::steady_clock::now();
            out.frame_ms.push_back(
                std::chrono::duration<double, std::milli>(now - frame_start).count());
            frame_start = now;
        }
        if (last) {
            return out;
        }
    }
}

int save_screenshot(const options &opts, file_handle file, const frame_copy &frame) {
    const std::string what = "cannot write screenshot '" + opts.screenshot + "'";
    std::string error;
    if (!write_png(file.get(), frame, error)) {
        return fail(what, error.c_str());
    }
    if (std::fclose(file.release()) != 0) {
        return fail(what, std::strerror(errno));
    }
    return 0;
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
            return fail("cannot write screenshot '" + opts.screenshot + "'", std::strerror(errno));
        }
    }
    // The cloud is read before the window opens: a bad file is reported without a flash.
    if (int status = opts.load.empty() ? 0 : load_cloud(opts); status != 0) {
        return status;
    }
    if (int status = configure_renderer(opts); status != 0) {
        return status;
    }
    if (int status = open_screen(opts); status != 0) {
        return status;
    }
    build_scene(opts);

    const loop_outcome out = run_frames(opts, shot_file != nullptr);

    if (opts.benchmark) {
        const char *kernel = opts.plain ? "plain" : simd_level_name(current_simd_level());
        std::fprintf(stderr, "%s\n",
                     benchmark_line(out.frame_ms.size(), out.points,
                                    opts.plain ? 1 : render_threads(), kernel,
                                    summarize_frames(out.frame_ms))
                         .c_str());
    }
    return shot_file ? save_screenshot(opts, std::move(shot_file), out.last_frame) : 0;
}
