#include "platform/content_digest.h"

#include "kestro_version.h"
#include "platform/program_module.h"

#include <cerrno>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>

namespace kestro {

namespace {

// The digest functions of libcrypto, which is loaded when the first
// checksum is made: a list without checksums starts without it. All null
// when it cannot be loaded; then no file is digested.
struct DigestLibrary {
    decltype(&EVP_MD_fetch) fetch = nullptr;
    decltype(&EVP_MD_free) freeMethod = nullptr;
    decltype(&EVP_MD_CTX_new) newContext = nullptr;
    decltype(&EVP_MD_CTX_free) freeContext = nullptr;
    decltype(&EVP_DigestInit_ex) begin = nullptr;
    decltype(&EVP_DigestUpdate) update = nullptr;
    decltype(&EVP_DigestFinal_ex) finish = nullptr;
};

template <class Function> bool resolve(Function& function, const char* name) {
    return loadLibraryFunctionInto(function, build::digestLibrary, name).ok();
}

const DigestLibrary& digestLibrary() {
    static const DigestLibrary loaded = [] {
        DigestLibrary library;
        if (resolve(library.fetch, "EVP_MD_fetch") && resolve(library.freeMethod, "EVP_MD_free") &&
            resolve(library.newContext, "EVP_MD_CTX_new") &&
            resolve(library.freeContext, "EVP_MD_CTX_free") &&
            resolve(library.begin, "EVP_DigestInit_ex") &&
            resolve(library.update, "EVP_DigestUpdate") &&
            resolve(library.finish, "EVP_DigestFinal_ex"))
            return library;
        return DigestLibrary{};
    }();
    return loaded;
}

} // namespace

struct ContentDigester::State {
    const DigestLibrary& library = digestLibrary();
    EVP_MD* method = nullptr;
    EVP_MD_CTX* context = nullptr;

    ~State() {
        if (context)
            library.freeContext(context);
        if (method)
            library.freeMethod(method);
    }
};

ContentDigester::ContentDigester(DigestAlgorithm algorithm) : state_(std::make_unique<State>()) {
    const DigestLibrary& library = state_->library;
    if (!library.fetch) {
        state_.reset();
        return;
    }
    // Fetched once for the run rather than looked up again at every file.
    state_->method =
        library.fetch(nullptr, algorithm == DigestAlgorithm::Md5 ? "MD5" : "SHA256", nullptr);
    state_->context = library.newContext();
    if (!state_->method || !state_->context) {
        state_.reset();
        return;
    }
    buffer_ = std::make_unique<char[]>(ReadSize);
}

ContentDigester::~ContentDigester() = default;

namespace {

// `name` of the folder `folderFd` (AT_FDCWD: a path of its own) opened for
// reading when it is a regular file, with its facts: 0, `file` left invalid
// when it is no regular file; else the errno value.
int openRegular(int folderFd, const char* name, Descriptor& file, struct stat& facts) {
    // Decided from the facts before any open: opening a FIFO releases a
    // writer waiting for a reader, a device may act on being opened, a
    // socket cannot be opened at all.
    if (::fstatat(folderFd, name, &facts, 0) != 0)
        return errno;
    if (!S_ISREG(facts.st_mode))
        return 0;
    // Reading must not stamp the access time; only the owner (or a
    // privileged caller) may ask for that. O_NONBLOCK: should the name have
    // become a FIFO meanwhile, the open does not wait, and the check below
    // refuses it.
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    file.reset(::openat(folderFd, name, flags | O_NOATIME));
    if (!file && errno == EPERM)
        file.reset(::openat(folderFd, name, flags));
    if (!file)
        return errno;
    if (::fstat(file.get(), &facts) != 0) {
        const int error = errno;
        file.reset();
        return error;
    }
    if (!S_ISREG(facts.st_mode))
        file.reset();
    return 0;
}

} // namespace

Result<std::optional<RegularFile>> RegularFile::open(const std::string& path) {
    Descriptor file;
    struct stat facts {};
    if (const int error = openRegular(AT_FDCWD, path.c_str(), file, facts); error != 0)
        return failureFromErrno(error, path, false);
    if (!file)
        return std::optional<RegularFile>{};
    return std::optional<RegularFile>{
        RegularFile(std::move(file), static_cast<std::uint64_t>(facts.st_size),
                    (facts.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0, path)};
}

Descriptor ContentDigester::openRegularAt(int folderFd, const char* name, Stamp& stamp) {
    Descriptor file;
    struct stat facts {};
    if (openRegular(folderFd, name, file, facts) != 0 || !file)
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
    return state_->library.begin(state_->context, state_->method, nullptr) == 1;
}

bool ContentDigester::hashBytes(const char* bytes, std::size_t length) {
    return state_->library.update(state_->context, bytes, length) == 1;
}

std::size_t ContentDigester::finishHash(unsigned char (&digest)[64]) {
    static_assert(sizeof digest >= EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    return state_->library.finish(state_->context, digest, &length) == 1 ? length : 0;
}

} // namespace kestro
