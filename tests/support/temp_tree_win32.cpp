// The test fixtures of temp_tree.h on Windows: the same folders and files
// through the system's wide calls. What only POSIX has (FIFOs, modes other
// than read-only, a second user, fork) fails the test that asks for it.

#include "support/temp_tree.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <windows.h>

namespace fs = std::filesystem;

namespace kestro::test {

const char* const ConfigHomeVariable = "APPDATA";
const char* const CacheHomeVariable = "LOCALAPPDATA";

namespace {

// A UTF-8 path as the library's path (which is UTF-16 here).
fs::path native(const std::string& path) {
    return fs::path(std::u8string(path.begin(), path.end()));
}

std::string utf8(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error(what + ": error " + std::to_string(::GetLastError()));
}

} // namespace

TempTree::TempTree() {
    std::random_device seed;
    std::mt19937 random(seed());
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path candidate = base / ("kestro-test-" + std::to_string(random() % 1000000));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            root_ = utf8(candidate);
            while (!root_.empty() && (root_.back() == '\\' || root_.back() == '/'))
                root_.pop_back();
            return;
        }
    }
    fail("create the temporary folder");
}

TempTree::~TempTree() {
    std::error_code ignored;
    // Read-only files cannot be removed: make them writable first.
    for (auto it = fs::recursive_directory_iterator(native(root_), ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        ::SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(native(root_), ignored);
}

std::string TempTree::operator/(const std::string& relative) const {
    std::string path = root_ + "\\" + relative;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

std::string TempTree::file(const std::string& relative, const std::string& content) {
    const std::string full = *this / relative;
    fs::create_directories(native(full).parent_path());
    std::ofstream out(native(full), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out)
        fail("write " + full);
    return full;
}

std::string TempTree::sparseFile(const std::string& relative, std::int64_t size) {
    const std::string full = file(relative);
    fs::resize_file(native(full), static_cast<std::uintmax_t>(size));
    return full;
}

std::string TempTree::folder(const std::string& relative) {
    const std::string full = *this / relative;
    fs::create_directories(native(full));
    return full;
}

std::string TempTree::symlink(const std::string& relative, const std::string& target) {
    const std::string full = *this / relative;
    fs::create_directories(native(full).parent_path());
    std::error_code error;
    fs::create_symlink(native(target), native(full), error);
    if (error)
        throw std::runtime_error("symlink " + full + ": " + error.message());
    return full;
}

std::string TempTree::fifo(const std::string& relative) {
    throw std::runtime_error("no FIFO on Windows: " + relative);
}

void TempTree::setTimes(const std::string& relative, std::time_t access, std::time_t write) {
    const std::wstring path = native(*this / relative).wstring();
    HANDLE file = ::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        fail("open " + relative);
    auto fileTime = [](std::time_t seconds) {
        const auto ticks = static_cast<std::uint64_t>(seconds) * 10000000 + 116444736000000000ull;
        return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    };
    const FILETIME accessTime = fileTime(access);
    const FILETIME writeTime = fileTime(write);
    const BOOL done = ::SetFileTime(file, nullptr, &accessTime, &writeTime);
    ::CloseHandle(file);
    if (!done)
        fail("set the times of " + relative);
}

// Only the owner's write bit has a meaning here: without it the file is
// read-only.
void TempTree::chmod(const std::string& relative, unsigned mode) {
    const std::wstring path = native(*this / relative).wstring();
    const DWORD bits = ::GetFileAttributesW(path.c_str());
    if (bits == INVALID_FILE_ATTRIBUTES)
        fail("chmod " + relative);
    const DWORD wanted =
        (mode & 0200) ? (bits & ~DWORD{FILE_ATTRIBUTE_READONLY}) : (bits | FILE_ATTRIBUTE_READONLY);
    if (!::SetFileAttributesW(path.c_str(), wanted))
        fail("chmod " + relative);
}

void TempTree::remove(const std::string& relative) {
    fs::remove_all(native(*this / relative));
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    ::_putenv_s(name, value.c_str());
}

ScopedEnv::ScopedEnv(const char* name, std::nullopt_t) : name_(name) {
    if (const char* old = std::getenv(name))
        old_ = old;
    ::_putenv_s(name, "");
}

ScopedEnv::~ScopedEnv() {
    ::_putenv_s(name_.c_str(), old_ ? old_->c_str() : "");
}

std::string installRecordingPrograms(TempTree&, const std::vector<std::string>&,
                                     const std::string&) {
    throw std::runtime_error("no shell scripts as programs on Windows");
}

std::string readFile(const std::string& path) {
    std::ifstream in(native(path), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool pathExists(const std::string& path) {
    return ::GetFileAttributesW(native(path).wstring().c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string awaitFile(const std::string& path) {
    for (int i = 0; i < 500 && !pathExists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return pathExists(path) ? readFile(path) : "<never written>";
}

// There is no second user to become here.
int runAsUnprivileged(const std::function<int()>&) {
    return -1;
}

// Nothing blocks here as a FIFO would: the body runs in the test's process.
int runWithTimeout(const std::function<int()>& body, unsigned) {
    return body();
}

} // namespace kestro::test
