#include "platform/local_time.h"

#include <limits>

namespace kestro {

namespace {

constexpr std::int64_t QuarterSeconds = std::int64_t{15} * 60;
constexpr std::int64_t DaySeconds = std::int64_t{24} * 60 * 60;
// Marks a quarter hour whose offset is not one value (an old zone whose
// change falls off the quarter-hour grid) or cannot be known: its times are
// converted one by one.
constexpr std::int64_t NoSingleOffset = std::numeric_limits<std::int64_t>::min();

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
    std::int64_t quotient = value / divisor;
    return (value % divisor < 0) ? quotient - 1 : quotient;
}

// Year, month and day of a count of days since 1970-01-01 in the proleptic
// Gregorian calendar (H. Hinnant's civil_from_days), valid for negative
// counts too.
void civilFromDays(std::int64_t days, CalendarTime& out) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153; // March is 0
    out.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    out.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    out.year = static_cast<int>(yearOfEra + era * 400 + (out.month <= 2 ? 1 : 0));
}

} // namespace

LocalTimeConverter::LocalTimeConverter() {
    readZone();
}

CalendarTime LocalTimeConverter::toLocal(FileTime time) {
    // Far beyond any calendar the C library can express: converted one by
    // one, which gives the failed conversion's zero fields.
    constexpr std::int64_t Limit = std::int64_t{1} << 50;
    if (time.seconds > Limit || time.seconds < -Limit)
        return toLocalCalendar(time);

    const std::int64_t quarter = floorDiv(time.seconds, QuarterSeconds);
    Slot& slot = cache_[static_cast<std::size_t>(quarter & (cache_.size() - 1))];
    if (slot.quarter != quarter) {
        const std::int64_t start = quarter * QuarterSeconds;
        std::int64_t first = 0;
        std::int64_t last = 0;
        slot.quarter = quarter;
        slot.offsetSeconds = (zoneOffsetAt(start, first) &&
                              zoneOffsetAt(start + QuarterSeconds - 1, last) && first == last)
                                 ? first
                                 : NoSingleOffset;
    }
    if (slot.offsetSeconds == NoSingleOffset)
        return toLocalCalendar(time);

    const std::int64_t local = time.seconds + slot.offsetSeconds;
    const std::int64_t days = floorDiv(local, DaySeconds);
    const std::int64_t secondOfDay = local - days * DaySeconds;
    CalendarTime out;
    civilFromDays(days, out);
    out.hour = static_cast<int>(secondOfDay / 3600);
    out.minute = static_cast<int>(secondOfDay / 60 % 60);
    out.second = static_cast<int>(secondOfDay % 60);
    return out;
}

} // namespace kestro
