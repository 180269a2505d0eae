#pragma once

// The topics of the help: its headings, in document order, each with the
// anchor it can be jumped to, and the filter of the topic finder.

#include <QList>
#include <QString>

class QTextDocument;

namespace kestro {

struct HelpTopic {
    int level = 0; // 1 for <h1>, 2 for <h2> ...
    QString title;
    QString anchor;
};

// The headings of `document` that carry an anchor (an id or a named link);
// a heading without one cannot be jumped to and is left out. Empty for a
// document without such headings.
QList<HelpTopic> helpTopics(const QTextDocument& document);

// Whether every word of `filter` (words separated by white space) occurs in
// the topic's title. Both are compared with full-width and half-width forms
// folded together and without regard to case, so "ファイル" finds "ﾌｧｲﾙ" and
// "kb" finds "KB". An empty filter matches every topic.
bool topicMatches(const HelpTopic& topic, const QString& filter);

} // namespace kestro
