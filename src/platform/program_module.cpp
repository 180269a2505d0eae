// Finding the program's own modules is the same on every system; each
// system's file loads them (program_module_linux.cpp, program_module_win32.cpp).

#include "platform/program_module.h"

#include "kestro_version.h"
#include "platform/program_paths.h"

#include <filesystem>

namespace kestro {

Result<void*> loadProgramModuleFunction(const char* module, const char* name) {
    const std::string folder = programFolder();
    if (folder.empty())
        return loadModuleFunction(std::string(build::installedModuleFolder) + "/" + module, name);
    const std::filesystem::path program(folder);
    Result<void*> beside = loadModuleFunction((program / module).string(), name);
    if (beside || beside.failure().number != failure::FileNotFound)
        return beside;
    return loadModuleFunction(
        (program / build::moduleFolderFromProgram / module).lexically_normal().string(), name);
}

} // namespace kestro
