#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrok::sim {

// The queries the station answers, each with the literals found in its text:
// VANTROK's selections and lookups, then the reconciliation tool's readings.
enum class StatementKind {
    LiveSelection,
    LiveSelectionWindowed,
    OfflineSelection,
    InvoiceNumber,
    FuelType,
    DeliveriesCompleted,
    ReadingsBefore,
    DailySales,
    HoseFuelTypes,
    LastSale,
    SalesLockCount,
    SaleRenumbering,
    ServerClock,
    SetLockTimeout,
    SnapshotSetting,
};

struct MatchedStatement {
    StatementKind kind;
    std::vector<std::string> literals;  // in text order
};

struct TemplateMatch {
    std::optional<MatchedStatement> statement;
    std::string near;  // when nothing matched: the word where the closest text went astray
};

TemplateMatch matchStatement(std::string_view sql);

}  // namespace vantrok::sim
