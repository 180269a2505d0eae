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
           "--list の OPTIONS (既定値は初めて起動したウィンドウと同じです):\n"
           "  --stored               ウィンドウが終了時に保存した設定から始めます"
           " (FOLDER を省くと保存されたフォルダー)\n"
           "  --patterns TEXT        ファイル名のパターン、; で区切って複数 (既定 *.*)\n"
           "  --sub | --no-sub       サブフォルダを調べる (既定 する)\n"
           "  --hidden  --system     隠しファイル、システムファイルも出力する\n"
           "  --separator TEXT       区切り文字: ﾀﾌﾞ (既定), ｾﾐｺﾛﾝ, | または任意の文字列\n"
           "  --path  --join         パス名の列、パスとファイル名の間に区切り文字を入れない\n"
           "  --short-path  --dir-upper  --dir-half        パス名の変換\n"
           "  --short-name  --name-upper  --name-half  --drop-ext   ファイル名の変換\n"
           "  --ext  --size[=byte|kb|mb]  --attr  --type  拡張子, ﾌｧｲﾙｻｲｽﾞ, 属性, ﾌｧｲﾙﾀｲﾌﾟの列\n"
           "  --created  --modified  --accessed           作成日時, 更新日時, アクセス日の列\n"
           "  --leading-tab          ファイル名の先頭にタブを入れる\n"
           "  --folder-lines | --no-folder-lines         フォルダが変わるごとにパスを挿入する"
           " (既定 する)\n"
           "  --drop-drive           挿入するパスからドライブ名を削除する\n"
           "  --lf                   改行を CR LF でなく LF にする\n"
           "  --skip-unreadable      読み取れないフォルダを除いて続け、最後に標準エラーに示す\n"
           "\n"
           "名前の制御文字 (タブ, 改行など) は制御文字の図形 (␉ ␊ ␍ など) で示します。\n"
           "終了コード: 0 正常, 1 エラーが報告された, 2 使い方の誤り,"
           " 3 読み取れないフォルダを除いた。\n";
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
