#include "settings/persisted_settings.h"

#include "platform/paths.h"
#include "platform/program_paths.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kestro {
namespace {

using test::ScopedEnv;
using test::TempTree;

// A settings store under a temporary configuration folder.
class StoreTest : public ::testing::Test {
protected:
    TempTree tree;
    ScopedEnv config{test::ConfigHomeVariable, tree / "config"};

    std::string confPath() const { return tree / "config/Kestro/Kestro.conf"; }

    void writeConf(const std::string& text) { tree.file("config/Kestro/Kestro.conf", text); }
    // A path as the file writes it: "\" (the Windows separator) escaped.
    static std::string escaped(const std::string& path) {
        std::string text;
        for (char c : path)
            text += c == '\\' ? std::string("\\\\") : std::string(1, c);
        return text;
    }
};

TEST(PersistedSettingsTable, RowsKeysAndDefaultsInStoredOrder) {
    struct Expected {
        const char* section;
        const char* key;
        const char* defaultText;
    };
    const Expected expected[] = {
        {"Setting", "Top", "0"},
        {"Setting", "Left", "0"},
        {"Setting", "Dir", ""},
        {"chk", "chkSub", "1"},
        {"File", "Hidden", "False"},
        {"File", "System", "False"},
        {"chk", "Path", "0"},
        {"chk", "ShortPath", "0"},
        {"chk", "DirLarge", "0"},
        {"chk", "DirHalf", "0"},
        {"chk", "Div", "0"},
        {"chk", "DelKaku", "0"},
        {"chk", "Short", "0"},
        {"chk", "FNameLarge", "0"},
        {"chk", "FNameHalf", "0"},
        {"chk", "FileSize", "0"},
        {"chk", "Byte", "0"},
        {"chk", "TimeMake", "0"},
        {"chk", "TimeRenew", "0"},
        {"chk", "TimeAccess", "0"},
        {"chk", "Kaku", "0"},
        {"chk", "InsPath", "1"},
        {"chk", "DirDelDrive", "0"},
        {"chk", "Tabs", "0"},
        {"chk", "Attribute", "0"},
        {"chk", "FileType", "0"},
        {"chk", "DivStr", "ﾀﾌﾞ"},
        {"Setting", "SkipUnreadable", "False"},
        {"chk", "Totals", "0"},
        {"chk", "Hash", "0"},
        {"chk", "HashAlgorithm", "sha256"},
    };
    const auto& rows = settingDefinitions();
    ASSERT_EQ(std::size(expected), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<std::size_t>(rows[i].row), i);
        EXPECT_EQ(rows[i].section, expected[i].section);
        EXPECT_EQ(rows[i].key, expected[i].key);
        EXPECT_EQ(rows[i].defaultText, expected[i].defaultText);
    }
}

TEST(PersistedSettingsConversion, Numbers) {
    struct Case {
        const char* text;
        int number; // 0 when a failure is expected
        float single;
        int integerFailure; // failure of toInteger16, 0 for none
        int singleFailure;  // failure of toSingle, 0 for none
    };
    const Case cases[] = {
        {"1530", 1530, 1530.0f, 0, 0},
        {" -45 ", -45, -45.0f, 0, 0},
        {"+7", 7, 7.0f, 0, 0},
        {"2.5", 2, 2.5f, 0, 0},   // halves round to even
        {"3.5", 4, 3.5f, 0, 0},   //
        {"1.49", 1, 1.49f, 0, 0}, //
        {"1e3", 1000, 1000.0f, 0, 0},
        {".5", 0, 0.5f, 0, 0},
        {"32767", 32767, 32767.0f, 0, 0},
        {"-32768", -32768, -32768.0f, 0, 0},
        {"32768", 0, 32768.0f, 6, 0},
        {"1e39", 0, 0, 6, 6},
        {"1e400", 0, 0, 6, 6},
        {"abc", 0, 0, 13, 13},
        {"", 0, 0, 13, 13},
        {"12abc", 0, 0, 13, 13},
        {"1e", 0, 0, 13, 13},
        {"inf", 0, 0, 13, 13},
        {"nan", 0, 0, 13, 13},
        {"0x10", 0, 0, 13, 13},
        {"-", 0, 0, 13, 13},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        auto integer = toInteger16(c.text);
        if (c.integerFailure) {
            ASSERT_FALSE(integer);
            EXPECT_EQ(integer.failure().number, c.integerFailure);
        } else {
            ASSERT_TRUE(integer);
            EXPECT_EQ(integer.value(), c.number);
        }
        auto single = toSingle(c.text);
        if (c.singleFailure) {
            ASSERT_FALSE(single);
            EXPECT_EQ(single.failure().number, c.singleFailure);
        } else {
            ASSERT_TRUE(single);
            EXPECT_FLOAT_EQ(single.value(), c.single);
        }
    }
}

TEST(PersistedSettingsConversion, TruthValues) {
    const std::pair<const char*, int> cases[] = {
        {"True", 1}, {"False", 0}, {"TRUE", 1}, {" false ", 0}, {"-1", 1},
        {"0", 0},    {"2", 1},     {"yes", -1}, {"", -1},       {"Truth", -1},
    };
    for (auto [text, expected] : cases) {
        SCOPED_TRACE(text);
        auto truth = toTruth(text);
        if (expected < 0) {
            ASSERT_FALSE(truth);
            EXPECT_EQ(truth.failure().number, settingfailure::TypeMismatch);
        } else {
            ASSERT_TRUE(truth);
            EXPECT_EQ(truth.value(), expected == 1);
        }
    }
    EXPECT_EQ(truthText(true), "True");
    EXPECT_EQ(truthText(false), "False");
}

TEST(PersistedSettingsConversion, SingleTextReadsBackWithoutDecimalPartForWholeNumbers) {
    EXPECT_EQ(singleText(1530.0f), "1530");
    EXPECT_EQ(singleText(-0.0f), "0");
    EXPECT_EQ(singleText(12345678.0f), "12345678");
    for (float value : {0.5f, 1309.0909f, -45.25f, 3.0e7f, 1.0e-3f}) {
        SCOPED_TRACE(value);
        std::string text = singleText(value);
        EXPECT_EQ(text.find('e'), std::string::npos);
        auto back = toSingle(text);
        ASSERT_TRUE(back);
        EXPECT_EQ(back.value(), value);
    }
}

TEST_F(StoreTest, FirstStartGivesEveryDefault) {
    SettingsStore store(SettingsApplication);
    for (const SettingDefinition& row : settingDefinitions()) {
        SCOPED_TRACE(std::string(row.key));
        auto read = readSetting(store, row.row);
        ASSERT_TRUE(read) << read.failure().description;
        const SettingValue& value = read.value();
        switch (row.kind) {
        case SettingKind::Position:
            EXPECT_EQ(value.number, 0.0f);
            break;
        case SettingKind::Folder:
            EXPECT_EQ(value.text, programFolder());
            break;
        case SettingKind::CheckBox:
            EXPECT_EQ(
                value.integer,
                row.row == SettingRow::SubFolders || row.row == SettingRow::InsertPathLine ? 1 : 0);
            break;
        case SettingKind::Truth:
            EXPECT_FALSE(value.truth);
            break;
        case SettingKind::SizeUnit:
            EXPECT_EQ(value.integer, 0);
            break;
        case SettingKind::Separator:
            EXPECT_EQ(value.text, "ﾀﾌﾞ");
            break;
        case SettingKind::Digest:
            EXPECT_EQ(value.text, "sha256");
            break;
        case SettingKind::Patterns:
        case SettingKind::Switch:
            ADD_FAILURE() << "not a stored kind";
            break;
        }
    }
}

TEST_F(StoreTest, AllRowsRoundTripThroughTheFile) {
    std::string folder = tree.folder("work/リスト");
    std::vector<SettingValue> written(SettingRowCount);
    for (std::size_t i = 0; i < SettingRowCount; ++i) {
        const SettingDefinition& row = settingDefinitions()[i];
        SettingValue& value = written[i];
        switch (row.kind) {
        case SettingKind::Position:
            value.number = row.row == SettingRow::Top ? 1530.0f : -7.5f;
            break;
        case SettingKind::Folder:
            value.text = folder;
            break;
        case SettingKind::CheckBox:
            // Every box away from its default, one grayed.
            value.integer =
                row.row == SettingRow::LeadingTab ? 2 : (row.defaultText == "1" ? 0 : 1);
            break;
        case SettingKind::Truth:
            value.truth = true;
            break;
        case SettingKind::SizeUnit:
            value.integer = 2;
            break;
        case SettingKind::Separator:
            value.text = ", =;[x]";
            break;
        case SettingKind::Digest:
            value.text = "md5";
            break;
        case SettingKind::Patterns:
        case SettingKind::Switch:
            ADD_FAILURE() << "not a stored kind";
            break;
        }
    }
    {
        SettingsStore store(SettingsApplication);
        for (std::size_t i = 0; i < SettingRowCount; ++i)
            writeSetting(store, settingDefinitions()[i].row, written[i]);
        ASSERT_TRUE(store.save());
    }
    SettingsStore store(SettingsApplication);
    EXPECT_EQ(store.filePath(), confPath());
    for (std::size_t i = 0; i < SettingRowCount; ++i) {
        const SettingDefinition& row = settingDefinitions()[i];
        SCOPED_TRACE(std::string(row.key));
        auto read = readSetting(store, row.row);
        ASSERT_TRUE(read) << read.failure().description;
        EXPECT_EQ(read.value().number, written[i].number);
        EXPECT_EQ(read.value().integer, written[i].integer);
        EXPECT_EQ(read.value().truth, written[i].truth);
        EXPECT_EQ(read.value().text, written[i].text);
        EXPECT_EQ(store.get(std::string(row.section), std::string(row.key)),
                  *storedText(row.row, written[i]));
    }
}

TEST_F(StoreTest, NoSizeUnitSelectedKeepsTheStoredOne) {
    writeConf("[chk]\nByte=1\n");
    SettingsStore store(SettingsApplication);
    SettingValue none;
    none.integer = -1;
    EXPECT_FALSE(storedText(SettingRow::SizeUnit, none));
    writeSetting(store, SettingRow::SizeUnit, none);
    EXPECT_EQ(store.get("chk", "Byte"), "1");
}

TEST_F(StoreTest, BadValuesFailWithTheirNumbersAndNameTheirKey) {
    writeConf("[Setting]\nTop=abc\nLeft=1e99\n"
              "[File]\nHidden=maybe\n"
              "[chk]\nFileSize=x\nPath=5\nByte=3\nKaku=-1\nDivStr=\nHashAlgorithm=SHA1\n");
    SettingsStore store(SettingsApplication);
    struct Case {
        SettingRow row;
        int number;
        const char* key;
    };
    const Case cases[] = {
        {SettingRow::Top, 13, "Setting/Top"},
        {SettingRow::Left, 6, "Setting/Left"},
        {SettingRow::Hidden, 13, "File/Hidden"},
        {SettingRow::SizeColumn, 13, "chk/FileSize"},
        {SettingRow::PathColumn, 380, "chk/Path"},
        {SettingRow::SizeUnit, 340, "chk/Byte"},
        {SettingRow::ExtensionColumn, 380, "chk/Kaku"},
        {SettingRow::HashAlgorithm, 380, "chk/HashAlgorithm"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        auto read = readSetting(store, c.row);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.failure().number, c.number);
        EXPECT_NE(read.failure().description.find(c.key), std::string::npos);
    }
    // The other rows are unaffected; a stored empty separator stays empty.
    auto system = readSetting(store, SettingRow::System);
    ASSERT_TRUE(system);
    EXPECT_FALSE(system.value().truth);
    auto separator = readSetting(store, SettingRow::Separator);
    ASSERT_TRUE(separator);
    EXPECT_EQ(separator.value().text, "");
}

TEST_F(StoreTest, SaveEncodingIsStoredBesideTheRows) {
    // An older file lacks the key: UTF-8, as before.
    writeConf("[Setting]\nTop=0\n");
    SettingsStore store(SettingsApplication);
    auto missing = readSaveEncoding(store);
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing.value(), TextEncoding::Utf8);
    for (const auto encoding :
         {TextEncoding::Utf8Bom, TextEncoding::ShiftJis, TextEncoding::Utf8}) {
        writeSaveEncoding(store, encoding);
        ASSERT_TRUE(store.save());
        SettingsStore again(SettingsApplication);
        auto read = readSaveEncoding(again);
        ASSERT_TRUE(read);
        EXPECT_EQ(read.value(), encoding);
    }
    EXPECT_EQ(store.get("Setting", "Encoding"), "utf8");
    writeConf("[Setting]\nEncoding=latin1\n");
    auto bad = readSaveEncoding(SettingsStore(SettingsApplication));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.failure().number, 380);
    EXPECT_NE(bad.failure().description.find("Setting/Encoding"), std::string::npos);
}

TEST_F(StoreTest, FolderThatIsGoneOrNotAFolderIsPathNotFound) {
    std::string folder = tree.folder("gone");
    std::string file = tree.file("plain.txt", "x");
    tree.remove("gone");
    for (const std::string& stored : {folder, file, std::string()}) {
        SCOPED_TRACE(stored);
        writeConf("[Setting]\nDir=" + escaped(stored) + "\n");
        SettingsStore store(SettingsApplication);
        auto read = readSetting(store, SettingRow::Folder);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.failure().number, failure::PathNotFound);
    }
    // A relative folder is no gone folder, whether or not it is there from
    // where the program started.
    for (const std::string& stored : {std::string("."), std::string("relative/dir")}) {
        SCOPED_TRACE(stored);
        writeConf("[Setting]\nDir=" + escaped(stored) + "\n");
        auto read = readSetting(SettingsStore(SettingsApplication), SettingRow::Folder);
        ASSERT_FALSE(read);
        EXPECT_EQ(read.failure().number, failure::BadFileName);
        EXPECT_NE(read.failure().description.find("絶対パスではありません: " + stored),
                  std::string::npos);
    }
}

TEST_F(StoreTest, StoredListTakesTheWindowsOptions) {
    std::string folder = tree.folder("data");
    writeConf("[Setting]\nDir=" + escaped(folder) +
              "\nSkipUnreadable=True\n[File]\nHidden=True\nSystem=False\n"
              "[chk]\nchkSub=2\nPath=2\nShortPath=1\nDiv=1\nFileSize=1\nByte=2\n"
              "InsPath=0\nTabs=1\nDivStr=ｾﾐｺﾛﾝ\nTimeRenew=oops\nHash=1\nHashAlgorithm=md5\n");
    SettingsStore store(SettingsApplication);
    StoredList stored = readStoredList(store);
    const ListOptions& o = stored.options;
    EXPECT_EQ(stored.folder, folder);
    EXPECT_FALSE(stored.folderFailure);
    EXPECT_EQ(o.rootFolder, withTrailingSeparator(folder));
    EXPECT_EQ(o.patterns, "*.*");
    EXPECT_TRUE(o.subFolders);  // grayed still walks sub-folders
    EXPECT_FALSE(o.pathColumn); // any other grayed box is off
    EXPECT_TRUE(o.shortPath);
    EXPECT_TRUE(o.joinPathAndName);
    EXPECT_TRUE(o.sizeColumn);
    EXPECT_EQ(o.sizeUnit, 2);
    EXPECT_FALSE(o.insertPathLine);
    EXPECT_TRUE(o.leadingTab);
    EXPECT_TRUE(o.includeHidden);
    EXPECT_FALSE(o.includeSystem);
    EXPECT_TRUE(o.includeReadOnly);
    EXPECT_TRUE(o.includeArchive);
    EXPECT_EQ(o.separator, ";");
    EXPECT_FALSE(o.writeTimeColumn);
    EXPECT_TRUE(o.skipUnreadable);
    EXPECT_TRUE(o.hashColumn);
    EXPECT_EQ(o.hashAlgorithm, 1);
    ASSERT_EQ(stored.failures.size(), 1u);
    EXPECT_EQ(stored.failures[0].number, settingfailure::TypeMismatch);
}

TEST_F(StoreTest, StoredListWithoutAUsableFolderListsTheProgramFolder) {
    writeConf("[Setting]\nDir=" + escaped(tree / "nowhere") + "\n");
    SettingsStore store(SettingsApplication);
    StoredList stored = readStoredList(store);
    EXPECT_EQ(stored.folder, programFolder());
    ASSERT_TRUE(stored.folderFailure);
    EXPECT_EQ(stored.folderFailure->number, failure::PathNotFound);
    EXPECT_TRUE(stored.failures.empty());
    EXPECT_EQ(stored.options.separator, "\t");
    EXPECT_TRUE(stored.options.insertPathLine);
}

} // namespace
} // namespace kestro
