#include "app/info_command.h"

#include "fileinfo/class_file.h"

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

template <class T> void line(std::ostream& out, const char* name, const Result<T>& result) {
    out << name << ": ";
    if (result)
        out << text(result.value());
    else
        out << "error " << result.failure().number;
    out << '\n';
}
} // namespace

int runInfoCommand(const std::string& path, std::ostream& out) {
    classFile file;
    file.FileName(path);
    out << "FileName: " << file.FileName() << '\n';
    out << "Enabled: " << text(file.Enabled()) << '\n';
    line(out, "Size", file.Size());
    line(out, "Archive", file.Archive());
    line(out, "Hidden", file.Hidden());
    line(out, "System", file.System());
    line(out, "Directory", file.Directory());
    line(out, "ReadOnly", file.ReadOnly());
    line(out, "Executable", file.Executable());
    out << "ShortPathName: " << file.ShortPathName() << '\n';
    line(out, "CreationTime", file.CreationTime());
    line(out, "LastAccessTime", file.LastAccessTime());
    line(out, "LastWriteTime", file.LastWriteTime());
    line(out, "Links", file.Links());
    out << "CompressedSize: " << file.CompressedSize() << '\n';
    line(out, "FileVersion", file.FileVersion());
    line(out, "ProductVersion", file.ProductVersion());
    line(out, "FileType", file.FileType());
    line(out, "FileSubtype", file.FileSubtype());
    line(out, "FileOS", file.FileOS());
    line(out, "BuildType", file.BuildType());
    return 0;
}

} // namespace kestro
