#include "platform/content_digest.h"

#include "platform/descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>

namespace kestro {

struct ContentDigester::State {
    EVP_MD* method = nullptr;
    EVP_MD_CTX* context = nullptr;
    std::unique_ptr<char[]> buffer;

    ~State() {
        EVP_MD_CTX_free(context);
        EVP_MD_free(method);
    }
};

ContentDigester::ContentDigester(DigestAlgorithm algorithm) : state_(std::make_unique<State>()) {
    // Fetched once for the run rather than looked up again at every file.
    state_->method =
        EVP_MD_fetch(nullptr, algorithm == DigestAlgorithm::Md5 ? "MD5" : "SHA256", nullptr);
    state_->context = EVP_MD_CTX_new();
    state_->buffer = std::make_unique<char[]>(ReadSize);
}

ContentDigester::~ContentDigester() = default;

ContentDigester::Outcome
ContentDigester::digestAt(int folderFd, const char* name, std::string& hex,
                          const std::function<bool(std::uint64_t)>& between) {
    hex.clear();
    if (!state_->method || !state_->context)
        return Outcome::NotRead;
    // Decided before the open: opening a FIFO releases a writer waiting for
    // a reader, and a device may act on being opened.
    struct stat facts {};
    if (::fstatat(folderFd, name, &facts, 0) != 0 || !S_ISREG(facts.st_mode))
        return Outcome::NotRead;
    // O_NOATIME is only for the owner (or a privileged caller); others read
    // without it. O_NONBLOCK: a name that became a FIFO meanwhile does not
    // make the open wait, and the check below refuses it.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::openat(folderFd, name, flags | O_NOATIME));
    if (!file && errno == EPERM)
        file.reset(::openat(folderFd, name, flags));
    if (!file)
        return Outcome::NotRead;
    if (::fstat(file.get(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return Outcome::NotRead;

    if (EVP_DigestInit_ex(state_->context, state_->method, nullptr) != 1)
        return Outcome::NotRead;
    const struct stat before = facts;
    digestedSize_ = static_cast<std::uint64_t>(before.st_size);
    std::uint64_t offset = 0;
    for (;;) {
        std::size_t filled = 0;
        if (readAllAt(file.get(), state_->buffer.get(), ReadSize, offset, filled) != 0)
            return Outcome::NotRead;
        if (filled == 0)
            break;
        if (EVP_DigestUpdate(state_->context, state_->buffer.get(), filled) != 1)
            return Outcome::NotRead;
        offset += filled;
        bytesRead_ += filled;
        if (between && !between(offset))
            return Outcome::Stopped;
        if (filled < ReadSize)
            break;
    }
    // The end of the file as it stood, and the same file after the read.
    if (offset != digestedSize_ || ::fstat(file.get(), &facts) != 0 ||
        facts.st_size != before.st_size || facts.st_mtim.tv_sec != before.st_mtim.tv_sec ||
        facts.st_mtim.tv_nsec != before.st_mtim.tv_nsec)
        return Outcome::Changed;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(state_->context, digest, &length) != 1)
        return Outcome::NotRead;
    static constexpr char Digits[] = "0123456789abcdef";
    hex.resize(2 * std::size_t{length});
    for (unsigned int i = 0; i < length; ++i) {
        hex[std::size_t{2} * i] = Digits[digest[i] >> 4];
        hex[std::size_t{2} * i + 1] = Digits[digest[i] & 0xf];
    }
    return Outcome::Digested;
}

} // namespace kestro
