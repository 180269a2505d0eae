#include "listgen/size_text.h"

namespace kestro {

namespace {

// Sizes reach 2^63 and are scaled by up to 2000 before dividing.
__extension__ typedef __int128 Int128;
__extension__ typedef unsigned __int128 UInt128;

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

void appendGrouped(std::string& out, UInt128 value, bool zeroDigit) {
    if (value == 0) {
        if (zeroDigit)
            out += '0';
        return;
    }
    char digits[48];
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
void appendQuotient(std::string& out, std::int64_t size, std::int64_t divisor,
                    const Pattern& pattern) {
    const bool negative = size < 0;
    const UInt128 magnitude =
        negative ? static_cast<UInt128>(-(static_cast<Int128>(size))) : static_cast<UInt128>(size);
    UInt128 scale = 1;
    for (int i = 0; i < pattern.maxDecimals; ++i)
        scale *= 10;
    const UInt128 d = static_cast<UInt128>(divisor);
    const UInt128 rounded = (magnitude * scale * 2 + d) / (d * 2);

    UInt128 integerPart = rounded / scale;
    UInt128 fraction = rounded % scale;
    int decimals = pattern.maxDecimals;
    while (decimals > pattern.minDecimals && fraction % 10 == 0) {
        fraction /= 10;
        --decimals;
    }
    if (negative && rounded != 0)
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

} // namespace kestro
