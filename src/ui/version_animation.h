#pragma once

// The caption bar that flies between two places of the screen when the
// version dialog opens and closes, as the desktop draws a window coming out
// of, or going back into, another window.
//
// Rectangles are in screen pixels. The bar is drawn only while the
// animation setting is on (animationsOn()); it is a short-lived frameless
// window of its own, gone when the call returns. The call runs a local
// event loop that takes no user input for about `duration`.

#include <QRect>
#include <QString>

#include <chrono>

namespace kestro {

// The flying bar at `progress` (0 at `from`, 1 at `to`, clamped): each edge
// of the rectangle moves in a straight line, and the bar is the top
// `captionHeight` pixels of the rectangle (all of it when it is lower).
// A rectangle of no width gives a bar of no width.
QRect captionRectAt(const QRect& from, const QRect& to, double progress, int captionHeight);

// Flies a bar titled `caption` from `from` to `to` over `duration` (one
// frame at `to` when the duration is zero or less). Returns the number of
// frames drawn: 0 when the animation setting is off.
int drawAnimatedRects(const QRect& from, const QRect& to, std::chrono::milliseconds duration,
                      const QString& caption);

} // namespace kestro
