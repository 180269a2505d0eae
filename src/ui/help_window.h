#pragma once

// The help window: the help document in a browser with working internal
// links, a contents button and the topic finder. Links to other documents
// (web pages, mail) are handed to the shell's "open"; results ignored.
//
// The topic finder lists the help's headings under a filter box; choosing
// one (Enter, double-click or the show button) brings the help window up at
// that heading and hides the finder. Both windows belong to the window that
// made them.

#include "ui/help_file.h"
#include "ui/help_topics.h"

#include <QDialog>
#include <QWidget>

#include <functional>
#include <string>

class QLineEdit;
class QListWidget;
class QPushButton;
class QTextBrowser;

namespace kestro {

class HelpTopicFinder : public QDialog {
    Q_OBJECT

public:
    HelpTopicFinder(QList<HelpTopic> topics, QWidget* parent);

    QLineEdit* filterBox = nullptr;
    QListWidget* topicList = nullptr; // one row per topic; rows that do not match are hidden
    QPushButton* showButton = nullptr;
    QPushButton* closeButton = nullptr;

    const QList<HelpTopic>& topics() const { return topics_; }

    // Shows the rows that match `filter` and makes the first of them
    // current (none when nothing matches).
    void applyFilter(const QString& filter);

    // Chooses the current row: emits topicChosen with its anchor and hides
    // the finder. Nothing happens when no shown row is current.
    void chooseCurrent();

signals:
    void topicChosen(const QString& anchor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<HelpTopic> topics_;
};

class HelpWindow : public QWidget {
    Q_OBJECT

public:
    // The anchor of the contents.
    static constexpr const char* ContentsAnchor = "contents";

    // `open` hands a link to the shell.
    HelpWindow(const HelpFile& file, std::function<void(const std::string&)> open, QWidget* parent);

    QTextBrowser* browser = nullptr;
    QPushButton* contentsButton = nullptr;
    QPushButton* findButton = nullptr;

    const QString& path() const { return path_; }
    const QList<HelpTopic>& topics() const { return topics_; }

    // Shows the window at the contents (the top when the document has no
    // contents anchor).
    void showContents();
    // Shows the window at `anchor`.
    void showTopic(const QString& anchor);
    // Shows the topic finder with an empty filter; the help window itself
    // appears only when a topic is chosen.
    void showTopicFinder();
    // The finder, made on first use.
    HelpTopicFinder* topicFinder();

private:
    void followLink(const QUrl& link);
    void bringUp();

    QString path_;
    QList<HelpTopic> topics_;
    std::function<void(const std::string&)> open_;
    HelpTopicFinder* finder_ = nullptr;
};

} // namespace kestro
