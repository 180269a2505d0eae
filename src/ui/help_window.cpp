#include "ui/help_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace kestro {

namespace {

constexpr auto WindowTitle = "Kestro ﾍﾙﾌﾟ";
constexpr auto FinderTitle = "ﾄﾋﾟｯｸの検索";
constexpr int AnchorRole = Qt::UserRole;

} // namespace

HelpTopicFinder::HelpTopicFinder(QList<HelpTopic> topics, QWidget* parent)
    : QDialog(parent), topics_(std::move(topics)) {
    setObjectName(QStringLiteral("HelpTopicFinder"));
    setWindowTitle(QString::fromUtf8(FinderTitle));
    setModal(false);

    auto* prompt = new QLabel(QStringLiteral("探す言葉を入力してください(&W):"), this);
    filterBox = new QLineEdit(this);
    filterBox->setObjectName(QStringLiteral("filterBox"));
    filterBox->setClearButtonEnabled(true);
    prompt->setBuddy(filterBox);
    auto* listPrompt = new QLabel(QStringLiteral("表示するﾄﾋﾟｯｸを選んでください(&T):"), this);
    topicList = new QListWidget(this);
    topicList->setObjectName(QStringLiteral("topicList"));
    listPrompt->setBuddy(topicList);
    for (const HelpTopic& topic : topics_) {
        // Sub-topics are indented under their heading, by a kanji's width a
        // level, so that captions in half-width and full-width kana line up.
        auto* row = new QListWidgetItem(QString(topic.level - 1, QChar(u'\u3000')) + topic.title,
                                        topicList);
        row->setData(AnchorRole, topic.anchor);
    }
    showButton = new QPushButton(QStringLiteral("表示(&D)"), this);
    showButton->setDefault(true);
    closeButton = new QPushButton(QStringLiteral("閉じる"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(showButton);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(filterBox);
    layout->addWidget(listPrompt);
    layout->addWidget(topicList, 1);
    layout->addLayout(buttons);
    resize(360, 420);

    connect(filterBox, &QLineEdit::textChanged, this, &HelpTopicFinder::applyFilter);
    connect(filterBox, &QLineEdit::returnPressed, this, &HelpTopicFinder::chooseCurrent);
    connect(topicList, &QListWidget::itemActivated, this, [this] { chooseCurrent(); });
    connect(showButton, &QPushButton::clicked, this, &HelpTopicFinder::chooseCurrent);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::hide);
    // Up and down in the filter box move through the list.
    filterBox->installEventFilter(this);
    applyFilter({});
}

void HelpTopicFinder::applyFilter(const QString& filter) {
    QListWidgetItem* first = nullptr;
    for (int row = 0; row < topicList->count(); ++row) {
        QListWidgetItem* item = topicList->item(row);
        const bool shown = topicMatches(topics_.at(row), filter);
        item->setHidden(!shown);
        if (shown && !first)
            first = item;
    }
    topicList->setCurrentItem(first);
    if (!first)
        topicList->setCurrentRow(-1);
    showButton->setEnabled(first != nullptr);
}

void HelpTopicFinder::chooseCurrent() {
    QListWidgetItem* item = topicList->currentItem();
    if (!item || item->isHidden())
        return;
    const QString anchor = item->data(AnchorRole).toString();
    hide();
    emit topicChosen(anchor);
}

bool HelpTopicFinder::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filterBox && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
            key == Qt::Key_PageDown) {
            QCoreApplication::sendEvent(topicList, event);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

HelpWindow::HelpWindow(const HelpFile& file, std::function<void(const std::string&)> open,
                       QWidget* parent)
    : QWidget(parent, Qt::Window), path_(QString::fromStdString(file.path)),
      open_(std::move(open)) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QString::fromUtf8(WindowTitle));

    browser = new QTextBrowser(this);
    browser->setObjectName(QStringLiteral("browser"));
    // Every link goes through followLink: anchors stay here, the rest goes
    // to the shell.
    browser->setOpenLinks(false);
    browser->document()->setBaseUrl(QUrl::fromLocalFile(path_));
    browser->setHtml(QString::fromStdString(file.html));
    topics_ = helpTopics(*browser->document());

    contentsButton = new QPushButton(QStringLiteral("目次(&C)"), this);
    findButton = new QPushButton(QStringLiteral("ﾄﾋﾟｯｸの検索(&S)..."), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contentsButton);
    buttons->addWidget(findButton);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser, 1);
    resize(600, 640);

    connect(browser, &QTextBrowser::anchorClicked, this, &HelpWindow::followLink);
    connect(contentsButton, &QPushButton::clicked, this, &HelpWindow::showContents);
    connect(findButton, &QPushButton::clicked, this, &HelpWindow::showTopicFinder);
    // Escape and Ctrl+W close the window, as its close box does.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, &QWidget::close);
    }
}

void HelpWindow::bringUp() {
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void HelpWindow::showContents() {
    bringUp();
    const QString contents = QString::fromUtf8(ContentsAnchor);
    const bool known = std::any_of(topics_.begin(), topics_.end(), [&](const HelpTopic& topic) {
        return topic.anchor == contents;
    });
    if (known)
        browser->scrollToAnchor(contents);
    else
        browser->verticalScrollBar()->setValue(0);
}

void HelpWindow::showTopic(const QString& anchor) {
    bringUp();
    browser->scrollToAnchor(anchor);
}

HelpTopicFinder* HelpWindow::topicFinder() {
    if (!finder_) {
        // The finder belongs to whoever owns the help, so it can stand alone
        // while the help window is hidden.
        finder_ = new HelpTopicFinder(topics_, parentWidget() ? parentWidget() : this);
        connect(finder_, &HelpTopicFinder::topicChosen, this, &HelpWindow::showTopic);
    }
    return finder_;
}

void HelpWindow::showTopicFinder() {
    HelpTopicFinder* finder = topicFinder();
    finder->filterBox->clear();
    finder->applyFilter({});
    finder->show();
    finder->raise();
    finder->activateWindow();
    finder->filterBox->setFocus();
}

void HelpWindow::followLink(const QUrl& link) {
    const bool sameDocument = link.isRelative() && link.path().isEmpty() && link.hasFragment();
    const bool thisFile =
        link.isLocalFile() && QDir::cleanPath(link.toLocalFile()) == QDir::cleanPath(path_);
    if ((sameDocument || thisFile) && link.hasFragment()) {
        browser->scrollToAnchor(link.fragment());
        return;
    }
    if (link.isRelative() || link.isLocalFile())
        return; // the help has no other pages
    open_(link.toString().toStdString());
}

} // namespace kestro
