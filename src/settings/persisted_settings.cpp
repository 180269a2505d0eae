#include "settings/persisted_settings.h"

#include "platform/file_facts.h"
#include "platform/folder.h"
#include "platform/paths.h"
#include "platform/program_paths.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace kestro {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

Failure typeMismatch() {
    return Failure{settingfailure::TypeMismatch, "型が一致しません。", {}, 0};
}

Failure overflow() {
    return makeFailure(failure::Overflow);
}

// A decimal number with optional sign, fraction and exponent; nothing else
// (no "inf", "nan" or hexadecimal forms).
Result<double> toNumber(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t i = 0;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return typeMismatch();
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        std::size_t exponentDigits = 0;
        while (j < text.size() && isDigit(text[j])) {
            ++j;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return typeMismatch();
        i = j;
    }
    if (i != text.size())
        return typeMismatch();
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
        // Underflow reads as zero; only a too large magnitude overflows.
        std::size_t e = text.find_first_of("eE");
        if (e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-')
            return 0.0;
        return overflow();
    }
    if (error != std::errc{} || end != text.data() + text.size())
        return typeMismatch();
    return negative ? -value : value;
}

Failure naming(Failure failure, const SettingDefinition& definition) {
    failure.description +=
        " (" + std::string(definition.section) + "/" + std::string(definition.key) + ")";
    return failure;
}

} // namespace

Result<float> toSingle(std::string_view text) {
    auto number = toNumber(text);
    if (!number)
        return number.failure();
    if (std::fabs(number.value()) > std::numeric_limits<float>::max())
        return overflow();
    return static_cast<float>(number.value());
}

Result<int> toInteger16(std::string_view text) {
    auto number = toNumber(text);
    if (!number)
        return number.failure();
    double rounded = std::nearbyint(number.value());
    if (rounded < std::numeric_limits<short>::min() || rounded > std::numeric_limits<short>::max())
        return overflow();
    return static_cast<int>(rounded);
}

Result<bool> toTruth(std::string_view text) {
    std::string_view word = trimmed(text);
    auto equalsNoCase = [](std::string_view a, std::string_view b) {
        if (a.size() != b.size())
            return false;
        for (std::size_t i = 0; i < a.size(); ++i) {
            char c = a[i];
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
            if (c != b[i])
                return false;
        }
        return true;
    };
    if (equalsNoCase(word, "true"))
        return true;
    if (equalsNoCase(word, "false"))
        return false;
    auto number = toNumber(word);
    if (!number)
        return number.failure();
    return number.value() != 0;
}

std::string singleText(float value) {
    if (value == 0) // no "-0"
        return "0";
    char buffer[64];
    auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc{})
        return "0";
    return {buffer, end};
}

std::string truthText(bool value) {
    return value ? "True" : "False";
}

Status checkStoredFolder(const std::string& path) {
    if (!isAbsolutePath(path))
        return makeFailure(failure::PathNotFound, path);
    auto attributes = readAttributes(path);
    if (!attributes) {
        Failure failed = attributes.failure();
        // A missing folder is "path not found", never "file not found".
        if (failed.number == failure::FileNotFound)
            return makeFailure(failure::PathNotFound, path);
        return failed;
    }
    if ((attributes.value() & attribute::Directory) == 0)
        return makeFailure(failure::PathNotFound, path);
    return Ok{};
}

int hashAlgorithmIndex(std::string_view text) {
    return text == "sha256" ? 0 : text == "md5" ? 1 : -1;
}

std::string_view hashAlgorithmName(int index) {
    return index == 1 ? "md5" : "sha256";
}

Result<SettingValue> readSetting(const SettingsStore& store, SettingRow row) {
    const SettingDefinition& definition = definitionOf(row);
    std::string fallback = definition.kind == SettingKind::Folder
                               ? programFolder()
                               : std::string(definition.defaultText);
    std::string text =
        store.get(std::string(definition.section), std::string(definition.key), fallback);

    SettingValue value;
    switch (definition.kind) {
    case SettingKind::Position: {
        auto number = toSingle(text);
        if (!number)
            return naming(number.failure(), definition);
        value.number = number.value();
        break;
    }
    case SettingKind::Folder: {
        // Relative to whatever folder the program was started in: not a
        // folder that is gone, a value the program cannot take.
        if (!text.empty() && !isAbsolutePath(text))
            return naming(Failure{failure::BadFileName,
                                  "保存されたフォルダーが絶対パスではありません: " + text,
                                  {},
                                  0},
                          definition);
        auto checked = checkStoredFolder(text);
        if (!checked)
            return checked.failure();
        value.text = std::move(text);
        break;
    }
    case SettingKind::CheckBox:
    case SettingKind::SizeUnit: {
        auto number = toInteger16(text);
        if (!number)
            return naming(number.failure(), definition);
        if (number.value() < 0 || number.value() > 2) {
            if (definition.kind == SettingKind::CheckBox)
                return naming(
                    Failure{settingfailure::InvalidValue, "プロパティの値が不正です。", {}, 0},
                    definition);
            return naming(Failure{settingfailure::NoSuchElement,
                                  "コントロール配列の要素 " + std::to_string(number.value()) +
                                      " は存在しません。",
                                  {},
                                  0},
                          definition);
        }
        value.integer = number.value();
        break;
    }
    case SettingKind::Truth: {
        auto truth = toTruth(text);
        if (!truth)
            return naming(truth.failure(), definition);
        value.truth = truth.value();
        break;
    }
    case SettingKind::Separator:
    case SettingKind::Patterns:
        value.text = std::move(text);
        break;
    case SettingKind::Digest:
        if (hashAlgorithmIndex(text) < 0)
            return naming(
                Failure{settingfailure::InvalidValue, "プロパティの値が不正です。", {}, 0},
                definition);
        value.text = std::move(text);
        break;
    case SettingKind::Switch:
        break;
    }
    return value;
}

std::optional<std::string> storedText(SettingRow row, const SettingValue& value) {
    switch (definitionOf(row).kind) {
    case SettingKind::Position:
        return singleText(value.number);
    case SettingKind::Folder:
    case SettingKind::Separator:
    case SettingKind::Digest:
        return value.text;
    case SettingKind::CheckBox:
        return std::to_string(value.integer);
    case SettingKind::SizeUnit:
        if (value.integer < 0)
            return std::nullopt;
        return std::to_string(value.integer);
    case SettingKind::Truth:
        return truthText(value.truth);
    case SettingKind::Patterns:
    case SettingKind::Switch:
        break;
    }
    return std::nullopt;
}

void writeSetting(SettingsStore& store, SettingRow row, const SettingValue& value) {
    auto text = storedText(row, value);
    if (!text)
        return;
    const SettingDefinition& definition = definitionOf(row);
    store.set(std::string(definition.section), std::string(definition.key), *text);
}

void applyToOptions(ListOptions& options, const SettingDefinition& definition,
                    const SettingValue& value) {
    switch (definition.kind) {
    case SettingKind::Position:
        break;
    case SettingKind::Folder:
        options.rootFolder = withTrailingSeparator(value.text);
        break;
    case SettingKind::CheckBox:
        options.*definition.flag = definition.grayedCounts ? subFoldersFromCheckBox(value.integer)
                                                           : isTicked(value.integer);
        break;
    case SettingKind::Truth:
    case SettingKind::Switch:
        options.*definition.flag = value.truth;
        break;
    case SettingKind::SizeUnit:
        options.sizeUnit = value.integer < 0 ? 0 : value.integer;
        break;
    case SettingKind::Separator:
        options.separator = resolveSeparator(value.text);
        options.csv = isCsvChoice(value.text);
        break;
    case SettingKind::Patterns:
        options.patterns = value.text.empty() ? "*.*" : value.text;
        break;
    case SettingKind::Digest:
        options.hashAlgorithm = hashAlgorithmIndex(value.text) == 1 ? 1 : 0;
        break;
    }
}

StoredList readStoredList(const SettingsStore& store) {
    StoredList result;
    ListOptions& options = result.options;
    for (const SettingDefinition& definition : settingDefinitions()) {
        auto read = readSetting(store, definition.row);
        if (definition.kind == SettingKind::Folder) {
            result.folderStored =
                store.contains(std::string(definition.section), std::string(definition.key));
            if (read) {
                result.folder = read.value().text;
            } else {
                result.folder = programFolder();
                result.folderFailure = read.failure();
            }
            continue;
        }
        if (!read) {
            result.failures.push_back(read.failure());
            continue;
        }
        applyToOptions(options, definition, read.value());
    }
    options.patterns = "*.*";
    options.rootFolder = withTrailingSeparator(result.folder);
    return result;
}

std::string_view encodingName(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf8Bom:
        return "utf8-bom";
    case TextEncoding::ShiftJis:
        return "sjis";
    case TextEncoding::Utf8:
        break;
    }
    return "utf8";
}

std::optional<TextEncoding> encodingNamed(std::string_view name) {
    for (const auto encoding :
         {TextEncoding::Utf8, TextEncoding::Utf8Bom, TextEncoding::ShiftJis}) {
        if (encodingName(encoding) == name)
            return encoding;
    }
    return std::nullopt;
}

Result<TextEncoding> readSaveEncoding(const SettingsStore& store) {
    const std::string section(SaveEncodingSection);
    const std::string key(SaveEncodingKey);
    if (!store.contains(section, key))
        return TextEncoding::Utf8;
    if (auto encoding = encodingNamed(store.get(section, key)))
        return *encoding;
    return Failure{settingfailure::InvalidValue,
                   "プロパティの値が不正です。 (" + section + "/" + key + ")",
                   {},
                   0};
}

void writeSaveEncoding(SettingsStore& store, TextEncoding encoding) {
    store.set(std::string(SaveEncodingSection), std::string(SaveEncodingKey),
              std::string(encodingName(encoding)));
}

} // namespace kestro
