#include "platform/program_module.h"

#include "platform/wide_path.h"

#include <windows.h>

namespace kestro {

Result<void*> loadModuleFunction(const std::string& path, const char* name) {
    const std::wstring wide = win32::longPath(path);
    if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
        return makeFailure(failure::FileNotFound, path);
    HMODULE module = ::LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        return failureFromErrno(win32::lastErrno(), path, false);
    FARPROC function = ::GetProcAddress(module, name);
    if (!function)
        return makeFailure(failure::PathFileAccess, path);
    return reinterpret_cast<void*>(function);
}

Result<void*> loadLibraryFunction(const char* library, const char* name) {
    HMODULE loaded =
        ::LoadLibraryExW(win32::widen(library).c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    if (!loaded)
        return failureFromErrno(win32::lastErrno(), library, false);
    FARPROC function = ::GetProcAddress(loaded, name);
    if (!function)
        return makeFailure(failure::PathFileAccess, library);
    return reinterpret_cast<void*>(function);
}

} // namespace kestro
