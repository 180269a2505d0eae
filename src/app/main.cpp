// Kestro: the window, or one of the command-line modes.

#include "app/info_command.h"
#include "app/list_command.h"
#include "kestro_version.h"
#include "ui/run_window.h"

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace {

void printHelp(std::ostream& out) {
    out << "使い方: kestro [--help | --version | --info PATH | --list [OPTIONS] FOLDER]\n"
           "\n"
           "  kestro                 ウィンドウを開きます。\n"
           "  kestro --list [OPTIONS] FOLDER\n"
           "                         FOLDER のファイル一覧を標準出力に書きます (CR LF 改行)。\n"
           "  kestro --info PATH     PATH のファイル情報を \"名前: 値\" "
           "の形で一行ずつ表示します。\n"
           "  kestro --help          この説明を表示します。\n"
           "  kestro --version       バージョンを表示します。\n"
           "\n"
           "終了コード: 0 正常, 1 エラーが報告された, 2 使い方の誤り。\n";
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2) {
        const std::string mode = argv[1];
        if (mode == "--help" || mode == "-h") {
            printHelp(std::cout);
            return 0;
        }
        if (mode == "--version") {
            std::cout << "kestro " << kestro::build::versionText << '\n';
            return 0;
        }
        if (mode == "--info") {
            if (argc != 3) {
                std::cerr << "kestro: --info にはパスを一つ指定してください。\n";
                return 2;
            }
            return kestro::runInfoCommand(argv[2], std::cout);
        }
        if (mode == "--list")
            return kestro::runListCommand(std::vector<std::string>(argv + 2, argv + argc));
        std::cerr << "kestro: 不明なオプションです: " << mode << "\n";
        printHelp(std::cerr);
        return 2;
    }
    return kestro::runWindow(argc, argv);
}
