// The program's file dialog for open, save and save as.

#include "ui/document_commands.h"

#include <QFileDialog>
#include <QFileSystemModel>

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

    // "*.*" means every file where the filter comes from; here it would hide
    // names without a dot.
    if (auto* model = dialog.findChild<QFileSystemModel*>()) {
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, model,
            [model](const QString& filter) {
                if (filter.endsWith(QStringLiteral("(*.*)")))
                    model->setNameFilters({QStringLiteral("*")});
            },
            Qt::QueuedConnection);
    }

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    return chosen.front();
}

} // namespace kestro
