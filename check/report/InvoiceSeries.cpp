#include "check/report/InvoiceSeries.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <map>
#include <string>

#include "import/InvoiceNumber.h"

namespace vantrok::check {

namespace {

// varchar to int as the server converts it: blanks around an optional sign
// and digits; nothing but blanks, or a lone sign, is 0.
std::optional<std::int64_t> serverInt(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + (c - '0');
        if (number > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return std::nullopt;
    }
    number = negative ? -number : number;
    if (number > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return number;
}

// LEFT(VocNo,6)='INV/C9' under a case-insensitive collation, trailing blanks ignored.
bool inSeries(std::string_view voucher) {
    const std::string series = "INV/" + std::string(invoiceSeries);
    std::string_view left = voucher.substr(0, std::min<std::size_t>(voucher.size(), 6));
    while (!left.empty() && left.back() == ' ') left.remove_suffix(1);
    return left.size() == series.size() &&
           std::equal(left.begin(), left.end(), series.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

}  // namespace

VoucherNumber readVoucher(std::string_view voucher) {
    VoucherNumber read;
    read.inSeries = inSeries(voucher);
    if (read.inSeries) read.number = serverInt(voucher.substr(voucher.rfind('/') + 1));
    return read;
}

std::vector<InvoiceDay> invoiceFindings(const std::vector<SaleRecord>& sales) {
    std::map<CalendarDay, std::vector<std::int64_t>> numbers;
    std::map<CalendarDay, std::vector<std::string>> unreadable;
    for (const SaleRecord& sale : sales) {
        if (!sale.voucher) continue;
        const VoucherNumber read = readVoucher(*sale.voucher);
        if (!read.inSeries) continue;
        if (read.number) numbers[dayOf(sale.date)].push_back(*read.number);
        else unreadable[dayOf(sale.date)].push_back(*sale.voucher);
    }
    std::map<CalendarDay, InvoiceDay> days;
    for (auto& [day, taken] : numbers) {
        std::sort(taken.begin(), taken.end());
        InvoiceDay found;
        std::int64_t expected = 1;
        for (std::size_t i = 0; i < taken.size();) {
            const std::int64_t number = taken[i];
            std::size_t next = i;
            while (next < taken.size() && taken[next] == number) ++next;
            if (number >= expected) {
                if (number > expected) found.gaps.emplace_back(expected, number - 1);
                expected = number + 1;
            }
            if (next - i > 1) found.repeats.emplace_back(number, static_cast<int>(next - i));
            i = next;
        }
        if (!found.gaps.empty() || !found.repeats.empty()) {
            found.day = day;
            days[day] = std::move(found);
        }
    }
    for (auto& [day, vouchers] : unreadable) {
        days[day].day = day;
        days[day].unreadable = std::move(vouchers);
    }
    std::vector<InvoiceDay> result;
    for (auto& [day, found] : days) result.push_back(std::move(found));
    return result;
}

}  // namespace vantrok::check
