// Whole-list golden tests: builds the one fixture tree, runs the built
// program's `--list` with the arguments of a NAME.args file against it and
// compares standard output, byte for byte, with NAME.out.
//
//   kestro_golden make FOLDER                       build FOLDER/tree (and FOLDER/home)
//   kestro_golden remove FOLDER                     remove FOLDER, unreadable parts included
//   kestro_golden check KESTRO FOLDER NAME.args NAME.out
//
// NAME.args holds one argument a line (an empty line is an empty argument);
// "@TREE@" stands for the tree, which is given as the relative path "tree" so
// that the expected text does not depend on where the tree was built
// ("@SAVED@" is explained below). NAME.out says "@USER@" and "@GROUP@" for
// the names of the user and the group that own the tree (whoever ran make),
// so that it reads the same on every machine. The
// program runs in FOLDER with TZ=UTC and LC_ALL=C.UTF-8, and, when the test
// runs as root, as the unprivileged user "nobody", so that the unreadable
// folder is unreadable for everyone. With KESTRO_UPDATE_GOLDEN=1 in the
// environment, check writes NAME.out instead of comparing, with the owner's
// names as placeholders again; read what it wrote against the tree below
// before keeping it.
//
//   kestro_golden placeholders FOLDER               check the placeholders

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <iostream>
#include <iterator>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// What the child exits with when the program cannot be started in it.
constexpr int NotStarted = 127;

[[noreturn]] void die(const std::string& what) {
    std::cerr << "kestro_golden: " << what << ": " << std::strerror(errno) << "\n";
    std::exit(2);
}

// Seconds since the epoch of a UTC wall-clock text "YYYY-MM-DD hh:mm:ss".
std::time_t utc(const char* text) {
    std::tm fields{};
    if (!strptime(text, "%Y-%m-%d %H:%M:%S", &fields))
        die(std::string("bad time ") + text);
    return timegm(&fields);
}

enum class Kind { File, Sparse, Folder, Link, Fifo };

struct Entry {
    Kind kind;
    std::string name;     // relative to the tree
    long long size;       // bytes of a file; ignored otherwise
    std::string target;   // of a link
    unsigned mode;        // applied last; 0 for a link
    const char* written;  // modification time (UTC)
    const char* accessed; // access time (UTC)
};

const char* const Folder = "2000-01-01 00:00:00";

// The fixture. Folders come before what they hold; modes are applied after
// the times, in reverse, so a folder is closed only once it is filled.
const std::vector<Entry>& tree() {
    static const std::vector<Entry> entries = {
        {Kind::File, "Readme.txt", 1536, "", 0644, "1999-05-03 14:07:09", "2020-01-01 00:00:01"},
        {Kind::File, "a.bmp", 20480, "", 0444, "1999-04-01 09:00:00", "2020-01-02 00:00:02"},
        {Kind::File, "archive.tar.gz", 1000, "", 0644, "2001-02-03 04:05:06",
         "2020-01-03 00:00:03"},
        {Kind::File, "empty", 0, "", 0644, "2002-03-04 05:06:07", "2020-01-04 00:00:04"},
        {Kind::File, "x.abc", 10239, "", 0644, "2003-04-05 06:07:08", "2020-01-05 00:00:05"},
        {Kind::File, ".profile", 10, "", 0644, "2004-05-06 07:08:09", "2020-01-06 00:00:06"},
        {Kind::File, "noread.txt", 7, "", 0000, "2005-06-07 08:09:10", "2020-01-07 00:00:07"},
        {Kind::Sparse, "sparse.img", 3145728, "", 0644, "2006-07-08 09:10:11",
         "2020-01-08 00:00:08"},
        {Kind::Sparse, "mb-edge.bin", 1048575, "", 0644, "2007-08-09 10:11:12",
         "2020-01-09 00:00:09"},
        {Kind::Sparse, "big.img", 5368709120LL, "", 0644, "2008-09-10 11:12:13",
         "2020-01-10 00:00:10"},
        {Kind::File, "tab\tname.txt", 1, "", 0644, "2009-10-11 12:13:14", "2020-01-11 00:00:11"},
        {Kind::File, "new\nline.txt", 2, "", 0644, "2010-11-12 13:14:15", "2020-01-12 00:00:12"},
        {Kind::File, "bad-\xff\xfe.txt", 3, "", 0644, "2011-12-13 14:15:16", "2020-01-13 00:00:13"},
        {Kind::File, "ｶﾀｶﾅ.txt", 4, "", 0644, "2012-01-14 15:16:17", "2020-01-14 00:00:14"},
        {Kind::File, "カタカナ.txt", 5, "", 0644, "2013-02-15 16:17:18", "2020-01-15 00:00:15"},
        {Kind::File, "ＦＵＬＬｗｉｄｔｈ.txt", 6, "", 0644, "2014-03-16 17:18:19",
         "2020-01-16 00:00:16"},
        {Kind::File, "日本語.txt", 7, "", 0644, "2015-04-17 18:19:20", "2020-01-17 00:00:17"},
        {Kind::File, "WIN386.SWP", 8, "", 0644, "2016-05-18 19:20:21", "2020-01-18 00:00:18"},
        {Kind::Link, "dangling", 0, "nowhere", 0, "2017-06-19 20:21:22", "2020-01-19 00:00:19"},
        {Kind::Link, "folder-link", 0, "alpha", 0, "2017-06-19 20:21:22", "2020-01-19 00:00:19"},
        {Kind::Fifo, "pipe", 0, "", 0644, "2018-07-20 21:22:23", "2020-01-20 00:00:20"},
        {Kind::Folder, "alpha", 0, "", 0755, Folder, Folder},
        {Kind::File, "alpha/x.c", 3, "", 0644, "2019-08-21 22:23:24", "2020-01-21 00:00:21"},
        {Kind::Folder, "Beta", 0, "", 0755, Folder, Folder},
        {Kind::Folder, "Beta/inner", 0, "", 0755, Folder, Folder},
        {Kind::File, "Beta/inner/Y.TXT", 4, "", 0644, "2019-09-22 23:24:25", "2020-01-22 00:00:22"},
        {Kind::Folder, ".hidden-folder", 0, "", 0755, Folder, Folder},
        {Kind::File, ".hidden-folder/inside.txt", 5, "", 0644, "2019-10-23 00:25:26",
         "2020-01-23 00:00:23"},
        {Kind::Folder, "locked", 0, "", 0000, Folder, Folder},
        {Kind::File, "locked/secret.txt", 6, "", 0644, "2019-11-24 01:26:27",
         "2020-01-24 00:00:24"},
        {Kind::Folder, "tab\tfolder", 0, "", 0755, Folder, Folder},
        {Kind::File, "tab\tfolder/z.txt", 7, "", 0644, "2019-12-25 02:27:28",
         "2020-01-25 00:00:25"},
        {Kind::Folder, "全角ａｂｃ", 0, "", 0755, Folder, Folder},
        {Kind::File, "全角ａｂｃ/file.txt", 8, "", 0644, "2020-02-26 03:28:29",
         "2020-01-26 00:00:26"},
    };
    return entries;
}

// Gives every entry of the tree under `root` its fixed times. False when
// one could not be set.
bool setTimes(const std::string& root) {
    bool all = true;
    for (std::size_t at = tree().size(); at-- > 0;) {
        const Entry& entry = tree()[at];
        const timespec times[2] = {{utc(entry.accessed), 0}, {utc(entry.written), 0}};
        all &= ::utimensat(AT_FDCWD, (root + "/" + entry.name).c_str(), times,
                           AT_SYMLINK_NOFOLLOW) == 0;
    }
    return all;
}

void make(const std::string& folder) {
    ::umask(022);
    const std::string root = folder + "/tree";
    if (::mkdir(folder.c_str(), 0755) != 0 || ::mkdir(root.c_str(), 0755) != 0)
        die("mkdir " + folder);
    // Configuration and cache of the program's runs; every user may write it,
    // as the program may run as another user than the one who built the tree.
    const std::string home = folder + "/home";
    if (::mkdir(home.c_str(), 0755) != 0 || ::chmod(home.c_str(), 01777) != 0)
        die("mkdir " + home);

    for (const Entry& entry : tree()) {
        const std::string path = root + "/" + entry.name;
        switch (entry.kind) {
        case Kind::Folder:
            if (::mkdir(path.c_str(), 0755) != 0)
                die("mkdir " + path);
            break;
        case Kind::Link:
            if (::symlink(entry.target.c_str(), path.c_str()) != 0)
                die("symlink " + path);
            break;
        case Kind::Fifo:
            if (::mkfifo(path.c_str(), 0644) != 0)
                die("mkfifo " + path);
            break;
        case Kind::File:
        case Kind::Sparse: {
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0)
                die("create " + path);
            if (entry.kind == Kind::File) {
                std::string content;
                for (long long i = 0; i < entry.size; ++i)
                    content += static_cast<char>('a' + i % 26);
                if (::write(fd, content.data(), content.size()) !=
                    static_cast<ssize_t>(content.size()))
                    die("write " + path);
            } else if (::ftruncate(fd, entry.size) != 0) {
                die("truncate " + path);
            }
            ::close(fd);
            break;
        }
        }
    }
    // Times last, innermost first, so that filling a folder does not move its
    // own times; then the modes that take access away.
    if (!setTimes(root))
        die("utimensat");
    for (std::size_t at = tree().size(); at-- > 0;) {
        const Entry& entry = tree()[at];
        if (entry.kind != Kind::Link && ::chmod((root + "/" + entry.name).c_str(), entry.mode) != 0)
            die("chmod " + entry.name);
    }
}

void remove(const std::string& folder) {
    std::error_code ignored;
    if (!fs::exists(fs::symlink_status(folder, ignored)))
        return;
    // The unreadable folder must be opened up before anything in it can go.
    std::vector<std::string> pending = {folder};
    while (!pending.empty()) {
        const std::string path = pending.back();
        pending.pop_back();
        ::chmod(path.c_str(), 0700);
        for (const auto& entry : fs::directory_iterator(path, ignored))
            if (entry.is_directory(ignored) && !entry.is_symlink(ignored))
                pending.push_back(entry.path().string());
    }
    fs::remove_all(folder, ignored);
    if (ignored) {
        errno = ignored.value();
        die("remove " + folder);
    }
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        die("open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeWhole(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out.flush())
        die("write " + path);
}

// What differs from machine to machine: who made the tree.
struct Owner {
    std::string user;
    std::string group;
};

Owner ownerOf(const std::string& path) {
    struct stat facts {};
    if (::lstat(path.c_str(), &facts) != 0)
        die("stat " + path);
    const passwd* user = ::getpwuid(facts.st_uid);
    const group* found = ::getgrgid(facts.st_gid);
    return {user ? user->pw_name : std::to_string(facts.st_uid),
            found ? found->gr_name : std::to_string(facts.st_gid)};
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
}

// The expected text with the owner's names in place of the placeholders.
std::string withNames(std::string text, const Owner& owner) {
    replaceAll(text, "@USER@", owner.user);
    replaceAll(text, "@GROUP@", owner.group);
    return text;
}

// The reverse, for a list written as the expected text: each name standing
// alone (not inside a longer name) becomes its placeholder; a group named as
// the user becomes "@USER@", which the writer then corrects by hand.
std::string withPlaceholders(std::string text, const Owner& owner) {
    auto inName = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' ||
               static_cast<unsigned char>(c) >= 0x80;
    };
    for (const auto& [name, placeholder] :
         {std::pair{owner.user, "@USER@"}, std::pair{owner.group, "@GROUP@"}}) {
        for (std::size_t at = 0; (at = text.find(name, at)) != std::string::npos;) {
            const std::size_t end = at + name.size();
            if ((at > 0 && inName(text[at - 1])) || (end < text.size() && inName(text[end]))) {
                at = end;
                continue;
            }
            text.replace(at, name.size(), placeholder);
            at += std::strlen(placeholder);
        }
    }
    return text;
}

// The placeholders stand for the tree's owner, who made it, and go both ways.
int checkPlaceholders(const std::string& folder) {
    const Owner owner = ownerOf(folder + "/tree");
    const passwd* maker = ::getpwuid(::geteuid());
    const std::string& user = owner.user;
    const std::string groupMark = owner.group == user ? "@USER@" : "@GROUP@";
    // A name inside a longer one is not a name of the owner.
    const std::string inside = user + "x.txt\r\n";
    std::string expected = "tree/\t@USER@\t";
    expected.append(groupMark).append("\r\n").append(inside);
    std::string listed = "tree/\t";
    listed.append(user).append("\t").append(owner.group).append("\r\n").append(inside);
    bool good = true;
    auto expect = [&](bool holds, const char* what) {
        if (!holds)
            std::cout << "placeholders: " << what << " (user " << user << ", group " << owner.group
                      << ")\n";
        good &= holds;
    };
    expect(maker && user == maker->pw_name, "the tree's owner is not the user who made it");
    expect(withNames(expected, owner) == listed, "the names do not replace the placeholders");
    expect(withPlaceholders(listed, owner) == expected,
           "the placeholders do not replace the names standing alone");
    return good ? 0 : 1;
}

// "@SAVED@" stands for NAME.saved beside NAME.args (a list saved earlier, for
// a comparison), copied into `folder`, where the program runs.
std::vector<std::string> argumentsOf(const std::string& argsFile, const std::string& folder) {
    std::vector<std::string> arguments;
    std::istringstream lines(readWhole(argsFile));
    for (std::string line; std::getline(lines, line);) {
        for (std::size_t at; (at = line.find("@TREE@")) != std::string::npos;)
            line.replace(at, 6, "tree");
        if (line == "@SAVED@") {
            fs::path saved(argsFile);
            saved.replace_extension(".saved");
            line = saved.filename().string();
            std::string copy = folder;
            copy.append("/").append(line);
            writeWhole(copy, readWhole(saved.string()));
            ::chmod(copy.c_str(), 0644);
        }
        arguments.push_back(line);
    }
    return arguments;
}

// Runs the program in `folder`; returns its standard output, and its exit
// status in `status`.
std::string run(const std::string& program, const std::string& folder,
                const std::vector<std::string>& arguments, int& status) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        die("pipe");
    const pid_t child = ::fork();
    if (child < 0)
        die("fork");
    if (child == 0) {
        ::dup2(pipeEnds[1], 1);
        ::close(pipeEnds[0]);
        ::close(pipeEnds[1]);
        const std::string home = folder + "/home";
        if (::chdir(folder.c_str()) != 0)
            ::_exit(NotStarted);
        ::setenv("TZ", "UTC", 1);
        ::setenv("LC_ALL", "C.UTF-8", 1);
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
        ::setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            const uid_t uid = nobody ? nobody->pw_uid : 65534;
            const gid_t gid = nobody ? nobody->pw_gid : 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
                ::_exit(NotStarted);
        }
        std::vector<char*> argv = {const_cast<char*>(program.c_str())};
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(NotStarted);
    }
    ::close(pipeEnds[1]);
    std::string out;
    char buffer[65536];
    for (ssize_t got; (got = ::read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            die("read");
        out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0)
        if (errno != EINTR)
            die("waitpid");
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

int check(const std::string& program, const std::string& folder, const std::string& argsFile,
          const std::string& outFile) {
    int status = 0;
    const std::string actual = run(program, folder, argumentsOf(argsFile, folder), status);
    // A list that reads contents (the checksum column) moves the access times
    // of what it read: the next golden must see the fixed times again.
    setTimes(folder + "/tree");
    const char* update = std::getenv("KESTRO_UPDATE_GOLDEN");
    if (status == 2 || status == NotStarted) {
        std::cout << (status == 2 ? "the program refused the arguments of " + argsFile
                                  : "the program could not be started in " + folder)
                  << "\n";
        return 1;
    }
    const Owner owner = ownerOf(folder + "/tree");
    if (update && std::string(update) == "1") {
        writeWhole(outFile, withPlaceholders(actual, owner));
        std::cout << "written: " << outFile << " (exit status " << status << ")\n";
        return 0;
    }
    const std::string expected = withNames(readWhole(outFile), owner);
    if (actual == expected)
        return 0;
    const std::string stem = folder + "/" + fs::path(outFile).stem().string() + ".";
    const std::string expectedFile = stem + "expected." + std::to_string(::getpid());
    const std::string actualFile = stem + std::to_string(::getpid());
    writeWhole(expectedFile, expected);
    writeWhole(actualFile, actual);
    std::cout << "the list differs from " << outFile << " (exit status " << status << "):\n"
              << std::flush;
    const std::string diff =
        "diff -u -a --label expected --label actual '" + expectedFile + "' '" + actualFile + "'";
    [[maybe_unused]] const int shown = std::system(diff.c_str());
    ::unlink(expectedFile.c_str());
    ::unlink(actualFile.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "make") {
        remove(args[1]); // a leftover of an interrupted run
        make(args[1]);
        return 0;
    }
    if (args.size() == 2 && args[0] == "remove") {
        remove(args[1]);
        return 0;
    }
    if (args.size() == 2 && args[0] == "placeholders")
        return checkPlaceholders(args[1]);
    if (args.size() == 5 && args[0] == "check")
        return check(args[1], args[2], args[3], args[4]);
    std::cerr << "usage: kestro_golden make|remove|placeholders FOLDER | check KESTRO FOLDER "
                 "NAME.args NAME.out\n";
    return 2;
}
