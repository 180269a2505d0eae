#pragma once

// Starts the program's window: makes the application object, shows Form1
// and runs the event loop until the window is closed. Returns the exit
// status of the event loop.

namespace kestro {

int runWindow(int& argc, char** argv);

} // namespace kestro
