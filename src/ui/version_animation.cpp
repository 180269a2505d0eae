#include "ui/version_animation.h"

#include "platform/animation_setting.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLinearGradient>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kestro {

namespace {

// About sixty frames a second.
constexpr int FrameMilliseconds = 16;

class CaptionBar : public QWidget {
public:
    explicit CaptionBar(QString caption)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowDoesNotAcceptFocus),
          caption_(std::move(caption)) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFocusPolicy(Qt::NoFocus);
        QFont bold = font();
        bold.setBold(true);
        setFont(bold);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor active = palette().color(QPalette::Active, QPalette::Highlight);
        QLinearGradient shade(rect().topLeft(), rect().topRight());
        shade.setColorAt(0, active);
        shade.setColorAt(1, active.lighter(150));
        painter.fillRect(rect(), shade);
        painter.setPen(palette().color(QPalette::Active, QPalette::HighlightedText));
        painter.drawText(rect().adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft, caption_);
    }

private:
    QString caption_;
};

int captionHeightOf(const QWidget& bar) {
    const int metric = bar.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &bar);
    return std::max(metric, bar.fontMetrics().height() + 4);
}

} // namespace

QRect captionRectAt(const QRect& from, const QRect& to, double progress, int captionHeight) {
    const double t = std::clamp(progress, 0.0, 1.0);
    const auto along = [t](int a, int b) {
        return static_cast<int>(std::lround(a + (static_cast<double>(b) - a) * t));
    };
    // Right and bottom as exclusive edges, so that a rectangle of no width
    // stays without width.
    const int left = along(from.x(), to.x());
    const int top = along(from.y(), to.y());
    const int right = along(from.x() + from.width(), to.x() + to.width());
    const int bottom = along(from.y() + from.height(), to.y() + to.height());
    const int height = std::clamp(bottom - top, 0, std::max(captionHeight, 0));
    return {left, top, std::max(right - left, 0), height};
}

int drawAnimatedRects(const QRect& from, const QRect& to, std::chrono::milliseconds duration,
                      const QString& caption) {
    if (!animationsOn())
        return 0;
    CaptionBar bar(caption);
    const int captionHeight = captionHeightOf(bar);
    // A window cannot be empty; the first frames of a bar that starts
    // without width are one pixel wide.
    const auto place = [&](double progress) {
        QRect shown = captionRectAt(from, to, progress, captionHeight);
        shown.setWidth(std::max(shown.width(), 1));
        shown.setHeight(std::max(shown.height(), 1));
        bar.setGeometry(shown);
    };
    int frames = 0;
    QElapsedTimer clock;
    clock.start();
    const auto total = static_cast<double>(duration.count());
    for (;;) {
        const double progress = total > 0 ? clock.elapsed() / total : 1.0;
        place(progress);
        if (frames == 0)
            bar.show();
        bar.repaint();
        ++frames;
        if (progress >= 1.0)
            break;
        QEventLoop wait;
        QTimer::singleShot(FrameMilliseconds, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }
    bar.hide();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return frames;
}

} // namespace kestro
