#include "ui/run_window.h"

#include "ui/document_commands.h"
#include "ui/help_menu.h"
#include "ui/main_window.h"
#include "ui/pane_actions.h"

#include "platform/termination_signals.h"

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>

namespace kestro {

void closeOnTerminationSignals(QWidget& window) {
    const int requests = closeRequestDescriptor();
    if (requests < 0)
        return;
    auto* notifier = new QSocketNotifier(requests, QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        drainCloseRequests();
        window.close();
        // A modal box runs an event loop of its own, which a close of the
        // window behind it does not end.
        if (QApplication::activeModalWidget())
            QCoreApplication::exit(0);
    });
}

int runWindow(int& argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    QIcon icon(QStringLiteral(":/kestro/kestro-32.png"));
    icon.addFile(QStringLiteral(":/kestro/kestro-64.png"));
    QApplication::setWindowIcon(icon);
    MainWindow window;
    // The document, edit and help commands and the actions on the files the
    // list names live in their own classes; the window only offers them its
    // menus, buttons and pane.
    attachDocumentCommands(window);
    attachHelpMenu(window);
    attachPaneActions(window);
    // Until here a signal ends the program at once: nothing is changed yet.
    closeOnTerminationSignals(window);
    window.show();
    return QApplication::exec();
}

} // namespace kestro
