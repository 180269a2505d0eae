#include "ui/list_printer.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace kestro {

namespace {

const QString WrapMark = QStringLiteral("→");
// Progress is told after this many lines.
constexpr int ProgressEvery = 2000;
// The widths of this many texts are kept (a list repeats its folders, times
// and extensions line after line); then they are forgotten.
constexpr qsizetype KeptWidths = 4096;

// A font sized in pixels is sized for the screen; on paper it keeps its
// size in points.
QFont paperFont(QFont font) {
    if (font.pointSizeF() <= 0)
        font.setPointSizeF(font.pixelSize() > 0 ? font.pixelSize() * 72.0 / 96.0 : 10.0);
    return font;
}

// The next line of `text` from `offset` (without its LF), and moves
// `offset` past it.
std::string_view nextLine(std::string_view text, std::size_t& offset) {
    const std::size_t end = std::min(text.find('\n', offset), text.size());
    const std::string_view line = text.substr(offset, end - offset);
    offset = end + 1;
    return line;
}

QString decoded(std::string_view line) {
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

} // namespace

struct ListPrinter::Geometry {
    Geometry(const PrintedList& list, QPaintDevice& device)
        : font(paperFont(list.font)), metrics(font, &device) {
        lineHeight = metrics.lineSpacing();
        gutter = metrics.horizontalAdvance(WrapMark) + metrics.horizontalAdvance(QLatin1Char(' '));
        width = std::max(device.width() - gutter, metrics.maxWidth() * 2);
        tab = std::max(1.0, list.tabColumns) * metrics.horizontalAdvance(QLatin1Char(' '));
        bodyTop = lineHeight * 2;
        rows = std::max(1, static_cast<int>(std::floor((device.height() - bodyTop) / lineHeight)));
    }

    // The width of `text`, measured once while it is among the last kept.
    double advance(const QString& text) const {
        if (text.isEmpty())
            return 0;
        if (const auto known = widths.constFind(text); known != widths.cend())
            return *known;
        if (widths.size() >= KeptWidths)
            widths.clear();
        const double width = metrics.horizontalAdvance(text);
        widths.insert(text, width);
        return width;
    }

    QFont font;
    QFontMetricsF metrics;
    mutable QHash<QString, double> widths;
    double lineHeight = 0;
    double gutter = 0; // left of the text, for the wrap mark
    double width = 0;  // of the text
    double tab = 0;
    double bodyTop = 0;
    int rows = 0; // of text per page
};

template <typename RowHandler>
void ListPrinter::splitLine(const QString& line, const Geometry& geometry, RowHandler&& row) const {
    std::vector<Piece> pieces;
    int number = 0;
    double x = 0;
    const auto endRow = [&] {
        const bool go = row(number++, pieces);
        pieces.clear();
        x = 0;
        return go;
    };
    qsizetype start = 0;
    while (start <= line.size()) {
        qsizetype tab = line.indexOf(QLatin1Char('\t'), start);
        if (tab < 0)
            tab = line.size();
        QString segment = line.mid(start, tab - start);
        double advance = geometry.advance(segment);
        while (x + advance > geometry.width) {
            // The characters that fit this row; at least one on a row of
            // its own, so that no character is lost.
            double used = 0;
            qsizetype cut = 0;
            while (cut < segment.size()) {
                const qsizetype length =
                    segment[cut].isHighSurrogate() && cut + 1 < segment.size() ? 2 : 1;
                const double next = geometry.metrics.horizontalAdvance(segment.mid(cut, length));
                if (x + used + next > geometry.width && (cut > 0 || x > 0))
                    break;
                used += next;
                cut += length;
            }
            if (cut > 0)
                pieces.push_back({x, segment.left(cut)});
            if (!endRow())
                return;
            segment.remove(0, cut);
            advance = geometry.advance(segment);
        }
        if (!segment.isEmpty())
            pieces.push_back({x, segment});
        x += advance;
        if (tab >= line.size())
            break;
        x = (std::floor(x / geometry.tab) + 1) * geometry.tab;
        if (x > geometry.width && !endRow())
            return;
        start = tab + 1;
    }
    row(number, pieces);
}

bool ListPrinter::layout(QPagedPaintDevice& device, const Progress& progress) {
    const Geometry geometry(list_, device);
    const std::string_view text = list_.text;
    pages_.assign(1, PageStart{0, 0});
    int used = 0; // rows of the current page
    std::size_t offset = 0;
    for (int lines = 0; offset < text.size(); ++lines) {
        if (lines % ProgressEvery == 0 && progress && !progress(offset, text.size()))
            return false;
        const std::size_t lineStart = offset;
        const QString line = decoded(nextLine(text, offset));
        splitLine(line, geometry, [&](int row, const std::vector<Piece>&) {
            if (used == geometry.rows) {
                pages_.push_back({lineStart, row});
                used = 0;
            }
            ++used;
            return true;
        });
    }
    return true;
}

void ListPrinter::paintHeader(QPainter& painter, const Geometry& geometry, int page) const {
    const QRectF line(0, 0, geometry.gutter + geometry.width, geometry.lineHeight);
    const QString number = QStringLiteral("%1 / %2").arg(page + 1).arg(pageCount());
    const double side = line.width() / 2 - geometry.metrics.horizontalAdvance(list_.date) / 2 -
                        geometry.metrics.horizontalAdvance(QLatin1Char(' '));
    painter.drawText(QRectF(0, 0, side, line.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     geometry.metrics.elidedText(list_.title, Qt::ElideMiddle, side));
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignVCenter, list_.date);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter, number);
    const double rule = geometry.lineHeight * 1.4;
    painter.drawLine(QPointF(0, rule), QPointF(line.width(), rule));
}

bool ListPrinter::paint(QPagedPaintDevice& device, const Progress& progress) {
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const Geometry geometry(list_, device);
    painter.setFont(geometry.font);
    const std::string_view text = list_.text;
    for (int page = 0; page < pageCount(); ++page) {
        if (progress && !progress(pages_[page].offset, text.size()))
            return false;
        if (page > 0 && !device.newPage())
            return false;
        paintHeader(painter, geometry, page);
        int used = 0;
        std::size_t offset = pages_[page].offset;
        int firstRow = pages_[page].row;
        while (used < geometry.rows && offset < text.size()) {
            const QString line = decoded(nextLine(text, offset));
            splitLine(line, geometry, [&](int row, const std::vector<Piece>& pieces) {
                if (row < firstRow)
                    return true;
                if (used == geometry.rows)
                    return false;
                const double baseline =
                    geometry.bodyTop + used * geometry.lineHeight + geometry.metrics.ascent();
                if (row > 0)
                    painter.drawText(QPointF(0, baseline), WrapMark);
                for (const Piece& piece : pieces)
                    painter.drawText(QPointF(geometry.gutter + piece.x, baseline), piece.text);
                ++used;
                return true;
            });
            firstRow = 0;
        }
    }
    return painter.end();
}

} // namespace kestro
