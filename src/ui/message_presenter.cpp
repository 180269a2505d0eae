#include "ui/message_presenter.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kestro {

namespace {

// The report separates its lines with a lone carriage return.
QString withLineFeeds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

class MessageBoxPresenter : public MessagePresenter {
public:
    void showMessage(QWidget* parent, const QString& text, const QString& title,
                     MessageIcon icon) override {
        QMessageBox box(parent);
        box.setWindowTitle(title);
        box.setText(withLineFeeds(text));
        box.setTextFormat(Qt::PlainText);
        switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
    }

    bool askYesNo(QWidget* parent, const QString& text, const QString& title) override {
        QMessageBox box(parent);
        box.setWindowTitle(title);
        box.setText(withLineFeeds(text));
        box.setTextFormat(Qt::PlainText);
        box.setIcon(QMessageBox::Question);
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(no);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes;
    }

    void beep() override { QApplication::beep(); }
};

} // namespace

bool MessagePresenter::askYesNo(QWidget*, const QString&, const QString&) {
    return false;
}

std::shared_ptr<MessagePresenter> makeMessageBoxPresenter() {
    return std::make_shared<MessageBoxPresenter>();
}

} // namespace kestro
