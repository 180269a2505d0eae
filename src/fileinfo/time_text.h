#pragma once

// The time text of the file object and the list: the year without leading
// zeros, then month, day, hour, minute and second with two digits each
// (1999/05/05 13:04:09).

#include "platform/local_time.h"

#include <string>

namespace kestro {

// Appends the text of `time` to `out` without any temporary allocation (the
// create command formats millions of these).
void appendTimeText(std::string& out, const CalendarTime& time);

std::string timeText(const CalendarTime& time);

} // namespace kestro
