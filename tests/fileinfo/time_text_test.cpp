#include "fileinfo/time_text.h"

#include <gtest/gtest.h>

namespace kestro {
namespace {

// The list's form of a time: four-digit years in one piece, other years as
// their digits, and a failed conversion's zero fields as they are.
TEST(TimeText, TheListsFormForEveryYear) {
    const struct {
        CalendarTime time;
        const char* text;
    } cases[] = {
        {{2001, 9, 9, 10, 46, 40}, "2001/09/09 10:46:40"},
        {{1000, 1, 1, 0, 0, 0}, "1000/01/01 00:00:00"},
        {{9999, 12, 31, 23, 59, 59}, "9999/12/31 23:59:59"},
        {{999, 1, 2, 3, 4, 5}, "999/01/02 03:04:05"},
        {{10000, 1, 2, 3, 4, 5}, "10000/01/02 03:04:05"},
        {{-44, 3, 15, 12, 0, 0}, "-44/03/15 12:00:00"},
        {{}, "0/00/00 00:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(timeText(c.time), c.text);
}

} // namespace
} // namespace kestro
