#pragma once

#include <string>
#include <string_view>

#include "db/Connection.h"
#include "db/DateTime.h"

namespace vantrok {

// The invoice series; the prefix the database returns and the filter on the
// day's vouchers must name the same one.
inline constexpr std::string_view invoiceSeries = "C9";

// The query for the next sequence number of the given day.
std::string invoiceQueryText(const db::DateTime& day);
// The day as the invoice number carries it: "00" day, month without a leading
// zero, last two characters of the year (25-Nov-2016 gives 251116).
std::string invoiceDayText(const db::DateTime& day);

// The next invoice number of sdate's day ("dd-MMM-yyyy HH:mm:ss", a ";" read
// as ":"), e.g. INV/C9/251116/4; the empty text when the query yields no row.
// Throws ValueError for a sdate that is no date (before any query) and
// DatabaseError for a failing query.
std::string Generate_Invoice_No(db::Connection& sales, std::string_view sdate);

}  // namespace vantrok
