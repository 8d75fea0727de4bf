#include "db/DatabaseError.h"

namespace vantrok::db {
namespace {

std::string describe(const std::string& context, const std::vector<Diagnostic>& records) {
    std::string text = context;
    for (const auto& r : records) {
        text += "\n[" + r.sqlstate + "] (" + std::to_string(r.nativeError) + ") " + r.message;
    }
    return text;
}

}  // namespace

DatabaseError::DatabaseError(std::string context, std::vector<Diagnostic> records)
    : std::runtime_error(describe(context, records)),
      context_(std::move(context)),
      records_(std::move(records)) {}

const Diagnostic* DatabaseError::primary() const noexcept {
    for (const auto& r : records_) {
        if (r.sqlstate.rfind("01", 0) != 0) return &r;
    }
    return records_.empty() ? nullptr : &records_.front();
}

bool DatabaseError::hasState(std::string_view prefix) const noexcept {
    for (const auto& r : records_) {
        if (std::string_view(r.sqlstate).substr(0, prefix.size()) == prefix) return true;
    }
    return false;
}

}  // namespace vantrok::db
