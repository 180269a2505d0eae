#pragma once

// VersionDialog, "バージョン情報": the version dialog with the logo, the version
// line, the rights notice and two link lines (mail address and web page).
// Its caption bar flies out of the main window's left edge when it opens
// and back into it when it closes; the animation setting is switched on for
// each flight and put back right after, whatever it was.
//
// A failure while loading (loadDialog) unloads the dialog before it is shown
// and then reports the failure; a failure while closing closes the dialog
// all the same and then reports it. Link clicks are handed to the shell and
// their results ignored. A build without a mail address or web page shows
// no line for it; the lines shown keep their places from the top. A new dialog is made for every
// showing; it keeps nothing between showings. The main window is not owned.

#include "platform/animation_setting.h"
#include "platform/failure.h"

#include <QDialog>
#include <QLabel>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

class QPushButton;

namespace kestro {

// What the dialog uses from outside; an empty member takes the program's own.
struct VersionDialogServices {
    // The shell's "open" (shellOpen).
    std::function<void(const std::string& target)> open;
    // The common failure report (a box with the report text over the main
    // window).
    std::function<void(const Failure& failure)> reportFailure;
    // The animation setting (getAnimationInfo, setAnimationInfo).
    std::function<Status(AnimationInfo& info)> getAnimation;
    std::function<Status(const AnimationInfo& info)> setAnimation;
    // Draws one flight (drawAnimatedRects over `animationDuration`).
    std::function<void(const QRect& from, const QRect& to)> animateRects;
    std::chrono::milliseconds animationDuration{200};
    // The link lines' addresses; unset takes the build's. An empty address
    // leaves its line out.
    std::optional<std::string> mail;
    std::optional<std::string> webPage;
};

// A label that runs an action when clicked with the left button.
class LinkLabel : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

class VersionDialog : public QDialog {
    Q_OBJECT

public:
    // The client area in twips.
    static constexpr int ClientWidthTwips = 4050;
    static constexpr int ClientHeightTwips = 2685;

    // `mainWindow` owns the dialog while it is shown and is where the
    // caption bar flies from and back to; it may be null (the screen's left
    // edge then).
    explicit VersionDialog(QWidget* mainWindow, VersionDialogServices services = {});
    ~VersionDialog() override;

    QPushButton* okButton = nullptr;  // "OK"
    QLabel* versionLabel = nullptr;   // version line
    QLabel* rightsLabel = nullptr;    // rights notice
    LinkLabel* mailLink = nullptr;    // mail address
    LinkLabel* webPageLink = nullptr; // web page
    QLabel* logoImage = nullptr;      // logo in a sunken border

    double twipsPerPixel() const { return twipsPerPixel_; }

    // The loading steps: texts, centring on the screen and the opening
    // flight. Returns false when a step failed; the dialog is then unloaded
    // and the failure has been reported.
    bool loadDialog();

    // The closing steps: the flight back into the main window. Runs once,
    // however the dialog is closed; the close always goes ahead.
    void flyBackOnClose();

    // Whether the dialog has been unloaded (closed, or a failed load).
    bool unloaded() const { return unloaded_; }

public slots:
    void onOkClicked();
    void onMailClicked();
    void onWebPageClicked();

    // Every way of closing (OK, close box, Escape) ends here.
    void done(int result) override;

private:
    void buildControls();
    void placeRightAligned(QLabel* label, int rightTwips, int topTwips, int heightTwips);
    int toPixels(double twips) const;
    Status flyWithAnimationOn(const QRect& from, const QRect& to);
    QRect mainWindowRect() const;
    QRect screenRect() const;
    QRect centreOnScreen(); // returns the outer rectangle

    QWidget* mainWindow_;
    VersionDialogServices services_;
    double twipsPerPixel_ = 15.0;
    bool unloaded_ = false;
};

// Makes a new VersionDialog over `mainWindow`, loads it and shows it modally;
// returns when it has been closed.
void showVersionDialog(QWidget* mainWindow, VersionDialogServices services = {});

} // namespace kestro
