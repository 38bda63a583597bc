
namespace brevik {
#pragma once

// Opens the window. The window's code and QtWidgets live in a module beside the executable
// that is loaded only here: the terminal modes, which the launch agent starts every few
// seconds, never load them. Returns the window's exit status, or 1 (with a message) when
// the module cannot be loaded.
namespace WindowLoader {

int run(int &argc, char **argv);

} // namespace WindowLoader

} // namespace brevik
