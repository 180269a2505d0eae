#include "platform/local_time.h"

#include <ctime>
#include <limits>

namespace kestro {

void readZone() {
    ::tzset();
}

bool zoneOffsetAt(std::int64_t seconds, std::int64_t& offset) {
    auto when = static_cast<std::time_t>(seconds);
    std::tm fields{};
    if (!::localtime_r(&when, &fields))
        return false;
    offset = fields.tm_gmtoff;
    return true;
}

CalendarTime toLocalCalendar(FileTime time) {
    // The zone may have changed since the last conversion; tzset only
    // rereads it when TZ differs.
    ::tzset();
    auto when = static_cast<std::time_t>(time.seconds);
    std::tm fields{};
    CalendarTime out;
    // A conversion that fails gives zero fields.
    if (!::localtime_r(&when, &fields) || fields.tm_year > std::numeric_limits<int>::max() - 1900)
        return out;
    out.year = fields.tm_year + 1900;
    out.month = fields.tm_mon + 1;
    out.day = fields.tm_mday;
    out.hour = fields.tm_hour;
    out.minute = fields.tm_min;
    out.second = fields.tm_sec;
    return out;
}

} // namespace kestro
