#include <gtest/gtest.h>

#include <stdexcept>

#include "ui/CallbackBoundary.h"

namespace vantrok::ui {
namespace {

TEST(CallbackBoundary, HoldsWhatAHandlerThrowsUntilTheProgramTakesItUpOnce) {
    CallbackBoundary boundary;
    EXPECT_EQ(boundary.call([] { return 7L; }, -1L), 7L);
    EXPECT_NO_THROW(boundary.rethrowHeld());

    EXPECT_EQ(boundary.call([]() -> long { throw std::runtime_error("no font"); }, -1L), -1L);
    EXPECT_EQ(boundary.call([]() -> long { throw std::logic_error("what followed"); }, 0L), 0L);
    try {
        boundary.rethrowHeld();
        ADD_FAILURE() << "nothing was held";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "no font") << "the first error is the one kept";
    }
    EXPECT_NO_THROW(boundary.rethrowHeld()) << "taken up once only";
}

}  // namespace
}  // namespace vantrok::ui
