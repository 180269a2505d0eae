#include "platform/content_digest.h"

#include "platform/wide_path.h"

#include <vector>
#include <windows.h>

#include <bcrypt.h>

namespace kestro {

// The system's own hashing (bcrypt.dll): the algorithm provider is opened
// once for the run, a hash object made per file.
struct ContentDigester::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    DWORD objectLength = 0;
    DWORD hashLength = 0;
    std::vector<UCHAR> object;
    std::unique_ptr<char[]> buffer;
    ~State() {
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

ContentDigester::ContentDigester(DigestAlgorithm algorithm) : state_(std::make_unique<State>()) {
    const wchar_t* id =
        algorithm == DigestAlgorithm::Md5 ? BCRYPT_MD5_ALGORITHM : BCRYPT_SHA256_ALGORITHM;
    if (::BCryptOpenAlgorithmProvider(&state_->algorithm, id, nullptr, 0) < 0) {
        state_->algorithm = nullptr;
        return;
    }
    ULONG got = 0;
    if (::BCryptGetProperty(state_->algorithm, BCRYPT_OBJECT_LENGTH,
                            reinterpret_cast<PUCHAR>(&state_->objectLength), sizeof(DWORD), &got,
                            0) < 0 ||
        ::BCryptGetProperty(state_->algorithm, BCRYPT_HASH_LENGTH,
                            reinterpret_cast<PUCHAR>(&state_->hashLength), sizeof(DWORD), &got,
                            0) < 0) {
        ::BCryptCloseAlgorithmProvider(state_->algorithm, 0);
        state_->algorithm = nullptr;
        return;
    }
    state_->object.resize(state_->objectLength);
    state_->buffer = std::make_unique<char[]>(ReadSize);
}

ContentDigester::~ContentDigester() = default;

ContentDigester::Outcome
ContentDigester::digestAt(int folderFd, const char* name, std::string& hex,
                          const std::function<bool(std::uint64_t)>& between) {
    hex.clear();
    if (!state_->algorithm)
        return Outcome::NotRead;
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
        return Outcome::NotRead;
    struct Closer {
        HANDLE handle;
        ~Closer() { ::CloseHandle(handle); }
    } closer{file};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
        return Outcome::NotRead;
    // A time of all ones keeps the access time as it is.
    FILETIME keep{0xFFFFFFFF, 0xFFFFFFFF};
    ::SetFileTime(file, nullptr, &keep, nullptr);

    BCRYPT_HASH_HANDLE hash = nullptr;
    if (::BCryptCreateHash(state_->algorithm, &hash, state_->object.data(), state_->objectLength,
                           nullptr, 0, 0) < 0)
        return Outcome::NotRead;
    struct HashCloser {
        BCRYPT_HASH_HANDLE handle;
        ~HashCloser() { ::BCryptDestroyHash(handle); }
    } hashCloser{hash};
    digestedSize_ = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    std::uint64_t offset = 0;
    for (;;) {
        DWORD filled = 0;
        if (!::ReadFile(file, state_->buffer.get(), static_cast<DWORD>(ReadSize), &filled, nullptr))
            return Outcome::NotRead;
        if (filled == 0)
            break;
        if (::BCryptHashData(hash, reinterpret_cast<PUCHAR>(state_->buffer.get()), filled, 0) < 0)
            return Outcome::NotRead;
        offset += filled;
        bytesRead_ += filled;
        if (between && !between(offset))
            return Outcome::Stopped;
    }
    // The end of the file as it stood, and the same file after the read.
    BY_HANDLE_FILE_INFORMATION after{};
    if (offset != digestedSize_ || !::GetFileInformationByHandle(file, &after) ||
        after.nFileSizeHigh != info.nFileSizeHigh || after.nFileSizeLow != info.nFileSizeLow ||
        after.ftLastWriteTime.dwLowDateTime != info.ftLastWriteTime.dwLowDateTime ||
        after.ftLastWriteTime.dwHighDateTime != info.ftLastWriteTime.dwHighDateTime)
        return Outcome::Changed;
    std::vector<UCHAR> digest(state_->hashLength);
    if (::BCryptFinishHash(hash, digest.data(), state_->hashLength, 0) < 0)
        return Outcome::NotRead;
    static constexpr char Digits[] = "0123456789abcdef";
    hex.resize(2 * digest.size());
    for (std::size_t i = 0; i < digest.size(); ++i) {
        hex[2 * i] = Digits[digest[i] >> 4];
        hex[2 * i + 1] = Digits[digest[i] & 0xf];
    }
    return Outcome::Digested;
}

} // namespace kestro
