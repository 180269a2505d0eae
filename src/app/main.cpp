// Kestro: the window, or one of the command-line modes.

#include "app/info_command.h"
#include "app/list_command.h"
#include "app/standard_streams.h"
#include "app/window_start.h"
#include "fileinfo/version_line.h"
#include "listgen/name_helpers.h"
#include "platform/program_paths.h"

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr const char* HelpHead =
    "使い方: kestro [--help | --version | --info PATH | --list [OPTIONS] FOLDER\n"
    "               | --compare SAVED [OPTIONS] FOLDER]\n"
    "\n";

// After the line of the program started without arguments.
constexpr const char* HelpCommands =
    "  kestro --list [OPTIONS] [--] FOLDER\n"
    "                         FOLDER の一覧を標準出力に書きます (CR LF 改行)。\n"
    "                         \"-\" で始まるフォルダーやパスは -- の後に書きます。\n"
    "  kestro --compare SAVED [OPTIONS] [--] FOLDER\n"
    "                         FOLDER の今の一覧を、保存した一覧 SAVED と比べ、\n"
    "                         追加 (+)、削除 (-)、変更 (~ 旧 → 新) の差分を\n"
    "                         SAVED と同じ形式で標準出力に書きます。列 (OPTIONS\n"
    "                         の列の指定) は SAVED と同じにしてください。\n"
    "  kestro --info [--] PATH\n"
    "                         PATH のファイル情報を \"名前: 値\" の形で一行ずつ\n"
    "                         表示します。\n"
    "  kestro --help          この説明を表示します。\n"
    "  kestro --version       バージョンを表示します。\n"
    "\n"
    "--list と --compare の OPTIONS (既定値は初めて起動したウィンドウと同じです):\n";

// After the options of "--list".
constexpr const char* HelpTail =
    "\n"
    "名前の制御文字 (タブ, 改行など) は制御文字の図形 (␉ ␊ ␍ など) で\n"
    "示します (--csv を除く)。\n"
    "終了コード: 0 正常, 1 エラーが報告された, 2 使い方の誤り,\n"
    "            3 読み取れないフォルダーを除いた (--skip-unreadable で読み取り中に\n"
    "              内容が変わったファイルのハッシュを空けたときも),\n"
    "            4 (--compare) 違いがあった。\n";

std::string helpText() {
    return HelpHead + std::string("  kestro                 ") + kestro::windowStartText() + "\n" +
           HelpCommands + kestro::listOptionHelp() + HelpTail;
}

// Writes a mode's whole output; output that cannot be written is reported
// and makes the exit status 1.
int writeOutput(const std::string& text, int status) {
    if (auto written = kestro::writeStandardOutput(text); !written) {
        kestro::reportOnStandardError(written.failure());
        return 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    kestro::ensureStandardDescriptors();
    // The arguments in UTF-8 (Windows hands them to main in its code page).
    std::vector<std::string> arguments = kestro::commandLineArguments(argc, argv);
    std::vector<char*> pointers;
    pointers.reserve(arguments.size() + 1);
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    argc = static_cast<int>(arguments.size());
    argv = pointers.data();
    if (argc < 2)
        return kestro::startWindow(argc, argv);

    const std::string mode = argv[1];
    int status = 0;
    // Neither the help nor the version takes anything after it.
    if ((mode == "--help" || mode == "-h" || mode == "--version") && argc != 2) {
        std::cerr << "kestro: " << mode << " の後には何も指定できません。\n";
        return 2;
    }
    if (mode == "--help" || mode == "-h") {
        status = writeOutput(helpText(), 0);
    } else if (mode == "--version") {
        // The same version line as the version dialog.
        status = writeOutput("kestro " + kestro::versionLine() + "\n", 0);
    } else if (mode == "--info") {
        // "--" may come before a path that starts with "-".
        const bool marked = argc == 4 && std::string(argv[2]) == "--";
        if (argc != 3 && !marked) {
            std::cerr << "kestro: --info にはパスを一つ指定してください。\n";
            return 2;
        }
        std::ostringstream lines;
        status = kestro::runInfoCommand(argv[marked ? 3 : 2], lines);
        status = writeOutput(lines.str(), status);
    } else if (mode == "--list") {
        status = kestro::runListCommand(std::vector<std::string>(argv + 2, argv + argc));
    } else if (mode == "--compare") {
        status = kestro::runCompareCommand(std::vector<std::string>(argv + 2, argv + argc));
    } else {
        std::cerr << "kestro: 不明なオプションです: " << kestro::showingControls(mode) << "\n"
                  << helpText();
        return 2;
    }
    // Written output may still be lost when the descriptor is closed.
    if (auto closed = kestro::closeStandardOutput(); !closed) {
        kestro::reportOnStandardError(closed.failure());
        return status == 2 ? 2 : 1;
    }
    return status;
}
