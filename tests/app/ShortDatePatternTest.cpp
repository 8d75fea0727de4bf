#include <gtest/gtest.h>

#include <cstring>

#include "FakeStartupPlatform.h"
#include "app/ShortDateCheck.h"

namespace vantrok::app::test {
namespace {

// Answers with a fixed buffer content and count, as GetLocaleInfoA might.
struct RawLocale : FakeStartupPlatform {
    const char* content = "";
    int count = 0;
    int sizeAsked = 0;
    int readShortDatePattern(char* buffer, int size) override {
        sizeAsked = size;
        std::strncpy(buffer, content, static_cast<std::size_t>(size));
        return count;
    }
};

TEST(ShortDatePatternTest, TakesTheCountLessItsTerminatingZero) {
    RawLocale locale;
    locale.content = "dd/MM/yyyyX";
    locale.count = 11;
    EXPECT_EQ(ShortDatePattern(locale), "dd/MM/yyyy");
    EXPECT_EQ(locale.sizeAsked, 256);
    locale.count = 0;
    EXPECT_EQ(ShortDatePattern(locale), "");
    locale.count = -1;
    EXPECT_EQ(ShortDatePattern(locale), "");
    locale.count = 1000;  // never beyond the buffer
    EXPECT_EQ(ShortDatePattern(locale).size(), 255u);
}

}  // namespace
}  // namespace vantrok::app::test
