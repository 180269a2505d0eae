#include "fileinfo/time_text.h"

namespace kestro {

namespace {
void appendTwoDigits(std::string& out, int value) {
    if (value < 0 || value > 99) {
        out += std::to_string(value);
        return;
    }
    out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
}
} // namespace

void appendTimeText(std::string& out, const CalendarTime& time) {
    out += std::to_string(time.year);
    out += '/';
    appendTwoDigits(out, time.month);
    out += '/';
    appendTwoDigits(out, time.day);
    out += ' ';
    appendTwoDigits(out, time.hour);
    out += ':';
    appendTwoDigits(out, time.minute);
    out += ':';
    appendTwoDigits(out, time.second);
}

std::string timeText(const CalendarTime& time) {
    std::string out;
    appendTimeText(out, time);
    return out;
}

} // namespace kestro
