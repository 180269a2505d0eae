#include "ui/run_window.h"

#include "ui/document_commands.h"
#include "ui/help_menu.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kestro {

namespace {

// Read end, write end.
int signalPipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    // A full pipe already holds a close request.
    (void)!::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void closeOnTerminationSignals(QWidget& window) {
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_NONBLOCK | O_CLOEXEC) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char bytes[64];
        while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        window.close();
        // A modal box runs an event loop of its own, which a close of the
        // window behind it does not end.
        if (QApplication::activeModalWidget())
            QCoreApplication::exit(0);
    });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signal, &action, nullptr);
}

int runWindow(int& argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    QIcon icon(QStringLiteral(":/kestro/kestro-32.png"));
    icon.addFile(QStringLiteral(":/kestro/kestro-64.png"));
    QApplication::setWindowIcon(icon);
    MainWindow window;
    // The document, edit and help commands live in their own classes; the
    // window only offers them its menus, buttons and pane.
    attachDocumentCommands(window);
    attachHelpMenu(window);
    // Until here a signal ends the program at once: nothing is changed yet.
    closeOnTerminationSignals(window);
    window.show();
    return QApplication::exec();
}

} // namespace kestro
