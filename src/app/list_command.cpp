#include "app/list_command.h"

#include "app/standard_streams.h"

#include "compare/comparing_host.h"

#include "document/document_file.h"

#include "export/workbook_export.h"

#include "listgen/error_report.h"
#include "listgen/list_engine.h"
#include "listgen/name_helpers.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/short_names.h"
#include "platform/standard_streams.h"
#include "platform/termination_signals.h"
#include "settings/persisted_settings.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <iostream>
#include <new>
#include <optional>

namespace kestro {

namespace {

// Set by a request to end the program (Ctrl+C among them).
const std::atomic<bool>& interrupted = terminationRequested();

// Options that take a text, as "--name TEXT" or "--name=TEXT".
bool takeValue(const std::vector<std::string>& arguments, std::size_t& i, const std::string& name,
               std::string& value, std::string& error) {
    const std::string& argument = arguments[i];
    if (argument.rfind(name + "=", 0) == 0) {
        value = argument.substr(name.size() + 1);
        return true;
    }
    if (argument != name)
        return false;
    if (i + 1 >= arguments.size()) {
        error = name + " には値が必要です。";
        return false;
    }
    value = arguments[++i];
    return true;
}

using OptionChange = std::function<void(ListOptions&)>;

// The change of the options the option table gives `arguments[i]` (moving
// `i` past a value taken from the next argument); nothing for an argument
// that names no option, or, with `error` set, for a bad one.
std::optional<OptionChange> optionOf(const std::vector<std::string>& arguments, std::size_t& i,
                                     std::string& error) {
    const std::string& argument = arguments[i];
    for (const SettingDefinition& definition : optionTable()) {
        if (definition.onFlag.empty())
            continue;
        const std::string name(definition.onFlag);
        switch (definition.kind) {
        case SettingKind::CheckBox:
        case SettingKind::Truth:
        case SettingKind::Switch:
            if (argument == name ||
                (!definition.offFlag.empty() && argument == definition.offFlag)) {
                return [flag = definition.flag, on = argument == name](ListOptions& options) {
                    options.*flag = on;
                };
            }
            break;
        case SettingKind::Separator:
        case SettingKind::Patterns: {
            SettingValue value;
            if (takeValue(arguments, i, name, value.text, error)) {
                return [&definition, value](ListOptions& options) {
                    applyToOptions(options, definition, value);
                };
            }
            if (!error.empty())
                return std::nullopt;
            break;
        }
        case SettingKind::SizeUnit: {
            if (argument != name && argument.rfind(name + "=", 0) != 0)
                break;
            // The unit is given with the size column's switch.
            const std::string unit = argument == name ? "byte" : argument.substr(name.size() + 1);
            const int index = unit == "byte" ? 0 : unit == "kb" ? 1 : unit == "mb" ? 2 : -1;
            if (index < 0) {
                error = name;
                error += " の単位は byte, kb, mb のいずれかです: ";
                error += unit;
                return std::nullopt;
            }
            return [index](ListOptions& options) {
                options.sizeColumn = true;
                options.sizeUnit = index;
            };
        }
        case SettingKind::Digest: {
            if (argument != name && argument.rfind(name + "=", 0) != 0)
                break;
            // The algorithm is given with the checksum column's switch.
            const std::string algorithm =
                argument == name ? "sha256" : argument.substr(name.size() + 1);
            const int index = hashAlgorithmIndex(algorithm);
            if (index < 0) {
                error = name;
                error += " のアルゴリズムは sha256, md5 のいずれかです: ";
                error += algorithm;
                return std::nullopt;
            }
            return [index](ListOptions& options) {
                options.hashColumn = true;
                options.hashAlgorithm = index;
            };
        }
        case SettingKind::Position:
        case SettingKind::Folder:
            break;
        }
    }
    return std::nullopt;
}

// The command-line host: no event loop, Ctrl+C as the abort button, the
// status on one line of a terminal, the list streamed to standard output.
class CommandLineHost : public ListHost {
public:
    CommandLineHost(ListOptions options, TextEncoding encoding)
        : options_(std::move(options)), encoding_(encoding),
          showStatus_(standardErrorIsTerminal()) {}

    bool failed() const { return failed_; }

    void enableControls(bool) override {}
    RootChoice readRoot() override { return {options_.rootFolder, options_.subFolders}; }
    ListOptions readOptions() override { return options_; }
    void yield() override {}
    bool abortRequested() const override { return interrupted; }
    void clearAbortRequest() override {}

    void setStatus(int panel, const std::string& text) override {
        if (!showStatus_)
            return;
        status_[panel == 1 ? 0 : 1] = text;
        const auto now = std::chrono::steady_clock::now();
        const bool cleared = status_[0].empty() && status_[1].empty();
        if (!cleared && now - lastShown_ < std::chrono::milliseconds(100))
            return;
        lastShown_ = now;
        if (cleared && !statusShown_)
            return;
        std::string line;
        if (!cleared)
            appendShowingControls(line, status_[0] + " " + status_[1]);
        showStatusLine(line);
        statusShown_ = !cleared;
    }

    bool showsStatus() const override { return showStatus_; }

    void reportFailure(const Failure& failure) override {
        failed_ = true;
        clearStatusLine();
        reportOnStandardError(failure);
    }

    void noteSkippedFolders(const std::vector<Failure>& skipped) override { skipped_ = skipped; }
    const std::vector<Failure>& skipped() const { return skipped_; }
    void noteAfterList(const std::string& text) override { notes_.push_back(text); }
    const std::vector<std::string>& notes() const { return notes_; }
    void noteChangedWhileRead(const std::vector<std::string>& files) override {
        changedWhileRead_ = !files.empty();
        ListHost::noteChangedWhileRead(files);
    }
    bool changedWhileRead() const { return changedWhileRead_; }

    void reportAbort(const std::string& text, const std::string&) override {
        failed_ = true;
        std::cerr << "kestro: " << text << std::endl;
    }

    Status acceptList(ListText& list) override {
        // The list's first line starts a line of its own on a terminal that
        // shares standard error.
        clearStatusLine();
        if (encoding_ == TextEncoding::ShiftJis)
            return acceptWholeList(list);
        // A console shows characters: the mark would be one more.
        if (encoding_ == TextEncoding::Utf8Bom && !standardOutputShowsCharacters())
            if (auto written = writeOut(*encodeTextFile({}, encoding_)); !written)
                return written;
        constexpr std::size_t BlockSize = 1 << 20;
        for (;;) {
            if (interrupted)
                return outputFailure(0);
            auto block = list.nextBlock(BlockSize);
            if (!block)
                return block.failure();
            if (block.value().empty())
                return Ok{};
            if (auto written = writeOut(block.value()); !written)
                return written;
        }
    }

private:
    void clearStatusLine() {
        status_[0].clear();
        status_[1].clear();
        setStatus(1, "");
    }

    // Shift-JIS: a first pass converts the list without writing, so that a
    // character it cannot hold leaves the output empty; the second pass
    // writes. Both go line by line through the temporary file, so memory
    // stays flat whatever the list's size.
    Status acceptWholeList(ListText& list) {
        const bool showsCharacters = standardOutputShowsCharacters();
        for (const bool writing : {false, true}) {
            list.rewind();
            std::string pending; // the part of the last block after its last line feed
            std::size_t linesBefore = 0;
            for (bool atEnd = false; !atEnd;) {
                if (interrupted)
                    return outputFailure(0);
                auto block = list.nextBlock(1 << 20);
                if (!block)
                    return block.failure();
                atEnd = block.value().empty();
                pending += block.value();
                // Whole lines only, so no character is cut between blocks.
                const std::size_t cut = atEnd ? pending.size() : pending.rfind('\n') + 1;
                const std::string_view lines(pending.data(), cut);
                UnencodableCharacter refused;
                const std::optional<std::string> bytes = encodeTextFile(lines, encoding_, &refused);
                if (!bytes) {
                    refused.line += linesBefore;
                    Failure failed;
                    failed.number = UnencodableFailure;
                    failed.description = unencodableText(refused);
                    return failed;
                }
                // A console is written characters: it shows the list's text
                // whatever bytes a file of it would hold.
                if (writing)
                    if (auto written = writeOut(showsCharacters ? lines : *bytes); !written)
                        return written;
                linesBefore +=
                    static_cast<std::size_t>(std::count(lines.begin(), lines.end(), '\n'));
                pending.erase(0, cut);
            }
        }
        return Ok{};
    }

    Status writeOut(std::string_view bytes) {
        // Straight to the descriptor, so that Ctrl+C also ends a write
        // blocked on a reader that does not read.
        if (const int error = writeStandardOutputUnless(bytes, interrupted); error != 0)
            return outputFailure(error);
        return Ok{};
    }

    static Failure outputFailure(int error) {
        // Ctrl+C while the list is being written out is the user's abort,
        // and a reader that went away (a pipe into "head") is not worth a
        // report: both end the run without the failure box's text.
        if (interrupted) {
            std::cerr << "kestro: " << AbortText << std::endl;
            return Failure{};
        }
        if (readerWentAway(error))
            return Failure{};
        return standardOutputFailure(error);
    }

    ListOptions options_;
    TextEncoding encoding_;
    bool showStatus_;
    bool failed_ = false;
    bool changedWhileRead_ = false;
    std::vector<Failure> skipped_;
    std::vector<std::string> notes_;
    std::string status_[2];
    bool statusShown_ = false;
    std::chrono::steady_clock::time_point lastShown_{};
};

} // namespace

namespace {

// One entry of the help: the switches, then the text from the 26th column
// on (on a line of its own below switches too long for that).
void appendHelpEntry(std::string& help, std::string_view usage, std::string_view text) {
    constexpr std::size_t TextColumn = 25;
    const std::size_t start = help.size();
    help += "  ";
    help += usage;
    const std::size_t used = help.size() - start;
    if (used < TextColumn)
        help.append(TextColumn - used, ' ');
    else
        help += "\n" + std::string(TextColumn, ' ');
    for (char c : text) {
        help += c;
        if (c == '\n')
            help.append(TextColumn, ' ');
    }
    help += '\n';
}

std::string usageOf(const SettingDefinition& definition) {
    std::string usage(definition.onFlag);
    switch (definition.kind) {
    case SettingKind::Separator:
    case SettingKind::Patterns:
        usage += " TEXT";
        break;
    case SettingKind::SizeUnit:
        usage += "[=byte|kb|mb]";
        break;
    case SettingKind::Digest:
        usage += "[=sha256|md5]";
        break;
    default:
        if (!definition.offFlag.empty())
            usage += " | " + std::string(definition.offFlag);
        break;
    }
    return usage;
}

} // namespace

std::string listOptionHelp() {
    std::string help;
    appendHelpEntry(help, "--stored",
                    "ウィンドウが終了時に保存した設定から始めます\n"
                    "(FOLDER を省くと保存されたフォルダー)");
    std::vector<const SettingDefinition*> shown;
    for (const SettingDefinition& definition : optionTable()) {
        if (definition.help.place > 0)
            shown.push_back(&definition);
    }
    std::stable_sort(shown.begin(), shown.end(),
                     [](const auto* a, const auto* b) { return a->help.place < b->help.place; });
    // Options without a text of their own share the line of the one before.
    for (std::size_t i = 0; i < shown.size();) {
        std::string usage = usageOf(*shown[i]);
        const std::string_view text = shown[i]->help.text;
        for (++i; i < shown.size() && shown[i]->help.text.empty(); ++i)
            usage += "  " + usageOf(*shown[i]);
        appendHelpEntry(help, usage, text);
    }
    appendHelpEntry(help, "--encoding utf8|utf8-bom|sjis",
                    "一覧の文字コード: UTF-8 (既定)、BOM 付き UTF-8、\n"
                    "シフトJIS (CP932)。シフトJIS にない文字があると\n"
                    "何も出力せず、その行と文字を示して終了状態 1");
    appendHelpEntry(help, "--xlsx FILE",
                    "一覧を標準出力でなく Excel ﾌﾞｯｸ (.xlsx) として FILE に\n"
                    "書きます。ｻｲｽﾞは数値、日時は日付時刻のｾﾙ。\n"
                    "--csv, --lf, --encoding とは併用できません");
    return help;
}

ListOptions ListCommandLine::appliedTo(ListOptions base) const {
    for (const auto& change : changes)
        change(base);
    return base;
}

std::optional<ListCommandLine> parseListArguments(const std::vector<std::string>& arguments,
                                                  std::string& error) {
    ListCommandLine result;
    auto& changes = result.changes;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto option = optionOf(arguments, i, error);
        if (option) {
            changes.push_back(std::move(*option));
            continue;
        }
        if (!error.empty())
            return std::nullopt;
        std::string encoding;
        if (takeValue(arguments, i, "--encoding", encoding, error)) {
            const std::optional<TextEncoding> named = encodingNamed(encoding);
            if (!named) {
                error = "--encoding は utf8, utf8-bom, sjis のいずれかです: " + encoding;
                return std::nullopt;
            }
            result.encoding = *named;
            result.encodingGiven = true;
        } else if (!error.empty()) {
            return std::nullopt;
        } else if (takeValue(arguments, i, "--xlsx", result.workbook, error) || !error.empty()) {
            if (error.empty() && (result.workbook.empty() || result.workbook == "-"))
                error = "--xlsx には書き込むファイルを指定してください (標準出力には書けません)。";
            if (!error.empty())
                return std::nullopt;
        } else if (argument == "--stored") {
            result.useStored = true;
        } else if (argument == "--") {
            if (i + 2 != arguments.size()) {
                error = "フォルダーは一つだけ指定してください。";
                return std::nullopt;
            }
            result.folder = arguments[i + 1];
            break;
        } else if (argument.size() > 1 && argument.front() == '-') {
            // A folder whose name starts with "-" comes after "--".
            error = "不明なオプションです: " + argument;
            return std::nullopt;
        } else if (result.folder.empty()) {
            result.folder = argument;
        } else {
            error = "フォルダーは一つだけ指定してください。";
            return std::nullopt;
        }
    }
    if (result.folder.empty() && !result.useStored) {
        error = "一覧を作るフォルダーを指定してください。";
        return std::nullopt;
    }
    result.options = result.appliedTo(ListOptions{});
    result.options.rootFolder = result.folder;
    // A workbook has no text form.
    if (!result.workbook.empty() &&
        (result.encodingGiven || result.options.csv || result.options.lineFeedOnly)) {
        error = "--xlsx は --csv, --lf, --encoding と一緒には使えません。";
        return std::nullopt;
    }
    return result;
}

namespace {

// The list of FOLDER, or with `savedPath` its comparison with the list saved
// there, on standard output.
int runListOrComparison(const std::vector<std::string>& arguments, const std::string* savedPath) {
    std::string error;
    auto commandLine = parseListArguments(arguments, error);
    if (!commandLine) {
        std::cerr << "kestro: " << showingControls(error) << "\n"; // may quote an argument
        return 2;
    }
    if (savedPath && !commandLine->workbook.empty()) {
        std::cerr << "kestro: --compare には --xlsx を使えません。\n";
        return 2;
    }
    ignoreClosedReader();

    ListOptions options = commandLine->options;
    bool storedFailed = false;
    if (commandLine->useStored) {
        // The options the window stored at its last close, then the ones
        // given here; the pattern box is not stored.
        const SettingsStore store(SettingsApplication);
        if (store.readFailure()) {
            // Not some defaults in place of the options the user stored.
            reportOnStandardError(*store.readFailure());
            return 1;
        }
        const StoredList stored = readStoredList(store);
        for (const auto& failure : stored.failures)
            reportOnStandardError(failure);
        storedFailed = !stored.failures.empty();
        options = commandLine->appliedTo(stored.options);
        if (!commandLine->folder.empty()) {
            options.rootFolder = commandLine->folder;
        } else if (!stored.folderStored) {
            // The window never ran (or never closed): no folder of the
            // user's to list, and not the program's own instead.
            std::cerr << "kestro: 保存されたフォルダーがないため、一覧を作るフォルダーを"
                         "指定してください。\n";
            return 1;
        } else if (stored.folderFailure) {
            // A script must not silently list some other folder.
            reportOnStandardError(*stored.folderFailure);
            return 1;
        } else {
            options.rootFolder = stored.folder;
        }
    }
    // The folder in one form: the system's separators, and with short paths
    // the one its folder lines and path cells both show.
    options.rootFolder = nativeSeparators(options.rootFolder);
    if (options.pathColumn && options.shortPath)
        options.rootFolder = shortPathsRoot(options.rootFolder);
    std::optional<SavedList> saved;
    if (savedPath && standardOutputIsFile(*savedPath)) {
        // The difference list would land in the list it is read from.
        std::cerr << "kestro: 保存した一覧のファイルが標準出力と同じため、比較できません: "
                  << showingControls(*savedPath) << "\n";
        return 1;
    }
    if (savedPath) {
        auto read = SavedList::read(*savedPath, options);
        if (!read) {
            reportOnStandardError(read.failure());
            return 1;
        }
        saved.emplace(std::move(read).value());
    }
    // Only now: until the list is made, a signal may end the program at once
    // (reading a huge settings file or saved list must not keep it from
    // going).
    abortOnTerminationRequests();
    CommandLineHost host(options, commandLine->encoding);
    std::optional<ComparingHost> comparing;
    if (saved)
        comparing.emplace(host, *saved);
    const RunOutcome outcome = comparing ? runCreateCommand(*comparing)
                               : !commandLine->workbook.empty()
                                   ? runWorkbookCommand(host, commandLine->workbook)
                                   : runCreateCommand(host);
    if (outcome != RunOutcome::Listed || host.failed())
        return 1;
    // Each folder left out is named once, after the list; a list with gaps
    // is not a plain success.
    if (!host.skipped().empty()) {
        std::cerr << "kestro: " << SkippedFoldersNote << "\n";
        for (const auto& failure : host.skipped())
            std::cerr << "kestro:   ｴﾗｰ番号 " << failure.number << " "
                      << showingControls(failure.description) << "\n";
    }
    for (const std::string& note : host.notes())
        std::cerr << "kestro: " << note << "\n";
    std::cerr.flush();
    // A list with gaps says so before a comparison's differences: a file
    // whose checksum is missing is a failure unless gaps were accepted.
    if (storedFailed || (host.changedWhileRead() && !options.skipUnreadable))
        return 1;
    if (!host.skipped().empty() || host.changedWhileRead())
        return 3;
    if (comparing && comparing->counts() && comparing->counts()->any())
        return 4;
    return 0;
}

} // namespace

int runListCommand(const std::vector<std::string>& arguments) {
    return runListOrComparison(arguments, nullptr);
}

int runCompareCommand(const std::vector<std::string>& arguments) {
    if (arguments.empty() || arguments.front().empty()) {
        std::cerr << "kestro: 比較する保存した一覧のファイルを指定してください。\n";
        return 2;
    }
    return runListOrComparison({arguments.begin() + 1, arguments.end()}, &arguments.front());
}

} // namespace kestro
