#pragma once

#include <span>
#include <string>
#include <string_view>

#include "sim/engine/Session.h"

namespace vantrok::sim {

// One column of a station table, or one parameter of a procedure, with the
// type SQL Server would declare for it.
struct ColumnDef {
    std::string_view name;
    SqlType type;
    int precision;  // varchar length, decimal precision; ignored for int and datetime
    int scale;
    bool nullable;
};

struct TableDef {
    std::string_view name;
    std::span<const ColumnDef> columns;
    std::string_view indexes;  // SQLite statements run after CREATE TABLE
};

// The databases of a station; each is one SQLite file in the station folder.
inline constexpr std::string_view controllerDatabase = "enablerdb";
inline constexpr std::string_view salesDatabase = "torvane";
inline constexpr std::string_view salesBackupDatabases[] = {"torvane_bk1", "torvane_bk2"};

std::span<const TableDef> controllerTables();
std::span<const TableDef> salesTables();

// The 24 parameters of INS_UPD_D17_DailySale1 in declaration order; each
// names the D17_DailySale column that stores it.
std::span<const ColumnDef> dailySaleParameters();

inline constexpr std::string_view dailySaleProcedure = "INS_UPD_D17_DailySale1";
inline constexpr std::string_view backupProcedure = "SYNX_TWO_DB_TO_BK1_BK2";

// The result-set description of a column as SQL Server gives it.
ResultColumn describe(const ColumnDef& column);

// Looks a column up by name (case-insensitive) among all station tables;
// unknown columns describe as varchar(255).
ResultColumn describeStoredColumn(std::string_view name);

// A stored value in its column's own form: rows written by other tools may
// hold a datetime without its milliseconds or a decimal without all its digits.
Cell inColumnForm(Cell cell, const ResultColumn& column);

// CREATE TABLE and its indexes for SQLite; decimals and datetimes are kept as
// exact text.
std::string createStatement(const TableDef& table);

}  // namespace vantrok::sim
