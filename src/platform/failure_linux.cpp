#include "platform/failure.h"

#include "platform/descriptor.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace kestro {

namespace {

// A path longer than the system takes whole, followed one name at a time:
// the errno of the first name that cannot be followed (ENAMETOOLONG for a
// name too long in itself), whether it was the last, or 0 when every name
// is there.
int errorOfLongPath(std::string_view path, bool& atLast) {
    Descriptor at(::open(path.substr(0, 1) == "/" ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!at)
        return errno;
    while (!path.empty()) {
        const std::size_t end = std::min(path.find('/'), path.size());
        const std::string name(path.substr(0, end));
        path.remove_prefix(std::min(end + 1, path.size()));
        if (name.empty())
            continue;
        atLast = path.find_first_not_of('/') == std::string_view::npos;
        if (name.size() > NAME_MAX)
            return ENAMETOOLONG;
        Descriptor next(::openat(at.get(), name.c_str(), O_PATH | O_CLOEXEC));
        if (!next)
            return errno;
        at = std::move(next);
    }
    return 0;
}

} // namespace

std::optional<Failure> systemFailureFromErrno(int error, const std::string& path,
                                              bool pathIsFolder) {
    switch (error) {
    case ENOMEDIUM:
        return makeFailure(failure::DeviceUnavailable, path);
    case EDQUOT: // the user's share of the device is full
        return makeFailure(failure::DiskFull, path);
    case ENAMETOOLONG: {
        // Only a name too long in itself is a bad name; a path too long as a
        // whole fails as its first name that is not there (or cannot be
        // entered) does, and as one out of reach when all are there.
        bool atLast = true;
        const int real = path.size() > NAME_MAX ? errorOfLongPath(path, atLast) : ENAMETOOLONG;
        if (real == ENAMETOOLONG)
            return makeFailure(failure::BadFileName, path);
        if (real == 0)
            return makeFailure(failure::PathFileAccess, path);
        return failureFromErrno(real, path, pathIsFolder || !atLast);
    }
    default:
        return std::nullopt;
    }
}

} // namespace kestro
