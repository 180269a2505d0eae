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
    const auto twoDigits = [](int value) { return value >= 0 && value <= 99; };
    if (time.year >= 1000 && time.year <= 9999 && twoDigits(time.month) && twoDigits(time.day) &&
        twoDigits(time.hour) && twoDigits(time.minute) && twoDigits(time.second)) {
        // Every time of a list but the odd one: "yyyy/mm/dd hh:mm:ss" in
        // one piece.
        char text[19];
        const auto put = [&text](std::size_t at, int value) {
            text[at] = static_cast<char>('0' + value / 10);
            text[at + 1] = static_cast<char>('0' + value % 10);
        };
        put(0, time.year / 100);
        put(2, time.year % 100);
        text[4] = '/';
        put(5, time.month);
        text[7] = '/';
        put(8, time.day);
        text[10] = ' ';
        put(11, time.hour);
        text[13] = ':';
        put(14, time.minute);
        text[16] = ':';
        put(17, time.second);
        out.append(text, sizeof text);
        return;
    }
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
