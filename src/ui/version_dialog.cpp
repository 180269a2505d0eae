#include "ui/version_dialog.h"

#include "fileinfo/version_line.h"
#include "kestro_version.h"
#include "listgen/error_report.h"
#include "platform/shell.h"
#include "ui/message_presenter.h"
#include "ui/twips.h"
#include "ui/version_animation.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <cmath>

// The logo lives in a resource of this static library; nothing else refers
// to the resource's object file, so it must be pulled in by name.
static void loadLogoResource() {
    Q_INIT_RESOURCE(version_logo);
}

namespace kestro {

namespace {

constexpr auto Caption = "バージョン情報";
constexpr auto LogoResource = ":/kestro/kestro_logo.bmp";

// Positions of the controls in twips, from the dialog's design.
constexpr int LinesRightTwips = 3865;
constexpr int LineHeightTwips = 225;

// Where "Times New Roman" is missing, the font system's substitute for it
// (a face made to its measures, so the lines keep their width) stands in; a
// style hint would make it prefer a generic face instead.
QFont dialogFont(bool underline) {
    QFont font(QStringLiteral("Times New Roman"), 9, QFont::Bold);
    font.setUnderline(underline);
    return font;
}

void setTextColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

bool hasMailScheme(const QString& text) {
    return text.startsWith(QStringLiteral("mailto:"), Qt::CaseInsensitive);
}

} // namespace

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) &&
        onClick)
        onClick();
}

VersionDialog::VersionDialog(QWidget* mainWindow, VersionDialogServices services)
    : QDialog(mainWindow, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      mainWindow_(mainWindow), services_(std::move(services)) {
    if (!services_.open)
        services_.open = [](const std::string& target) { shellOpen(target); };
    if (!services_.getAnimation)
        services_.getAnimation = [](AnimationInfo& info) { return getAnimationInfo(info); };
    if (!services_.setAnimation)
        services_.setAnimation = [](const AnimationInfo& info) { return setAnimationInfo(info); };
    if (!services_.animateRects) {
        const auto duration = services_.animationDuration;
        services_.animateRects = [duration](const QRect& from, const QRect& to) {
            drawAnimatedRects(from, to, duration, QString::fromUtf8(Caption));
        };
    }
    if (!services_.mail)
        services_.mail = build::authorMail;
    if (!services_.webPage)
        services_.webPage = build::webPage;
    if (!services_.reportFailure) {
        QWidget* owner = mainWindow;
        services_.reportFailure = [owner](const Failure& failure) {
            makeMessageBoxPresenter()->showMessage(
                owner, QString::fromStdString(reportText(failure)), QString::fromUtf8(ReportTitle),
                MessageIcon::Warning);
        };
    }
    if (QScreen* shown = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen())
        twipsPerPixel_ = kestro::twipsPerPixel(shown->logicalDotsPerInch());

    setObjectName(QStringLiteral("VersionDialog"));
    setWindowTitle(QString::fromUtf8(Caption));
    setFixedSize(toPixels(ClientWidthTwips), toPixels(ClientHeightTwips));
    buildControls();
}

VersionDialog::~VersionDialog() = default;

int VersionDialog::toPixels(double twips) const {
    return twipsToPixels(twips, twipsPerPixel_);
}

void VersionDialog::buildControls() {
    loadLogoResource();
    // The picture goes first so that the lines stand in front of it.
    logoImage = new QLabel(this);
    logoImage->setObjectName(QStringLiteral("logoImage"));
    logoImage->setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // two pixels, sunken
    logoImage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QPixmap logo(QString::fromUtf8(LogoResource));
    logoImage->setPixmap(logo);
    const int border = logoImage->frameWidth();
    logoImage->setGeometry(toPixels(50), toPixels(50), logo.width() + 2 * border,
                           logo.height() + 2 * border);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setGeometry(toPixels(2520), toPixels(2280), toPixels(1095), toPixels(375));
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &VersionDialog::onOkClicked);

    versionLabel = new QLabel(this);
    versionLabel->setObjectName(QStringLiteral("versionLabel"));
    versionLabel->setFont(dialogFont(false));
    setTextColour(versionLabel, palette().color(QPalette::Dark)); // the button-shadow colour

    rightsLabel = new QLabel(this);
    rightsLabel->setObjectName(QStringLiteral("rightsLabel"));
    rightsLabel->setFont(dialogFont(false));
    rightsLabel->setAlignment(Qt::AlignCenter);
    rightsLabel->setGeometry(toPixels(45), toPixels(1890), toPixels(3975), toPixels(255));

    const QColor linkColour(128, 128, 255);
    mailLink = new LinkLabel(this);
    mailLink->setObjectName(QStringLiteral("mailLink"));
    webPageLink = new LinkLabel(this);
    webPageLink->setObjectName(QStringLiteral("webPageLink"));
    for (LinkLabel* link : {mailLink, webPageLink}) {
        link->setFont(dialogFont(true));
        setTextColour(link, linkColour);
        link->setCursor(Qt::PointingHandCursor);
        link->setTextFormat(Qt::PlainText);
    }
    mailLink->onClick = [this] { onMailClicked(); };
    webPageLink->onClick = [this] { onWebPageClicked(); };
    for (QLabel* line : {versionLabel, rightsLabel, static_cast<QLabel*>(mailLink),
                         static_cast<QLabel*>(webPageLink)}) {
        line->setTextFormat(Qt::PlainText);
        line->setContentsMargins(0, 0, 0, 0);
        line->setAutoFillBackground(false);
    }
    logoImage->lower();
    okButton->setFocus();
}

// The line keeps its right edge and grows to the left with its text.
void VersionDialog::placeRightAligned(QLabel* label, int rightTwips, int topTwips,
                                      int heightTwips) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int width = label->sizeHint().width();
    label->setGeometry(toPixels(rightTwips) - width, toPixels(topTwips), width,
                       toPixels(heightTwips));
}

QRect VersionDialog::screenRect() const {
    QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect VersionDialog::mainWindowRect() const {
    if (mainWindow_)
        return mainWindow_->window()->frameGeometry();
    const QRect screen = screenRect();
    return {screen.left(), screen.top(), 0, screen.height()};
}

// The dialog's frame is not known before the desktop has framed it once, so
// the main window's frame stands in for it; the position given is the
// frame's, as the desktop places it.
QRect VersionDialog::centreOnScreen() {
    const QRect screen = screenRect();
    QMargins frame;
    if (mainWindow_) {
        const QWidget* main = mainWindow_->window();
        const QRect outer = main->frameGeometry();
        const QRect inner = main->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QSize outer = size().grownBy(frame);
    const QPoint at(
        screen.x() + static_cast<int>(std::lround((screen.width() - outer.width()) / 2.0)),
        screen.y() + static_cast<int>(std::lround((screen.height() - outer.height()) / 2.0)));
    move(at);
    return {at, outer};
}

// The user's setting is put back even when it was off: the flight itself
// must always be seen.
Status VersionDialog::flyWithAnimationOn(const QRect& from, const QRect& to) {
    AnimationInfo saved;
    if (Status read = services_.getAnimation(saved); !read)
        return read;
    AnimationInfo on;
    on.iMinAnimate = 1;
    if (Status switched = services_.setAnimation(on); !switched)
        return switched;
    services_.animateRects(from, to);
    return services_.setAnimation(saved);
}

bool VersionDialog::loadDialog() {
    versionLabel->setText(QString::fromStdString(versionLine()));
    rightsLabel->setText(QString::fromUtf8(build::rightsNotice));
    mailLink->setText(QString::fromStdString(*services_.mail));
    webPageLink->setText(QString::fromStdString(*services_.webPage));
    placeRightAligned(versionLabel, LinesRightTwips, 1200, LineHeightTwips);
    // A line without an address is left out; the next one moves up into
    // its place, so no gap opens under the version line.
    int linkTop = 1380;
    for (LinkLabel* link : {mailLink, webPageLink}) {
        link->setVisible(!link->text().isEmpty());
        if (link->text().isEmpty())
            continue;
        placeRightAligned(link, LinesRightTwips, linkTop, LineHeightTwips);
        linkTop += 220;
    }

    const QRect target = centreOnScreen();
    const QRect main = mainWindowRect();
    const QRect source(main.left(), main.top(), 0, main.height());
    const Status opened = flyWithAnimationOn(source, target);
    if (opened)
        return true;
    // Unloaded before it was ever shown: there is nothing to fly back.
    unloaded_ = true;
    hide();
    if (opened.failure().number != 0)
        services_.reportFailure(opened.failure());
    return false;
}

void VersionDialog::flyBackOnClose() {
    if (unloaded_)
        return;
    unloaded_ = true;
    const QRect source = frameGeometry();
    const QRect main = mainWindowRect();
    const QRect target(main.left(), main.top(), 0, main.height());
    const Status closed = flyWithAnimationOn(source, target);
    QDialog::done(result());
    if (!closed && closed.failure().number != 0)
        services_.reportFailure(closed.failure());
}

void VersionDialog::done(int result) {
    if (unloaded_) {
        QDialog::done(result);
        return;
    }
    setResult(result);
    flyBackOnClose();
}

void VersionDialog::onOkClicked() {
    close();
}

void VersionDialog::onMailClicked() {
    QString target = mailLink->text();
    if (target.isEmpty())
        return;
    // The shell opens a mail address only as a mailto: link.
    if (!hasMailScheme(target))
        target.prepend(QStringLiteral("mailto:"));
    services_.open(target.toStdString());
}

void VersionDialog::onWebPageClicked() {
    if (!webPageLink->text().isEmpty())
        services_.open(webPageLink->text().toStdString());
}

void showVersionDialog(QWidget* mainWindow, VersionDialogServices services) {
    VersionDialog dialog(mainWindow, std::move(services));
    if (dialog.loadDialog())
        dialog.exec();
}

} // namespace kestro
