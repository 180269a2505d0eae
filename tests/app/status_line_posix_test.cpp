// The status line on a terminal that the list shares: the built program on
// a pseudo terminal, its standard output and error both there.

#include "support/temp_tree.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kestro {
namespace {

// Everything the program wrote to the terminal, and its exit status.
std::string onTerminal(const std::string& folder, int& status) {
    const char* binary = std::getenv("KESTRO_BINARY");
    EXPECT_NE(binary, nullptr);
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        ::execl(binary, binary, "--list", "--no-sub", folder.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;)
        seen.append(buffer, static_cast<std::size_t>(got));
    ::close(terminal);
    int waited = 0;
    ::waitpid(child, &waited, 0);
    status = WIFEXITED(waited) ? WEXITSTATUS(waited) : -1;
    return seen;
}

TEST(StatusLine, IsClearedBeforeTheListsFirstLine) {
    test::TempTree tree;
    tree.file("a.txt");
    int status = -1;
    const std::string seen = onTerminal(tree.path(), status);
    EXPECT_EQ(status, 0);
    // The status line was shown, then erased, and the header starts the
    // line the erasing left.
    EXPECT_NE(seen.find("ｻﾌﾞﾌｫﾙﾀﾞ検索中..."), std::string::npos) << seen;
    EXPECT_NE(seen.find("\r\033[Kﾌｧｲﾙ名"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("中... ﾌｧｲﾙ名"), std::string::npos) << seen;
}

} // namespace
} // namespace kestro
