#include "platform/content_digest.h"

#include <cerrno>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>

namespace kestro {

struct ContentDigester::State {
    EVP_MD* method = nullptr;
    EVP_MD_CTX* context = nullptr;

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
    if (!state_->method || !state_->context) {
        state_.reset();
        return;
    }
    buffer_ = std::make_unique<char[]>(ReadSize);
}

ContentDigester::~ContentDigester() = default;

Descriptor ContentDigester::openRegularAt(int folderFd, const char* name, Stamp& stamp) {
    // Decided before the open: opening a FIFO releases a writer waiting for
    // a reader, and a device may act on being opened.
    struct stat facts {};
    if (::fstatat(folderFd, name, &facts, 0) != 0 || !S_ISREG(facts.st_mode))
        return {};
    // O_NOATIME is only for the owner (or a privileged caller); others read
    // without it. O_NONBLOCK: a name that became a FIFO meanwhile does not
    // make the open wait, and the check below refuses it.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    Descriptor file(::openat(folderFd, name, flags | O_NOATIME));
    if (!file && errno == EPERM)
        file.reset(::openat(folderFd, name, flags));
    if (!file || ::fstat(file.get(), &facts) != 0 || !S_ISREG(facts.st_mode))
        return {};
    stamp = {static_cast<std::uint64_t>(facts.st_size),
             {facts.st_mtim.tv_sec, static_cast<std::uint32_t>(facts.st_mtim.tv_nsec)}};
    return file;
}

bool ContentDigester::stampOf(int fd, Stamp& stamp) {
    struct stat facts {};
    if (::fstat(fd, &facts) != 0)
        return false;
    stamp = {static_cast<std::uint64_t>(facts.st_size),
             {facts.st_mtim.tv_sec, static_cast<std::uint32_t>(facts.st_mtim.tv_nsec)}};
    return true;
}

bool ContentDigester::beginHash() {
    return EVP_DigestInit_ex(state_->context, state_->method, nullptr) == 1;
}

bool ContentDigester::hashBytes(const char* bytes, std::size_t length) {
    return EVP_DigestUpdate(state_->context, bytes, length) == 1;
}

std::size_t ContentDigester::finishHash(unsigned char (&digest)[64]) {
    static_assert(sizeof digest >= EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    return EVP_DigestFinal_ex(state_->context, digest, &length) == 1 ? length : 0;
}

} // namespace kestro
