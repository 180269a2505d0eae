#include "ui/print_commands.h"

#include "platform/program_paths.h"
#include "ui/list_pane_editor.h"

#include <QDate>
#include <QFile>
#include <QFontMetricsF>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QStorageInfo>

#include <algorithm>
#include <cmath>
#include <random>

namespace kestro {

namespace {

// Qt's PDF engine does not tell a write that failed (a full disc), and a
// short write that failed can be followed by the last ones: a PDF is whole
// when it ends with its end-of-file mark after the place of its table of
// objects, and that table is at that place.
bool isWholePdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (!file.seek(std::max<qint64>(0, size - 1024)))
        return false;
    const QByteArray tail = file.readAll().trimmed();
    const qsizetype mark = tail.lastIndexOf("startxref");
    if (!tail.endsWith("%%EOF") || mark < 0)
        return false;
    bool number = false;
    const qint64 table =
        tail.mid(mark + 9, tail.size() - 5 - mark - 9).trimmed().toLongLong(&number);
    return number && table >= 0 && table + 4 <= size && file.seek(table) && file.read(4) == "xref";
}

// Why the PDF at `path` in `folder` could not be made whole.
Failure pdfFailure(const std::string& folder, const std::string& path) {
    // Less room than a page takes: the disc is full.
    constexpr qint64 PageBytes = qint64{64} * 1024;
    const QStorageInfo storage(QFile::decodeName(QByteArray::fromStdString(folder)));
    if (storage.isValid() && storage.bytesAvailable() < PageBytes)
        return makeFailure(failure::DiskFull, path);
    return makeFailure(failure::PathFileAccess, path);
}

// A progress dialog for one run; its cancel button stops the run.
class PrintProgress {
public:
    explicit PrintProgress(QWidget* parent)
        : dialog_(QStringLiteral("印刷の準備中..."), QStringLiteral("ｷｬﾝｾﾙ"), 0, 1000, parent) {
        dialog_.setWindowTitle(QStringLiteral("印刷"));
        dialog_.setWindowModality(Qt::WindowModal);
        dialog_.setMinimumDuration(500);
    }

    // The progress of one of the two passes.
    ListPrinter::Progress pass(const QString& label, int first) {
        return [this, label, first](std::size_t done, std::size_t total) {
            if (dialog_.labelText() != label)
                dialog_.setLabelText(label);
            const double share = total == 0 ? 1.0 : static_cast<double>(done) / total;
            dialog_.setValue(first + static_cast<int>(share * 500));
            return !dialog_.wasCanceled();
        };
    }

    // Lays out and paints `list` on `device`; false when cancelled or the
    // device failed.
    bool run(const PrintedList& list, QPagedPaintDevice& device) {
        ListPrinter printer(list);
        return printer.layout(device, pass(QStringLiteral("ﾍﾟｰｼﾞ割り付け中..."), 0)) &&
               printer.paint(device, pass(QStringLiteral("印刷中..."), 500));
    }

    bool cancelled() const { return dialog_.wasCanceled(); }

private:
    QProgressDialog dialog_;
};

} // namespace

PrintedList printedListOf(const ListPaneEditor& pane, const QString& title) {
    PrintedList list;
    list.text = pane.textBytes();
    list.font = pane.font();
    const double space = QFontMetricsF(list.font).horizontalAdvance(QLatin1Char(' '));
    if (space > 0)
        list.tabColumns = std::round(pane.tabStopDistance() / space);
    list.title = title;
    list.date = QDate::currentDate().toString(QStringLiteral("yyyy/MM/dd"));
    return list;
}

void showPrintPreview(QWidget* parent, const PrintedList& list) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(list.title);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(QStringLiteral("印刷ﾌﾟﾚﾋﾞｭｰ"));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* target) {
                         PrintProgress progress(&preview);
                         if (!progress.run(list, *target) && progress.cancelled())
                             target->abort();
                     });
    preview.exec();
}

Status savePdf(QWidget* parent, const PrintedList& list, const std::string& path, bool& cancelled) {
    cancelled = false;
    const std::string folder = cacheHome() + "/Kestro";
    if (auto made = makeFolders(folder); !made)
        return made.failure();
    std::random_device random;
    const std::string temporary =
        folder + "/print-" + std::to_string(random()) + std::to_string(random()) + ".pdf";
    const QString temporaryName = QFile::decodeName(QByteArray::fromStdString(temporary));
    bool made = false;
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temporaryName);
        printer.setDocName(list.title);
        PrintProgress progress(parent);
        made = progress.run(list, printer);
        cancelled = progress.cancelled();
    }
    Status saved = Ok{};
    if (made && isWholePdf(temporaryName)) {
        saved = saveFileKeepingIdentityFrom(path, temporary);
    } else if (made) {
        saved = pdfFailure(folder, temporary);
    } else if (!cancelled) {
        saved = makeFailure(failure::PathFileAccess, path);
    }
    QFile::remove(temporaryName);
    return saved;
}

} // namespace kestro
