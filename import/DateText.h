#pragma once

#include <string>
#include <string_view>

#include "db/DateTime.h"

namespace vantrok {

// Dates and times travel between the procedures as text with English month
// abbreviations, whatever the machine's language: "25-Nov-2016 17:42:30".

// 28 to 31, by the Gregorian calendar.
int daysInMonth(int year, int month);

// "dd-MMM-yyyy HH:mm:ss"
std::string dateTimeText(const db::DateTime& moment);
// "dd-MMM-yyyy"
std::string dateText(const db::DateTime& moment);

// Reads "d-MMM-yyyy" with an optional "H:mm" or "H:mm:ss" after a blank; the
// month abbreviation in any letter case. Throws ValueError for anything else,
// including a day the month does not have.
db::DateTime parseDateTimeText(std::string_view text);

}  // namespace vantrok
