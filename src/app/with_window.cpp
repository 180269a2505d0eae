// The start without arguments of the program with the window: it opens.

#include "app/window_start.h"

#include "ui/run_window.h"

namespace kestro {

const char* windowStartText() {
    return "ウィンドウを開きます。";
}

int startWindow(int& argc, char** argv) {
    return runWindow(argc, argv);
}

} // namespace kestro
