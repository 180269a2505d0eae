#pragma once

// What the window benchmarks share: a presenter that shows nothing and
// counts the messages it was given, the wait until a window is shown, and
// the peak memory of the process.

#include "ui/message_presenter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <QWindow>

#include <sys/resource.h>

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

// The peak resident memory of the process so far, in kB.
inline long peakKilobytes() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace kestro::bench
