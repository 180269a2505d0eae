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

void appendGrouped(std::string& out, std::uint64_t value, bool zeroDigit) {
    if (value == 0) {
        if (zeroDigit)
            out += '0';
        return;
    }
    char digits[32];
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

// Writes size / divisor under `pattern`. The quotient is rounded exactly
// with integers, which is what the double division gives for every size
// that a double holds exactly, without its representation errors at halves.
// Sizes reach 2^63: the whole part of the quotient is divided out first, so
// that only the remainder (below the divisor, at most 2^20) is scaled.
void appendQuotient(std::string& out, std::int64_t size, std::int64_t divisor,
                    const Pattern& pattern) {
    const bool negative = size < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(size) : static_cast<std::uint64_t>(size);
    std::uint64_t scale = 1;
    for (int i = 0; i < pattern.maxDecimals; ++i)
        scale *= 10;
    const auto d = static_cast<std::uint64_t>(divisor);
    // magnitude * scale / d, rounded half away from zero, is
    // whole * scale + part.
    const std::uint64_t whole = magnitude / d;
    const std::uint64_t part = (magnitude % d * scale * 2 + d) / (d * 2);

    const std::uint64_t integerPart = whole + part / scale;
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

} // namespace

void appendSizeText(std::string& out, std::int64_t size, SizeUnit unit) {
    constexpr std::int64_t KiB = 1024;
    constexpr std::int64_t MiB = 1024 * 1024;
    switch (unit) {
    case SizeUnit::KB:
        appendQuotient(out, size, KiB, size < 10240 ? TwoDecimals : GroupedInteger);
        out += " KB";
        return;
    case SizeUnit::MB:
        appendQuotient(out, size, MiB, size < MiB ? ThreeDecimals : GroupedInteger);
        out += " MB";
        return;
    case SizeUnit::Byte:
        break;
    }
    appendQuotient(out, size, 1, GroupedInteger);
    out += " Byte";
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
