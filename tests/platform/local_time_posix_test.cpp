#include "platform/local_time.h"

#include "support/temp_tree.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace kestro {

namespace {

// Fields as text, so that a mismatch shows them all.
std::string fields(const CalendarTime& t) {
    return std::to_string(t.year) + '/' + std::to_string(t.month) + '/' + std::to_string(t.day) +
           ' ' + std::to_string(t.hour) + ':' + std::to_string(t.minute) + ':' +
           std::to_string(t.second);
}

struct ZoneCase {
    const char* zone;
    std::int64_t seconds;
    CalendarTime expected;
};

TEST(LocalTimeTest, FieldsInFixedZones) {
    const std::vector<ZoneCase> cases = {
        {"UTC", 0, {1970, 1, 1, 0, 0, 0}},
        {"UTC", -1, {1969, 12, 31, 23, 59, 59}},
        {"UTC", 951782400, {2000, 2, 29, 0, 0, 0}},
        {"UTC", -2208988800, {1900, 1, 1, 0, 0, 0}},
        {"UTC", -11644473600, {1601, 1, 1, 0, 0, 0}},
        {"UTC", 4102444799, {2099, 12, 31, 23, 59, 59}},
        {"Asia/Tokyo", 0, {1970, 1, 1, 9, 0, 0}},
        {"Asia/Tokyo", 946857907, {2000, 1, 3, 9, 5, 7}},
        {"Asia/Tokyo", -32401, {1969, 12, 31, 23, 59, 59}},
        // Berlin: summer time begins 2023-03-26 01:00 UTC and ends
        // 2023-10-29 01:00 UTC.
        {"Europe/Berlin", 1679792399, {2023, 3, 26, 1, 59, 59}},
        {"Europe/Berlin", 1679792400, {2023, 3, 26, 3, 0, 0}},
        {"Europe/Berlin", 1698541199, {2023, 10, 29, 2, 59, 59}},
        {"Europe/Berlin", 1698541200, {2023, 10, 29, 2, 0, 0}},
        {"Europe/Berlin", -315619200, {1960, 1, 1, 1, 0, 0}},
        {"Asia/Kolkata", 0, {1970, 1, 1, 5, 30, 0}},
        // Amsterdam kept +00:19:32 until 1937; its summer time of 1930 began
        // at 01:40:28 UTC, inside a quarter hour.
        {"Europe/Amsterdam", -1250720380, {1930, 5, 15, 1, 59, 52}},
        {"Europe/Amsterdam", -1250720360, {1930, 5, 15, 3, 0, 12}},
    };
    for (const auto& c : cases) {
        test::ScopedEnv zone("TZ", c.zone);
        LocalTimeConverter converter;
        FileTime time{c.seconds, 999999999};
        EXPECT_EQ(fields(converter.toLocal(time)), fields(c.expected))
            << c.zone << ' ' << c.seconds;
        EXPECT_EQ(fields(toLocalCalendar(time)), fields(c.expected)) << c.zone << ' ' << c.seconds;
    }
}

// The cached conversion must agree with the C library everywhere, also in
// zones with half-hour rules and with old offsets off the quarter-hour grid.
TEST(LocalTimeTest, CachedConversionAgreesWithLibrary) {
    for (const char* zone : {"Europe/Berlin", "Asia/Tokyo", "UTC", "Europe/Amsterdam",
                             "Australia/Lord_Howe", "America/St_Johns"}) {
        test::ScopedEnv tz("TZ", zone);
        LocalTimeConverter converter;
        std::vector<std::int64_t> times;
        // Every 613 seconds through 2023, so quarter hours are met once or
        // twice and every change of that year is crossed; then
        // random times from 1880 to 2100.
        for (std::int64_t t = 1672531200; t < 1704067200; t += 613)
            times.push_back(t);
        std::uint64_t state = 12345;
        for (int i = 0; i < 10000; ++i) {
            state = state * 6364136223846793005u + 1442695040888963407u;
            times.push_back(static_cast<std::int64_t>((state >> 20) % 6942000000u) - 2839000000);
        }
        int mismatches = 0;
        for (std::int64_t seconds : times) {
            if (mismatches >= 5)
                break;
            FileTime time{seconds, 0};
            std::string cached = fields(converter.toLocal(time));
            std::string direct = fields(toLocalCalendar(time));
            if (cached != direct) {
                ++mismatches;
                ADD_FAILURE() << zone << ' ' << seconds << ": " << cached << " vs " << direct;
            }
        }
    }
}

TEST(LocalTimeTest, ConverterTakesTheZoneAtConstruction) {
    test::ScopedEnv utc("TZ", "UTC");
    LocalTimeConverter inUtc;
    EXPECT_EQ(inUtc.toLocal({0, 0}).hour, 0);
    test::ScopedEnv tokyo("TZ", "Asia/Tokyo");
    LocalTimeConverter inTokyo;
    EXPECT_EQ(inTokyo.toLocal({0, 0}).hour, 9);
}

TEST(LocalTimeTest, UnrepresentableTimesGiveZeroFields) {
    test::ScopedEnv zone("TZ", "Asia/Tokyo");
    LocalTimeConverter converter;
    for (std::int64_t seconds :
         {std::numeric_limits<std::int64_t>::max(), std::numeric_limits<std::int64_t>::min()}) {
        EXPECT_EQ(fields(converter.toLocal({seconds, 0})), "0/0/0 0:0:0") << seconds;
        EXPECT_EQ(fields(toLocalCalendar({seconds, 0})), "0/0/0 0:0:0") << seconds;
    }
}

} // namespace
} // namespace kestro
