#pragma once

// What the program does when started without arguments. The program with
// the window opens it (app/with_window.cpp); a build without the window
// says that it has none (app/no_window.cpp). The one of them built into the
// program is chosen in src/CMakeLists.txt.

namespace kestro {

// Runs the window until it is closed, or says there is none; the exit status.
int startWindow(int& argc, char** argv);

// What starting without arguments does, for the command line's help.
const char* windowStartText();

} // namespace kestro
