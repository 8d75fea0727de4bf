#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrok::sim {

// The queries the station answers, each with the literals found in its text.
enum class StatementKind { LiveSelection, LiveSelectionWindowed, OfflineSelection, InvoiceNumber, FuelType };

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
