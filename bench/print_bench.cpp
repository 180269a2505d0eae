// Times printing a list to a PDF file, offscreen, the way 「PDF に保存...」
// makes its pages: the layout pass, then the pages painted one by one. Prints
// the time of each pass, the pages, the size of the PDF and the peak memory
// of the process before printing (the list's text) and after it.
//
//   print_bench [LINES [PDF]]
//
// LINES defaults to 1,000,000; the PDF is written in a temporary folder and
// removed unless PDF names where to keep it. The list's lines look like
// those of `kestro --list --path --size --modified`, half-width katakana and
// kanji included, every 40th a folder line, in the pane's font.

#include "bench_window.h"
#include "ui/list_printer.h"
#include "ui/window_fonts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string makeList(int lines) {
    std::string list = "ﾊﾟｽ名\tﾌｧｲﾙ名\tﾌｧｲﾙｻｲｽﾞ\t更新日時\n";
    // Room for every line at once (the pages not written take no memory),
    // so that the peak before printing is the list's own size.
    list.reserve(static_cast<std::size_t>(lines) * 100);
    for (int i = 1; i < lines; ++i) {
        const std::string n = std::to_string(i);
        const std::string folder = "/home/user/データ/資料_" + std::to_string(i / 40) + "/";
        if (i % 40 == 1) {
            list.append("\n").append(folder).append("\n");
            continue;
        }
        list.append(folder).append("\tﾌｧｲﾙ").append(n).append(".txt\t");
        list.append(std::to_string(i * 37 % 100000)).append(" Byte\t2024/05/05 13:04:09\n");
    }
    return list;
}

} // namespace

int main(int argc, char** argv) {
    using namespace kestro;
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTemporaryDir folder;
    const QString pdf =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : folder.filePath(QStringLiteral("list.pdf"));

    const std::string text = makeList(lines);
    PrintedList list;
    list.text = text;
    list.font = paneFont();
    list.title = QStringLiteral("print_bench");
    list.date = QStringLiteral("2024/05/05");
    const long before = bench::peakKilobytes();

    QElapsedTimer timer;
    timer.start();
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    ListPrinter printing(list);
    int progressCalls = 0;
    const ListPrinter::Progress progress = [&](std::size_t, std::size_t) {
        ++progressCalls;
        return true;
    };
    if (!printing.layout(printer, progress))
        return 1;
    const double layout = static_cast<double>(timer.restart()) / 1000;
    if (!printing.paint(printer, progress))
        return 1;
    const double paint = static_cast<double>(timer.elapsed()) / 1000;
    std::printf("print to PDF: %d lines, %d pages, layout %.2f s, paint %.2f s, PDF %lld bytes, "
                "%d progress calls, peak %ld kB (list alone %ld kB)\n",
                lines, printing.pageCount(), layout, paint,
                static_cast<long long>(QFileInfo(pdf).size()), progressCalls,
                bench::peakKilobytes(), before);
    return 0;
}
