// The program's file dialog for open, save and save as.

#include "ui/document_commands.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>

namespace kestro {

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request) {
    // Qt's own dialog, so that the filters below behave the same on every
    // desktop.
    QFileDialog dialog(parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const bool saving = request.kind == FileDialogRequest::Kind::Save;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // Open takes whatever name is typed; a missing file fails when read.
    dialog.setFileMode(QFileDialog::AnyFile);
    if (saving)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(request.nameFilters);
    if (!request.startName.isEmpty())
        dialog.selectFile(request.startName);

    // Choosing a filter only changes which names are shown. Qt's own handler
    // would also put the filter's extension into the typed name ("list.csv"
    // becoming "list.*"), so it is replaced by one that keeps the name.
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* model = dialog.findChild<QFileSystemModel*>();
    if (types && name && model) {
        QObject::disconnect(types, &QComboBox::activated, &dialog, nullptr);
        QObject::connect(types, &QComboBox::activated, &dialog, [&dialog, types, name, model] {
            const QString typed = name->text();
            const QString filter = types->currentText();
            dialog.selectNameFilter(filter);
            if (name->text() != typed)
                name->setText(typed);
            // "*.*" means every file where the filter comes from; here it
            // would hide names without a dot.
            if (filter.endsWith(QStringLiteral("(*.*)")))
                model->setNameFilters({QStringLiteral("*")});
        });
    }

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    return chosen.front();
}

} // namespace kestro
