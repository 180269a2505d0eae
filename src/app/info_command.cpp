#include "app/info_command.h"

#include "app/standard_streams.h"
#include "fileinfo/file_info.h"

#include <iostream>
#include <optional>

namespace kestro {

namespace {
std::string text(bool value) {
    return value ? "True" : "False";
}
std::string text(std::int64_t value) {
    return std::to_string(value);
}
std::string text(std::int32_t value) {
    return std::to_string(value);
}
std::string text(const std::string& value) {
    return value;
}

// Writes one query's line and keeps the first failure, so that a path no
// query could answer ends the command with a failure.
class Lines {
public:
    explicit Lines(std::ostream& out) : out_(out) {}

    template <class T> void operator()(const char* name, const Result<T>& result) {
        out_ << name << ": ";
        if (result) {
            out_ << text(result.value());
            answered_ = true;
        } else {
            out_ << "error " << result.failure().number;
            if (!first_)
                first_ = result.failure();
        }
        out_ << '\n';
    }
    // The failure when every query failed.
    const std::optional<Failure>& nothingAnswered() const {
        static const std::optional<Failure> none;
        return answered_ ? none : first_;
    }

private:
    std::ostream& out_;
    bool answered_ = false;
    std::optional<Failure> first_;
};
} // namespace

int runInfoCommand(const std::string& path, std::ostream& out, std::ostream& errors) {
    FileInfo file;
    file.setFileName(path);
    // The times are taken before anything reads the file's contents, which
    // could otherwise stamp the access time shown.
    auto creationTime = file.creationTime();
    auto lastAccessTime = file.lastAccessTime();
    auto lastWriteTime = file.lastWriteTime();
    Lines line(out);
    out << "FileName: " << file.fileName() << '\n';
    out << "Enabled: " << text(file.isReadableFile()) << '\n';
    line("Size", file.size());
    line("Archive", file.archive());
    line("Hidden", file.hidden());
    line("System", file.system());
    line("Directory", file.isDirectory());
    line("ReadOnly", file.readOnly());
    line("Executable", file.isExecutable());
    out << "ShortPathName: " << file.shortPathName() << '\n';
    line("CreationTime", creationTime);
    line("LastAccessTime", lastAccessTime);
    line("LastWriteTime", lastWriteTime);
    line("Links", file.linkCount());
    out << "CompressedSize: " << file.allocatedSize() << '\n';
    line("FileVersion", file.fileVersion());
    line("ProductVersion", file.productVersion());
    line("FileType", file.fileType());
    line("FileSubtype", file.fileSubtype());
    line("FileOS", file.fileOS());
    line("BuildType", file.buildType());
    if (const auto& failure = line.nothingAnswered()) {
        reportOn(errors, *failure);
        return 1;
    }
    return 0;
}

int runInfoCommand(const std::string& path, std::ostream& out) {
    return runInfoCommand(path, out, std::cerr);
}

} // namespace kestro
