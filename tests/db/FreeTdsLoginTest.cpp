// VANTROK's login as Debian's FreeTDS driver sends it, caught by a bare
// listener. TDS 5.0 carries the password in clear text, so the login packet
// shows whether the driver was given one. The process runs with "sql server"
// registered as FreeTDS (ODBCSYSINI) and with (LOCAL) mapped to the loopback
// in its own mount namespace (see tests/db/CMakeLists.txt).
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <future>
#include <string>

#include "db/Connection.h"
#include "db/ConnectionTexts.h"
#include "tests/support/LoopbackListener.h"

namespace {

// Accepts one connection on a free loopback port, keeps what the client
// sends until it stops or a second passes, then hangs up.
class BareListener {
public:
    BareListener() { received_ = std::async(std::launch::async, [this] { return receive(); }); }

    int port() const { return socket_.port(); }
    std::string received() { return received_.get(); }

private:
    std::string receive() {
        const int client = ::accept(socket_.fd(), nullptr, nullptr);
        if (client < 0) return {};
        timeval wait{1, 0};
        ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
        std::string bytes;
        char chunk[4096];
        for (ssize_t n; (n = ::recv(client, chunk, sizeof chunk, 0)) > 0;) bytes.append(chunk, static_cast<std::size_t>(n));
        ::close(client);
        return bytes;
    }

    vantrok::testing::LoopbackListener socket_{1};
    std::future<std::string> received_;
};

// The login packet that reaches the listener when the text is opened
// through FreeTDS; the connection itself fails, there being no server.
std::string loginSentFor(const std::function<void(const std::string&)>& open, const std::string& text) {
    BareListener listener;
    ::setenv("TDSPORT", std::to_string(listener.port()).c_str(), 1);
    ::setenv("TDSVER", "5.0", 1);
    open(text);
    return listener.received();
}

void openWithTheDataAccessLayer(const std::string& text) {
    vantrok::db::Connection connection;
    EXPECT_THROW(connection.open(text), vantrok::db::DatabaseError);
}

// The text handed to the driver as it stands, as ADO's provider never did.
void openAsWritten(const std::string& text) {
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string copy = text;
    EXPECT_FALSE(SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(copy.data()), SQL_NTS,
                                                nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
}

TEST(FreeTdsLogin, VantroksLoginCarriesThePasswordToTheServer) {
    const std::string text = vantrok::db::salesConnectionText(vantrok::db::DbPassword);
    const std::string login = loginSentFor(openWithTheDataAccessLayer, text);
    ASSERT_FALSE(login.empty()) << "nothing reached the listener: is (LOCAL) mapped to 127.0.0.1?";
    EXPECT_NE(login.find("sa"), std::string::npos);
    EXPECT_NE(login.find(vantrok::db::DbPassword), std::string::npos);

    // The same text given to the driver unchanged logs in without one.
    const std::string untranslated = loginSentFor(openAsWritten, text);
    ASSERT_FALSE(untranslated.empty());
    EXPECT_EQ(untranslated.find(vantrok::db::DbPassword), std::string::npos);
}

}  // namespace
