#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sql.h>
#include <sqlext.h>

namespace {

// The driver called directly, as a driver manager would, to see that bad
// handles and arguments are refused instead of crashing it.
class DriverLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        library = ::dlopen(VANTROK_SIM_ODBC_DRIVER, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << ::dlerror();
    }
    void TearDown() override {
        if (library) ::dlclose(library);
    }
    template <class F>
    F* function(const char* name) {
        auto* f = reinterpret_cast<F*>(::dlsym(library, name));
        EXPECT_NE(f, nullptr) << name;
        return f;
    }

    void* library = nullptr;
};

TEST_F(DriverLibrary, RefusesHandlesItNeverGaveOrAlreadyFreed) {
    auto* allocHandle = function<SQLRETURN(SQLSMALLINT, SQLHANDLE, SQLHANDLE*)>("SQLAllocHandle");
    auto* freeHandle = function<SQLRETURN(SQLSMALLINT, SQLHANDLE)>("SQLFreeHandle");
    auto* fetch = function<SQLRETURN(SQLHSTMT)>("SQLFetch");
    auto* setEnvAttr = function<SQLRETURN(SQLHENV, SQLINTEGER, SQLPOINTER, SQLINTEGER)>("SQLSetEnvAttr");
    auto* driverConnect = function<SQLRETURN(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                             SQLSMALLINT, SQLSMALLINT*, SQLUSMALLINT)>("SQLDriverConnect");

    int notAHandle = 0;
    EXPECT_EQ(fetch(&notAHandle), SQL_INVALID_HANDLE);
    EXPECT_EQ(fetch(nullptr), SQL_INVALID_HANDLE);

    SQLHANDLE env = nullptr, dbc = nullptr;
    ASSERT_EQ(allocHandle(SQL_HANDLE_ENV, nullptr, &env), SQL_SUCCESS);
    ASSERT_EQ(allocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    // A handle of the wrong kind is as bad as none.
    EXPECT_EQ(fetch(dbc), SQL_INVALID_HANDLE);
    EXPECT_EQ(driverConnect(env, nullptr, nullptr, 0, nullptr, 0, nullptr, 0), SQL_INVALID_HANDLE);
    // The environment outlives its connections.
    EXPECT_EQ(freeHandle(SQL_HANDLE_ENV, env), SQL_ERROR);
    EXPECT_EQ(freeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
    EXPECT_EQ(freeHandle(SQL_HANDLE_DBC, dbc), SQL_INVALID_HANDLE);
    EXPECT_EQ(setEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_SUCCESS);
    EXPECT_EQ(freeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
    EXPECT_EQ(setEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
              SQL_INVALID_HANDLE);
}

TEST_F(DriverLibrary, RefusesBadArgumentsWithTheirStates) {
    auto* allocHandle = function<SQLRETURN(SQLSMALLINT, SQLHANDLE, SQLHANDLE*)>("SQLAllocHandle");
    auto* freeHandle = function<SQLRETURN(SQLSMALLINT, SQLHANDLE)>("SQLFreeHandle");
    auto* driverConnect = function<SQLRETURN(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                             SQLSMALLINT, SQLSMALLINT*, SQLUSMALLINT)>("SQLDriverConnect");
    auto* getDiagRec = function<SQLRETURN(SQLSMALLINT, SQLHANDLE, SQLSMALLINT, SQLCHAR*, SQLINTEGER*,
                                          SQLCHAR*, SQLSMALLINT, SQLSMALLINT*)>("SQLGetDiagRec");
    auto stateOf = [&](SQLHANDLE dbc) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        getDiagRec(SQL_HANDLE_DBC, dbc, 1, state, &native, nullptr, 0, nullptr);
        return std::string(reinterpret_cast<char*>(state));
    };

    SQLHANDLE env = nullptr, dbc = nullptr, stmt = nullptr;
    ASSERT_EQ(allocHandle(SQL_HANDLE_ENV, nullptr, &env), SQL_SUCCESS);
    ASSERT_EQ(allocHandle(SQL_HANDLE_DBC, env, &dbc), SQL_SUCCESS);
    EXPECT_EQ(driverConnect(dbc, nullptr, nullptr, SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT),
              SQL_ERROR);
    EXPECT_EQ(stateOf(dbc), "HY009");
    SQLCHAR text[] = "driver=x";
    EXPECT_EQ(driverConnect(dbc, nullptr, text, -5, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT), SQL_ERROR);
    EXPECT_EQ(stateOf(dbc), "HY090");
    EXPECT_EQ(allocHandle(SQL_HANDLE_STMT, dbc, &stmt), SQL_ERROR);
    EXPECT_EQ(stateOf(dbc), "08003");
    EXPECT_EQ(freeHandle(SQL_HANDLE_DBC, dbc), SQL_SUCCESS);
    EXPECT_EQ(freeHandle(SQL_HANDLE_ENV, env), SQL_SUCCESS);
}

}  // namespace
