#pragma once

// The per-user settings store: application → section → key → text, kept in
// configHome()/<application>/<application>.conf in INI form. The whole file
// is read when the store is made and written atomically by save(); nothing
// touches the disk in between. Values keep any text, blanks, "=", ";" and
// line breaks included (they are escaped in the file). Section and key names
// compare without regard to ASCII case and keep their first spelling;
// sections stay in the order they were first set, keys likewise. Reading and
// setting take time in proportion to the file's size, however many keys it
// holds.

#include "platform/failure.h"

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace kestro {

class SettingsStore {
public:
    // A larger file is not read (and not written): settings take a few
    // kilobytes, and every value of a file that size stays within it.
    static constexpr std::size_t SizeLimit = std::size_t{1} << 20;

    // Reads the stored file of `application`; a missing file gives an empty
    // store. A file that exists but cannot be read (no permission, a folder
    // or FIFO at its place, a file over SizeLimit) also gives an empty
    // store, and readFailure() tells why. A byte-order mark at the start is skipped. Lines that are
    // neither a section header nor a key line inside a section are skipped.
    explicit SettingsStore(const std::string& application);

    // Why the existing file could not be read; nothing when it was read or
    // does not exist.
    const std::optional<Failure>& readFailure() const { return readFailure_; }

    // The stored text, or `fallback` when the section or key is missing.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback = {}) const;
    bool contains(const std::string& section, const std::string& key) const;

    // Sets a value in memory; sections are created as needed.
    void set(const std::string& section, const std::string& key, const std::string& value);

    // Writes the store to its file (creating the folder); the old file stays
    // untouched on failure. A store whose file could not be read is never
    // written over that file: save() fails with readFailure(); nor is a
    // text over SizeLimit written.
    Status save() const;

    // Path of the file behind the store.
    const std::string& filePath() const { return filePath_; }

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
        // Lower-case key name -> index into `values`.
        std::unordered_map<std::string, std::size_t> keyIndex;
    };
    const Section* findSection(const std::string& name) const;
    Section& sectionNamed(const std::string& name);

    std::string filePath_;
    std::optional<Failure> readFailure_;
    std::vector<Section> sections_;
    // Lower-case section name -> index into `sections_`.
    std::unordered_map<std::string, std::size_t> sectionIndex_;
};

} // namespace kestro
