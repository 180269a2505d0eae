// MainWindow's stored settings: loaded once at set-up, written on every close.

#include "listgen/error_report.h"
#include "platform/program_paths.h"
#include "ui/folder_tree.h"
#include "ui/main_window.h"
#include "ui/value_check_box.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <cmath>

namespace kestro {

namespace {
QString controlName(SettingRow row) {
    const std::string_view name = definitionOf(row).control;
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}
} // namespace

// The option table names each option's control by its object name.
QAction* MainWindow::menuItemFor(SettingRow row) const {
    return findChild<QAction*>(controlName(row));
}

void MainWindow::loadSettings() {
    const SettingsStore store(SettingsApplication);
    if (store.readFailure()) {
        // The user's settings are there but cannot be read: start with the
        // defaults, and keep the file as it is rather than replace it with
        // them at close.
        keepStoredSettings_ = true;
        Failure failed = *store.readFailure();
        failed.description += "\r" + std::string(SettingsKeptNote);
        showFailure(failed);
    }
    for (const SettingDefinition& definition : settingDefinitions()) {
        auto read = readSetting(store, definition.row);
        if (!read) {
            const Failure& failed = read.failure();
            if (definition.kind == SettingKind::Folder &&
                isSilentFailure(Command::StartUp, failed.number)) {
                // The stored folder is gone: start in the program's folder.
                (void)folderTree->setPath(programFolder());
                alignDriveWithFolder();
            } else {
                showFailure(failed);
            }
            continue;
        }
        if (auto applied = applySetting(definition.row, read.value()); !applied)
            showFailure(applied.failure());
    }
    if (auto encoding = readSaveEncoding(store))
        saveEncoding = encoding.value();
    else
        showFailure(encoding.failure());
}

Status MainWindow::applySetting(SettingRow row, const SettingValue& value) {
    switch (definitionOf(row).kind) {
    case SettingKind::Position: {
        // A place beyond the range of a window's coordinates cannot be
        // applied; it must not wrap round to some unrelated place.
        const double pixels = std::round(value.number / twipsPerPixel_);
        if (!(std::fabs(pixels) <= QWIDGETSIZE_MAX)) {
            const SettingDefinition& definition = definitionOf(row);
            return makeFailure(failure::Overflow,
                               std::string(definition.section) + "/" + std::string(definition.key));
        }
        if (row == SettingRow::Top)
            move(x(), toPixels(value.number));
        else
            move(toPixels(value.number), y());
        return Ok{};
    }
    case SettingKind::Folder:
        if (auto shown = folderTree->setPath(value.text); !shown) {
            if (isSilentFailure(Command::StartUp, shown.failure().number))
                (void)folderTree->setPath(programFolder());
            else
                showFailure(shown.failure());
        }
        // The drive list follows the folder without running its own change,
        // which would move the folder list to the drive's root.
        alignDriveWithFolder();
        return Ok{};
    case SettingKind::CheckBox:
        checkBoxFor(row)->setValue(value.integer);
        return Ok{};
    case SettingKind::Truth:
        menuItemFor(row)->setChecked(value.truth);
        return Ok{};
    case SettingKind::SizeUnit:
        sizeUnitButtons[value.integer]->setChecked(true);
        return Ok{};
    case SettingKind::Separator:
        separatorBox->setEditText(QString::fromStdString(value.text));
        return Ok{};
    case SettingKind::Patterns:
        patternBox->setText(QString::fromStdString(value.text));
        return Ok{};
    case SettingKind::Digest:
        hashAlgorithmBox->setCurrentIndex(hashAlgorithmIndex(value.text) == 1 ? 1 : 0);
        return Ok{};
    case SettingKind::Switch:
        return Ok{};
    }
    return Ok{};
}

SettingValue MainWindow::currentSetting(SettingRow row) const {
    SettingValue value;
    switch (definitionOf(row).kind) {
    case SettingKind::Position:
        value.number = static_cast<float>(toTwips(row == SettingRow::Top ? y() : x()));
        break;
    case SettingKind::Folder:
        value.text = folderTree->path();
        break;
    case SettingKind::CheckBox:
        value.integer = checkBoxFor(row)->value();
        break;
    case SettingKind::Truth:
        value.truth = menuItemFor(row)->isChecked();
        break;
    case SettingKind::SizeUnit:
        value.integer = -1;
        for (int i = 0; i < 3; ++i) {
            if (sizeUnitButtons[i]->isChecked()) {
                value.integer = i;
                break;
            }
        }
        break;
    case SettingKind::Separator:
        value.text = separatorBox->currentText().toStdString();
        break;
    case SettingKind::Patterns:
        value.text = patternBox->text().toStdString();
        break;
    case SettingKind::Digest:
        value.text = hashAlgorithmName(hashAlgorithmBox->currentIndex());
        break;
    case SettingKind::Switch:
        break;
    }
    return value;
}

Status MainWindow::saveSettings() {
    SettingsStore store(SettingsApplication);
    for (const SettingDefinition& definition : settingDefinitions())
        writeSetting(store, definition.row, currentSetting(definition.row));
    writeSaveEncoding(store, saveEncoding);
    return store.save();
}

void MainWindow::storeSettingsOnClose() {
    // A settings file that could not be read at start stays as it is (the
    // start-up report said so). One that cannot be written is reported; the
    // window closes all the same.
    if (keepStoredSettings_)
        return;
    if (auto saved = saveSettings(); !saved)
        showFailure(saved.failure());
}

} // namespace kestro
