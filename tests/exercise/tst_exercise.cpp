// The exercise lifecycle: closing (reset or keep) and its undo with the state file and the month flags,
// the overwrite warning, viewing another exercise, archives (archive, lists, import, deletion) and the
// repair of an exercise file; every replacement under injected failures; each screen on the screens it
// must fit.
#include "ExerciseFixture.h"
#include "harness/FixtureTest.h"

#include "core/state/ExerciseStateFile.h"
#include "exercise/archives/Archives.h"
#include "exercise/archives/F_Arch2.h"
#include "exercise/archives/FolderChooser.h"
#include "exercise/closing/Closing.h"
#include "exercise/closing/Cloturex.h"
#include "exercise/closing/F_ecrase.h"
#include "exercise/repair/Mecano2.h"
#include "exercise/repair/Repair.h"
#include "exercise/viewing/Form8.h"
#include "exercise/viewing/Viewing.h"
#include "harness/KeptTotals.h"
#include "harness/ScreenFit.h"
#include "platform/db/FileOps.h"
#include "core/ledger/KeptTotals.h"
#include "treasury/cashbook/CashDay.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/WorkingYear.h"
#include "../platform/db/PageDamage.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QRandomGenerator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using exercise::ClosingOption;
using exercise::Outcome;
using ui::Icon;

Q_DECLARE_METATYPE(kv::exercise::ClosingOption)

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title, bool question = false)
{
    return {text, icon, title, question};
}

ShownMessage inPlace(int year, const QString& title = QStringLiteral("Z.E.B"))
{
    return m(QStringLiteral("Exercice  %1 en place").arg(year), Icon::Information, title);
}

/// Scripts the closing dialog: chooses the option and presses OK.
ScriptedUi::ScreenScript closeWith(ClosingOption option)
{
    return [option](QDialog& d) {
        auto& dialog = static_cast<Cloturex&>(d);
        (option == ClosingOption::Keep ? dialog.keepOption() : dialog.resetOption())->setChecked(true);
        dialog.okButton()->click();
        return dialog.result();
    };
}

/// Scripts the selection dialog: selects a line and presses OK.
ScriptedUi::ScreenScript chooseLine(int row, QStringList* shown = nullptr, int* selectedAtOpening = nullptr)
{
    return [=](QDialog& d) {
        auto& dialog = static_cast<Form8&>(d);
        if (shown)
            *shown = dialog.years();
        if (selectedAtOpening)
            *selectedAtOpening = dialog.selectedRow();
        dialog.selectRow(row);
        dialog.okButton()->click();
        return dialog.result();
    };
}

QString questionOf(int year, ClosingOption option) { return exercise::closingQuestion(year, option); }

} // namespace

class ExerciseTest : public FixtureTest {
    Q_OBJECT

    QString year(int y) { return s().exercisePath(y); }
    ExerciseState state() { return readExerciseState(s().exerciseStatePath()); }
    void setState(qint16 first, qint16 closings) { folder().write(".INI", stateBytes(first, closings)); }

    /// Exercises `first` to `first + closings`, each a copy of the template with its year in a report
    /// text, and the program started on the latest.
    void years(qint16 first, qint16 closings)
    {
        for (int y = first; y <= first + closings; ++y) {
            QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), folder().file(QStringLiteral("ZEB_%1.MDB").arg(y)), nullptr));
            db::Database d;
            d.open(folder().file(QStringLiteral("ZEB_%1.MDB").arg(y)));
            d.execute("UPDATE textes SET ch4 = ?", {QString::number(y)});
        }
        setState(first, closings);
        Startup(s()).run();
        ui().clear();
    }
    QString yearMark() { return db().scalar("SELECT ch4 FROM textes").toString(); }

    QStringList workFiles()
    {
        QStringList left;
        for (const QString& name : {exercise::kClosingWorkFile, exercise::kClosingWorkFile + "-journal",
                                    exercise::kCompactWorkFile, exercise::kPreviousNewYearFile})
            if (folder().exists(name))
                left << name;
        return left;
    }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise(2021);
        QVERIFY(s().isOpen());
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ---- closing ---------------------------------------------------------------------------------------

    void closingWithResetGivesTheNextYearItsRegistersAndNoLedgerOrPays()
    {
        const YearCounts before = bookAYear(db());
        QCOMPARE(before.recettes, 2);
        QCOMPARE(before.depenses, 2);
        QCOMPARE(before.salaires, 2);
        QCOMPARE(before.monthsClosed, 2);
        const QByteArray oldYear = digest(year(2021));
        // What a closing cut short left behind goes first.
        for (const char* left : {"prov.mdb", "cloture.tmp", "cloture.tmp-journal", "cloture.prec"})
            folder().write(left, "reste d'une panne");

        // Return presses "OK", the dialog's confirming command.
        ui().onScreen("Cloturex", [](QDialog& d) {
            auto& dialog = static_cast<Cloturex&>(d);
            d.show();
            [[maybe_unused]] const bool shown = QTest::qWaitForWindowActive(&d);
            dialog.resetOption()->setFocus();
            QTest::keyClick(dialog.resetOption(), Qt::Key_Return);
            return dialog.result();
        });
        ui().answers << true; // the confirmation the test goes through
        Cloturex dialog(s());
        QVERIFY(dialog.resetOption()->isChecked());         // chosen when it opens
        QCOMPARE(ui().showModal(dialog), int(QDialog::Accepted));

        QCOMPARE(ui().messages, (QList<ShownMessage>{
                                    m(questionOf(2021, ClosingOption::Reset), Icon::Question, "Confirmation", true),
                                    inPlace(2022)}));
        QCOMPARE(ui().messages.first().text,
                 QStringLiteral("Confirmer clôture de l'exercice   2021\n avec remise à zéro de tous les comptes"));
        QCOMPARE(dialog.outcome(), Outcome::Done);
        QCOMPARE(s().exerciceOuvert, 2022);
        QCOMPARE(s().nbClotures, 1);
        QVERIFY(s().dernierExercice);
        QCOMPARE(state().firstYear, 2021);
        QCOMPARE(state().closings, 1);

        YearCounts expected = before;
        expected.recettes = expected.depenses = expected.salaires = expected.monthsClosed = 0;
        QCOMPARE(countYear(db()), expected);
        QCOMPARE(db().path(), year(2022));
        QVERIFY(db::checkDatabaseFile(year(2022), nullptr));
        QCOMPARE(digest(year(2021)), oldYear);               // the closed year is left as it was
        QCOMPARE(workFiles(), QStringList());
    }

    void closingWithKeepPassesTheLedgerAndEmptiesOnlyThePays()
    {
        const YearCounts before = bookAYear(db());
        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(ClosingOption::Keep));
        Cloturex dialog(s());
        ui().showModal(dialog);

        QCOMPARE(ui().messages, (QList<ShownMessage>{
                                    m(questionOf(2021, ClosingOption::Keep), Icon::Question, "Confirmation", true),
                                    inPlace(2022)}));
        QCOMPARE(ui().messages.first().text,
                 QStringLiteral("Confirmer clôture de l'exercice   2021\n avec conservation des données actuelles"));
        YearCounts expected = before;
        expected.salaires = expected.monthsClosed = 0;
        QCOMPARE(countYear(db()), expected);
        QCOMPARE(db().scalar("SELECT sum(Montant) FROM Depenses").toDouble(), 27500.0);
        QCOMPARE(state().closings, 1);
        QCOMPARE(workFiles(), QStringList());
    }

    // The employer's and the workers' charges of the months are last year's: the new year starts
    // without them, as its months start open.
    void theNewYearStartsWithoutLastYearsCharges_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::newRow("conservation") << ClosingOption::Keep;
        QTest::newRow("remise à zéro") << ClosingOption::Reset;
    }
    void theNewYearStartsWithoutLastYearsCharges()
    {
        QFETCH(ClosingOption, option);
        bookAYear(db());
        db().execute("UPDATE Permn SET PPTR3 = 6732, VF3 = 2376, PPTR4 = 6732, VF4 = 2376.5, PPTR11 = 999, VF12 = 12");
        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(option));
        Cloturex dialog(s());
        ui().showModal(dialog);

        QCOMPARE(s().exerciceOuvert, 2022);
        QStringList charges;
        for (int m = 1; m <= 12; ++m)
            charges << QStringLiteral("PPTR%1").arg(m) << QStringLiteral("VF%1").arg(m);
        const db::Row permn = db().queryOne("SELECT " + charges.join(", ") + " FROM Permn");
        for (const QString& field : charges)
            QVERIFY2(permn.isNull(field), qPrintable(field));
        // The closed year keeps its own.
        db::Database old;
        old.open(year(2021));
        QCOMPARE(old.scalar("SELECT VF4 FROM Permn").toDouble(), 2376.5);
    }

    void aNewYearFileAlreadyThereIsKeptWithTheDataAndReplacedByTheReset_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::addColumn<QString>("mark");
        QTest::newRow("conservation") << ClosingOption::Keep << "déjà là";
        QTest::newRow("remise à zéro") << ClosingOption::Reset << "";
    }
    void aNewYearFileAlreadyThereIsKeptWithTheDataAndReplacedByTheReset()
    {
        QFETCH(ClosingOption, option);
        QFETCH(QString, mark);
        bookAYear(db());
        {
            QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), year(2022), nullptr));
            db::Database existing;
            existing.open(year(2022));
            existing.execute("UPDATE textes SET ch4 = 'déjà là'");
            existing.execute("INSERT INTO Salaires (num_agent, MM) VALUES (1, 1)");
            existing.execute("INSERT INTO Permn (Taux_CNAS, M1) VALUES (7, 1)");
        }
        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(option));
        Cloturex dialog(s());
        ui().showModal(dialog);

        QCOMPARE(s().exerciceOuvert, 2022);
        QCOMPARE(db().scalar("SELECT ch4 FROM textes").toString(), mark);
        QCOMPARE(db().scalar("SELECT count(*) FROM Salaires").toInt(), 0);
        QCOMPARE(db().scalar("SELECT sum(M1) FROM Permn").toInt(), 0);
        QCOMPARE(state().closings, 1);
    }

    void aClosingAnsweredNoChangesNothingAndSaysTheYearInPlace()
    {
        bookAYear(db());
        const QByteArray stateBefore = folder().read(".INI");
        ui().answers = {false};
        ui().onScreen("Cloturex", closeWith(ClosingOption::Keep));
        Cloturex dialog(s());
        QCOMPARE(ui().showModal(dialog), int(QDialog::Accepted));
        QCOMPARE(ui().messages.last(), inPlace(2021));
        QCOMPARE(dialog.outcome(), Outcome::Declined);
        QCOMPARE(folder().read(".INI"), stateBefore);
        QVERIFY(!QFile::exists(year(2022)));
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(s().isOpen());
    }

    void cancelClosesTheDialogWithoutAWord()
    {
        Cloturex dialog(s());
        dialog.show();
        dialog.cancelButton()->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QVERIFY(!QFile::exists(year(2022)));
        QCOMPARE(state().closings, 0);
    }

    void theStateFileFollowsCloseUndoClose()
    {
        bookAYear(db());
        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::closeExercise(s(), ClosingOption::Reset), Outcome::Done);
        QCOMPARE(state().closings, 1);
        QCOMPARE(folder().read(".INI"), stateBytes(2021, 1));

        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Done);
        QCOMPARE(folder().read(".INI"), stateBytes(2021, 0));
        QVERIFY(!QFile::exists(year(2022)));
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(db().path(), year(2021));
        QCOMPARE(countYear(db()).recettes, 2);               // the year before, as it was left

        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::closeExercise(s(), ClosingOption::Keep), Outcome::Done);
        QCOMPARE(folder().read(".INI"), stateBytes(2021, 1));
        QCOMPARE(s().exerciceOuvert, 2022);
        QCOMPARE(countYear(db()).recettes, 2);
        QCOMPARE(ui().messages.size(), 2);                   // the two questions, no other word
    }

    // ---- the cash book across a closing --------------------------------------------------------------------

    /// Both kept tables, row by row.
    QStringList keptTotals() { return test::keptTotalsRows(db()); }

    /// Lines of every kind on random days of `year`, in cents and halves of cents, and closed pays.
    void bookRandomLines(QRandomGenerator& rng, int year)
    {
        for (int i = 0; i < 120; ++i) {
            ledger::Line l = line(QDate(year, 1, 1).addDays(rng.bounded(365)).toString("dd/MM/yyyy"),
                                  double(rng.bounded(2000000)) / 1000.0, 0, QStringLiteral("ligne"));
            const int kind = int(rng.bounded(5));
            l.contrepartie = kind == 3 ? 1 : 0;
            if (kind == 0 || kind == 1) {
                l.numVehicule = 1;
                l.typeDep = int(rng.bounded(6));
            } else if (kind == 2) {
                l.numAgent = 1;
            } else if (kind == 3) {
                l.numAgent = 1;
                l.typeDep = rng.bounded(2) == 0 ? 10 : 0;
            }
            ledger::add(db(), kind == 4 || rng.bounded(3) == 0 ? ledger::Book::Recettes : ledger::Book::Depenses, l);
        }
        for (int month = 1; month <= 11; ++month)
            db().execute("INSERT INTO Salaires (num_agent, MM, Net, regle, date) VALUES (1, ?, ?, 1, ?)",
                         {month, double(rng.bounded(3000000)) / 1000.0, QDate(year, month, 28).toString(Qt::ISODate)});
        db().execute("INSERT INTO Salaires (num_agent, MM, Net, regle) VALUES (1, 12, 999, 0)"); // December not closed
    }

    void theCashBookCarriesOverAClosingOfEachKind_data()
    {
        QTest::addColumn<int>("firstKind");
        QTest::addColumn<int>("secondKind");
        QTest::newRow("keep, then reset") << int(ClosingOption::Keep) << int(ClosingOption::Reset);
        QTest::newRow("reset, then keep") << int(ClosingOption::Reset) << int(ClosingOption::Keep);
        QTest::newRow("keep twice") << int(ClosingOption::Keep) << int(ClosingOption::Keep);
        QTest::newRow("reset twice") << int(ClosingOption::Reset) << int(ClosingOption::Reset);
    }
    void theCashBookCarriesOverAClosingOfEachKind()
    {
        QFETCH(int, firstKind);
        QFETCH(int, secondKind);
        QRandomGenerator rng(quint32(firstKind * 10 + secondKind + 1));
        bookAYear(db());
        int year = 2021;
        for (const int kind : {firstKind, secondKind}) {
            bookRandomLines(rng, year);
            // The end of the old year's last day, in the old year's file.
            const cashbook::CashDay last = cashbook::readCashDay(db(), QDate(year, 12, 31), year);
            QVERIFY(last.closing() != 0);
            ui().answers << true; // the confirmation the test goes through
            QCOMPARE(exercise::closeExercise(s(), ClosingOption(kind)), Outcome::Done);
            ++year;
            QCOMPARE(s().exerciceOuvert, year);
            // "Report de la veille" of the 1st of January of the new year.
            const cashbook::CashDay first = cashbook::readCashDay(db(), QDate(year, 1, 1), year);
            QCOMPARE(first.opening, last.closing());
            QCOMPARE(cashbook::summaryCells(first)[cashbook::RowOpening][cashbook::ColBalance],
                     cashbook::summaryCells(last)[cashbook::RowClosing][cashbook::ColBalance]);
            // The totals kept in the new year are the ledger's it holds, with the balance carried over.
            const QStringList kept = keptTotals();
            ledger::rebuildKeptTotals(db());
            QCOMPARE(keptTotals(), kept);
            // Lines of the new year move the balance on from there, day after day.
            ledger::Line l = line(QDate(year, 1, 2).toString("dd/MM/yyyy"), 1200.5, 0, QStringLiteral("reçu"));
            l.contrepartie = 3;
            ledger::add(db(), ledger::Book::Recettes, l);
            const cashbook::CashDay second = cashbook::readCashDay(db(), QDate(year, 1, 2), year);
            QCOMPARE(second.opening, first.closing());
            QCOMPARE(cashbook::readCashDay(db(), QDate(year, 1, 3), year).opening, second.closing());
            QCOMPARE(second.closing(), last.closing() + 120050);
        }
    }

    void undoAtTheFirstExerciseIsRefused()
    {
        const QByteArray stateBefore = folder().read(".INI");
        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Declined);
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Impossible de déclôturer l'exercice initial", Icon::Information, "Rappel")});
        QCOMPARE(folder().read(".INI"), stateBefore);
        QVERIFY(QFile::exists(year(2021)));
        QVERIFY(s().isOpen());
        QCOMPARE(s().exerciceOuvert, 2021);
    }

    void anEarlierYearViewedDoesNotClose()
    {
        f_->reset();
        years(2019, 1);
        QVERIFY(exercise::openExerciseYear(s(), 2019));
        QCOMPARE(exercise::closeExercise(s(), ClosingOption::Keep), Outcome::Declined);
        QCOMPARE(ui().beeps, 1);
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Exercice déja clôturé", Icon::NoIcon, "ZEB")});
        QVERIFY(!QFile::exists(year(2021)));
        QCOMPARE(folder().read(".INI"), stateBytes(2019, 1));
        QCOMPARE(s().exerciceOuvert, 2019);
    }

    void undoWhileAnEarlierYearIsViewedRemovesTheLatestYear()
    {
        f_->reset();
        years(2019, 2);
        QVERIFY(exercise::openExerciseYear(s(), 2019));
        s().dernierExercice = false;
        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Done);
        QVERIFY(!QFile::exists(year(2021)));
        QVERIFY(QFile::exists(year(2019)));
        QCOMPARE(s().exerciceOuvert, 2020);
        QCOMPARE(yearMark(), QStringLiteral("2020"));
        QVERIFY(s().dernierExercice);
        QCOMPARE(folder().read(".INI"), stateBytes(2019, 1));
    }

    // ---- failures of a closing and of its undo ------------------------------------------------------

    void aFailingStepOfAClosingLeavesTheOldStateAndNoNewYear_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<int>("number");
        QTest::newRow("remise: copie vidée") << ClosingOption::Reset << "copyEmptying" << 1;
        QTest::newRow("remise: mise en place") << ClosingOption::Reset << "replace" << 2;
        QTest::newRow("remise: fichier d'état") << ClosingOption::Reset << "writeState" << 5;
        QTest::newRow("conservation: copie") << ClosingOption::Keep << "copy" << 1;
        QTest::newRow("conservation: mise en place") << ClosingOption::Keep << "replace" << 2;
        QTest::newRow("conservation: fichier d'état") << ClosingOption::Keep << "writeState" << 5;
    }
    void aFailingStepOfAClosingLeavesTheOldStateAndNoNewYear()
    {
        QFETCH(ClosingOption, option);
        QFETCH(QString, failing);
        QFETCH(int, number);
        const YearCounts before = bookAYear(db());
        const QByteArray stateBefore = folder().read(".INI");
        const QByteArray oldYear = digest(year(2021));
        FaultyFiles files;
        files.failing = failing;

        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(option));
        Cloturex dialog(s(), nullptr, files);
        ui().showModal(dialog);

        QVERIFY(files.calls.contains(failing));
        QCOMPARE(dialog.outcome(), Outcome::Failed);
        QCOMPARE(ui().messages.mid(1), (QList<ShownMessage>{
                                           m(QStringLiteral("Erreur N°  %1\npanne simulée").arg(number), Icon::Exclamation, "Z.E.B"),
                                           inPlace(2021)}));
        QCOMPARE(folder().read(".INI"), stateBefore);
        QVERIFY(!QFile::exists(year(2022)));
        QCOMPARE(digest(year(2021)), oldYear);
        QCOMPARE(workFiles(), QStringList());
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(s().nbClotures, 0);
        QVERIFY(s().isOpen());
        QCOMPARE(countYear(db()), before);
    }

    void aFailingPlacementKeepsTheNewYearFileThatWasThere()
    {
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), year(2022), nullptr));
        const QByteArray existing = digest(year(2022));
        const QList<QPair<QString, int>> steps = {{"copy", 2}, {"replace", 1}, {"writeState", 1}};
        for (const auto& [failing, at] : steps) {
            FaultyFiles files;
            files.failing = failing;
            files.failAt = at;
            ui().answers << true; // the confirmation the test goes through
            QCOMPARE(exercise::closeExercise(s(), ClosingOption::Keep, files), Outcome::Failed);
            QCOMPARE(digest(year(2022)), existing);
            QCOMPARE(state().closings, 0);
            QCOMPARE(workFiles(), QStringList());
        }
    }

    void anEngineRefusalDuringAClosingShowsItsMessageAndChangesNothing_data()
    {
        QTest::addColumn<ClosingOption>("option");
        QTest::addColumn<QString>("trigger");
        QTest::newRow("paies") << ClosingOption::Keep << "DELETE ON Salaires";
        QTest::newRow("drapeaux des mois") << ClosingOption::Keep << "UPDATE ON Permn";
        QTest::newRow("remise: drapeaux des mois") << ClosingOption::Reset << "UPDATE ON Permn";
    }
    void anEngineRefusalDuringAClosingShowsItsMessageAndChangesNothing()
    {
        QFETCH(ClosingOption, option);
        QFETCH(QString, trigger);
        const YearCounts before = bookAYear(db());
        db().execute(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END").arg(trigger));
        const QByteArray oldYear = digest(year(2021));
        const QByteArray stateBefore = folder().read(".INI");

        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(option));
        Cloturex dialog(s());
        ui().showModal(dialog);

        QCOMPARE(ui().messages.mid(1), (QList<ShownMessage>{m("écriture refusée", Icon::Critical, "Z.E.B."), inPlace(2021)}));
        QCOMPARE(dialog.outcome(), Outcome::Failed);
        QCOMPARE(countYear(db()), before);
        QCOMPARE(digest(year(2021)), oldYear);
        QCOMPARE(folder().read(".INI"), stateBefore);
        QVERIFY(!QFile::exists(year(2022)));
        QCOMPARE(workFiles(), QStringList());
    }

    void aFailingUndoNeverLeavesAStateWithoutItsYear()
    {
        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::closeExercise(s(), ClosingOption::Keep), Outcome::Done);
        ui().clear();

        // The state file cannot be written: nothing is deleted, the latest year stays open.
        FaultyFiles stateFails;
        stateFails.failing = "writeState";
        QCOMPARE(exercise::undoLastClosing(s(), stateFails), Outcome::Failed);
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Erreur N°  5\npanne simulée", Icon::Exclamation, "Z.E.B")});
        QCOMPARE(folder().read(".INI"), stateBytes(2021, 1));
        QVERIFY(QFile::exists(year(2022)));
        QCOMPARE(s().exerciceOuvert, 2022);
        QVERIFY(s().isOpen());

        // The file cannot be deleted: the state has gone back already and the year before opens.
        ui().clear();
        FaultyFiles removeFails;
        removeFails.failing = "remove";
        QCOMPARE(exercise::undoLastClosing(s(), removeFails), Outcome::Failed);
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Erreur N°  3\npanne simulée", Icon::Exclamation, "Z.E.B")});
        QCOMPARE(folder().read(".INI"), stateBytes(2021, 0));
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(s().nbClotures, 0);
        QVERIFY(s().isOpen());
    }

    // ---- the overwrite warning ---------------------------------------------------------------------

    void theOverwriteWarningReturnsItsChoiceInTheDialogValue_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("continues");
        QTest::newRow("Continuer") << "continuer" << true;
        QTest::newRow("Annuler") << "annuler" << false;
        QTest::newRow("Echap") << "escape" << false;
        QTest::newRow("Entrée: Annuler is the default") << "return" << false;
    }
    void theOverwriteWarningReturnsItsChoiceInTheDialogValue()
    {
        QFETCH(QString, way);
        QFETCH(bool, continues);
        s().dialogValue = 5;
        int valueWhenOpen = -1;
        QString text, arabic, title;
        ui().onScreen("F_ecrase", [&](QDialog& d) {
            auto& w = static_cast<F_ecrase&>(d);
            valueWhenOpen = s().dialogValue;
            text = w.warning()->text();
            arabic = w.arabicWarning()->text();
            title = w.windowTitle();
            test::showOn(w, test::testScreens().first());
            if (way == "continuer")
                w.continueButton()->click();
            else if (way == "annuler")
                w.cancelButton()->click();
            else if (way == "return")
                QTest::keyClick(&w, Qt::Key_Return);
            else
                QTest::keyClick(&w, Qt::Key_Escape);
            if (way == "return")
                [&] { QVERIFY(!w.isVisible()); }();
            return w.result();
        });
        QCOMPARE(confirmUndo(s()), continues);
        QCOMPARE(valueWhenOpen, 0);
        QCOMPARE(s().dialogValue, continues ? 1 : 0);
        QCOMPARE(text, QStringLiteral("  Les  données  de  l'année en cours seront définitivement perdues"));
        QCOMPARE(arabic, QStringLiteral("طـلـب  إلـغــاء  نـهـائـي  لـمـعـطـيات  الــسـنـة  الـدراسـيـة  الـحـالـيـة"));
        QCOMPARE(title, QStringLiteral("ATTENTION — Kavorel")); // named in the window list, after its band
    }

    // ---- viewing another exercise -------------------------------------------------------------------

    void theSelectionListsTheYearsWithTheFirstSelected()
    {
        f_->reset();
        years(2019, 2);
        Form8 dialog(s());
        QCOMPARE(dialog.years(), (QStringList{"2019", "2020", "2021"}));
        QCOMPARE(dialog.selectedRow(), 0);
        QCOMPARE(s().dialogValue, 8);
        QCOMPARE(exercise::exerciseYears(s()), dialog.years());
    }

    void viewingAnotherYearOpensItAndSetsTheLatestFlag_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("latest");
        QTest::newRow("first line") << 0 << 2019 << false;
        QTest::newRow("middle line") << 1 << 2020 << false;
        QTest::newRow("last line") << 2 << 2021 << true;
    }
    void viewingAnotherYearOpensItAndSetsTheLatestFlag()
    {
        QFETCH(int, row);
        QFETCH(int, year);
        QFETCH(bool, latest);
        f_->reset();
        years(2019, 2);
        int refreshed = 0;
        bool latestWhenRefreshed = !latest;
        ui().onScreen("Form8", chooseLine(row));
        QVERIFY(exercise::viewAnotherExercise(s(), [&] {
            ++refreshed;
            latestWhenRefreshed = s().dernierExercice;
            QCOMPARE(ui().messages.size(), 0);   // the main window is refreshed before the message
        }));
        QCOMPARE(s().exerciceOuvert, year);
        QCOMPARE(yearMark(), QString::number(year));
        QCOMPARE(s().dernierExercice, latest);
        QCOMPARE(refreshed, 1);
        QCOMPARE(latestWhenRefreshed, latest);
        QCOMPARE(s().dialogValue, 1);
        QCOMPARE(ui().messages, QList<ShownMessage>{inPlace(year, "Z.E.B.")});
        QCOMPARE(state().closings, 2);               // viewing never touches the state file
        QCOMPARE(s().latestYear(), 2021);
    }

    void enterAndDoubleClickChooseLikeOk()
    {
        f_->reset();
        years(2019, 1);
        for (const char* way : {"enter", "double"}) {
            Form8 dialog(s());
            test::showOn(dialog, test::testScreens().first());
            dialog.selectRow(1);
            if (QByteArray(way) == "enter") {
                QTest::keyClick(dialog.list(), Qt::Key_Return);
            } else {
                const QRect cell = dialog.list()->visualRect(dialog.list()->model()->index(1, 0));
                QTest::mouseClick(dialog.list()->viewport(), Qt::LeftButton, {}, cell.center());
                QTest::mouseDClick(dialog.list()->viewport(), Qt::LeftButton, {}, cell.center());
            }
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.chosenYear(), QStringLiteral("2020"));
            QCOMPARE(s().dialogValue, 1);
            QVERIFY(s().dernierExercice);
        }
    }

    void cancellingTheSelectionChangesNothing()
    {
        f_->reset();
        years(2019, 2);
        ui().onScreen("Form8", [](QDialog& d) {
            static_cast<Form8&>(d).cancelButton()->click();
            return d.result();
        });
        QVERIFY(!exercise::viewAnotherExercise(s(), [] { QFAIL("no refresh after a cancel"); }));
        QCOMPARE(s().dialogValue, 8);
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(s().dernierExercice);
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        // Closing the dialog any other way counts as Cancel.
        ui().onScreen("Form8", [](QDialog& d) { d.reject(); return d.result(); });
        QVERIFY(!exercise::viewAnotherExercise(s()));
        QCOMPARE(s().dialogValue, 8);
    }

    void withOneExerciseOnlyTheReminderShows()
    {
        QVERIFY(!exercise::severalExercises(s()));
        QVERIFY(!exercise::viewAnotherExercise(s()));
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Un seul exercice rencontré", Icon::Exclamation, "Rappel"),
                                                     m("Un seul exercice rencontré", Icon::Exclamation, "Rappel")}));
        QCOMPARE(ui().screens, QStringList{});
    }

    void aMissingOrDamagedYearIsRefusedAndTheOpenYearStays_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("absent") << QByteArray();
        QTest::newRow("texte") << QByteArray("ceci n'est pas une base de données\n");
    }
    void aMissingOrDamagedYearIsRefusedAndTheOpenYearStays()
    {
        QFETCH(QByteArray, content);
        f_->reset();
        years(2019, 2);
        QFile::remove(year(2019));
        if (!content.isEmpty())
            folder().write("ZEB_2019.MDB", content);
        ui().onScreen("Form8", chooseLine(0));
        QVERIFY(!exercise::viewAnotherExercise(s()));
        QCOMPARE(ui().messages.size(), 1);
        QVERIFY(ui().messages.first().text.contains(year(2019)));
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(s().isOpen());
        QVERIFY(s().dernierExercice);
        QCOMPARE(yearMark(), QStringLiteral("2021"));
        QCOMPARE(folder().exists("ZEB_2019.MDB") ? folder().read("ZEB_2019.MDB") : QByteArray(), content);
    }

    void writesWhileViewingGoToTheViewedYear()
    {
        f_->reset();
        years(2019, 1);
        QVERIFY(exercise::openExerciseYear(s(), 2019));
        people::PersonEntry client;
        client.nom = QStringLiteral("Client de 2019");
        people::addPerson(db(), people::PersonKind::clients(), client);
        QCOMPARE(countFile(year(2019)).agents, 1);
        QCOMPARE(countFile(year(2020)).agents, 0);
    }

    // ---- archives: names and lists ---------------------------------------------------------------

    void anArchiveIsNamedAfterItsDate_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("name");
        QTest::newRow("dashes") << "05-03-2021" << "20210305.ZEB";
        QTest::newRow("slashes") << "05/03/2021" << "20210305.ZEB";
        QTest::newRow("blanks around") << "  31/12/2020 " << "20201231.ZEB";
        QTest::newRow("any separators") << "01.01x2022" << "20220101.ZEB";
        QTest::newRow("short") << "5/3/2021" << "";
        QTest::newRow("long") << "05/03/20211" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no such day") << "31/04/2021" << "";
        QTest::newRow("1900 no leap day") << "29/02/1900" << "";
        QTest::newRow("month 13") << "01/13/2021" << "";
        QTest::newRow("letters") << "ab/cd/efgh" << "";
        QTest::newRow("out of the folder") << "../../x/.." << "";
        QTest::newRow("slash in the year") << "01/01/20/1" << "";
    }
    void anArchiveIsNamedAfterItsDate()
    {
        QFETCH(QString, date);
        QFETCH(QString, name);
        QCOMPARE(exercise::archiveName(date), name);
    }

    void theListShowsTheDatesOfTheZebFilesInNameOrder()
    {
        QDir archives(folder().file("Archives"));
        for (const char* n : {"20210305.ZEB", "20191231.zeb", "20200101.ZEB", "notes.txt", "ZEB_2021.mdb", "copie.ZEB"})
            folder().write(QStringLiteral("Archives/") + n, "x");
        QVERIFY(archives.mkdir("sous-dossier.ZEB"));
        QList<exercise::ArchiveEntry> entries;
        exercise::Failure failure;
        QVERIFY(exercise::listArchives(archives.path(), &entries, &failure));
        QCOMPARE(entries, (QList<exercise::ArchiveEntry>{{"20191231.zeb", "31/12/2019"},
                                                         {"20200101.ZEB", "01/01/2020"},
                                                         {"20210305.ZEB", "05/03/2021"},
                                                         {"copie.ZEB", "ZE/e./copi"}}));

        QVERIFY(!exercise::listArchives(folder().file("absent"), &entries, &failure));
        QCOMPARE(entries, QList<exercise::ArchiveEntry>{});
        QCOMPARE(failure.number, exercise::error::Folder);
    }

    // ---- archives: the archive panel --------------------------------------------------------------

    void archivingCopiesTheYearUnderItsDate()
    {
        bookAYear(db());
        s().dialogValue = 0;
        F_Arch2 screen(s());
        QCOMPARE(screen.mode(), F_Arch2::Archive);
        QCOMPARE(screen.windowTitle(), QStringLiteral("  Archiver la base de données "));
        QCOMPARE(screen.dateField()->text(), QDate::currentDate().toString("dd/MM/yyyy"));
        QCOMPARE(screen.chooser()->folder(), QDir(folder().file("Archives")).canonicalPath());
        QCOMPARE(screen.dates(), QStringList{});

        screen.dateField()->setText("05-03-2021");
        ui().answers = {true};
        screen.command("sauvegarder")->click();
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Confirmer archivage à la date du 05-03-2021\n", Icon::Question, "Z.E.B.", true),
                                                     m("Archivage terminé", Icon::Information, "Z.E.B.")}));
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        const QString archive = folder().file("Archives/20210305.ZEB");
        QVERIFY(s().isOpen());
        s().fermer_exercice();
        QCOMPARE(digest(archive), digest(year(2021)));
        s().ouvrir_exercice();

        // The second time on the same day asks before replacing; No keeps the first archive.
        db().execute("DELETE FROM Recettes");
        for (bool replace : {false, true}) {
            ui().clear();
            ui().answers = {true, replace};
            const QByteArray first = digest(archive);
            F_Arch2 again(s());
            QCOMPARE(again.dates(), QStringList{"05/03/2021"});
            QCOMPARE(again.selectedRow(), -1);
            again.dateField()->setText("05/03/2021");
            again.command("sauvegarder")->click();
            QCOMPARE(ui().messages.at(1), m("Un archivage à la date du 05/03/2021 existe déjà\nConfirmer son remplacement",
                                           Icon::Question, "Ecrasement", true));
            QCOMPARE(again.result(), int(QDialog::Accepted));
            QCOMPARE(countFile(archive).recettes, replace ? 0 : 2);
            if (!replace)
                QCOMPARE(digest(archive), first);
        }
    }

    void aBadArchiveDateKeepsTheScreenOpen()
    {
        s().dialogValue = 0;
        F_Arch2 screen(s());
        screen.show();
        screen.dateField()->setText("5/3/2021");
        screen.command("sauvegarder")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Format de date incorrect", Icon::Information, "ATTENTION")});
        QVERIFY(screen.isVisible());
        QCOMPARE(screen.result(), 0);
        QCOMPARE(QDir(folder().file("Archives")).entryList(QDir::Files), QStringList{});
    }

    void anArchiveAnsweredNoCopiesNothingAndCloses()
    {
        s().dialogValue = 0;
        ui().answers = {false};
        F_Arch2 screen(s());
        screen.show();
        screen.command("sauvegarder")->click();
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QCOMPARE(QDir(folder().file("Archives")).entryList(QDir::Files), QStringList{});
        QVERIFY(s().isOpen());
    }

    void aFailingArchiveCopyLeavesTheEarlierArchive()
    {
        folder().write("Archives/20210305.ZEB", "archive précédente");
        s().dialogValue = 0;
        FaultyFiles files;
        files.failing = "copy";
        F_Arch2 screen(s(), nullptr, files);
        screen.dateField()->setText("05/03/2021");
        ui().answers = {true, true}; // archive on that date, replacing the one there
        screen.command("sauvegarder")->click();
        QCOMPARE(ui().messages.last(), m("Erreur n°  1\npanne simulée", Icon::Critical, "ATTENTION"));
        QCOMPARE(folder().read("Archives/20210305.ZEB"), QByteArray("archive précédente"));
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QVERIFY(s().isOpen());
    }

    void deletingAnArchiveAsksThenRefillsTheList()
    {
        for (const char* n : {"20200101.ZEB", "20210305.ZEB"})
            folder().write(QStringLiteral("Archives/") + n, "x");
        for (int mode : {0, 1}) {
            ui().clear();
            s().dialogValue = mode;
            F_Arch2 screen(s());
            screen.show();
            if (mode == 1)
                screen.warningContinue()->click();
            else
                QCOMPARE(screen.selectedRow(), -1);

            if (mode == 0) {
                screen.command("supprimer")->click();   // nothing selected
                QCOMPARE(ui().messages, QList<ShownMessage>{m("Selection omise", Icon::Critical, "Z.E.B.")});
                ui().clear();
            }
            screen.selectRow(mode == 0 ? 1 : 0);
            const QString date = mode == 0 ? "05/03/2021" : "01/01/2020";
            ui().answers = {false};
            screen.command("supprimer")->click();     // No: the file stays
            QCOMPARE(screen.dates().size(), 2 - mode);
            ui().answers = {true};
            screen.command("supprimer")->click();
            QCOMPARE(ui().messages, (QList<ShownMessage>{
                                        m("Confirmer suppression  archivage du " + date + "\n", Icon::Question, "Z.E.B.", true),
                                        m("Confirmer suppression  archivage du " + date + "\n", Icon::Question, "Z.E.B.", true),
                                        m("Archivage du : " + date + " supprimé avec succès", Icon::Information, "Z.E.B.")}));
            QVERIFY(screen.isVisible());
            QCOMPARE(screen.dates().size(), 1 - mode);
            if (mode == 1) {
                QCOMPARE(screen.selectedRow(), -1);
                QVERIFY(screen.command("supprimer")->isHidden());   // nothing left to delete
            }
        }
    }

    void deletingAnArchiveThatVanishedSaysSo()
    {
        folder().write("Archives/20200101.ZEB", "x");
        s().dialogValue = 0;
        F_Arch2 screen(s());
        screen.selectRow(0);
        QFile::remove(folder().file("Archives/20200101.ZEB"));
        screen.command("supprimer")->click();
        const QString path = QDir(screen.chooser()->folder()).filePath("20200101.ZEB");
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Fichier " + path + " absent", Icon::Information, "ATTENTION")});
    }

    // ---- archives: import ------------------------------------------------------------------------

    void theImportWarningLiesOverThePanelUntilContinuer()
    {
        folder().write("Archives/20200101.ZEB", "x");
        folder().write("Archives/20210305.ZEB", "x");
        s().dialogValue = 1;
        F_Arch2 screen(s());
        screen.show();
        QCOMPARE(screen.mode(), F_Arch2::Import);
        QCOMPARE(screen.windowTitle(), QStringLiteral("  Importer une base de données"));
        QVERIFY(screen.warningPanel()->isVisible());
        QVERIFY(!screen.workPanel()->isEnabled());
        QVERIFY(!screen.command("importer")->isEnabled());
        QCOMPARE(screen.findChild<QLabel*>("texteAvertissement")->text(),
                 QStringLiteral("Les données que vous allez importer vont écraser et remplacer définitivement  les données actuelles."));
        QCOMPARE(screen.dates(), (QStringList{"01/01/2020", "05/03/2021"}));
        QCOMPARE(screen.selectedRow(), 1);                        // the latest archive

        screen.command("importer")->click();                       // not usable yet
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        screen.warningContinue()->click();
        QVERIFY(screen.warningPanel()->isHidden());
        QVERIFY(screen.workPanel()->isEnabled());
        QVERIFY(screen.command("importer")->isEnabled());
        QVERIFY(screen.isVisible());

        F_Arch2 other(s());
        other.show();
        other.warningCancel()->click();
        QCOMPARE(other.result(), int(QDialog::Rejected));
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void anArchiveImportsBackOverTheYearAndTheReplacedYearIsKept()
    {
        bookAYear(db());
        s().dialogValue = 0;
        ui().answers = {true};
        F_Arch2 archive(s());
        archive.dateField()->setText("05-03-2021");
        archive.command("sauvegarder")->click();
        // The year goes on after the archive, then the archive is imported back.
        db().execute("DELETE FROM Depenses");
        db().execute("INSERT INTO Genres (denom) VALUES ('Fourgon')");
        const YearCounts afterArchive = countYear(db());
        s().fermer_exercice();
        const QByteArray replaced = digest(year(2021));
        s().ouvrir_exercice();

        ui().clear();
        s().dialogValue = 1;
        F_Arch2 screen(s());
        screen.warningContinue()->click();
        QCOMPARE(screen.dates(), QStringList{"05/03/2021"});
        screen.command("importer")->click();
        const QStringList kept = QDir(folder().file("Archives")).entryList({"ZEB_2021_avant_importation_*.mdb"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString keptPath = QDir(folder().file("Archives")).filePath(kept.first());
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Importation terminée avec succés\nL'exercice remplacé est conservé sous :\n"
                                                          + QDir::toNativeSeparators(keptPath),
                                                      Icon::Information, "Z.E.B.")});
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QVERIFY(s().isOpen());
        QCOMPARE(countYear(db()).depenses, 2);
        QCOMPARE(db().scalar("SELECT count(*) FROM Genres WHERE denom = 'Fourgon'").toInt(), 0);
        QVERIFY(!folder().exists("prov.mdb"));

        QCOMPARE(digest(folder().file("Archives/" + kept.first())), replaced);
        QCOMPARE(countFile(folder().file("Archives/" + kept.first())), afterArchive);
    }

    void aFileThatIsNotAnExerciseIsNeverImported_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("why");
        QTest::newRow("text renamed .ZEB") << QByteArray("Liste des courses\nlait\npain\n") << "";
        QTest::newRow("empty file") << QByteArray() << "";
        QTest::newRow("database of something else") << QByteArray("sqlite") << "table Agents absente";
        QTest::newRow("newer version") << QByteArray("newer") << "version plus récente";
        // Files that look like a year: the names of its tables, its columns, a version, and still not a
        // year that opens and works.
        QTest::newRow("right table names, no columns") << QByteArray("names:4") << "colonnes absentes de la table Agents";
        QTest::newRow("right table names, no columns, version 0") << QByteArray("names:0") << "mise à niveau impossible";
        QTest::newRow("one column missing") << QByteArray("dropColumn") << "colonne montant_forfait absente de la table Locations";
        QTest::newRow("right columns, a view for a table") << QByteArray("view") << "Csse n'est pas une table";
        QTest::newRow("right columns, version 0, an upgrade step fails") << QByteArray("upgradeFails") << "mise à niveau impossible";
        QTest::newRow("truncated archive") << QByteArray("truncated") << "";
        QTest::newRow("damaged index") << QByteArray("damagedIndex") << "fichier endommagé";
    }
    void aFileThatIsNotAnExerciseIsNeverImported()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, why);
        const YearCounts before = bookAYear(db());
        const QString source = folder().file("Archives/20210305.ZEB");
        if (content == "sqlite") {
            db::Database other;
            other.open(source, db::Database::Mode::Create);
            other.execute("CREATE TABLE recettes_de_cuisine (nom TEXT)");
        } else if (content == "newer") {
            QVERIFY(db::copyFileAtomic(year(2021), source, nullptr));
            db::Database other;
            other.open(source);
            other.setUserVersion(99);
        } else if (content.startsWith("names:")) {
            db::Database other;
            other.open(source, db::Database::Mode::Create);
            for (const QString& table : {"Agents", "Vehicules", "Genres", "Marques", "Modeles", "Carburants", "Depenses",
                                         "Recettes", "Assurances", "Controles", "Vignettes", "Affectations", "Locations",
                                         "Salaires", "Permn", "textes", "Csse", "Tampon1"})
                other.execute(QStringLiteral("CREATE TABLE %1 (x)").arg(table));
            other.setUserVersion(content.mid(6).toInt());
        } else if (content == "truncated") {
            db().execute("INSERT INTO Tampon1 (objet) SELECT hex(randomblob(400)) FROM Depenses, Agents, Agents, Agents");
            s().fermer_exercice();
            QFile year2021(year(2021));
            QVERIFY(year2021.open(QIODevice::ReadOnly));
            folder().write("Archives/20210305.ZEB", year2021.read(year2021.size() / 2));
            s().ouvrir_exercice();
            db().execute("DELETE FROM Tampon1");
        } else if (content == "damagedIndex") {
            QVERIFY(db::copyFileAtomic(year(2021), source, nullptr));
            {
                db::Database other;
                other.open(source);
                other.execute("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 2000) "
                              "INSERT INTO Depenses (date, Montant, contrepartie, Type_Dep, num_vehicule) "
                              "SELECT '2021-05-01', x, 0, 0, 1 FROM n");
            }
            const QList<Leaf> leaves = test::leaves(source, "Depenses_date");
            QVERIFY(leaves.size() > 2);
            QVERIFY(test::damagePage(source, leaves.at(1).page, 0, 300));
        } else if (content != "text" && !content.isEmpty() && !content.startsWith("Liste")) {
            QVERIFY(db::copyFileAtomic(year(2021), source, nullptr));
            db::Database other;
            other.open(source);
            if (content == "dropColumn") {
                other.execute("ALTER TABLE Locations DROP COLUMN montant_forfait");
            } else if (content == "view") {
                other.executeScript("DROP TABLE Csse; CREATE VIEW Csse AS SELECT 1 AS num_produit, 0.0 AS C2, 0.0 AS C3, "
                                    "0.0 AS C4, 0.0 AS C5, 0.0 AS C6, 0.0 AS C7, 0.0 AS C8, 0.0 AS C9");
            } else if (content == "upgradeFails") {
                other.executeScript("DROP INDEX Depenses_km; CREATE TABLE Depenses_km (num_vehicule, Km)");
                other.setUserVersion(0);
            }
        } else {
            folder().write("Archives/20210305.ZEB", content);
        }
        s().fermer_exercice();
        const QByteArray yearBytes = digest(year(2021));
        s().ouvrir_exercice();

        s().dialogValue = 1;
        F_Arch2 screen(s());
        screen.warningContinue()->click();
        screen.command("importer")->click();
        QCOMPARE(ui().messages.size(), 1);
        const ShownMessage refusal = ui().messages.first();
        QCOMPARE(refusal.icon, Icon::Critical);
        QCOMPARE(refusal.title, QStringLiteral("ATTENTION"));
        QVERIFY2(refusal.text.startsWith("Le fichier " + source + " n'est pas une base de données d'exercice"), qPrintable(refusal.text));
        QVERIFY(refusal.text.endsWith("Les données actuelles n'ont pas été modifiées."));
        QVERIFY2(refusal.text.contains(why), qPrintable(refusal.text));
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QVERIFY(s().isOpen());
        QCOMPARE(countYear(db()), before);
        s().fermer_exercice();
        QCOMPARE(digest(year(2021)), yearBytes);
        QCOMPARE(QDir(folder().file("Archives")).entryList({"*avant_importation*"}, QDir::Files), QStringList{});
        QCOMPARE(workFiles(), QStringList{});
        // The next start opens the year as it was.
        ui().clear();
        Startup(s()).run();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        QCOMPARE(countYear(db()), before);
    }

    // A year of an earlier version of the program (version 0: no version written, the oil-change
    // intervals not yet in the parameters) is a working year: it is imported, brought to the current
    // version, and the start-up that follows opens it with its data.
    void aYearOfAnEarlierVersionIsImportedAndReopens()
    {
        const YearCounts booked = bookAYear(db());
        db().execute("UPDATE Permn SET Taux_CNAS = 9.5");
        s().fermer_exercice();
        const QString source = folder().file("Archives/20210305.ZEB");
        QVERIFY(db::copyFileAtomic(year(2021), source, nullptr));
        {
            db::Database old;
            old.open(source);
            old.executeScript("ALTER TABLE Permn DROP COLUMN Vidange_Jours; ALTER TABLE Permn DROP COLUMN Vidange_Km;"
                              "DROP INDEX Depenses_km; PRAGMA user_version = 0");
        }
        const QByteArray sourceBytes = digest(source);
        const QByteArray replacedBytes = digest(year(2021));
        s().ouvrir_exercice();
        db().executeScript("DELETE FROM Depenses; DELETE FROM Recettes");

        s().dialogValue = 1;
        F_Arch2 screen(s());
        screen.warningContinue()->click();
        screen.command("importer")->click();
        const QStringList kept = QDir(folder().file("Archives")).entryList({"ZEB_2021_avant_importation_*.mdb"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString keptPath = QDir(folder().file("Archives")).filePath(kept.first());
        QCOMPARE(ui().messages, QList<ShownMessage>{m(exercise::importDoneText(keptPath), Icon::Information, "Z.E.B.")});
        QVERIFY(ui().messages.first().text.contains(QDir::toNativeSeparators(keptPath)));
        QCOMPARE(digest(source), sourceBytes);                       // the archive is only read
        QCOMPARE(countFile(keptPath).depenses, 0);                   // the year as it was replaced
        Q_UNUSED(replacedBytes);

        ui().clear();
        Startup(s()).run();                                            // as the main window does after an import
        QCOMPARE(ui().messages, QList<ShownMessage>{});
        YearCounts expected = booked;
        expected.tauxCnas = 9.5;
        QCOMPARE(countYear(db()), expected);
        QCOMPARE(db().userVersion(), schema::kSchemaVersion);
        QCOMPARE(db().scalar("SELECT Vidange_Jours FROM Permn").toInt(), 180);
        QVERIFY(schema::workingYearFault(db()).isEmpty());
        QCOMPARE(workFiles(), QStringList{});
    }

    void aFailingImportCopyLeavesTheYearAsItWas_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("failAt");
        QTest::addColumn<QString>("message");
        QTest::newRow("copy of the archive to check") << "copy" << 1 << "Erreur n°  1\npanne simulée";
        QTest::newRow("copy of the year kept aside") << "copy" << 2 << "Erreur n°  1\npanne simulée";
        QTest::newRow("replacement of the year") << "replace" << 1 << "Erreur n°  2\npanne simulée";
        QTest::newRow("stale work file") << "remove" << 1 << "Erreur n°  3\npanne simulée";
    }
    void aFailingImportCopyLeavesTheYearAsItWas()
    {
        QFETCH(QString, operation);
        QFETCH(int, failAt);
        QFETCH(QString, message);
        QVERIFY(db::copyFileAtomic(year(2021), folder().file("Archives/20200101.ZEB"), nullptr));
        const YearCounts before = bookAYear(db());
        s().fermer_exercice();
        const QByteArray yearBytes = digest(year(2021));
        s().ouvrir_exercice();
        FaultyFiles files;
        files.failing = operation;
        files.failAt = failAt;
        s().dialogValue = 1;
        F_Arch2 screen(s(), nullptr, files);
        screen.warningContinue()->click();
        screen.command("importer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{m(message, Icon::Critical, "ATTENTION")});
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QVERIFY(s().isOpen());
        QCOMPARE(countYear(db()), before);
        s().fermer_exercice();
        QCOMPARE(digest(year(2021)), yearBytes);
        QCOMPARE(workFiles(), QStringList{});
        QCOMPARE(QDir(folder().file("Archives")).entryList({"*avant_importation*"}, QDir::Files), QStringList{});
    }

    void anImportWithoutASelectionOrWithAVanishedFile()
    {
        // An empty folder: nothing to select, the delete command hidden, the screen stays open.
        s().dialogValue = 1;
        F_Arch2 empty(s());
        empty.show();
        empty.warningContinue()->click();
        QCOMPARE(empty.dates(), QStringList{});
        QVERIFY(empty.command("supprimer")->isHidden());
        empty.command("importer")->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Selection omise", Icon::Critical, "Z.E.B.")});
        QVERIFY(empty.isVisible());

        // A line whose file went away meanwhile.
        ui().clear();
        folder().write("Archives/20200101.ZEB", "x");
        F_Arch2 screen(s());
        screen.warningContinue()->click();
        QFile::remove(folder().file("Archives/20200101.ZEB"));
        screen.command("importer")->click();
        const QString path = QDir(screen.chooser()->folder()).filePath("20200101.ZEB");
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Fichier " + path + " absent", Icon::Information, "ATTENTION")});
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QVERIFY(s().isOpen());
    }

    void theFolderChoiceFillsTheList()
    {
        QDir(folder().path()).mkdir("ailleurs");
        folder().write("ailleurs/20190615.ZEB", "x");
        s().dialogValue = 1;
        F_Arch2 screen(s());
        screen.warningContinue()->click();
        QCOMPARE(screen.dates(), QStringList{});
        QVERIFY(screen.chooser()->setFolder(folder().file("ailleurs")));
        QCOMPARE(screen.dates(), QStringList{"15/06/2019"});
        QCOMPARE(screen.selectedRow(), 0);
        QVERIFY(!screen.command("supprimer")->isHidden());
        // A folder that cannot be read leaves the choice where it was.
        QVERIFY(!screen.chooser()->setFolder(folder().file("absent")));
        QCOMPARE(screen.chooser()->folder(), QDir(folder().file("ailleurs")).canonicalPath());
        QVERIFY(screen.chooser()->drives().contains(screen.chooser()->driveList()->currentData().toString()));
    }

    // ---- repair ----------------------------------------------------------------------------------

    void theRepairListsTheExerciseFilesWithTheLatestSelected()
    {
        for (const char* n : {"ZEB_2019.MDB", "zeb_2020.mdb", "ZEB_1999.MDB", "ZEB_2020.MDB.bak"})
            folder().write(n, "x");
        QCOMPARE(exercise::exerciseFiles(folder().path()), (QStringList{"ZEB_2019.MDB", "zeb_2020.mdb", "ZEB_2021.MDB"}));
        Mecano2 screen(s());
        QCOMPARE(screen.windowTitle(), QStringLiteral("Module de réparation"));
        QCOMPARE(screen.files(), exercise::exerciseFiles(folder().path()));
        QCOMPARE(screen.selectedRow(), 2);
    }

    void repairingAnotherYearKeepsItsDataAndTheOpenYearOpen()
    {
        f_->reset();
        years(2019, 2);
        {
            db::Database y2019;
            y2019.open(year(2019));
            bookAYear(y2019);
        }
        const YearCounts before = countFile(year(2019));
        folder().write("prov.mdb", "reste d'une panne");
        Mecano2 screen(s());
        screen.selectRow(0);
        screen.repairButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Base de données réparée avec succès", Icon::Exclamation, "Z.E.B.")});
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        QCOMPARE(countFile(year(2019)), before);
        QVERIFY(db::checkDatabaseFile(year(2019), nullptr));
        QVERIFY(!folder().exists("prov.mdb"));
        QVERIFY(s().isOpen());
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(yearMark(), QStringLiteral("2021"));
    }

    void repairingTheOpenYearReopensIt()
    {
        const YearCounts before = bookAYear(db());
        QVERIFY(exercise::repairExerciseFile(s(), "ZEB_2021.MDB"));
        QVERIFY(s().isOpen());
        QCOMPARE(countYear(db()), before);
    }

    void aFailedRepairLeavesTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("start");
        QTest::newRow("no database at all") << "garbage" << "" << "Erreur N°  4\n";
        QTest::newRow("failing recovery") << "year" << "recover" << "Erreur N°  4\npanne simulée";
        QTest::newRow("failing replacement") << "year" << "replace" << "Erreur N°  2\npanne simulée";
        QTest::newRow("failing copy of the original") << "year" << "copy" << "Erreur N°  1\npanne simulée";
        QTest::newRow("a folder named prov.mdb in the way") << "year" << "folder" << "Erreur N°  3\nUn dossier occupe la place";
        QTest::newRow("not a year once recovered") << "notAYear" << "" << "Erreur N°  4\nla base réparée ne peut pas servir d'exercice (table";
    }
    void aFailedRepairLeavesTheFileAsItWas()
    {
        QFETCH(QString, file);
        QFETCH(QString, failing);
        QFETCH(QString, start);
        if (file == "garbage") {
            folder().write("ZEB_2020.MDB", QByteArray("SQLite format 3") + QByteArray(3000, '\x5a'));
        } else if (file == "notAYear") {
            db::Database other;
            other.open(year(2020), db::Database::Mode::Create);
            other.execute("CREATE TABLE recettes_de_cuisine (nom TEXT)");
        } else {
            QVERIFY(db::copyFileAtomic(year(2021), year(2020), nullptr));
            db::Database y2020;
            y2020.open(year(2020));
            bookAYear(y2020);
        }
        if (failing == "folder") {
            QVERIFY(QDir(folder().path()).mkpath("prov.mdb/a moi"));
        }
        const QByteArray bytes = digest(year(2020));
        FaultyFiles files;
        files.failing = failing;
        Mecano2 screen(s(), files);
        screen.selectRow(0);
        screen.repairButton()->click();
        QCOMPARE(digest(year(2020)), bytes);
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().messages.first().icon, Icon::Exclamation);
        QCOMPARE(ui().messages.first().title, QStringLiteral("Z.E.B."));
        QVERIFY2(ui().messages.first().text.startsWith(start), qPrintable(ui().messages.first().text));
        if (failing == "folder")
            QVERIFY(QFileInfo(folder().file("prov.mdb/a moi")).isDir());   // not the program's to delete
        else
            QVERIFY(!folder().exists("prov.mdb"));
        QCOMPARE(QDir(folder().file("Archives")).entryList(QDir::Files), QStringList{});
        QVERIFY(s().isOpen());
        QCOMPARE(s().exerciceOuvert, 2021);
    }

    // A year of 3 757 ledger lines whose file was damaged: 300 bytes overwritten in a leaf page of the
    // index by date, or of the ledger table itself. The repair reads the rows from the tables, rebuilds
    // the indexes from them, says how many came back, and keeps the damaged file aside.
    void aDamagedYearIsRepairedFromItsRows_data()
    {
        QTest::addColumn<QString>("tree");
        QTest::newRow("index page") << "Depenses_date";
        QTest::newRow("table page") << "Depenses";
    }
    void aDamagedYearIsRepairedFromItsRows()
    {
        QFETCH(QString, tree);
        const YearCounts booked = bookAYear(db());
        db().execute("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 3755) "
                     "INSERT INTO Depenses (date, MM, Montant, mode, ref, contrepartie, Type_Dep, num_vehicule, Num_Agent, Km) "
                     "SELECT date('2021-01-01', '+' || (x % 365) || ' days'), 1 + x % 12, x * 5 / 100.0, 0, 'ligne ' || x, 0, "
                     "x % 6, 1, -1, x * 10 FROM n");
        QCOMPARE(countYear(db()).depenses, 3757);
        const double total = db().scalar("SELECT sum(Montant) FROM Depenses").toDouble();
        QMap<qint64, QString> rows;
        for (const db::Row& r : db().query("SELECT num, date || '|' || Montant || '|' || ref FROM Depenses"))
            rows.insert(r.value(0).toLongLong(), r.value(1).toString());
        s().fermer_exercice();
        const QList<Leaf> leaves = test::leaves(year(2021), tree);
        QVERIFY(leaves.size() > 4);
        const Leaf leaf = leaves.at(leaves.size() / 2);
        QVERIFY(test::damagePage(year(2021), leaf.page, 0, 300));
        const QByteArray damaged = digest(year(2021));
        s().ouvrir_exercice();

        Mecano2 screen(s());
        QCOMPARE(screen.selectedRow(), 0);
        screen.repairButton()->click();
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        const QStringList kept = QDir(folder().file("Archives")).entryList({"ZEB_2021_avant_reparation_*.mdb"}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString keptPath = QDir(folder().file("Archives")).filePath(kept.first());
        QCOMPARE(digest(keptPath), damaged);                            // the damaged original, kept aside
        QCOMPARE(ui().messages.size(), 1);
        const ShownMessage said = ui().messages.first();
        QCOMPARE(said.icon, Icon::Exclamation);
        QCOMPARE(said.title, QStringLiteral("Z.E.B."));
        QVERIFY2(said.text.endsWith("L'original endommagé est conservé sous :\n" + QDir::toNativeSeparators(keptPath)),
                 qPrintable(said.text));

        QVERIFY(s().isOpen());
        QVERIFY(db::checkDatabaseFile(year(2021), nullptr));
        QMap<qint64, QString> back;
        for (const db::Row& r : db().query("SELECT num, date || '|' || Montant || '|' || ref FROM Depenses"))
            back.insert(r.value(0).toLongLong(), r.value(1).toString());
        for (auto it = back.cbegin(); it != back.cend(); ++it)
            QCOMPARE(it.value(), rows.value(it.key()));
        YearCounts now = countYear(db());
        if (tree == "Depenses_date") {
            // Every line and the exact total, through the rebuilt index too.
            QCOMPARE(now, [&] { YearCounts c = booked; c.depenses = 3757; return c; }());
            QCOMPARE(db().scalar("SELECT sum(Montant) FROM Depenses WHERE date >= '2021-01-01'").toDouble(), total);
            QVERIFY2(said.text.startsWith("Base de données réparée avec succès\n\nLe fichier était endommagé : ses index ont été "
                                          "reconstruits à partir des tables et toutes les lignes lisibles ont été reprises ("),
                     qPrintable(said.text));
        } else {
            // The rows of the damaged page are lost, every other comes back, and the message counts them.
            QCOMPARE(back.size(), 3757 - leaf.cells);
            now.depenses = booked.depenses;
            QCOMPARE(now, booked);
            QVERIFY2(said.text.startsWith("Base de données réparée avec des pertes\n\nDes pages illisibles ont été écartées : "),
                     qPrintable(said.text));
            const QString table = QStringLiteral("Table Depenses : %1 lignes récupérées").arg(exercise::groupedCount(3757 - leaf.cells));
            QVERIFY2(said.text.contains(table), qPrintable(said.text));
        }
        // The kept totals follow the recovered ledger, not the lines that were lost.
        const QStringList keptAfterRepair = keptTotals();
        {
            db::Transaction recount(db());
            ledger::rebuildKeptTotals(db());
            recount.commit();
        }
        QCOMPARE(keptAfterRepair, keptTotals());
        QCOMPARE(workFiles(), QStringList{});
        // The next start opens the repaired year.
        ui().clear();
        Startup(s()).run();
        QCOMPARE(ui().messages, QList<ShownMessage>{});
    }

    void repairWithNothingToRepairOrNothingSelected()
    {
        QFile::remove(year(2021));   // the open year's file goes away under the program: nothing listed
        Mecano2 none(s());
        QCOMPARE(none.files(), QStringList{});
        none.show();
        none.repairButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Aucune base d'exercice à réparer", Icon::Critical, "ATTENTION")});
        QVERIFY(none.isVisible());
    }

    void closingTheRepairScreenTouchesNothing()
    {
        const QByteArray bytes = digest(year(2021));
        Mecano2 screen(s());
        screen.show();
        screen.clearSelection();
        screen.repairButton()->click();
        QCOMPARE(ui().messages, QList<ShownMessage>{m("Selection omise", Icon::Critical, "Z.E.B.")});
        screen.closeButton()->click();
        QCOMPARE(screen.result(), int(QDialog::Rejected));
        QVERIFY(s().isOpen());
        s().fermer_exercice();
        QCOMPARE(digest(year(2021)), bytes);
    }

    // ---- the road of a new user ------------------------------------------------------------------

    void aNewUsersRoadThroughTheLifecycle()
    {
        const YearCounts year2021 = bookAYear(db());

        // Closing 2021 with the reset: 2022 has the registers and rentals, no ledger and no pays.
        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(ClosingOption::Reset));
        { Cloturex d(s()); ui().showModal(d); }
        QCOMPARE(s().exerciceOuvert, 2022);
        YearCounts reset = year2021;
        reset.recettes = reset.depenses = reset.salaires = reset.monthsClosed = 0;
        QCOMPARE(countYear(db()), reset);

        // Undo brings 2021 back as it was.
        ui().onScreen("F_ecrase", [](QDialog& d) { static_cast<F_ecrase&>(d).continueButton()->click(); return d.result(); });
        QVERIFY(confirmUndo(s()));
        QCOMPARE(exercise::undoLastClosing(s()), Outcome::Done);
        QCOMPARE(s().exerciceOuvert, 2021);
        QCOMPARE(countYear(db()), year2021);

        // Keeping the data passes the ledger into 2022.
        ui().answers << true; // the confirmation the test goes through
        ui().onScreen("Cloturex", closeWith(ClosingOption::Keep));
        { Cloturex d(s()); ui().showModal(d); }
        QCOMPARE(countYear(db()).recettes, 2);
        QCOMPARE(countYear(db()).depenses, 2);
        QCOMPARE(countYear(db()).salaires, 0);

        // Viewing 2021 leaves the latest flag down (the main window disables closing) until 2022 is chosen.
        ui().onScreen("Form8", chooseLine(0));
        QVERIFY(exercise::viewAnotherExercise(s()));
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(!s().dernierExercice);
        QVERIFY(s().exerciceOuvert != s().latestYear());
        ui().onScreen("Form8", chooseLine(1));
        QVERIFY(exercise::viewAnotherExercise(s()));
        QCOMPARE(s().exerciceOuvert, 2022);
        QVERIFY(s().dernierExercice);

        // An archive dated 05-03-2021 is named 20210305.ZEB and imports back.
        ui().clear();
        ui().answers << true; // the confirmation the test goes through
        QCOMPARE(exercise::archiveExercise(s(), folder().file("Archives"), "05-03-2021"), exercise::ArchiveResult::Done);
        QVERIFY(folder().exists("Archives/20210305.ZEB"));
        db().execute("DELETE FROM Locations");
        QCOMPARE(exercise::importArchive(s(), folder().file("Archives"), "20210305.ZEB"), exercise::ImportResult::Done);
        QCOMPARE(countYear(db()).locations, 1);
        Startup(s()).run();                                  // the start-up again, as the main window does
        QCOMPARE(s().exerciceOuvert, 2022);
        QCOMPARE(countYear(db()).locations, 1);

        // A text file renamed .ZEB is refused and the year is intact.
        folder().write("Archives/20990101.ZEB", "pas une base");
        const YearCounts before = countYear(db());
        QCOMPARE(exercise::importArchive(s(), folder().file("Archives"), "20990101.ZEB"), exercise::ImportResult::Refused);
        QCOMPARE(countYear(db()), before);
    }

    // ---- the screens on the screens they must fit ----------------------------------------------------

    void everyScreenFitsBothTestScreens()
    {
        f_->reset();
        years(2019, 2);
        for (int i = 1; i <= 14; ++i)
            folder().write(QStringLiteral("Archives/2021%1%2.ZEB").arg(i <= 12 ? i : 12, 2, 10, QChar(u'0')).arg(i, 2, 10, QChar(u'0')), "x");
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            auto check = [&](QDialog& d, const QString& name) {
                test::showOn(d, screen);
                test::settle(d);
                QCOMPARE(test::outsideScreen(d), QStringList());
                test::saveShot(d, name + size);
            };
            { Cloturex d(s()); check(d, "Cloturex"); }
            { F_ecrase d(s()); check(d, "F_ecrase"); }
            { Form8 d(s()); check(d, "Form8"); }
            { Mecano2 d(s()); check(d, "Mecano2"); }
            {
                s().dialogValue = 0;
                F_Arch2 d(s());
                check(d, "F_Arch2_archivage");
                QVERIFY(d.list()->columnWidth(0) >= d.list()->fontMetrics().horizontalAdvance("88/88/8888"));
            }
            {
                s().dialogValue = 1;
                F_Arch2 d(s());
                check(d, "F_Arch2_avertissement");
                const int width = d.width();
                d.warningContinue()->click();
                test::settle(d);
                QCOMPARE(test::outsideScreen(d), QStringList());
                QCOMPARE(d.width(), width);
                test::saveShot(d, "F_Arch2_importation" + size);
            }
        }
    }
};

KV_SCREEN_TEST_MAIN(ExerciseTest)
#include "tst_exercise.moc"
