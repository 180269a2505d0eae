// The window's starter for a build without the window (the command line
// alone): started without arguments, the program says so.

#include "app/window_start.h"

#include <iostream>

namespace kestro {

const char* windowStartText() {
    return "(このビルドにはウィンドウがありません。)";
}

int startWindow(int& /*argc*/, char** /*argv*/) {
    std::cerr << "kestro: このビルドにはウィンドウがありません。"
                 "kestro --help でコマンドラインの使い方を表示します。\n";
    return 2;
}

} // namespace kestro
