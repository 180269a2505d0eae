#include "support/temp_tree.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace kestro::test {

const char* const ConfigHomeVariable = "XDG_CONFIG_HOME";
const char* const CacheHomeVariable = "XDG_CACHE_HOME";

namespace {
void fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}
} // namespace

TempTree::TempTree() {
    std::string pattern = (fs::temp_directory_path() / "kestro-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        fail("mkdtemp");
    root_ = pattern;
}

TempTree::~TempTree() {
    std::error_code ignored;
    // Make everything removable again (tests take permissions away).
    for (auto it = fs::recursive_directory_iterator(
             root_, fs::directory_options::skip_permission_denied, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored)) {
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(root_.c_str(), 0700);
    fs::remove_all(root_, ignored);
}

std::string TempTree::operator/(const std::string& relative) const {
    return root_ + "/" + relative;
}

std::string TempTree::file(const std::string& relative, const std::string& content) {
    std::string full = *this / relative;
    fs::create_directories(fs::path(full).parent_path());
    std::ofstream out(full, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        fail("write " + full);
    return full;
}

std::string TempTree::sparseFile(const std::string& relative, std::int64_t size) {
    std::string full = file(relative);
    if (::truncate(full.c_str(), size) != 0)
        fail("truncate " + full);
    return full;
}

std::string TempTree::folder(const std::string& relative) {
    std::string full = *this / relative;
    fs::create_directories(full);
    return full;
}

std::string TempTree::symlink(const std::string& relative, const std::string& target) {
    std::string full = *this / relative;
    fs::create_directories(fs::path(full).parent_path());
    if (::symlink(target.c_str(), full.c_str()) != 0)
        fail("symlink " + full);
    return full;
}

std::string TempTree::fifo(const std::string& relative) {
    std::string full = *this / relative;
    fs::create_directories(fs::path(full).parent_path());
    if (::mkfifo(full.c_str(), 0644) != 0)
        fail("mkfifo " + full);
    return full;
}

void TempTree::setTimes(const std::string& relative, std::time_t access, std::time_t write) {
    timespec times[2] = {{access, 0}, {write, 0}};
    if (::utimensat(AT_FDCWD, (*this / relative).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0)
        fail("utimensat " + relative);
}

void TempTree::chmod(const std::string& relative, unsigned mode) {
    if (::chmod((*this / relative).c_str(), mode) != 0)
        fail("chmod " + relative);
}

void TempTree::remove(const std::string& relative) {
    fs::remove_all(*this / relative);
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    ::setenv(name, value.c_str(), 1);
    tzset();
}

ScopedEnv::ScopedEnv(const char* name, std::nullopt_t) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    ::unsetenv(name);
    tzset();
}

ScopedEnv::~ScopedEnv() {
    if (old_)
        ::setenv(name_.c_str(), old_->c_str(), 1);
    else
        ::unsetenv(name_.c_str());
    tzset();
}

std::string installRecordingPrograms(TempTree& tree, const std::vector<std::string>& names,
                                     const std::string& firstCommand) {
    for (const auto& name : names) {
        const std::string record = tree / name;
        tree.file("bin/" + name, "#!/bin/sh\n" + firstCommand + "\nprintf '%s\\n' \"$@\" > '" +
                                     record + ".tmp' && mv '" + record + ".tmp' '" + record +
                                     "'\n");
        tree.chmod("bin/" + name, 0755);
    }
    return tree / "bin";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string awaitFile(const std::string& path) {
    for (int i = 0; i < 500 && !pathExists(path); ++i)
        ::usleep(10000);
    return pathExists(path) ? readFile(path) : "<never written>";
}

int runAsUnprivileged(const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            uid_t uid = nobody ? nobody->pw_uid : 65534;
            gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(125);
        }
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) < 0)
        return -1;
    if (!WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status) == 125 ? -1 : WEXITSTATUS(status);
}

int runWithTimeout(const std::function<int()>& body, unsigned seconds) {
    pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        ::alarm(seconds);
        ::_exit(body());
    }
    int status = 0;
    if (::waitpid(child, &status, 0) < 0 || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace kestro::test
