// The command-line modes, run as the built program.

#include "app/list_command.h"
#include "settings/option_table.h"
#include "support/temp_tree.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace kestro {
namespace {

using test::TempTree;

struct Outcome {
    int status = -1;
    std::string out;
};

// Runs the program with a shell command line; standard error goes to
// `errorFile` when one is given.
Outcome runKestro(const std::string& arguments, const std::string& errorFile = "/dev/null") {
    const char* binary = std::getenv("KESTRO_BINARY");
    EXPECT_NE(binary, nullptr);
    const std::string command = std::string(binary) + " " + arguments + " 2>" + errorFile;
    Outcome run;
    FILE* pipe = ::popen(command.c_str(), "r");
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// The program linked into a folder of its own: the temporary list file it
// writes beside itself then belongs to this test's runs alone, not to every
// run of the built program.
std::string programIn(TempTree& tree) {
    const std::string program = tree.folder("program") + "/kestro";
    const char* built = std::getenv("KESTRO_BINARY");
    EXPECT_NE(built, nullptr);
    std::error_code linkFailed;
    std::filesystem::create_hard_link(built, program, linkFailed);
    if (linkFailed)
        std::filesystem::copy_file(built, program);
    return program;
}

TEST(CommandLine, ListWritesTheListAndExitStatuses) {
    TempTree tree;
    tree.file("sub/c.txt");

    // The lists themselves are in the golden files.
    EXPECT_EQ(runKestro("--list --size " + tree.path()).status, 0);

    // A name's escape sequence reaches the terminal as control pictures.
    const std::string errors = tree / "stderr.txt";
    Outcome missing = runKestro("--list '" + tree.path() + "/nothing\x1B]0;x\x07here'", errors);
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    const std::string report = test::readFile(errors);
    EXPECT_NE(report.find("ｴﾗｰ番号 76 でｴﾗｰが発生しました。"), std::string::npos) << report;
    EXPECT_NE(report.find("nothing␛]0;x␇here"), std::string::npos) << report;
    EXPECT_EQ(report.find('\x1B'), std::string::npos);

    // So is a missing path too long for the system to take whole.
    std::string longPath = tree.path();
    for (int i = 0; i < 30; ++i)
        longPath += "/" + std::string(200, 'd');
    EXPECT_EQ(runKestro("--list " + longPath, errors).status, 1);
    EXPECT_NE(test::readFile(errors).find("ｴﾗｰ番号 76 "), std::string::npos)
        << test::readFile(errors);

    Outcome bad = runKestro("--list '--bogus\x1B[31m' /x", errors);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(test::readFile(errors).find("--bogus␛[31m"), std::string::npos);
    EXPECT_EQ(runKestro("--list").status, 2);
    EXPECT_EQ(runKestro("--frobnicate").status, 2);
    EXPECT_EQ(runKestro("--version extra").status, 2);
    EXPECT_EQ(runKestro("--help extra").status, 2);
}

TEST(CommandLine, CompareExitStatuses) {
    TempTree tree;
    tree.file("list/a.txt", "a");
    const std::string folder = tree / "list";
    const std::string saved = tree / "saved.txt";
    ASSERT_EQ(runKestro("--list --size " + folder + " >" + saved).status, 0);

    EXPECT_EQ(runKestro("--compare " + saved + " --size " + folder).status, 0);
    tree.file("list/b.txt", "b");
    const Outcome differs = runKestro("--compare " + saved + " --size " + folder);
    EXPECT_EQ(differs.status, 4);
    EXPECT_NE(differs.out.find("/list/\tb.txt\t1 Byte"), std::string::npos) << differs.out;

    const std::string errors = tree / "stderr.txt";
    EXPECT_EQ(runKestro("--compare " + saved + " --attr " + folder, errors).status, 1);
    EXPECT_NE(test::readFile(errors).find("今の設定だけの列: 属性"), std::string::npos);
    EXPECT_EQ(runKestro("--compare " + tree / "missing.txt" + " " + folder).status, 1);
    // Standard output into the saved list itself: refused before a byte is
    // written.
    const std::string before = test::readFile(saved);
    EXPECT_EQ(runKestro("--compare " + saved + " --size " + folder + " >>" + saved).status, 1);
    EXPECT_EQ(runKestro("--compare " + saved + " --size " + folder + " 1<>" + saved).status, 1);
    EXPECT_EQ(test::readFile(saved), before);
    EXPECT_EQ(runKestro("--compare").status, 2);
    EXPECT_EQ(runKestro("--compare " + saved).status, 2);
}

TEST(CommandLine, EncodingOfTheList) {
    TempTree tree;
    tree.file("ｶﾅ.txt");
    tree.file("日本.txt");
    const std::string list = "ﾌｧｲﾙ名\r\n\r\n" + tree.path() + "/\r\n日本.txt\r\nｶﾅ.txt\r\n";
    EXPECT_EQ(runKestro("--list --encoding utf8 " + tree.path()).out, list);
    EXPECT_EQ(runKestro("--list --encoding=utf8-bom " + tree.path()).out, "\xEF\xBB\xBF" + list);
    const Outcome sjis = runKestro("--list --encoding sjis " + tree.path());
    EXPECT_EQ(sjis.status, 0);
    EXPECT_EQ(sjis.out, "\xCC\xA7\xB2\xD9\x96\xBC\r\n\r\n" + tree.path() +
                            "/\r\n\x93\xFA\x96\x7B.txt\r\n\xB6\xC5.txt\r\n");

    // A character Shift-JIS cannot hold: nothing written, its line and
    // character named.
    tree.file("café.txt");
    const std::string errors = tree / "stderr.txt";
    const Outcome refused = runKestro("--list --encoding sjis " + tree.path(), errors);
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
    const std::string report = test::readFile(errors);
    EXPECT_NE(report.find("4 行目の「é」はシフトJIS (CP932) にない文字のため、書き込めません。"),
              std::string::npos)
        << report;
}

// Display columns of a UTF-8 line: wide and full-width characters take two.
std::size_t columns(const std::string& line) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < line.size();) {
        const auto lead = static_cast<unsigned char>(line[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length && i + k < line.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(line[i + k]) & 0x3F);
        const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                          (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                          (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                          (c >= 0xFFE0 && c <= 0xFFE6);
        width += wide ? 2 : 1;
        i += length;
    }
    return width;
}

TEST(CommandLine, HelpAndVersionTexts) {
    Outcome help = runKestro("--help");
    EXPECT_EQ(help.status, 0);
    std::size_t start = 0;
    for (std::size_t end; (end = help.out.find('\n', start)) != std::string::npos;
         start = end + 1) {
        const std::string line = help.out.substr(start, end - start);
        EXPECT_LE(columns(line), 80u) << line;
    }
    for (std::size_t at = 0; (at = help.out.find("フォルダ", at)) != std::string::npos; ++at)
        EXPECT_EQ(help.out.substr(at, std::string("フォルダー").size()), "フォルダー");

    // As the version dialog shows it.
    EXPECT_EQ(runKestro("--version").out.rfind("kestro Ver.", 0), 0u);
}

// The window is a module the program loads when started without arguments:
// the program alone (all that the command line needs) says that it cannot
// open the window; the built one opens it, and SIGTERM closes it as its
// close box would, which writes the settings.
TEST(CommandLine, TheWindowAndTheFileTypesOpenFromTheirModules) {
    TempTree tree;
    const std::string alone = programIn(tree);
    {
        test::ScopedEnv program("KESTRO_BINARY", alone);
        const std::string errors = tree / "alone.txt";
        EXPECT_EQ(runKestro("", errors).status, 1);
        EXPECT_NE(test::readFile(errors).find("ウィンドウを開けません。ファイルが見つかりません。"),
                  std::string::npos)
            << test::readFile(errors);
        EXPECT_EQ(runKestro("--list " + tree.path() + "/program").status, 0);
        // Without its file-type module a list of types fails, naming it,
        // rather than show every type unregistered.
        EXPECT_EQ(runKestro("--list --type " + tree.path() + "/program", errors).status, 1);
        EXPECT_NE(test::readFile(errors).find("kestro-types.so"), std::string::npos)
            << test::readFile(errors);
    }

    test::ScopedEnv display("QT_QPA_PLATFORM", "offscreen");
    test::ScopedEnv config("XDG_CONFIG_HOME", tree / "config");
    test::ScopedEnv cache("XDG_CACHE_HOME", tree / "cache");
    const char* built = std::getenv("KESTRO_BINARY");
    ASSERT_NE(built, nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::freopen("/dev/null", "w", stderr);
        ::execl(built, built, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // The window catches SIGTERM once it is open.
    const auto catchesTerm = [child] {
        const std::string status = test::readFile("/proc/" + std::to_string(child) + "/status");
        const std::size_t at = status.find("SigCgt:");
        return at != std::string::npos &&
               (std::stoull(status.substr(at + 7), nullptr, 16) >> (SIGTERM - 1) & 1) != 0;
    };
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 600 && ended == 0 && !catchesTerm(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ended = ::waitpid(child, &status, WNOHANG);
    }
    if (ended == 0) {
        ::kill(child, SIGTERM);
        ASSERT_EQ(::waitpid(child, &status, 0), child);
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(test::pathExists(tree / "config/Kestro/Kestro.conf"));
}

TEST(CommandLine, OutputThatCannotBeWrittenIsAFailure) {
    TempTree tree;
    const std::string file = tree.file("x.txt");
    const std::string binary = programIn(tree);
    test::ScopedEnv program("KESTRO_BINARY", binary);
    const std::string spool = tree / "program/_Kestro.tmp";
    const std::string errors = tree / "stderr.txt";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"--help >/dev/full", "61"},
        {"--version >/dev/full", "61"},
        {"--info " + file + " >/dev/full", "61"},
        {"--list " + tree.path() + " >/dev/full", "61"},
        // A closed standard output is not where the temporary file goes.
        {"--list " + tree.path() + " >&-", "75"},
    };
    for (const auto& [arguments, number] : cases) {
        EXPECT_EQ(runKestro(arguments, errors).status, 1) << arguments;
        EXPECT_NE(test::readFile(errors).find("ｴﾗｰ番号 " + number + " "), std::string::npos)
            << arguments << ": " << test::readFile(errors);
        EXPECT_FALSE(test::pathExists(spool)) << arguments;
    }
}

TEST(CommandLine, SkippingUnreadableFoldersNamesThemAndExitsWithThree) {
    TempTree tree;
    tree.chmod(".", 0755);
    tree.file("data/open/f.txt");
    tree.file("data/shut/g.txt");
    tree.chmod("data/shut", 0000);
    tree.folder("cache");
    tree.chmod("cache", 0777);
    // The temporary list goes to the cache folder when the program's own is
    // not writable, as it is not for this user.
    test::ScopedEnv cache("XDG_CACHE_HOME", tree / "cache");
    const std::string errors = tree / "cache/stderr.txt";
    // A list of the whole tree, made by one who may read it all.
    const std::string saved = tree / "cache/saved.txt";
    ASSERT_EQ(runKestro("--list " + tree / "data" + " >" + saved).status, 0);
    const int status = test::runAsUnprivileged([&] {
        Outcome skipping =
            runKestro("--list --skip-unreadable --no-folder-lines " + tree / "data", errors);
        if (skipping.status != 3 || skipping.out != "ﾌｧｲﾙ名\r\nf.txt\r\n")
            return 1;
        const std::string named = test::readFile(errors);
        if (named.find("ｴﾗｰ番号 70") == std::string::npos ||
            named.find(tree / "data/shut") == std::string::npos)
            return 2;
        if (runKestro("--list --no-folder-lines " + tree / "data").status != 1)
            return 3;
        // Compared, the files of the folder left out are not known to be
        // gone, and the status says that a folder was left out.
        Outcome comparing =
            runKestro("--compare " + saved + " --skip-unreadable " + tree / "data", errors);
        if (comparing.status != 3 || comparing.out.find("削除\t0") == std::string::npos)
            return 4;
        if (test::readFile(errors).find("1 個は読み取れなかった") == std::string::npos)
            return 5;
        return 0;
    });
    EXPECT_EQ(status, 0) << "1, 2: skipping run, 3: strict run, 4, 5: comparison, -1: could not "
                            "drop privileges";
}

TEST(CommandLine, StoredOptionsFromTheWindowThenTheGivenOnes) {
    TempTree tree;
    tree.file("data/a.bin", std::string(2048, 'a'));
    tree.file("data/sub/b.bin");
    tree.file("other/c.bin", std::string(1024, 'c'));
    test::ScopedEnv config("XDG_CONFIG_HOME", tree / "config");
    tree.file("config/Kestro/Kestro.conf", "[Setting]\nDir=" + tree / "data" +
                                               "\n[chk]\nchkSub=0\nPath=1\nFileSize=1\nByte=1\n"
                                               "InsPath=0\nDivStr=ｾﾐｺﾛﾝ\n");
    const std::string data = tree.path() + "/data/";
    Outcome stored = runKestro("--list --stored");
    EXPECT_EQ(stored.status, 0);
    EXPECT_EQ(stored.out, "ﾊﾟｽ名;ﾌｧｲﾙ名;ﾌｧｲﾙｻｲｽﾞ\r\n\r\n" + data + ";a.bin;2.0 KB\r\n");

    // Given options and folder apply on top of the stored ones.
    Outcome given = runKestro("--list --stored --size=byte --separator '|' " + tree / "other");
    EXPECT_EQ(given.out,
              "ﾊﾟｽ名|ﾌｧｲﾙ名|ﾌｧｲﾙｻｲｽﾞ\r\n\r\n" + tree.path() + "/other/|c.bin|1,024 Byte\r\n");

    // A stored value that cannot be read is reported; the list still comes,
    // but the run has failed.
    tree.file("config/Kestro/Kestro.conf",
              "[Setting]\nDir=" + tree / "other" + "\n[chk]\nPath=1\nFileSize=x\n");
    Outcome bad = runKestro("--list --stored");
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "ﾊﾟｽ名\tﾌｧｲﾙ名\r\n\r\n" + tree.path() + "/other/\r\n" + tree.path() +
                           "/other/\tc.bin\r\n");

    // A stored folder that is gone is an error, not another folder's list.
    tree.remove("data");
    tree.file("config/Kestro/Kestro.conf", "[Setting]\nDir=" + tree / "data" + "\n");
    Outcome gone = runKestro("--list --stored");
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.out, "");

    // No stored folder at all (the window never closed): not the program's
    // own folder instead.
    tree.file("config/Kestro/Kestro.conf", "[chk]\nPath=1\n");
    EXPECT_EQ(runKestro("--list --stored").status, 1);
    EXPECT_EQ(runKestro("--list --stored " + tree / "other").status, 0);

    // So is a settings file that cannot be read: not the defaults instead.
    tree.remove("config/Kestro/Kestro.conf");
    tree.folder("config/Kestro/Kestro.conf");
    Outcome unreadable = runKestro("--list --stored " + tree / "other");
    EXPECT_EQ(unreadable.status, 1);
    EXPECT_EQ(unreadable.out, "");
}

TEST(CommandLine, SignalsAbortLikeCtrlCAndLeaveNoTemporaryFile) {
    TempTree tree;
    for (int i = 0; i < 4000; ++i)
        tree.file("f/" + std::string(60, 'n') + std::to_string(i));
    const std::string binary = programIn(tree);
    const std::string spool = tree / "program/_Kestro.tmp";
    const std::string errors = tree / "stderr.txt";

    // The signals of a fault too, when another process sends them.
    for (int signal :
         {SIGINT, SIGHUP, SIGTERM, SIGUSR1, SIGSTKFLT, SIGTRAP, SIGSYS, SIGBUS, SIGABRT, SIGSEGV}) {
        SCOPED_TRACE(::strsignal(signal));
        // Nobody reads the output, so the list (over 256 KB) cannot be written
        // out: the run is either still collecting or blocked writing when the
        // interrupt comes.
        int output[2];
        ASSERT_EQ(::pipe(output), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::freopen(errors.c_str(), "w", stderr);
            ::execl(binary.c_str(), binary.c_str(), "--list", tree.path().c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(output[1]);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        ::kill(child, signal);
        int status = 0;
        pid_t ended = 0;
        for (int i = 0; i < 1000 && ended == 0; ++i) {
            ended = ::waitpid(child, &status, WNOHANG);
            if (ended == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (ended == 0) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            FAIL() << "the interrupted run did not end";
        }
        ::close(output[0]);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 1);
        EXPECT_NE(test::readFile(errors).find("ユーザーによって中断されました。"),
                  std::string::npos)
            << test::readFile(errors);
        EXPECT_FALSE(test::pathExists(spool));
    }
}

TEST(CommandLine, InfoPrintsEveryQuery) {
    TempTree tree;
    const std::string path = tree.file("x.txt", "abc");
    Outcome info = runKestro("--info " + path);
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("FileName: " + path + "\n"), std::string::npos);
    EXPECT_NE(info.out.find("Enabled: True\n"), std::string::npos);
    EXPECT_NE(info.out.find("Size: 3\n"), std::string::npos);
    EXPECT_NE(info.out.find("Links: 1\n"), std::string::npos);
    EXPECT_EQ(runKestro("--info -- " + path).out, info.out);

    // A path that cannot be read at all is a failure a script can see.
    const std::string errors = tree / "errors.txt";
    Outcome gone = runKestro("--info " + tree.path() + "/gone", errors);
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(test::readFile(errors).find(tree.path() + "/gone"), std::string::npos);
    EXPECT_NE(gone.out.find("Enabled: False\n"), std::string::npos);
    EXPECT_NE(gone.out.find("Size: error 53\n"), std::string::npos);
    EXPECT_NE(gone.out.find("LastWriteTime: error 53\n"), std::string::npos);
    EXPECT_NE(gone.out.find("CompressedSize: -1\n"), std::string::npos);
}

// Asking leaves the file as it was: the access time shown is the file's own,
// not the stamp of the program's read, and the read leaves no stamp.
TEST(CommandLine, InfoLeavesTheAccessTimeAlone) {
    test::ScopedEnv zone("TZ", "UTC");
    TempTree tree;
    const std::string path = tree.file("tool", "#!/bin/sh\n");
    tree.chmod("tool", 0755);
    const std::time_t accessed = 946857907; // 2000/01/03 00:05:07
    tree.setTimes("tool", accessed, accessed + 86400);
    Outcome info = runKestro("--info " + path);
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("Executable: True\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("LastAccessTime: 2000/01/03 00:05:07\n"), std::string::npos)
        << info.out;
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_atim.tv_sec, accessed);
}

} // namespace
} // namespace kestro
