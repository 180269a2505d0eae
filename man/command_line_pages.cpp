// Writes the manual page of the command line, in English and in Japanese,
// and its bash completion, from the help of the list options that
// `kestro --help` prints, which the option table makes: every option of the
// table is in all three, spelled as the help spells it, so they cannot say
// other things than the program.
//
//   kestro_command_line_pages VERSION DATE HELP_FILE OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER/en/kestro.1, OUTPUT_FOLDER/ja/kestro.1 and
// OUTPUT_FOLDER/kestro.bash; HELP_FILE is where the installed help lives.

#include "app/list_command.h"
#include "settings/option_table.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

using kestro::SettingDefinition;

// One entry of the help: its switches, as the help writes them ("--path",
// "--size[=byte|kb|mb]", "--sub | --no-sub"; several switches of one entry
// are two spaces apart), and its text, one help line each.
struct HelpEntry {
    std::string usage;
    std::vector<std::string> lines;
};

constexpr std::size_t TextColumn = 25;

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            if (start < text.size())
                lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// The switch an entry or a usage begins with: "--size" of "--size[=kb]".
std::string leadingSwitch(std::string_view usage) {
    return std::string(usage.substr(0, usage.find_first_of(" [=")));
}

// The texts of the table's help entries by their first switch: an option
// without a text of its own shares the entry of the one placed before it.
std::map<std::string, std::string_view> tableTexts() {
    std::vector<const SettingDefinition*> shown;
    for (const SettingDefinition& definition : kestro::optionTable()) {
        if (definition.help.place > 0)
            shown.push_back(&definition);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const auto* a, const auto* b) { return a->help.place < b->help.place; });
    std::map<std::string, std::string_view> texts;
    for (const SettingDefinition* definition : shown) {
        if (!definition->help.text.empty())
            texts.emplace(definition->onFlag, definition->help.text);
    }
    return texts;
}

// The help split into its entries. An entry of the table is told apart by
// its known text, so switches of any length and form are read whole; the
// help's own entries (not in the table) by the text column.
std::optional<std::vector<HelpEntry>> helpEntries(const std::string& help, std::string& error) {
    const std::map<std::string, std::string_view> texts = tableTexts();
    std::vector<std::vector<std::string>> raw;
    for (const std::string& line : splitLines(help)) {
        if (line.size() > 2 && line.starts_with("  ") && line[2] != ' ')
            raw.push_back({line.substr(2)});
        else if (!raw.empty() && line.starts_with(std::string(TextColumn, ' ')))
            raw.back().push_back(line.substr(TextColumn));
        else {
            error = "a line of the help that belongs to no option: \"" + line + "\"";
            return std::nullopt;
        }
    }
    std::vector<HelpEntry> entries;
    std::set<std::string> found;
    for (const auto& lines : raw) {
        std::string body;
        for (const std::string& line : lines)
            body += (body.empty() ? "" : "\n") + line;
        HelpEntry entry;
        const std::string first = leadingSwitch(body);
        if (const auto known = texts.find(first); known != texts.end()) {
            const std::string_view text = known->second;
            if (!body.ends_with(text)) {
                error = "the help of " + first + " is not the table's text";
                return std::nullopt;
            }
            entry.usage = trimmed(std::string_view(body).substr(0, body.size() - text.size()));
            if (!entry.usage.empty() && entry.usage.back() == '\n')
                entry.usage.pop_back();
            entry.lines = splitLines(text);
            found.insert(first);
        } else if (lines.front().size() > TextColumn - 2 && lines.front()[TextColumn - 3] == ' ') {
            entry.usage = trimmed(std::string_view(lines.front()).substr(0, TextColumn - 2));
            entry.lines.push_back(lines.front().substr(TextColumn - 2));
            entry.lines.insert(entry.lines.end(), lines.begin() + 1, lines.end());
        } else {
            entry.usage = lines.front();
            entry.lines.assign(lines.begin() + 1, lines.end());
        }
        entries.push_back(std::move(entry));
    }
    for (const auto& [name, text] : texts) {
        if (!found.contains(name)) {
            error = "the help lacks the option " + name + " of the table";
            return std::nullopt;
        }
    }
    return entries;
}

// The switches of one usage: "--sub | --no-sub" gives two, "--size[=a|b]"
// one with optional values, "--separator TEXT" one that takes a value.
struct Switch {
    std::string name;
    bool optionalValue = false; // "--name[=value]"
    bool takesValue = false;    // "--name VALUE"
    std::vector<std::string> choices;
};

std::vector<std::string> splitOn(std::string_view text, std::string_view separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string_view::npos;
         start = at + separator.size())
        parts.emplace_back(text.substr(start, at - start));
    parts.emplace_back(text.substr(start));
    return parts;
}

std::vector<Switch> switchesOf(const std::string& usage) {
    std::vector<Switch> switches;
    for (const std::string& piece : splitOn(usage, "  ")) {
        if (trimmed(piece).empty())
            continue;
        for (const std::string& alternative : splitOn(trimmed(piece), " | ")) {
            Switch item;
            item.name = leadingSwitch(alternative);
            std::string_view rest = std::string_view(alternative).substr(item.name.size());
            if (rest.starts_with("[=")) {
                item.optionalValue = true;
                rest = rest.substr(2, rest.find(']') - 2);
            } else if (rest.starts_with(" ") || rest.starts_with("=")) {
                item.takesValue = true;
                rest = rest.substr(1);
            }
            // Lower-case words are the values to choose from; an upper-case
            // word (TEXT, FILE) stands for any value.
            if (!rest.empty() &&
                std::none_of(rest.begin(), rest.end(), [](char c) { return c >= 'A' && c <= 'Z'; }))
                item.choices = splitOn(rest, "|");
            switches.push_back(std::move(item));
        }
    }
    return switches;
}

// What the English page says of each entry, by the entry's first switch.
// An entry without one here is shown with its Japanese text, and the build
// says so.
const std::map<std::string, std::string>& englishTexts() {
    static const std::map<std::string, std::string> texts{
        {"--stored", "Start from the options the window stored when it last closed (the pattern "
                     "box is not stored). Without FOLDER, the stored folder is listed; a stored "
                     "folder that is gone is an error."},
        {"--patterns", "File-name patterns, several separated by \";\": * any run of characters, "
                       "? one character, matched without regard to case (default *.*; an empty "
                       "text lists every file too)."},
        {"--sub", "Search the sub-folders too (default: on)."},
        {"--hidden", "List hidden files (names beginning with \".\") and system files (devices, "
                     "FIFOs, sockets) too."},
        {"--separator", "The separator between the cells: ﾀﾌﾞ (a tab, the default), ｾﾐｺﾛﾝ (a "
                        "semicolon), |, CSV (the same as --csv) or any literal text, the empty "
                        "text included."},
        {"--csv", "Write comma-separated values (RFC 4180), the same as --separator CSV; the later "
                  "of the two wins. Names are written whole, control characters included. A cell "
                  "starting with =, +, -, @, a tab or CR gets a leading ' so that a spreadsheet "
                  "shows it as text and never runs it as a formula."},
        {"--path", "The path column; with --join no separator between the path and the file "
                   "name."},
        {"--short-path", "Conversions of the path: the short (8.3) path, upper case, half-width "
                         "characters. Linux has no 8.3 names: the short path is the long one."},
        {"--short-name", "Conversions of the file name: the short (8.3) name, upper case, "
                         "half-width characters, the extension dropped (cut at the first \".\")."},
        {"--ext", "The extension, file size, attribute and file type columns; the size in bytes "
                  "(the default), KB or MB."},
        {"--hash", "The checksum column: the lowercase hex SHA-256 (the default) or MD5 of each "
                   "regular file's contents."},
        {"--created", "The creation, modification and access time columns, in local time."},
        {"--leading-tab", "Put a tab before each file's line."},
        {"--folder-lines", "Insert the folder's path at each change of folder (default: on)."},
        {"--drop-drive", "Remove the drive name (C:) from the inserted path; changes nothing on "
                         "POSIX paths."},
        {"--totals", "After each folder's files a record with their count and size, and at the "
                     "end one for the whole list."},
        {"--lf", "End the lines with LF instead of CR LF."},
        {"--skip-unreadable", "Leave out folders that cannot be read and name each on standard "
                              "error after the list (exit status 3)."},
        {"--encoding", "The list's encoding: UTF-8 (the default), UTF-8 after a byte-order mark, "
                       "or Shift-JIS (CP932). With sjis the whole list is converted first: a "
                       "character Shift-JIS cannot hold writes nothing and exits with status 1, "
                       "naming its line and character."},
        {"--xlsx", "Write the list as an Excel workbook (.xlsx) to FILE instead of standard "
                   "output: sizes as numbers, times as date-time cells, one row per file. Not "
                   "with --csv, --lf or --encoding."},
    };
    return texts;
}

// Text for roff: backslashes and minus signs escaped, and no line that
// starts with a control character.
std::string roff(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    std::string safe;
    for (const std::string& line : splitLines(out)) {
        if (!line.empty() && (line.front() == '.' || line.front() == '\''))
            safe += "\\&";
        safe += line + "\n";
    }
    return safe;
}

// A usage with its switches in bold and its values in italics.
std::string roffUsage(const std::string& usage) {
    std::string out;
    bool inSwitch = false;
    for (std::size_t i = 0; i < usage.size(); ++i) {
        const char c = usage[i];
        const bool startsSwitch = c == '-' && (i == 0 || usage[i - 1] == ' ');
        if (startsSwitch && !inSwitch) {
            out += "\\fB";
            inSwitch = true;
        } else if (inSwitch && (c == ' ' || c == '[' || c == '=')) {
            out += "\\fR";
            inSwitch = false;
        }
        if (c == '-')
            out += "\\-";
        else if (c == '\\')
            out += "\\e";
        else
            out += c;
    }
    if (inSwitch)
        out += "\\fR";
    return out;
}

struct Language {
    const char* name;
    const char* section;
    const char* synopsis;
    const char* description;
    const char* modes;
    const char* options;
    const char* optionsIntro;
    const char* exitStatus;
    const char* environment;
    const char* files;
    const char* seeAlso;
    bool japanese;
};

// The paragraphs of a page: blank lines part them, "@" starts a tagged
// paragraph whose tag is the rest of the line. Japanese lines are kept as
// they are, since filling would join them with a space.
std::string paragraphs(std::string_view text, bool keepLines) {
    std::string out;
    bool opened = false;
    bool textBefore = false;
    for (const std::string& line : splitLines(text)) {
        if (line.empty()) {
            opened = false;
            textBefore = false;
        } else if (line.front() == '@') {
            out += ".TP\n" + roffUsage(line.substr(1)) + "\n";
            opened = true;
            textBefore = false;
        } else {
            if (!opened)
                out += ".PP\n";
            else if (keepLines && textBefore)
                out += ".br\n";
            opened = true;
            textBefore = true;
            out += roff(line);
        }
    }
    return out;
}

const Language English{
    .name = "kestro \\- write a list of the files in a folder as text",
    .section = "User Commands",
    .synopsis = ".B kestro\n"
                ".br\n"
                ".B kestro \\-\\-list\n"
                ".RI [ OPTIONS ]\n"
                ".RB [ \\-\\- ]\n"
                ".I FOLDER\n"
                ".br\n"
                ".B kestro \\-\\-compare\n"
                ".I SAVED\n"
                ".RI [ OPTIONS ]\n"
                ".RB [ \\-\\- ]\n"
                ".I FOLDER\n"
                ".br\n"
                ".B kestro \\-\\-info\n"
                ".RB [ \\-\\- ]\n"
                ".I PATH\n"
                ".br\n"
                ".B kestro \\-\\-help\n"
                ".br\n"
                ".B kestro \\-\\-version\n",
    .description =
        "Kestro writes a list of the files in a folder as text: a header line, then one line per "
        "file with the facts chosen (path, name, extension, size, attributes, file type, times, "
        "checksum), in the form chosen. Started without arguments it opens its window, in which "
        "the list is made, edited, copied and saved; its options and folder are kept between "
        "runs.\n"
        "\n"
        "The command line runs the same engine without a window. Names with control characters "
        "are written with the characters' control pictures (tab ␉, line feed ␊, ...), except in "
        "comma-separated values.\n",
    .modes = "@--list [OPTIONS] [--] FOLDER\n"
             "Write the list of FOLDER on standard output, as the window's create button would "
             "append it (CR LF line ends unless --lf). A folder whose name starts with - comes "
             "after --.\n"
             "@--compare SAVED [OPTIONS] [--] FOLDER\n"
             "Make the list of FOLDER now and write its difference from the list saved in SAVED "
             "on standard output, in SAVED's format: + added, - removed, ~ changed (old → new), "
             "then the counts. The columns (the OPTIONS that choose columns) must be those of "
             "SAVED.\n"
             "@--info [--] PATH\n"
             "Show every fact of the file object for PATH, one \"Name: value\" line each.\n"
             "@--help\n"
             "Show the help of the command line.\n"
             "@--version\n"
             "Show the version line of the version dialog.\n",
    .options = "LIST OPTIONS",
    .optionsIntro = "The options of --list and --compare; the defaults are those of a first "
                    "start of the window.",
    .exitStatus = "@0\n"
                  "Done; with --compare, nothing differs.\n"
                  "@1\n"
                  "A failure was reported on standard error, or the run was aborted (Ctrl+C or "
                  "another signal that would end the program); --info could answer no query.\n"
                  "@2\n"
                  "Bad usage.\n"
                  "@3\n"
                  "The list was made, but --skip-unreadable left out folders (each named on "
                  "standard error).\n"
                  "@4\n"
                  "With --compare: the folder differs from the saved list.\n",
    .environment = "@XDG_CONFIG_HOME\n"
                   "Where the settings folder is (default ~/.config).\n"
                   "@XDG_CACHE_HOME\n"
                   "Where the temporary list file goes when the program's folder cannot be "
                   "written (default ~/.cache).\n",
    .files = "@$XDG_CONFIG_HOME/Kestro/Kestro.conf\n"
             "The settings: every option, the folder and the window's place, an INI file with "
             "the sections Setting, File and chk. Read once at start and written at every close "
             "of the window; --stored reads it. Removing the package leaves it in place.\n"
             "@_Kestro.tmp\n"
             "The temporary list file, present only while a list is made: in the program's "
             "folder when that can be written, else in $XDG_CACHE_HOME/Kestro/. It is removed "
             "at the end of every run, however it ends.\n"
             "@HELP_FILE\n"
             "The help the window opens with F1.\n",
    .seeAlso = "The help of the window (F1), also readable in a browser.",
    .japanese = false,
};

const Language Japanese{
    .name = "kestro \\- フォルダー内のファイルの一覧をテキストで作成する",
    .section = "ユーザーコマンド",
    .synopsis = English.synopsis,
    .description = "Kestro はフォルダー内のファイルの一覧をテキストで作成します。\n"
                   "見出しの行に続けて、ファイルごとに一行、選んだ項目\n"
                   "(パス、名前、拡張子、サイズ、属性、ファイルタイプ、日時、\n"
                   "ハッシュ) を選んだ形で書きます。\n"
                   "引数なしで起動するとウィンドウを開きます。ウィンドウでは\n"
                   "一覧を作り、編集し、コピーし、保存できます。\n"
                   "設定とフォルダーは次の起動まで残ります。\n"
                   "\n"
                   "コマンドラインは同じ処理をウィンドウなしで行います。\n"
                   "名前の制御文字 (タブ, 改行など) は制御文字の図形\n"
                   "(␉ ␊ ␍ など) で示します (--csv を除く)。\n",
    .modes = "@--list [OPTIONS] [--] FOLDER\n"
             "FOLDER の一覧を標準出力に書きます (CR LF 改行)。\n"
             "\"-\" で始まるフォルダーやパスは -- の後に書きます。\n"
             "@--compare SAVED [OPTIONS] [--] FOLDER\n"
             "FOLDER の今の一覧を、保存した一覧 SAVED と比べ、\n"
             "追加 (+)、削除 (-)、変更 (~ 旧 → 新) の差分を\n"
             "SAVED と同じ形式で標準出力に書きます。列 (OPTIONS\n"
             "の列の指定) は SAVED と同じにしてください。\n"
             "@--info [--] PATH\n"
             "PATH のファイル情報を \"名前: 値\" の形で\n"
             "一行ずつ表示します。\n"
             "@--help\n"
             "コマンドラインの説明を表示します。\n"
             "@--version\n"
             "バージョン情報の画面と同じバージョンを表示します。\n",
    .options = "一覧のオプション",
    .optionsIntro = "--list と --compare の OPTIONS です。\n"
                    "既定値は初めて起動したウィンドウと同じです。",
    .exitStatus = "@0\n"
                  "正常 (--compare では違いがなかった)。\n"
                  "@1\n"
                  "エラーが標準エラーに報告された、\n"
                  "または中断された (Ctrl+C など)。\n"
                  "--info ではどの情報も得られなかった。\n"
                  "@2\n"
                  "使い方の誤り。\n"
                  "@3\n"
                  "一覧は作ったが、--skip-unreadable で\n"
                  "読み取れないフォルダーを除いた\n"
                  "(それぞれ標準エラーに示す)。\n"
                  "@4\n"
                  "--compare で、保存した一覧と違いがあった。\n",
    .environment = "@XDG_CONFIG_HOME\n"
                   "設定のフォルダーの場所 (既定 ~/.config)。\n"
                   "@XDG_CACHE_HOME\n"
                   "プログラムのフォルダーに書けないときの\n"
                   "一時ファイルの場所 (既定 ~/.cache)。\n",
    .files = "@$XDG_CONFIG_HOME/Kestro/Kestro.conf\n"
             "設定: すべてのオプション、フォルダー、ウィンドウの位置。\n"
             "セクション Setting, File, chk の INI ファイルです。\n"
             "起動時に読み、ウィンドウを閉じるたびに書きます。\n"
             "--stored はここから読みます。\n"
             "パッケージを削除してもこのファイルは残ります。\n"
             "@_Kestro.tmp\n"
             "一覧を作る間だけある一時ファイル。\n"
             "プログラムのフォルダーに書けるときはそこに、\n"
             "書けないときは $XDG_CACHE_HOME/Kestro/ に作ります。\n"
             "どう終わっても一覧の作成の終わりに削除します。\n"
             "@HELP_FILE\n"
             "ウィンドウが F1 で開くヘルプ。\n",
    .seeAlso = "ウィンドウのヘルプ (F1)。ブラウザーでも読めます。",
    .japanese = true,
};

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string manualPage(const Language& language, const std::vector<HelpEntry>& entries,
                       const std::string& version, const std::string& date,
                       const std::string& helpFile) {
    std::ostringstream page;
    page << ".\\\" Made by kestro_command_line_pages from the help of the option table.\n";
    page << ".TH KESTRO 1 \"" << date << "\" \"Kestro " << version << "\" \"" << language.section
         << "\"\n";
    // No hyphens; Japanese lines are kept as they are, flush left.
    page << ".nh\n";
    if (language.japanese)
        page << ".ad l\n";
    page << ".SH " << (language.japanese ? "名前" : "NAME") << "\n" << language.name << "\n";
    page << ".SH " << (language.japanese ? "書式" : "SYNOPSIS") << "\n" << language.synopsis;
    page << ".SH " << (language.japanese ? "説明" : "DESCRIPTION") << "\n"
         << paragraphs(language.description, language.japanese);
    page << ".SH " << (language.japanese ? "コマンド" : "COMMANDS") << "\n"
         << paragraphs(language.modes, language.japanese);
    page << ".SH " << language.options << "\n"
         << paragraphs(language.optionsIntro, language.japanese);
    for (const HelpEntry& entry : entries) {
        page << ".TP\n" << roffUsage(entry.usage) << "\n";
        const auto english = englishTexts().find(leadingSwitch(entry.usage));
        if (!language.japanese && english != englishTexts().end()) {
            page << roff(english->second);
            continue;
        }
        if (!language.japanese)
            std::cerr << "kestro_command_line_pages: no English text for " << entry.usage
                      << "; the English page shows the Japanese one\n";
        // The help's lines as they are: each one fits a terminal.
        for (std::size_t i = 0; i < entry.lines.size(); ++i)
            page << (i > 0 ? ".br\n" : "") << roff(entry.lines[i]);
    }
    page << ".SH " << (language.japanese ? "終了ステータス" : "EXIT STATUS") << "\n"
         << paragraphs(language.exitStatus, language.japanese);
    page << ".SH " << (language.japanese ? "環境変数" : "ENVIRONMENT") << "\n"
         << paragraphs(language.environment, language.japanese);
    page << ".SH " << (language.japanese ? "ファイル" : "FILES") << "\n"
         << paragraphs(replaced(language.files, "HELP_FILE", helpFile), language.japanese);
    page << ".SH " << (language.japanese ? "関連項目" : "SEE ALSO") << "\n"
         << paragraphs(language.seeAlso, language.japanese);
    return page.str();
}

// A case of the completion's choices: "    --size) words="byte kb mb" ;;".
std::string choiceCase(const Switch& item) {
    std::string words;
    for (const std::string& choice : item.choices)
        words += (words.empty() ? "" : " ") + choice;
    return "        " + item.name + ") words=\"" + words + "\" ;;\n";
}

// The completion: the modes first, then every switch of the entries, and the
// values of those that take one: after "=" for every such switch, as the
// next word only for those whose value is not optional.
std::string bashCompletion(const std::vector<HelpEntry>& entries) {
    std::string names, afterEquals, nextWord, anyValue;
    for (const HelpEntry& entry : entries) {
        for (const Switch& item : switchesOf(entry.usage)) {
            names += (names.empty() ? "" : " ") + item.name;
            if (item.optionalValue)
                names += " " + item.name + "=";
            if (!item.choices.empty()) {
                afterEquals += choiceCase(item);
                if (item.takesValue)
                    nextWord += choiceCase(item);
            } else if (item.takesValue) {
                anyValue += (anyValue.empty() ? "" : " | ") + item.name;
            }
        }
    }
    if (!anyValue.empty())
        nextWord += "        " + anyValue + ") return ;; # any text or file\n";
    std::ostringstream script;
    script << "# bash completion for kestro; made by kestro_command_line_pages from the help of\n"
              "# the option table.\n"
              "_kestro() {\n"
              "    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}\n"
              "    local option=\"\" words=\"\" i\n"
              "    COMPREPLY=()\n"
              "    if [ \"$COMP_CWORD\" -eq 1 ]; then\n"
              "        mapfile -t COMPREPLY < <(compgen -W \"--list --compare --info --help "
              "--version\" -- \"$cur\")\n"
              "        return\n"
              "    fi\n"
              "    case ${COMP_WORDS[1]} in\n"
              "    --list | --compare) ;;\n"
              "    *) return ;; # files (--info) or nothing\n"
              "    esac\n"
              "    # After \"--\" only the folder.\n"
              "    for ((i = 2; i < COMP_CWORD; i++)); do\n"
              "        [ \"${COMP_WORDS[i]}\" = \"--\" ] && return\n"
              "    done\n"
              "    # \"--size=kb\" comes as \"--size\" \"=\" \"kb\".\n"
              "    if [ \"$cur\" = \"=\" ]; then\n"
              "        option=$prev\n"
              "        cur=\"\"\n"
              "    elif [ \"$prev\" = \"=\" ]; then\n"
              "        option=${COMP_WORDS[COMP_CWORD - 2]}\n"
              "    fi\n"
              "    if [ -n \"$option\" ]; then\n"
              "        case $option in\n"
           << afterEquals
           << "        esac\n"
              "        [ -n \"$words\" ] || return # any text\n"
              "    else\n"
              "        case $prev in\n"
           << nextWord
           << "        esac\n"
              "    fi\n"
              "    if [ -z \"$words\" ]; then\n"
              "        [[ $cur == -* ]] || return # a folder\n"
              "        words=\""
           << names
           << "\"\n"
              "    fi\n"
              "    mapfile -t COMPREPLY < <(compgen -W \"$words\" -- \"$cur\")\n"
              "    # No space after a switch that takes its value after \"=\".\n"
              "    if [ ${#COMPREPLY[@]} -eq 1 ] && [[ ${COMPREPLY[0]} == *= ]]; then\n"
              "        compopt -o nospace\n"
              "    fi\n"
              "}\n"
              "complete -o bashdefault -o default -F _kestro kestro\n";
    return script.str();
}

bool write(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        std::cerr << "kestro_command_line_pages: cannot write " << path << "\n";
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: kestro_command_line_pages VERSION DATE HELP_FILE OUTPUT_FOLDER\n";
        return 2;
    }
    const std::string version = argv[1], date = argv[2], helpFile = argv[3];
    const std::filesystem::path folder = argv[4];
    std::string error;
    const auto entries = helpEntries(kestro::listOptionHelp(), error);
    if (!entries) {
        std::cerr << "kestro_command_line_pages: " << error << "\n";
        return 1;
    }
    // An option of the table that the help leaves out is left out here too.
    std::set<std::string> named;
    for (const HelpEntry& entry : *entries) {
        for (const Switch& item : switchesOf(entry.usage))
            named.insert(item.name);
    }
    for (const SettingDefinition& definition : kestro::optionTable()) {
        for (const std::string_view flag : {definition.onFlag, definition.offFlag}) {
            if (!flag.empty() && !named.contains(std::string(flag)))
                std::cerr << "kestro_command_line_pages: " << flag
                          << " of the option table is not in the help, nor in the pages\n";
        }
    }
    // A text whose option is gone (or renamed) is worth a word.
    for (const auto& [name, text] : englishTexts()) {
        const bool used = std::any_of(entries->begin(), entries->end(), [&](const HelpEntry& e) {
            return leadingSwitch(e.usage) == name;
        });
        if (!used)
            std::cerr << "kestro_command_line_pages: an English text for " << name
                      << ", which the help does not have\n";
    }
    const bool written =
        write(folder / "en" / "kestro.1", manualPage(English, *entries, version, date, helpFile)) &&
        write(folder / "ja" / "kestro.1",
              manualPage(Japanese, *entries, version, date, helpFile)) &&
        write(folder / "kestro.bash", bashCompletion(*entries));
    return written ? 0 : 1;
}
