// The window as a module of its own: the program loads it when it is
// started without arguments (app/window_loader.cpp), so that the command
// line starts without Qt Widgets, QScintilla and the display's libraries.

#include "ui/run_window.h"

extern "C" __attribute__((visibility("default"))) int kestro_run_window(int* argc, char** argv) {
    return kestro::runWindow(*argc, argv);
}
