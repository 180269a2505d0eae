// Form1's stored settings: loaded once at set-up, written on every close.

#include "listgen/error_report.h"
#include "platform/program_paths.h"
#include "ui/folder_tree.h"
#include "ui/form1.h"
#include "ui/value_check_box.h"

#include <QAction>
#include <QComboBox>
#include <QRadioButton>

#include <cmath>

namespace kestro {

ValueCheckBox* Form1::checkBoxFor(SettingRow row) const {
    switch (row) {
    case SettingRow::chkSub:
        return chkSub;
    case SettingRow::Path:
        return chkPath;
    case SettingRow::ShortPath:
        return chkShortPath;
    case SettingRow::DirLarge:
        return chkDirLarge;
    case SettingRow::DirHalf:
        return chkDirHalf;
    case SettingRow::Div:
        return chkDiv;
    case SettingRow::DelKaku:
        return chkDelKaku;
    case SettingRow::Short:
        return chkShort;
    case SettingRow::FNameLarge:
        return chkFNameLarge;
    case SettingRow::FNameHalf:
        return chkFNameHalf;
    case SettingRow::FileSize:
        return chkFileSize;
    case SettingRow::TimeMake:
        return chkTimeMake;
    case SettingRow::TimeRenew:
        return chkTimeRenew;
    case SettingRow::TimeAccess:
        return chkTimeAccess;
    case SettingRow::Kaku:
        return Check1;
    case SettingRow::InsPath:
        return chkInsPath;
    case SettingRow::DirDelDrive:
        return chkDirDelDrive;
    case SettingRow::Tabs:
        return chkTabs;
    case SettingRow::Attribute:
        return chkAttribute;
    case SettingRow::FileType:
        return chkFileType;
    default:
        return nullptr;
    }
}

QAction* Form1::menuItemFor(SettingRow row) const {
    switch (row) {
    case SettingRow::Hidden:
        return mnuSetHidden;
    case SettingRow::System:
        return mnuSetSystem;
    case SettingRow::SkipUnreadable:
        return mnuSetSkipUnreadable;
    default:
        return nullptr;
    }
}

void Form1::loadSettings() {
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
                (void)Dir1->setPath(programFolder());
                alignDriveWithFolder();
            } else {
                showFailure(failed);
            }
            continue;
        }
        if (auto applied = applySetting(definition.row, read.value()); !applied)
            showFailure(applied.failure());
    }
}

Status Form1::applySetting(SettingRow row, const SettingValue& value) {
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
        if (auto shown = Dir1->setPath(value.text); !shown) {
            if (isSilentFailure(Command::StartUp, shown.failure().number))
                (void)Dir1->setPath(programFolder());
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
        optByte[value.integer]->setChecked(true);
        return Ok{};
    case SettingKind::Separator:
        Combo1->setEditText(QString::fromStdString(value.text));
        return Ok{};
    }
    return Ok{};
}

SettingValue Form1::currentSetting(SettingRow row) const {
    SettingValue value;
    switch (definitionOf(row).kind) {
    case SettingKind::Position:
        value.number = static_cast<float>(toTwips(row == SettingRow::Top ? y() : x()));
        break;
    case SettingKind::Folder:
        value.text = Dir1->path();
        break;
    case SettingKind::CheckBox:
        value.integer = checkBoxFor(row)->Value();
        break;
    case SettingKind::Truth:
        value.truth = menuItemFor(row)->isChecked();
        break;
    case SettingKind::SizeUnit:
        value.integer = -1;
        for (int i = 0; i < 3; ++i) {
            if (optByte[i]->isChecked()) {
                value.integer = i;
                break;
            }
        }
        break;
    case SettingKind::Separator:
        value.text = Combo1->currentText().toStdString();
        break;
    }
    return value;
}

Status Form1::saveSettings() {
    SettingsStore store(SettingsApplication);
    for (const SettingDefinition& definition : settingDefinitions())
        writeSetting(store, definition.row, currentSetting(definition.row));
    return store.save();
}

void Form1::Form_QueryUnload() {
    // A settings file that could not be read at start stays as it is (the
    // start-up report said so). One that cannot be written is reported; the
    // window closes all the same.
    if (keepStoredSettings_)
        return;
    if (auto saved = saveSettings(); !saved)
        showFailure(saved.failure());
}

} // namespace kestro
