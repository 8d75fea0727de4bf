#include <gtest/gtest.h>

#include "check/report/InvoiceSeries.h"

namespace vantrok::check {
namespace {

SaleRecord sale(const char* voucher, int day) { return {std::nullopt, {2016, 11, day, 10, 0, 0, 0}, voucher}; }

TEST(InvoiceSeries, ReadsTheTailAsTheServerConvertsTextToInt) {
    const struct {
        const char* voucher;
        bool inSeries;
        std::optional<std::int64_t> number;
    } cases[] = {
        {"INV/C9/251116/4", true, 4},
        {"inv/c9/251116/12", true, 12},    // the collation ignores case
        {"INV/C9/251116/ 7 ", true, 7},    // blanks around the digits
        {"INV/C9/251116/", true, 0},       // nothing converts to 0
        {"INV/C9/251116/-", true, 0},      // so does a lone sign
        {"INV/C9/251116/4a", true, std::nullopt},
        {"INV/C9", true, std::nullopt},    // its tail is "C9"
        {"INV/C9/251116/2147483647", true, 2147483647},
        {"INV/C9/251116/2147483648", true, std::nullopt},  // beyond int
        {"INV/C8/251116/4", false, std::nullopt},
        {"CASH/4", false, std::nullopt},
    };
    for (const auto& c : cases) {
        const VoucherNumber read = readVoucher(c.voucher);
        EXPECT_EQ(read.inSeries, c.inSeries) << c.voucher;
        EXPECT_EQ(read.number, c.number) << c.voucher;
    }
}

TEST(InvoiceSeries, FindsEachDaysGapsRepeatsAndUnreadableVouchers) {
    const std::vector<SaleRecord> sales = {
        sale("INV/C9/11116/1", 1), sale("INV/C9/11116/2", 1), sale("INV/C9/11116/3", 1),  // in a row
        sale("INV/C9/21116/2", 2), sale("INV/C9/21116/2", 2), sale("INV/C9/21116/5", 2),
        sale("INV/C9/21116/9", 2), sale("CASH/21116/3", 2),
        sale("INV/C9/31116/1", 3), sale("INV/C9/31116/1a", 3),
        {std::nullopt, {2016, 11, 4, 0, 0, 0, 0}, std::nullopt},
    };
    const std::vector<InvoiceDay> days = invoiceFindings(sales);
    ASSERT_EQ(days.size(), 2u);
    EXPECT_EQ(isoText(days[0].day), "2016-11-02");
    EXPECT_EQ(days[0].gaps, (std::vector<std::pair<std::int64_t, std::int64_t>>{{1, 1}, {3, 4}, {6, 8}}));
    EXPECT_EQ(days[0].repeats, (std::vector<std::pair<std::int64_t, int>>{{2, 2}}));
    EXPECT_TRUE(days[0].unreadable.empty());
    EXPECT_EQ(isoText(days[1].day), "2016-11-03");
    EXPECT_TRUE(days[1].gaps.empty());
    EXPECT_EQ(days[1].unreadable, std::vector<std::string>{"INV/C9/31116/1a"});
}

}  // namespace
}  // namespace vantrok::check
