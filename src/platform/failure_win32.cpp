#include "platform/failure.h"

#include <cerrno>

namespace kestro {

// The errno values here come from the Windows platform files, which turn
// the system's error codes into them (platform/wide_path.h).
Failure failureFromErrno(int error, const std::string& path, bool pathIsFolder) {
    switch (error) {
    case ENOENT:
        return makeFailure(pathIsFolder ? failure::PathNotFound : failure::FileNotFound, path);
    case ENOTDIR:
        return makeFailure(failure::PathNotFound, path);
    case EACCES:
    case EPERM:
    case EROFS:
        return makeFailure(failure::PermissionDenied, path);
    case EIO:
    case ENXIO:
    case ENODEV:
        return makeFailure(failure::DeviceUnavailable, path);
    case ENOSPC:
        return makeFailure(failure::DiskFull, path);
    case ENAMETOOLONG:
    case EINVAL:
        return makeFailure(failure::BadFileName, path);
    default:
        return makeFailure(failure::PathFileAccess, path);
    }
}

} // namespace kestro
