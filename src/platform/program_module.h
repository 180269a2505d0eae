#pragma once

// A part of the program kept in a library file of its own and loaded only
// when it is used, so that the program starts without the libraries that
// part needs.

#include "platform/failure.h"

#include <string>

namespace kestro {

// The address of the function `name` in the module file at `path`. The
// module is loaded once and stays loaded until the program ends. Fails with
// 53 when the file is not there, else with 75; the description names `path`
// and says in the system's words what went wrong (a library the module
// needs that is missing, a function it does not have).
Result<void*> loadModuleFunction(const std::string& path, const char* name);

// The same from the program's own module file `module` (a file name): the
// one beside the program (a build), else the one in the program's library
// folder (installed). A failure names the latter.
Result<void*> loadProgramModuleFunction(const char* module, const char* name);

// The address of the function `name` in the system's shared library
// `library`, named as the system's loader finds it ("libcrypto.so.3"): a
// library that only some lists need is loaded when the first of them does,
// and the others start without it. Loaded once, it stays loaded. Fails with
// 75 naming `library`, in the system's words.
Result<void*> loadLibraryFunction(const char* library, const char* name);

// The same, into a function pointer of the function's own type.
template <class Function>
Status loadLibraryFunctionInto(Function& function, const char* library, const char* name) {
    Result<void*> found = loadLibraryFunction(library, name);
    if (!found)
        return found.failure();
    function = reinterpret_cast<Function>(found.value());
    return Ok{};
}

} // namespace kestro
