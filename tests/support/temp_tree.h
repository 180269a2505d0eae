#pragma once

// Test fixtures on the real file system: a temporary folder that removes
// itself, helpers to fill it, and a scoped environment variable.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kestro::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The folder, without a trailing "/".
    const std::string& path() const { return root_; }
    // path() + "/" + relative.
    std::string operator/(const std::string& relative) const;

    // Creates a file (and its missing parent folders) with `content`.
    std::string file(const std::string& relative, const std::string& content = {});
    // Creates a sparse file of `size` bytes.
    std::string sparseFile(const std::string& relative, std::int64_t size);
    std::string folder(const std::string& relative);
    std::string symlink(const std::string& relative, const std::string& target);
    std::string fifo(const std::string& relative);
    // Sets access and modification time (local wall clock of the current TZ).
    void setTimes(const std::string& relative, std::time_t access, std::time_t write);
    void chmod(const std::string& relative, unsigned mode);
    void remove(const std::string& relative);

private:
    std::string root_;
};

// The environment variables that place the per-user folders of
// platform/program_paths.h: configHome() and cacheHome().
extern const char* const ConfigHomeVariable;
extern const char* const CacheHomeVariable;

// Sets (or, given std::nullopt, removes) an environment variable for the
// life of the object and restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value);
    ScopedEnv(const char* name, std::nullopt_t);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// Writes stand-ins for the programs `names` into tree/bin: each runs
// `firstCommand` (a shell command, may be empty), then writes its arguments,
// one a line, to tree/<name> in one step. Returns the bin folder, to put in
// front of PATH.
std::string installRecordingPrograms(TempTree& tree, const std::vector<std::string>& names,
                                     const std::string& firstCommand = {});

// Reads a whole file.
std::string readFile(const std::string& path);

// Whether anything (a dangling link included) stands at `path`.
bool pathExists(const std::string& path);

// Waits up to five seconds for a file that another process writes, and
// reads it; "<never written>" when it does not come.
std::string awaitFile(const std::string& path);

// Runs `body` in a child process that has dropped root to the unprivileged
// user "nobody" (when running as root); returns the child's exit status, or
// -1 when the privilege cannot be dropped. Use it for checks that need a file
// the user cannot read.
int runAsUnprivileged(const std::function<int()>& body);

// Runs `body` in a child process that is killed after `seconds`; returns the
// child's exit status, or -1 when it was killed or did not exit normally.
// Use it for calls that must not block (FIFOs, devices).
int runWithTimeout(const std::function<int()>& body, unsigned seconds);

} // namespace kestro::test
