#include "fileinfo/file_info.h"

#include "fileinfo/pe_version_reader.h"

#include <array>
#include <utility>

namespace kestro {

namespace {

const char* const Unidentified = "不明";

Failure notFound(const std::string& path) {
    return makeFailure(failure::FileNotFound, path);
}

// Four unsigned 16-bit fields, most significant first, as they are stored.
std::string versionText(std::uint32_t high, std::uint32_t low) {
    const std::array<std::uint32_t, 4> fields = {high >> 16, high & 0xFFFF, low >> 16,
                                                 low & 0xFFFF};
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += '.';
        text += ' ' + std::to_string(fields[i]);
    }
    return FileInfo::removeSpaces(std::move(text));
}

std::string typeText(std::uint32_t code) {
    switch (code) {
    case 0:
        return Unidentified;
    case 1:
        return "ｱﾌﾟﾘｹｰｼｮﾝ";
    case 2:
        return "ﾀﾞｲﾅﾐｯｸﾘﾝｸﾗｲﾌﾞﾗﾘ";
    case 5:
        return "仮想ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ";
    case 7:
        return "ｽﾀﾃｲｯｸﾗｲﾌﾞﾗﾘ";
    default:
        return {};
    }
}

std::string driverText(std::uint32_t code) {
    static const std::array<const char*, 12> texts = {
        "不明なﾄﾞﾗｲﾊﾞ",   "ﾌﾟﾘﾝﾀﾄﾞﾗｲﾊﾞ", "ｷｰﾎﾞｰﾄﾞﾄﾞﾗｲﾊﾞ", "言語ﾄﾞﾗｲﾊﾞ",
        "ﾃﾞｨｽﾌﾟﾚｲﾄﾞﾗｲﾊﾞ", "ﾏｳｽﾄﾞﾗｲﾊﾞ",   "ﾈｯﾄﾜｰｸﾄﾞﾗｲﾊﾞ",  "ｼｽﾃﾑﾄﾞﾗｲﾊﾞ",
        "ｲﾝｽﾄｰﾙﾄﾞﾗｲﾊﾞ",   "ｻｳﾝﾄﾞﾄﾞﾗｲﾊﾞ", "通信ﾄﾞﾗｲﾊﾞ",    "IMEﾄﾞﾗｲﾊﾞ"};
    return code < texts.size() ? texts[code] : "";
}

std::string fontText(std::uint32_t code) {
    switch (code) {
    case 1:
        return "ﾗｽﾀｰﾌｫﾝﾄ";
    case 2:
        return "ﾍﾞｸﾀｰﾌｫﾝﾄ";
    case 3:
        return "ﾄｩﾙｰﾀｲﾌﾟﾌｫﾝﾄ";
    default:
        return {};
    }
}

std::string osText(std::uint32_t code) {
    static const std::array<std::pair<std::uint32_t, const char*>, 14> texts = {{
        {0x00000, "不明"},
        {0x00001, "16bit Windows"},
        {0x00002, "16bit Presentation Manager"},
        {0x00003, "32bit Presentation Manager"},
        {0x00004, "32bit Windows"},
        {0x10000, "DOS"},
        {0x10001, "DOS上の16bit Windows"},
        {0x10004, "DOS上の32bit Windows"},
        {0x20000, "16bit OS/2"},
        {0x20002, "16bit OS/2上のPresentation Manager"},
        {0x30000, "32bit OS/2"},
        {0x30003, "32bit OS/2上のPresentation Manager"},
        {0x40000, "Windows NT"},
        {0x40004, "32bit Windows NT"},
    }};
    for (const auto& [value, text] : texts) {
        if (value == code)
            return text;
    }
    return {};
}

// The flags are matched whole: a combination of flags is not a build kind.
std::string buildText(std::uint32_t flags) {
    switch (flags) {
    case 1:
        return "ﾃﾞﾊﾞｯｸﾞﾋﾞﾙﾄﾞ";
    case 2:
        return "ﾌﾟﾚﾘﾘｰｽﾋﾞﾙﾄﾞ";
    case 4:
        return "ﾊﾟｯﾁﾋﾞﾙﾄﾞ";
    case 8:
        return "ﾌﾟﾗｲﾍﾞｰﾄﾋﾞﾙﾄﾞ";
    case 16:
        return {};
    case 32:
        return "ｽﾍﾟｼｬﾙﾋﾞﾙﾄﾞ";
    default:
        return Unidentified;
    }
}

} // namespace

Status FileInfo::readVersionInfo() {
    if (!isReadableFile())
        return notFound(fileName_);
    auto read = readFileVersionResource(fileName_);
    if (!read)
        return read.failure();
    // No version resource: every field keeps the value its query reset.
    if (!read.value())
        return Ok{};
    const FixedFileInfo& info = *read.value();

    fileVersionText_ = versionText(info.fileVersionHigh, info.fileVersionLow);
    productVersionText_ = versionText(info.productVersionHigh, info.productVersionLow);

    fileTypeCode_ = info.type;
    fileSubtypeCode_ = info.subtype;
    osCode_ = info.os;
    fileFlags_ = info.flags;
    return Ok{};
}

// Each query resets the field it reports before reading, so a file without a
// version resource never shows what the previous file had.

Result<std::string> FileInfo::fileVersion() {
    fileVersionText_.clear();
    if (auto read = readVersionInfo(); !read)
        return read.failure();
    return fileVersionText_;
}

Result<std::string> FileInfo::productVersion() {
    productVersionText_.clear();
    if (auto read = readVersionInfo(); !read)
        return read.failure();
    return productVersionText_;
}

Result<std::string> FileInfo::fileType() {
    fileTypeCode_ = 0;
    if (auto read = readVersionInfo(); !read)
        return read.failure();
    // Drivers and fonts name their kind, which fileSubtype() reads afresh.
    if (fileTypeCode_ == 3 || fileTypeCode_ == 4) {
        const char* prefix = fileTypeCode_ == 3 ? "ﾃﾞﾊﾞｲｽﾄﾞﾗｲﾊﾞ(" : "ﾌｫﾝﾄ(";
        auto subtype = fileSubtype();
        if (!subtype)
            return subtype.failure();
        return prefix + subtype.value() + ")";
    }
    return typeText(fileTypeCode_);
}

Result<std::string> FileInfo::fileSubtype() {
    fileTypeCode_ = 0;
    fileSubtypeCode_ = 0;
    if (auto read = readVersionInfo(); !read)
        return read.failure();
    switch (fileTypeCode_) {
    case 3:
        return driverText(fileSubtypeCode_);
    case 4:
        return fontText(fileSubtypeCode_);
    default:
        return std::string(Unidentified);
    }
}

Result<std::string> FileInfo::fileOS() {
    osCode_ = 0;
    if (auto read = readVersionInfo(); !read)
        return read.failure();
    return osText(osCode_);
}

Result<std::string> FileInfo::buildType() {
    fileFlags_ = 0;
    if (auto read = readVersionInfo(); !read)
        return read.failure();
    return buildText(fileFlags_);
}

} // namespace kestro
