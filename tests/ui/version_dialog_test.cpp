// The version dialog: its version line, layout and links, the animation
// setting around its opening and closing flights, its place on the screen,
// every way of closing it, and its failure rule.

#include "fileinfo/version_line.h"
#include "kestro_version.h"
#include "platform/animation_setting.h"
#include "ui/twips.h"
#include "ui/version_animation.h"
#include "ui/version_dialog.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImageReader>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <vector>

using namespace kestro;
using namespace std::chrono_literals;

namespace {

struct Flight {
    QRect from;
    QRect to;
    bool animationOn; // the setting while the flight was drawn
};

// Services that record instead of opening, reporting and flying.
struct Recorder {
    std::vector<Flight> flights;
    std::vector<std::string> opened;
    std::vector<Failure> reported;
    // Whether the dialog was still visible when a failure was reported.
    std::vector<bool> visibleAtReport;
    QWidget* dialog = nullptr;

    VersionDialogServices services() {
        VersionDialogServices s;
        s.animateRects = [this](const QRect& from, const QRect& to) {
            flights.push_back({from, to, animationsOn()});
        };
        s.open = [this](const std::string& target) { opened.push_back(target); };
        s.reportFailure = [this](const Failure& failure) {
            reported.push_back(failure);
            visibleAtReport.push_back(dialog && dialog->isVisible());
        };
        s.mail = "author@example.test";
        s.webPage = "https://example.test/kestro/";
        return s;
    }
};

void setAnimation(int value) {
    AnimationInfo info;
    info.iMinAnimate = value;
    QVERIFY(setAnimationInfo(info).ok());
}

int currentAnimation() {
    AnimationInfo info;
    if (!getAnimationInfo(info).ok())
        return -1;
    return info.iMinAnimate;
}

QRect leftEdgeOf(const QRect& window) {
    return QRect(window.left(), window.top(), 0, window.height());
}

} // namespace

class VersionDialogTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QWidget> main_;

    QWidget* mainWindow(QPoint at = {40, 30}) {
        main_ = std::make_unique<QWidget>();
        main_->resize(300, 250);
        main_->move(at);
        main_->show();
        return main_.get();
    }

private slots:
    void init() { setAnimation(1); }
    void cleanup() {
        main_.reset();
        setAnimation(1);
    }

    void versionLine_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("line");
        QTest::newRow("1.2.3") << 1 << 2 << 3 << "Ver.1.02.0003";
        QTest::newRow("2.10.123") << 2 << 10 << 123 << "Ver.2.10.0123";
        QTest::newRow("1.0.0") << 1 << 0 << 0 << "Ver.1.00.0000";
        QTest::newRow("minor 123") << 1 << 123 << 0 << "Ver.1.123.0000";
        QTest::newRow("revision wider than four") << 3 << 4 << 56789 << "Ver.3.04.56789";
        QTest::newRow("major not padded") << 12 << 5 << 7 << "Ver.12.05.0007";
    }
    void versionLine() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, line);
        QCOMPARE(QString::fromStdString(kestro::versionLine(major, minor, revision)), line);
    }

    void versionLineOfThisBuild() {
        QCOMPARE(
            kestro::versionLine(),
            kestro::versionLine(build::versionMajor, build::versionMinor, build::versionRevision));
        Recorder recorder;
        VersionDialogServices services = recorder.services();
        services.mail.reset();
        services.webPage.reset();
        VersionDialog dialog(mainWindow(), services);
        QVERIFY(dialog.loadDialog());
        QCOMPARE(dialog.versionLabel->text().toStdString(), kestro::versionLine());
        QCOMPARE(dialog.rightsLabel->text(), QString::fromUtf8(build::rightsNotice));
        QCOMPARE(dialog.mailLink->text(), QString::fromUtf8(build::authorMail));
        QCOMPARE(dialog.webPageLink->text(), QString::fromUtf8(build::webPage));
    }

    // A build without addresses shows no line that would lead nowhere; a
    // web page without a mail address takes the mail line's place.
    void linesWithoutAnAddressAreLeftOut() {
        Recorder recorder;
        VersionDialogServices services = recorder.services();
        services.mail = "";
        QWidget* main = mainWindow();
        VersionDialog dialog(main, services);
        QVERIFY(dialog.loadDialog());
        dialog.show();
        QVERIFY(dialog.mailLink->isHidden());
        QVERIFY(dialog.webPageLink->isVisible());
        QCOMPARE(dialog.webPageLink->y(), twipsToPixels(1380, dialog.twipsPerPixel()));
        dialog.onMailClicked();
        QVERIFY(recorder.opened.empty());

        services.webPage = "";
        VersionDialog bare(main, services);
        QVERIFY(bare.loadDialog());
        QVERIFY(bare.mailLink->isHidden());
        QVERIFY(bare.webPageLink->isHidden());
    }

    void animationSettingStandIn() {
        setAnimation(0);
        QCOMPARE(currentAnimation(), 0);
        QVERIFY(!animationsOn());
        setAnimation(3);
        QCOMPARE(currentAnimation(), 3);
        QVERIFY(animationsOn());
        // A record of the wrong size is refused and changes nothing.
        AnimationInfo wrong;
        wrong.cbSize = 12;
        wrong.iMinAnimate = 0;
        const Status refused = setAnimationInfo(wrong);
        QVERIFY(!refused.ok());
        QCOMPARE(refused.failure().number, InvalidCallFailure);
        QCOMPARE(currentAnimation(), 3);
        QVERIFY(!getAnimationInfo(wrong).ok());
        QCOMPARE(wrong.iMinAnimate, 0);
    }

    void captionRect() {
        const QRect from(100, 50, 0, 400); // a main window's left edge
        const QRect to(300, 200, 270, 180);
        QCOMPARE(captionRectAt(from, to, 0.0, 18), QRect(100, 50, 0, 18));
        QCOMPARE(captionRectAt(from, to, 1.0, 18), QRect(300, 200, 270, 18));
        QCOMPARE(captionRectAt(from, to, 0.5, 18), QRect(200, 125, 135, 18));
        // Outside the flight the ends hold.
        QCOMPARE(captionRectAt(from, to, -1.0, 18), captionRectAt(from, to, 0.0, 18));
        QCOMPARE(captionRectAt(from, to, 7.0, 18), captionRectAt(from, to, 1.0, 18));
        // A rectangle lower than a caption gives all of its height.
        QCOMPARE(captionRectAt(QRect(0, 0, 10, 5), QRect(0, 0, 10, 5), 0.3, 18),
                 QRect(0, 0, 10, 5));
        // The way back is the way out reversed.
        QCOMPARE(captionRectAt(to, from, 0.25, 18), captionRectAt(from, to, 0.75, 18));
    }

    void flightFollowsTheSetting() {
        const QRect from(10, 10, 0, 300);
        const QRect to(200, 150, 270, 180);
        setAnimation(0);
        QCOMPARE(drawAnimatedRects(from, to, 30ms, QStringLiteral("x")), 0);
        setAnimation(1);
        QVERIFY(drawAnimatedRects(from, to, 60ms, QStringLiteral("x")) >= 2);
        QCOMPARE(drawAnimatedRects(from, to, 0ms, QStringLiteral("x")), 1);
        // The bar is gone when the call returns.
        for (QWidget* window : QApplication::topLevelWidgets())
            QVERIFY2(!window->isVisible() || window->windowType() != Qt::ToolTip,
                     "a caption bar was left on the screen");
    }

    void layout() {
        Recorder recorder;
        VersionDialog dialog(mainWindow(), recorder.services());
        QVERIFY(dialog.loadDialog());
        const double factor = dialog.twipsPerPixel();
        const auto px = [factor](double twips) { return twipsToPixels(twips, factor); };

        QCOMPARE(dialog.windowTitle(), QStringLiteral("バージョン情報"));
        QVERIFY(dialog.windowFlags().testFlag(Qt::Tool));
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!dialog.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(dialog.size(), QSize(px(4050), px(2685)));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

        QCOMPARE(dialog.okButton->text(), QStringLiteral("OK"));
        QCOMPARE(dialog.okButton->geometry(), QRect(px(2520), px(2280), px(1095), px(375)));

        // The logo at its own size inside a sunken border of two pixels.
        QCOMPARE(dialog.logoImage->pixmap().size(), QSize(260, 140));
        QCOMPARE(dialog.logoImage->frameWidth(), 2);
        QCOMPARE(dialog.logoImage->frameShadow(), QFrame::Sunken);
        QCOMPARE(dialog.logoImage->geometry(), QRect(px(50), px(50), 264, 144));

        // The three right-aligned lines end at one edge and grow leftwards.
        const int right = px(3865);
        QCOMPARE(dialog.versionLabel->geometry().right() + 1, right);
        QCOMPARE(dialog.mailLink->geometry().right() + 1, right);
        QCOMPARE(dialog.webPageLink->geometry().right() + 1, right);
        QCOMPARE(dialog.versionLabel->y(), px(1200));
        QCOMPARE(dialog.mailLink->y(), px(1380));
        QCOMPARE(dialog.webPageLink->y(), px(1600));
        QVERIFY(dialog.mailLink->width() >= dialog.mailLink->sizeHint().width());
        QCOMPARE(dialog.rightsLabel->geometry(), QRect(px(45), px(1890), px(3975), px(255)));
        QVERIFY(dialog.rightsLabel->alignment().testFlag(Qt::AlignHCenter));

        for (QLabel* line :
             {dialog.versionLabel, dialog.rightsLabel, static_cast<QLabel*>(dialog.mailLink),
              static_cast<QLabel*>(dialog.webPageLink)}) {
            // Times New Roman, or where the system lacks it a face of its
            // measures.
            QCOMPARE(line->font().family(), QStringLiteral("Times New Roman"));
            QString resolved = QFontInfo(line->font()).family();
            resolved = resolved.left(resolved.indexOf(QStringLiteral(" ["))); // the foundry
            const QStringList faces = {"Times New Roman", "Liberation Serif", "Tinos",
                                       "Nimbus Roman", "Nimbus Roman No9 L"};
            const bool anyInstalled = std::any_of(faces.begin(), faces.end(), [](const QString& f) {
                return QFontDatabase::hasFamily(f);
            });
            if (anyInstalled)
                QVERIFY2(faces.contains(resolved), qPrintable(resolved));
            QCOMPARE(line->font().pointSize(), 9);
            QVERIFY(line->font().bold());
            QVERIFY(!line->autoFillBackground());
        }
        QVERIFY(!dialog.versionLabel->font().underline());
        QCOMPARE(dialog.versionLabel->palette().color(QPalette::WindowText),
                 dialog.palette().color(QPalette::Dark));
        for (QLabel* link :
             {static_cast<QLabel*>(dialog.mailLink), static_cast<QLabel*>(dialog.webPageLink)}) {
            QVERIFY(link->font().underline());
            QCOMPARE(link->palette().color(QPalette::WindowText), QColor(128, 128, 255));
            QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        }
    }

    void logoIsTheProjectsBitmap() {
        QImageReader reader(QStringLiteral(":/kestro/kestro_logo.bmp"));
        QCOMPARE(reader.format(), QByteArray("bmp"));
        QCOMPARE(reader.size(), QSize(260, 140));
        const QImage logo = reader.read();
        QVERIFY(!logo.hasAlphaChannel());
        QCOMPARE(logo.depth() >= 24, true);
        const QString source = qEnvironmentVariable("KESTRO_SOURCE_DIR");
        if (!source.isEmpty()) {
            QFile file(source + "/data/kestro_logo.bmp");
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray header = file.read(30);
            QCOMPARE(header.left(2), QByteArray("BM"));
            QCOMPARE(static_cast<int>(static_cast<unsigned char>(header.at(28))), 24);
        }
    }

    void linksOpenAndTheDialogStays() {
        Recorder recorder;
        VersionDialog dialog(mainWindow(), recorder.services());
        recorder.dialog = &dialog;
        QVERIFY(dialog.loadDialog());
        dialog.show();
        QTest::mouseClick(dialog.mailLink, Qt::LeftButton);
        QTest::mouseClick(dialog.webPageLink, Qt::LeftButton);
        QTest::mouseClick(dialog.webPageLink, Qt::RightButton); // not a click on the link
        QCOMPARE(recorder.opened.size(), std::size_t{2});
        QCOMPARE(recorder.opened[0], std::string("mailto:author@example.test"));
        QCOMPARE(recorder.opened[1], std::string("https://example.test/kestro/"));
        QVERIFY(dialog.isVisible());
        QVERIFY(!dialog.unloaded());
        QCOMPARE(recorder.flights.size(), std::size_t{1}); // only the opening one

        // A mail text that already is a link is handed over unchanged.
        dialog.mailLink->setText(QStringLiteral("mailto:someone@example.org"));
        dialog.onMailClicked();
        QCOMPARE(recorder.opened.back(), std::string("mailto:someone@example.org"));
    }

    void settingPutBackAndFlights_data() {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QString>("way");
        for (int setting : {0, 1, 5}) {
            for (const char* way : {"OK", "close box", "Escape"}) {
                QTest::addRow("setting %d, %s", setting, way) << setting << QString(way);
            }
        }
    }
    void settingPutBackAndFlights() {
        QFETCH(int, setting);
        QFETCH(QString, way);
        setAnimation(setting);
        QWidget* main = mainWindow({60, 45});
        Recorder recorder;
        VersionDialog dialog(main, recorder.services());
        recorder.dialog = &dialog;

        QVERIFY(dialog.loadDialog());
        QCOMPARE(currentAnimation(), setting);
        QCOMPARE(recorder.flights.size(), std::size_t{1});
        const Flight opening = recorder.flights[0];
        QVERIFY(opening.animationOn);
        QCOMPARE(opening.from, leftEdgeOf(main->frameGeometry()));

        // The flight ends where the framed dialog then stands.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QCOMPARE(opening.to, dialog.frameGeometry());
        if (way == "OK")
            QTest::mouseClick(dialog.okButton, Qt::LeftButton);
        else if (way == "close box")
            dialog.close(); // what the window's close box does
        else
            QTest::keyClick(&dialog, Qt::Key_Escape);

        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.unloaded());
        QCOMPARE(currentAnimation(), setting);
        // Every way of closing flies back exactly once, the opening reversed.
        QCOMPARE(recorder.flights.size(), std::size_t{2});
        const Flight closing = recorder.flights[1];
        QVERIFY(closing.animationOn);
        QCOMPARE(closing.from, opening.to);
        QCOMPARE(closing.to, opening.from);
        QVERIFY(recorder.reported.empty());

        // Closing again does nothing more.
        dialog.close();
        QCOMPARE(recorder.flights.size(), std::size_t{2});
    }

    void realFlightDrawnWhileTheUserHasItOff() {
        setAnimation(0);
        int frames = -1;
        VersionDialogServices services;
        services.reportFailure = [](const Failure&) { QFAIL("no failure expected"); };
        services.animateRects = [&frames](const QRect& from, const QRect& to) {
            frames = drawAnimatedRects(from, to, 20ms, QStringLiteral("バージョン情報"));
        };
        VersionDialog dialog(mainWindow(), services);
        QVERIFY(dialog.loadDialog());
        QVERIFY(frames >= 1);
        QCOMPARE(currentAnimation(), 0);
    }

    void centredWherever_data() {
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("top left") << QPoint(0, 0);
        QTest::newRow("middle") << QPoint(250, 180);
        QTest::newRow("bottom right") << QPoint(480, 330);
        QTest::newRow("partly off the screen") << QPoint(-120, -40);
    }
    void centredWherever() {
        QFETCH(QPoint, mainAt);
        QWidget* main = mainWindow(mainAt);
        Recorder recorder;
        VersionDialog dialog(main, recorder.services());
        QVERIFY(dialog.loadDialog());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The framed dialog, as shown, has as much screen on either side.
        const QRect screen = main->screen()->geometry();
        const QRect outer = dialog.frameGeometry();
        QVERIFY(outer.size() != dialog.size()); // the frame is counted
        QVERIFY(qAbs((outer.left() - screen.left()) - (screen.right() - outer.right())) <= 1);
        QVERIFY(qAbs((outer.top() - screen.top()) - (screen.bottom() - outer.bottom())) <= 1);
        // The flight starts at the main window's left edge, ends on the dialog.
        QCOMPARE(recorder.flights.at(0).from, leftEdgeOf(main->frameGeometry()));
        QCOMPARE(recorder.flights.at(0).to, outer);
    }

    void failureWhileLoading_data() {
        QTest::addColumn<bool>("readFails");
        QTest::addColumn<int>("flightsBeforeFailure");
        QTest::newRow("reading the setting") << true << 0;
        QTest::newRow("putting it back") << false << 1;
    }
    void failureWhileLoading() {
        QFETCH(bool, readFails);
        QFETCH(int, flightsBeforeFailure);
        setAnimation(0);
        Recorder recorder;
        VersionDialogServices services = recorder.services();
        int sets = 0;
        const Failure broken{75, "壊れた設定", {}, 0};
        if (readFails) {
            services.getAnimation = [&](AnimationInfo&) -> Status { return broken; };
        } else {
            // The switch on works, putting the user's setting back fails.
            services.setAnimation = [&](const AnimationInfo& info) -> Status {
                if (++sets == 2)
                    return broken;
                return setAnimationInfo(info);
            };
        }
        VersionDialog dialog(mainWindow(), services);
        recorder.dialog = &dialog;
        QVERIFY(!dialog.loadDialog());
        QVERIFY(dialog.unloaded());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(static_cast<int>(recorder.flights.size()), flightsBeforeFailure);
        QCOMPARE(recorder.reported.size(), std::size_t{1});
        QCOMPARE(recorder.reported[0].number, 75);
        QCOMPARE(recorder.visibleAtReport[0], false);
    }

    void failureWhileClosingStillCloses() {
        Recorder recorder;
        VersionDialogServices services = recorder.services();
        bool failing = false;
        services.getAnimation = [&](AnimationInfo& info) -> Status {
            if (failing)
                return Failure{70, "読めません", {}, 0};
            return getAnimationInfo(info);
        };
        VersionDialog dialog(mainWindow(), services);
        recorder.dialog = &dialog;
        QVERIFY(dialog.loadDialog());
        dialog.show();
        failing = true;
        QTest::mouseClick(dialog.okButton, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(dialog.unloaded());
        QCOMPARE(recorder.reported.size(), std::size_t{1});
        QCOMPARE(recorder.reported[0].number, 70);
        // Unloaded first, then reported.
        QCOMPARE(recorder.visibleAtReport[0], false);
        QCOMPARE(recorder.flights.size(), std::size_t{1});
    }

    void modalShowingEndsWithTheDialog() {
        QWidget* main = mainWindow();
        Recorder recorder;
        std::optional<bool> wasModal;
        QTimer::singleShot(0, [&] {
            QWidget* shown = QApplication::activeModalWidget();
            wasModal = shown && shown->objectName() == "VersionDialog";
            if (auto* dialog = qobject_cast<VersionDialog*>(shown))
                QTest::mouseClick(dialog->okButton, Qt::LeftButton);
        });
        showVersionDialog(main, recorder.services());
        QVERIFY(wasModal.has_value());
        QVERIFY(*wasModal);
        QCOMPARE(recorder.flights.size(), std::size_t{2});
        QVERIFY(!QApplication::activeModalWidget());
    }
};

QTEST_MAIN(VersionDialogTest)
#include "version_dialog_test.moc"
