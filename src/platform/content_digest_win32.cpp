#include "platform/content_digest.h"

#include "platform/wide_path.h"

#include <cerrno>
#include <utility>
#include <vector>
#include <windows.h>

#include <bcrypt.h>

namespace kestro {

// The system's own hashing (bcrypt.dll): the algorithm provider is opened
// once for the run, a hash object made per file.
struct ContentDigester::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    DWORD objectLength = 0;
    DWORD hashLength = 0;
    std::vector<UCHAR> object;

    void endHash() {
        if (hash)
            ::BCryptDestroyHash(hash);
        hash = nullptr;
    }
    ~State() {
        endHash();
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

ContentDigester::ContentDigester(DigestAlgorithm algorithm) : state_(std::make_unique<State>()) {
    const wchar_t* id =
        algorithm == DigestAlgorithm::Md5 ? BCRYPT_MD5_ALGORITHM : BCRYPT_SHA256_ALGORITHM;
    if (::BCryptOpenAlgorithmProvider(&state_->algorithm, id, nullptr, 0) < 0) {
        state_->algorithm = nullptr;
        state_.reset();
        return;
    }
    ULONG got = 0;
    if (::BCryptGetProperty(state_->algorithm, BCRYPT_OBJECT_LENGTH,
                            reinterpret_cast<PUCHAR>(&state_->objectLength), sizeof(DWORD), &got,
                            0) < 0 ||
        ::BCryptGetProperty(state_->algorithm, BCRYPT_HASH_LENGTH,
                            reinterpret_cast<PUCHAR>(&state_->hashLength), sizeof(DWORD), &got,
                            0) < 0 ||
        state_->hashLength > 64) {
        state_.reset();
        return;
    }
    state_->object.resize(state_->objectLength);
    buffer_ = std::make_unique<char[]>(ReadSize);
}

ContentDigester::~ContentDigester() = default;

Result<std::optional<RegularFile>> RegularFile::open(const std::string& path) {
    const std::wstring wide = win32::longPath(path);
    const DWORD bits = ::GetFileAttributesW(wide.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) {
        const int error = win32::lastErrno();
        return failureFromErrno(error == ENOTDIR ? ENOENT : error, path, false);
    }
    if (bits & FILE_ATTRIBUTE_DIRECTORY)
        return std::optional<RegularFile>{};
    HANDLE handle = ::CreateFileW(wide.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return failureFromErrno(win32::lastErrno(), path, false);
    // A console or a pipe behind the name is no file to read pieces of.
    if (::GetFileType(handle) != FILE_TYPE_DISK) {
        ::CloseHandle(handle);
        return std::optional<RegularFile>{};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(handle, &size)) {
        const int error = win32::lastErrno();
        ::CloseHandle(handle);
        return failureFromErrno(error, path, false);
    }
    Descriptor file(win32::descriptorOf(handle));
    if (!file)
        return failureFromErrno(EMFILE, path, false);
    // Windows has no execute bits: what runs is told by the name's
    // extension and the file's format, not by the file system.
    return std::optional<RegularFile>{
        RegularFile(std::move(file), static_cast<std::uint64_t>(size.QuadPart), false, path)};
}

Descriptor ContentDigester::openRegularAt(int folderFd, const char* name, Stamp& stamp) {
    const std::wstring path = win32::childPath(win32::folderPathOf(folderFd), name);
    // Sequential reads, and the access time left alone.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        file = ::CreateFileW(path.c_str(), GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    Descriptor opened(win32::descriptorOf(file));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!opened || !::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return {};
    // A time of all ones keeps the access time as it is.
    FILETIME keep{0xFFFFFFFF, 0xFFFFFFFF};
    ::SetFileTime(file, nullptr, &keep, nullptr);
    return stampOf(opened.get(), stamp) ? std::move(opened) : Descriptor();
}

bool ContentDigester::stampOf(int fd, Stamp& stamp) {
    BY_HANDLE_FILE_INFORMATION info{};
    HANDLE file = win32::handleOf(fd);
    if (!file || !::GetFileInformationByHandle(file, &info))
        return false;
    stamp.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    win32::fromFileTime((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                            info.ftLastWriteTime.dwLowDateTime,
                        stamp.lastWrite.seconds, stamp.lastWrite.nanoseconds);
    return true;
}

bool ContentDigester::beginHash() {
    state_->endHash();
    return ::BCryptCreateHash(state_->algorithm, &state_->hash, state_->object.data(),
                              state_->objectLength, nullptr, 0, 0) >= 0;
}

bool ContentDigester::hashBytes(const char* bytes, std::size_t length) {
    return ::BCryptHashData(state_->hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes)),
                            static_cast<ULONG>(length), 0) >= 0;
}

std::size_t ContentDigester::finishHash(unsigned char (&digest)[64]) {
    const bool finished = ::BCryptFinishHash(state_->hash, digest, state_->hashLength, 0) >= 0;
    state_->endHash();
    return finished ? state_->hashLength : 0;
}

} // namespace kestro
