#include "installer/launch/CommandLine.h"

namespace vantrok::installer {
namespace {

constexpr wchar_t Blanks[] = L" \t";

bool IsOption(const std::wstring& word) { return word.starts_with(L"--"); }

}  // namespace

std::optional<Command> ParseArguments(const std::vector<std::wstring>& arguments) {
    Command command;
    if (arguments.size() == 2 && arguments[0] == L"--record" && !arguments[1].empty()) {
        command.kind = Command::Kind::Record;
        command.file = arguments[1];
        return command;
    }
    if (!arguments.empty() && arguments[0] == L"--detach") {
        if (arguments.size() < 2) return std::nullopt;
        command.kind = Command::Kind::Detach;
        return command;
    }
    for (std::size_t at = 0; at < arguments.size(); ++at) {
        const std::wstring& word = arguments[at];
        if (word == L"--ended" && command.file.empty() && at + 1 < arguments.size() && !arguments[at + 1].empty())
            command.file = arguments[++at];
        else if (word == L"--breakaway-only" && !command.breakawayOnly)
            command.breakawayOnly = true;
        else if (!IsOption(word) && !word.empty() && command.program.empty() && at + 1 == arguments.size())
            command.program = word;
        else
            return std::nullopt;
    }
    if (command.program.empty()) return std::nullopt;
    return command;
}

std::optional<CommandText> SplitCommandText(const std::wstring& commandLine) {
    std::size_t start = commandLine.find_first_not_of(Blanks);
    if (start == std::wstring::npos) return std::nullopt;
    std::size_t end;
    CommandText text;
    if (commandLine[start] == L'"') {
        end = commandLine.find(L'"', start + 1);
        if (end == std::wstring::npos) return std::nullopt;
        text.program = commandLine.substr(start + 1, end - start - 1);
        ++end;
    } else {
        end = commandLine.find_first_of(Blanks, start);
        if (end == std::wstring::npos) end = commandLine.size();
        text.program = commandLine.substr(start, end - start);
    }
    if (text.program.empty()) return std::nullopt;
    std::size_t rest = commandLine.find_first_not_of(Blanks, end);
    if (rest != std::wstring::npos) text.arguments = commandLine.substr(rest);
    return text;
}

std::optional<CommandText> CommandAfterDetach(const std::wstring& ownCommandLine) {
    auto own = SplitCommandText(ownCommandLine);
    if (!own) return std::nullopt;
    auto option = SplitCommandText(own->arguments);
    if (!option || option->program != L"--detach") return std::nullopt;
    return SplitCommandText(option->arguments);
}

}  // namespace vantrok::installer
