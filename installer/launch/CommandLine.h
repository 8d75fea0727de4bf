#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vantrok::installer {

// What the installer asks of the helper:
//   --record FILE                                  the sessions of the running VANTROK.exe copies, into FILE
//   [--ended FILE] [--breakaway-only] PROGRAM      start VANTROK for the interactive user
//   --detach COMMAND-LINE...                       run a command line outside the caller's job
struct Command {
    enum class Kind { Record, Launch, Detach };
    Kind kind = Kind::Launch;
    std::wstring file;  // Record: written; Launch: the --ended file read, if given
    bool breakawayOnly = false;
    std::wstring program;
};

// The arguments after the program's own name; nullopt for a wrong command
// line. --detach takes its command line from the raw text (CommandAfterDetach).
std::optional<Command> ParseArguments(const std::vector<std::wstring>& arguments);

// A command line split where Windows splits off the program: at the closing
// quote of a quoted first word, else at the first blank.
struct CommandText {
    std::wstring program;
    std::wstring arguments;  // as written, leading blanks dropped
};
std::optional<CommandText> SplitCommandText(const std::wstring& commandLine);

// The command line that follows "--detach" in the helper's own command line,
// as the caller wrote it; nullopt when there is none.
std::optional<CommandText> CommandAfterDetach(const std::wstring& ownCommandLine);

}  // namespace vantrok::installer
