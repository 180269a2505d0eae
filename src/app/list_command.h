#pragma once

// `kestro --list [options] FOLDER`: the create command without a window. The
// list goes to standard output exactly as the window would receive it; a
// failure's report goes to standard error.

#include "listgen/list_options.h"
#include "platform/text.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestro {

struct ListCommandLine {
    ListOptions options;    // the defaults with the given options applied
    std::string folder;     // empty: none given
    bool useStored = false; // start from the options the window stored
    // How the list's characters are written ("--encoding"); not stored.
    TextEncoding encoding = TextEncoding::Utf8;
    bool encodingGiven = false;
    // "--xlsx FILE": the list as a workbook in FILE instead of standard
    // output; empty: none.
    std::string workbook;
    // The given options, in their order, to apply to other starting options.
    std::vector<std::function<void(ListOptions&)>> changes;

    ListOptions appliedTo(ListOptions base) const;
};

// Parses the arguments after "--list". On bad usage returns nothing and sets
// `error` to a message for standard error.
std::optional<ListCommandLine> parseListArguments(const std::vector<std::string>& arguments,
                                                  std::string& error);

// The help's lines of the options of "--list", one entry each, in the
// option table's help order.
std::string listOptionHelp();

// Runs the command; returns the exit status (0 listed, 1 failure or abort
// reported, 2 bad usage, 3 listed with unreadable folders left out).
int runListCommand(const std::vector<std::string>& arguments);

// `kestro --compare SAVED [options] FOLDER`: the list of FOLDER compared with
// the list saved in SAVED, the difference list on standard output. Returns 0
// when nothing differs, 4 when something does, 1 on a failure or abort, 2 on
// bad usage, 3 when nothing differs but unreadable folders were left out.
int runCompareCommand(const std::vector<std::string>& arguments);

} // namespace kestro
