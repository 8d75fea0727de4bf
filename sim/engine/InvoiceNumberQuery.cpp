#include "sim/engine/InvoiceNumberQuery.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {

namespace {

// REVERSE(LEFT(REVERSE(v), CHARINDEX('/',REVERSE(v))-1)) AS INT
std::int32_t numberAfterLastSlash(std::string_view voucher) {
    std::size_t slash = voucher.rfind('/');
    if (slash == std::string_view::npos) throw errors::invalidLength();  // LEFT(..., -1)
    return intFromLiteral(voucher.substr(slash + 1));
}

std::string_view trailingBlanksDropped(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// LEFT(VocNo,6)=filter as the stored text compares: the first six (UTF-8)
// characters and the filter, trailing blanks dropped, ASCII letters in either
// case.
bool inSeries(std::string_view voucher, std::string_view filter) {
    std::size_t end = 0;
    for (int characters = 0; characters < 6 && end < voucher.size(); ++characters) {
        ++end;
        while (end < voucher.size() && (static_cast<unsigned char>(voucher[end]) & 0xC0) == 0x80) ++end;
    }
    const std::string_view left = trailingBlanksDropped(voucher.substr(0, end));
    filter = trailingBlanksDropped(filter);
    if (left.size() != filter.size()) return false;
    for (std::size_t i = 0; i < left.size(); ++i) {
        const auto a = static_cast<unsigned char>(left[i]), b = static_cast<unsigned char>(filter[i]);
        if (a != b && std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

// The greatest number among the day's vouchers of the series; the first
// voucher that does not convert raises its error.
std::optional<std::int32_t> greatestNumber(sqlite::Statement& s, const std::optional<StoredRange>& range,
                                           std::string_view filter) {
    s.bind(1, range ? std::string_view(range->first) : std::string_view());
    s.bind(2, range ? std::string_view(range->last) : std::string_view());
    std::optional<std::int32_t> greatest;
    try {
        while (s.step()) {
            const std::optional<std::string_view> voucher = s.textView(0);
            if (!voucher || !inSeries(*voucher, filter)) continue;
            std::int32_t n = numberAfterLastSlash(*voucher);
            greatest = greatest ? std::max(*greatest, n) : n;
        }
    } catch (const SimError&) {
        s.reset();
        throw;
    }
    s.reset();
    return greatest;
}

}  // namespace

ResultTable InvoiceNumberQuery::run(const MatchedStatement& statement) {
    const std::string& series = statement.literals[0];
    const std::string& dateLiteral = statement.literals[1];
    const std::string& prefixFilter = statement.literals[2];

    const SqlDateTime date = datetimeFromLiteral(dateLiteral);
    // The rebuilt S_Date is a midnight: a query date with a time of day matches nothing.
    CivilTime day = date.civil();
    bool midnight = day.hour == 0 && day.minute == 0 && day.second == 0 && day.millisecond == 0;
    std::optional<StoredRange> range = midnight ? dayRange(day.year, day.month, day.day) : std::nullopt;

    // The day's vouchers in index order; only when one fails to convert is
    // the day read again in the order written, so that the error names the
    // same voucher every time.
    if (!vouchers_)
        vouchers_.emplace(db_.prepare("SELECT VocNo FROM D17_DailySale WHERE S_Date >= ?1 AND S_Date < ?2"));
    std::optional<std::int32_t> greatest;
    try {
        greatest = greatestNumber(*vouchers_, range, prefixFilter);
    } catch (const SimError&) {
        if (!vouchersInOrder_)
            vouchersInOrder_.emplace(db_.prepare(
                "SELECT VocNo FROM D17_DailySale WHERE S_Date >= ?1 AND S_Date < ?2 ORDER BY rowid"));
        greatest = greatestNumber(*vouchersInOrder_, range, prefixFilter);
    }
    if (greatest == std::numeric_limits<std::int32_t>::max()) throw errors::intArithmeticOverflow();

    std::string prefix = "INV/" + series + "/";
    ResultTable table;
    table.columns.push_back({"", SqlType::VarChar, static_cast<int>(prefix.size()), 0, false});
    table.columns.push_back({"", SqlType::Int, 10, 0, false});
    table.rows.push_back({prefix, std::to_string(greatest.value_or(0) + 1)});
    return table;
}

}  // namespace vantrok::sim
