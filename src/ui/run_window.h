#pragma once

// Starts the program's window: makes the application object, shows MainWindow
// and runs the event loop until the window is closed. Returns the exit
// status of the event loop.

class QWidget;

namespace kestro {

int runWindow(int& argc, char** argv);

// Turns SIGTERM, SIGHUP and SIGINT into the close of `window` that its close
// box gives: the settings are written, and a list being made stops at its
// next turn of the event loop and removes its temporary file. A modal box
// that is open is left too, so that the program really ends. The signal
// handler only writes to a pipe; the close runs on the event loop.
void closeOnTerminationSignals(QWidget& window);

} // namespace kestro
