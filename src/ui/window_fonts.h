#pragma once

// The fonts of the main window, asked for by family name and accepted only
// when the font system really resolves that family (a generic monospace
// font has Latin letters wider than half a kanji, so it would break the
// columns of a list).

#include <QFont>
#include <QStringList>

namespace kestro {

// The first of `families` that resolves to itself, at `pointSize`;
// `fallback` at that size when none does.
QFont firstAvailableFont(const QStringList& families, int pointSize, QFont fallback);

// The list pane: "ＭＳ ゴシック", else IPAGothic, else the system's fixed
// font; 9 pt.
QFont paneFont();

// Captions and status bar: "ＭＳ Ｐゴシック", else IPAPGothic, else the
// application font; 9 pt.
QFont captionFont();

} // namespace kestro
