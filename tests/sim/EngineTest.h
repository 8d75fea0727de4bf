#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "sim/engine/Session.h"
#include "tests/support/TestStation.h"

namespace vantrok::sim {

// A fresh station reached through the engine's Session, as the driver reaches it.
class EngineTest : public ::testing::Test {
protected:
    std::unique_ptr<Session> connect(const std::string& database) {
        return Session::connect({station.dir(), "(LOCAL)", "sa", "qolvent4719ruk", database});
    }

    // Every result of an execution, read as a client reads them to the end.
    struct ReadThrough {
        std::vector<StatementResult> results;
        std::optional<long> returnValue;
    };
    static ReadThrough readThrough(Outcome outcome) {
        ReadThrough read;
        while (auto result = outcome.next()) read.results.push_back(std::move(*result));
        read.returnValue = outcome.returnValue();
        return read;
    }

    static ResultTable query(Session& session, std::string_view sql) {
        ReadThrough read = readThrough(session.execute(sql, {}, std::chrono::seconds(30)));
        if (read.results.size() != 1 || !read.results.front().table) throw std::logic_error("not one result set");
        return *read.results.front().table;
    }

    // Stores a daily sale directly, as if written earlier.
    void addSale(const std::string& vocNo, const std::string& sDate, std::optional<int> deliveryId) {
        station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date, Delivery_ID) VALUES ('" + vocNo + "', '" +
                                   sDate + "', " + (deliveryId ? std::to_string(*deliveryId) : "NULL") + ")");
    }

    testing::TestStation station;
};

// The error a call raises; fails the test when it raises none.
template <class Call>
SimError failureOf(Call&& call) {
    try {
        call();
    } catch (const SimError& e) {
        return e;
    }
    ADD_FAILURE() << "the call succeeded";
    return {};
}

inline void expectError(const SimError& e, const std::string& sqlstate, long native, const std::string& message) {
    EXPECT_EQ(e.sqlstate, sqlstate);
    EXPECT_EQ(e.nativeError, native);
    EXPECT_EQ(e.message, message);
}

}  // namespace vantrok::sim
