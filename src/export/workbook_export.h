#pragma once

// The create command writing its list as a spreadsheet workbook
// (export/list_workbook.h) instead of handing the text to its host.

#include "listgen/list_engine.h"
#include "listgen/list_host.h"

#include <string>

namespace kestro {

// Whether this build can write workbooks.
bool canWriteWorkbooks();

// Runs the create command with `host` (its options, status, yields, abort
// and failure report) and makes the list the workbook file `path`; the host
// is handed no list. The workbook is made in the per-user cache folder and
// then saved at `path` the way a document is saved (a link followed, the
// file's owner and mode kept, the old file whole on a failure), so nothing is
// left at `path` by an aborted or failed run. A failure to write it is
// reported to the host (and gives Failed). A build without the workbook
// library reports failure 75 at once.
RunOutcome runWorkbookCommand(ListHost& host, const std::string& path);

} // namespace kestro
