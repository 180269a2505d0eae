#pragma once

// The create command: collects the folders to list, lists each folder's
// matching files one line each into the temporary list file, and hands the
// whole list to the host. Yields, abort checks, status texts and the failure
// rule are the command's own; the host only provides them.

#include "listgen/list_host.h"

#include <string>

namespace kestro {

enum class RunOutcome {
    Listed,  // the list was handed to the host
    Aborted, // the user aborted; nothing was handed over
    Failed,  // a failure was reported; nothing was handed over
    Quit,    // the host went away; nothing was handed over or reported
};

// Runs the create command once with `host`, collecting the list in the
// temporary list file of `spoolFolder` (by default the program's folder, or
// the cache folder when that is not writable). No temporary file is left
// behind, whatever the outcome.
RunOutcome runCreateCommand(ListHost& host);
RunOutcome runCreateCommand(ListHost& host, const std::string& spoolFolder);

} // namespace kestro
