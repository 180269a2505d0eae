// Builds without the workbook library (the Windows cross build).

#include "export/workbook_export.h"

namespace kestro {

bool canWriteWorkbooks() {
    return false;
}

RunOutcome runWorkbookCommand(ListHost& host, const std::string&) {
    Failure failure;
    failure.number = 75;
    failure.description = "この版は Excel ﾌﾞｯｸを書けません。";
    host.reportFailure(failure);
    return RunOutcome::Failed;
}

} // namespace kestro
