#pragma once

// The exact text of a list: the header line and each file's line, built from
// the options of the run. The formatter keeps per-run and per-folder caches
// (the path cell, the type name of each extension, the local-time offset);
// it reads no file itself.
//
// Names and paths are written with their control characters shown as
// control pictures (listgen/name_helpers.h), so that every file has exactly
// one line and every line the same cells.
//
// A cell whose fact could not be read (the file vanished or cannot be read
// between listing and formatting) is left empty; its separator stays, so the
// columns of the other lines keep their places.

#include "listgen/list_options.h"
#include "platform/file_facts.h"
#include "platform/local_time.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace kestro {

class LineFormatter {
public:
    explicit LineFormatter(const ListOptions& options);

    // The header line, without its line end.
    std::string headerLine() const;

    // Whether any chosen column needs the facts of a file (size, attributes,
    // a time). Without them the run reads no file at all.
    bool needsFacts() const { return needsFacts_; }

    // Starts the lines of `folder` (ending with "/").
    void beginFolder(const std::string& folder);

    // The folder line of the current folder (its path, or with the drop-drive
    // option the path without a leading drive name such as "C:").
    std::string folderLine() const;

    // Appends the line break and cells of one file to `body`. `facts` is null
    // when the facts could not be read; it is ignored when needsFacts() is
    // false.
    void appendFileLine(std::string& body, std::string_view name, const FileFacts* facts);

private:
    void appendTime(std::string& body, const FileTime& time);
    const std::string& typeName(std::string_view name);

    ListOptions options_;
    bool needsFacts_ = false;
    std::string tab_;
    std::string folder_;
    std::string pathCell_;
    LocalTimeConverter clock_;
    std::unordered_map<std::string, std::string> typeNames_;
};

} // namespace kestro
