#pragma once

// Conversion of file times to the local calendar of the user's time zone.

#include "platform/file_facts.h"

#include <array>
#include <cstdint>

namespace kestro {

struct CalendarTime {
    int year = 0;
    int month = 0; // 1-12
    int day = 0;   // 1-31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Converts times to local time. The zone's offset from UTC changes only at a
// few moments a year, nowadays always at a multiple of 15 minutes, so the
// offset is looked up once per quarter hour and cached; the calendar fields
// are then computed arithmetically. A quarter hour that holds a change (old
// zones changed off that grid) is converted time by time. The zone (TZ) is
// read when the converter is made. A time the C library cannot convert
// gives all-zero fields. One converter per thread; not thread-safe.
class LocalTimeConverter {
public:
    LocalTimeConverter();
    CalendarTime toLocal(FileTime time);

private:
    struct Slot {
        std::int64_t quarter = INT64_MIN;
        std::int64_t offsetSeconds = 0;
    };
    std::array<Slot, 1024> cache_;
};

// Local calendar fields of `time` (an uncached conversion in the current
// zone); all zero when the C library cannot convert it.
CalendarTime toLocalCalendar(FileTime time);

// What each system's file gives the portable conversion (local_time.cpp):

// Reads the user's time zone again (TZ where the system has it).
void readZone();

// The zone's offset from UTC in seconds at `seconds` since the epoch; false
// when the system cannot tell.
bool zoneOffsetAt(std::int64_t seconds, std::int64_t& offset);

} // namespace kestro
