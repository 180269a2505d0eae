#pragma once

// A regular file's contents, read without side effects: a few pieces of it
// at random offsets (RegularFile, for readers of binary formats that need
// headers and tables but never the whole file), or the digest of all of it
// (ContentDigester, SHA-256 or MD5 from the system's crypto library, for the
// checksum column).
//
// Only a regular file is read: a FIFO, device, socket or folder is never
// opened (its type is checked before the open and again on the opened
// descriptor, so a name replaced meanwhile is never read). Reads leave the
// access time alone where the caller owns the file (O_NOATIME).

#include "platform/descriptor.h"
#include "platform/failure.h"
#include "platform/file_facts.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace kestro {

// One regular file open for reading pieces of it. Failures carry the
// errno's number (53 missing file, 70 not readable, 68 device gone ...).
// The object owns its descriptor and closes it on destruction; it can be
// moved, not copied.
class RegularFile {
public:
    // Opens `path` for reading (following a final link). Empty optional when
    // it is not a regular file.
    static Result<std::optional<RegularFile>> open(const std::string& path);

    // The length in bytes when the file was opened.
    std::uint64_t size() const { return size_; }
    // Whether the owner, group or others may execute the file.
    bool anyExecuteBit() const { return anyExecuteBit_; }

    // At most `length` bytes from `offset`; fewer only at the end of the
    // file, none past it.
    Result<std::string> readRange(std::uint64_t offset, std::size_t length) const;

private:
    RegularFile(Descriptor file, std::uint64_t size, bool anyExecuteBit, std::string path)
        : file_(std::move(file)), size_(size), anyExecuteBit_(anyExecuteBit),
          path_(std::move(path)) {}

    Descriptor file_;
    std::uint64_t size_ = 0;
    bool anyExecuteBit_ = false;
    std::string path_;
};

enum class DigestAlgorithm : unsigned char { Sha256, Md5 };

// One digester reads every file of a run through one buffer, in large
// reads, allocating nothing per file.
class ContentDigester {
public:
    enum class Outcome {
        Digested, // `hex` holds the lowercase hex digest
        NotRead,  // not a regular file, or it could not be opened or read
        Stopped,  // `between` asked to stop
        // Its size or modification time after the read differ from before,
        // or the read ended short of the size: the bytes read belong to no
        // one state of the file, and `hex` is left empty.
        Changed,
    };

    explicit ContentDigester(DigestAlgorithm algorithm);
    ~ContentDigester();
    ContentDigester(const ContentDigester&) = delete;
    ContentDigester& operator=(const ContentDigester&) = delete;

    // Digests file `name` of the open folder `folderFd` (following a final
    // link) into `hex`, which is emptied first. `between(bytesOfThisFile)`
    // is called after every read; when it answers false, reading stops.
    Outcome digestAt(int folderFd, const char* name, std::string& hex,
                     const std::function<bool(std::uint64_t)>& between);

    // The size of the file last digested, as it was when the read began.
    std::uint64_t digestedSize() const { return digestedSize_; }

    // The bytes read so far, all files together.
    std::uint64_t bytesRead() const { return bytesRead_; }

    // The size of one read.
    static constexpr std::size_t ReadSize = std::size_t{1} << 20;

private:
    // What tells whether a file changed while it was read.
    struct Stamp {
        std::uint64_t size = 0;
        FileTime lastWrite;
        bool operator==(const Stamp& other) const {
            return size == other.size && lastWrite.seconds == other.lastWrite.seconds &&
                   lastWrite.nanoseconds == other.lastWrite.nanoseconds;
        }
    };

    // Each system's own, under the portable digestAt (content_digest.cpp):
    // the hash of its crypto library over one file at a time,
    bool beginHash();
    bool hashBytes(const char* bytes, std::size_t length);
    // the digest's bytes, how many (0 when it failed),
    std::size_t finishHash(unsigned char (&digest)[64]);
    // `name` of the open folder opened for reading, with its stamp, when it
    // is a regular file (an invalid descriptor else), and the stamp of an
    // open file.
    static Descriptor openRegularAt(int folderFd, const char* name, Stamp& stamp);
    static bool stampOf(int fd, Stamp& stamp);

    struct State;
    std::unique_ptr<State> state_;
    std::unique_ptr<char[]> buffer_;
    std::uint64_t bytesRead_ = 0;
    std::uint64_t digestedSize_ = 0;
};

} // namespace kestro
