#include "listgen/error_report.h"
#include "listgen/list_options.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace kestro {
namespace {

TEST(ListOptions, SeparatorResolution) {
    EXPECT_EQ(resolveSeparator("ﾀﾌﾞ"), "\t");
    EXPECT_EQ(resolveSeparator("ｾﾐｺﾛﾝ"), ";");
    EXPECT_EQ(resolveSeparator(";"), ";");
    EXPECT_EQ(resolveSeparator("|"), "|");
    EXPECT_EQ(resolveSeparator(", "), ", ");
    EXPECT_EQ(resolveSeparator(""), "");
    EXPECT_EQ(resolveSeparator("タブ"), "タブ") << "only the half-width choice means a tab";
    EXPECT_EQ(resolveSeparator("CSV"), ",");
    EXPECT_TRUE(isCsvChoice("CSV"));
    EXPECT_FALSE(isCsvChoice("csv")) << "only the box's own entry";
}

TEST(ListOptions, CheckBoxReadingRules) {
    EXPECT_FALSE(isTicked(0));
    EXPECT_TRUE(isTicked(1));
    EXPECT_FALSE(isTicked(2)) << "grayed counts as off";
    EXPECT_FALSE(subFoldersFromCheckBox(0));
    EXPECT_TRUE(subFoldersFromCheckBox(1));
    EXPECT_TRUE(subFoldersFromCheckBox(2)) << "grayed still walks sub-folders";
}

TEST(ErrorReport, MessageText) {
    Failure failure{76, "パスが見つかりません。", "", 0};
    EXPECT_EQ(reportText(failure), "ｴﾗｰ番号 76 でｴﾗｰが発生しました。\rパスが見つかりません。");
    // An empty description still gives the first line and an empty second.
    EXPECT_EQ(reportText({32755, "", "", 0}), "ｴﾗｰ番号 32755 でｴﾗｰが発生しました。\r");
    EXPECT_EQ(reportText({0, "nothing", "", 0}), "");
    // Failures built from errno name their path.
    EXPECT_NE(failureFromErrno(ENOENT, "/gone/x", false).description.find("/gone/x"),
              std::string::npos);
}

TEST(ErrorReport, ErrnoMapping) {
    struct Case {
        int error;
        bool folder;
        int number;
    };
    const Case cases[] = {
        {ENOENT, false, 53}, {ENOENT, true, 76},        {ENOTDIR, false, 76}, {EACCES, false, 70},
        {EPERM, true, 70},   {EROFS, false, 70},        {EIO, false, 68},     {ENXIO, false, 68},
        {ENOSPC, false, 61}, {ENAMETOOLONG, false, 52}, {EINVAL, false, 52},  {EBUSY, false, 75},
    };
    for (const auto& c : cases)
        EXPECT_EQ(failureFromErrno(c.error, "/p", c.folder).number, c.number) << c.error;
}

TEST(ErrorReport, SilentCasesPerCommand) {
    EXPECT_TRUE(isSilentFailure(Command::Create, 52));
    EXPECT_TRUE(isSilentFailure(Command::Create, 53));
    EXPECT_FALSE(isSilentFailure(Command::Create, 76));
    EXPECT_TRUE(isSilentFailure(Command::DriveChange, 68));
    EXPECT_FALSE(isSilentFailure(Command::DriveChange, 76));
    EXPECT_TRUE(isSilentFailure(Command::StartUp, 68));
    EXPECT_TRUE(isSilentFailure(Command::StartUp, 76));
    EXPECT_FALSE(isSilentFailure(Command::StartUp, 53));
    EXPECT_TRUE(isSilentFailure(Command::OpenOrSaveAs, 32755));
    EXPECT_FALSE(isSilentFailure(Command::Save, 32755));
    EXPECT_FALSE(isSilentFailure(Command::VersionDialog, 53));
}

} // namespace
} // namespace kestro
