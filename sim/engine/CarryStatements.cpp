#include "sim/engine/CarryStatements.h"

#include <sqlite3.h>

#include <charconv>

#include "sim/engine/Schema.h"
#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlErrors.h"

namespace vantrok::sim {

namespace {

// VocNo is varchar(50) in the sales database.
constexpr std::size_t voucherLength = 50;

}  // namespace

Outcome CarryStatements::lockAndCount(const MatchedStatement& statement, SalesTableLock& lock, bool inTransaction,
                                      std::chrono::seconds timeout, const CancelWait& cancelWait) {
    const std::string first = storedBound(datetimeFromLiteral(statement.literals[0]));
    const std::string end = storedBound(datetimeFromLiteral(statement.literals[1]));
    lock.acquire(SalesTableLock::Mode::Exclusive, timeout, cancelWait);
    if (!count_)
        count_.emplace(db_.prepare("SELECT count(*) FROM main.D17_DailySale WHERE S_Date >= ?1 AND S_Date < ?2"));
    count_->bind(1, first);
    count_->bind(2, end);
    count_->step();
    const std::int64_t count = count_->integer(0);
    count_->reset();
    if (!inTransaction) lock.release();
    ResultTable table;
    table.columns = {{"", SqlType::Int, 10, 0, false}};
    table.rows.push_back({std::to_string(count)});
    return Outcome::rows(std::move(table));
}

Outcome CarryStatements::renumber(const MatchedStatement& statement) {
    const std::string& newVoucher = statement.literals[0];
    const std::string& deliveryText = statement.literals[2];
    std::int64_t deliveryId = 0;
    const auto parsed = std::from_chars(deliveryText.data(), deliveryText.data() + deliveryText.size(), deliveryId);
    if (parsed.ec != std::errc{} || parsed.ptr != deliveryText.data() + deliveryText.size())
        throw errors::syntax(deliveryText);
    const std::string first = storedBound(datetimeFromLiteral(statement.literals[3]));
    const std::string end = storedBound(datetimeFromLiteral(statement.literals[4]));
    if (newVoucher.size() > voucherLength) throw errors::stringTruncated();
    if (!update_)
        update_.emplace(db_.prepare("UPDATE main.D17_DailySale SET VocNo = ?1 WHERE VocNo = ?2 AND Delivery_ID = ?3 "
                                    "AND S_Date >= ?4 AND S_Date < ?5"));
    update_->bind(1, newVoucher).bind(2, statement.literals[1]).bind(3, deliveryId).bind(4, first).bind(5, end);
    update_->run();
    return Outcome::count(static_cast<long>(sqlite3_changes(db_.handle())), StatementCommand::Update);
}

}  // namespace vantrok::sim
