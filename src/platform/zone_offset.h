#pragma once

// The local time zone as each system knows it, for the portable conversion
// of file times (local_time.cpp); not part of the platform's interface.

#include <cstdint>

namespace kestro {

// Reads the user's time zone again (TZ where the system has it).
void readZone();

// The zone's offset from UTC in seconds at `seconds` since the epoch; false
// when the system cannot tell.
bool zoneOffsetAt(std::int64_t seconds, std::int64_t& offset);

} // namespace kestro
