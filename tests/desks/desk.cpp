// One desk of the several-desks test: books expenses and receipts, pays advances, changes and deletes
// lines (its own and the other desks'), and reads the cash book, on one server year, at random, until
// its time is up. Every operation the server committed, and every refusal the desk was told, is one
// line of its log, written as it happens:
//   add <book> <num> <cents>              a new line
//   upd <book> <num> <old cents> <new>    a line changed from what the desk read
//   del <book> <num> <old cents>          a line deleted as the desk read it
//   lost <book> <num> <old cents> <why>   a change or deletion refused: the message the desk was told
//   read <day> <opening> <closing>        a cash book read
//   error <message>                       anything else the engine said (the test fails on it)
// <book> is D (Depenses) or R (Recettes); amounts in cents, each new amount unique to the desk.
//
//   kv_test_desk HOST PORT DATABASE USER SCHEMA YEAR DESK SECONDS AGENT LOG
#include "core/ledger/Ledger.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/db/RowWriter.h"
#include "treasury/cashbook/CashDay.h"

#include <QCoreApplication>
#include <QDate>
#include <QDeadlineTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QThread>

#include <cmath>
#include <cstdio>

using namespace kv;

namespace {
QFile logFile;

void note(const QString& line)
{
    logFile.write(line.toUtf8() + '\n');
    logFile.flush();
}

qint64 centsOf(const QVariant& amount) { return std::llround(amount.toDouble() * 100); }
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 11) {
        std::fprintf(stderr, "usage: kv_test_desk HOST PORT DATABASE USER SCHEMA YEAR DESK SECONDS AGENT LOG\n");
        return 2;
    }
    db::ServerSettings server;
    server.host = a[1];
    server.port = a[2].toInt();
    server.database = a[3];
    server.user = a[4];
    const QString schemaName = a[5];
    const int year = a[6].toInt(), desk = a[7].toInt(), seconds = a[8].toInt();
    const qint64 agent = a[9].toLongLong();
    logFile.setFileName(a[10]);
    if (!logFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 3;

    db::Database db;
    try {
        db.openServer(server, schemaName);
    } catch (const db::Error& e) {
        note(QStringLiteral("error ") + e.message().simplified());
        return 1;
    }
    QRandomGenerator random(quint32(desk) * 7919u + 17u);
    qint64 counter = 0;
    // Each amount this desk writes is its own: desk × 10^7 + a counter, in cents.
    const auto nextCents = [&] { return qint64(desk) * 10000000 + ++counter; };
    const auto day = [&] { return QDate(year, 1, 1 + int(random.bounded(10))); };
    const auto bookName = [](ledger::Book b) { return b == ledger::Book::Depenses ? QStringLiteral("D") : QStringLiteral("R"); };

    QDeadlineTimer deadline(qint64(seconds) * 1000);
    while (!deadline.hasExpired()) {
        const int op = int(random.bounded(10));
        const ledger::Book book = random.bounded(2) ? ledger::Book::Depenses : ledger::Book::Recettes;
        try {
            if (op <= 4) {
                // A new line: an expense, a miscellaneous receipt, or an advance on the agent's pay.
                ledger::Line line;
                line.date = day().toString(db::kShownDateFormat);
                const qint64 cents = nextCents();
                line.montant = double(cents) / 100;
                ledger::Book b = ledger::Book::Recettes;
                if (op <= 1) {
                    b = ledger::Book::Depenses;
                    line.ref = QStringLiteral("Dépense du poste %1").arg(desk);
                    line.contrepartie = schema::contrepartie::VehiculeOuAgent;
                    if (op == 0) // a vehicle's heading; the other is an expense of no heading ("Autres Dépenses")
                        line.typeDep = schema::heading::Divers;
                } else if (op == 2) {
                    b = ledger::Book::Depenses;
                    line.ref = QStringLiteral("Avance du poste %1").arg(desk);
                    line.contrepartie = schema::contrepartie::Client;
                    line.numAgent = agent;
                    line.typeDep = schema::heading::AvanceSalaire;
                } else {
                    line.ref = QStringLiteral("Recette du poste %1").arg(desk);
                    line.contrepartie = schema::contrepartie::RecetteDiverse;
                    line.numAgent = -1;
                }
                const qint64 num = ledger::add(db, b, line);
                note(QStringLiteral("add %1 %2 %3").arg(bookName(b)).arg(num).arg(cents));
            } else if (op <= 8) {
                // A change or a deletion of one of the latest lines, as a screen does it: read, a
                // moment of the user's, write.
                const QString table = ledger::table(book);
                const qint64 last = db.scalar(QStringLiteral("SELECT max(num) FROM %1").arg(table)).toLongLong();
                if (last == 0)
                    continue;
                const qint64 num = std::max<qint64>(1, last - qint64(random.bounded(4)));
                const db::Row loaded = db.queryOne(QStringLiteral("SELECT * FROM %1 WHERE num = ?").arg(table), {num});
                if (loaded.size() == 0)
                    continue;
                const qint64 old = centsOf(loaded.value(QStringLiteral("Montant")));
                QThread::usleep(random.bounded(1000, 8000));
                const bool deleting = op == 8;
                try {
                    if (deleting) {
                        ledger::remove(db, book, num, loaded);
                        note(QStringLiteral("del %1 %2 %3").arg(bookName(book)).arg(num).arg(old));
                    } else {
                        ledger::Line line;
                        line.date = db::toShownDate(loaded.value(QStringLiteral("date")));
                        line.mode = loaded.value(QStringLiteral("mode")).toInt();
                        line.ref = loaded.text(QStringLiteral("ref"));
                        const qint64 cents = nextCents();
                        line.montant = double(cents) / 100;
                        ledger::update(db, book, num, line, loaded);
                        note(QStringLiteral("upd %1 %2 %3 %4").arg(bookName(book)).arg(num).arg(old).arg(cents));
                    }
                } catch (const db::Conflict& e) {
                    note(QStringLiteral("lost %1 %2 %3 %4").arg(bookName(book)).arg(num).arg(old).arg(e.message()));
                }
            } else {
                const QDate d = day();
                const cashbook::CashDay c = cashbook::readCashDay(db, d, year);
                note(QStringLiteral("read %1 %2 %3").arg(d.toString(Qt::ISODate)).arg(c.opening).arg(c.closing()));
            }
        } catch (const db::Error& e) {
            note(QStringLiteral("error ") + e.message().simplified());
        }
    }
    return 0;
}
