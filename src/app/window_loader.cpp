// The start without arguments of the program with the window: it loads the
// window's module, found beside the program in the build and in the
// program's library folder once installed, and opens the window.

#include "app/window_start.h"

#include "kestro_version.h"
#include "platform/program_module.h"
#include "platform/program_paths.h"

#include <filesystem>
#include <iostream>

namespace kestro {

namespace {

using RunWindow = int (*)(int*, char**);

// Where the module may be, the first one there taken.
std::string windowModulePath() {
    const std::string folder = programFolder();
    if (folder.empty())
        return std::string(build::installedModuleFolder) + "/" + build::windowModuleName;
    const std::filesystem::path beside = std::filesystem::path(folder) / build::windowModuleName;
    std::error_code unknown;
    if (std::filesystem::exists(beside, unknown))
        return beside.string();
    return (std::filesystem::path(folder) / build::moduleFolderFromProgram /
            build::windowModuleName)
        .lexically_normal()
        .string();
}

} // namespace

const char* windowStartText() {
    return "ウィンドウを開きます。";
}

int startWindow(int& argc, char** argv) {
    const Result<void*> entry = loadModuleFunction(windowModulePath(), "kestro_run_window");
    if (!entry) {
        std::cerr << "kestro: ウィンドウを開けません。" << entry.failure().description
                  << "\nkestro --help でコマンドラインの使い方を表示します。\n";
        return 1;
    }
    return reinterpret_cast<RunWindow>(entry.value())(&argc, argv);
}

} // namespace kestro
