#include "ui/help_topics.h"

#include <QRegularExpression>
#include <QStringList>
#include <QTextBlock>
#include <QTextDocument>

namespace kestro {

namespace {

// Compatibility folding joins half-width katakana and full-width Latin to
// their usual forms; case folding does the rest.
QString folded(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

QString anchorOf(const QTextBlock& block) {
    if (const QStringList names = block.charFormat().anchorNames(); !names.isEmpty())
        return names.first();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        if (const QStringList names = it.fragment().charFormat().anchorNames(); !names.isEmpty())
            return names.first();
    }
    return {};
}

} // namespace

QList<HelpTopic> helpTopics(const QTextDocument& document) {
    QList<HelpTopic> topics;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level <= 0)
            continue;
        const QString anchor = anchorOf(block);
        const QString title = block.text().simplified();
        if (!anchor.isEmpty() && !title.isEmpty())
            topics.append(HelpTopic{level, title, anchor});
    }
    return topics;
}

bool topicMatches(const HelpTopic& topic, const QString& filter) {
    const QString title = folded(topic.title);
    const QStringList words =
        folded(filter).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    for (const QString& word : words) {
        if (!title.contains(word))
            return false;
    }
    return true;
}

} // namespace kestro
