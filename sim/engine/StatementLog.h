#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrok::sim {

// The station's record of every statement its clients sent: one line per
// statement, "database<TAB>text", with tabs, newlines and backslashes escaped.
class StatementLog {
public:
    explicit StatementLog(const std::string& stationDir);
    ~StatementLog();
    StatementLog(const StatementLog&) = delete;
    StatementLog& operator=(const StatementLog&) = delete;

    // One write per line, appended, so lines of several processes never mix.
    void append(std::string_view database, std::string_view text);

private:
    int fd_ = -1;
};

struct LogEntry {
    std::string database;
    std::string text;
    friend bool operator==(const LogEntry&, const LogEntry&) = default;
};

std::vector<LogEntry> readStatementLog(const std::string& stationDir);

// How a SQLProcedureColumns call appears in the log.
std::string procedureColumnsLogText(std::string_view procedure);
// The line that follows a statement the client stopped before its end.
std::string cancelledLogText(std::string_view statement);

}  // namespace vantrok::sim
