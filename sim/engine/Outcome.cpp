#include "sim/engine/Outcome.h"

#include <algorithm>

namespace vantrok::sim {

Outcome& Outcome::operator=(Outcome&& other) noexcept {
    if (this != &other) {
        abandon();
        steps_ = std::move(other.steps_);
        returnValue_ = std::move(other.returnValue_);
        abandoned_ = std::move(other.abandoned_);
        other.steps_.clear();
        other.abandoned_ = nullptr;
    }
    return *this;
}

Outcome Outcome::rows(ResultTable table) {
    Outcome outcome;
    outcome.add({std::move(table), -1});
    return outcome;
}

Outcome Outcome::count(long rowCount, StatementCommand command) {
    Outcome outcome;
    outcome.add({std::nullopt, rowCount, command});
    return outcome;
}

Outcome& Outcome::add(StatementResult result) {
    steps_.emplace_back(std::move(result));
    return *this;
}

Outcome& Outcome::then(Work work) {
    steps_.emplace_back(std::move(work));
    return *this;
}

Outcome& Outcome::onAbandon(std::function<void()> note) {
    abandoned_ = std::move(note);
    return *this;
}

Outcome& Outcome::returning(long value) {
    returnValue_ = value;
    return *this;
}

std::optional<StatementResult> Outcome::next() {
    while (!steps_.empty()) {
        if (auto* ready = std::get_if<StatementResult>(&steps_.front())) {
            StatementResult result = std::move(*ready);
            steps_.pop_front();
            return result;
        }
        Work work = std::move(std::get<Work>(steps_.front()));
        steps_.pop_front();
        std::vector<StatementResult> produced = work();
        for (auto it = produced.rbegin(); it != produced.rend(); ++it) steps_.emplace_front(std::move(*it));
    }
    return std::nullopt;
}

std::optional<long> Outcome::returnValue() const noexcept {
    if (!finished()) return std::nullopt;
    return returnValue_;
}

void Outcome::abandon() noexcept {
    const bool workLeft =
        std::any_of(steps_.begin(), steps_.end(), [](const auto& step) { return std::holds_alternative<Work>(step); });
    steps_.clear();
    if (workLeft && abandoned_) abandoned_();
    abandoned_ = nullptr;
}

}  // namespace vantrok::sim
