#include "platform/program_module.h"

#include "platform/wide_path.h"

#include <windows.h>

namespace kestro {

namespace {

// The function `name` of `file` (`wide` in the system's form), loaded with
// the search `flags`; failures name `file`.
Result<void*> loadFunction(const std::string& file, const std::wstring& wide, DWORD flags,
                           const char* name) {
    HMODULE loaded = ::LoadLibraryExW(wide.c_str(), nullptr, flags);
    if (!loaded)
        return failureFromErrno(win32::lastErrno(), file, false);
    FARPROC function = ::GetProcAddress(loaded, name);
    if (!function)
        return makeFailure(failure::PathFileAccess, file);
    return reinterpret_cast<void*>(function);
}

} // namespace

Result<void*> loadModuleFunction(const std::string& path, const char* name) {
    const std::wstring wide = win32::longPath(path);
    if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES)
        return makeFailure(failure::FileNotFound, path);
    return loadFunction(path, wide, LOAD_WITH_ALTERED_SEARCH_PATH, name);
}

Result<void*> loadLibraryFunction(const char* library, const char* name) {
    return loadFunction(library, win32::widen(library), LOAD_LIBRARY_SEARCH_DEFAULT_DIRS, name);
}

} // namespace kestro
