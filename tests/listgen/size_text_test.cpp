#include "listgen/size_text.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kestro {
namespace {

struct SizeCase {
    std::int64_t size;
    const char* byte;
    const char* kb;
    const char* mb;
};

TEST(SizeText, ExamplesInEveryUnit) {
    const SizeCase cases[] = {
        {0, " Byte", "0.0 KB", "0.0 MB"},
        {1000, "1,000 Byte", "0.98 KB", "0.001 MB"},
        {1536, "1,536 Byte", "1.5 KB", "0.001 MB"},
        {20480, "20,480 Byte", "20 KB", "0.02 MB"},
        {524288, "524,288 Byte", "512 KB", "0.5 MB"},
        {3145728, "3,145,728 Byte", "3,072 KB", "3 MB"},
        // The pattern changes at the unit thresholds.
        {10239, "10,239 Byte", "10.0 KB", "0.01 MB"},
        {10240, "10,240 Byte", "10 KB", "0.01 MB"},
        {1048575, "1,048,575 Byte", "1,024 KB", "1.0 MB"},
        {1048576, "1,048,576 Byte", "1,024 KB", "1 MB"},
        // 2 GiB and more are not wrapped.
        {3221225472, "3,221,225,472 Byte", "3,145,728 KB", "3,072 MB"},
        {1234567890123, "1,234,567,890,123 Byte", "1,205,632,705 KB", "1,177,376 MB"},
        // The largest sizes are exact, not overflowed.
        {INT64_MAX, "9,223,372,036,854,775,807 Byte", "9,007,199,254,740,992 KB",
         "8,796,093,022,208 MB"},
        {INT64_MIN, "-9,223,372,036,854,775,808 Byte", "-9,007,199,254,740,992.0 KB",
         "-8,796,093,022,208.0 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sizeText(c.size, SizeUnit::Byte), c.byte) << c.size;
        EXPECT_EQ(sizeText(c.size, SizeUnit::KB), c.kb) << c.size;
        EXPECT_EQ(sizeText(c.size, SizeUnit::MB), c.mb) << c.size;
    }
}

// Totals: past 2^63 and 2^64 without wrapping, the same patterns.
TEST(SizeText, TotalsBeyondSixtyFourBits) {
    const ByteTotal twoTo64 = ByteTotal{1} << 64;
    struct TotalCase {
        ByteTotal total;
        const char* byte;
        const char* kb;
        const char* mb;
    };
    const TotalCase cases[] = {
        {0, " Byte", "0.0 KB", "0.0 MB"},
        {10239, "10,239 Byte", "10.0 KB", "0.01 MB"},
        {ByteTotal{1} << 63, "9,223,372,036,854,775,808 Byte", "9,007,199,254,740,992 KB",
         "8,796,093,022,208 MB"},
        // Either side of the last total that is divided in 64 bits.
        {twoTo64 - 1, "18,446,744,073,709,551,615 Byte", "18,014,398,509,481,984 KB",
         "17,592,186,044,416 MB"},
        {twoTo64, "18,446,744,073,709,551,616 Byte", "18,014,398,509,481,984 KB",
         "17,592,186,044,416 MB"},
        {twoTo64 * 3 + 512, "55,340,232,221,128,655,360 Byte", "54,043,195,528,445,953 KB",
         "52,776,558,133,248 MB"},
        {~ByteTotal{0}, "340,282,366,920,938,463,463,374,607,431,768,211,455 Byte",
         "332,306,998,946,228,968,225,951,765,070,086,144 KB",
         "324,518,553,658,426,726,783,156,020,576,256 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(totalSizeText(c.total, SizeUnit::Byte), c.byte) << c.byte;
        EXPECT_EQ(totalSizeText(c.total, SizeUnit::KB), c.kb) << c.byte;
        EXPECT_EQ(totalSizeText(c.total, SizeUnit::MB), c.mb) << c.byte;
    }
}

TEST(SizeText, HalfwayValuesRoundAwayFromZero) {
    // Quotients that lie exactly halfway between two shown values.
    EXPECT_EQ(sizeText(128, SizeUnit::KB), "0.13 KB");    // 0.125
    EXPECT_EQ(sizeText(384, SizeUnit::KB), "0.38 KB");    // 0.375
    EXPECT_EQ(sizeText(65536, SizeUnit::MB), "0.063 MB"); // 0.0625
    EXPECT_EQ(sizeText(10752, SizeUnit::KB), "11 KB");    // 10.5
    EXPECT_EQ(sizeText(11776, SizeUnit::KB), "12 KB");    // 11.5
    EXPECT_EQ(sizeText(1572864, SizeUnit::MB), "2 MB");   // 1.5
    // Below a half the value rounds down, and trailing zeros go.
    EXPECT_EQ(sizeText(512, SizeUnit::MB), "0.0 MB");  // 0.00048828125
    EXPECT_EQ(sizeText(1029, SizeUnit::KB), "1.0 KB"); // 1.0048828125
}

} // namespace
} // namespace kestro
