#pragma once

// The per-user settings store: application → section → key → text, kept in
// configHome()/<application>/<application>.conf in INI form. The whole file
// is read when the store is made and written atomically by save(); nothing
// touches the disk in between. Values keep any text, blanks, "=", ";" and
// line breaks included (they are escaped in the file). Section and key names
// compare without regard to ASCII case and keep their first spelling;
// sections stay in the order they were first set, keys likewise.

#include "platform/failure.h"

#include <string>
#include <utility>
#include <vector>

namespace kestro {

class SettingsStore {
public:
    // Reads the stored file of `application`; a missing or unreadable file
    // (or one that is no regular file) gives an empty store. Lines that are
    // neither a section header nor a key line inside a section are skipped.
    explicit SettingsStore(std::string application);

    // The stored text, or `fallback` when the section or key is missing.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback = {}) const;
    bool contains(const std::string& section, const std::string& key) const;

    // Sets a value in memory; sections are created as needed.
    void set(const std::string& section, const std::string& key, const std::string& value);

    // Writes the store to its file (creating the folder); the old file stays
    // untouched on failure.
    Status save() const;

    // Path of the file behind the store.
    const std::string& filePath() const { return filePath_; }

private:
    struct Section {
        std::string name;
        std::vector<std::pair<std::string, std::string>> values;
    };
    std::string filePath_;
    std::vector<Section> sections_;
};

} // namespace kestro
