#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrok::sim::tds {

// A batch of nothing but SET statements of session options ("SET TEXTSIZE
// 4096", "SET QUOTED_IDENTIFIER ON"), as drivers send of their own accord.
// They change nothing the station's statements depend on: the server
// acknowledges them and notes them in the statement log as such.
// SET IMPLICIT_TRANSACTIONS is the one the server acts on; SET TRANSACTION
// ISOLATION LEVEL takes SQL Server's five levels, and the station's locking
// stays read committed's.
// SET LOCK_TIMEOUT is no such batch: it bounds the station's lock waits.
struct SessionSetting {
    std::string text;  // the batch, as sent
    std::optional<bool> implicitTransactions;
};

std::optional<SessionSetting> parseSessionSettings(std::string_view batch);

// "USE name" (the name may be in brackets, a ';' may follow): the database to
// switch to.
std::optional<std::string> parseUseDatabase(std::string_view batch);

// How a driver's session setting appears in the statement log.
std::string sessionSettingLogText(const SessionSetting& setting);

}  // namespace vantrok::sim::tds
