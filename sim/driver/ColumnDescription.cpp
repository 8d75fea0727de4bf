#include "sim/driver/ColumnDescription.h"

#include <algorithm>

namespace vantrok::sim::driver {

ColumnDescription describeColumn(const ResultColumn& column, SQLINTEGER odbcVersion) {
    ColumnDescription d;
    switch (column.type) {
        case SqlType::Int:
            d.conciseType = d.verboseType = SQL_INTEGER;
            d.columnSize = 10;
            d.displaySize = 11;
            d.octetLength = 4;
            d.radix = 10;
            d.typeName = "int";
            d.isNumber = true;
            break;
        case SqlType::Decimal:
            d.conciseType = d.verboseType = SQL_DECIMAL;
            d.columnSize = static_cast<SQLULEN>(std::max(column.precision, 1));
            d.decimalDigits = static_cast<SQLSMALLINT>(column.scale);
            d.displaySize = static_cast<SQLLEN>(d.columnSize) + 2;  // sign and point
            d.octetLength = d.displaySize;
            d.radix = 10;
            d.typeName = "decimal";
            d.isNumber = true;
            break;
        case SqlType::DateTime:
            d.conciseType = odbcVersion == SQL_OV_ODBC2 ? SQL_TIMESTAMP : SQL_TYPE_TIMESTAMP;
            d.verboseType = SQL_DATETIME;
            d.datetimeCode = SQL_CODE_TIMESTAMP;
            d.columnSize = 23;
            d.decimalDigits = 3;
            d.displaySize = 23;
            d.octetLength = sizeof(SQL_TIMESTAMP_STRUCT);
            d.typeName = "datetime";
            d.literalQuote = "'";
            break;
        case SqlType::VarChar:
            d.conciseType = d.verboseType = SQL_VARCHAR;
            d.columnSize = static_cast<SQLULEN>(std::max(column.precision, 1));
            d.displaySize = static_cast<SQLLEN>(d.columnSize);
            d.octetLength = d.displaySize;
            d.typeName = "varchar";
            d.literalQuote = "'";
            break;
    }
    return d;
}

}  // namespace vantrok::sim::driver
