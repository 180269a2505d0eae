#pragma once

// FileInfo: a general file object. The caller sets one target path with
// setFileName and then asks about that file or acts on it. Every question goes
// to the file system afresh; nothing read for one question is reused by the
// next (the create command reads a listed file's facts once itself and does
// not go through this class).
//
// Members marked "probes" first run the isReadableFile() probe and fail with 53 (file
// not found) when it says no; nothing is stored or returned then. Failures
// come back as values, never as defaults. No member changes the target path.

#include "platform/failure.h"
#include "platform/file_facts.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestro {

class FileInfo {
public:
    // Shows a message box (text, title) for the one message this class
    // shows itself; set by the window. Without one, the message is dropped.
    using MessageSink = std::function<void(const std::string& text, const std::string& title)>;
    static constexpr const char* MessageTitle = "ﾌｧｲﾙ制御ｸﾗｽﾗｲﾌﾞﾗﾘ";

    // The target path exactly as last assigned; empty until set. Writing
    // stores the text unchanged, without any check.
    const std::string& fileName() const { return fileName_; }
    void setFileName(std::string path) { fileName_ = std::move(path); }

    // The probe: not empty, not ending in "/", not a folder, readable.
    bool isReadableFile() const;

    // Probes. The length in bytes (64-bit: files of 2 GiB and more keep
    // their real size).
    Result<std::int64_t> size() const;

    // Probe, then the attribute bit. Writing yes to a bit already set writes
    // nothing; writing no always writes the set back.
    Result<bool> archive() const;
    Status setArchive(bool value);
    Result<bool> hidden() const;
    Status setHidden(bool value);
    Result<bool> system() const;
    Status setSystem(bool value);
    Result<bool> readOnly() const;
    Status setReadOnly(bool value);
    // Probes; since the probe refuses folders this is no for every file and
    // fails with 53 for a folder.
    Result<bool> isDirectory() const;
    // Probes; yes for a file the platform can run: an ELF or PE executable
    // (not an object file or library), or a file with an execute permission
    // bit that starts with "#!". Only a regular file is opened for it.
    Result<bool> isExecutable() const;

    // No probe: the short path, which equals the long one here; empty when
    // the file does not exist.
    std::string shortPathName() const;

    // Probe, then the time as "1999/05/05 13:04:09" in local time.
    Result<std::string> creationTime();
    Result<std::string> lastAccessTime();
    Result<std::string> lastWriteTime();
    // Probe, then the hard-link count.
    Result<std::int32_t> linkCount();
    // No probe: bytes allocated on disk; -1 when the file cannot be read.
    std::int64_t allocatedSize() const;

    // Version resource of a Windows program (PE file); all probe.
    Result<std::string> fileVersion();
    Result<std::string> productVersion();
    Result<std::string> fileType();
    Result<std::string> fileSubtype();
    Result<std::string> fileOS();
    Result<std::string> buildType();

    // Operations; all probe. Copy and move refuse an existing destination.
    Status execute() const;
    Status print() const;
    Status moveToTrash() const;
    Status copyTo(const std::string& destination) const;
    Status moveTo(const std::string& destination) const;
    Status renameTo(const std::string& newPath) const;
    // A move that is only a rename: refused with a message when source and
    // destination lie on different mount points.
    Status moveWithinMount(const std::string& destination) const;
    void setMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }

    // The time text of a file time: year without leading zeros, the other
    // fields two digits, local time.
    static std::string fileTimeText(FileTime time);
    // `text` without any blank.
    static std::string removeSpaces(std::string text);

private:
    Status readFileInfo();
    // Probe, then the whole attribute set; 6 when it does not fit 16 bits.
    Result<std::uint32_t> readAttributeSet() const;
    Result<bool> attribute(std::uint32_t bit) const;
    Status setAttribute(std::uint32_t bit, bool value);
    Status readVersionInfo();

    std::string fileName_;
    std::string creationTimeText_;
    std::string lastAccessTimeText_;
    std::string lastWriteTimeText_;
    std::int32_t linkCount_ = 0;
    std::string fileVersionText_;
    std::string productVersionText_;
    std::uint32_t fileTypeCode_ = 0;
    std::uint32_t fileSubtypeCode_ = 0;
    std::uint32_t osCode_ = 0;
    std::uint32_t fileFlags_ = 0;
    MessageSink messageSink_;
};

} // namespace kestro
