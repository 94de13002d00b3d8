#pragma once
// The demo exercise: a program folder holding one year of a transport firm's activity, made up from a
// seed, so that the same options always give the same database. It serves someone trying the program
// (the default scale: a few thousand ledger lines) and the benchmark (the stress scale: a million).
//
// The folder is prepared as a first start of the program prepares it (template database, security file,
// ZEB.CFG, exercise state file, Archives/ and photos/, the exercise database copied from the template
// and its parameters row), then every row is written by the program's own operations: the reference
// lists, the vehicle register, the person registers, the rentals, the vehicle file's follow-ups and
// oil changes, the pays and the closing of their months. The ledger lines (expenses and receipts of
// vehicles, person accounts, miscellaneous receipts, advances on salary) are the lines the vehicle file
// and the fund movement dialog book; written either one by one through those bookings, as the screens
// do, or through the ledger's batch, which stores the same rows in one transaction.
#include <QString>
#include <functional>

namespace kv::demo {

/// How the ledger lines are written.
enum class Booking {
    Batch,   ///< ledger::Batch: one prepared statement in one transaction (fast)
    Screens  ///< one booking per line through the vehicle file and the fund movement, as the screens book
};

struct Options {
    QString folder;          ///< the program folder to write into
    int year = 0;            ///< the exercise; 0: the current year
    int vehicles = 60;
    int persons = 40;        ///< agents, drivers and clients together
    qint64 lines = 5000;     ///< ledger lines (expenses and receipts of every kind)
    quint64 seed = 1;
    bool replace = false;    ///< replace an exercise file of that year already in the folder
    Booking booking = Booking::Batch;
    /// The stress year of the benchmark: 1,000,000 lines, 500 vehicles, 2,000 persons.
    static Options stress();
};

/// What was written.
struct Summary {
    int year = 0;
    qint64 depenses = 0, recettes = 0;
    int vehicles = 0, persons = 0, rentals = 0, pays = 0, followUps = 0;
    qint64 busyVehicle = 0;  ///< the vehicle with the most lines (a hundredth of the ledger)
    qint64 busyClient = 0;   ///< the client with the most lines (a fiftieth of the ledger)
    QString databasePath;
};

/// Writes the demo exercise; `progress` receives a line of text at each phase. Throws db::Error on an
/// engine error and std::runtime_error when the folder cannot be prepared.
Summary generate(const Options& options, const std::function<void(const QString&)>& progress = {});

} // namespace kv::demo
