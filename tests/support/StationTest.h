#pragma once

#include <gtest/gtest.h>

#include "tests/support/TestStation.h"

namespace vantrok::testing {

// A GoogleTest fixture with a fresh station registered as "sql server" for
// this process's ODBC connections.
class StationTest : public ::testing::Test {
protected:
    void SetUp() override { station.registerDriver(); }

    TestStation station;
};

}  // namespace vantrok::testing
