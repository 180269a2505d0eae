#pragma once

// Where the help file is found and how it is read. The help is one HTML
// document, "Kestro.html", looked for in this order: beside the program
// (a build folder), in the program's ../share/kestro (an installed tree,
// wherever it was moved), and in the data folder the build was configured
// to install into.

#include "platform/failure.h"

#include <string>
#include <vector>

namespace kestro {

inline constexpr const char* HelpFileName = "Kestro.html";

// The places to look, without duplicates; `programFolder` may be empty (not
// known), `installDataDir` too.
std::vector<std::string> helpFileCandidates(const std::string& programFolder,
                                            const std::string& installDataDir);

// The places for the running program.
std::vector<std::string> helpFileCandidates();

struct HelpFile {
    std::string path;
    std::string html; // UTF-8
};

// The first candidate that reads as a file. Anything that is not a regular
// file (a folder, a FIFO) is passed over without being opened. Fails with 53
// when none reads; the description says so in the program's words and
// lists the places looked at, one a line, each with why it did not read.
Result<HelpFile> readHelpFile(const std::vector<std::string>& candidates);

} // namespace kestro
