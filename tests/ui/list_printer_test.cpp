// The printed list: a golden list five times (and a line longer than a page
// is wide) made into a PDF, read back with pdftotext -layout: every line there, in
// order, a wrapped line's rows behind their marks, each page's number as
// "n / m". With KESTRO_PREVIEW_SHOT=FILE.png the print preview of the same
// list is saved to FILE.png (the screenshot of the documentation).

#include "ui/list_printer.h"
#include "ui/print_commands.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/mount.h>

namespace kestro {

class ListPrinterTest : public QObject {
    Q_OBJECT

private:
    static QByteArray goldenList() {
        QFile file(qEnvironmentVariable("KESTRO_SOURCE_DIR") +
                   QStringLiteral("/tests/golden/every-column.out"));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        QByteArray text = file.readAll();
        text.replace("\r\n", "\n");
        text = text.repeated(5); // more than one page
        // Wider than any page: it goes on over three rows or more.
        text += QByteArray("tree/\t") + QByteArray(120, 'w') + "\t" + QByteArray(120, 'x') +
                QByteArray("ﾃﾞｰﾀの終わり\n");
        return text;
    }

    static PrintedList listOf(const QByteArray& text) {
        PrintedList list;
        list.text = std::string_view(text.constData(), static_cast<std::size_t>(text.size()));
        list.font = QFont(QStringLiteral("IPAGothic"), 10);
        list.title = QStringLiteral("every-column.out");
        list.date = QStringLiteral("2026/12/08");
        return list;
    }

    // Whitespace is where tabs and columns were; it is left out on both
    // sides. pdftotext has no character for a byte that is no UTF-8, and
    // reads the control pictures (from a fallback font) as spaces.
    static QString bare(QString text) {
        text.remove(QRegularExpression(QStringLiteral("[\\s\\x{FFFD}\\x{2400}-\\x{2421}]")));
        return text;
    }

private slots:
    // The PDF is made in the cache folder and saved only when whole: with
    // that folder's disc full, the failure says so and nothing is saved.
    void aFullDiscIsToldAndNothingIsSaved() {
        QTemporaryDir folder;
        const QByteArray small = QFile::encodeName(folder.filePath(QStringLiteral("cache")));
        QVERIFY(QDir().mkpath(QString::fromLocal8Bit(small)));
        // Less than the PDF of the golden list takes (some 26 KB).
        if (::mount("tmpfs", small.constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("cannot mount a small file system here");
        const QByteArray cache = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", small);
        const QString pdf = folder.filePath(QStringLiteral("list.pdf"));
        bool cancelled = true;
        const Status saved =
            savePdf(nullptr, listOf(goldenList()), QFile::encodeName(pdf).toStdString(), cancelled);
        ::umount(small.constData());
        if (cache.isNull())
            qunsetenv("XDG_CACHE_HOME");
        else
            qputenv("XDG_CACHE_HOME", cache);
        QVERIFY2(!saved,
                 qPrintable(QStringLiteral("saved as whole: %1 bytes").arg(QFileInfo(pdf).size())));
        QCOMPARE(saved.failure().number, 61);
        QVERIFY(!cancelled);
        QVERIFY(!QFile::exists(pdf));
    }

    void thePdfHoldsEveryLineInOrderWithPageNumbers() {
        const QByteArray text = goldenList();
        QVERIFY(!text.isEmpty());
        QTemporaryDir folder;
        const QString pdf = folder.filePath(QStringLiteral("list.pdf"));
        bool cancelled = true;
        QVERIFY(savePdf(nullptr, listOf(text), QFile::encodeName(pdf).toStdString(), cancelled));
        QVERIFY(!cancelled);

        QProcess reader;
        reader.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, "-"});
        QVERIFY2(reader.waitForFinished(60000), "pdftotext (poppler-utils) did not run");
        QCOMPARE(reader.exitCode(), 0);
        const QStringList pages = QString::fromUtf8(reader.readAllStandardOutput())
                                      .split(QLatin1Char('\f'), Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 2); // the golden list and the long line fill more than one

        QStringList printed;
        for (int page = 0; page < pages.size(); ++page) {
            QStringList lines = pages[page].split(QLatin1Char('\n'));
            lines.removeAll(QString());
            QVERIFY(!lines.isEmpty());
            // The header: title, date, "n / m".
            const QString header = lines.takeFirst().simplified();
            QVERIFY2(header.startsWith(QStringLiteral("every-column.out 2026/12/08")) &&
                         header.endsWith(QStringLiteral("%1 / %2").arg(page + 1).arg(pages.size())),
                     qPrintable(header));
            for (const QString& line : lines) {
                const QString trimmed = line.trimmed();
                if (trimmed.startsWith(QStringLiteral("→")) && !printed.isEmpty())
                    printed.back() += bare(trimmed.mid(1));
                else if (!trimmed.isEmpty())
                    printed << bare(trimmed);
            }
        }
        QStringList expected;
        for (const QString& line : QString::fromUtf8(text).split(QLatin1Char('\n')))
            if (!bare(line).isEmpty())
                expected << bare(line);
        QCOMPARE(printed, expected);
    }

    void aStoppedLayoutSaysSo() {
        const QByteArray text = goldenList();
        ListPrinter printer(listOf(text));
        QPrinter device(QPrinter::HighResolution);
        device.setOutputFormat(QPrinter::PdfFormat);
        QTemporaryDir folder;
        device.setOutputFileName(folder.filePath(QStringLiteral("stopped.pdf")));
        QVERIFY(!printer.layout(device, [](std::size_t, std::size_t) { return false; }));
        QVERIFY(printer.layout(device, {}));
        QVERIFY(printer.pageCount() >= 2);
        QVERIFY(!printer.paint(device, [](std::size_t, std::size_t) { return false; }));
    }

    void previewScreenshot() {
        const QString shot = qEnvironmentVariable("KESTRO_PREVIEW_SHOT");
        if (shot.isEmpty())
            QSKIP("KESTRO_PREVIEW_SHOT names no file");
        const QByteArray text = goldenList();
        bool saved = false;
        QTimer::singleShot(3000, [&] {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            if (!preview)
                return;
            saved = preview->grab().save(shot);
            preview->reject();
        });
        showPrintPreview(nullptr, listOf(text));
        QVERIFY(saved);
    }
};

} // namespace kestro

QTEST_MAIN(kestro::ListPrinterTest)
#include "list_printer_test.moc"
