#pragma once

// How the window shows its modal messages and sounds its beep. The window
// owns one presenter; tests replace it with one that records instead of
// blocking on a box.

#include <QString>

#include <memory>

class QWidget;

namespace kestro {

enum class MessageIcon {
    None,
    Warning,  // the exclamation icon of the failure report
    Critical, // the stop icon of the abort message
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // A modal box with `text`, `title`, `icon` and one OK button over
    // `parent`; returns when it is closed. A carriage return in `text`
    // starts a new line.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& title,
                             MessageIcon icon) = 0;
    // A modal question with `text` and `title` and the buttons 「はい」 and
    // 「いいえ」 (the default) over `parent`: whether the user said yes. A
    // presenter that cannot ask answers no, so nothing is changed.
    virtual bool askYesNo(QWidget* parent, const QString& text, const QString& title);
    // The system's default beep.
    virtual void beep() = 0;
};

// The presenter of the running program: QMessageBox and QApplication::beep.
std::shared_ptr<MessagePresenter> makeMessageBoxPresenter();

} // namespace kestro
