// The start without arguments of the program with the window: it loads the
// window's module, found beside the program in the build and in the
// program's library folder once installed, and opens the window.

#include "app/window_start.h"

#include "kestro_version.h"
#include "platform/program_module.h"
#include "platform/program_paths.h"

#include <filesystem>
#include <iostream>
#include <string>

namespace kestro {

namespace {

using RunWindow = int (*)(int*, char**);

// The window's entry: from the module beside the program (a build), else
// from the program's library folder (installed); a failure names the latter.
Result<void*> loadWindowEntry() {
    constexpr const char* Entry = "kestro_run_window";
    const std::string folder = programFolder();
    if (folder.empty())
        return loadModuleFunction(
            std::string(build::installedModuleFolder) + "/" + build::windowModuleName, Entry);
    const std::filesystem::path program(folder);
    Result<void*> beside = loadModuleFunction((program / build::windowModuleName).string(), Entry);
    if (beside || beside.failure().number != failure::FileNotFound)
        return beside;
    return loadModuleFunction((program / build::moduleFolderFromProgram / build::windowModuleName)
                                  .lexically_normal()
                                  .string(),
                              Entry);
}

} // namespace

const char* windowStartText() {
    return "ウィンドウを開きます。";
}

int startWindow(int& argc, char** argv) {
    const Result<void*> entry = loadWindowEntry();
    if (!entry) {
        std::cerr << "kestro: ウィンドウを開けません。" << entry.failure().description
                  << "\nkestro --help でコマンドラインの使い方を表示します。\n";
        return 1;
    }
    return reinterpret_cast<RunWindow>(entry.value())(&argc, argv);
}

} // namespace kestro
