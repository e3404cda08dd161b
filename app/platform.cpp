#include "platform.hpp"

#include <cstdio>

#ifdef _WIN32

void attach_console_streams() {
    // Results are deliberately ignored: with no console there is nowhere to report to anyway.
    (void)std::freopen("CON", "w", stdout);
    (void)std::freopen("CON", "r", stdin);
    (void)std::freopen("CON", "w", stderr);
}

#else

void attach_console_streams() {}

// SDL 1.2 has no entry shim outside Windows and macOS: hand the process straight to SDL_main.
int main(int argc, char **argv) {
    return SDL_main(argc, argv);
}

#endif
