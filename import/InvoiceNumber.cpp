#include "import/InvoiceNumber.h"

#include <algorithm>

#include "import/DateText.h"
#include "import/NumberText.h"
#include "import/ValueText.h"

namespace vantrok {

namespace {

db::DateTime readSdate(std::string_view sdate) {
    std::string text(sdate);
    std::replace(text.begin(), text.end(), ';', ':');
    return parseDateTimeText(text);
}

}  // namespace

std::string invoiceQueryText(const db::DateTime& day) {
    return "select 'INV/'+'" + std::string(invoiceSeries) +
           "/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), CHARINDEX('/',REVERSE(VocNo))-1)) AS "
           "INT)),0)+1 from D17_DailySale where "
           "CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME(MONTH,S_Date) AS "
           "CHAR(3))+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='" +
           dateText(day) + "' AND LEFT(VocNo,6)='" + "INV/" + std::string(invoiceSeries) + "'";
}

std::string invoiceDayText(const db::DateTime& day) {
    const std::string year = decimalText(day.year);
    return paddedText(day.day, 2) + decimalText(day.month) +
           year.substr(year.size() > 2 ? year.size() - 2 : 0);
}

std::string Generate_Invoice_No(db::Connection& sales, std::string_view sdate) {
    const db::DateTime day = readSdate(sdate);
    db::ResultSet next = sales.execute(invoiceQueryText(day));
    if (next.eof() || next.bof()) return {};
    // Reformatting the parsed sdate gives the same moment again.
    return valueText(next.field(std::size_t{0}), "prefix") + invoiceDayText(day) + "/" +
           valueText(next.field(std::size_t{1}), "sequence number");
}

}  // namespace vantrok
