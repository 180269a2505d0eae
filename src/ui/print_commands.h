#pragma once

// 「印刷」 and 「PDF に保存」 of the file menu: the pane's text on paper or in
// a PDF file, laid out by ui/list_printer.h, with a progress dialog whose
// cancel button stops the run between two pages.

#include "platform/failure.h"
#include "ui/list_printer.h"

#include <string>

class QWidget;

namespace kestro {

class ListPaneEditor;

// What the pane holds, as it prints: its text, font and tab stops, with
// `title` and today's date in the header. Valid until the pane's text
// changes.
PrintedList printedListOf(const ListPaneEditor& pane, const QString& title);

// Shows the print preview of `list` over `parent` (modal); its print button
// prints the same pages on the printer chosen there.
void showPrintPreview(QWidget* parent, const PrintedList& list);

// Writes the PDF of `list` to `path`. The PDF is made in the per-user cache
// folder and then saved at `path` as a document is (a link followed, the
// old file whole on a failure), so a cancelled run leaves `path` as it was;
// `cancelled` tells of one (Ok then).
Status savePdf(QWidget* parent, const PrintedList& list, const std::string& path, bool& cancelled);

} // namespace kestro
