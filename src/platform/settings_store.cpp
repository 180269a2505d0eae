#include "platform/settings_store.h"

#include "platform/paths.h"
#include "platform/program_paths.h"
#include "platform/text.h"

#include <optional>
#include <string_view>

namespace kestro {

namespace {

// Escapes a section name, key or value so that the line it stands on reads
// back exactly: "\" starts an escape; line breaks, tabs and other control
// bytes, the INI syntax characters "=", ";", "#", "[", "]" and blanks at
// either end are escaped. Bytes from 0x80 up (UTF-8) stay as they are.
std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\\':
            out += "\\\\";
            continue;
        case '\t':
            out += "\\t";
            continue;
        case '\r':
            out += "\\r";
            continue;
        case '\n':
            out += "\\n";
            continue;
        case '=':
        case ';':
        case '#':
        case '[':
        case ']':
            out += '\\';
            out += c;
            continue;
        default:
            break;
        }
        bool edgeBlank = c == ' ' && (i == 0 || i + 1 == text.size());
        if (byte < 0x20 || byte == 0x7F || edgeBlank) {
            out += "\\x";
            ascii::appendHex(out, byte);
        } else {
            out += c;
        }
    }
    return out;
}

// The reverse of escapeText; an escape it does not know is kept as written.
std::string unescapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        char next = text[i + 1];
        switch (next) {
        case '\\':
        case '=':
        case ';':
        case '#':
        case '[':
        case ']':
            out += next;
            ++i;
            continue;
        case 't':
            out += '\t';
            ++i;
            continue;
        case 'r':
            out += '\r';
            ++i;
            continue;
        case 'n':
            out += '\n';
            ++i;
            continue;
        case 'x':
            if (const int escaped = ascii::hexByteAt(text, i + 2); escaped >= 0) {
                out += static_cast<char>(escaped);
                i += 3;
                continue;
            }
            break;
        default:
            break;
        }
        out += c;
    }
    return out;
}

// Position of the first `wanted` that is not escaped, from `from` on.
std::size_t findUnescaped(std::string_view text, char wanted, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == wanted)
            return i;
    }
    return std::string_view::npos;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// The file's content; nothing, and no failure, when there is no file (a file
// in place of a folder on the way included: there is nothing to keep). Only a
// regular file is read (a FIFO at its place would block the read).
Failure tooLarge(const std::string& path) {
    Failure failed;
    failed.number = failure::OutOfMemory;
    failed.description = "設定ファイルが大きすぎます (" +
                         std::to_string(SettingsStore::SizeLimit >> 20) + " MB まで)。 (" + path +
                         ")";
    return failed;
}

Result<std::optional<std::string>> readStoreFile(const std::string& path) {
    Result<std::string> text = readWholeFile(path, SettingsStore::SizeLimit);
    if (!text) {
        const int number = text.failure().number;
        if (number == failure::FileNotFound || number == failure::PathNotFound)
            return std::optional<std::string>();
        if (number == failure::OutOfMemory)
            return tooLarge(path);
        return text.failure();
    }
    return std::optional<std::string>(std::move(text).value());
}

} // namespace

SettingsStore::SettingsStore(const std::string& application)
    : filePath_(joinPath(joinPath(configHome(), application), application + ".conf")) {
    auto read = readStoreFile(filePath_);
    if (!read) {
        readFailure_ = read.failure();
        return;
    }
    if (!read.value())
        return;
    // Lines that are neither a section header nor a key line, and key lines
    // before the first section, are skipped. Some editors start the file
    // with a byte-order mark, which is no part of the first line.
    const std::string text = decodeSettingsText(std::move(*read.value()));
    std::string_view rest = text;
    if (rest.substr(0, 3) == "\xEF\xBB\xBF")
        rest.remove_prefix(3);
    std::optional<std::string> section;
    while (!rest.empty()) {
        std::size_t end = rest.find('\n');
        std::string_view line = trimBlanks(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line = trimBlanks(line.substr(0, line.size() - 1));
        if (line.empty() || line.front() == ';' || line.front() == '#')
            continue;
        if (line.front() == '[') {
            if (findUnescaped(line, ']', 1) == line.size() - 1) {
                section = unescapeText(line.substr(1, line.size() - 2));
                // An empty section still appears when the store is saved.
                (void)sectionNamed(*section);
            }
            continue;
        }
        std::size_t equals = findUnescaped(line, '=', 0);
        if (!section || equals == std::string_view::npos)
            continue;
        set(*section, unescapeText(trimBlanks(line.substr(0, equals))),
            unescapeText(trimBlanks(line.substr(equals + 1))));
    }
}

const SettingsStore::Section* SettingsStore::findSection(const std::string& name) const {
    auto found = sectionIndex_.find(ascii::lowered(name));
    return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

SettingsStore::Section& SettingsStore::sectionNamed(const std::string& name) {
    auto [entry, added] = sectionIndex_.try_emplace(ascii::lowered(name), sections_.size());
    if (added)
        sections_.push_back(Section{name, {}, {}});
    return sections_[entry->second];
}

std::string SettingsStore::get(const std::string& section, const std::string& key,
                               const std::string& fallback) const {
    const Section* found = findSection(section);
    if (!found)
        return fallback;
    auto value = found->keyIndex.find(ascii::lowered(key));
    return value == found->keyIndex.end() ? fallback : found->values[value->second].second;
}

bool SettingsStore::contains(const std::string& section, const std::string& key) const {
    const Section* found = findSection(section);
    return found && found->keyIndex.count(ascii::lowered(key)) != 0;
}

void SettingsStore::set(const std::string& section, const std::string& key,
                        const std::string& value) {
    Section& target = sectionNamed(section);
    auto [entry, added] = target.keyIndex.try_emplace(ascii::lowered(key), target.values.size());
    if (added)
        target.values.emplace_back(key, value);
    else
        target.values[entry->second].second = value;
}

Status SettingsStore::save() const {
    // What could not be read must not be replaced by what little is known.
    if (readFailure_)
        return *readFailure_;
    std::string text;
    for (const Section& section : sections_) {
        if (!text.empty())
            text += '\n';
        text += '[' + escapeText(section.name) + "]\n";
        for (const auto& [key, value] : section.values)
            text += escapeText(key) + '=' + escapeText(value) + '\n';
    }
    // A file the next start would refuse is not written.
    if (text.size() > SizeLimit)
        return tooLarge(filePath_);
    std::string folder = filePath_.substr(0, filePath_.find_last_of(PathSeparators));
    Status made = makeFolders(folder);
    if (!made)
        return made;
    return writeFileAtomically(filePath_, text);
}

} // namespace kestro
