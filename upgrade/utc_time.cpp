// SPDX-License-Identifier: MIT
#include "upgrade/utc_time.h"

#include <cstdio>

namespace {

struct UtcFields {
    int year;
    unsigned month;
    unsigned day;
    int hours;
    int minutes;
    int seconds;
    int milliseconds;
};

UtcFields FieldsOf(std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto milliseconds = floor<std::chrono::milliseconds>(time);
    const auto day = floor<days>(milliseconds);
    const year_month_day date(day);
    const hh_mm_ss clock(milliseconds - day);
    return {static_cast<int>(date.year()),          static_cast<unsigned>(date.month()),
            static_cast<unsigned>(date.day()),      static_cast<int>(clock.hours().count()),
            static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()),
            static_cast<int>(clock.subseconds().count())};
}

}  // namespace

std::string UtcTimestamp(std::chrono::system_clock::time_point time)
{
    const UtcFields t = FieldsOf(time);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02d.%03dZ", t.year, t.month, t.day, t.hours, t.minutes,
                  t.seconds, t.milliseconds);
    return text;
}

std::string UtcStamp(std::chrono::system_clock::time_point time)
{
    const UtcFields t = FieldsOf(time);
    char text[40];
    std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d%02dZ", t.year, t.month, t.day, t.hours, t.minutes,
                  t.seconds);
    return text;
}

std::string UtcText(std::chrono::system_clock::time_point time)
{
    const UtcFields t = FieldsOf(time);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d UTC", t.year, t.month, t.day, t.hours, t.minutes,
                  t.seconds);
    return text;
}

std::optional<std::chrono::system_clock::time_point> ParseUtcTimestamp(const std::string& text)
{
    using namespace std::chrono;
    int year = 0;
    unsigned month = 0, day = 0;
    int hours = 0, minutes = 0, seconds = 0, milliseconds = 0;
    int length = 0;
    if (std::sscanf(text.c_str(), "%4d-%2u-%2uT%2d:%2d:%2d.%3dZ%n", &year, &month, &day, &hours, &minutes, &seconds,
                    &milliseconds, &length) != 7 ||
        static_cast<std::size_t>(length) != text.size())
        return std::nullopt;
    const year_month_day date{std::chrono::year(year), std::chrono::month(month), std::chrono::day(day)};
    if (!date.ok() || hours > 23 || minutes > 59 || seconds > 60 || hours < 0 || minutes < 0 || seconds < 0 ||
        milliseconds < 0)
        return std::nullopt;
    return sys_days(date) + std::chrono::hours(hours) + std::chrono::minutes(minutes) + std::chrono::seconds(seconds) +
           std::chrono::milliseconds(milliseconds);
}
