#pragma once

// `kestro --info PATH`: every query of the file object for PATH, one
// "Name: value" line each, or "Name: error N" for a query that fails.

#include <ostream>
#include <string>

namespace kestro {

// Writes the lines to `out`; returns the exit status (always 0: a failing
// query is part of the answer, not a failure of the command).
int runInfoCommand(const std::string& path, std::ostream& out);

} // namespace kestro
