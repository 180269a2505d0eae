// The program's file dialog for open, save and save as.

#include "ui/document_commands.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace kestro {

std::optional<FileDialogAnswer> runFileDialog(QWidget* parent, const FileDialogRequest& request) {
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

    // The encoding of the saved file, in the row below the file types.
    QComboBox* encodings = nullptr;
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (saving && request.textFile && grid) {
        static constexpr TextEncoding Choices[] = {TextEncoding::Utf8, TextEncoding::Utf8Bom,
                                                   TextEncoding::ShiftJis};
        encodings = new QComboBox(&dialog);
        encodings->setObjectName(QStringLiteral("encodingCombo"));
        encodings->addItem(QStringLiteral("UTF-8"));
        encodings->addItem(QStringLiteral("UTF-8 (BOM付き)"));
        encodings->addItem(QStringLiteral("ｼﾌﾄJIS (CP932)"));
        for (int i = 0; i < 3; ++i) {
            encodings->setItemData(i, static_cast<int>(Choices[i]));
            if (Choices[i] == request.encoding)
                encodings->setCurrentIndex(i);
        }
        auto* label = new QLabel(QStringLiteral("文字ｺｰﾄﾞ(&E):"), &dialog);
        label->setBuddy(encodings);
        const int row = grid->rowCount();
        grid->addWidget(label, row, 0);
        grid->addWidget(encodings, row, 1);
    }

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty())
        return std::nullopt;
    FileDialogAnswer answer(chosen.front());
    answer.workbook = saving && dialog.selectedNameFilter().endsWith(QStringLiteral("(*.xlsx)"));
    if (answer.workbook && QFileInfo(answer.name).suffix().isEmpty())
        answer.name += QStringLiteral(".xlsx");
    if (encodings)
        answer.encoding = static_cast<TextEncoding>(encodings->currentData().toInt());
    return answer;
}

} // namespace kestro
