// Times the window's own create command over a folder, offscreen, as a user
// would run it: the walk, the list and its hand-over to the pane. Prints the
// median time of RUNS runs, the longest time the event loop did not turn
// during any run (what the user sees as a window that does not answer), the
// lines in the pane, and the peak memory of the process, which at the end
// holds the last list in the pane.
//
//   window_bench FOLDER [RUNS [PICTURE.png]]
//
// With PICTURE, a picture of the window with the last list is saved there.
//
// The options are those of `kestro --list --hidden --system
// --no-folder-lines --path --size --modified FOLDER`; bench/run.sh runs
// both and prints the ratio.

#include "bench_window.h"
#include "listgen/list_host.h"
#include "ui/document_commands.h"
#include "ui/folder_tree.h"
#include "ui/list_pane_editor.h"
#include "ui/main_window.h"
#include "ui/value_check_box.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using namespace kestro;
using bench::QuietPresenter;

// The longest time between two turns of the event loop while it runs: a
// timer due every millisecond fires at each turn.
class TurnWatch : public QObject {
public:
    TurnWatch() {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, this,
                         [this] { longest_ = std::max(longest_, since_.restart()); });
    }
    void start() {
        since_.start();
        timer_.start();
    }
    qint64 stop() {
        timer_.stop();
        return std::max(longest_, since_.elapsed());
    }

private:
    QTimer timer_;
    QElapsedTimer since_;
    qint64 longest_ = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_bench FOLDER [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home.path() + QStringLiteral("/cache")).toLocal8Bit());
    QApplication application(argc, argv);

    auto presenter = std::make_shared<QuietPresenter>();
    MainWindow window(MainWindowServices{presenter, {}, {}});
    attachDocumentCommands(window, DocumentServices{});
    bench::showAndWait(window);
    if (!window.folderTree->setPath(argv[1])) {
        std::fprintf(stderr, "cannot show %s\n", argv[1]);
        return 2;
    }
    window.hiddenEntry->setChecked(true);
    window.systemEntry->setChecked(true);
    window.insertPathLineCheck->setValue(0);
    window.pathColumnCheck->setValue(1);
    window.sizeColumnCheck->setValue(1);
    window.checkBoxFor(SettingRow::WriteTime)->setValue(1);

    std::vector<double> times;
    qint64 longestGap = 0;
    int lines = 0;
    for (int run = 0; run < runs; ++run) {
        window.clearButton->click();
        QCoreApplication::processEvents();
        TurnWatch watch;
        QElapsedTimer timer;
        watch.start();
        timer.start();
        window.createButton->click();
        QCoreApplication::processEvents();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        longestGap = std::max(longestGap, watch.stop());
        lines = ListPaneEditor(window.listPane).lineCount();
        if (presenter->messages != 0)
            return 1;
    }
    if (argc > 3 && !window.grab().save(QString::fromLocal8Bit(argv[3])))
        return 1;
    std::sort(times.begin(), times.end());
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("window: %.3f s (median of %d), longest gap between turns %lld ms, %d lines in "
                "the pane, peak %ld kB\n",
                times[times.size() / 2], runs, static_cast<long long>(longestGap), lines,
                usage.ru_maxrss);
    return 0;
}
