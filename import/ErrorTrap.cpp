#include "import/ErrorTrap.h"

#include <string>

#include "db/DatabaseError.h"

namespace vantrok {

bool breaksConnection(const std::exception& error) {
    const auto* database = dynamic_cast<const db::DatabaseError*>(&error);
    return database != nullptr && (database->hasState("08") || database->hasState("HYT00"));
}

void ErrorTrap::caught(std::string_view work, std::string_view deliveryId,
                       const std::exception& error) {
    ++caught_;
    std::string line(work);
    if (!deliveryId.empty()) line += " Delivery_ID " + std::string(deliveryId);
    const auto* database = dynamic_cast<const db::DatabaseError*>(&error);
    if (database == nullptr || database->records().empty()) {
        line += ": ";
        line += error.what();
    } else {
        for (const db::Diagnostic& record : database->records()) {
            line += ": SQLSTATE " + record.sqlstate + " " + record.message;
        }
        line += " (" + database->context() + ")";
    }
    trace_.write(line);
}

}  // namespace vantrok
