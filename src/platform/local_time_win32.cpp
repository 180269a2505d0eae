#include "platform/local_time.h"

#include "platform/wide_path.h"

#include <windows.h>

namespace kestro {

namespace {

// The local calendar of `seconds` by the system's rules of the current time
// zone, with the daylight saving in effect at that time.
bool localSystemTime(std::int64_t seconds, SYSTEMTIME& local) {
    // FILETIME counts from 1601; the system converts up to the year 30827.
    constexpr std::int64_t Earliest = -11644473600;
    constexpr std::int64_t Latest = 910692730085;
    if (seconds < Earliest || seconds > Latest)
        return false;
    const std::uint64_t ticks = win32::toFileTime(seconds, 0);
    FILETIME universal{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc{};
    if (!::FileTimeToSystemTime(&universal, &utc))
        return false;
    return ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local) != 0;
}

std::int64_t secondsOf(const SYSTEMTIME& time) {
    FILETIME ticks{};
    ::SystemTimeToFileTime(&time, &ticks);
    std::int64_t seconds = 0;
    std::uint32_t nanoseconds = 0;
    win32::fromFileTime((std::uint64_t{ticks.dwHighDateTime} << 32) | ticks.dwLowDateTime, seconds,
                        nanoseconds);
    return seconds;
}

} // namespace

bool zoneOffsetAt(std::int64_t seconds, std::int64_t& offset) {
    SYSTEMTIME local{};
    if (!localSystemTime(seconds, local))
        return false;
    offset = secondsOf(local) - seconds;
    return true;
}

void readZone() {}

CalendarTime toLocalCalendar(FileTime time) {
    SYSTEMTIME local{};
    CalendarTime out;
    // A conversion that fails gives zero fields.
    if (!localSystemTime(time.seconds, local))
        return out;
    out.year = local.wYear;
    out.month = local.wMonth;
    out.day = local.wDay;
    out.hour = local.wHour;
    out.minute = local.wMinute;
    out.second = local.wSecond;
    return out;
}

} // namespace kestro
