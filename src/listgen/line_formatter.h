#pragma once

// The records of a list: the header record and each folder's and file's
// record, made from the options of the run and the column table
// (listgen/list_columns.h); a writer (listgen/list_writer.h) gives them their
// text. The formatter keeps per-run and per-folder caches (the path cell, the
// type name of each extension, the local-time offset); it reads no file
// itself.
//
// Names and paths are written with their control characters shown as
// control pictures (listgen/name_helpers.h), so that every file has exactly
// one line and every line the same cells. Comma-separated values write them
// whole: there a cell may hold any character, and a spreadsheet user wants
// the real name.
//
// A cell whose fact could not be read (the file vanished or cannot be read
// between listing and formatting) is left empty; the cell stays, so the
// columns of the other lines keep their places.

#include "listgen/list_columns.h"
#include "listgen/list_options.h"
#include "listgen/list_record.h"
#include "listgen/size_text.h"
#include "platform/file_facts.h"
#include "platform/local_time.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kestro {

class LineFormatter {
public:
    explicit LineFormatter(ListOptions options);

    // The titles of the chosen columns.
    ListRecord headerRecord() const;

    // Whether any chosen column needs the facts of a file (size, attributes,
    // a time). Without them the run reads no file at all.
    bool needsFacts() const { return needsFacts_; }
    // Whether the facts must hold the creation time.
    bool needsCreationTime() const { return options_.creationTimeColumn; }
    // Whether the checksum column is chosen: the run then reads each file's
    // contents and hands the digest over before the file's record.
    bool needsContents() const { return needsContents_; }
    // The digest of the next file's contents (empty when it could not be
    // read), for fileRecord.
    void setContentDigest(std::string_view digest) { contentDigest_ = digest; }
    std::string_view contentDigest() const { return contentDigest_; }

    // Starts the lines of `folder` (ending with "/").
    void beginFolder(const std::string& folder);

    // The folder line of the current folder (its path, or with the drop-drive
    // option the path without a leading drive name such as "C:").
    ListRecord folderRecord() const;

    // Makes `record` the cells of one file of the current folder. `facts` is
    // null when the facts could not be read; it is ignored when needsFacts()
    // is false.
    void fileRecord(ListRecord& record, std::string_view name, const FileFacts* facts);

    // The totals of the current folder's group: its number of files and
    // their size in the chosen unit.
    ListRecord folderTotalRecord(std::uint64_t files, ByteTotal bytes) const;
    // The totals of the whole list: files, folders with listed files, size.
    ListRecord listTotalRecord(std::uint64_t files, std::uint64_t folders, ByteTotal bytes) const;

    // For the cell functions.
    const ListOptions& options() const { return options_; }
    // The folder of the files now formatted, as beginFolder took it.
    const std::string& folder() const { return folder_; }
    const std::string& pathCell() const { return pathCell_; }
    // Appends a name (or part of one) as the list writes names.
    void appendName(std::string& out, std::string_view name) const;
    // The type name of file `name` of the current folder, half-width.
    const std::string& typeName(std::string_view name);
    void appendTime(std::string& out, const FileTime& time);

private:
    ListOptions options_;
    std::vector<const ListColumn*> chosen_;
    bool needsFacts_ = false;
    bool needsContents_ = false;
    std::string_view contentDigest_;
    std::string folder_;
    std::string pathCell_;
    LocalTimeConverter clock_;
    std::unordered_map<std::string, std::string> typeNames_;
};

} // namespace kestro
