// The thin layer between the operating system and the application's `SDL_main`.
#pragma once

// The application entry point. On Windows SDL's own entry shim calls it; elsewhere ours does.
extern "C" int SDL_main(int argc, char **argv);

// Makes sure standard input, output and error reach the console. On Windows SDL's shim may have
// sent output to files beside the executable, so the streams are reopened on "CON"; elsewhere
// they already reach the terminal and are left alone.
void attach_console_streams();
