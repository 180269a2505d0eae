#pragma once

// Where the program and its per-user files live.

#include "platform/failure.h"

#include <string>

namespace kestro {

// The folder that holds the running program file, without a trailing "/".
std::string programFolder();

// $XDG_CONFIG_HOME, or ~/.config when unset or not absolute.
std::string configHome();
// $XDG_CACHE_HOME, or ~/.cache.
std::string cacheHome();
// $XDG_DATA_HOME, or ~/.local/share.
std::string dataHome();

// Creates `folder` and its missing parents (mode 0700 for new ones).
Status makeFolders(const std::string& folder);

// Writes `bytes` to `path` atomically: a temporary file beside it is written,
// synced and renamed over `path`, so a failure leaves the old file untouched.
// Failures carry the errno's number and name `path`.
Status writeFileAtomically(const std::string& path, const std::string& bytes);

// The whole content of a file; failures name `path`.
Result<std::string> readWholeFile(const std::string& path);

} // namespace kestro
