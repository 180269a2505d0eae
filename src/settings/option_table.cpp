#include "settings/option_table.h"

#include <algorithm>
#include <array>

namespace kestro {

namespace {

using K = SettingKind;
using R = SettingRow;
using O = ListOptions;
using P = OptionPage;
using G = OptionGroup;

constexpr std::size_t OptionCount = static_cast<std::size_t>(SettingRow::Csv) + 1;

constexpr std::array<SettingDefinition, OptionCount> Options{{
    {.row = R::Top, .section = "Setting", .key = "Top", .kind = K::Position, .defaultText = "0"},
    {.row = R::Left, .section = "Setting", .key = "Left", .kind = K::Position, .defaultText = "0"},
    // The folder to list; on the command line it is the one argument that
    // is not an option.
    {.row = R::Folder,
     .section = "Setting",
     .key = "Dir",
     .kind = K::Folder,
     .defaultText = "",
     .control = "folderTree",
     .place = {.page = P::Window, .group = G::FolderColumn, .order = 10}},
    {.row = R::SubFolders,
     .section = "chk",
     .key = "chkSub",
     .kind = K::CheckBox,
     .defaultText = "1",
     .flag = &O::subFolders,
     .grayedCounts = true,
     .control = "subFoldersCheck",
     .onFlag = "--sub",
     .offFlag = "--no-sub",
     .help = {20, "サブフォルダーを調べる (既定 する)"},
     .place =
         {.page = P::Window, .group = G::CommandRow, .order = 900, .caption = "ｻﾌﾞﾌｫﾙﾀﾞを調べる"}},
    {.row = R::Hidden,
     .section = "File",
     .key = "Hidden",
     .kind = K::Truth,
     .defaultText = "False",
     .flag = &O::includeHidden,
     .control = "hiddenEntry",
     .onFlag = "--hidden",
     .help = {30, "隠しファイル、システムファイルも出力する"}},
    {.row = R::System,
     .section = "File",
     .key = "System",
     .kind = K::Truth,
     .defaultText = "False",
     .flag = &O::includeSystem,
     .control = "systemEntry",
     .onFlag = "--system",
     .help = {31, ""}},
    {.row = R::PathColumn,
     .section = "chk",
     .key = "Path",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::pathColumn,
     .control = "pathColumnCheck",
     .onFlag = "--path",
     .help = {50, "パス名の列、パスとファイル名の間に区切り文字を入れない"},
     .place = {.page = P::Columns,
               .group = G::PathFrame,
               .order = 100,
               .caption = "ﾊﾟｽ名",
               .titlesFrame = true}},
    {.row = R::ShortPath,
     .section = "chk",
     .key = "ShortPath",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::shortPath,
     .control = "shortPathCheck",
     .onFlag = "--short-path",
     .help = {60, "パス名の変換"},
     .place = {.page = P::Columns, .group = G::PathFrame, .order = 110, .caption = "短いﾊﾟｽ"}},
    {.row = R::UpperCaseFolder,
     .section = "chk",
     .key = "DirLarge",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::upperCaseFolder,
     .control = "upperCaseFolderCheck",
     .onFlag = "--dir-upper",
     .help = {61, ""},
     .place = {.page = P::Columns, .group = G::PathFrame, .order = 120, .caption = "大文字に変換"}},
    {.row = R::HalfWidthFolder,
     .section = "chk",
     .key = "DirHalf",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::halfWidthFolder,
     .control = "halfWidthFolderCheck",
     .onFlag = "--dir-half",
     .help = {62, ""},
     .place = {.page = P::Columns, .group = G::PathFrame, .order = 130, .caption = "半角に変換"}},
    {.row = R::JoinPathAndName,
     .section = "chk",
     .key = "Div",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::joinPathAndName,
     .control = "joinPathAndNameCheck",
     .onFlag = "--join",
     .help = {51, ""},
     .place =
         {.page = P::Columns, .group = G::PathFrame, .order = 140, .caption = "区切り文字なし"}},
    {.row = R::DropExtension,
     .section = "chk",
     .key = "DelKaku",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::dropExtension,
     .control = "dropExtensionCheck",
     .onFlag = "--drop-ext",
     .help = {73, ""},
     .place = {.page = P::Columns, .group = G::NameFrame, .order = 200, .caption = "拡張子を削除"}},
    {.row = R::ShortName,
     .section = "chk",
     .key = "Short",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::shortName,
     .control = "shortNameCheck",
     .onFlag = "--short-name",
     .help = {70, "ファイル名の変換"},
     .place = {.page = P::Columns, .group = G::NameFrame, .order = 210, .caption = "短い名前"}},
    {.row = R::UpperCaseName,
     .section = "chk",
     .key = "FNameLarge",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::upperCaseName,
     .control = "upperCaseNameCheck",
     .onFlag = "--name-upper",
     .help = {71, ""},
     .place = {.page = P::Columns, .group = G::NameFrame, .order = 220, .caption = "大文字に変換"}},
    {.row = R::HalfWidthName,
     .section = "chk",
     .key = "FNameHalf",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::halfWidthName,
     .control = "halfWidthNameCheck",
     .onFlag = "--name-half",
     .help = {72, ""},
     .place = {.page = P::Columns, .group = G::NameFrame, .order = 230, .caption = "半角に変換"}},
    // Switched on from the command line by the size unit's "--size".
    {.row = R::SizeColumn,
     .section = "chk",
     .key = "FileSize",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::sizeColumn,
     .control = "sizeColumnCheck",
     .place = {.page = P::Columns,
               .group = G::SizeFrame,
               .order = 400,
               .caption = "ﾌｧｲﾙｻｲｽﾞ",
               .titlesFrame = true}},
    // The three unit buttons, sizeUnitButton0 to 2; "--size[=byte|kb|mb]"
    // also chooses the size column.
    {.row = R::SizeUnit,
     .section = "chk",
     .key = "Byte",
     .kind = K::SizeUnit,
     .defaultText = "0",
     .control = "sizeUnitButton",
     .onFlag = "--size",
     .help = {81, ""},
     .place = {.page = P::Columns, .group = G::SizeFrame, .order = 410}},
    {.row = R::CreationTime,
     .section = "chk",
     .key = "TimeMake",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::creationTimeColumn,
     .control = "creationTimeCheck",
     .onFlag = "--created",
     .help = {90, "作成日時, 更新日時, アクセス日の列"},
     .place = {.page = P::Columns, .group = G::TimeFrame, .order = 500, .caption = "作成日時"}},
    {.row = R::WriteTime,
     .section = "chk",
     .key = "TimeRenew",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::writeTimeColumn,
     .control = "writeTimeCheck",
     .onFlag = "--modified",
     .help = {91, ""},
     .place = {.page = P::Columns, .group = G::TimeFrame, .order = 510, .caption = "更新日時"}},
    {.row = R::AccessTime,
     .section = "chk",
     .key = "TimeAccess",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::accessTimeColumn,
     .control = "accessTimeCheck",
     .onFlag = "--accessed",
     .help = {92, ""},
     .place = {.page = P::Columns, .group = G::TimeFrame, .order = 520, .caption = "アクセス日"}},
    {.row = R::ExtensionColumn,
     .section = "chk",
     .key = "Kaku",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::extensionColumn,
     .control = "extensionColumnCheck",
     .onFlag = "--ext",
     .help = {80, "拡張子, ﾌｧｲﾙｻｲｽﾞ, 属性, ﾌｧｲﾙﾀｲﾌﾟの列"},
     .place = {.page = P::Columns, .group = G::ColumnList, .order = 300, .caption = "拡張子"}},
    {.row = R::InsertPathLine,
     .section = "chk",
     .key = "InsPath",
     .kind = K::CheckBox,
     .defaultText = "1",
     .flag = &O::insertPathLine,
     .control = "insertPathLineCheck",
     .onFlag = "--folder-lines",
     .offFlag = "--no-folder-lines",
     .help = {110, "フォルダーが変わるごとにパスを挿入する (既定 する)"},
     .place = {.page = P::Output,
               .group = G::OutputRows,
               .order = 600,
               .caption = "ﾌｫﾙﾀﾞが変わるごとにﾊﾟｽを挿入する"}},
    {.row = R::DropDrive,
     .section = "chk",
     .key = "DirDelDrive",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::dropDrive,
     .control = "dropDriveCheck",
     .onFlag = "--drop-drive",
     .help = {120, "挿入するパスからドライブ名を削除する"},
     .place = {.page = P::Output,
               .group = G::OutputRows,
               .order = 610,
               .caption = "ﾄﾞﾗｲﾌﾞ名を削除",
               .indent = 300,
               .drop = 30}},
    {.row = R::LeadingTab,
     .section = "chk",
     .key = "Tabs",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::leadingTab,
     .control = "leadingTabCheck",
     .onFlag = "--leading-tab",
     .help = {100, "ファイル名の先頭にタブを入れる"},
     .place = {.page = P::Output,
               .group = G::OutputRows,
               .order = 620,
               .caption = "ﾌｧｲﾙ名の先頭にﾀﾌﾞを入れる",
               .drop = 180}},
    {.row = R::AttributeColumn,
     .section = "chk",
     .key = "Attribute",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::attributeColumn,
     .control = "attributeColumnCheck",
     .onFlag = "--attr",
     .help = {82, ""},
     .place = {.page = P::Columns, .group = G::ColumnList, .order = 310, .caption = "属性"}},
    {.row = R::FileTypeColumn,
     .section = "chk",
     .key = "FileType",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::fileTypeColumn,
     .control = "fileTypeColumnCheck",
     .onFlag = "--type",
     .help = {83, ""},
     .place = {.page = P::Columns, .group = G::ColumnList, .order = 320, .caption = "ﾌｧｲﾙﾀｲﾌﾟ"}},
    // Stored as the box shows it; resolved to the separator at every run.
    {.row = R::Separator,
     .section = "chk",
     .key = "DivStr",
     .kind = K::Separator,
     .defaultText = SeparatorTabChoice,
     .control = "separatorBox",
     .onFlag = "--separator",
     .help = {40, "区切り文字: ﾀﾌﾞ (既定), ｾﾐｺﾛﾝ, |, CSV, 任意の文字列"},
     .place = {.page = P::Output,
               .group = G::SeparatorFrame,
               .order = 630,
               .drop = 180,
               .belowPrevious = true}},
    {.row = R::SkipUnreadable,
     .section = "Setting",
     .key = "SkipUnreadable",
     .kind = K::Truth,
     .defaultText = "False",
     .flag = &O::skipUnreadable,
     .control = "skipUnreadableEntry",
     .onFlag = "--skip-unreadable",
     .help = {140, "読み取れないフォルダーを除いて続け、最後に\n標準エラーに示す"}},
    {.row = R::Totals,
     .section = "chk",
     .key = "Totals",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::totals,
     .control = "totalsCheck",
     .onFlag = "--totals",
     .help = {125, "フォルダーごとと最後にファイル数とサイズの合計を入れる"},
     .place = {.page = P::Output,
               .group = G::OutputRows,
               .order = 640,
               .caption = "合計",
               .drop = 180,
               .belowPrevious = true}},
    // Switched on from the command line by the algorithm's "--hash".
    {.row = R::HashColumn,
     .section = "chk",
     .key = "Hash",
     .kind = K::CheckBox,
     .defaultText = "0",
     .flag = &O::hashColumn,
     .control = "hashColumnCheck",
     .place = {.page = P::Columns, .group = G::ColumnList, .order = 330, .caption = "ﾊｯｼｭ"}},
    // "--hash[=sha256|md5]" also chooses the checksum column.
    {.row = R::HashAlgorithm,
     .section = "chk",
     .key = "HashAlgorithm",
     .kind = K::Digest,
     .defaultText = "sha256",
     .control = "hashAlgorithmBox",
     .onFlag = "--hash",
     .help = {85, "ﾊｯｼｭの列: ファイル内容の SHA-256 (既定) または MD5"},
     .place = {.page = P::Columns, .group = G::ColumnList, .order = 340}},
    {.row = R::Patterns,
     .kind = K::Patterns,
     .defaultText = "*.*",
     .control = "patternBox",
     .onFlag = "--patterns",
     .help = {10, "ファイル名のパターン、; で区切って複数 (既定・空 *.*)"},
     .place = {.page = P::Window, .group = G::FolderColumn, .order = 20}},
    {.row = R::LineFeedOnly,
     .kind = K::Switch,
     .flag = &O::lineFeedOnly,
     .onFlag = "--lf",
     .help = {130, "改行を CR LF でなく LF にする"}},
    // The separator box's "CSV" chooses the same; "--separator TEXT" after
    // it chooses the separator again.
    {.row = R::Csv,
     .kind = K::Switch,
     .flag = &O::csv,
     .onFlag = "--csv",
     .help = {41, "CSV (RFC 4180) で出力する (--separator CSV と同じ)。\n"
                  "名前は制御文字もそのまま。= + - @ タブ CR で\n"
                  "始まるセルには前に ' を付け、数式として実行させない"}},
}};

// The table is indexed by row, stored rows first; keep them in step.
constexpr bool rowsInOrder() {
    for (std::size_t i = 0; i < Options.size(); ++i) {
        if (static_cast<std::size_t>(Options[i].row) != i)
            return false;
        if (Options[i].section.empty() != (i >= SettingRowCount))
            return false;
    }
    return true;
}
static_assert(rowsInOrder());

// A placed control has a tab order of its own, and a group stands on one
// page.
constexpr bool placesConsistent() {
    for (const SettingDefinition& one : Options) {
        if ((one.place.page == P::None) != (one.place.group == G::None))
            return false;
        for (const SettingDefinition& other : Options) {
            if (&one == &other || one.place.page == P::None || other.place.page == P::None)
                continue;
            if (one.place.order == other.place.order)
                return false;
            if (one.place.group == other.place.group && one.place.page != other.place.page)
                return false;
        }
    }
    return true;
}
static_assert(placesConsistent());

} // namespace

std::span<const SettingDefinition> optionTable() {
    return Options;
}

std::span<const SettingDefinition> settingDefinitions() {
    return std::span<const SettingDefinition>(Options).first(SettingRowCount);
}

const SettingDefinition& definitionOf(SettingRow row) {
    return Options[static_cast<std::size_t>(row)];
}

std::vector<const SettingDefinition*> rowsOn(OptionPage page) {
    std::vector<const SettingDefinition*> rows;
    for (const SettingDefinition& definition : Options) {
        if (page != P::None && definition.place.page == page)
            rows.push_back(&definition);
    }
    std::ranges::sort(rows, {}, [](const SettingDefinition* row) { return row->place.order; });
    return rows;
}

} // namespace kestro
