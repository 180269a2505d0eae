#pragma once

// An open descriptor of the operating system with one owner, and the loops
// that read or write a whole range through one. An interrupted or partial
// read or write is retried here and nowhere else (other calls that a signal
// can interrupt go through retryInterrupted), and a descriptor is closed by
// its owner's end, also on every early return of a failure.
//
// The helpers answer 0 or the errno value of the call that failed; the
// caller turns it into its own failure, naming its own path.

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>

namespace kestro {

class Descriptor {
public:
    Descriptor() = default;
    explicit Descriptor(int fd) noexcept : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other)
            reset(std::exchange(other.fd_, -1));
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    explicit operator bool() const { return valid(); }

    // Gives the descriptor up without closing it.
    int release() { return std::exchange(fd_, -1); }
    // Closes the one held (a failure is of no interest: nothing was written
    // through it that counts) and holds `fd` instead.
    void reset(int fd = -1) noexcept;
    // Closes now; 0 or the errno of the close. After a written file's
    // descriptor, a failed close can mean lost data, so this one is checked.
    int close() noexcept;

private:
    int fd_ = -1;
};

// Calls `call` again for as long as it fails (answers less than 0) with
// EINTR, a signal that came before the call did anything; answers the
// result of the last call.
template <typename Call> auto retryInterrupted(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// Writes all of `bytes` at the descriptor's position. With `stop`, a write
// interrupted by a signal while *stop is set ends the loop with EINTR, and
// so does a set *stop after any write.
int writeAll(int fd, std::string_view bytes, const std::atomic<bool>* stop = nullptr);

// Writes all of `bytes` at `offset`, leaving the position alone.
int writeAllAt(int fd, std::string_view bytes, std::uint64_t offset);

// Reads up to `length` bytes at `offset` into `buffer`; `filled` says how
// many came (fewer only at the end of the file).
int readAllAt(int fd, char* buffer, std::size_t length, std::uint64_t offset, std::size_t& filled);

// Appends everything from the descriptor's position to its end to `bytes`.
// More than `limit` bytes in all gives EFBIG, no memory ENOMEM; `bytes` then
// holds what was read.
int readAll(int fd, std::string& bytes,
            std::size_t limit = std::numeric_limits<std::size_t>::max());

// Filled by each system: one read of up to `length` bytes at the
// descriptor's position, retried when interrupted; the bytes read, 0 at the
// end, or less than 0 with errno set.
long readSome(int fd, char* buffer, std::size_t length);
// Filled by each system: one write of up to `length` bytes at the
// descriptor's position, not retried; the bytes written, or less than 0
// with errno set.
long writeSome(int fd, const char* bytes, std::size_t length);

} // namespace kestro
