#pragma once

// `kestro --info PATH`: every query of the file object for PATH, one
// "Name: value" line each, or "Name: error N" for a query that fails.
// A path of which no query could be answered is a failure of the command.

#include <ostream>
#include <string>

namespace kestro {

// Writes the lines to `out` and returns the exit status: 0 when at least one
// query was answered (a failing query is part of the answer), 1 when every
// query failed, so the path could not be read at all; the first failure's
// report then goes to `errors`.
int runInfoCommand(const std::string& path, std::ostream& out, std::ostream& errors);
// The same with the report on standard error.
int runInfoCommand(const std::string& path, std::ostream& out);

} // namespace kestro
