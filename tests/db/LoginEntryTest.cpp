#include "db/LoginEntry.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace vantrok::db {
namespace {

TEST(LoginEntry, KeepsAnyPasswordWholeAndRefusesAnythingElse) {
    for (const std::string& password : {std::string("a;b{c}}\nd\r\n"), std::string("x"), std::string(1, '\0') + "z"}) {
        const LoginEntry entry = decodeLoginEntry(encodeLoginEntry({{"pos", password}, "2026-12-10 06:00:00"}));
        EXPECT_EQ(entry.login.name, "pos");
        EXPECT_EQ(entry.login.password, password);
        EXPECT_EQ(entry.setAt, "2026-12-10 06:00:00");
    }
    const std::string good = encodeLoginEntry({{"pos", "pw"}, "2026-12-10 06:00:00"});
    for (const std::string& bad : {std::string(), good.substr(1), good.substr(0, good.find("pos")),
                                   std::string("VANTROK station login 1\n2026-12-10\n\npw")})
        EXPECT_THROW(decodeLoginEntry(bad), std::invalid_argument) << bad;
    EXPECT_THROW(encodeLoginEntry({{"p\nos", "pw"}, "t"}), std::invalid_argument);
    EXPECT_THROW(encodeLoginEntry({{"", "pw"}, "t"}), std::invalid_argument);
}

}  // namespace
}  // namespace vantrok::db
