#pragma once

// Short (8.3) names. Windows keeps one beside each long name on volumes that
// make them; elsewhere, and on a volume that makes none, the short name is
// the long one.

#include <string>

namespace kestro {

// The short form of the existing `path` (every part of it short); the path
// itself when the system has none or the path cannot be found.
std::string shortPath(const std::string& path);

// The folder that a list with short paths starts from, so that its folder
// lines and its short path cells show one form: on Windows `folder` made
// absolute against the current folder (a "\\?\" or "\\.\" prefix kept as
// typed); elsewhere `folder` itself, whose short paths are the long ones.
std::string shortPathsRoot(const std::string& folder);

// The short name of the entry `name` of `folder`; `name` itself when it
// has none.
std::string shortName(const std::string& folder, const std::string& name);

} // namespace kestro
