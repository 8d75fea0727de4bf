#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim {

struct CivilTime {
    int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int millisecond = 0;
};

enum class DateParse { Ok, Invalid, OutOfRange };

// A SQL Server datetime: days from 1900-01-01 and 1/300 s of the day, between
// 1753-01-01 and 9999-12-31.
class SqlDateTime {
public:
    // Validates the fields and rounds to 1/300 s as SQL Server does
    // (.000, .003, .007).
    static DateParse fromParts(int year, int month, int day, int hour, int minute, int second,
                               std::int64_t nanosecond, SqlDateTime& out);
    // int to datetime: that many days from 1900-01-01.
    static std::optional<SqlDateTime> fromDays(std::int64_t days);

    // The stored and transferred form "2016-11-25 17:42:30.000".
    std::string toText() const;
    // What converting to varchar gives by default: "Nov 25 2016  5:42PM".
    std::string toVarchar() const;
    CivilTime civil() const;

    friend bool operator==(const SqlDateTime&, const SqlDateTime&) = default;

private:
    std::int64_t days_ = 0;
    std::int32_t ticks_ = 0;
};

// The timestamp text the driver passes: "yyyy-mm-dd[ hh:mm:ss[.fraction]]".
DateParse parseTimestampText(std::string_view text, SqlDateTime& out);

// varchar to datetime as SQL Server reads it under us_english (mdy): "25-Nov-2016",
// "Nov 25 2016 5:42PM", "2016-11-25 17:42:30.123", "20161125", "11/25/2016", ...
DateParse parseDateTimeVarchar(std::string_view text, SqlDateTime& out);

bool isValidDate(int year, int month, int day);

// A quoted literal compared with a datetime column: converted as SQL Server
// converts varchar to datetime, throwing its conversion errors (241, 242).
SqlDateTime datetimeFromLiteral(std::string_view literal);

// Text prefixes that bound every stored datetime of one month or one day,
// for range searches on the stored text: [first, last).
struct StoredRange {
    std::string first;
    std::string last;
};
std::optional<StoredRange> monthRange(int year, int month);
std::optional<StoredRange> dayRange(int year, int month, int day);
// The text that every stored datetime at or after the moment compares at or
// above, and every earlier one below: a midnight is its date alone, so that a
// stored text without its time of day still belongs to its day.
std::string storedBound(const SqlDateTime& moment);

// English month names for the parser and for varchar output.
std::string_view monthAbbreviation(int month);

}  // namespace vantrok::sim
