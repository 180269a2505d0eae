#pragma once

// The columns of a list, each declared once: its title, the option that
// chooses it, whether its cell needs the file's facts, and the function that
// makes its cell. The order of the table is the order of the cells in every
// line and of the titles in the header.

#include "listgen/list_options.h"
#include "platform/file_facts.h"

#include <span>
#include <string>
#include <string_view>

namespace kestro {

class LineFormatter;

struct ListColumn {
    std::string_view title;
    // The switch that chooses the column; null for a column always written.
    bool ListOptions::*chosen;
    // Whether the cell needs the file's facts (size, attributes, a time):
    // without such a column the run reads no file at all.
    bool needsFacts;
    // Whether the cell needs the file's contents read (its digest).
    bool needsContents;
    // Appends the cell of file `name` of the formatter's current folder to
    // `out`. `facts` is null when they could not be read (the cell is then
    // left empty) or when no chosen column needs them.
    void (*cell)(LineFormatter& formatter, std::string_view name, const FileFacts* facts,
                 std::string& out);
    // The title when it depends on the options; null: `title`.
    std::string_view (*titleFor)(const ListOptions& options);
};

// The checksum column's title for each algorithm: lists with different
// algorithms differ in their header.
std::string_view hashColumnTitle(int hashAlgorithm);

std::span<const ListColumn> listColumns();

} // namespace kestro
