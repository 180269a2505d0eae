#include "fileinfo/file_info.h"

#include "fileinfo/pe_image_builder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

using test::buildPeImage;
using test::PeImageOptions;

// A FileInfo aimed at a program file whose fixed version record is `info`.
class VersionFixture : public ::testing::Test {
protected:
    FileInfo& program(const FixedFileInfo& info, bool pe32Plus = false) {
        PeImageOptions options;
        options.info = info;
        options.pe32Plus = pe32Plus;
        file.setFileName(
            tree.file("program" + std::to_string(++count) + ".exe", buildPeImage(options).bytes));
        return file;
    }
    static FixedFileInfo record(std::uint32_t type, std::uint32_t subtype = 0) {
        FixedFileInfo info = PeImageOptions::defaultInfo();
        info.type = type;
        info.subtype = subtype;
        return info;
    }
    std::string text(Result<std::string> result) {
        EXPECT_TRUE(result) << (result ? "" : result.failure().description);
        return result ? result.value() : "<failed>";
    }

    test::TempTree tree;
    FileInfo file;
    int count = 0;
};

TEST_F(VersionFixture, FileTypeTexts) {
    const struct {
        std::uint32_t type;
        std::uint32_t subtype;
        const char* text;
    } cases[] = {
        {0, 0, "不明"},
        {1, 0, "ｱﾌﾟﾘｹｰｼｮﾝ"},
        {2, 0, "ﾀﾞｲﾅﾐｯｸﾘﾝｸﾗｲﾌﾞﾗﾘ"},
        {3, 1, "ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ(ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞ)"},
        {3, 0, "ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ(不明なﾄﾞﾗｲﾊﾞ)"},
        {3, 12, "ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ()"},
        {4, 3, "ﾌｫﾝﾄ(ﾄｩﾙｰﾀｲﾌﾟﾌｫﾝﾄ)"},
        {4, 0, "ﾌｫﾝﾄ()"},
        {5, 0, "仮想ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ"},
        {6, 0, ""},
        {7, 0, "ｽﾀﾃｲｯｸﾗｲﾌﾞﾗﾘ"},
        {8, 0, ""},
        {0x80000000, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.type) + "/" + std::to_string(c.subtype));
        EXPECT_EQ(text(program(record(c.type, c.subtype)).fileType()), c.text);
    }
}

TEST_F(VersionFixture, FileSubtypeTexts) {
    const char* const drivers[] = {"不明なﾄﾞﾗｲﾊﾞ",
                                   "ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞ",
                                   "ｷｰﾎﾞｰﾄﾞﾄﾞﾗｲﾊﾞ",
                                   "言語ﾄﾞﾗｲﾊﾞ",
                                   "ﾃﾞｨｽﾌﾟﾚｲﾄﾞﾗｲﾊﾞ",
                                   "ﾏｳｽﾄﾞﾗｲﾊﾞ",
                                   "ﾈｯﾄﾜｰｸﾄﾞﾗｲﾊﾞ",
                                   "ｼｽﾃﾑﾄﾞﾗｲﾊﾞ",
                                   "ｲﾝｽﾄｰﾙﾄﾞﾗｲﾊﾞ",
                                   "ｻｳﾝﾄﾞﾄﾞﾗｲﾊﾞ",
                                   "通信ﾄﾞﾗｲﾊﾞ",
                                   "IMEﾄﾞﾗｲﾊﾞ",
                                   ""};
    for (std::uint32_t code = 0; code < std::size(drivers); ++code)
        EXPECT_EQ(text(program(record(3, code)).fileSubtype()), drivers[code]) << code;

    const char* const fonts[] = {"", "ﾗｽﾀｰﾌｫﾝﾄ", "ﾍﾞｸﾀｰﾌｫﾝﾄ", "ﾄｩﾙｰﾀｲﾌﾟﾌｫﾝﾄ", ""};
    for (std::uint32_t code = 0; code < std::size(fonts); ++code)
        EXPECT_EQ(text(program(record(4, code)).fileSubtype()), fonts[code]) << code;

    // Only drivers and fonts have subtypes.
    for (std::uint32_t type : {0u, 1u, 2u, 5u, 7u})
        EXPECT_EQ(text(program(record(type, 1)).fileSubtype()), "不明") << type;
}

TEST_F(VersionFixture, FileOSTexts) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0, "不明"},
        {1, "16bit Windows"},
        {2, "16bit Presentation Manager"},
        {3, "32bit Presentation Manager"},
        {4, "32bit Windows"},
        {0x10000, "DOS"},
        {0x10001, "DOS上の16bit Windows"},
        {0x10004, "DOS上の32bit Windows"},
        {0x20000, "16bit OS/2"},
        {0x20002, "16bit OS/2上のPresentation Manager"},
        {0x30000, "32bit OS/2"},
        {0x30003, "32bit OS/2上のPresentation Manager"},
        {0x40000, "Windows NT"},
        {0x40004, "32bit Windows NT"},
        {0x40001, ""},
        {5, ""},
    };
    for (const auto& c : cases) {
        FixedFileInfo info = PeImageOptions::defaultInfo();
        info.os = c.code;
        EXPECT_EQ(text(program(info).fileOS()), c.text) << std::hex << c.code;
    }
}

TEST_F(VersionFixture, BuildTypeMatchesTheWholeFlags) {
    const struct {
        std::uint32_t flags;
        const char* text;
    } cases[] = {
        {0, "不明"},  {1, "ﾃﾞﾊﾞｯｸﾞﾋﾞﾙﾄﾞ"}, {2, "ﾌﾟﾚﾘﾘｰｽﾋﾞﾙﾄﾞ"},
        {3, "不明"},  {4, "ﾊﾟｯﾁﾋﾞﾙﾄﾞ"},    {8, "ﾌﾟﾗｲﾍﾞｰﾄﾋﾞﾙﾄﾞ"},
        {16, ""},     {32, "ｽﾍﾟｼｬﾙﾋﾞﾙﾄﾞ"}, {33, "不明"},
        {64, "不明"},
    };
    for (const auto& c : cases) {
        FixedFileInfo info = PeImageOptions::defaultInfo();
        info.flags = c.flags;
        info.flagsMask = 0; // taken whole: the mask is not applied
        EXPECT_EQ(text(program(info).buildType()), c.text) << c.flags;
    }
}

TEST_F(VersionFixture, VersionTextsAreFourDecimalFields) {
    FixedFileInfo info = PeImageOptions::defaultInfo();
    info.fileVersionHigh = (4u << 16) | 0u;
    info.fileVersionLow = (1381u << 16) | 1u;
    info.productVersionHigh = (32767u << 16) | 10u;
    info.productVersionLow = (0u << 16) | 32767u;
    for (bool pe32Plus : {false, true}) {
        program(info, pe32Plus);
        EXPECT_EQ(text(file.fileVersion()), "4.0.1381.1");
        EXPECT_EQ(text(file.productVersion()), "32767.10.0.32767");
    }
}

// The fields are unsigned 16-bit numbers: the large ones are shown as stored
// and the other members are not disturbed by them.
TEST_F(VersionFixture, LargeFieldsShowAsStored) {
    FixedFileInfo info = PeImageOptions::defaultInfo();
    info.fileVersionHigh = (1u << 16) | 2u;
    info.fileVersionLow = (3u << 16) | 40000u;
    info.productVersionHigh = (32768u << 16) | 65535u;
    info.productVersionLow = 0;
    program(info);
    EXPECT_EQ(text(file.fileVersion()), "1.2.3.40000");
    EXPECT_EQ(text(file.productVersion()), "32768.65535.0.0");
    EXPECT_EQ(text(file.fileOS()), "32bit Windows NT");
    EXPECT_EQ(text(file.fileType()), "ｱﾌﾟﾘｹｰｼｮﾝ");
}

TEST_F(VersionFixture, FilesWithoutVersionAreUnidentified) {
    PeImageOptions noVersion;
    noVersion.withVersion = false;
    for (const std::string& path :
         {tree.file("readme.txt", "plain text\r\n"), tree.file("empty.dll"),
          tree.file("resources.dll", buildPeImage(noVersion).bytes)}) {
        SCOPED_TRACE(path);
        file.setFileName(path);
        EXPECT_EQ(text(file.fileVersion()), "");
        EXPECT_EQ(text(file.productVersion()), "");
        EXPECT_EQ(text(file.fileType()), "不明");
        EXPECT_EQ(text(file.fileSubtype()), "不明");
        EXPECT_EQ(text(file.fileOS()), "不明");
        EXPECT_EQ(text(file.buildType()), "不明");
    }
}

// Each query resets what it reports: nothing of a driver read before shows
// through for a file without a version resource.
TEST_F(VersionFixture, NothingOfThePreviousFileShowsThrough) {
    FixedFileInfo driver = record(3, 1);
    driver.flags = 1;
    program(driver);
    ASSERT_EQ(text(file.fileType()), "ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ(ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞ)");
    ASSERT_EQ(text(file.fileSubtype()), "ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞ");
    ASSERT_EQ(text(file.fileOS()), "32bit Windows NT");
    ASSERT_EQ(text(file.buildType()), "ﾃﾞﾊﾞｯｸﾞﾋﾞﾙﾄﾞ");
    ASSERT_EQ(text(file.fileVersion()), "1.2.3.4");
    ASSERT_EQ(text(file.productVersion()), "5.0.0.6");

    file.setFileName(tree.file("plain.txt", "text"));
    EXPECT_EQ(text(file.fileSubtype()), "不明");
    EXPECT_EQ(text(file.fileType()), "不明");
    EXPECT_EQ(text(file.fileOS()), "不明");
    EXPECT_EQ(text(file.buildType()), "不明");
    EXPECT_EQ(text(file.fileVersion()), "");
    EXPECT_EQ(text(file.productVersion()), "");
}

TEST_F(VersionFixture, EveryMemberProbesFirst) {
    const std::string folder = tree.folder("folder");
    program(record(1)); // a good file exists beside them
    using Member = Result<std::string> (FileInfo::*)();
    const Member members[] = {&FileInfo::fileVersion, &FileInfo::productVersion,
                              &FileInfo::fileType,    &FileInfo::fileSubtype,
                              &FileInfo::fileOS,      &FileInfo::buildType};
    for (const std::string& name : {std::string(), folder + "/", folder, tree / "missing.exe"}) {
        for (Member member : members) {
            file.setFileName(name);
            auto result = (file.*member)();
            ASSERT_FALSE(result) << "'" << name << "'";
            EXPECT_EQ(result.failure().number, failure::FileNotFound) << "'" << name << "'";
            EXPECT_EQ(file.fileName(), name);
        }
    }
}

} // namespace
} // namespace kestro
