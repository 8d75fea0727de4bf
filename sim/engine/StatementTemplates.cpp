#include "sim/engine/StatementTemplates.h"

#include <algorithm>
#include <array>

namespace vantrok::sim {

namespace {

// "{}" stands for a literal: the characters up to the next quote or the
// next fixed character, whichever comes first.
constexpr std::string_view hole = "{}";

struct Template {
    StatementKind kind;
    std::string_view text;
};

#define DELIVERY_SELECT                                                                                     \
    "select Hose_Delivery.*,Hoses.Pump_ID,Hoses.Hose_Number  S_Hose_ID from Hose_Delivery  left outer join " \
    "Hoses on Hose_Delivery.Hose_ID=Hoses.Hose_ID where "

constexpr std::array<Template, 15> templates = {{
    {StatementKind::LiveSelection,
     DELIVERY_SELECT "delivery_type in ('6') and month(Cleared_Date_Time)='{}' and year(Cleared_Date_Time)='{}' "
                     "AND Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct "
                     "isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where month(s_date)='{}' and "
                     "year(s_date)='{}') order by cast(delivery_id as int) asc"},
    {StatementKind::LiveSelectionWindowed,
     DELIVERY_SELECT "delivery_type in ('6') and month(Cleared_Date_Time)='{}' and year(Cleared_Date_Time)='{}' "
                     "AND Cleared_Date_Time is not null and Delivery_ID NOT IN (select distinct "
                     "isnull(Delivery_ID,0) from torvane.dbo.d17_dailysale where month(s_date)='{}' and "
                     "year(s_date)='{}' or month(s_date)='{}' and year(s_date)='{}') and Completed_TS>='{}' "
                     "order by cast(delivery_id as int) asc"},
    {StatementKind::OfflineSelection,
     DELIVERY_SELECT "delivery_type in ('14') and day(Completed_TS)='{}' and month(Completed_TS)='{}' and "
                     "year(Completed_TS)='{}' AND Delivery_ID NOT IN (select distinct isnull(Delivery_ID,0) from "
                     "torvane.dbo.d17_dailysale where day(S_Date)='{}' and month(s_date)='{}' and "
                     "year(s_date)='{}')"},
    {StatementKind::InvoiceNumber,
     "select 'INV/'+'{}/',ISNULL(MAX(CAST(REVERSE(LEFT(REVERSE(VocNo), CHARINDEX('/',REVERSE(VocNo))-1)) AS "
     "INT)),0)+1 from D17_DailySale where CAST(RTRIM(LTRIM(CAST(DAY(S_Date) AS CHAR(2))))+'-'+CAST(DATENAME(MONTH,"
     "S_Date) AS CHAR(3))+'-'+CAST(YEAR(S_Date) AS CHAR(4)) AS DATETIME)='{}' AND LEFT(VocNo,6)='{}'"},
    {StatementKind::FuelType,
     "select d1.fueltypecode from D10_Hose d1 left outer join d1_fueltype d2 on d1.fueltypecode=d2.fueltypecode "
     "left outer join d9_tank d3 on d1.tank_no=d3.tank_no where d1.pump_no='{}' and d1.hose_number='{}'"},
    {StatementKind::DeliveriesCompleted,
     DELIVERY_SELECT "Completed_TS>='{}' and Completed_TS<'{}' order by cast(delivery_id as int) asc"},
    {StatementKind::ReadingsBefore,
     "select d.Hose_ID,d.Delivery_ID,d.Completed_TS,d.Delivery_Volume,d.Delivery_Value,d.Hose_Meter_Volume,"
     "d.Hose_Meter_Value from Hose_Delivery d where d.Completed_TS=(select max(p.Completed_TS) from Hose_Delivery p "
     "where p.Hose_ID=d.Hose_ID and p.Completed_TS<'{}')"},
    {StatementKind::DailySales, "select Delivery_ID,S_Date,VocNo from D17_DailySale where S_Date>='{}' and S_Date<'{}'"},
    {StatementKind::HoseFuelTypes, "select pump_no,hose_number,fueltypecode from D10_Hose"},
    {StatementKind::LastSale, "select max(S_Date) as Last_S_Date from D17_DailySale"},
    {StatementKind::ServerClock, "select getdate() as Local_Now,getutcdate() as Utc_Now"},
    {StatementKind::SalesLockCount,
     "select count(*) from D17_DailySale with (tablockx, holdlock) where S_Date>='{}' and S_Date<'{}'"},
    {StatementKind::SaleRenumbering,
     "update D17_DailySale set VocNo='{}' where VocNo='{}' and Delivery_ID={} and S_Date>='{}' and S_Date<'{}'"},
    {StatementKind::SetLockTimeout, "SET LOCK_TIMEOUT {}"},
    {StatementKind::SnapshotSetting,
     "select cast(is_read_committed_snapshot_on as int) from sys.databases where name='{}'"},
}};

#undef DELIVERY_SELECT

// Matches one template; on failure tells how far the text agreed with it.
bool matchOne(std::string_view pattern, std::string_view sql, std::vector<std::string>& literals,
              std::size_t& reached) {
    std::size_t pos = 0;
    while (!pattern.empty()) {
        std::size_t next = pattern.find(hole);
        std::string_view fixed = pattern.substr(0, next);
        std::size_t same = 0;
        while (same < fixed.size() && pos + same < sql.size() && sql[pos + same] == fixed[same]) ++same;
        if (same < fixed.size()) {
            reached = pos + same;
            return false;
        }
        pos += fixed.size();
        if (next == std::string_view::npos) break;
        pattern.remove_prefix(next + hole.size());
        char stop = pattern.empty() ? '\'' : pattern.front();
        std::size_t end = pos;
        while (end < sql.size() && sql[end] != '\'' && sql[end] != stop) ++end;
        literals.emplace_back(sql.substr(pos, end - pos));
        pos = end;
    }
    std::size_t trailing = sql.find_first_not_of(" \t\r\n", pos);
    if (trailing != std::string_view::npos) {
        reached = trailing;
        return false;
    }
    return true;
}

std::string wordAt(std::string_view sql, std::size_t pos) {
    constexpr std::string_view delimiters = " \t\r\n(),=+";
    if (pos >= sql.size()) {
        std::size_t end = sql.find_last_not_of(delimiters);
        if (end == std::string_view::npos) return std::string(sql);
        pos = end;
    }
    std::size_t begin = sql.find_last_of(delimiters, pos);
    begin = begin == std::string_view::npos ? 0 : begin + 1;
    std::size_t end = std::min(sql.find_first_of(delimiters, begin), sql.size());
    return std::string(sql.substr(begin, std::min<std::size_t>(end - begin, 128)));
}

}  // namespace

TemplateMatch matchStatement(std::string_view sql) {
    // Blanks around a statement mean nothing to the server.
    std::size_t first = sql.find_first_not_of(" \t\r\n");
    sql.remove_prefix(first == std::string_view::npos ? sql.size() : first);
    TemplateMatch result;
    std::size_t furthest = 0;
    for (const Template& t : templates) {
        std::vector<std::string> literals;
        std::size_t reached = 0;
        if (matchOne(t.text, sql, literals, reached)) {
            result.statement = MatchedStatement{t.kind, std::move(literals)};
            return result;
        }
        furthest = std::max(furthest, reached);
    }
    result.near = wordAt(sql, furthest);
    return result;
}

}  // namespace vantrok::sim
