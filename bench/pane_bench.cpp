// Times the list pane with a large list: LINES list lines (100,000 unless
// told) appended as the create command hands a list over, 2,000 more after
// them, then select all, copy, the copy button, save and open again, through
// the window's own commands. Prints each step's median of RUNS runs and the
// peak memory of the process.
//
//   pane_bench [LINES] [RUNS] [plain]
//
// With "plain", the same list goes instead into a QPlainTextEdit through a
// text cursor in 1 MB pieces with a repaint after each (the way to feed that
// widget without setting its whole text), then select all and copy: the
// figures the pane's widget was chosen against.
//
// Runs offscreen unless a platform is given, and keeps its settings and
// files in a temporary folder.

#include "bench_window.h"
#include "listgen/list_host.h"
#include "ui/document_commands.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextCursor>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace kestro;
using bench::peakKilobytes;
using bench::QuietPresenter;

class StringList : public ListText {
public:
    explicit StringList(const std::string& text) : text_(text) {}
    std::size_t size() const override { return text_.size(); }
    Result<std::string_view> nextBlock(std::size_t maxBytes) override {
        const std::size_t count = std::min(maxBytes, text_.size() - offset_);
        std::string_view block(text_.data() + offset_, count);
        offset_ += count;
        return block;
    }
    void rewind() override { offset_ = 0; }

private:
    const std::string& text_;
    std::size_t offset_ = 0;
};

// A list as the create command writes it: a header, a folder line for every
// 40 files, and lines with name, extension, size and time.
std::string makeList(int lines) {
    std::string list = "ﾊﾟｽ名\tﾌｧｲﾙ名\t拡張子\tｻｲｽﾞ\t更新日時\r\n";
    for (int i = 1; i < lines; ++i) {
        const std::string n = std::to_string(i);
        if (i % 40 == 1)
            list += "/home/user/データ/資料_" + n + "/\r\n";
        else
            list += "/home/user/データ/資料_" + n + "/\tﾌｧｲﾙ" + n + ".txt\ttxt\t" +
                    std::to_string(i * 37 % 100000) + "\t2024/05/05 13:04:09\r\n";
    }
    return list;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The QPlainTextEdit figures: append, select all, copy.
void timePlainTextEdit(const std::string& list, int runs) {
    std::map<std::string, std::vector<double>> times;
    for (int run = 0; run < runs; ++run) {
        QPlainTextEdit edit;
        edit.setLineWrapMode(QPlainTextEdit::NoWrap);
        edit.show();
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        QTextCursor cursor(edit.document());
        constexpr std::size_t Piece = std::size_t{1} << 20;
        for (std::size_t at = 0; at < list.size();) {
            // Whole lines, CR LF as the pane would hold them: LF.
            std::size_t end = std::min(list.size(), at + Piece);
            end = end == list.size() ? end : list.find('\n', end) + 1;
            QString piece = QString::fromUtf8(list.data() + at, static_cast<qsizetype>(end - at));
            piece.remove(QLatin1Char('\r'));
            cursor.movePosition(QTextCursor::End);
            cursor.insertText(piece);
            QCoreApplication::processEvents();
            at = end;
        }
        times["append"].push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        edit.selectAll();
        QCoreApplication::processEvents();
        times["select all"].push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        edit.copy();
        QCoreApplication::processEvents();
        times["copy"].push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("QPlainTextEdit, %.1f MB, median of %d runs\n",
                static_cast<double>(list.size()) / 1e6, runs);
    for (const char* step : {"append", "select all", "copy"})
        std::printf("  %-12s %8.1f ms\n", step, median(times[step]));
    std::printf("  peak         %8ld kB\n", peakKilobytes());
}

} // namespace

int main(int argc, char** argv) {
    const int lines = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    QApplication application(argc, argv);

    const std::string list = makeList(lines);
    if (argc > 3 && std::string(argv[3]) == "plain") {
        timePlainTextEdit(list, runs);
        return 0;
    }
    const QString file = home.filePath(QStringLiteral("list.txt"));
    const std::vector<const char*> steps = {"append",      "append 2000", "select all", "copy",
                                            "copy button", "save",        "open"};
    std::map<std::string, std::vector<double>> times;

    for (int run = 0; run < runs; ++run) {
        auto presenter = std::make_shared<QuietPresenter>();
        MainWindow window(
            MainWindowServices{presenter, [] { return std::vector<std::string>{"/"}; }, {}});
        attachDocumentCommands(window, DocumentServices{[&](QWidget*, const FileDialogRequest&) {
                                   return std::optional<QString>(file);
                               }});
        bench::showAndWait(window);

        // Each step includes the event-loop turn that lays out and paints.
        auto timed = [&](const char* step, const auto& action) {
            QElapsedTimer timer;
            timer.start();
            action();
            QCoreApplication::processEvents();
            times[step].push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        };
        timed("append", [&] {
            StringList text(list);
            (void)window.acceptList(text);
        });
        const std::string more = makeList(2000);
        timed("append 2000", [&] {
            StringList text(more);
            (void)window.acceptList(text);
        });
        timed("select all", [&] { window.editEntries[8]->trigger(); });
        timed("copy", [&] { window.editEntries[4]->trigger(); });
        timed("copy button", [&] { window.copyButton->click(); });
        timed("save", [&] { window.saveAsEntry->trigger(); });
        window.clearButton->click();
        QCoreApplication::processEvents();
        timed("open", [&] { window.openEntry->trigger(); });

        if (presenter->messages != 0 ||
            ListPaneEditor(window.listPane).lineCount() != lines + 2000 + 1 ||
            QFileInfo(file).size() != static_cast<qint64>(list.size() + more.size())) {
            std::fprintf(stderr, "run %d did not round-trip the list\n", run + 1);
            return 1;
        }
    }

    std::printf("list pane, %d lines (%.1f MB), median of %d runs\n", lines,
                static_cast<double>(list.size()) / 1e6, runs);
    for (const char* step : steps)
        std::printf("  %-12s %8.1f ms\n", step, median(times[step]));
    std::printf("  peak         %8ld kB\n", peakKilobytes());
    return 0;
}
