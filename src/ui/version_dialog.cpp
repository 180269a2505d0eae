#include "ui/version_dialog.h"

#include "kestro_version.h"
#include "listgen/error_report.h"
#include "platform/shell.h"
#include "ui/message_presenter.h"
#include "ui/twips.h"
#include "ui/version_animation.h"
#include "ui/version_line.h"

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

Form2::Form2(QWidget* mainWindow, Form2Services services)
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
                owner, QString::fromStdString(ReportText(failure)), QString::fromUtf8(ReportTitle),
                MessageIcon::Warning);
        };
    }
    if (QScreen* shown = mainWindow ? mainWindow->screen() : QGuiApplication::primaryScreen())
        twipsPerPixel_ = kestro::twipsPerPixel(shown->logicalDotsPerInch());

    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf8(Caption));
    setFixedSize(toPixels(ClientWidthTwips), toPixels(ClientHeightTwips));
    buildControls();
}

Form2::~Form2() = default;

int Form2::toPixels(double twips) const {
    return twipsToPixels(twips, twipsPerPixel_);
}

void Form2::buildControls() {
    loadLogoResource();
    // The picture goes first so that the lines stand in front of it.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // two pixels, sunken
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QPixmap logo(QString::fromUtf8(LogoResource));
    Image1->setPixmap(logo);
    const int border = Image1->frameWidth();
    Image1->setGeometry(toPixels(50), toPixels(50), logo.width() + 2 * border,
                        logo.height() + 2 * border);

    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(toPixels(2520), toPixels(2280), toPixels(1095), toPixels(375));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(dialogFont(false));
    setTextColour(Label1, palette().color(QPalette::Dark)); // the button-shadow colour

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(dialogFont(false));
    Label2->setAlignment(Qt::AlignCenter);
    Label2->setGeometry(toPixels(45), toPixels(1890), toPixels(3975), toPixels(255));

    const QColor linkColour(128, 128, 255);
    Label3 = new LinkLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label4 = new LinkLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    for (LinkLabel* link : {Label3, Label4}) {
        link->setFont(dialogFont(true));
        setTextColour(link, linkColour);
        link->setCursor(Qt::PointingHandCursor);
        link->setTextFormat(Qt::PlainText);
    }
    Label3->onClick = [this] { Label3_Click(); };
    Label4->onClick = [this] { Label4_Click(); };
    for (QLabel* line :
         {Label1, Label2, static_cast<QLabel*>(Label3), static_cast<QLabel*>(Label4)}) {
        line->setTextFormat(Qt::PlainText);
        line->setContentsMargins(0, 0, 0, 0);
        line->setAutoFillBackground(false);
    }
    Image1->lower();
    Command1->setFocus();
}

// The line keeps its right edge and grows to the left with its text.
void Form2::placeRightAligned(QLabel* label, int rightTwips, int topTwips, int heightTwips) {
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    const int width = label->sizeHint().width();
    label->setGeometry(toPixels(rightTwips) - width, toPixels(topTwips), width,
                       toPixels(heightTwips));
}

QRect Form2::screenRect() const {
    QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

QRect Form2::mainWindowRect() const {
    if (mainWindow_)
        return mainWindow_->window()->frameGeometry();
    const QRect screen = screenRect();
    return QRect(screen.left(), screen.top(), 0, screen.height());
}

// The dialog's frame is not known before the desktop has framed it once, so
// the main window's frame stands in for it; the position given is the
// frame's, as the desktop places it.
QRect Form2::centreOnScreen() {
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
    return QRect(at, outer);
}

// The user's setting is put back even when it was off: the flight itself
// must always be seen.
Status Form2::flyWithAnimationOn(const QRect& from, const QRect& to) {
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

bool Form2::Form_Load() {
    Label1->setText(QString::fromStdString(versionLine()));
    Label2->setText(QString::fromUtf8(build::rightsNotice));
    Label3->setText(QString::fromStdString(*services_.mail));
    Label4->setText(QString::fromStdString(*services_.webPage));
    placeRightAligned(Label1, LinesRightTwips, 1200, LineHeightTwips);
    // A line without an address is left out; the next one moves up into
    // its place, so no gap opens under the version line.
    int linkTop = 1380;
    for (LinkLabel* link : {Label3, Label4}) {
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

void Form2::Form_QueryUnload() {
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

void Form2::done(int result) {
    if (unloaded_) {
        QDialog::done(result);
        return;
    }
    setResult(result);
    Form_QueryUnload();
}

void Form2::Command1_Click() {
    close();
}

void Form2::Label3_Click() {
    QString target = Label3->text();
    if (target.isEmpty())
        return;
    // The shell opens a mail address only as a mailto: link.
    if (!hasMailScheme(target))
        target.prepend(QStringLiteral("mailto:"));
    services_.open(target.toStdString());
}

void Form2::Label4_Click() {
    if (!Label4->text().isEmpty())
        services_.open(Label4->text().toStdString());
}

void showVersionDialog(QWidget* mainWindow, Form2Services services) {
    Form2 dialog(mainWindow, std::move(services));
    if (dialog.Form_Load())
        dialog.exec();
}

} // namespace kestro
