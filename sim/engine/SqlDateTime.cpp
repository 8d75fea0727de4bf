#include "sim/engine/SqlDateTime.h"

#include <array>
#include <cctype>
#include <vector>

#include "sim/engine/SqlErrors.h"
#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

constexpr std::int64_t ticksPerSecond = 300;
constexpr std::int64_t ticksPerDay = 86400 * ticksPerSecond;

constexpr std::array<std::string_view, 12> monthNames = {"january", "february", "march",     "april",
                                                         "may",     "june",     "july",      "august",
                                                         "september", "october", "november", "december"};

// Days from 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    std::int64_t yoe = y - era * 400;
    std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    std::int64_t doe = z - era * 146097;
    std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    std::int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

const std::int64_t epoch1900 = daysFromCivil(1900, 1, 1);
const std::int64_t firstDay = daysFromCivil(1753, 1, 1) - epoch1900;
const std::int64_t lastDay = daysFromCivil(9999, 12, 31) - epoch1900;

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<std::size_t>(month - 1)];
}

std::string digits(int value, int width) {
    std::string s = std::to_string(value);
    return s.size() < static_cast<std::size_t>(width) ? std::string(width - s.size(), '0') + s : s;
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

int toNumber(std::string_view s) {
    int n = 0;
    for (char c : s) n = n * 10 + (c - '0');
    return n;
}

// A month name in full or its first three letters; 0 when it is none.
int monthFromName(std::string_view word) {
    std::string w = toLower(word);
    for (std::size_t i = 0; i < monthNames.size(); ++i)
        if (w == monthNames[i] || (w.size() == 3 && monthNames[i].substr(0, 3) == w)) return static_cast<int>(i) + 1;
    return 0;
}

// Two-digit years as SQL Server's default cut-off (2049) reads them.
bool readYear(std::string_view s, int& year) {
    if (!allDigits(s)) return false;
    if (s.size() == 4) {
        year = toNumber(s);
        return true;
    }
    if (s.size() == 2) {
        int yy = toNumber(s);
        year = yy < 50 ? 2000 + yy : 1900 + yy;
        return true;
    }
    return false;
}

bool readSmall(std::string_view s, int& value) {
    if (!allDigits(s) || s.size() > 2) return false;
    value = toNumber(s);
    return true;
}

struct TimeOfDay {
    int hour = 0, minute = 0, second = 0;
    std::int64_t nanosecond = 0;
};

// "17:42", "17:42:30", "17:42:30.123", "17:42:30:123", "5:42PM", "5 PM".
bool parseTime(std::string_view text, TimeOfDay& t) {
    std::string s = toLower(text);
    int meridiem = 0;  // 1 am, 2 pm
    for (std::string_view suffix : {"am", "pm"}) {
        if (s.size() >= 2 && s.compare(s.size() - 2, 2, suffix) == 0) {
            meridiem = suffix == "am" ? 1 : 2;
            s.resize(s.size() - 2);
            while (!s.empty() && s.back() == ' ') s.pop_back();
        }
    }
    std::vector<std::string> parts;
    std::string fraction;
    bool hasFraction = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == ':' || s[i] == '.') {
            parts.push_back(s.substr(start, i - start));
            if (i < s.size() && s[i] == '.') {
                hasFraction = true;
                fraction = s.substr(i + 1);
                break;
            }
            start = i + 1;
        }
    }
    if (parts.empty() || parts.size() > 4 || (parts.size() == 1 && meridiem == 0)) return false;
    if (parts.size() == 4) {  // hh:mm:ss:mmm counts milliseconds
        if (hasFraction) return false;
        if (!allDigits(parts[3]) || parts[3].size() > 3) return false;
        t.nanosecond = std::int64_t{toNumber(parts[3])} * 1'000'000;
        parts.pop_back();
    }
    if (hasFraction) {
        if (fraction.size() > 3 || (!fraction.empty() && !allDigits(fraction)) || parts.size() < 2) return false;
        fraction.append(9 - fraction.size(), '0');
        t.nanosecond = std::stoll(fraction);
    }
    int* fields[] = {&t.hour, &t.minute, &t.second};
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (!readSmall(parts[i], *fields[i])) return false;
    if (meridiem != 0) {
        if (t.hour > 12) return false;
        if (t.hour == 12) t.hour = 0;
        if (meridiem == 2) t.hour += 12;
    }
    return t.hour < 24 && t.minute < 60 && t.second < 60;
}

struct Date {
    int year = 1900, month = 1, day = 1;
};

bool parseDate(std::string_view text, Date& d) {
    std::vector<std::string_view> tokens;
    std::size_t i = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '-' || c == '/' || c == '.' || c == ',' || c == ' ') {
            ++i;
            continue;
        }
        std::size_t j = i;
        bool alpha = std::isalpha(static_cast<unsigned char>(c)) != 0;
        while (j < text.size() && (alpha ? std::isalpha(static_cast<unsigned char>(text[j]))
                                         : std::isdigit(static_cast<unsigned char>(text[j]))))
            ++j;
        if (j == i) return false;
        tokens.push_back(text.substr(i, j - i));
        i = j;
    }
    if (tokens.empty()) return true;
    int named = 0;
    std::size_t namedAt = 0;
    for (std::size_t k = 0; k < tokens.size(); ++k) {
        if (!allDigits(tokens[k])) {
            if (named || !(named = monthFromName(tokens[k]))) return false;
            namedAt = k;
        }
    }
    if (named) {
        d.month = named;
        if (tokens.size() != 3) return false;
        if (namedAt == 0) return readSmall(tokens[1], d.day) && readYear(tokens[2], d.year);
        if (namedAt == 1) {
            if (tokens[0].size() == 4) return readYear(tokens[0], d.year) && readSmall(tokens[2], d.day);
            return readSmall(tokens[0], d.day) && readYear(tokens[2], d.year);
        }
        return false;
    }
    if (tokens.size() == 1) {
        std::string_view t = tokens[0];
        if (t.size() == 8) return readYear(t.substr(0, 4), d.year) && readSmall(t.substr(4, 2), d.month) &&
                                  readSmall(t.substr(6, 2), d.day);
        if (t.size() == 6) return readYear(t.substr(0, 2), d.year) && readSmall(t.substr(2, 2), d.month) &&
                                  readSmall(t.substr(4, 2), d.day);
        if (t.size() == 4) return readYear(t, d.year);
        return false;
    }
    if (tokens.size() != 3) return false;
    if (tokens[0].size() == 4)
        return readYear(tokens[0], d.year) && readSmall(tokens[1], d.month) && readSmall(tokens[2], d.day);
    return readSmall(tokens[0], d.month) && readSmall(tokens[1], d.day) && readYear(tokens[2], d.year);
}

bool isTimeToken(std::string_view token) {
    std::string t = toLower(token);
    if (t.find(':') != std::string::npos) return true;
    if (t == "am" || t == "pm") return true;
    return t.size() > 2 && (t.ends_with("am") || t.ends_with("pm")) && allDigits(t.substr(0, t.size() - 2));
}

}  // namespace

DateParse SqlDateTime::fromParts(int year, int month, int day, int hour, int minute, int second,
                                 std::int64_t nanosecond, SqlDateTime& out) {
    if (month < 1 || month > 12 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 59 || nanosecond < 0 || nanosecond > 999'999'999)
        return DateParse::Invalid;
    if (day > daysInMonth(year, month)) return DateParse::OutOfRange;
    std::int64_t days = daysFromCivil(year, month, day) - epoch1900;
    std::int64_t ticks = (std::int64_t{hour} * 3600 + minute * 60 + second) * ticksPerSecond +
                         (nanosecond * 3 + 5'000'000) / 10'000'000;
    if (ticks >= ticksPerDay) {
        ticks -= ticksPerDay;
        ++days;
    }
    if (days < firstDay || days > lastDay) return DateParse::OutOfRange;
    out.days_ = days;
    out.ticks_ = static_cast<std::int32_t>(ticks);
    return DateParse::Ok;
}

std::optional<SqlDateTime> SqlDateTime::fromDays(std::int64_t days) {
    if (days < firstDay || days > lastDay) return std::nullopt;
    SqlDateTime d;
    d.days_ = days;
    return d;
}

CivilTime SqlDateTime::civil() const {
    CivilTime c;
    civilFromDays(days_ + epoch1900, c.year, c.month, c.day);
    std::int64_t seconds = ticks_ / ticksPerSecond;
    auto t = static_cast<int>(ticks_ % ticksPerSecond);
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    c.millisecond = (t * 10 + 1) / 3;
    return c;
}

std::string SqlDateTime::toText() const {
    CivilTime c = civil();
    return digits(c.year, 4) + "-" + digits(c.month, 2) + "-" + digits(c.day, 2) + " " + digits(c.hour, 2) + ":" +
           digits(c.minute, 2) + ":" + digits(c.second, 2) + "." + digits(c.millisecond, 3);
}

std::string SqlDateTime::toVarchar() const {
    CivilTime c = civil();
    auto padded = [](int v) { return v < 10 ? " " + std::to_string(v) : std::to_string(v); };
    int hour12 = c.hour % 12 == 0 ? 12 : c.hour % 12;
    return std::string(monthAbbreviation(c.month)) + " " + padded(c.day) + " " + digits(c.year, 4) + " " +
           padded(hour12) + ":" + digits(c.minute, 2) + (c.hour < 12 ? "AM" : "PM");
}

DateParse parseTimestampText(std::string_view text, SqlDateTime& out) {
    // yyyy-mm-dd, then optionally " hh:mm:ss" and a fraction of any length.
    auto field = [&](std::size_t at, std::size_t len, int& value) {
        if (text.size() < at + len || !allDigits(text.substr(at, len))) return false;
        value = toNumber(text.substr(at, len));
        return true;
    };
    int y, mo, d, h = 0, mi = 0, s = 0;
    std::int64_t nanos = 0;
    if (!field(0, 4, y) || text.size() < 10 || text[4] != '-' || text[7] != '-' || !field(5, 2, mo) ||
        !field(8, 2, d))
        return DateParse::Invalid;
    if (text.size() > 10) {
        if (text.size() < 19 || text[10] != ' ' || text[13] != ':' || text[16] != ':' || !field(11, 2, h) ||
            !field(14, 2, mi) || !field(17, 2, s))
            return DateParse::Invalid;
        if (text.size() > 19) {
            std::string_view fraction = text.substr(20);
            if (text[19] != '.' || fraction.size() > 9 || !allDigits(fraction)) return DateParse::Invalid;
            std::string nine(fraction);
            nine.append(9 - nine.size(), '0');
            nanos = std::stoll(nine);
        }
    }
    return SqlDateTime::fromParts(y, mo, d, h, mi, s, nanos, out);
}

DateParse parseDateTimeVarchar(std::string_view text, SqlDateTime& out) {
    std::size_t begin = text.find_first_not_of(' ');
    std::string_view s = begin == std::string_view::npos
                             ? std::string_view()
                             : text.substr(begin, text.find_last_not_of(' ') + 1 - begin);
    std::string datePart;
    std::string timePart;
    if (s.size() > 10 && (s[10] == 'T' || s[10] == 't') && allDigits(s.substr(0, 4)) && s[4] == '-') {
        datePart = s.substr(0, 10);  // ISO 8601 "2016-11-25T17:42:30"
        timePart = s.substr(11);
        if (timePart.empty()) return DateParse::Invalid;
    } else {
        std::size_t i = 0;
        while (i < s.size()) {
            std::size_t j = s.find(' ', i);
            if (j == std::string_view::npos) j = s.size();
            std::string_view token = s.substr(i, j - i);
            if (!token.empty()) {
                std::string& part = isTimeToken(token) ? timePart : datePart;
                if (!part.empty()) part += ' ';
                part += token;
            }
            i = j + 1;
        }
    }
    Date d;
    TimeOfDay t;
    if (!parseDate(datePart, d)) return DateParse::Invalid;
    if (!timePart.empty() && !parseTime(timePart, t)) return DateParse::Invalid;
    if (d.month < 1 || d.month > 12 || d.day < 1) return DateParse::OutOfRange;
    return SqlDateTime::fromParts(d.year, d.month, d.day, t.hour, t.minute, t.second, t.nanosecond, out);
}

bool isValidDate(int year, int month, int day) {
    return year >= 1753 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= daysInMonth(year, month);
}

std::optional<StoredRange> monthRange(int year, int month) {
    if (!isValidDate(year, month, 1)) return std::nullopt;
    std::string prefix = digits(year, 4) + "-" + digits(month, 2) + "-";
    return StoredRange{prefix, prefix + "~"};
}

std::optional<StoredRange> dayRange(int year, int month, int day) {
    if (!isValidDate(year, month, day)) return std::nullopt;
    std::string prefix = digits(year, 4) + "-" + digits(month, 2) + "-" + digits(day, 2) + " ";
    return StoredRange{prefix, prefix + "~"};
}

std::string storedBound(const SqlDateTime& moment) {
    const std::string text = moment.toText();
    return text.ends_with(" 00:00:00.000") ? text.substr(0, 10) : text;
}

SqlDateTime datetimeFromLiteral(std::string_view literal) {
    SqlDateTime moment;
    switch (parseDateTimeVarchar(literal, moment)) {
    case DateParse::Ok: break;
    case DateParse::Invalid: throw errors::dateFromText();
    case DateParse::OutOfRange: throw errors::dateOutOfRange();
    }
    return moment;
}

std::string_view monthAbbreviation(int month) {
    static constexpr std::array<std::string_view, 12> names = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return names[static_cast<std::size_t>(month - 1)];
}

}  // namespace vantrok::sim
