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

} // namespace kestro
