#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "check/report/Reconciliation.h"
#include "check/station/StationReadings.h"

namespace vantrok::check {

// A voucher as the invoice query reads it.
struct VoucherNumber {
    bool inSeries = false;  // its first six characters are INV/C9, in any case
    // The whole number after its last "/" as the server converts it; none
    // when the conversion fails, which fails the query for the whole day.
    std::optional<std::int64_t> number;
};

VoucherNumber readVoucher(std::string_view voucher);

// The days whose vouchers of the series have gaps, repeats or vouchers the
// invoice query cannot read, in day order.
std::vector<InvoiceDay> invoiceFindings(const std::vector<SaleRecord>& sales);

}  // namespace vantrok::check
