// The arguments of --list, parsed without starting the program.

#include "app/list_command.h"
#include "settings/option_table.h"

#include <gtest/gtest.h>

#include <string>

namespace kestro {
namespace {

TEST(ListArguments, DefaultsAndOptions) {
    std::string error;
    auto plain = parseListArguments({"/data"}, error);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->options.rootFolder, "/data");
    EXPECT_TRUE(plain->options.subFolders);
    EXPECT_TRUE(plain->options.insertPathLine);
    EXPECT_EQ(plain->options.separator, "\t");
    EXPECT_EQ(plain->options.patterns, "*.*");
    EXPECT_FALSE(plain->options.sizeColumn);
    EXPECT_TRUE(plain->workbook.empty());
    auto book = parseListArguments({"--xlsx", "b.xlsx", "--leading-tab", "/data"}, error);
    ASSERT_TRUE(book);
    EXPECT_EQ(book->workbook, "b.xlsx");

    auto full =
        parseListArguments({"--no-sub", "--separator", "ｾﾐｺﾛﾝ", "--size=mb", "--patterns=*.c",
                            "--no-folder-lines", "--hidden", "--lf", "--hash=md5", "/x"},
                           error);
    ASSERT_TRUE(full);
    EXPECT_FALSE(full->options.subFolders);
    EXPECT_EQ(full->options.separator, ";");
    EXPECT_TRUE(full->options.sizeColumn);
    EXPECT_EQ(full->options.sizeUnit, 2);
    EXPECT_EQ(full->options.patterns, "*.c");
    EXPECT_FALSE(full->options.insertPathLine);
    EXPECT_TRUE(full->options.includeHidden);
    EXPECT_TRUE(full->options.lineFeedOnly);
    EXPECT_TRUE(full->options.hashColumn);
    EXPECT_EQ(full->options.hashAlgorithm, 1);
    auto hashed = parseListArguments({"--hash", "/x"}, error);
    ASSERT_TRUE(hashed);
    EXPECT_TRUE(hashed->options.hashColumn);
    EXPECT_EQ(hashed->options.hashAlgorithm, 0) << "SHA-256 unless asked otherwise";

    auto empty = parseListArguments({"--separator=", "--patterns=", "/x"}, error);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->options.separator, "");
    EXPECT_EQ(empty->options.patterns, "*.*") << "an empty pattern lists every file";

    auto dashed = parseListArguments({"--no-sub", "--", "-folder"}, error);
    ASSERT_TRUE(dashed);
    EXPECT_EQ(dashed->options.rootFolder, "-folder");
}

TEST(ListArguments, EveryOptionOfTheTableIsParsedAndHelped) {
    const std::string help = listOptionHelp();
    for (const SettingDefinition& option : optionTable()) {
        if (option.onFlag.empty())
            continue;
        const std::string on(option.onFlag);
        EXPECT_NE(help.find("  " + on), std::string::npos) << on;
        if (!option.flag)
            continue;
        std::string error;
        auto parsed = parseListArguments({on, "/x"}, error);
        ASSERT_TRUE(parsed) << error;
        EXPECT_TRUE(parsed->options.*option.flag) << on;
        if (option.offFlag.empty())
            continue;
        parsed = parseListArguments({on, std::string(option.offFlag), "/x"}, error);
        ASSERT_TRUE(parsed) << error;
        EXPECT_FALSE(parsed->options.*option.flag) << option.offFlag;
    }
}

TEST(ListArguments, BadUsage) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", "/x"},
        {"--size=gb", "/x"},
        {"/a", "/b"},
        {"--patterns"},
        {"-folder"},
        {"--encoding=latin1", "/x"},
        {"/x", "--encoding"},
        {"--hash=sha1", "/x"},
        // A workbook has no text form.
        {"--xlsx", "b.xlsx", "--csv", "/x"},
        {"--separator", "CSV", "--xlsx=b.xlsx", "/x"},
        {"--lf", "--xlsx", "b.xlsx", "/x"},
        {"--xlsx", "b.xlsx", "--encoding=sjis", "/x"},
        {"--xlsx", "-", "/x"},
        {"/x", "--xlsx"}};
    for (const auto& arguments : cases) {
        std::string error;
        EXPECT_FALSE(parseListArguments(arguments, error));
        EXPECT_FALSE(error.empty());
    }
}

} // namespace
} // namespace kestro
