#pragma once

// A group box drawn the same way in every style: its frame line runs
// through the middle of the caption's line, and the caption, when there is
// one, sits on the line near the left end. A frame without a caption can
// thus be titled by a check box placed on its line (captionPlace), lining
// up with the captioned frames beside it.

#include <QGroupBox>

namespace kestro {

class FrameBox : public QGroupBox {
    Q_OBJECT

public:
    using QGroupBox::QGroupBox;

    // In the box's own coordinates, from its font.
    int lineTop() const;
    // Where the first row of contents starts.
    int contentTop() const;
    // The caption's place: left end and height of one caption line.
    QRect captionPlace() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace kestro
