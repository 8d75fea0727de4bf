#include "sim/engine/ParameterConversion.h"

#include "sim/engine/SqlDateTime.h"
#include "sim/engine/SqlDecimal.h"
#include "sim/engine/SqlErrors.h"
#include "sim/engine/SqlInt.h"

namespace vantrok::sim {

namespace {

std::string_view typeName(SqlType type) {
    switch (type) {
    case SqlType::Int: return "int";
    case SqlType::Decimal: return "numeric";
    case SqlType::DateTime: return "datetime";
    case SqlType::VarChar: return "varchar";
    }
    return "varchar";
}

std::string fitVarchar(std::string text, const ColumnDef& declared) {
    // Parameters cut a longer text silently, as SQL Server does.
    if (text.size() > static_cast<std::size_t>(declared.precision)) text.resize(static_cast<std::size_t>(declared.precision));
    return text;
}

std::string fitDecimal(const SqlDecimal& d, SqlType from, const ColumnDef& declared) {
    auto fitted = d.fitTo(declared.precision, declared.scale);
    if (!fitted) throw errors::parameterOverflow(typeName(from), "numeric");
    return fitted->toString();
}

// What the client sent, read as the type it was bound with; a text that is no
// value of that type never leaves the client's driver.
SqlDecimal boundNumber(const std::string& text) {
    auto d = SqlDecimal::parse(text);
    if (!d) throw errors::invalidCharacterValue();
    return *d;
}

Cell fromVarchar(const std::string& text, const ColumnDef& declared) {
    switch (declared.type) {
    case SqlType::VarChar: return fitVarchar(text, declared);
    case SqlType::Int: {
        std::int32_t v = 0;
        IntParse r = parseSqlInt(text, v);
        if (r == IntParse::Invalid) throw errors::parameterConversion("varchar", "int");
        if (r == IntParse::Overflow) throw errors::varcharIntOverflow(text);
        return std::to_string(v);
    }
    case SqlType::Decimal: {
        auto d = SqlDecimal::parse(text);
        if (!d) throw errors::parameterConversion("varchar", "numeric");
        return fitDecimal(*d, SqlType::VarChar, declared);
    }
    case SqlType::DateTime: {
        SqlDateTime dt;
        DateParse r = parseDateTimeVarchar(text, dt);
        if (r == DateParse::Invalid) throw errors::parameterConversion("varchar", "datetime");
        if (r == DateParse::OutOfRange) throw errors::dateOutOfRange();
        return dt.toText();
    }
    }
    return text;
}

Cell fromNumber(const std::string& text, SqlType from, const ColumnDef& declared) {
    SqlDecimal d = boundNumber(text);
    switch (declared.type) {
    case SqlType::VarChar: return fitVarchar(d.toString(), declared);
    case SqlType::Int: {
        auto v = d.toInt32();  // a decimal loses its fraction on the way to int
        if (!v) throw errors::parameterOverflow(typeName(from), "int");
        return std::to_string(*v);
    }
    case SqlType::Decimal: return fitDecimal(d, from, declared);
    case SqlType::DateTime: {
        auto days = d.toInt32();
        if (from != SqlType::Int || !days) throw errors::implicitConversion(typeName(from), "datetime");
        auto dt = SqlDateTime::fromDays(*days);
        if (!dt) throw errors::dateOutOfRange();
        return dt->toText();
    }
    }
    return text;
}

Cell fromTimestamp(const std::string& text, const ColumnDef& declared) {
    SqlDateTime dt;
    DateParse r = parseTimestampText(text, dt);
    if (r == DateParse::Invalid) throw errors::invalidCharacterValue();
    if (r == DateParse::OutOfRange) throw errors::dateOutOfRange();
    switch (declared.type) {
    case SqlType::DateTime: return dt.toText();
    case SqlType::VarChar: return fitVarchar(dt.toVarchar(), declared);
    case SqlType::Int:
    case SqlType::Decimal: throw errors::implicitConversion("datetime", typeName(declared.type));
    }
    return text;
}

}  // namespace

Cell convertParameter(const ParamValue& value, const ColumnDef& declared) {
    if (!value.text) return std::nullopt;
    switch (value.declaredByClient) {
    case SqlType::VarChar: return fromVarchar(*value.text, declared);
    case SqlType::Int:
    case SqlType::Decimal: return fromNumber(*value.text, value.declaredByClient, declared);
    case SqlType::DateTime: return fromTimestamp(*value.text, declared);
    }
    return std::nullopt;
}

}  // namespace vantrok::sim
