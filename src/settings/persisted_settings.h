#pragma once

// The options, window position and folder kept between runs: the 31 stored
// rows of the option table (settings/option_table.h) in the settings store
// of application "Kestro" (sections "Setting", "File", "chk"), read and
// written in the table's order, with their stored forms and conversions.
//
// Reading a row gives its converted value or a failure: 13 (type mismatch)
// for a text that does not convert, 6 (overflow) for a number out of range,
// 380 for a check-box value other than 0, 1 or 2, 340 for a size-unit index
// outside 0-2, and for the folder row 76 (the folder is gone or is not a
// folder) or 68 (its device is not there), which the window takes silently,
// or 52 for a folder that is not an absolute path.
// A missing key is never a failure: the row's default applies. A stored empty
// text is a stored value, not a missing one.

#include "listgen/list_options.h"
#include "platform/failure.h"
#include "platform/settings_store.h"
#include "platform/text.h"
#include "settings/option_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestro {

inline constexpr const char* SettingsApplication = "Kestro";

// Said with the failure of a settings file that exists but cannot be read.
inline constexpr const char* SettingsKeptNote =
    "設定ファイルを読めないため、既定の設定で始めます。このファイルは書き換えず、"
    "終了時に設定を保存しません。";

// Failure numbers of stored values that do not fit their control.
namespace settingfailure {
inline constexpr int TypeMismatch = 13;
inline constexpr int NoSuchElement = 340;
inline constexpr int InvalidValue = 380;
} // namespace settingfailure

// One row's value; the member that counts is the one of the row's kind.
struct SettingValue {
    float number = 0;   // Position
    int integer = 0;    // CheckBox, SizeUnit (-1: no unit selected, row not written)
    bool truth = false; // Truth
    std::string text;   // Folder, Separator, Digest
};

// The checksum algorithms as stored and as given on the command line, by
// ListOptions::hashAlgorithm; -1 for another text.
int hashAlgorithmIndex(std::string_view text);
std::string_view hashAlgorithmName(int index);

// Conversions of stored text, forgiving blanks around numbers and truth
// values. Failures 13 and 6 as above; they name nothing.
Result<float> toSingle(std::string_view text);
// Rounded to the nearest integer, halves to even.
Result<int> toInteger16(std::string_view text);
// "True"/"False" in any case, or a number (not zero is true).
Result<bool> toTruth(std::string_view text);
// The shortest text that reads back as the same number; whole numbers have
// no decimal part.
std::string singleText(float value);
std::string truthText(bool value);

// The folder `path` as the folder row accepts it: 76 when it does not exist
// or is not a folder, 68 when its device is not ready, another number for
// other failures.
Status checkStoredFolder(const std::string& path);

// Reads and converts one row from `store` (the default when missing).
// Failures name the row's section and key.
Result<SettingValue> readSetting(const SettingsStore& store, SettingRow row);

// The stored form of `value` for `row`; nothing for a size unit of -1.
std::optional<std::string> storedText(SettingRow row, const SettingValue& value);
// Sets the row's stored form in `store` (in memory; the caller saves).
void writeSetting(SettingsStore& store, SettingRow row, const SettingValue& value);

// Sets the ListOptions member that `definition` feeds to `value` as the
// window's control or the store holds it: a check box ticked (or, where
// grayed counts, not clear), the separator box's text resolved, no size unit
// (-1) as bytes, an empty pattern as "*.*", the folder with a trailing "/".
// The window's place feeds no option.
void applyToOptions(ListOptions& options, const SettingDefinition& definition,
                    const SettingValue& value);

// What the window stored at its last close, as the options of a list: the
// pattern is "*.*"; a row that does not convert keeps its default and its
// failure is listed in `failures`. `folder` is the stored folder, or the
// program's folder when none is stored or it fails (the failure is then in
// `folderFailure`, also when the window would take it silently).
// `folderStored` says whether the store holds a folder at all.
struct StoredList {
    ListOptions options; // RootFolder is `folder` with a trailing "/"
    std::string folder;
    bool folderStored = false;
    std::optional<Failure> folderFailure;
    std::vector<Failure> failures;
};
StoredList readStoredList(const SettingsStore& store);

// The encoding the save dialog offers first, kept beside the table's rows
// (it is no option of a list): [Setting] Encoding, "utf8" (the default when
// missing), "utf8-bom" or "sjis", the names of `kestro --list --encoding`.
inline constexpr std::string_view SaveEncodingSection = "Setting";
inline constexpr std::string_view SaveEncodingKey = "Encoding";
std::string_view encodingName(TextEncoding encoding);
std::optional<TextEncoding> encodingNamed(std::string_view name);
// Another text fails with 380, naming the section and key.
Result<TextEncoding> readSaveEncoding(const SettingsStore& store);
void writeSaveEncoding(SettingsStore& store, TextEncoding encoding);

} // namespace kestro
