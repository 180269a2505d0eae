// The start without arguments of the program with the window: it loads the
// window's module, found beside the program in the build and in the
// program's library folder once installed, and opens the window.

#include "app/window_start.h"

#include "kestro_version.h"
#include "platform/program_module.h"

#include <iostream>
#include <string>

namespace kestro {

const char* windowStartText() {
    return "ウィンドウを開きます。";
}

int startWindow(int& argc, char** argv) {
    const Result<void*> entry =
        loadProgramModuleFunction(build::windowModuleName, "kestro_run_window");
    if (!entry) {
        std::cerr << "kestro: ウィンドウを開けません。" << entry.failure().description
                  << "\nkestro --help でコマンドラインの使い方を表示します。\n";
        return 1;
    }
    using RunWindow = int (*)(int*, char**);
    return reinterpret_cast<RunWindow>(entry.value())(&argc, argv);
}

} // namespace kestro
