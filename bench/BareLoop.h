#pragma once

#include <array>
#include <cstddef>
#include <string>

#include "db/DateTime.h"
#include "db/OdbcHandle.h"

namespace vantrok::bench {

// The floor a client of this driver cannot go below: the same two selections
// and, per delivery, the same three statements with the same texts and the
// same parameter types as the import, and nothing else. Its statement handles
// are made once, the selection's columns are bound straight into the
// procedure's parameters and the procedure call is prepared once. It carries
// type 6 deliveries only, which is all the benchmarks give it.
class BareLoop {
public:
    BareLoop(SQLHDBC sales, SQLHDBC controller);
    BareLoop(const BareLoop&) = delete;
    BareLoop& operator=(const BareLoop&) = delete;

    // Both selections for the moment given, every row carried. Returns the
    // number of deliveries carried.
    std::size_t importCycle(const db::DateTime& now);
    // Both selections walked to their end, their columns neither described
    // nor bound.
    void twoSelections(const db::DateTime& now);

    // One delivery at a time, for measuring a delivery alone: opens the live
    // selection, then carries one row per call until it returns false.
    void openLiveSelection(const db::DateTime& now);
    bool carryNext();

private:
    struct Text {
        char data[64] = {};
        SQLLEN length = 0;
        void set(const std::string& text);
    };

    void select(const std::string& sql);
    bool fetchSelected();
    void closeSelection();
    void bindSelectionColumns();
    void bindProcedureParameters();
    void carry();
    void nextInvoiceNumber();
    void fuelTypeCode();

    SQLHDBC sales_;
    SQLHDBC controller_;
    db::OdbcHandle selection_;
    db::OdbcHandle invoice_;
    db::OdbcHandle fuel_;
    db::OdbcHandle procedure_;

    // The selected row, as the procedure takes it.
    SQL_TIMESTAMP_STRUCT completed_{};
    SQLLEN completedIndicator_ = 0;
    SQLBIGINT pump_ = 0, hose_ = 0, deliveryId_ = 0;
    SQLLEN pumpIndicator_ = 0, hoseIndicator_ = 0, deliveryIdIndicator_ = 0;
    Text volume_, price_, value_, meterVolume_, meterValue_;

    // What the lookups give.
    Text invoicePrefix_, invoiceSequence_, invoiceNumber_, fuelCode_, gallons_;

    // Fixed texts of the write, indexed by position.
    std::array<Text, 25> fixed_{};
    SQLINTEGER returnValue_ = 0;
    SQLLEN returnIndicator_ = 0;
};

}  // namespace vantrok::bench
