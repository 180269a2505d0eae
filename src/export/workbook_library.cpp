#include "export/workbook_library.h"

#include "kestro_version.h"
#include "platform/program_module.h"

#include <optional>

namespace kestro {

namespace {

struct Loaded {
    WorkbookLibrary functions;
    std::optional<Failure> failure;

    template <class Function> void resolve(Function& function, const char* name) {
        if (failure)
            return;
        if (Status found = loadLibraryFunctionInto(function, build::workbookLibrary, name); !found)
            failure = found.failure();
    }
};

} // namespace

Result<const WorkbookLibrary*> workbookLibrary() {
    static const Loaded loaded = [] {
        Loaded library;
        WorkbookLibrary& f = library.functions;
        library.resolve(f.newWorkbook, "workbook_new_opt");
        library.resolve(f.addFormat, "workbook_add_format");
        library.resolve(f.addWorksheet, "workbook_add_worksheet");
        library.resolve(f.close, "workbook_close");
        library.resolve(f.setBold, "format_set_bold");
        library.resolve(f.setNumberFormat, "format_set_num_format");
        library.resolve(f.writeString, "worksheet_write_string");
        library.resolve(f.writeNumber, "worksheet_write_number");
        library.resolve(f.writeDateTime, "worksheet_write_datetime");
        library.resolve(f.writeFormula, "worksheet_write_formula_num");
        library.resolve(f.setColumn, "worksheet_set_column");
        library.resolve(f.freezePanes, "worksheet_freeze_panes");
        library.resolve(f.autofilter, "worksheet_autofilter");
        library.resolve(f.columnName, "lxw_col_to_name");
        return library;
    }();
    if (loaded.failure)
        return *loaded.failure;
    return &loaded.functions;
}

} // namespace kestro
