#pragma once

// Prints a list's text (UTF-8 with LF line ends, as the pane holds it) on a
// paged device: a printer, a PDF file or the print preview.
//
// Each page has a header line with the title (the document's name, or the
// folder listed) on the left, the date in the middle and the page number as
// "n / m" on the right, with a rule below it. The text is set in the pane's
// font, tab stops as many half-width characters apart as in the pane, so
// that the columns stay aligned; a line longer than the page is wide goes on
// on the next row, which starts with a mark ("→") in the margin that every
// row keeps for it. A byte that is no UTF-8 prints as U+FFFD, as the pane
// shows it.
//
// Pages are made one by one: a first pass over the text finds where each
// page starts (one byte offset and row per page is all that is kept), and
// the second paints page after page from there, so a list of a million lines
// needs no more memory than its text. Both passes report their progress and
// stop when it says so.

#include <QFont>
#include <QString>

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

class QPagedPaintDevice;
class QPainter;
class QFontMetricsF;

namespace kestro {

struct PrintedList {
    std::string_view text;
    QFont font;
    // The distance of the tab stops in half-width characters.
    double tabColumns = 8;
    QString title;
    QString date;
};

class ListPrinter {
public:
    // Called now and then with the bytes of the text done in this pass and
    // the text's length; false stops the pass.
    using Progress = std::function<bool(std::size_t done, std::size_t total)>;

    explicit ListPrinter(PrintedList list) : list_(std::move(list)) {}

    // Lays the text out for `device` (its page size, margins and
    // resolution). False when `progress` stopped it.
    bool layout(QPagedPaintDevice& device, const Progress& progress);
    // The pages of the last layout (at least one: an empty text prints its
    // header).
    int pageCount() const { return static_cast<int>(pages_.size()); }

    // Paints every page of the last layout on `device`, which must be the
    // one laid out for, each page after the first begun with newPage().
    // False when `progress` stopped it or the painter could not start.
    bool paint(QPagedPaintDevice& device, const Progress& progress);

private:
    struct PageStart {
        std::size_t offset; // of the line the page starts in
        int row;            // the row of that line the page starts with
    };
    struct Geometry;

    // Splits `line` into the rows it takes; `row` receives each row's number
    // and its pieces (x from the text's left edge, text). False from `row`
    // stops the splitting.
    struct Piece {
        double x;
        QString text;
    };
    template <typename RowHandler>
    void splitLine(const QString& line, const Geometry& geometry, RowHandler&& row) const;
    void paintHeader(QPainter& painter, const Geometry& geometry, int page) const;

    PrintedList list_;
    std::vector<PageStart> pages_;
};

} // namespace kestro
