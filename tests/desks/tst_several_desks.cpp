// Several desks on one server year at once: N processes (kv_test_desk) book expenses, receipts and
// advances, change and delete the latest lines (theirs and the others'), and read the cash book, for a
// few seconds. Afterwards, from what each desk was told (its log) and what the year holds:
//   - every line a desk was told was booked is there once, with the amount of its last change, unless
//     a desk was told it deleted it; nothing else is there;
//   - no change was lost: from any state of a line one change at most went through (each new amount
//     being unique, the changes of a line form one chain from its first amount to its stored one);
//   - every refusal a desk was told ("Enregistrement modifié par un autre poste", "Enregistrement
//     introuvable") follows a change or a deletion another desk made to the state it had read;
//   - the cash book runs on: each day's end is the next day's opening, and the last day's end is the
//     sum of the lines stored;
//   - no desk met any other engine error.
// On files there is one desk (the program's single-instance lock): the test runs on the server only.
#include "core/schema/ExerciseSchema.h"
#include "harness/Seed.h"
#include "harness/TestFolder.h"
#include "harness/TestServer.h"
#include "platform/db/RowWriter.h"
#include "treasury/cashbook/CashDay.h"

#include <QProcess>
#include <QTest>

#include <cmath>
#include <memory>

using namespace kv;
using namespace kv::test;

namespace {
constexpr int kYear = 2021;

struct Entry {
    int desk = 0;
    QString what, book;
    qint64 num = 0, old = 0, cents = 0;
    QString message;
};
} // namespace

class SeveralDesksTest : public QObject {
    Q_OBJECT

    test::TestFolder folder_{false};

private slots:
    void theDesksLoseNothingAndAreToldEveryRefusal_data()
    {
        QTest::addColumn<int>("desks");
        QTest::newRow("deux postes") << 2;
        QTest::newRow("huit postes") << 8;
    }
    void theDesksLoseNothingAndAreToldEveryRefusal()
    {
        QFETCH(int, desks);
        const auto server = test::processServer();
        if (!server)
            QSKIP("several desks work on a server only");
        const QString schemaName = db::exerciseSchema(kYear);
        db::Database::dropServerSchema(*server, schemaName);
        schema::createExerciseSchema(*server, kYear);
        db::Database db;
        db.openServer(*server, schemaName);
        const qint64 agent = seed::person(db, {.kind = schema::person::Agent, .nom = QStringLiteral("Benali"),
                                               .prenom = QStringLiteral("Samir"), .salarie = true});

        // ---- the desks at work ----
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int d = 1; d <= desks; ++d) {
            auto p = std::make_unique<QProcess>();
            p->setProcessChannelMode(QProcess::ForwardedChannels);
            p->start(QStringLiteral(KV_TEST_DESK),
                     {server->host, QString::number(server->port), server->database, server->user, schemaName,
                      QString::number(kYear), QString::number(d), QStringLiteral("3"), QString::number(agent),
                      folder_.file(QStringLiteral("desk%1.log").arg(d))});
            processes.push_back(std::move(p));
        }
        for (auto& p : processes) {
            QVERIFY2(p->waitForFinished(120000), "a desk did not finish");
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }

        // ---- what each desk was told ----
        QList<Entry> entries;
        int reads = 0;
        for (int d = 1; d <= desks; ++d) {
            QFile f(folder_.file(QStringLiteral("desk%1.log").arg(d)));
            QVERIFY(f.open(QIODevice::ReadOnly));
            for (const QByteArray& raw : f.readAll().split('\n')) {
                const QString line = QString::fromUtf8(raw);
                if (line.isEmpty())
                    continue;
                QVERIFY2(!line.startsWith(QLatin1String("error")), qPrintable(QStringLiteral("desk %1: %2").arg(d).arg(line)));
                const QStringList w = line.split(u' ');
                if (w[0] == QLatin1String("read")) {
                    ++reads;
                    continue;
                }
                Entry e;
                e.desk = d;
                e.what = w[0];
                e.book = w[1];
                e.num = w[2].toLongLong();
                if (e.what == QLatin1String("add")) {
                    e.cents = w[3].toLongLong();
                } else {
                    e.old = w[3].toLongLong();
                    if (e.what == QLatin1String("upd"))
                        e.cents = w[4].toLongLong();
                    else if (e.what == QLatin1String("lost"))
                        e.message = w.mid(4).join(u' ');
                }
                entries << e;
            }
        }

        int refusals = 0;
        for (const QString& book : {QStringLiteral("D"), QStringLiteral("R")}) {
            // From each amount, the change that went through (one at most) and the deletion.
            QHash<qint64, const Entry*> changeFrom, deletionOf;
            for (const Entry& e : entries) {
                if (e.book != book)
                    continue;
                if (e.what == QLatin1String("upd")) {
                    QVERIFY2(!changeFrom.contains(e.old), qPrintable(QStringLiteral("%1 %2: two changes went through from %3 (a lost update)")
                                                                         .arg(book).arg(e.num).arg(e.old)));
                    changeFrom.insert(e.old, &e);
                } else if (e.what == QLatin1String("del")) {
                    QVERIFY2(!deletionOf.contains(e.old), qPrintable(QStringLiteral("%1 %2: deleted twice").arg(book).arg(e.num)));
                    deletionOf.insert(e.old, &e);
                }
            }
            // Each line booked, followed along its changes: deleted, or stored with its last amount.
            QMap<qint64, qint64> expected; // num -> cents
            int used = 0;
            for (const Entry& e : entries) {
                if (e.book != book || e.what != QLatin1String("add"))
                    continue;
                qint64 cents = e.cents;
                while (const Entry* change = changeFrom.value(cents)) {
                    QCOMPARE(change->num, e.num);
                    cents = change->cents;
                    ++used;
                }
                if (const Entry* deletion = deletionOf.value(cents)) {
                    QCOMPARE(deletion->num, e.num);
                    ++used;
                    continue;
                }
                QVERIFY2(!expected.contains(e.num), qPrintable(QStringLiteral("%1: number %2 stands for two lines").arg(book).arg(e.num)));
                expected.insert(e.num, cents);
            }
            QCOMPARE(used, int(changeFrom.size() + deletionOf.size())); // every change and deletion belongs to a line booked

            QMap<qint64, qint64> stored;
            for (const db::Row& r : db.query(QStringLiteral("SELECT num, Montant FROM %1").arg(book == QLatin1String("D") ? schema::Depenses : schema::Recettes)))
                stored.insert(r.integer(QStringLiteral("num")), std::llround(r.number(QStringLiteral("Montant")) * 100));
            QCOMPARE(stored, expected);

            // Each refusal: another desk changed or deleted the state the loser had read.
            for (const Entry& e : entries) {
                if (e.book != book || e.what != QLatin1String("lost"))
                    continue;
                ++refusals;
                const Entry* change = changeFrom.value(e.old);
                const Entry* deletion = deletionOf.value(e.old);
                if (e.message == db::kRowMissing) {
                    // Deleted from the state the desk read, or changed by others and deleted afterwards.
                    bool byAnother = false;
                    qint64 last = e.old;
                    while (const Entry* next = changeFrom.value(last)) {
                        byAnother = byAnother || next->desk != e.desk;
                        last = next->cents;
                    }
                    const Entry* gone = deletionOf.value(last);
                    QVERIFY2(gone && (byAnother || gone->desk != e.desk),
                             qPrintable(QStringLiteral("desk %1 was told %2 %3 was gone").arg(e.desk).arg(book).arg(e.num)));
                } else {
                    QCOMPARE(e.message, db::kRowChanged);
                    // Changed, or deleted and its number taken again by a new line.
                    QVERIFY2((change && change->desk != e.desk) || (deletion && deletion->desk != e.desk),
                             qPrintable(QStringLiteral("desk %1 was told %2 %3 had changed").arg(e.desk).arg(book).arg(e.num)));
                }
            }
        }
        qInfo("%d desks: %lld operations told, %d refusals, %d cash book reads", desks, qlonglong(entries.size()), refusals, reads);
        QVERIFY(reads > 0);

        // ---- the cash book runs on ----
        cashbook::Cents previous = 0;
        for (QDate d(kYear, 1, 1); d <= QDate(kYear, 1, 11); d = d.addDays(1)) {
            const cashbook::CashDay day = cashbook::readCashDay(db, d, kYear);
            QCOMPARE(day.opening, previous);
            previous = day.closing();
        }
        const qint64 receipts = db.scalar(QStringLiteral("SELECT coalesce(sum(round(Montant * 100)), 0) FROM Recettes")).toLongLong();
        const qint64 expenses = db.scalar(QStringLiteral("SELECT coalesce(sum(round(Montant * 100)), 0) FROM Depenses")).toLongLong();
        QCOMPARE(previous, receipts - expenses);
    }

    void cleanupTestCase()
    {
        if (const auto server = test::processServer())
            db::Database::dropServerSchema(*server, db::exerciseSchema(kYear));
    }
};

QTEST_GUILESS_MAIN(SeveralDesksTest)
#include "tst_several_desks.moc"
