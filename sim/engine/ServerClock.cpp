#include "sim/engine/ServerClock.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <optional>

#include "sim/engine/SqlDateTime.h"

namespace vantrok::sim {

namespace {

std::optional<std::tm> clockFields(const std::string& text) {
    std::tm fields{};
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &fields.tm_year, &fields.tm_mon, &fields.tm_mday,
                    &fields.tm_hour, &fields.tm_min, &fields.tm_sec, &tail) != 6 ||
        !isValidDate(fields.tm_year, fields.tm_mon, fields.tm_mday) || fields.tm_hour > 23 || fields.tm_min > 59 ||
        fields.tm_sec > 59)
        return std::nullopt;
    fields.tm_year -= 1900;
    fields.tm_mon -= 1;
    fields.tm_isdst = -1;
    return fields;
}

Cell datetimeCell(const std::tm& t, int millisecond) {
    SqlDateTime moment;
    SqlDateTime::fromParts(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                           std::int64_t{millisecond} * 1'000'000, moment);
    return moment.toText();
}

ResultColumn datetimeColumn(const char* name) {
    ResultColumn column;
    column.name = name;
    column.type = SqlType::DateTime;
    column.precision = 23;
    column.scale = 3;
    column.nullable = false;
    return column;
}

}  // namespace

bool isClockMoment(const std::string& text) { return clockFields(text).has_value(); }

ResultTable serverClock(const std::string& frozenLocal) {
    std::time_t seconds = 0;
    int millisecond = 0;
    if (const auto frozen = clockFields(frozenLocal)) {
        std::tm fields = *frozen;
        seconds = std::mktime(&fields);
    } else {
        const auto now = std::chrono::system_clock::now().time_since_epoch();
        seconds = static_cast<std::time_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
        millisecond = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000);
    }
    std::tm local{}, utc{};
    localtime_r(&seconds, &local);
    gmtime_r(&seconds, &utc);
    ResultTable table;
    table.columns = {datetimeColumn("Local_Now"), datetimeColumn("Utc_Now")};
    table.rows.push_back({datetimeCell(local, millisecond), datetimeCell(utc, millisecond)});
    return table;
}

}  // namespace vantrok::sim
