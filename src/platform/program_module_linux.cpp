#include "platform/program_module.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace kestro {

namespace {

Failure moduleFailure(int number, const std::string& path, const char* why) {
    Failure failed = makeFailure(number, path);
    if (why)
        failed.description += ": " + std::string(why);
    return failed;
}

// The function `name` of the file `file`, loaded by a path or, without a
// "/", as the loader finds a library by its name.
Result<void*> loadFunction(const std::string& file, const char* name) {
    void* loaded = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!loaded)
        return moduleFailure(failure::PathFileAccess, file, ::dlerror());
    ::dlerror();
    void* function = ::dlsym(loaded, name);
    if (!function)
        return moduleFailure(failure::PathFileAccess, file, ::dlerror());
    return function;
}

} // namespace

Result<void*> loadModuleFunction(const std::string& path, const char* name) {
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0)
        return moduleFailure(failure::FileNotFound, path, nullptr);
    return loadFunction(path, name);
}

Result<void*> loadLibraryFunction(const char* library, const char* name) {
    return loadFunction(library, name);
}

} // namespace kestro
