#pragma once

// The program's one failure value and the result types that carry it.
//
// A failure is a number in the runtime's numbering (53 file not found, 76 path
// not found, ...) with a description in Japanese. Every operation that can fail
// returns a Result<T> or a Status; a failure is never replaced by a silent
// default. A Failure with number 0 means "nothing failed" and is never reported.

#include <cassert>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace kestro {

struct Failure {
    int number = 0;
    std::string description;
    std::string helpFile;
    int helpContext = 0;
};

// The failure numbers the program uses.
namespace failure {
inline constexpr int Overflow = 6;
inline constexpr int OutOfMemory = 7;
inline constexpr int BadFileName = 52;
inline constexpr int FileNotFound = 53;
inline constexpr int DiskFull = 61;
inline constexpr int DeviceUnavailable = 68;
inline constexpr int PermissionDenied = 70;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int DialogCancelled = 32755;
} // namespace failure

// The program's own wording for a failure number (Japanese, no path).
std::string failureText(int number);

// A failure with the program's wording for `number`, followed by `path` when
// one is given.
Failure makeFailure(int number, const std::string& path = {});

// Maps an errno value to the program's numbering: ENOENT gives 53 for a file
// and 76 for a folder or a missing path part, ENOTDIR 76, EACCES/EPERM/EROFS
// 70, EIO/ENXIO/ENODEV/ENOMEDIUM 68, ENOSPC/EDQUOT 61, ENAMETOOLONG/EINVAL 52, any
// other 75. The description names `path`.
Failure failureFromErrno(int error, const std::string& path, bool pathIsFolder);

// Filled by each system's failure file, asked first by failureFromErrno: the
// failure of an errno value that the system tells apart itself (a name too
// long in itself or a path too long as a whole, a missing drive), or none
// where the common mapping holds.
std::optional<Failure> systemFailureFromErrno(int error, const std::string& path,
                                              bool pathIsFolder);

struct Ok {};

// Either a value or a failure.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    const T& value() const& {
        assert(ok());
        return std::get<0>(state_);
    }
    T& value() & {
        assert(ok());
        return std::get<0>(state_);
    }
    T&& value() && {
        assert(ok());
        return std::get<0>(std::move(state_));
    }
    const Failure& failure() const {
        assert(!ok());
        return std::get<1>(state_);
    }
    template <class U> T valueOr(U&& fallback) const {
        return ok() ? std::get<0>(state_) : static_cast<T>(std::forward<U>(fallback));
    }

private:
    std::variant<T, Failure> state_;
};

// The result of an operation that gives nothing back but may fail.
using Status = Result<Ok>;

} // namespace kestro
