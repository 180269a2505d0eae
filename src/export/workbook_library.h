#pragma once

// The functions of libxlsxwriter that the workbook uses. The library is
// loaded when the first workbook is made: a text list starts without it
// (and without the zip and compression libraries it needs).

#include "platform/failure.h"

#include <xlsxwriter.h>

namespace kestro {

struct WorkbookLibrary {
    decltype(&workbook_new_opt) newWorkbook = nullptr;
    decltype(&workbook_add_format) addFormat = nullptr;
    decltype(&workbook_add_worksheet) addWorksheet = nullptr;
    decltype(&workbook_close) close = nullptr;
    decltype(&format_set_bold) setBold = nullptr;
    decltype(&format_set_num_format) setNumberFormat = nullptr;
    decltype(&worksheet_write_string) writeString = nullptr;
    decltype(&worksheet_write_number) writeNumber = nullptr;
    decltype(&worksheet_write_datetime) writeDateTime = nullptr;
    decltype(&worksheet_write_formula_num) writeFormula = nullptr;
    decltype(&worksheet_set_column) setColumn = nullptr;
    decltype(&worksheet_freeze_panes) freezePanes = nullptr;
    decltype(&worksheet_autofilter) autofilter = nullptr;
    decltype(&lxw_col_to_name) columnName = nullptr;
};

// The library, loaded at the first call; the failure to load it (75, naming
// it) at this and every later call.
Result<const WorkbookLibrary*> workbookLibrary();

} // namespace kestro
