#pragma once

// What the window benchmarks share: a presenter that shows nothing and
// counts the messages it was given, and the wait until a window is shown.

#include "ui/message_presenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace kestro::bench {

class QuietPresenter : public MessagePresenter {
public:
    int messages = 0;
    void showMessage(QWidget*, const QString& text, const QString&, MessageIcon) override {
        ++messages;
        std::fprintf(stderr, "message: %s\n", text.toUtf8().constData());
    }
    void beep() override {}
};

// Shows `window` and waits (5 s at most) until it is on the screen.
inline void showAndWait(QWidget& window) {
    window.show();
    QElapsedTimer shown;
    shown.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && shown.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

} // namespace kestro::bench
