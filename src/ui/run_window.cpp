#include "ui/run_window.h"

#include "ui/document_commands.h"
#include "ui/form1.h"
#include "ui/help_menu.h"

#include <QApplication>
#include <QIcon>

namespace kestro {

int runWindow(int& argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    QIcon icon(QStringLiteral(":/kestro/kestro-32.png"));
    icon.addFile(QStringLiteral(":/kestro/kestro-64.png"));
    QApplication::setWindowIcon(icon);
    Form1 window;
    // The document, edit and help commands live in their own classes; the
    // window only offers them its menus, buttons and pane.
    attachDocumentCommands(window);
    attachHelpMenu(window);
    window.show();
    return QApplication::exec();
}

} // namespace kestro
