// The help: where its file is found, its topics and links, the help window
// and the topic finder, and the help menu of the main window (F1, the
// finder, the web page, the version dialog, a missing help file).

#include "kestro_version.h"
#include "platform/animation_setting.h"
#include "platform/program_paths.h"
#include "ui/help_file.h"
#include "ui/help_menu.h"
#include "ui/help_topics.h"
#include "ui/help_window.h"
#include "ui/version_dialog.h"

#include "ui/main_window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

#include <sys/stat.h>

using namespace kestro;
using namespace kestro::test;

namespace {

QString sourceHelpPath() {
    return qEnvironmentVariable("KESTRO_SOURCE_DIR") + "/data/Kestro.html";
}

QString sourceHelpText() {
    QFile file(sourceHelpPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

HelpFile sourceHelp() {
    return HelpFile{sourceHelpPath().toStdString(), sourceHelpText().toStdString()};
}

// The text of the first line shown at the top of the browser.
QString topLine(QTextBrowser* browser) {
    return browser->cursorForPosition(QPoint(4, 4)).block().text().simplified();
}

QString titleOf(const QList<HelpTopic>& topics, const QString& anchor) {
    for (const HelpTopic& topic : topics) {
        if (topic.anchor == anchor)
            return topic.title;
    }
    return {};
}

} // namespace

class HelpMenuTest : public WindowTest {
    Q_OBJECT

public:
    HelpMenuTest() : WindowTest(Window::MadeByTests) {}

private:
    std::vector<std::string> opened_;

    HelpServices services(std::vector<std::string> candidates = {}) {
        if (candidates.empty())
            candidates = {sourceHelpPath().toStdString()};
        HelpServices s;
        s.helpFileCandidates = [candidates] { return candidates; };
        s.open = [this](const std::string& target) { opened_.push_back(target); };
        s.version.animateRects = [](const QRect&, const QRect&) {};
        return s;
    }

    MainWindow& window() {
        window_ = makeWindow(presenter_);
        window_->show();
        return *window_;
    }

    void prepare() override { opened_.clear(); }

private slots:
    void initTestCase() { QVERIFY2(!sourceHelpText().isEmpty(), "data/Kestro.html not found"); }

    void candidates() {
        QCOMPARE(helpFileCandidates("/opt/kestro/bin", "/usr/local/share/kestro"),
                 (std::vector<std::string>{"/opt/kestro/bin/Kestro.html",
                                           "/opt/kestro/share/kestro/Kestro.html",
                                           "/usr/local/share/kestro/Kestro.html"}));
        // The installed place is not listed twice.
        QCOMPARE(
            helpFileCandidates("/usr/bin", "/usr/share/kestro"),
            (std::vector<std::string>{"/usr/bin/Kestro.html", "/usr/share/kestro/Kestro.html"}));
        QCOMPARE(helpFileCandidates("", "/usr/share/kestro"),
                 (std::vector<std::string>{"/usr/share/kestro/Kestro.html"}));
        const auto running = helpFileCandidates();
        QVERIFY(!running.empty());
        QCOMPARE(running.front(), programFolder() + "/Kestro.html");
        QCOMPARE(running.back(), std::string(build::installDataDir) + "/Kestro.html");
    }

    void readsTheFirstThatReads() {
        const QTemporaryDir& folder = *folder_;
        const std::string missing = folder.filePath("gone/Kestro.html").toStdString();
        const std::string fifo = folder.filePath("fifo.html").toStdString();
        QCOMPARE(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string present = folder.filePath("Kestro.html").toStdString();
        {
            QFile file(QString::fromStdString(present));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("<h1 id=\"contents\">目次</h1>");
        }
        // A FIFO in the way is passed over without waiting for a writer.
        auto found = readHelpFile({missing, fifo, present});
        QVERIFY(found.ok());
        QCOMPARE(found.value().path, present);
        QCOMPARE(found.value().html, std::string("<h1 id=\"contents\">目次</h1>"));
    }

    void noHelpFileSaysWhereItLooked() {
        const auto result = readHelpFile({"/nonexistent/a/Kestro.html", "/nonexistent/b.html"});
        QVERIFY(!result.ok());
        QCOMPARE(result.failure().number, 53);
        const QString text = QString::fromStdString(result.failure().description);
        QVERIFY(text.startsWith(QStringLiteral("ﾍﾙﾌﾟﾌｧｲﾙ Kestro.html が見つかりません。")));
        QVERIFY(text.contains(QStringLiteral("/nonexistent/a/Kestro.html")));
        QVERIFY(text.contains(QStringLiteral("/nonexistent/b.html")));
    }

    void topicsOfTheHelp() {
        QTextDocument document;
        document.setHtml(sourceHelpText());
        const QList<HelpTopic> topics = helpTopics(document);
        QVERIFY(topics.size() > 20);
        QCOMPARE(topics.first().anchor, QStringLiteral("contents"));
        QCOMPARE(topics.first().level, 1);
        // Every heading of the file is a topic, each with its own anchor.
        const QString html = sourceHelpText();
        const qsizetype headings = html.count(QRegularExpression(QStringLiteral("<h[1-6][ >]")));
        QCOMPARE(topics.size(), headings);
        QSet<QString> anchors;
        for (const HelpTopic& topic : topics) {
            QVERIFY2(!anchors.contains(topic.anchor), qPrintable(topic.anchor));
            anchors.insert(topic.anchor);
            QVERIFY(topic.level >= 1 && topic.level <= 3);
        }
        // Every link inside the help leads to a heading.
        QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
        int links = 0;
        for (auto it = link.globalMatch(html); it.hasNext(); ++links) {
            const QString target = it.next().captured(1);
            QVERIFY2(anchors.contains(target), qPrintable("no heading for #" + target));
        }
        QVERIFY(links > 20);
    }

    // The help window turns a line break in the source into a blank, which
    // in a Japanese sentence is a stray space: no line of running text ends
    // or starts next to a Japanese character (preformatted blocks aside).
    void noLineBreakInsideJapaneseText() {
        QString html = sourceHelpText();
        html.remove(QRegularExpression(QStringLiteral("<pre>.*?</pre>"),
                                       QRegularExpression::DotMatchesEverythingOption));
        const QRegularExpression brokenText(QStringLiteral(
            "(\\S[ \\t]*\\n[ \\t]*[^\\x{0}-\\x{7f}]|[^\\x{0}-\\x{7f}][ \\t]*\\n[ \\t]*\\S)"));
        const QRegularExpressionMatch broken = brokenText.match(html);
        QVERIFY2(!broken.hasMatch(), qPrintable(broken.captured(0)));
    }

    void helpCoversTheWindowAndTheCommandLine() {
        // Every caption of the window and every option of --list is explained.
        const QString html = sourceHelpText();
        const QStringList named = {"ｻﾌﾞﾌｫﾙﾀﾞを調べる",
                                   "作成",
                                   "中止",
                                   "ｺﾋﾟｰ",
                                   "ｸﾘｱ",
                                   "ﾊﾟｽ名",
                                   "短いﾊﾟｽ",
                                   "大文字に変換",
                                   "半角に変換",
                                   "区切り文字なし",
                                   "拡張子を削除",
                                   "短い名前",
                                   "ﾌｧｲﾙｻｲｽﾞ",
                                   "Byte",
                                   "KB",
                                   "MB",
                                   "作成日時",
                                   "更新日時",
                                   "アクセス日",
                                   "拡張子",
                                   "属性",
                                   "ﾌｧｲﾙﾀｲﾌﾟ",
                                   "ﾌｫﾙﾀﾞが変わるごとにﾊﾟｽを挿入する",
                                   "ﾄﾞﾗｲﾌﾞ名を削除",
                                   "ﾌｧｲﾙ名の先頭にﾀﾌﾞを入れる",
                                   "区切り文字",
                                   "ﾀﾌﾞ",
                                   "ｾﾐｺﾛﾝ",
                                   "ﾌｧｲﾙを開く(&amp;O)...",
                                   "上書き保存(&amp;S)",
                                   "名前を付けて保存(&amp;A)...",
                                   "終了(&amp;X)",
                                   "隠しﾌｧｲﾙ(&amp;D)",
                                   "ｼｽﾃﾑ(&amp;S)",
                                   "元に戻す(&amp;Z)",
                                   "切り取り(&amp;X)",
                                   "ｺﾋﾟｰ(&amp;C)",
                                   "張り付け(&amp;V)",
                                   "削除(&amp;D)",
                                   "すべて選択(&amp;A)",
                                   "開く(&amp;O)",
                                   "ﾌｫﾙﾀﾞを開く(&amp;F)",
                                   "ﾊﾟｽをｺﾋﾟｰ(&amp;L)",
                                   "印刷(&amp;P)",
                                   "ごみ箱へ移動(&amp;T)",
                                   "Kestro ﾍﾙﾌﾟ(&amp;F)",
                                   "ﾄﾋﾟｯｸの検索(&amp;S)...",
                                   "WebSite(&amp;W)",
                                   "ﾊﾞｰｼﾞｮﾝ情報(&amp;V)...",
                                   "Kestro.conf",
                                   "--info",
                                   "--help",
                                   "--version",
                                   "--lf",
                                   "--stored",
                                   "--patterns",
                                   "--separator",
                                   "--size[=byte|kb|mb]"};
        for (const QString& text : named)
            QVERIFY2(html.contains(text), qPrintable("the help does not mention " + text));
        for (const char* option :
             {"--sub",          "--no-sub",          "--hidden",    "--system",   "--path",
              "--join",         "--short-path",      "--dir-upper", "--dir-half", "--short-name",
              "--name-upper",   "--name-half",       "--drop-ext",  "--ext",      "--attr",
              "--type",         "--created",         "--modified",  "--accessed", "--leading-tab",
              "--folder-lines", "--no-folder-lines", "--drop-drive"}) {
            QVERIFY2(html.contains(QStringLiteral("<code>%1</code>").arg(option)),
                     qPrintable(QStringLiteral("the help does not explain %1").arg(option)));
        }
    }

    void topicFilter_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<bool>("matches");
        QTest::newRow("empty") << "ﾌｧｲﾙｻｲｽﾞ"
                               << "" << true;
        QTest::newRow("full-width finds half-width") << "ﾌｧｲﾙｻｲｽﾞ"
                                                     << "ファイル" << true;
        QTest::newRow("half-width finds full-width") << "ファイル名"
                                                     << "ﾌｧｲﾙ" << true;
        QTest::newRow("voiced half-width") << "ﾄﾞﾗｲﾌﾞ名を削除"
                                           << "ドライブ" << true;
        QTest::newRow("case") << "kestro --list"
                              << "LIST" << true;
        QTest::newRow("full-width latin") << "kestro --list"
                                          << "ＬＩＳＴ" << true;
        QTest::newRow("all words") << "ﾀｲﾑｽﾀﾝﾌﾟ と日時"
                                   << "日時　ﾀｲﾑ" << true;
        QTest::newRow("one word missing") << "ﾀｲﾑｽﾀﾝﾌﾟ"
                                          << "ﾀｲﾑ サイズ" << false;
        QTest::newRow("absent") << "メニュー"
                                << "xyz" << false;
    }
    void topicFilter() {
        QFETCH(QString, title);
        QFETCH(QString, filter);
        QFETCH(bool, matches);
        QCOMPARE(topicMatches(HelpTopic{2, title, "a"}, filter), matches);
    }

    void windowOpensAtTheContentsAndFollowsLinks() {
        HelpWindow help(
            sourceHelp(), [this](const std::string& t) { opened_.push_back(t); }, nullptr);
        help.resize(500, 400);
        help.showTopic(QStringLiteral("stored"));
        QVERIFY(help.browser->verticalScrollBar()->value() > 0);
        QCOMPARE(topLine(help.browser), titleOf(help.topics(), "stored"));

        help.showContents();
        QVERIFY(help.isVisible());
        QCOMPARE(topLine(help.browser), titleOf(help.topics(), "contents"));

        // An internal link scrolls to its heading; others go to the shell.
        emit help.browser->anchorClicked(QUrl(QStringLiteral("#separator")));
        QCOMPARE(topLine(help.browser), titleOf(help.topics(), "separator"));
        QTest::mouseClick(help.contentsButton, Qt::LeftButton);
        QCOMPARE(topLine(help.browser), titleOf(help.topics(), "contents"));
        emit help.browser->anchorClicked(QUrl(QStringLiteral("https://example.org/x")));
        emit help.browser->anchorClicked(QUrl(QStringLiteral("other.html")));
        QCOMPARE(opened_, std::vector<std::string>{"https://example.org/x"});
    }

    void escapeAndCtrlWCloseTheWindow_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << int(Qt::NoModifier);
        QTest::newRow("Ctrl+W") << int(Qt::Key_W) << int(Qt::ControlModifier);
    }

    void escapeAndCtrlWCloseTheWindow() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        HelpWindow help(
            sourceHelp(), [](const std::string&) {}, nullptr);
        help.showContents();
        help.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        QTest::keyClick(help.browser, static_cast<Qt::Key>(key),
                        static_cast<Qt::KeyboardModifiers>(modifiers));
        QVERIFY(!help.isVisible());
    }

    void finderFiltersAndJumps() {
        HelpWindow help(
            sourceHelp(), [](const std::string&) {}, nullptr);
        help.resize(500, 400);
        help.showTopicFinder();
        HelpTopicFinder* finder = help.topicFinder();
        QVERIFY(finder->isVisible());
        QVERIFY(!help.isVisible());
        QCOMPARE(finder->topicList->count(), help.topics().size());

        finder->filterBox->insert(QStringLiteral("区切り"));
        int shown = 0;
        for (int row = 0; row < finder->topicList->count(); ++row) {
            QListWidgetItem* item = finder->topicList->item(row);
            if (!item->isHidden()) {
                ++shown;
                QVERIFY(item->text().contains(QStringLiteral("区切り")));
            }
        }
        QCOMPARE(shown, 1);
        QVERIFY(finder->topicList->currentItem());
        QVERIFY(!finder->topicList->currentItem()->isHidden());

        QTest::keyClick(finder->filterBox, Qt::Key_Return);
        QVERIFY(!finder->isVisible());
        QVERIFY(help.isVisible());
        QCOMPARE(topLine(help.browser), titleOf(help.topics(), "separator"));

        // A filter that matches nothing leaves nothing to choose.
        help.showTopicFinder();
        QCOMPARE(finder->filterBox->text(), QString());
        finder->filterBox->insert(QStringLiteral("見つからない言葉"));
        QVERIFY(!finder->showButton->isEnabled());
        QTest::keyClick(finder->filterBox, Qt::Key_Return);
        QVERIFY(finder->isVisible());

        // Down in the filter box moves through the list.
        finder->filterBox->clear();
        finder->filterBox->insert(QStringLiteral("ﾒﾆｭｰ"));
        const QString first = finder->topicList->currentItem()->text();
        QTest::keyClick(finder->filterBox, Qt::Key_Down);
        QVERIFY(finder->topicList->currentItem()->text() != first);
        finder->showButton->click();
        QCOMPARE(topLine(help.browser), finder->topicList->currentItem()->text().trimmed());
    }

    void menuOpensTheHelpAndTheFinder() {
        MainWindow& form = window();
        HelpMenu& menu = attachHelpMenu(form, services());
        QVERIFY(!menu.helpWindow());
        form.helpSearchEntry->trigger();
        QVERIFY(menu.helpWindow());
        QVERIFY(menu.helpWindow()->topicFinder()->isVisible());
        QVERIFY(!menu.helpWindow()->isVisible());
        QCOMPARE(menu.helpWindow()->parentWidget(), &form);

        menu.helpWindow()->showTopic(QStringLiteral("cli-list"));
        QCOMPARE(topLine(menu.helpWindow()->browser),
                 titleOf(menu.helpWindow()->topics(), "cli-list"));
        form.helpContentsEntry->trigger();
        QVERIFY(menu.helpWindow()->isVisible());
        QCOMPARE(topLine(menu.helpWindow()->browser),
                 titleOf(menu.helpWindow()->topics(), "contents"));
        QVERIFY(presenter_->messages.empty());
    }

    void f1OpensTheHelpOnlyWhileIdle() {
        MainWindow& form = window();
        HelpMenu& menu = attachHelpMenu(form, services());
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(form.helpContentsEntry->shortcut(), QKeySequence(Qt::Key_F1));

        form.enableControls(false); // making a list
        QTest::keyClick(&form, Qt::Key_F1);
        form.helpContentsEntry->trigger();
        form.helpSearchEntry->trigger();
        form.webSiteEntry->trigger();
        QVERIFY(!menu.helpWindow());
        QVERIFY(opened_.empty());

        form.enableControls(true);
        QTest::keyClick(&form, Qt::Key_F1);
        QVERIFY(menu.helpWindow());
        QVERIFY(menu.helpWindow()->isVisible());
    }

    void missingHelpIsToldAndLookedForAgain() {
        const QTemporaryDir& folder = *folder_;
        const std::string path = folder.filePath("Kestro.html").toStdString();
        MainWindow& form = window();
        HelpMenu& menu = attachHelpMenu(form, services({path}));
        form.helpContentsEntry->trigger();
        QVERIFY(!menu.helpWindow());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
        const ShownMessage& shown = presenter_->messages[0];
        QCOMPARE(shown.title, QStringLiteral("Kestro ﾍﾙﾌﾟ"));
        QCOMPARE(shown.icon, MessageIcon::Warning);
        QVERIFY(shown.text.contains(QStringLiteral("が見つかりません")));
        QVERIFY(shown.text.contains(QString::fromStdString(path)));

        QVERIFY(QFile::copy(sourceHelpPath(), QString::fromStdString(path)));
        form.helpSearchEntry->trigger();
        QVERIFY(menu.helpWindow());
        QCOMPARE(presenter_->messages.size(), std::size_t{1});
    }

    void webSiteGoesToTheShell() {
        MainWindow& form = window();
        HelpServices s = services();
        s.webPage = "https://example.test/kestro/";
        attachHelpMenu(form, s);
        QVERIFY(form.webSiteEntry->isVisible());
        form.webSiteEntry->trigger();
        QCOMPARE(opened_, std::vector<std::string>{"https://example.test/kestro/"});
    }

    // A build without a web page has no entry that would lead nowhere.
    void noWebPageNoWebSiteEntry() {
        MainWindow& form = window();
        HelpServices s = services();
        s.webPage = "";
        attachHelpMenu(form, s);
        QVERIFY(!form.webSiteEntry->isVisible());
        QVERIFY(!form.searchSeparator->isVisible());
        QVERIFY(form.versionSeparator->isVisible());
        form.webSiteEntry->trigger();
        QVERIFY(opened_.empty());
    }

    void versionEntryShowsTheDialogEachTime() {
        MainWindow& form = window();
        HelpServices s = services();
        std::vector<bool> settingDuringFlight;
        s.version.animateRects = [&](const QRect&, const QRect&) {
            settingDuringFlight.push_back(animationsOn());
        };
        attachHelpMenu(form, s);
        AnimationInfo off;
        off.iMinAnimate = 0;
        QVERIFY(setAnimationInfo(off).ok());

        for (int showing = 1; showing <= 2; ++showing) {
            QString shownName;
            QWidget* owner = nullptr;
            QTimer::singleShot(0, [&] {
                QWidget* shown = QApplication::activeModalWidget();
                if (auto* dialog = qobject_cast<VersionDialog*>(shown)) {
                    shownName = dialog->objectName();
                    owner = dialog->parentWidget();
                    QTest::mouseClick(dialog->okButton, Qt::LeftButton);
                }
            });
            form.versionEntry->trigger();
            QCOMPARE(shownName, QStringLiteral("VersionDialog"));
            QCOMPARE(owner, &form);
            QVERIFY(!QApplication::activeModalWidget());
            QCOMPARE(settingDuringFlight.size(), std::size_t(2 * showing));
        }
        QCOMPARE(std::count(settingDuringFlight.begin(), settingDuringFlight.end(), true), 4);
        AnimationInfo after;
        QVERIFY(getAnimationInfo(after).ok());
        QCOMPARE(after.iMinAnimate, 0);
        after.iMinAnimate = 1;
        QVERIFY(setAnimationInfo(after).ok());
    }
};

QTEST_MAIN(HelpMenuTest)
#include "help_menu_test.moc"
