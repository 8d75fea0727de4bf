#pragma once

#include <optional>

#include "sim/engine/Session.h"
#include "sim/engine/Sqlite.h"
#include "sim/engine/StatementTemplates.h"

namespace vantrok::sim {

// The next invoice number of a day: the prefix built from the series code,
// and one more than the greatest number after the last "/" of the day's
// vouchers of that series.
class InvoiceNumberQuery {
public:
    explicit InvoiceNumberQuery(sqlite::Database& db) : db_(db) {}
    ResultTable run(const MatchedStatement& statement);

private:
    sqlite::Database& db_;
    std::optional<sqlite::Statement> vouchers_;
    std::optional<sqlite::Statement> vouchersInOrder_;
};

}  // namespace vantrok::sim
