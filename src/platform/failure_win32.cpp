#include "platform/failure.h"

#include <cerrno>
#include <string_view>
#include <windows.h>

namespace kestro {

namespace {

// Whether `path` names a drive letter that the system does not have
// ("Q:\..." where there is no Q:), also behind the "\\?\" or "\\.\"
// prefix: what is missing there is the device, not a folder on it.
bool onMissingDrive(const std::string& path) {
    std::string_view rest = path;
    if (rest.starts_with("\\\\?\\") || rest.starts_with("\\\\.\\"))
        rest.remove_prefix(4);
    const char letter = rest.empty() ? '\0' : static_cast<char>(rest[0] & ~0x20);
    if (rest.size() < 2 || rest[1] != ':' || letter < 'A' || letter > 'Z')
        return false;
    const wchar_t root[] = {static_cast<wchar_t>(rest[0]), L':', L'\\', L'\0'};
    return ::GetDriveTypeW(root) == DRIVE_NO_ROOT_DIR;
}

} // namespace

// The errno values here come from the Windows platform files, which turn
// the system's error codes into them (platform/wide_path.h).
std::optional<Failure> systemFailureFromErrno(int error, const std::string& path,
                                              bool /*pathIsFolder*/) {
    if ((error == ENOENT || error == ENOTDIR) && onMissingDrive(path))
        return makeFailure(failure::DeviceUnavailable, path);
    return std::nullopt;
}

} // namespace kestro
