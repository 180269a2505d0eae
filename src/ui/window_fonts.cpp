#include "ui/window_fonts.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

namespace kestro {

namespace {

// Families are reported in English or in the user's language.
QStringList namesOf(const QString& family) {
    if (family == QStringLiteral("IPAGothic"))
        return {family, QStringLiteral("IPAゴシック")};
    if (family == QStringLiteral("IPAPGothic"))
        return {family, QStringLiteral("IPA Pゴシック")};
    if (family == QStringLiteral("ＭＳ ゴシック"))
        return {family, QStringLiteral("MS Gothic")};
    if (family == QStringLiteral("ＭＳ Ｐゴシック"))
        return {family, QStringLiteral("MS PGothic")};
    return {family};
}

} // namespace

QFont firstAvailableFont(const QStringList& families, int pointSize, QFont fallback) {
    for (const QString& family : families) {
        QFont font(family, pointSize);
        font.setStyleHint(QFont::AnyStyle, QFont::PreferMatch);
        const QString resolved = QFontInfo(font).family();
        for (const QString& name : namesOf(family)) {
            if (resolved.compare(name, Qt::CaseInsensitive) == 0)
                return font;
        }
    }
    fallback.setPointSize(pointSize);
    return fallback;
}

QFont paneFont() {
    return firstAvailableFont({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")}, 9,
                              QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

QFont captionFont() {
    return firstAvailableFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")}, 9,
                              QGuiApplication::font());
}

} // namespace kestro
