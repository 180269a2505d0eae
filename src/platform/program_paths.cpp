// Reading a whole file, the same on every system over each one's
// openWholeFile.

#include "platform/program_paths.h"

#include <algorithm>
#include <cerrno>
#include <limits>
#include <new>

namespace kestro {

Result<std::string> readWholeFile(const std::string& path, std::uint64_t sizeLimit) {
    std::uint64_t size = 0;
    Result<Descriptor> file = openWholeFile(path, size);
    if (!file)
        return file.failure();
    if (size > sizeLimit)
        return makeFailure(failure::OutOfMemory, path);
    std::string content;
    try {
        content.reserve(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return makeFailure(failure::OutOfMemory, path);
    }
    // The file may have grown since its size was read.
    const auto limit = static_cast<std::size_t>(
        std::min<std::uint64_t>(sizeLimit, std::numeric_limits<std::size_t>::max()));
    if (const int error = readAll(file.value().get(), content, limit);
        error == EFBIG || error == ENOMEM)
        return makeFailure(failure::OutOfMemory, path);
    else if (error != 0)
        return failureFromErrno(error, path, false);
    return content;
}

} // namespace kestro
