#include "bench/BareLoop.h"

#include <cstring>
#include <stdexcept>
#include <string_view>

#include "db/CaseInsensitive.h"
#include "db/Decimal.h"
#include "import/GallonFactor.h"
#include "import/InvoiceNumber.h"
#include "import/NumberText.h"
#include "import/SelectionTexts.h"
#include "sim/engine/Schema.h"

namespace vantrok::bench {

namespace {

constexpr const char* procedureCall =
    "{? = call INS_UPD_D17_DailySale1(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)}";

SQLCHAR* sqlText(const std::string& text) { return reinterpret_cast<SQLCHAR*>(const_cast<char*>(text.c_str())); }

void ok(SQLRETURN rc, SQLHSTMT statement, const char* what) {
    db::check(rc, SQL_HANDLE_STMT, statement, what);
}

db::OdbcHandle statementOn(SQLHDBC connection) {
    return db::OdbcHandle(SQL_HANDLE_STMT, connection, "allocating a statement");
}

// The parameter's type as the station declares it, so the driver converts as
// it does for the import.
struct Declared {
    SQLSMALLINT sqlType;
    SQLULEN size;
    SQLSMALLINT digits;
};

Declared declared(std::size_t position) {
    const sim::ColumnDef& p = sim::dailySaleParameters()[position - 1];
    switch (p.type) {
    case sim::SqlType::Int: return {SQL_INTEGER, 10, 0};
    case sim::SqlType::Decimal:
        return {SQL_DECIMAL, static_cast<SQLULEN>(p.precision), static_cast<SQLSMALLINT>(p.scale)};
    case sim::SqlType::DateTime: return {SQL_TYPE_TIMESTAMP, 23, 3};
    case sim::SqlType::VarChar: break;
    }
    return {SQL_VARCHAR, static_cast<SQLULEN>(p.precision), 0};
}

}  // namespace

void BareLoop::Text::set(const std::string& text) {
    if (text.size() >= sizeof data) throw std::length_error("a value longer than the floor's buffers");
    std::memcpy(data, text.data(), text.size());
    data[text.size()] = '\0';
    length = static_cast<SQLLEN>(text.size());
}

BareLoop::BareLoop(SQLHDBC sales, SQLHDBC controller)
    : sales_(sales),
      controller_(controller),
      selection_(statementOn(controller)),
      invoice_(statementOn(sales)),
      fuel_(statementOn(sales)),
      procedure_(statementOn(sales)) {
    ok(SQLBindCol(invoice_.get(), 1, SQL_C_CHAR, invoicePrefix_.data, sizeof invoicePrefix_.data,
                  &invoicePrefix_.length),
       invoice_.get(), "binding the invoice prefix");
    ok(SQLBindCol(invoice_.get(), 2, SQL_C_CHAR, invoiceSequence_.data, sizeof invoiceSequence_.data,
                  &invoiceSequence_.length),
       invoice_.get(), "binding the invoice sequence");
    ok(SQLBindCol(fuel_.get(), 1, SQL_C_CHAR, fuelCode_.data, sizeof fuelCode_.data, &fuelCode_.length),
       fuel_.get(), "binding the fuel code");
    bindProcedureParameters();
    ok(SQLPrepare(procedure_.get(), sqlText(procedureCall), SQL_NTS), procedure_.get(), "preparing the call");
}

void BareLoop::bindProcedureParameters() {
    SQLHSTMT call = procedure_.get();
    ok(SQLBindParameter(call, 1, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &returnValue_, 0,
                        &returnIndicator_),
       call, "binding the return value");
    const auto text = [&](std::size_t position, Text& value) {
        const Declared d = declared(position);
        ok(SQLBindParameter(call, static_cast<SQLUSMALLINT>(position + 1), SQL_PARAM_INPUT, SQL_C_CHAR, d.sqlType,
                            d.size, d.digits, value.data, sizeof value.data, &value.length),
           call, "binding a text");
    };
    const auto integer = [&](std::size_t position, SQLBIGINT& value, SQLLEN& indicator) {
        const Declared d = declared(position);
        ok(SQLBindParameter(call, static_cast<SQLUSMALLINT>(position + 1), SQL_PARAM_INPUT, SQL_C_SBIGINT,
                            d.sqlType, d.size, d.digits, &value, 0, &indicator),
           call, "binding an integer");
    };
    const auto fixed = [&](std::size_t position, const char* value) {
        fixed_[position].set(value);
        text(position, fixed_[position]);
    };
    text(1, invoiceNumber_);
    const Declared moment = declared(2);
    ok(SQLBindParameter(call, 3, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, moment.sqlType, moment.size, moment.digits,
                        &completed_, 0, &completedIndicator_),
       call, "binding the completion time");
    fixed(3, "");
    text(4, fuelCode_);
    integer(5, pump_, pumpIndicator_);
    fixed(6, "Admin");
    fixed(7, "1");
    fixed(8, "1");
    fixed(9, "9");
    text(10, gallons_);
    text(11, price_);
    text(12, value_);
    fixed(13, "0");
    fixed(14, "0");
    fixed(15, "");
    text(16, volume_);
    integer(17, deliveryId_, deliveryIdIndicator_);
    integer(18, hose_, hoseIndicator_);
    text(19, meterVolume_);
    text(20, meterValue_);
    for (std::size_t position = 21; position <= 24; ++position) fixed(position, "0");
}

void BareLoop::select(const std::string& sql) {
    ok(SQLExecDirect(selection_.get(), sqlText(sql), SQL_NTS), selection_.get(), "selecting deliveries");
    bindSelectionColumns();
}

// The columns are found by name once per selection, as a client must.
void BareLoop::bindSelectionColumns() {
    SQLHSTMT s = selection_.get();
    SQLSMALLINT count = 0;
    ok(SQLNumResultCols(s, &count), s, "counting columns");
    for (SQLUSMALLINT column = 1; column <= count; ++column) {
        SQLCHAR name[128];
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        ok(SQLDescribeCol(s, column, name, sizeof name, &nameLength, &type, &size, &digits, &nullable), s,
           "describing a column");
        const std::string_view n(reinterpret_cast<const char*>(name), static_cast<std::size_t>(nameLength));
        const auto text = [&](Text& target) {
            ok(SQLBindCol(s, column, SQL_C_CHAR, target.data, sizeof target.data, &target.length), s, "binding");
        };
        const auto integer = [&](SQLBIGINT& target, SQLLEN& indicator) {
            ok(SQLBindCol(s, column, SQL_C_SBIGINT, &target, 0, &indicator), s, "binding");
        };
        if (db::equalsIgnoringCase(n, "Completed_TS")) {
            ok(SQLBindCol(s, column, SQL_C_TYPE_TIMESTAMP, &completed_, 0, &completedIndicator_), s, "binding");
        } else if (db::equalsIgnoringCase(n, "Pump_ID")) {
            integer(pump_, pumpIndicator_);
        } else if (db::equalsIgnoringCase(n, "S_Hose_ID")) {
            integer(hose_, hoseIndicator_);
        } else if (db::equalsIgnoringCase(n, "Delivery_ID")) {
            integer(deliveryId_, deliveryIdIndicator_);
        } else if (db::equalsIgnoringCase(n, "Delivery_Volume")) {
            text(volume_);
        } else if (db::equalsIgnoringCase(n, "Del_Sell_Price")) {
            text(price_);
        } else if (db::equalsIgnoringCase(n, "Delivery_Value")) {
            text(value_);
        } else if (db::equalsIgnoringCase(n, "Hose_Meter_Volume")) {
            text(meterVolume_);
        } else if (db::equalsIgnoringCase(n, "Hose_Meter_Value")) {
            text(meterValue_);
        }
    }
}

bool BareLoop::fetchSelected() {
    const SQLRETURN rc = SQLFetch(selection_.get());
    ok(rc, selection_.get(), "fetching a delivery");
    return rc != SQL_NO_DATA;
}

void BareLoop::closeSelection() {
    ok(SQLFreeStmt(selection_.get(), SQL_CLOSE), selection_.get(), "closing the selection");
}

void BareLoop::nextInvoiceNumber() {
    const db::DateTime day{completed_.year, completed_.month, completed_.day, 0, 0, 0, 0};
    SQLHSTMT s = invoice_.get();
    ok(SQLExecDirect(s, sqlText(invoiceQueryText(day)), SQL_NTS), s, "asking for the invoice number");
    const SQLRETURN rc = SQLFetch(s);
    ok(rc, s, "reading the invoice number");
    invoiceNumber_.set(rc == SQL_NO_DATA ? std::string()
                                         : std::string(invoicePrefix_.data) + invoiceDayText(day) + "/" +
                                               invoiceSequence_.data);
    ok(SQLFreeStmt(s, SQL_CLOSE), s, "closing the invoice query");
}

void BareLoop::fuelTypeCode() {
    SQLHSTMT s = fuel_.get();
    const std::string sql =
        "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on d1.fueltypecode=d2.fueltypecode "
        "left outer join d9_tank d3 on d1.tank_no=d3.tank_no where d1.pump_no='" +
        decimalText(pump_) + "' and d1.hose_number='" + decimalText(hose_) + "'";
    ok(SQLExecDirect(s, sqlText(sql), SQL_NTS), s, "asking for the fuel type");
    const SQLRETURN rc = SQLFetch(s);
    ok(rc, s, "reading the fuel type");
    if (rc == SQL_NO_DATA || fuelCode_.length == SQL_NULL_DATA) fuelCode_.length = 0;
    ok(SQLFreeStmt(s, SQL_CLOSE), s, "closing the fuel-type query");
}

void BareLoop::carry() {
    nextInvoiceNumber();
    fuelTypeCode();
    gallons_.set(fourDecimalsText(db::Decimal::parse(std::string_view(volume_.data, volume_.length)).toDouble() /
                                  GallonFactor));
    SQLHSTMT p = procedure_.get();
    ok(SQLExecute(p), p, "writing the daily sale");
    // The insert follows the procedure's first count: read on to the end, as any client must.
    for (SQLRETURN rc; (rc = SQLMoreResults(p)) != SQL_NO_DATA;) ok(rc, p, "reading the daily sale's results");
}

void BareLoop::openLiveSelection(const db::DateTime& now) { select(liveSelectionText(now)); }

bool BareLoop::carryNext() {
    if (!fetchSelected()) {
        closeSelection();
        return false;
    }
    carry();
    return true;
}

std::size_t BareLoop::importCycle(const db::DateTime& now) {
    std::size_t carried = 0;
    openLiveSelection(now);
    while (carryNext()) ++carried;
    select(offlineSelectionText(now));
    if (fetchSelected()) throw std::logic_error("the floor carries type 6 deliveries only");
    closeSelection();
    return carried;
}

void BareLoop::twoSelections(const db::DateTime& now) {
    SQLHSTMT s = selection_.get();
    for (const std::string& sql : {liveSelectionText(now), offlineSelectionText(now)}) {
        ok(SQLExecDirect(s, sqlText(sql), SQL_NTS), s, "selecting deliveries");
        while (fetchSelected()) {
        }
        closeSelection();
    }
}

}  // namespace vantrok::bench
