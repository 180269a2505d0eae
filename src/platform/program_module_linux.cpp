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

} // namespace

Result<void*> loadModuleFunction(const std::string& path, const char* name) {
    struct stat facts {};
    if (::stat(path.c_str(), &facts) != 0)
        return moduleFailure(failure::FileNotFound, path, nullptr);
    void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module)
        return moduleFailure(failure::PathFileAccess, path, ::dlerror());
    ::dlerror();
    void* function = ::dlsym(module, name);
    if (!function)
        return moduleFailure(failure::PathFileAccess, path, ::dlerror());
    return function;
}

Result<void*> loadLibraryFunction(const char* library, const char* name) {
    void* loaded = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
    if (!loaded)
        return moduleFailure(failure::PathFileAccess, library, ::dlerror());
    ::dlerror();
    void* function = ::dlsym(loaded, name);
    if (!function)
        return moduleFailure(failure::PathFileAccess, library, ::dlerror());
    return function;
}

} // namespace kestro
