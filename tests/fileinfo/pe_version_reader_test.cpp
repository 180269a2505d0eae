#include "fileinfo/pe_version_reader.h"

#include "fileinfo/pe_image_builder.h"
#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <random>

namespace kestro {
namespace {

using test::buildPeImage;
using test::PeImage;
using test::PeImageOptions;

void expectSameRecord(const FixedFileInfo& actual, const FixedFileInfo& expected) {
    EXPECT_EQ(actual.signature, expected.signature);
    EXPECT_EQ(actual.fileVersionHigh, expected.fileVersionHigh);
    EXPECT_EQ(actual.fileVersionLow, expected.fileVersionLow);
    EXPECT_EQ(actual.productVersionHigh, expected.productVersionHigh);
    EXPECT_EQ(actual.productVersionLow, expected.productVersionLow);
    EXPECT_EQ(actual.flags, expected.flags);
    EXPECT_EQ(actual.os, expected.os);
    EXPECT_EQ(actual.type, expected.type);
    EXPECT_EQ(actual.subtype, expected.subtype);
    EXPECT_EQ(actual.dateLow, expected.dateLow);
}

TEST(PeVersionReader, ReadsTheRecordOf32And64BitImages) {
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        PeImageOptions options;
        options.pe32Plus = pe32Plus;
        options.info.type = 3;
        options.info.subtype = 7;
        options.info.flags = 0x21;
        options.info.dateLow = 0xCAFE;
        auto info = readFixedFileInfo(buildPeImage(options).bytes);
        ASSERT_TRUE(info.has_value());
        expectSameRecord(*info, options.info);
    }
}

TEST(PeVersionReader, FilesThatAreNoProgramsHaveNoVersion) {
    PeImageOptions withoutVersion;
    withoutVersion.withVersion = false;
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"plain text", "MZ is how this text starts, but it is only text.\r\n"},
        {"ELF image", std::string("\x7f"
                                  "ELF\x02\x01\x01",
                                  7) +
                          std::string(200, '\0')},
        {"DOS header alone", buildPeImage({}).bytes.substr(0, 64)},
        {"resources without a version", buildPeImage(withoutVersion).bytes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(readFixedFileInfo(c.bytes).has_value());
    }
}

TEST(PeVersionReader, EveryTruncatedImageHasNoVersion) {
    for (bool pe32Plus : {false, true}) {
        PeImageOptions options;
        options.pe32Plus = pe32Plus;
        const std::string bytes = buildPeImage(options).bytes;
        ASSERT_TRUE(readFixedFileInfo(bytes).has_value());
        for (std::size_t length = 0; length < bytes.size(); ++length)
            ASSERT_FALSE(readFixedFileInfo(bytes.substr(0, length)).has_value())
                << "cut at " << length;
    }
}

// One damaged field each; every one of them must read as "no version".
TEST(PeVersionReader, DamagedStructuresHaveNoVersion) {
    using Damage = std::function<void(PeImage&)>;
    const std::size_t coff = 0x84;
    const struct {
        const char* name;
        Damage damage;
    } cases[] = {
        {"new header offset past the end", [](PeImage& i) { put32(i, 0x3C, 0xFFFFFFF0); }},
        {"no PE signature", [](PeImage& i) { i.bytes[i.newHeader + 2] = 'X'; }},
        {"unknown optional header kind", [](PeImage& i) { put16(i, i.optionalHeader, 0x107); }},
        {"optional header too short for the resource directory",
         [=](PeImage& i) { put16(i, coff + 16, 100); }},
        {"only two data directories", [](PeImage& i) { put32(i, i.optionalHeader + 92, 2); }},
        {"no resource directory", [](PeImage& i) { put32(i, i.resourceDirectoryEntry, 0); }},
        {"resource address outside every section",
         [](PeImage& i) { put32(i, i.resourceDirectoryEntry, 0x7000); }},
        {"no sections", [=](PeImage& i) { put16(i, coff + 2, 0); }},
        {"65535 sections", [=](PeImage& i) { put16(i, coff + 2, 0xFFFF); }},
        {"section data past the end",
         [](PeImage& i) { put32(i, i.sectionTable + 20, 0xFFFFFE00); }},
        {"section data smaller than the tree",
         [](PeImage& i) { put32(i, i.sectionTable + 16, 8); }},
        {"version type is a leaf",
         [](PeImage& i) { put32(i, i.versionTypeEntry + 4, i.nameDirectory - i.resourceRoot); }},
        {"version type points far away",
         [](PeImage& i) { put32(i, i.versionTypeEntry + 4, 0xFFFFFFFF); }},
        {"version type points back at the root",
         [](PeImage& i) { put32(i, i.versionTypeEntry + 4, 0x80000000); }},
        {"name entry points at its own directory",
         [](PeImage& i) {
             put32(i, i.nameDirectory + 20, 0x80000000u | (i.nameDirectory - i.resourceRoot));
         }},
        {"language entry is a directory",
         [](PeImage& i) {
             put32(i, i.languageDirectory + 20, 0x80000000u | (i.nameDirectory - i.resourceRoot));
         }},
        {"name directory without entries", [](PeImage& i) { put16(i, i.nameDirectory + 14, 0); }},
        {"65535 named types push the numbered ones past the end",
         [](PeImage& i) { put16(i, i.resourceRoot + 12, 0xFFFF); }},
        {"65535 numbered types without the version type",
         [](PeImage& i) {
             put16(i, i.resourceRoot + 14, 0xFFFF);
             put32(i, i.versionTypeEntry, 17);
         }},
        {"data address past the end", [](PeImage& i) { put32(i, i.dataEntry, 0xFFFFFFF0); }},
        {"data smaller than the record", [](PeImage& i) { put32(i, i.dataEntry + 4, 60); }},
        {"block longer than the data", [](PeImage& i) { put16(i, i.versionBlock, 200); }},
        {"value shorter than the record", [](PeImage& i) { put16(i, i.versionBlock + 2, 20); }},
        {"another key", [](PeImage& i) { put16(i, i.versionBlock + 6, 'W'); }},
        {"key without its end", [](PeImage& i) { put16(i, i.versionBlock + 36, 'X'); }},
        {"wrong signature", [](PeImage& i) { put32(i, i.versionBlock + 40, 0xFEEF04BC); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PeImage image = buildPeImage({});
        c.damage(image);
        EXPECT_FALSE(readFixedFileInfo(image.bytes).has_value());
    }
}

// Random damage anywhere: the reader may find a record or not, but it must
// never read outside the image (the sanitizer build watches) and never
// return a record without its signature.
TEST(PeVersionReader, SurvivesRandomDamage) {
    for (bool pe32Plus : {false, true}) {
        PeImageOptions options;
        options.pe32Plus = pe32Plus;
        const std::string original = buildPeImage(options).bytes;
        for (std::size_t at = 0; at < original.size(); ++at) {
            std::string bytes = original;
            bytes[at] = static_cast<char>(~bytes[at]);
            auto info = readFixedFileInfo(bytes);
            if (info) {
                ASSERT_EQ(info->signature, FixedFileInfoSignature) << "byte " << at;
            }
        }
        std::mt19937 random(20260101);
        std::uniform_int_distribution<std::size_t> position(0, original.size() - 1);
        std::uniform_int_distribution<int> value(0, 255);
        for (int round = 0; round < 3000; ++round) {
            std::string bytes = original;
            for (int n = 0; n < 4; ++n)
                bytes[position(random)] = static_cast<char>(value(random));
            auto info = readFixedFileInfo(bytes);
            if (info) {
                ASSERT_EQ(info->signature, FixedFileInfoSignature) << "round " << round;
            }
        }
    }
}

// Counts what the reader asks for.
class CountingBytes : public ImageBytes {
public:
    explicit CountingBytes(std::string bytes) : bytes_(std::move(bytes)) {}
    std::uint64_t size() const override { return bytes_.size(); }
    Result<std::string> read(std::uint64_t offset, std::size_t length) const override {
        total += length;
        return bytes_.substr(offset, length);
    }
    mutable std::size_t total = 0;

private:
    std::string bytes_;
};

TEST(PeVersionReader, ReadsOnlyThePiecesItNeeds) {
    PeImage image = buildPeImage({});
    // A big resource section: 4 MiB of other resources after the version.
    const std::uint32_t extra = 4u << 20;
    image.bytes.append(extra, 'x');
    put32(image, image.sectionTable + 16,
          static_cast<std::uint32_t>(image.bytes.size() - image.resourceRoot));
    CountingBytes bytes(image.bytes);
    auto info = readFixedFileInfo(bytes);
    ASSERT_TRUE(info);
    ASSERT_TRUE(info.value().has_value());
    EXPECT_LT(bytes.total, 1024u);
}

class FailingBytes : public ImageBytes {
public:
    std::uint64_t size() const override { return 1 << 20; }
    Result<std::string> read(std::uint64_t, std::size_t) const override {
        return makeFailure(failure::DeviceUnavailable, "disk");
    }
};

TEST(PeVersionReader, AReadErrorIsAFailureNotAMissingVersion) {
    auto info = readFixedFileInfo(FailingBytes{});
    ASSERT_FALSE(info);
    EXPECT_EQ(info.failure().number, failure::DeviceUnavailable);
}

TEST(PeVersionReader, ReadsFilesAndRefusesWhatIsNoRegularFile) {
    test::TempTree tree;
    const std::string program = tree.file("tool.exe", buildPeImage({}).bytes);
    auto fromFile = readFileVersionResource(program);
    ASSERT_TRUE(fromFile);
    ASSERT_TRUE(fromFile.value().has_value());
    EXPECT_EQ(fromFile.value()->fileVersionLow, PeImageOptions::defaultInfo().fileVersionLow);

    auto none = readFileVersionResource(tree.folder("folder.exe"));
    ASSERT_TRUE(none);
    EXPECT_FALSE(none.value().has_value());
    auto missing = readFileVersionResource(tree / "missing.exe");
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.failure().number, failure::FileNotFound);
}

// The images above are the tests' own; a real tool chain checks that they
// read like the real thing.
TEST(PeVersionReader, ReadsAProgramMadeByARealToolChain) {
    if (std::system("command -v x86_64-w64-mingw32-gcc >/dev/null 2>&1 && "
                    "command -v x86_64-w64-mingw32-windres >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "the mingw-w64 tool chain is not installed";
    test::TempTree tree;
    tree.file("main.c", "int main(void) { return 0; }\n");
    tree.file("version.rc", "1 VERSIONINFO\n"
                            "FILEVERSION 4,0,1381,1\n"
                            "PRODUCTVERSION 10,20,30,40\n"
                            "FILEFLAGSMASK 0x3f\n"
                            "FILEFLAGS 0x8\n"
                            "FILEOS 0x40004\n"
                            "FILETYPE 0x2\n"
                            "FILESUBTYPE 0x0\n"
                            "BEGIN\n"
                            "  BLOCK \"StringFileInfo\"\n"
                            "  BEGIN\n"
                            "    BLOCK \"041104b0\"\n"
                            "    BEGIN\n"
                            "      VALUE \"FileDescription\", \"test\"\n"
                            "    END\n"
                            "  END\n"
                            "END\n");
    const std::string command = "cd '" + tree.path() +
                                "' && x86_64-w64-mingw32-windres version.rc -O coff -o version.o"
                                " && x86_64-w64-mingw32-gcc -o tool.dll -shared main.c version.o";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto read = readFileVersionResource(tree / "tool.dll");
    ASSERT_TRUE(read);
    ASSERT_TRUE(read.value().has_value());
    const FixedFileInfo& info = *read.value();
    EXPECT_EQ(info.fileVersionHigh, (4u << 16) | 0u);
    EXPECT_EQ(info.fileVersionLow, (1381u << 16) | 1u);
    EXPECT_EQ(info.productVersionHigh, (10u << 16) | 20u);
    EXPECT_EQ(info.productVersionLow, (30u << 16) | 40u);
    EXPECT_EQ(info.flags, 8u);
    EXPECT_EQ(info.os, 0x40004u);
    EXPECT_EQ(info.type, 2u);
}

} // namespace
} // namespace kestro
