#include "ui/run_window.h"

#include "ui/form1.h"

#include <QApplication>

namespace kestro {

int runWindow(int& argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestro"));
    Form1 window;
    window.show();
    return QApplication::exec();
}

} // namespace kestro
