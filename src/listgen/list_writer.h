#pragma once

// Writers turn the records of a list into its text. A run makes one writer
// for its options and hands it the header, then for each folder the start of
// its group (with the folder line's record when the list has folder lines),
// its files' records, with totals the group's total record, and the group's
// end; with totals the list's total record comes last. Every call appends to
// `out`. The writer chooses the line end, so the text is never rewritten
// afterwards.

#include "listgen/list_options.h"
#include "listgen/list_record.h"
#include "platform/file_facts.h"

#include <memory>
#include <string>

namespace kestro {

class ListWriter {
public:
    virtual ~ListWriter() = default;

    virtual void header(const ListRecord& titles, std::string& out) = 0;
    // `folderLine` is null when the list has no folder lines.
    virtual void beginFolder(const ListRecord* folderLine, std::string& out) = 0;
    virtual void file(const ListRecord& cells, std::string& out) = 0;
    // The facts of the file whose record comes next (null when they could
    // not be read or no column needs them), for a writer that keeps sizes
    // and times as values rather than as their text.
    virtual void nextFileFacts(const FileFacts* facts) { (void)facts; }
    virtual void endFolder(std::string& out) = 0;
    virtual void folderTotal(const ListRecord& cells, std::string& out) = 0;
    virtual void listTotal(const ListRecord& cells, std::string& out) = 0;
    // Whether the writer keeps a processor busy beside the walk.
    virtual bool busiesAThread() const { return false; }
};

// The list as the window has always shown it: cells joined by the separator,
// the path and name cells by nothing (and their titles by one space) when
// they are joined, every file line after the leading tab. The header is the
// first line; a folder's group starts with an empty line when there is a
// folder line or a path column, and ends with a line end. A group's total is
// its last line; the list's total follows an empty line.
class SeparatedListWriter : public ListWriter {
public:
    explicit SeparatedListWriter(const ListOptions& options);

    void header(const ListRecord& titles, std::string& out) override;
    void beginFolder(const ListRecord* folderLine, std::string& out) override;
    void file(const ListRecord& cells, std::string& out) override;
    void endFolder(std::string& out) override;
    void folderTotal(const ListRecord& cells, std::string& out) override;
    void listTotal(const ListRecord& cells, std::string& out) override;

private:
    void appendCells(const ListRecord& record, std::string_view pathJoint, std::string& out) const;

    std::string separator_;
    std::string tab_;
    std::string lineEnd_;
    bool pathColumn_;
    bool joinPathAndName_;
    bool lineOpen_ = false; // a line of the current group waits for its end
};

// Comma-separated values (RFC 4180) for a spreadsheet: every record is one
// line (header, folder lines, file lines, totals), without empty lines in
// between. A cell holding a comma, a double quote, CR or LF is put in double
// quotes, its quotes doubled, so names come through whole. A cell starting
// with "=", "+", "-", "@", a tab or CR gets a leading "'", so that a
// spreadsheet never runs it as a formula; so does one starting with "'", so
// that a reader takes exactly one "'" off any cell that starts with it. Joined path and name are
// one cell; the leading tab becomes an empty first cell of each file record.
class CsvListWriter : public ListWriter {
public:
    explicit CsvListWriter(const ListOptions& options);

    void header(const ListRecord& titles, std::string& out) override;
    void beginFolder(const ListRecord* folderLine, std::string& out) override;
    void file(const ListRecord& cells, std::string& out) override;
    void endFolder(std::string& out) override;
    void folderTotal(const ListRecord& cells, std::string& out) override;
    void listTotal(const ListRecord& cells, std::string& out) override;

    // Appends `text` as one cell, quoted and guarded as needed.
    static void appendCell(std::string_view text, std::string& out);

private:
    void appendRecord(const ListRecord& record, bool join, std::string_view pathJoint,
                      std::string& out);

    std::string lineEnd_;
    bool leadingCell_;
    bool joinPathAndName_;
    std::string joined_; // the joined path and name cell, reused
};

// The writer the options ask for.
std::unique_ptr<ListWriter> makeListWriter(const ListOptions& options);

} // namespace kestro
