#include "sim/engine/ProcedureCall.h"

#include <cctype>

#include "sim/engine/TextUtil.h"

namespace vantrok::sim {

namespace {

class Scanner {
public:
    explicit Scanner(std::string_view text) : s_(text) {}

    void blanks() {
        while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
    }
    bool atEnd() const { return i_ >= s_.size(); }
    bool take(char c) {
        blanks();
        if (i_ < s_.size() && s_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    // A keyword followed by a blank or the end.
    bool keyword(std::string_view word) {
        blanks();
        if (s_.size() - i_ < word.size() || !equalsIgnoreCase(s_.substr(i_, word.size()), word)) return false;
        std::size_t after = i_ + word.size();
        if (after < s_.size() && !std::isspace(static_cast<unsigned char>(s_[after]))) return false;
        i_ = after;
        return true;
    }
    std::string name() {
        blanks();
        std::size_t begin = i_;
        while (i_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[i_])) || s_[i_] == '_' ||
                                  s_[i_] == '.' || s_[i_] == '[' || s_[i_] == ']'))
            ++i_;
        std::string n;
        for (char c : s_.substr(begin, i_ - begin))
            if (c != '[' && c != ']') n += c;
        if (auto dot = n.rfind('.'); dot != std::string::npos) n = n.substr(dot + 1);
        return n;
    }
    // "?", "?, ?", ... ; returns false on anything else.
    bool markers(std::size_t& count, char closing) {
        blanks();
        if (atEnd() || s_[i_] == closing) return true;
        do {
            if (!take('?')) return false;
            ++count;
        } while (take(','));
        return true;
    }

private:
    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace

std::optional<ProcedureCall> parseProcedureCall(std::string_view sql) {
    Scanner in(sql);
    ProcedureCall call;
    if (in.take('{')) {
        if (in.take('?')) {
            if (!in.take('=')) return std::nullopt;
            call.returnsValue = true;
        }
        if (!in.keyword("call")) return std::nullopt;
        call.name = in.name();
        if (in.take('(') && !(in.markers(call.markers, ')') && in.take(')'))) return std::nullopt;
        if (!in.take('}')) return std::nullopt;
    } else {
        if (!in.keyword("exec") && !in.keyword("execute")) return std::nullopt;
        call.name = in.name();
        if (!in.markers(call.markers, ';')) return std::nullopt;
        in.take(';');
    }
    in.blanks();
    if (!in.atEnd() || call.name.empty()) return std::nullopt;
    return call;
}

}  // namespace vantrok::sim
