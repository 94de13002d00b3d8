// The years of a firm on its server: closing (both kinds) and its undo in one transaction each, viewing
// another year, the archive written as a year file, the import of an archive, the repair by the
// server's own checks; and the year taken for itself: refused with the names of the desks still in it,
// allowed once they leave, the other desks told through the generation of the years.
//
// A second desk is a second session of this process on the same server: its own connection, its own
// lock, its own row among the connected desks, as another machine's program has.
#include "ExerciseFixture.h"
#include "harness/FixtureTest.h"
#include "harness/KeptTotals.h"

#include "core/connexion/Desks.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/ledger/KeptTotals.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/WorkingYear.h"
#include "exercise/archives/Archives.h"
#include "exercise/closing/Closing.h"
#include "exercise/repair/Repair.h"
#include "exercise/viewing/Viewing.h"
#include "migrate/Migrate.h"

#include <QDir>
#include <QSysInfo>
#include <QTest>

using namespace kv;
using namespace kv::test;
using exercise::ClosingOption;
using exercise::Outcome;

Q_DECLARE_METATYPE(kv::exercise::ClosingOption)
Q_DECLARE_METATYPE(QList<kv::desks::Desk>)

namespace {

#define KV_SERVER_ONLY()                                                                                               \
    do {                                                                                                               \
        if (!::kv::test::onServer())                                                                                   \
            QSKIP("server engine only: the years are schemas of one server that several desks share");               \
    } while (false)

/// Fails the server step named `failing` with an engine error, as a server that refuses midway would.
class FailingStep : public FaultyFiles {
public:
    void serverStep(const QString& step) override
    {
        steps << step;
        if (step == failing)
            throw db::Error(QStringLiteral("panne simulée à l'étape ") + step);
    }
    QStringList steps;
};

/// Another desk of the firm: its own session on the same server, in `year`.
struct OtherDesk {
    TestFolder folder;
    ScriptedUi ui;
    Session session;
    OtherDesk(const Session& first, int year) : session(folder.path(), ui)
    {
        session.server = first.server;
        session.premierExercice = first.premierExercice;
        session.nbClotures = first.nbClotures;
        session.exerciceOuvert = year;
        session.ouvrir_exercice();
    }
    /// The server process of its connection.
    qint64 backend() { return session.db().scalar(QStringLiteral("SELECT pg_backend_pid()")).toLongLong(); }
};

/// The kept totals as a recount from the ledger makes them (the year itself left as it was).
QStringList recomputedKeptTotalsRows(db::Database& db)
{
    db::Transaction t(db);
    ledger::rebuildKeptTotals(db);
    return keptTotalsRows(db); // rolled back as `t` goes
}

QString thisDeskLine()
{
    return QStringLiteral("   - ") + desks::deskName() + QStringLiteral(" sur ") + QSysInfo::machineHostName()
           + QStringLiteral(" depuis le ");
}

} // namespace

class ServerYearsTest : public FixtureTest {
    Q_OBJECT

    /// The state the server holds: first year and closings.
    QPair<int, int> serverState()
    {
        const ExerciseState state = serverstate::readOnServer(*s().server);
        return {state.firstYear, state.closings};
    }
    bool schemaExists(int year)
    {
        return db().scalar(QStringLiteral("SELECT count(*) FROM pg_namespace WHERE nspname = ?"), {db::exerciseSchema(year)}).toInt()
               == 1;
    }
    qint64 generation() { return db().scalar(QStringLiteral("SELECT numero FROM generation_exercices")).toLongLong(); }
    /// The years a test made beyond the fixture's go at its end.
    void dropLaterYears()
    {
        if (const auto server = processServer())
            for (int year = 2022; year <= 2024; ++year)
                db::Database::dropServerSchema(*server, db::exerciseSchema(year));
    }

    /// Closes the open year (the question answered Yes); the test fails with the message shown otherwise.
    void closeYear(ClosingOption option)
    {
        ui().answers << true;
        const Outcome outcome = exercise::closeExercise(s(), option);
        QVERIFY2(outcome == Outcome::Done, qPrintable(ui().last().text));
    }

private slots:
    void init()
    {
        if (!onServer())
            return;
        dropLaterYears();
        openExercise(2021);
    }
    void cleanup()
    {
        dropFixture();
        dropLaterYears();
    }

    // ---- closing and undo ----------------------------------------------------------------------------

    void bothClosingsMakeTheNewYearAndUndoDropsIt_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::addColumn<int>("ledgerLines");
        QTest::newRow("conservation") << ClosingOption::Keep << 4;
        QTest::newRow("remise à zéro") << ClosingOption::Reset << 0;
    }
    void bothClosingsMakeTheNewYearAndUndoDropsIt()
    {
        KV_SERVER_ONLY();
        QFETCH(ClosingOption, option);
        QFETCH(int, ledgerLines);
        const YearCounts before = bookAYear(db());
        const qint64 carried = ledger::cashBalanceBefore(db(), QDate(2022, 1, 1));
        const QStringList oldKept = keptTotalsRows(db());
        const qint64 generationBefore = generation();

        closeYear(option);
        QCOMPARE(s().exerciceOuvert, 2022);
        QCOMPARE(s().nbClotures, 1);
        QCOMPARE(db().schema(), QStringLiteral("zeb_2022"));
        QCOMPARE(serverState(), (QPair<int, int>{2021, 1}));
        QCOMPARE(generation(), generationBefore + 1);
        YearCounts expected = before;
        expected.salaires = expected.monthsClosed = 0;
        expected.recettes = expected.depenses = ledgerLines / 2;
        QCOMPARE(countYear(db()), expected);
        // The new year's cash book opens on the old year's end, whatever the option.
        QCOMPARE(ledger::cashBalanceBefore(db(), QDate(2022, 1, 2)), carried);
        QCOMPARE(keptTotalsRows(db()), recomputedKeptTotalsRows(db()));
        {
            db::Database old;
            old.openServer(*s().server, db::exerciseSchema(2021), db::Database::Mode::ReadOnly);
            QCOMPARE(countYear(old), before);                       // the closed year is left as it was
            QCOMPARE(keptTotalsRows(old), oldKept);
        }
        // A row added in the new year takes a number of its own.
        db().execute(QStringLiteral("INSERT INTO Vehicules (Annee) VALUES ('2022')"));
        QCOMPARE(db().scalar(QStringLiteral("SELECT count(DISTINCT num) FROM Vehicules")).toInt(), before.vehicules + 1);

        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Done);
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(serverState(), (QPair<int, int>{2021, 0}));
        QVERIFY(!schemaExists(2022));
        QCOMPARE(countYear(db()), before);
        QCOMPARE(generation(), generationBefore + 2);
        QCOMPARE(ui().messages.size(), 1); // the question, no other word
    }

    void aFailingStepLeavesTheServerAsItWas_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::addColumn<QString>("step");
        for (const QString& step : {QStringLiteral("state"), QStringLiteral("schema"), QStringLiteral("rows"), QStringLiteral("emptied")}) {
            QTest::addRow("conservation, %s", qPrintable(step)) << ClosingOption::Keep << step;
            QTest::addRow("remise à zéro, %s", qPrintable(step)) << ClosingOption::Reset << step;
        }
    }
    void aFailingStepLeavesTheServerAsItWas()
    {
        KV_SERVER_ONLY();
        QFETCH(ClosingOption, option);
        QFETCH(QString, step);
        const YearCounts before = bookAYear(db());
        const qint64 generationBefore = generation();
        FailingStep files;
        files.failing = step;
        ui().answers << true;
        QCOMPARE(exercise::closeExercise(s(), option, files), Outcome::Failed);
        QVERIFY2(files.steps.contains(step), qPrintable(files.steps.join(u',')));
        QVERIFY(ui().last().text.contains(QStringLiteral("panne simulée à l'étape ") + step));

        QCOMPARE(serverState(), (QPair<int, int>{2021, 0}));
        QVERIFY(!schemaExists(2022));
        QCOMPARE(generation(), generationBefore);
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(s().nbClotures, 0);
        QCOMPARE(countYear(db()), before);
        // Nothing holds the year after the failure: the next closing goes through.
        closeYear(option);
        QCOMPARE(serverState(), (QPair<int, int>{2021, 1}));
    }

    void aFailingUndoLeavesTheLatestYearAndTheState()
    {
        KV_SERVER_ONLY();
        bookAYear(db());
        closeYear(ClosingOption::Keep);
        const YearCounts latest = countYear(db());
        for (const QString& step : {QStringLiteral("state"), QStringLiteral("dropped")}) {
            FailingStep files;
            files.failing = step;
            QCOMPARE(exercise::undoLastClosing(s(), files), Outcome::Failed);
            QCOMPARE(serverState(), (QPair<int, int>{2021, 1}));
            QVERIFY(schemaExists(2022));
            QCOMPARE(s().exerciceOuvert, 2022);
            QCOMPARE(countYear(db()), latest);
        }
    }

    void aKeptNewYearAlreadyOnTheServerGoesOnAndTheResetReplacesIt_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::addColumn<QString>("mark");
        QTest::newRow("conservation") << ClosingOption::Keep << "déjà là";
        QTest::newRow("remise à zéro") << ClosingOption::Reset << "";
    }
    void aKeptNewYearAlreadyOnTheServerGoesOnAndTheResetReplacesIt()
    {
        KV_SERVER_ONLY();
        QFETCH(ClosingOption, option);
        QFETCH(QString, mark);
        bookAYear(db());
        schema::createExerciseSchema(*s().server, 2022);
        {
            db::Database existing;
            existing.openServer(*s().server, db::exerciseSchema(2022));
            existing.execute(QStringLiteral("UPDATE textes SET ch4 = 'déjà là'"));
            existing.execute(QStringLiteral("INSERT INTO Salaires (num_agent, MM) VALUES (1, 1)"));
        }
        closeYear(option);
        QCOMPARE(db().scalar(QStringLiteral("SELECT ch4 FROM textes")).toString(), mark);
        QCOMPARE(db().scalar(QStringLiteral("SELECT count(*) FROM Salaires")).toInt(), 0);
    }

    // ---- the year taken for itself ---------------------------------------------------------------------

    void aClosingIsRefusedWhileAnotherDeskIsInTheYearThenAllowedWhenItLeaves()
    {
        KV_SERVER_ONLY();
        const YearCounts before = bookAYear(db());
        auto other = std::make_unique<OtherDesk>(s(), 2021);

        ui().answers << true;
        QCOMPARE(exercise::closeExercise(s(), ClosingOption::Keep), Outcome::Failed);
        const QString refusal = ui().last().text;
        QVERIFY2(refusal.startsWith(QStringLiteral("Exercice 2021 en cours d'utilisation sur d'autres postes :\n")), qPrintable(refusal));
        QVERIFY2(refusal.contains(thisDeskLine()), qPrintable(refusal));
        QCOMPARE(refusal.count(QStringLiteral("   - ")), 1); // the other desk only, not this one
        QCOMPARE(ui().last().icon, ui::Icon::Exclamation);
        QCOMPARE(serverState(), (QPair<int, int>{2021, 0}));
        QVERIFY(!schemaExists(2022));
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(countYear(db()), before);
        QVERIFY(other->session.isOpen());

        // The undo is refused as well, on the latest year.
        QCOMPARE(s().nbClotures, 0);

        other->session.fermer_exercice();
        closeYear(ClosingOption::Keep);
        QCOMPARE(serverState(), (QPair<int, int>{2021, 1}));

        // A desk in the new year keeps the undo away until it leaves.
        other = std::make_unique<OtherDesk>(s(), 2022);
        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Failed);
        QVERIFY(ui().last().text.startsWith(QStringLiteral("Exercice 2022 en cours d'utilisation")));
        QVERIFY(schemaExists(2022));
        other.reset();
        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Done);
        QVERIFY(!schemaExists(2022));
    }

    void aDeskThatDiedHoldsNothingAndItsRowIsCleared()
    {
        KV_SERVER_ONLY();
        OtherDesk other(s(), 2021);
        const qint64 gone = other.backend();
        QCOMPARE(db().scalar(QStringLiteral("SELECT count(*) FROM postes WHERE backend = ?"), {gone}).toInt(), 1);
        // Its connection cut, as a crash or a cut cable cuts it: the row stays behind it.
        db().scalar(QStringLiteral("SELECT count(*) FROM (SELECT pg_terminate_backend(?)) AS cut"), {gone});
        for (int i = 0; i < 50 && db().scalar(QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE pid = ?"), {gone}).toInt(); ++i)
            QTest::qWait(20);
        QCOMPARE(db().scalar(QStringLiteral("SELECT count(*) FROM postes WHERE backend = ?"), {gone}).toInt(), 1);

        closeYear(ClosingOption::Keep);
        // The next registration (this desk opening the new year) cleared the stale row.
        QCOMPARE(db().scalar(QStringLiteral("SELECT count(*) FROM postes WHERE backend = ?"), {gone}).toInt(), 0);
        QCOMPARE(db().scalar(QStringLiteral("SELECT exercice FROM postes WHERE backend = pg_backend_pid()")).toInt(), 2022);
    }

    void theOtherDesksAreToldWhenTheYearsChange()
    {
        KV_SERVER_ONLY();
        closeYear(ClosingOption::Keep);
        QCOMPARE(exercise::openExerciseYear(s(), 2021), true);
        OtherDesk other(s(), 2022);
        QVERIFY(!desks::yearsChanged(other.session.db()));
        QVERIFY(!desks::yearsChanged(db()));
        // This desk closes 2022 while the other is in it: refused, nobody is told.
        QCOMPARE(exercise::openExerciseYear(s(), 2022), true);
        ui().answers << true;
        QCOMPARE(exercise::closeExercise(s(), ClosingOption::Keep), Outcome::Failed);
        QVERIFY(!desks::yearsChanged(other.session.db()));
        // The other desk goes back to 2021, this one closes 2022: the other is told.
        QCOMPARE(exercise::openExerciseYear(other.session, 2021), true);
        closeYear(ClosingOption::Keep);
        QVERIFY(desks::yearsChanged(other.session.db()));
        QVERIFY(!desks::yearsChanged(db()));
        // Once it has opened its year again it is in step.
        other.session.reconnect();
        QVERIFY(!desks::yearsChanged(other.session.db()));
    }

    void theRefusalNamesEveryDeskStillInTheYear_data()
    {
        QTest::addColumn<QList<desks::Desk>>("others");
        QTest::addColumn<QString>("text");
        QTest::newRow("un poste") << QList<desks::Desk>{{"karim", "COMPTA-1", 412, "11/12/2026 à 09:05"}}
                                  << "Exercice 2021 en cours d'utilisation sur d'autres postes :\n"
                                     "   - karim sur COMPTA-1 depuis le 11/12/2026 à 09:05\n"
                                     "Opération impossible tant qu'ils n'ont pas quitté cet exercice.";
        QTest::newRow("deux postes, un inconnu")
            << QList<desks::Desk>{{"nadia", "PAIE", 7, "10/12/2026 à 17:40"}, {"poste inconnu", "", 0, ""}}
            << "Exercice 2021 en cours d'utilisation sur d'autres postes :\n"
               "   - nadia sur PAIE depuis le 10/12/2026 à 17:40\n"
               "   - poste inconnu\n"
               "Opération impossible tant qu'ils n'ont pas quitté cet exercice.";
    }
    void theRefusalNamesEveryDeskStillInTheYear()
    {
        QFETCH(QList<desks::Desk>, others);
        QFETCH(QString, text);
        QCOMPARE(desks::busyText(2021, others), text);
    }

    // ---- viewing ---------------------------------------------------------------------------------------

    void viewingOpensTheYearsOfTheServerAndRefusesAMissingOne()
    {
        KV_SERVER_ONLY();
        closeYear(ClosingOption::Keep);
        QCOMPARE(exercise::exerciseYears(s()), (QStringList{"2021", "2022"}));
        QVERIFY(exercise::openExerciseYear(s(), 2021));
        QCOMPARE(db().schema(), QStringLiteral("zeb_2021"));
        QCOMPARE(db().scalar(QStringLiteral("SELECT exercice FROM postes WHERE backend = pg_backend_pid()")).toInt(), 2021);

        db::Database::dropServerSchema(*s().server, db::exerciseSchema(2022));
        ui().clear();
        QVERIFY(!exercise::openExerciseYear(s(), 2022));
        QVERIFY(ui().last().text.startsWith(QStringLiteral("L'exercice 2022 du serveur ne peut pas être ouvert\n")));
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(s().isOpen());
    }

    // ---- archive and import ------------------------------------------------------------------------------

    void theArchiveIsAYearFileAndImportsBackOverTheServerYear()
    {
        KV_SERVER_ONLY();
        bookAYear(db());
        const QString archives = folder().file("arch");
        QVERIFY(QDir().mkpath(archives));
        ui().answers << true;
        QCOMPARE(exercise::archiveExercise(s(), archives, "15/06/2021"), exercise::ArchiveResult::Done);
        const QString file = QDir(archives).filePath("20210615.ZEB");
        QCOMPARE(schema::workingYearFault(file), QString());
        {
            db::Database archive;
            archive.open(file, db::Database::Mode::ReadOnly);
            QCOMPARE(migrate::firstDifference(db(), archive), QString());
        }
        QVERIFY(s().isOpen());

        // Changed since, then brought back by the import.
        db().execute(QStringLiteral("DELETE FROM Depenses"));
        db().execute(QStringLiteral("UPDATE textes SET ch4 = 'après'"));
        ledger::rebuildKeptTotals(db());
        const qint64 generationBefore = generation();
        QCOMPARE(exercise::importArchive(s(), archives, "20210615.ZEB", exercise::defaultFileOps(), QDateTime(QDate(2021, 7, 1), QTime(8, 0))),
                 exercise::ImportResult::Done);
        QCOMPARE(db().schema(), QStringLiteral("zeb_2021"));
        QCOMPARE(countYear(db()).depenses, 2);
        QCOMPARE(keptTotalsRows(db()), recomputedKeptTotalsRows(db()));
        QCOMPARE(generation(), generationBefore + 1);
        // The year it replaced is kept as a year file.
        const QString kept = QDir(folder().file("Archives")).filePath(exercise::beforeImportName(2021, QDateTime(QDate(2021, 7, 1), QTime(8, 0))));
        QCOMPARE(ui().last().text, exercise::importDoneText(kept));
        db::Database replaced;
        replaced.open(kept, db::Database::Mode::ReadOnly);
        QCOMPARE(countYear(replaced).depenses, 0);
        QCOMPARE(replaced.scalar(QStringLiteral("SELECT ch4 FROM textes")).toString(), QStringLiteral("après"));
    }

    void anImportIsRefusedWhileAnotherDeskIsInTheYearOrFailsMidwayAndChangesNothing()
    {
        KV_SERVER_ONLY();
        bookAYear(db());
        const QString archives = folder().file("arch");
        QVERIFY(QDir().mkpath(archives));
        ui().answers << true;
        QCOMPARE(exercise::archiveExercise(s(), archives, "15/06/2021"), exercise::ArchiveResult::Done);
        db().execute(QStringLiteral("UPDATE textes SET ch4 = 'après'"));

        {
            OtherDesk other(s(), 2021);
            QCOMPARE(exercise::importArchive(s(), archives, "20210615.ZEB"), exercise::ImportResult::Failed);
            QVERIFY(ui().last().text.startsWith(QStringLiteral("Exercice 2021 en cours d'utilisation")));
            QCOMPARE(db().scalar(QStringLiteral("SELECT ch4 FROM textes")).toString(), QStringLiteral("après"));
        }
        FailingStep files;
        files.failing = "rows";
        QCOMPARE(exercise::importArchive(s(), archives, "20210615.ZEB", files), exercise::ImportResult::Failed);
        QVERIFY(ui().last().text.contains(QStringLiteral("panne simulée")));
        QCOMPARE(db().scalar(QStringLiteral("SELECT ch4 FROM textes")).toString(), QStringLiteral("après"));
        // No copy of the year is left in Archives by an import that did not happen.
        QCOMPARE(QDir(folder().file("Archives")).entryList(QDir::Files), QStringList());
    }

    // ---- repair --------------------------------------------------------------------------------------------

    void theRepairChecksAndRebuildsTheYearUnlessAnotherDeskIsInIt()
    {
        KV_SERVER_ONLY();
        const YearCounts before = bookAYear(db());
        QCOMPARE(exercise::exerciseBases(s()), QStringList{"zeb_2021"});
        const auto indexOid = [&] {
            return db().scalar(QStringLiteral("SELECT pg_relation_filenode(CAST('zeb_2021.depenses_date' AS regclass))"))
                .toLongLong();
        };
        const qint64 oldFile = indexOid();
        {
            OtherDesk other(s(), 2021);
            QVERIFY(!exercise::repairExerciseFile(s(), "zeb_2021"));
            QVERIFY(ui().last().text.startsWith(QStringLiteral("Exercice 2021 en cours d'utilisation")));
            QCOMPARE(indexOid(), oldFile);
        }
        QVERIFY(exercise::repairExerciseFile(s(), "zeb_2021"));
        QCOMPARE(ui().last(), (ShownMessage{QStringLiteral("Base de données réparée avec succès"), ui::Icon::Exclamation,
                                            QStringLiteral("Z.E.B."), false}));
        QVERIFY(indexOid() != oldFile); // made again
        QCOMPARE(countYear(db()), before);
        QVERIFY(s().isOpen());
    }
};

QTEST_MAIN(ServerYearsTest)
#include "tst_serveryears.moc"
