#include "sim/engine/SessionStatements.h"

#include <cctype>
#include <vector>

#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

bool isNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '@' || c == '#';
}

// Names and numbers as words; '>' and ';' as words of their own; nullopt on
// anything else (quotes, brackets), which no statement here contains.
std::optional<std::vector<std::string>> words(std::string_view text) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < text.size();) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
        } else if (text[i] == '>' || text[i] == ';') {
            out.emplace_back(1, text[i++]);
        } else if (isNameCharacter(text[i])) {
            std::size_t end = i;
            while (end < text.size() && isNameCharacter(text[end])) ++end;
            out.emplace_back(text.substr(i, end - i));
            i = end;
        } else {
            return std::nullopt;
        }
    }
    if (!out.empty() && out.back() == ";") out.pop_back();
    return out;
}

bool isWord(const std::vector<std::string>& list, std::size_t at, std::string_view word) {
    return at < list.size() && equalsIgnoreCase(list[at], word);
}

bool isTransactionWord(const std::vector<std::string>& list, std::size_t at) {
    return isWord(list, at, "tran") || isWord(list, at, "transaction");
}

}  // namespace

std::optional<SessionStatement> parseSessionStatement(std::string_view sql) {
    std::optional<std::vector<std::string>> list = words(sql);
    if (!list || list->empty()) return std::nullopt;
    const std::vector<std::string>& w = *list;
    if (w.size() == 2 && isWord(w, 0, "select")) {
        SessionStatement statement;
        if (isWord(w, 1, "@@trancount")) statement.kind = SessionStatement::Kind::TransactionCount;
        else if (isWord(w, 1, "@@version")) statement.kind = SessionStatement::Kind::Version;
        else return std::nullopt;
        return statement;
    }
    SessionStatement statement;
    std::size_t i = 0;
    if (isWord(w, 0, "if")) {
        if (!(isWord(w, 1, "@@trancount") && isWord(w, 2, ">") && isWord(w, 3, "0"))) return std::nullopt;
        statement.onlyInTransaction = true;
        i = 4;
    }
    if (isWord(w, i, "begin") && !statement.onlyInTransaction) {
        // BEGIN alone opens a block, not a transaction.
        if (!isTransactionWord(w, i + 1)) return std::nullopt;
        statement.kind = SessionStatement::Kind::BeginTransaction;
        i += 2;
    } else if (isWord(w, i, "commit") || isWord(w, i, "rollback")) {
        if (isWord(w, i, "rollback")) statement.kind = SessionStatement::Kind::Rollback;
        ++i;
        if (isWord(w, i, "work")) {
            return i + 1 == w.size() ? std::optional(statement) : std::nullopt;
        }
        if (isTransactionWord(w, i)) ++i;
    } else {
        return std::nullopt;
    }
    if (i < w.size()) {
        if (w[i].front() == '@' || w[i] == ">" || w[i] == ";") return std::nullopt;  // a variable's name: not taken
        statement.transactionName = w[i++];
    }
    if (i != w.size()) return std::nullopt;
    return statement;
}

std::string_view serverVersionText() {
    return "Microsoft SQL Server 2022 (RTM) - 16.0.4218.0 (X64) \n"
           "\tJan  5 2023 16:37:24 \n"
           "\tCopyright (C) 2022 Microsoft Corporation\n"
           "\tExpress Edition (64-bit) on Windows 10 Pro 10.0 <X64> (Build 19045: ) (Hypervisor)\n";
}

}  // namespace vantrok::sim
