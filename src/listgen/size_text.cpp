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

// Writes the digits of `value` with a comma between groups of three,
// backwards from `end`; returns where they start.
template <class Unsigned> char* groupedDigitsBefore(char* end, Unsigned value) {
    int count = 0;
    while (value > 0) {
        if (count % 3 == 0 && count > 0)
            *--end = ',';
        *--end = static_cast<char>('0' + static_cast<int>(value % 10));
        value /= 10;
        ++count;
    }
    return end;
}

void appendGrouped(std::string& out, ByteTotal value, bool zeroDigit) {
    if (value == 0) {
        if (zeroDigit)
            out += '0';
        return;
    }
    char digits[64]; // 39 digits and 12 commas at most
    char* const end = digits + sizeof digits;
    // A file's size fits 64 bits, whose division is far cheaper.
    char* const start = value <= UINT64_MAX
                            ? groupedDigitsBefore(end, static_cast<std::uint64_t>(value))
                            : groupedDigitsBefore(end, value);
    out.append(start, end);
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
    // magnitude * scale / divisor, rounded half away from zero, is
    // whole * scale + part. A size that fits 64 bits (every file's) is
    // divided in 64 bits.
    ByteTotal whole = 0;
    std::uint64_t remainder = 0;
    if (magnitude <= UINT64_MAX) {
        const auto narrow = static_cast<std::uint64_t>(magnitude);
        whole = narrow / divisor;
        remainder = narrow % divisor;
    } else {
        whole = magnitude / divisor;
        remainder = static_cast<std::uint64_t>(magnitude % divisor);
    }
    const std::uint64_t part = (remainder * scale * 2 + divisor) / (divisor * 2);

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
