#include "sim/engine/StatementLog.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>

#include "sim/engine/StationFiles.h"

namespace vantrok::sim {

namespace {

void escapeInto(std::string& out, std::string_view text) {
    // Statements rarely hold any of these: the plain runs between them go in whole.
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\' && c != '\t' && c != '\n' && c != '\r') continue;
        out.append(text, run, i - run);
        out += c == '\\' ? "\\\\" : c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
        run = i + 1;
    }
    out.append(text, run);
}

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

}  // namespace

StatementLog::StatementLog(const std::string& stationDir)
    : fd_(::open(statementLogFile(stationDir).c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644)) {}

StatementLog::~StatementLog() {
    if (fd_ >= 0) ::close(fd_);
}

void StatementLog::append(std::string_view database, std::string_view text) {
    if (fd_ < 0) return;
    std::string line(database);
    line.reserve(line.size() + text.size() + 8);
    line += '\t';
    escapeInto(line, text);
    line += '\n';
    const char* p = line.data();
    std::size_t left = line.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // a full disk must not fail the client's statement
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

std::vector<LogEntry> readStatementLog(const std::string& stationDir) {
    std::vector<LogEntry> entries;
    std::ifstream in(statementLogFile(stationDir));
    std::string line;
    while (std::getline(in, line)) {
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        entries.push_back({line.substr(0, tab), unescape(std::string_view(line).substr(tab + 1))});
    }
    return entries;
}

std::string procedureColumnsLogText(std::string_view procedure) {
    return "{procedure columns: " + std::string(procedure) + "}";
}

std::string cancelledLogText(std::string_view statement) {
    return "{cancelled before its end: " + std::string(statement) + "}";
}

}  // namespace vantrok::sim
