#pragma once

// The create command's collection: the lines of the folders the sub-folder
// search found, folder by folder in the list's order, into the temporary
// list file, and the whole list handed to the host. Its yields and the end
// of the run are the run's (RunSteps); the failure rule, the statuses and
// the reading of facts and contents are its own.

#include "listgen/folder_chain.h"
#include "listgen/folder_read_ahead.h"
#include "listgen/line_formatter.h"
#include "listgen/list_engine.h"
#include "listgen/list_host.h"
#include "listgen/list_record.h"
#include "listgen/list_writer.h"
#include "platform/byte_total.h"
#include "platform/content_digest.h"
#include "platform/failure.h"
#include "platform/folder.h"
#include "platform/folder_closer.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kestro {

class FilePatternSet;
class ListSpool;

// How wide a path in the status panel may be (shortenPath).
inline constexpr std::size_t StatusPathLimit = 60;

// What the parts of a run ask of the run.
class RunSteps {
public:
    enum class Checkpoint { Go, Abort, Quit };

    // Turns the host's event loop and tells whether the run goes on.
    virtual Checkpoint yieldAndCheck() = 0;
    // Turns the host's event loop; whether the host quits.
    virtual bool yieldForQuit() = 0;
    virtual bool quitting() const = 0;
    // Ends the run with `outcome`, reporting `failure`; the outcome to give
    // back (Quit when the host quit meanwhile).
    virtual RunOutcome endRun(RunOutcome outcome, const Failure* failure = nullptr) = 0;

protected:
    ~RunSteps() = default;
};

struct ListTotals {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    ByteTotal bytes = 0;
};

class ListCollection {
public:
    // Lists `nodes` (what the search found of them, which the collection
    // takes) through `chain` for the folders it must open itself, closing
    // those done with through `closer`.
    ListCollection(ListHost& host, RunSteps& run, std::vector<FolderNode>& nodes,
                   FolderChain& chain, FolderCloser& closer, std::string spoolFolder);
    ~ListCollection();
    ListCollection(const ListCollection&) = delete;
    ListCollection& operator=(const ListCollection&) = delete;

    // Lists the folders `order` gives (indices of `nodes`) and hands the
    // list to the host; the run's outcome.
    RunOutcome collect(const std::vector<std::uint32_t>& order);

    // For the end of the run: no reader runs once stopReaders() returns;
    // dropSpool() closes and removes the temporary file.
    void stopReaders();
    void dropSpool();

private:
    std::optional<RunOutcome> checkpoint();
    std::optional<RunOutcome> folderFailed(std::uint32_t index, const Failure& failure,
                                           bool skipUnreadable);
    std::optional<RunOutcome> writeListed();
    std::optional<RunOutcome> countContentBytes(std::uint64_t bytes);
    std::optional<RunOutcome> readDigest(int folderFd, const std::string& folder, const char* name,
                                         const FileFacts* known, std::string& digest);
    void checkDigest(ContentDigester::Outcome outcome, std::uint64_t digestedSize,
                     const std::string& folder, const char* name, const FileFacts* known,
                     std::string& digest);
    std::optional<RunOutcome> prepareAhead(const std::vector<std::uint32_t>& order,
                                           std::size_t& next, const FilePatternSet& patterns,
                                           const IncludeSwitches& include, bool readsFiles);
    std::optional<RunOutcome> listFolder(PreparedFolder& folder, const ListOptions& options,
                                         LineFormatter& formatter, ListWriter& writer,
                                         ListTotals& totals);

    ListHost& host_;
    RunSteps& run_;
    std::vector<FolderNode>& nodes_;
    FolderChain& chain_;
    std::string spoolFolder_;
    std::unique_ptr<ListSpool> spool_;
    std::vector<Failure> skipped_;
    std::vector<std::string> skippedPaths_;
    // Files whose contents changed while they were read for the checksum.
    std::vector<std::string> changed_;
    std::uint64_t bytesSinceYield_ = 0;
    // The collection's digester (when the checksum column is on) and the
    // bytes the readers digested for it.
    std::unique_ptr<ContentDigester> digester_;
    std::uint64_t readerBytes_ = 0;
    std::uint32_t effectiveUser_ = 0;
    // The text of the folders listed since the last write to the spool.
    std::string body_;
    ListRecord record_;
    FolderCloser& closer_; // outlives readAhead_, which hands it the folders done with
    std::unique_ptr<FolderReadAhead> readAhead_;
};

} // namespace kestro
