#include "ui/message_presenter.h"

#include <QApplication>
#include <QMessageBox>

namespace kestro {

namespace {

class MessageBoxPresenter : public MessagePresenter {
public:
    void showMessage(QWidget* parent, const QString& text, const QString& title,
                     MessageIcon icon) override {
        QMessageBox box(parent);
        box.setWindowTitle(title);
        // The report separates its lines with a lone carriage return.
        QString shown = text;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        box.setText(shown);
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

    void beep() override { QApplication::beep(); }
};

} // namespace

std::shared_ptr<MessagePresenter> makeMessageBoxPresenter() {
    return std::make_shared<MessageBoxPresenter>();
}

} // namespace kestro
