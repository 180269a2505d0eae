#include "ui/frame_box.h"

#include <QPainter>
#include <QStyle>
#include <qdrawutil.h>

namespace kestro {

namespace {
constexpr int CaptionIndent = 6;
constexpr int CaptionPadding = 2;
} // namespace

int FrameBox::lineTop() const {
    return fontMetrics().height() / 2;
}

int FrameBox::contentTop() const {
    return fontMetrics().height() + 2;
}

QRect FrameBox::captionPlace() const {
    const int width = title().isEmpty() ? 0 : fontMetrics().horizontalAdvance(title());
    return {CaptionIndent, 0, width + 2 * CaptionPadding, fontMetrics().height()};
}

void FrameBox::paintEvent(QPaintEvent*) {
    // Drawn by hand: styles place a group box's frame below its caption,
    // and some do so even for a frame without one.
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, lineTop(), 0, 0);
    qDrawShadeRect(&painter, frame, palette(), true, 1, 0);
    if (title().isEmpty())
        return;
    const QRect caption = captionPlace();
    painter.fillRect(caption, palette().brush(QPalette::Window));
    style()->drawItemText(&painter, caption.adjusted(CaptionPadding, 0, 0, 0),
                          Qt::AlignLeft | Qt::AlignVCenter | Qt::TextHideMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

} // namespace kestro
