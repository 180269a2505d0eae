#include "platform/failure.h"

#include <cerrno>

namespace kestro {

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
    case ENOMEDIUM:
        return makeFailure(failure::DeviceUnavailable, path);
    case ENOSPC:
    case EDQUOT: // the user's share of the device is full
        return makeFailure(failure::DiskFull, path);
    case ENAMETOOLONG:
    case EINVAL:
        return makeFailure(failure::BadFileName, path);
    default:
        return makeFailure(failure::PathFileAccess, path);
    }
}

} // namespace kestro
