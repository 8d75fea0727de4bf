#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <cstring>
#include <string>

#include "tests/sim/driver/OdbcClient.h"
#include "tests/support/StationTest.h"

namespace vantrok::testing {
namespace {

// Type-14 deliveries completed on 25 November 2016 not yet carried over.
const std::string offlineSelection =
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left "
    "outer join Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where delivery_type in ('14') and "
    "day(Completed_TS)='25' and month(Completed_TS)='11' and year(Completed_TS)='2016' AND "
    "Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale "
    "where day(S_Date)='25' and month(s_date)='11' and year(s_date)='2016')";

const std::string invoiceQuery =
    "select 'INV/'+'C9/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), "
    "CHARINDEX('/',REVERSE(VocNo))-1)) AS INT)),0)+1 from D17_DailySale where "
    "CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME(MONTH,S_Date) AS CHAR(3))"
    "+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='25-Nov-2016' AND LEFT(VocNo,6)='INV/C9'";

// Columns of the offline selection: Hose_Delivery's, then Pump_ID and S_Hose_ID.
constexpr SQLUSMALLINT deliveryId = 1, deliveryVolume = 5, completedTs = 10, clearedDateTime = 11,
                       selectedColumns = 15;

class DriverStatement : public StationTest {
protected:
    void SetUp() override {
        StationTest::SetUp();
        // The driver manager reads ODBCSYSINI once, at its first environment:
        // the clients come after the station is registered.
        controller.emplace();
        sales.emplace();
        ASSERT_EQ(controller->connect(controllerText), SQL_SUCCESS_WITH_INFO);
        ASSERT_EQ(sales->connect(salesText), SQL_SUCCESS_WITH_INFO);
    }

    // An uncleared type-14 delivery of 45.460 litres on pump 1, hose 1.
    void addOfflineDelivery(int id = 9) {
        station.addDelivery(14, id, "2016-11-25 17:42:30", std::nullopt, "45.460", "66.33");
    }

    std::optional<OdbcClient> controller;
    std::optional<OdbcClient> sales;
};

struct Description {
    std::string name;
    SQLSMALLINT type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
};

Description describe(SQLHSTMT statement, SQLUSMALLINT column) {
    Description d;
    char name[128] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLDescribeCol(statement, column, reinterpret_cast<SQLCHAR*>(name), sizeof name,
                             &length, &d.type, &d.size, &d.digits, &d.nullable),
              SQL_SUCCESS);
    d.name = name;
    return d;
}

SQLLEN numericAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
    SQLLEN value = -999;
    EXPECT_EQ(SQLColAttribute(statement, column, field, nullptr, 0, nullptr, &value), SQL_SUCCESS);
    return value;
}

std::string textAttribute(SQLHSTMT statement, SQLUSMALLINT column, SQLUSMALLINT field) {
    char value[128] = {};
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLColAttribute(statement, column, field, value, sizeof value, &length, nullptr),
              SQL_SUCCESS);
    return value;
}

// As the SQL Server driver leaves auto-commit: implicit transactions, so the
// transaction opens with the next statement and SQLEndTran leaves the next
// one to the statement after.
TEST_F(DriverStatement, ManualCommitOpensTheTransactionWithTheNextStatement) {
    auto tranCount = [&] {
        OdbcStatement statement(*sales);
        EXPECT_EQ(statement.execute("select @@TRANCOUNT"), SQL_SUCCESS);
        EXPECT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
        return statement.text(1);
    };
    ASSERT_EQ(SQLSetConnectAttr(sales->dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
              SQL_SUCCESS);
    EXPECT_EQ(tranCount(), "0");
    {
        OdbcStatement lock(*sales);
        EXPECT_EQ(lock.execute("select count(*) from D17_DailySale with (tablockx, holdlock) "
                               "where S_Date>='24-Nov-2016' and S_Date<'25-Nov-2016'"),
                  SQL_SUCCESS);
    }
    EXPECT_EQ(tranCount(), "1");
    EXPECT_EQ(SQLEndTran(SQL_HANDLE_DBC, sales->dbc(), SQL_COMMIT), SQL_SUCCESS);
    EXPECT_EQ(tranCount(), "0");
    {
        OdbcStatement invoice(*sales);
        EXPECT_EQ(invoice.execute(invoiceQuery), SQL_SUCCESS);
    }
    EXPECT_EQ(tranCount(), "1");
    EXPECT_EQ(SQLSetConnectAttr(sales->dbc(), SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0),
              SQL_SUCCESS);
    EXPECT_EQ(tranCount(), "0");
}

TEST_F(DriverStatement, SelectionIsDescribedWithSqlServerTypes) {
    addOfflineDelivery();
    OdbcStatement statement(*controller);
    ASSERT_EQ(statement.execute(offlineSelection), SQL_SUCCESS);
    SQLSMALLINT columns = 0;
    ASSERT_EQ(SQLNumResultCols(statement.get(), &columns), SQL_SUCCESS);
    EXPECT_EQ(columns, selectedColumns);

    const Description id = describe(statement.get(), deliveryId);
    EXPECT_EQ(id.name, "Delivery_ID");
    EXPECT_EQ(id.type, SQL_INTEGER);
    EXPECT_EQ(id.size, 10u);
    EXPECT_EQ(id.nullable, SQL_NO_NULLS);

    const Description volume = describe(statement.get(), deliveryVolume);
    EXPECT_EQ(volume.name, "Delivery_Volume");
    EXPECT_EQ(volume.type, SQL_DECIMAL);
    EXPECT_EQ(volume.size, 12u);
    EXPECT_EQ(volume.digits, 3);
    EXPECT_EQ(volume.nullable, SQL_NULLABLE);

    const Description completed = describe(statement.get(), completedTs);
    EXPECT_EQ(completed.type, SQL_TYPE_TIMESTAMP);
    EXPECT_EQ(completed.size, 23u);
    EXPECT_EQ(completed.digits, 3);

    EXPECT_EQ(describe(statement.get(), selectedColumns).name, "S_Hose_ID");

    EXPECT_EQ(numericAttribute(statement.get(), deliveryVolume, SQL_DESC_DISPLAY_SIZE), 14);
    EXPECT_EQ(numericAttribute(statement.get(), deliveryVolume, SQL_DESC_PRECISION), 12);
    EXPECT_EQ(numericAttribute(statement.get(), deliveryVolume, SQL_DESC_SCALE), 3);
    EXPECT_EQ(numericAttribute(statement.get(), completedTs, SQL_DESC_TYPE), SQL_DATETIME);
    EXPECT_EQ(numericAttribute(statement.get(), completedTs, SQL_DESC_CONCISE_TYPE), SQL_TYPE_TIMESTAMP);
    EXPECT_EQ(numericAttribute(statement.get(), deliveryId, SQL_DESC_UNSIGNED), SQL_FALSE);
    EXPECT_EQ(numericAttribute(statement.get(), 0, SQL_DESC_COUNT), selectedColumns);
    EXPECT_EQ(textAttribute(statement.get(), deliveryVolume, SQL_DESC_TYPE_NAME), "decimal");
    EXPECT_EQ(textAttribute(statement.get(), completedTs, SQL_DESC_LABEL), "Completed_TS");

    SQLCHAR name[8];
    SQLSMALLINT length = 0;
    EXPECT_EQ(SQLDescribeCol(statement.get(), selectedColumns + 1, name, sizeof name, &length,
                             nullptr, nullptr, nullptr, nullptr),
              SQL_ERROR);
    EXPECT_EQ(statement.diagnostics().at(0).sqlstate, "07009");
}

TEST_F(DriverStatement, FetchesCellsInSeveralCTypes) {
    addOfflineDelivery(9);
    addOfflineDelivery(10);
    OdbcStatement statement(*controller);
    ASSERT_EQ(statement.execute(offlineSelection), SQL_SUCCESS);
    const SQLHSTMT h = statement.get();
    SQLLEN indicator = 0;

    // Each cell can be read once, so the two rows are read in different
    // types. The selection has no order.
    ASSERT_EQ(SQLFetch(h), SQL_SUCCESS);
    SQLINTEGER id = 0;
    ASSERT_EQ(SQLGetData(h, deliveryId, SQL_C_SLONG, &id, 0, &indicator), SQL_SUCCESS);
    EXPECT_TRUE(id == 9 || id == 10) << id;
    EXPECT_EQ(SQLGetData(h, deliveryId, SQL_C_SLONG, &id, 0, &indicator), SQL_NO_DATA);
    SQL_NUMERIC_STRUCT exact{};
    ASSERT_EQ(SQLGetData(h, deliveryVolume, SQL_C_NUMERIC, &exact, 0, &indicator), SQL_SUCCESS);
    EXPECT_EQ(exact.scale, 3);
    EXPECT_EQ(exact.val[0] | exact.val[1] << 8, 45460);
    SQL_TIMESTAMP_STRUCT completed{};
    ASSERT_EQ(SQLGetData(h, completedTs, SQL_C_TYPE_TIMESTAMP, &completed, 0, &indicator), SQL_SUCCESS);
    EXPECT_EQ(completed.year, 2016);
    EXPECT_EQ(completed.hour, 17);
    EXPECT_EQ(completed.second, 30);
    // NULL needs an indicator to say so.
    char buffer[32];
    EXPECT_EQ(SQLGetData(h, clearedDateTime, SQL_C_CHAR, buffer, sizeof buffer, nullptr), SQL_ERROR);
    EXPECT_EQ(statement.diagnostics().at(0).sqlstate, "22002");
    EXPECT_EQ(SQLGetData(h, clearedDateTime, SQL_C_CHAR, buffer, sizeof buffer, &indicator), SQL_SUCCESS);
    EXPECT_EQ(indicator, SQL_NULL_DATA);
    EXPECT_EQ(statement.text(selectedColumns - 1), "1");  // Pump_ID

    ASSERT_EQ(SQLFetch(h), SQL_SUCCESS);
    EXPECT_EQ(statement.text(deliveryId), id == 9 ? "10" : "9");
    double volume = 0;
    ASSERT_EQ(SQLGetData(h, deliveryVolume, SQL_C_DOUBLE, &volume, 0, &indicator), SQL_SUCCESS);
    EXPECT_DOUBLE_EQ(volume, 45.46);
    EXPECT_EQ(statement.text(completedTs), "2016-11-25 17:42:30.000");

    EXPECT_EQ(SQLFetch(h), SQL_NO_DATA);
}

TEST_F(DriverStatement, LongTextComesInPiecesWithWarnings) {
    addOfflineDelivery();
    OdbcStatement statement(*controller);
    ASSERT_EQ(statement.execute(offlineSelection), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
    char piece[11];
    SQLLEN left = 0;
    std::string whole;
    SQLRETURN rc;
    while ((rc = SQLGetData(statement.get(), completedTs, SQL_C_CHAR, piece, sizeof piece, &left)) !=
           SQL_NO_DATA) {
        ASSERT_TRUE(SQL_SUCCEEDED(rc));
        if (rc == SQL_SUCCESS_WITH_INFO) {
            EXPECT_EQ(statement.diagnostics().at(0).sqlstate, "01004");
            EXPECT_GT(left, static_cast<SQLLEN>(sizeof piece - 1));
        }
        whole += piece;
    }
    EXPECT_EQ(whole, "2016-11-25 17:42:30.000");
}

TEST_F(DriverStatement, BoundColumnsReceiveEachRow) {
    OdbcStatement statement(*sales);
    ASSERT_EQ(statement.execute(invoiceQuery), SQL_SUCCESS);
    char prefix[16] = {};
    SQLINTEGER next = 0;
    SQLLEN prefixLength = 0, nextLength = 0;
    ASSERT_EQ(SQLBindCol(statement.get(), 1, SQL_C_CHAR, prefix, sizeof prefix, &prefixLength), SQL_SUCCESS);
    ASSERT_EQ(SQLBindCol(statement.get(), 2, SQL_C_SLONG, &next, 0, &nextLength), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
    EXPECT_STREQ(prefix, "INV/C9/");
    EXPECT_EQ(prefixLength, 7);
    EXPECT_EQ(next, 1);
    EXPECT_EQ(SQLFetch(statement.get()), SQL_NO_DATA);
}

// The backup procedure's row set comes first; its copy runs only when the
// client reads past it, and a client that closes the cursor instead stops
// the procedure before the copy.
TEST_F(DriverStatement, BackupCopiesWhenReadPastItsRowSetAndNotWhenClosedBefore) {
    station.sql("torvane", "INSERT INTO D17_DailySale (VocNo, S_Date) VALUES ('INV/C9/251116/1', '2016-11-25')");
    const auto backedUp = [&] { return station.sql("torvane_bk1", "SELECT count(*) FROM D17_DailySale"); };
    OdbcStatement statement(*sales);
    ASSERT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    SQLSMALLINT columns = -1;
    ASSERT_EQ(SQLNumResultCols(statement.get(), &columns), SQL_SUCCESS);
    EXPECT_EQ(columns, 2);
    ASSERT_EQ(SQLFreeStmt(statement.get(), SQL_CLOSE), SQL_SUCCESS);
    EXPECT_EQ(backedUp(), "0\n");
    EXPECT_EQ(station.statements("torvane").back(), "{cancelled before its end: EXEC SYNX_TWO_DB_TO_BK1_BK2}");

    ASSERT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(statement.get()), SQL_SUCCESS);
    EXPECT_EQ(statement.text(1), "D17_DailySale");
    EXPECT_EQ(SQLMoreResults(statement.get()), SQL_NO_DATA);
    EXPECT_EQ(backedUp(), "1\n");
}

// One active statement per connection: until a statement's rows and results
// are read or closed, no other statement of its connection can run.
TEST_F(DriverStatement, AConnectionIsBusyWhileAStatementHasResultsPending) {
    OdbcStatement first(*sales);
    OdbcStatement second(*sales);
    ASSERT_EQ(first.execute(invoiceQuery), SQL_SUCCESS);
    EXPECT_EQ(second.execute(invoiceQuery), SQL_ERROR);
    const auto records = second.diagnostics();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sqlstate, "HY000");
    EXPECT_EQ(records[0].message, "[vantrok][sim odbc]Connection is busy with results for another hstmt");
    ASSERT_EQ(SQLFetch(first.get()), SQL_SUCCESS);
    EXPECT_EQ(SQLProcedureColumns(second.get(), nullptr, 0, nullptr, 0,
                                  reinterpret_cast<SQLCHAR*>(const_cast<char*>("SYNX_TWO_DB_TO_BK1_BK2")), SQL_NTS,
                                  nullptr, 0),
              SQL_ERROR);
    // Rows run out: the connection is free, though the cursor is still open.
    ASSERT_EQ(SQLFetch(first.get()), SQL_NO_DATA);
    EXPECT_EQ(second.execute(invoiceQuery), SQL_SUCCESS);
    // The backup's copy is still to come after its row set.
    ASSERT_EQ(SQLFreeStmt(second.get(), SQL_CLOSE), SQL_SUCCESS);
    ASSERT_EQ(SQLFreeStmt(first.get(), SQL_CLOSE), SQL_SUCCESS);
    ASSERT_EQ(first.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(first.get()), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(first.get()), SQL_SUCCESS);
    while (SQLFetch(first.get()) == SQL_SUCCESS) {
    }
    EXPECT_EQ(second.execute(invoiceQuery), SQL_ERROR);
    EXPECT_EQ(SQLMoreResults(first.get()), SQL_NO_DATA);
    EXPECT_EQ(second.execute(invoiceQuery), SQL_SUCCESS);
}

TEST_F(DriverStatement, SyntaxErrorIsReportedAndClearedByTheNextCall) {
    OdbcStatement statement(*sales);
    EXPECT_EQ(statement.execute("select 1"), SQL_ERROR);
    const auto records = statement.diagnostics();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sqlstate, "42000");
    EXPECT_EQ(records[0].nativeError, 102);
    EXPECT_EQ(records[0].message.rfind("[vantrok][sim odbc][SQL Server]Incorrect syntax near", 0), 0u);

    SQLINTEGER count = 0;
    ASSERT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement.get(), 0, SQL_DIAG_NUMBER, &count, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(count, 1);
    SQLINTEGER native = 0;
    ASSERT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement.get(), 1, SQL_DIAG_NATIVE, &native, 0, nullptr),
              SQL_SUCCESS);
    EXPECT_EQ(native, 102);
    char state[6] = {};
    SQLSMALLINT length = 0;
    ASSERT_EQ(SQLGetDiagField(SQL_HANDLE_STMT, statement.get(), 1, SQL_DIAG_SQLSTATE, state,
                              sizeof state, &length),
              SQL_SUCCESS);
    EXPECT_STREQ(state, "42000");

    ASSERT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    EXPECT_TRUE(statement.diagnostics().empty());
}

TEST_F(DriverStatement, QueryTimeoutEndsASlowStatement) {
    station.setFault("backup-seconds", "3");
    OdbcStatement statement(*sales);
    ASSERT_EQ(SQLSetStmtAttr(statement.get(), SQL_ATTR_QUERY_TIMEOUT, reinterpret_cast<SQLPOINTER>(1), 0),
              SQL_SUCCESS);
    // The wait falls after the row set, in the copy.
    ASSERT_EQ(statement.execute("EXEC SYNX_TWO_DB_TO_BK1_BK2"), SQL_SUCCESS);
    EXPECT_EQ(SQLMoreResults(statement.get()), SQL_ERROR);
    EXPECT_EQ(statement.diagnostics().at(0).sqlstate, "HYT00");
}

// The daily-sale procedure through the call escape, its 24 values bound in
// the C types a client may use, and the return value in the first marker.
class DailySaleCall {
public:
    explicit DailySaleCall(SQLHSTMT statement) : h(statement) {}

    void bindAll() {
        output(0, SQL_C_SLONG, SQL_INTEGER, &returnValue);
        text(1, vocNo);
        input(2, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, &sDate);
        bind(3, SQL_C_CHAR, SQL_VARCHAR, custCode, 0, &nullIndicator);
        text(4, fuelType);
        input(5, SQL_C_SLONG, SQL_INTEGER, &pump);
        text(6, admin);
        text(7, one);
        text(8, seven);
        text(9, nine);
        input(10, SQL_C_DOUBLE, SQL_DECIMAL, &gallons);
        input(11, SQL_C_SLONG, SQL_DECIMAL, &rate);
        input(12, SQL_C_NUMERIC, SQL_DECIMAL, &amount);
        text(13, zero, SQL_DECIMAL);
        text(14, zero, SQL_DECIMAL);
        text(15, empty);
        text(16, litres, SQL_DECIMAL);
        input(17, SQL_C_SBIGINT, SQL_INTEGER, &deliveryId);
        input(18, SQL_C_SSHORT, SQL_INTEGER, &hose);
        bind(19, SQL_C_CHAR, SQL_DECIMAL, empty, 0, &nullIndicator);
        bind(20, SQL_C_CHAR, SQL_DECIMAL, empty, 0, &nullIndicator);
        for (SQLUSMALLINT p = 21; p <= 24; ++p) text(p, zero, SQL_INTEGER);
    }

    SQLINTEGER returnValue = -1;
    SQLLEN returnIndicator = 0;
    char vocNo[32] = "INV/C9/251116/4";
    SQL_TIMESTAMP_STRUCT sDate{2016, 11, 25, 17, 42, 30, 0};
    char custCode[4] = "x";
    char fuelType[8] = "ULP";
    SQLINTEGER pump = 3;
    char admin[8] = "Admin", one[2] = "1", seven[2] = "7", nine[2] = "9", zero[2] = "0", empty[1] = "";
    double gallons = 10.0;
    SQLINTEGER rate = 2;
    SQL_NUMERIC_STRUCT amount = numeric(6633, 2);
    char litres[16] = "45.460";
    SQLBIGINT deliveryId = 9;
    SQLSMALLINT hose = 1;
    SQLLEN nullIndicator = SQL_NULL_DATA;
    SQLLEN nts = SQL_NTS;

private:
    static SQL_NUMERIC_STRUCT numeric(unsigned unscaled, SQLSCHAR scale) {
        SQL_NUMERIC_STRUCT n{};
        n.precision = 18;
        n.scale = scale;
        n.sign = 1;
        std::memcpy(n.val, &unscaled, sizeof unscaled);  // little-endian
        return n;
    }
    void bind(SQLUSMALLINT p, SQLSMALLINT cType, SQLSMALLINT sqlType, void* value, SQLLEN size,
              SQLLEN* indicator, SQLSMALLINT io = SQL_PARAM_INPUT) {
        ASSERT_EQ(SQLBindParameter(h, static_cast<SQLUSMALLINT>(p + 1), io, cType, sqlType, 18, 4, value,
                                   size, indicator),
                  SQL_SUCCESS)
            << "parameter " << p;
    }
    void text(SQLUSMALLINT p, char* value, SQLSMALLINT sqlType = SQL_VARCHAR) {
        bind(p, SQL_C_CHAR, sqlType, value, 0, &nts);
    }
    template <class T>
    void input(SQLUSMALLINT p, SQLSMALLINT cType, SQLSMALLINT sqlType, T* value) {
        bind(p, cType, sqlType, value, sizeof *value, nullptr);
    }
    void output(SQLUSMALLINT p, SQLSMALLINT cType, SQLSMALLINT sqlType, SQLINTEGER* value) {
        bind(p, cType, sqlType, value, sizeof *value, &returnIndicator, SQL_PARAM_OUTPUT);
    }

    SQLHSTMT h;
};

std::string callText() {
    std::string text = "{? = call INS_UPD_D17_DailySale1(";
    for (int p = 1; p <= 24; ++p) text += p == 1 ? "?" : ",?";
    return text + ")}";
}

TEST_F(DriverStatement, CallEscapeCarriesEveryParameterAndTheReturnValue) {
    OdbcStatement statement(*sales);
    const std::string text = callText();
    ASSERT_EQ(SQLPrepare(statement.get(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())),
                         SQL_NTS),
              SQL_SUCCESS);
    SQLSMALLINT markers = 0;
    ASSERT_EQ(SQLNumParams(statement.get(), &markers), SQL_SUCCESS);
    EXPECT_EQ(markers, 25);

    DailySaleCall call(statement.get());
    call.bindAll();
    // Without SET NOCOUNT ON the procedure's update of no rows comes first:
    // SQL_NO_DATA. The insert's count follows, the return value after it.
    ASSERT_EQ(SQLExecute(statement.get()), SQL_NO_DATA);
    EXPECT_EQ(call.returnValue, -1);
    EXPECT_TRUE(station.sales().empty());
    ASSERT_EQ(SQLMoreResults(statement.get()), SQL_SUCCESS);
    SQLLEN count = -1;
    ASSERT_EQ(SQLRowCount(statement.get(), &count), SQL_SUCCESS);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(call.returnValue, 0);
    EXPECT_EQ(call.returnIndicator, static_cast<SQLLEN>(sizeof(SQLINTEGER)));
    ASSERT_EQ(SQLMoreResults(statement.get()), SQL_NO_DATA);

    // The buffers are read again at every execution.
    std::strcpy(call.vocNo, "INV/C9/251116/5");
    call.deliveryId = 10;
    call.sDate.hour = 18;
    ASSERT_EQ(SQLExecute(statement.get()), SQL_NO_DATA);
    ASSERT_EQ(SQLMoreResults(statement.get()), SQL_SUCCESS);
    ASSERT_EQ(SQLMoreResults(statement.get()), SQL_NO_DATA);

    const auto sales = station.sales();
    ASSERT_EQ(sales.size(), 2u);
    const auto& first = sales[0];
    EXPECT_EQ(first.at("VocNo"), "INV/C9/251116/4");
    EXPECT_EQ(first.at("S_Date"), "2016-11-25 17:42:30.000");
    EXPECT_EQ(first.at("CustCode"), std::nullopt);
    EXPECT_EQ(first.at("FuelTypeCode"), "ULP");
    EXPECT_EQ(first.at("Pump_No"), "3");
    EXPECT_EQ(first.at("SaleType"), "7");
    EXPECT_EQ(first.at("Qty_Gallons"), "10.0000");
    EXPECT_EQ(first.at("Rate"), "2.000");
    EXPECT_EQ(first.at("Amount"), "66.33");
    EXPECT_EQ(first.at("Remarks"), "");
    EXPECT_EQ(first.at("Qty_Litres"), "45.460");
    EXPECT_EQ(first.at("Delivery_ID"), "9");
    EXPECT_EQ(first.at("Hose_No"), "1");
    EXPECT_EQ(first.at("Meter_Volume"), std::nullopt);
    EXPECT_EQ(sales[1].at("VocNo"), "INV/C9/251116/5");
    EXPECT_EQ(sales[1].at("S_Date"), "2016-11-25 18:42:30.000");
    EXPECT_EQ(sales[1].at("Delivery_ID"), "10");

    OdbcStatement invoice(*this->sales);
    ASSERT_EQ(invoice.execute(invoiceQuery), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(invoice.get()), SQL_SUCCESS);
    EXPECT_EQ(invoice.text(2), "6");
}

TEST_F(DriverStatement, MissingParameterIsRefusedBeforeTheServerSeesIt) {
    OdbcStatement statement(*sales);
    EXPECT_EQ(statement.execute(callText()), SQL_ERROR);
    EXPECT_EQ(statement.diagnostics().at(0).sqlstate, "07002");
    EXPECT_TRUE(station.sales().empty());
}

TEST_F(DriverStatement, ProcedureColumnsIsAResultSet) {
    OdbcStatement statement(*sales);
    ASSERT_EQ(SQLProcedureColumns(statement.get(), nullptr, 0, nullptr, 0,
                                  reinterpret_cast<SQLCHAR*>(const_cast<char*>("INS_UPD_D17_DailySale1")),
                                  SQL_NTS, nullptr, 0),
              SQL_SUCCESS);
    SQLSMALLINT columns = 0;
    ASSERT_EQ(SQLNumResultCols(statement.get(), &columns), SQL_SUCCESS);
    EXPECT_EQ(columns, 19);
    EXPECT_EQ(describe(statement.get(), 4).name, "COLUMN_NAME");

    std::vector<std::array<std::string, 3>> rows;  // name, column type, data type
    while (SQLFetch(statement.get()) == SQL_SUCCESS)
        rows.push_back({statement.text(4), statement.text(5), statement.text(6)});
    ASSERT_EQ(rows.size(), 25u);
    EXPECT_EQ(rows[0][1], std::to_string(SQL_RETURN_VALUE));
    EXPECT_EQ(rows[1][0], "@VocNo");
    EXPECT_EQ(rows[1][1], std::to_string(SQL_PARAM_INPUT));
    EXPECT_EQ(rows[2][2], std::to_string(SQL_TYPE_TIMESTAMP));

    // A column-name pattern narrows the rows.
    ASSERT_EQ(SQLCloseCursor(statement.get()), SQL_SUCCESS);
    ASSERT_EQ(SQLProcedureColumns(statement.get(), nullptr, 0, nullptr, 0,
                                  reinterpret_cast<SQLCHAR*>(const_cast<char*>("INS\\_UPD\\_D17\\_DailySale1")),
                                  SQL_NTS, reinterpret_cast<SQLCHAR*>(const_cast<char*>("@S%")), SQL_NTS),
              SQL_SUCCESS);
    std::vector<std::string> names;
    while (SQLFetch(statement.get()) == SQL_SUCCESS) names.push_back(statement.text(4));
    EXPECT_EQ(names, (std::vector<std::string>{"@S_Date", "@ShiftNo", "@SaleType"}));
}

}  // namespace
}  // namespace vantrok::testing
