#include "sim/engine/InvoiceNumberQuery.h"

#include <algorithm>
#include <limits>

#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {

namespace {

// REVERSE(LEFT(REVERSE(v), CHARINDEX('/',REVERSE(v))-1)) AS INT
std::int32_t numberAfterLastSlash(const std::string& voucher) {
    std::size_t slash = voucher.rfind('/');
    if (slash == std::string::npos) throw errors::invalidLength();  // LEFT(..., -1)
    return intFromLiteral(std::string_view(voucher).substr(slash + 1));
}

}  // namespace

ResultTable InvoiceNumberQuery::run(const MatchedStatement& statement) {
    const std::string& series = statement.literals[0];
    const std::string& dateLiteral = statement.literals[1];
    const std::string& prefixFilter = statement.literals[2];

    SqlDateTime date;
    switch (parseDateTimeVarchar(dateLiteral, date)) {
    case DateParse::Ok: break;
    case DateParse::Invalid: throw errors::dateFromText();
    case DateParse::OutOfRange: throw errors::dateOutOfRange();
    }
    // The rebuilt S_Date is a midnight: a query date with a time of day matches nothing.
    CivilTime day = date.civil();
    bool midnight = day.hour == 0 && day.minute == 0 && day.second == 0 && day.millisecond == 0;
    std::optional<StoredRange> range = midnight ? dayRange(day.year, day.month, day.day) : std::nullopt;

    if (!vouchers_)
        vouchers_.emplace(db_.prepare(
            "SELECT VocNo FROM D17_DailySale WHERE S_Date >= ?1 AND S_Date < ?2 "
            "AND rtrim(substr(VocNo, 1, 6)) = rtrim(?3) COLLATE NOCASE ORDER BY rowid"));
    sqlite::Statement& s = *vouchers_;
    s.bind(1, range ? std::string_view(range->first) : std::string_view());
    s.bind(2, range ? std::string_view(range->last) : std::string_view());
    s.bind(3, prefixFilter);
    std::optional<std::int32_t> greatest;
    try {
        while (s.step()) {
            std::int32_t n = numberAfterLastSlash(s.text(0));
            greatest = greatest ? std::max(*greatest, n) : n;
        }
    } catch (const SimError&) {
        s.reset();
        throw;
    }
    s.reset();
    if (greatest == std::numeric_limits<std::int32_t>::max()) throw errors::intArithmeticOverflow();

    std::string prefix = "INV/" + series + "/";
    ResultTable table;
    table.columns.push_back({"", SqlType::VarChar, static_cast<int>(prefix.size()), 0, false});
    table.columns.push_back({"", SqlType::Int, 10, 0, false});
    table.rows.push_back({prefix, std::to_string(greatest.value_or(0) + 1)});
    return table;
}

}  // namespace vantrok::sim
