#include "listgen/size_text.h"

namespace kestro {

namespace {

// A digit pattern reduced to what the list uses: how many decimals are
// always written, how many at most, and whether a zero integer part is
// written as "0".
struct Pattern {
    int minDecimals;
    int maxDecimals;
    bool zeroIntegerDigit;
};

constexpr Pattern GroupedInteger{0, 0, false}; // "#,###,###,###", "#,###,###", "#,###"
constexpr Pattern TwoDecimals{1, 2, true};     // "0.0#"
constexpr Pattern ThreeDecimals{1, 3, true};   // "0.0##"

void appendGrouped(std::string& out, ByteTotal value, bool zeroDigit) {
    if (value == 0) {
        if (zeroDigit)
            out += '0';
        return;
    }
    char digits[64]; // 39 digits and 12 commas at most
    int count = 0;
    while (value > 0) {
        if (count % 4 == 3)
            digits[count++] = ',';
        digits[count++] = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
    }
    while (count > 0)
        out += digits[--count];
}

// Writes magnitude / divisor under `pattern`, with a minus sign before a
// non-zero `negative` one. The quotient is rounded exactly with integers,
// which is what the double division gives for every size that a double
// holds exactly, without its representation errors at halves. The whole
// part of the quotient is divided out first, so that only the remainder
// (below the divisor, at most 2^20) is scaled.
void appendQuotient(std::string& out, bool negative, ByteTotal magnitude, std::uint64_t divisor,
                    const Pattern& pattern) {
    std::uint64_t scale = 1;
    for (int i = 0; i < pattern.maxDecimals; ++i)
        scale *= 10;
    const ByteTotal d = divisor;
    // magnitude * scale / d, rounded half away from zero, is
    // whole * scale + part.
    const ByteTotal whole = magnitude / d;
    const auto part = static_cast<std::uint64_t>((magnitude % d * scale * 2 + d) / (d * 2));

    const ByteTotal integerPart = whole + part / scale;
    std::uint64_t fraction = part % scale;
    const bool nonZero = whole != 0 || part != 0;
    int decimals = pattern.maxDecimals;
    while (decimals > pattern.minDecimals && fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    if (negative && nonZero)
        out += '-';
    appendGrouped(out, integerPart, pattern.zeroIntegerDigit);
    if (decimals > 0) {
        out += '.';
        char digits[8];
        for (int i = decimals - 1; i >= 0; --i) {
            digits[i] = static_cast<char>('0' + static_cast<int>(fraction % 10));
            fraction /= 10;
        }
        out.append(digits, static_cast<std::size_t>(decimals));
    }
}

// The size cell of `magnitude` bytes (less than nothing when `negative`):
// the unit's pattern changes at ten KB and one MB.
void appendSize(std::string& out, bool negative, ByteTotal magnitude, SizeUnit unit) {
    constexpr std::uint64_t KiB = 1024;
    constexpr std::uint64_t MiB = KiB * KiB;
    switch (unit) {
    case SizeUnit::KB:
        appendQuotient(out, negative, magnitude, KiB,
                       negative || magnitude < 10240 ? TwoDecimals : GroupedInteger);
        out += " KB";
        return;
    case SizeUnit::MB:
        appendQuotient(out, negative, magnitude, MiB,
                       negative || magnitude < MiB ? ThreeDecimals : GroupedInteger);
        out += " MB";
        return;
    case SizeUnit::Byte:
        break;
    }
    appendQuotient(out, negative, magnitude, 1, GroupedInteger);
    out += " Byte";
}

} // namespace

void appendSizeText(std::string& out, std::int64_t size, SizeUnit unit) {
    const bool negative = size < 0;
    appendSize(out, negative,
               negative ? 0 - static_cast<std::uint64_t>(size) : static_cast<std::uint64_t>(size),
               unit);
}

void appendTotalSizeText(std::string& out, ByteTotal total, SizeUnit unit) {
    appendSize(out, false, total, unit);
}

std::string totalSizeText(ByteTotal total, SizeUnit unit) {
    std::string out;
    appendTotalSizeText(out, total, unit);
    return out;
}

std::string sizeText(std::int64_t size, SizeUnit unit) {
    std::string out;
    appendSizeText(out, size, unit);
    return out;
}

std::string groupedCount(std::uint64_t count) {
    std::string out;
    appendGrouped(out, count, true);
    return out;
}

} // namespace kestro
