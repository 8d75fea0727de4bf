#include "sim/engine/SessionStatements.h"
#include "tests/sim/EngineTest.h"
#include "tests/sim/StatementTexts.h"

namespace vantrok::sim {
namespace {

using T = SqlType;
using Kind = SessionStatement::Kind;

constexpr std::string_view lastSale = "select max(S_Date) as Last_S_Date from D17_DailySale";

class TransactionStatementsTest : public EngineTest {
protected:
    void SetUp() override {
        sales = connect("torvane");
        other = connect("torvane");
    }

    int tranCount() { return std::stoi(*query(*sales, "select @@TRANCOUNT").rows.at(0).at(0)); }
    void run(std::string_view sql) { readThrough(sales->execute(sql, {}, std::chrono::seconds(30))); }

    ReadThrough writeSale() {
        std::vector<ParamValue> values{{std::nullopt, T::Int},         {"INV/C9/251116/4", T::VarChar},
                                       {"2016-11-25 17:42:30", T::DateTime}};
        values.resize(25, ParamValue{"0", T::Int});
        return readThrough(sales->execute(texts::dailySaleCall(true), values, std::chrono::seconds(30)));
    }

    std::unique_ptr<Session> sales;
    std::unique_ptr<Session> other;
};

TEST_F(TransactionStatementsTest, ImplicitTransactionsBeginWithTheFirstStatementThatRunsAndLastUntilTheCommit) {
    sales->setImplicitTransactions(true);
    EXPECT_EQ(tranCount(), 0) << "@@TRANCOUNT reads no table";
    failureOf([&] { run("select nothing from nowhere"); });
    failureOf([&] { run("{call NO_SUCH_PROCEDURE}"); });
    EXPECT_EQ(tranCount(), 0) << "a statement that never ran begins nothing";

    ReadThrough sale = writeSale();
    ASSERT_EQ(sale.results.size(), 2u);
    EXPECT_EQ(sale.results[0].command, StatementCommand::Update);
    EXPECT_EQ(sale.results[1].command, StatementCommand::Insert);
    EXPECT_EQ(tranCount(), 1);
    EXPECT_EQ(query(*other, lastSale).rows.at(0).at(0), std::nullopt) << "not committed yet";

    run("IF @@TRANCOUNT > 0 COMMIT TRAN");
    EXPECT_EQ(tranCount(), 0);
    EXPECT_EQ(query(*other, lastSale).rows.at(0).at(0), "2016-11-25 17:42:30.000");

    writeSale();
    run("IF @@TRANCOUNT > 0 ROLLBACK TRAN");
    EXPECT_EQ(tranCount(), 0);
    EXPECT_EQ(std::stoi(*query(*other, "select count(*) from D17_DailySale with (tablockx, holdlock) where "
                                        "S_Date>='25-Nov-2016' and S_Date<'26-Nov-2016'")
                           .rows.at(0)
                           .at(0)),
              1)
        << "the rollback undid the second write only";
}

TEST(SessionStatements, OnlyTheFormsSqlServerTakesAreTransactionStatements) {
    struct Case {
        std::string_view sql;
        std::optional<Kind> kind;
        std::string name = {};
        bool onlyInTransaction = false;
    };
    const Case cases[] = {
        {"IF @@TRANCOUNT > 0 COMMIT TRAN", Kind::Commit, "", true},
        {"if @@trancount>0 rollback transaction;", Kind::Rollback, "", true},
        {"BEGIN TRANSACTION carry", Kind::BeginTransaction, "carry"},
        {"rollback tran carry", Kind::Rollback, "carry"},
        {"COMMIT WORK", Kind::Commit},
        {"select @@TRANCOUNT", Kind::TransactionCount},
        {"SELECT @@VERSION;", Kind::Version},
        {"BEGIN", std::nullopt},
        {"IF @@TRANCOUNT > 1 COMMIT TRAN", std::nullopt},
        {"IF @@TRANCOUNT > 0 BEGIN TRAN", std::nullopt},
        {"COMMIT TRAN @name", std::nullopt},
        {"COMMIT WORK now", std::nullopt},
        {"select @@TRANCOUNT, 1", std::nullopt},
        {"ROLLBACK TRAN a b", std::nullopt},
    };
    for (const Case& c : cases) {
        std::optional<SessionStatement> parsed = parseSessionStatement(c.sql);
        ASSERT_EQ(parsed.has_value(), c.kind.has_value()) << c.sql;
        if (!parsed) continue;
        EXPECT_EQ(parsed->kind, *c.kind) << c.sql;
        EXPECT_EQ(parsed->transactionName, c.name) << c.sql;
        EXPECT_EQ(parsed->onlyInTransaction, c.onlyInTransaction) << c.sql;
    }
}

}  // namespace
}  // namespace vantrok::sim
