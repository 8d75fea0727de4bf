#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "sim/engine/ResultTable.h"

namespace vantrok::sim {

// The kind of statement a result comes from, as the server tells the client
// with its count.
enum class StatementCommand { Select, Insert, Update, Delete };

// One result of a statement, in the order the server sends them: a row set,
// or the count of rows a statement inside it affected.
struct StatementResult {
    std::optional<ResultTable> table;  // absent: a count
    long rowCount = -1;                // for a count; -1 for a row set
    StatementCommand command = StatementCommand::Select;
};

// The results of one execution, handed out one at a time as the client reads
// them. Work that a batch or procedure does after a result runs only when the
// client asks for the result after it, so a client that stops reading early
// (closes its cursor, cancels) stops the batch there, as SQL Server stops a
// batch on the client's attention.
class Outcome {
public:
    // Work that runs when the client reads past everything before it; it
    // yields the results it produces (possibly none). May throw SimError.
    using Work = std::function<std::vector<StatementResult>()>;

    Outcome() = default;
    Outcome(Outcome&&) noexcept = default;
    Outcome& operator=(Outcome&& other) noexcept;
    Outcome(const Outcome&) = delete;
    Outcome& operator=(const Outcome&) = delete;
    ~Outcome() { abandon(); }

    static Outcome rows(ResultTable table);
    static Outcome count(long rowCount, StatementCommand command);

    Outcome& add(StatementResult result);
    Outcome& then(Work work);
    // Runs when the outcome is dropped with work still pending.
    Outcome& onAbandon(std::function<void()> note);
    // The value a procedure returns, told to the client after its last result.
    Outcome& returning(long value);

    // The next result, running pending work first; nullopt after the last.
    // Throws SimError: the failing work is gone, what follows it still waits.
    std::optional<StatementResult> next();
    // Nothing more to read.
    bool finished() const noexcept { return steps_.empty(); }
    // The return value, once finished (nullopt before, or when there is none).
    std::optional<long> returnValue() const noexcept;

    // Drops what is left unread; unfinished work never runs.
    void abandon() noexcept;

private:
    std::deque<std::variant<StatementResult, Work>> steps_;
    std::optional<long> returnValue_;
    std::function<void()> abandoned_;
};

}  // namespace vantrok::sim
