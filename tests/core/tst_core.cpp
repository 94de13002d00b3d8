// The application core: start-up with its failure table, the exercise connection, the settings files,
// the passwords, the report routine and the exit sequence, through the scripted ui seam.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/identity/F_Identite.h"
#include "core/kit/ExerciseDate.h"
#include "core/kit/ScreenKit.h"
#include "core/ledger/Ledger.h"
#include "core/passwords/Form_v2.h"
#include "core/passwords/New_MPS.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/ExerciseSchema.h"
#include "core/startup/EnginePassword.h"
#include "core/startup/ExitSequence.h"
#include "core/startup/Form12.h"
#include "core/startup/Startup.h"
#include "core/state/ExerciseStateFile.h"
#include "platform/db/FileOps.h"
#include "platform/db/RowWriter.h"
#include "platform/reports/ReportEngine.h"
#include "platform/reports/SqlGuard.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTextDocument>

using namespace kv;
using namespace kv::test;
using ui::Icon;

namespace {

/// Scripts the first-exercise dialog: types each value in turn and presses OK, then leaves it as it is.
ScriptedUi::ScreenScript typeYears(QStringList years)
{
    return [years](QDialog& d) {
        auto& form = static_cast<Form12&>(d);
        for (const QString& y : years) {
            form.yearField()->setText(y);
            form.okButton()->click();
            if (form.result() == QDialog::Accepted)
                return int(QDialog::Accepted);
        }
        return int(QDialog::Rejected);
    };
}

/// Scripts the password prompt: types each entry in turn and confirms.
ScriptedUi::ScreenScript typePasswords(QStringList entries)
{
    return [entries](QDialog& d) {
        auto& prompt = static_cast<Form_v2&>(d);
        for (const QString& e : entries) {
            if (!prompt.isVisible() && prompt.result() != 0)
                break;
            prompt.passwordField()->setText(e);
            prompt.confirmButton()->click();
            if (prompt.result() == QDialog::Accepted)
                break;
        }
        return prompt.result();
    };
}

CfgRecord passwordRecord(const QString& p, int factor = 7) { return ProtectedSettings::encodePassword(p, factor); }

QList<ShownMessage> msg(const QString& text, Icon icon, const QString& title) { return {ShownMessage{text, icon, title, false}}; }

} // namespace

class CoreTest : public FixtureTest {
    Q_OBJECT



private slots:
    void init() { f_ = std::make_unique<CoreFixture>(); }
    void cleanup() { f_.reset(); }

    void theExerciseOpensOnTheDesksEngine()
    {
        f_->openExercise(2021);
        db::Database& db = f_->session->db();
        QCOMPARE(db.engine(), onServer() ? db::Engine::Server : db::Engine::File);
        QCOMPARE(db.schema(), onServer() ? QStringLiteral("zeb_2021") : QString());
        QCOMPARE(db.userVersion(), schema::kSchemaVersion);
        // The kept totals follow the ledger on either engine.
        insertRow(db, QStringLiteral("Recettes"),
                  {{QStringLiteral("num"), 1}, {QStringLiteral("date"), QStringLiteral("2021-03-02")}, {QStringLiteral("Montant"), 150.25}});
        insertRow(db, QStringLiteral("Recettes"),
                  {{QStringLiteral("num"), 2}, {QStringLiteral("date"), QStringLiteral("2021-03-02")}, {QStringLiteral("Montant"), 0.1}});
        QCOMPARE(db.scalar(QStringLiteral("SELECT recettes FROM Caisse_Jours WHERE date = ?"), {QStringLiteral("2021-03-02")}).toLongLong(), 15035);
        updateRow(db, QStringLiteral("Recettes"), {{QStringLiteral("date"), QStringLiteral("2021-03-03")}}, QStringLiteral("num"), 2);
        deleteRow(db, QStringLiteral("Recettes"), QStringLiteral("num"), 1);
        QCOMPARE(db.scalar(QStringLiteral("SELECT recettes FROM Caisse_Jours WHERE date = ?"), {QStringLiteral("2021-03-02")}).toLongLong(), 0);
        QCOMPARE(db.scalar(QStringLiteral("SELECT recettes FROM Caisse_Jours WHERE date = ?"), {QStringLiteral("2021-03-03")}).toLongLong(), 10);
        // A year that is not there is refused, and nothing is left open.
        f_->session->exerciceOuvert = 2030;
        QVERIFY_THROWS_EXCEPTION(ProgramEnd, f_->session->ouvrir_exercice());
        QVERIFY(!f_->session->isOpen());
        QCOMPARE(ui().messages.size(), 1);
        ui().messages.clear();
    }

    // ---- start-up ------------------------------------------------------------------------------------

    void firstRunAsksForTheFirstExercise()
    {
        KV_FILE_ONLY("the first-exercise dialog copies the template file");
        QString shownYear;
        ui().onScreen("Form12", [&](QDialog& d) {
            shownYear = static_cast<Form12&>(d).yearField()->text();
            return typeYears({"1993", "1994"})(d);
        });
        QVERIFY(start());
        QCOMPARE(shownYear, QString::number(QDate::currentDate().year()));
        QCOMPARE(ui().messages, msg("Saisie  incorrecte", Icon::Exclamation, "A T T E N T I O N"));
        const ExerciseState state = readExerciseState(folder().file(".INI"));
        QCOMPARE(state.firstYear, 1994);
        QCOMPARE(state.closings, 0);
        QVERIFY(folder().exists("ZEB_1994.MDB"));
        QCOMPARE(s().exerciceOuvert, 1994);
        QCOMPARE(s().headerLines().value(2), QStringLiteral("Année  1994"));
        QCOMPARE(s().db().scalar("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                         "AND name NOT IN ('Caisse_Jours', 'Couts_Mois')").toInt(), 18);
        QCOMPARE(s().db().scalar("SELECT count(*) FROM textes").toInt(), 1);
        QVERIFY(QDir(folder().path()).exists("Archives"));
        QVERIFY(QDir(folder().path()).exists("photos"));
        QCOMPARE(folder().read("VOSK.INI").trimmed(), QByteArray("0"));
    }

    void firstExerciseDialogKeysAndEnter()
    {
        Form12 form(s());
        QLineEdit* year = form.yearField();
        year->clear();
        QTest::keyClicks(year, "20a2-1");
        QCOMPARE(year->text(), QStringLiteral("2021"));
        year->setText("202");
        QTest::keyClick(year, Qt::Key_Return);
        QCOMPARE(form.result(), 0); // Enter acts only with exactly four characters
        QVERIFY(ui().messages.isEmpty());
        year->setText("2021");
        QTest::keyClick(year, Qt::Key_Return);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(s().premierExercice, 2021);
        if (!onServer()) {
            QVERIFY(folder().exists("ZEB_2021.MDB"));
        } else {
            QVERIFY(!folder().exists("ZEB_2021.MDB")); // on a server, the start-up makes the year's schema
        }
    }

    void refusedYearSelectsTheField()
    {
        Form12 form(s());
        form.yearField()->setText("1900");
        form.okButton()->click();
        QCOMPARE(form.result(), 0);
        QCOMPARE(form.yearField()->selectedText(), QStringLiteral("1900"));
        QVERIFY(!folder().exists("ZEB_1900.MDB"));
        QVERIFY(!folder().exists(".INI"));
    }

    void yearOfFiveDigitsIsRefusedAsTheStartUpWouldRefuseIt()
    {
        // A year the state file could hold but no start-up opens (ZEB_12345.MDB): refused at once.
        Form12 form(s());
        form.yearField()->setText("12345");
        form.okButton()->click();
        QCOMPARE(form.result(), 0);
        QCOMPARE(ui().messages, msg("Saisie  incorrecte", Icon::Exclamation, "A T T E N T I O N"));
        QVERIFY(!folder().exists("ZEB_12345.MDB"));
        QVERIFY(!folder().exists(".INI"));
    }

    void leavingTheFirstExerciseDialogEndsTheProgram()
    {
        ui().onScreen("Form12", [](QDialog& d) {
            static_cast<Form12&>(d).quitButton()->click();
            return d.result();
        });
        QVERIFY(!start());
        QCOMPARE(readExerciseState(folder().file(".INI")).firstYear, 0);
        QVERIFY(QDir(folder().path()).entryList({"ZEB_2*"}).isEmpty());
    }

    void stateFileOpensTheLatestExercise()
    {
        KV_FILE_ONLY("the exercise file's name");
        folder().write(".INI", stateBytes(2019, 2));
        QVERIFY(start());
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(ui().screens.isEmpty());
        QCOMPARE(s().exerciceOuvert, 2021);
        QVERIFY(s().dernierExercice);
        QVERIFY(folder().exists("ZEB_2021.MDB")); // re-created from the template without a message
        QCOMPARE(QFileInfo(s().db().path()).fileName(), QStringLiteral("ZEB_2021.MDB"));
    }

    void existingExerciseIsOpenedNotReplaced()
    {
        KV_FILE_ONLY("a year written into its file before start-up");
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), folder().file("zeb_2021.mdb"), nullptr));
        {
            db::Database db;
            db.open(folder().file("zeb_2021.mdb"));
            db.execute("INSERT INTO Agents (num, nom) VALUES (7, 'GARDÉ')");
        }
        QVERIFY(start());
        QCOMPARE(s().db().scalar("SELECT nom FROM Agents WHERE num = 7").toString(), QStringLiteral("GARDÉ"));
        QVERIFY(!folder().exists("ZEB_2021.MDB")); // the name was found in another letter case
    }

    void installationCodeNamesTheStateFile()
    {
        folder().write("ZEB.CFG", cfgBytes({{4, codeRecord("AB")}}));
        folder().write("AB.INI", stateBytes(2020, 1));
        QVERIFY(start());
        QCOMPARE(s().settings.installationCode(), QStringLiteral("AB"));
        QCOMPARE(s().exerciceOuvert, 2021);
    }

    void shortStateFileHasNoRecord()
    {
        KV_FILE_ONLY("the first-exercise dialog copies the template file");
        folder().write(".INI", QByteArray("\x07", 1));
        ui().onScreen("Form12", typeYears({"2022"}));
        QVERIFY(start());
        QCOMPARE(ui().screens, QStringList{"Form12"});
        QCOMPARE(s().exerciceOuvert, 2022);
    }

    void defaultParametersRecordIsCreatedOnce()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        const db::Row p = s().db().queryOne("SELECT * FROM Permn");
        QCOMPARE(s().db().scalar("SELECT count(*) FROM Permn").toInt(), 1);
        for (const char* field : {"RC", "Id_Fiscale", "Article", "Telephone", "Fax", "Compte_Bancaire"})
            QCOMPARE(p.text(field), QStringLiteral(" "));
        QCOMPARE(p.number("Taux_CNAS"), 9.0);
        QCOMPARE(p.number("Taux_PP"), 25.5);
        QCOMPARE(p.integer("Taux_VF"), 0);
        QVERIFY(p.flag("arabe"));
        s().db().execute("UPDATE Permn SET Taux_CNAS = 7");
        s().fermer_exercice();
        QVERIFY(start());
        QCOMPARE(s().db().scalar("SELECT count(*) FROM Permn").toInt(), 1);
        QCOMPARE(s().db().scalar("SELECT Taux_CNAS FROM Permn").toDouble(), 7.0);
    }

    void refusedParametersRowIsReportedAndTheProgramGoesOn()
    {
        KV_FILE_ONLY("a trigger written into the year's file before start-up");
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), folder().file("ZEB_2021.MDB"), nullptr));
        {
            db::Database d;
            d.open(folder().file("ZEB_2021.MDB"));
            d.execute("DELETE FROM Permn");
            d.execute("CREATE TRIGGER refuse BEFORE INSERT ON Permn BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END");
        }
        QVERIFY(start());
        QCOMPARE(ui().last().text, QStringLiteral("écriture refusée"));
        QCOMPARE(ui().last().icon, Icon::Critical);
        QVERIFY(s().isOpen());
        QCOMPARE(s().db().scalar("SELECT count(*) FROM Permn").toInt(), 0);
    }

    void spareSecurityFileIsUsed()
    {
        QVERIFY(QFile::rename(folder().file("system.mdw"), folder().file("system.mda")));
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(folder().exists("system.mdw"));
    }

    void startupFailures_data()
    {
        QTest::addColumn<QString>("removeFile");
        QTest::addColumn<QByteArray>("exerciseContent");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("beeps");
        QTest::newRow("no security file") << "system.mdw" << QByteArray() << "Un fichier system est absent! ! !"
                                          << int(Icon::Critical) << "ATTENTION: End" << 0;
        QTest::newRow("no template") << "ZEB_00.mdb" << QByteArray() << "Fichier système absent" << int(Icon::NoIcon) << "ZEB" << 1;
        QTest::newRow("damaged exercise") << "" << QByteArray(4096, 'x') << "La base de données semble endommagée\n"
                                          << int(Icon::Exclamation) << "Z.E.B." << 0;
    }
    void startupFailures()
    {
        QFETCH(QString, removeFile);
        QFETCH(QByteArray, exerciseContent);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QString, title);
        QFETCH(int, beeps);
        folder().write(".INI", stateBytes(2021, 0));
        if (!removeFile.isEmpty())
            QVERIFY(QFile::remove(folder().file(removeFile)));
        if (!exerciseContent.isEmpty()) {
            KV_FILE_ONLY("a damaged year file");
            folder().write("ZEB_2021.MDB", exerciseContent);
        }
        QVERIFY(!start());
        QCOMPARE(ui().messages, msg(text, Icon(icon), title));
        QCOMPARE(ui().beeps, beeps);
        QVERIFY(!s().isOpen());
        if (!exerciseContent.isEmpty())
            QCOMPARE(folder().read("ZEB_2021.MDB"), exerciseContent); // left as it was
    }

    void exerciseWithoutAStandingTableIsDamaged()
    {
        KV_FILE_ONLY("a table dropped from the year's file");
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), folder().file("ZEB_2021.MDB"), nullptr));
        {
            db::Database db;
            db.open(folder().file("ZEB_2021.MDB"));
            db.executeScript("DROP TABLE Tampon1");
        }
        QVERIFY(!start());
        QCOMPARE(ui().messages, msg("La base de données semble endommagée\n", Icon::Exclamation, "Z.E.B."));
    }

    void olderExerciseFileIsUpgraded()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), folder().file("ZEB_2021.MDB"), nullptr));
        {
            db::Database db;
            db.open(folder().file("ZEB_2021.MDB"));
            db.setUserVersion(0);
        }
        QVERIFY(start());
        QCOMPARE(s().db().userVersion(), schema::kSchemaVersion);
    }

    void garbageSettingsFilesNeverStopTheProgram()
    {
        folder().write("ZEB.CFG", QByteArray("\xff\x01garbage", 9));
        folder().write(".INI", stateBytes(2021, 0));
        folder().write("Dir_Data.TXT", QByteArray("\x00\xff\xfe no quotes at all", 20));
        QVERIFY(start());
        QVERIFY(!s().settings.isProtected(1)); // a length no record can hold is no password
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(ui().screens.isEmpty());
    }

    void missingSettingsFileIsCreatedEmpty()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QVERIFY(folder().exists("ZEB.CFG"));
        QCOMPARE(folder().read("ZEB.CFG").size(), 0);
        QVERIFY(!s().settings.isProtected(1));
        QVERIFY(!s().settings.isProtected(2));
        QCOMPARE(s().settings.installationCode(), QString());
        QCOMPARE(s().identite(1), QString(40, ' '));
    }

    void identityFillsHeaderAndReportTexts()
    {
        QMap<int, CfgRecord> records;
        const QStringList fields = {"TRANSPORTS EL AMEL", "Location de véhicules", "ORAN", "Algérie"};
        for (int k = 0; k < fields.size(); ++k)
            records.insert(37 + k, ProtectedSettings::encodeText(fields[k]));
        records.insert(39 + 16, ProtectedSettings::encodeText("not read: beyond the block"));
        folder().write("ZEB.CFG", cfgBytes(records));
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QCOMPARE(s().headerLines(), (QStringList{"TRANSPORTS EL AMEL", "ORAN", "Année  2021"}));
        QCOMPARE(s().identite(3).size(), 20);
        s().ecrire_identite();
        const db::Row t = s().db().queryOne("SELECT * FROM textes");
        QCOMPARE(t.text("ch1"), fields[0]);
        QCOMPARE(t.text("ch2"), fields[1]);
        QCOMPARE(t.text("ch3"), fields[2]);
        QCOMPARE(t.text("ch30"), QStringLiteral("(Algérie)"));
    }

    // ---- the firm's identity, entered in the program ------------------------------------------------------

    void identityScreenWritesWhatStartUpReads()
    {
        // Other records of the file stay as they were: a password, and identity field 5.
        folder().write("ZEB.CFG", cfgBytes({{2, passwordRecord("SECRET")}, {41, ProtectedSettings::encodeText("Champ 5")}}));
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QVERIFY(s().firstStart == false); // the first exercise was chosen before
        QCOMPARE(s().headerLines().value(0), QString());
        F_Identite screen(s());
        QCOMPARE(screen.field(1)->maxLength(), 40);
        QCOMPARE(screen.field(3)->maxLength(), 20);
        QCOMPARE(screen.field(1)->accessibleName(), QStringLiteral("Raison sociale"));
        screen.field(1)->setText("  SARL Transports Amrani ");
        screen.field(2)->setText("Transport de voyageurs");
        screen.field(3)->setText("Blida");
        screen.field(4)->setText("Tél. 025 41 22 10");
        QVERIFY(screen.save());
        QVERIFY(ui().messages.isEmpty());
        // In memory at once: the header and the report texts.
        QCOMPARE(s().headerLines(), (QStringList{"SARL Transports Amrani", "Blida", "Année  2021"}));
        s().ecrire_identite();
        const db::Row t = s().db().queryOne("SELECT * FROM textes");
        QCOMPARE(t.text("ch1"), QStringLiteral("SARL Transports Amrani"));
        QCOMPARE(t.text("ch2"), QStringLiteral("Transport de voyageurs"));
        QCOMPARE(t.text("ch30"), QStringLiteral("(Tél. 025 41 22 10)"));
        // And in the file, the way start-up reads it.
        ProtectedSettings again;
        again.load(folder().file("ZEB.CFG"));
        QCOMPARE(again.identity(1).trimmed(), QStringLiteral("SARL Transports Amrani"));
        QCOMPARE(again.identity(3), QStringLiteral("Blida").leftJustified(20));
        QCOMPARE(again.identity(4).trimmed(), QStringLiteral("Tél. 025 41 22 10"));
        QCOMPARE(again.identity(5).trimmed(), QStringLiteral("Champ 5"));
        QCOMPARE(again.password(2), QStringLiteral("SECRET"));
    }

    void identityScreenKeysAndRefusal()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        {
            // Escape after typing asks; "Non" leaves the file as it was.
            F_Identite screen(s());
            screen.show();
            QVERIFY(QTest::qWaitForWindowExposed(&screen));
            QTest::keyClicks(screen.field(1), "SARL X");
            ui().answers = {false};
            QTest::keyClick(screen.field(1), Qt::Key_Escape);
            QVERIFY(!screen.isVisible());
            QCOMPARE(ui().messages.size(), 1);
            QCOMPARE(ui().last().text, kit::kSaveChangesQuestion);
            QCOMPARE(s().identite(1).trimmed(), QString());
        }
        {
            // Return in a field confirms.
            ui().clear();
            F_Identite screen(s());
            screen.show();
            QVERIFY(QTest::qWaitForWindowExposed(&screen));
            screen.field(1)->setFocus();
            QTest::keyClicks(screen.field(1), "SARL Y");
            QTest::keyClick(screen.field(1), Qt::Key_Return);
            QCOMPARE(screen.result(), int(QDialog::Accepted));
            QCOMPARE(s().identite(1).trimmed(), QStringLiteral("SARL Y"));
        }
        {
            // A file that cannot be replaced (a folder stands in its place): the message, memory unchanged.
            ui().clear();
            QVERIFY(QFile::remove(folder().file("ZEB.CFG")));
            QVERIFY(QDir(folder().path()).mkdir("ZEB.CFG"));
            F_Identite screen(s());
            screen.field(1)->setText("SARL Z");
            QVERIFY(!screen.save());
            QCOMPARE(ui().messages.size(), 1);
            QVERIFY(ui().last().text.startsWith(QStringLiteral("ZEB.CFG : ")));
            QCOMPARE(s().identite(1).trimmed(), QStringLiteral("SARL Y"));
            QVERIFY(QFileInfo(folder().file("ZEB.CFG")).isDir());
        }
    }

    void firstStartIsMarked()
    {
        KV_FILE_ONLY("the first-exercise dialog copies the template file");
        ui().onScreen("Form12", typeYears({"2021"}));
        QVERIFY(start());
        QVERIFY(s().firstStart);
    }

    // ---- dates of the open exercise ------------------------------------------------------------------------

    void entriesStartInTheOpenExercise()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        const QDate today = QDate::currentDate();
        if (today.year() == 2021)
            QSKIP("the test needs a year other than the exercise's");
        QCOMPARE(s().defaultDay(), QDate(2021, 12, 31));
        s().noteDayUsed(QDate(2021, 5, 12));
        QCOMPARE(s().defaultDay(), QDate(2021, 5, 12));
        s().noteDayUsed(QDate(2022, 1, 3)); // not of the exercise: not kept
        QCOMPARE(s().defaultDay(), QDate(2021, 5, 12));
        QCOMPARE(kit::defaultDayText(s()), QStringLiteral("12/05/2021"));
        s().exerciceOuvert = today.year();
        QCOMPARE(s().defaultDay(), today);
    }

    void dateOutsideTheExerciseIsAsked_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<int>("questions");
        QTest::newRow("in the exercise") << "15/03/2021" << QList<bool>{} << true << 0;
        QTest::newRow("next year, Non") << "03/01/2022" << QList<bool>{false} << false << 1;
        QTest::newRow("last year, Oui") << "31/12/2020" << QList<bool>{true} << true << 1;
        QTest::newRow("not a date: checkDateField's") << "31/02/2022" << QList<bool>{} << true << 0;
        QTest::newRow("blank") << "" << QList<bool>{} << true << 0;
    }
    void dateOutsideTheExerciseIsAsked()
    {
        QFETCH(QString, date);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, taken);
        QFETCH(int, questions);
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        ui().answers = answers;
        QLineEdit field(date);
        QCOMPARE(kit::confirmExerciseDate(field, s()), taken);
        QCOMPARE(ui().messages.size(), questions);
        if (questions) {
            QCOMPARE(ui().last(), (ShownMessage{kit::outsideExerciseQuestion(date, 2021), Icon::Exclamation,
                                                "Confirmation", true}));
            QCOMPARE(ui().defaultNoQuestions.size(), 1);
        }
    }

    void signatureTextsAreRead()
    {
        folder().write("Dir_Data.TXT", "\"Le Gérant\"\r\n\"M. Benali\"\r\n");
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QCOMPARE(s().signature1, QStringLiteral("Le Gérant"));
        QCOMPARE(s().signature2, QStringLiteral("M. Benali"));
    }

    void startupPasswordIsAskedAtLevelOne()
    {
        folder().write("ZEB.CFG", cfgBytes({{1, passwordRecord("SESAME")}}));
        folder().write(".INI", stateBytes(2021, 0));
        QString label;
        ui().onScreen("Form_v2", [&](QDialog& d) {
            label = static_cast<Form_v2&>(d).levelLabel()->text();
            return typePasswords({"sesame"})(d);
        });
        QVERIFY(start());
        QCOMPARE(label, QStringLiteral("Niveau   1"));
        // A second run of the sequence (after an import) asks again; refusing ends the program.
        s().fermer_exercice();
        ui().onScreen("Form_v2", typePasswords({"a", "b", "c"}));
        QVERIFY(!start());
        QCOMPARE(ui().screens, (QStringList{"Form_v2", "Form_v2"}));
        QCOMPARE(ui().messages, msg("Mot d'accès incorrect", Icon::Critical, "Z.E.B."));
    }

    void settingsRecordWithZeroLengthAsksNothing()
    {
        CfgRecord r = passwordRecord("X");
        r[0] = 0;
        folder().write("ZEB.CFG", cfgBytes({{1, r}}));
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QVERIFY(ui().screens.isEmpty());
    }

    void enginePasswordRule()
    {
        QCOMPARE(enginePasswordFrom("91309130913091329132913291329132"), QStringLiteral("AAABBBBB"));
        QCOMPARE(enginePasswordFrom("01310131013101310131013101310131"), QStringLiteral("BBBBBBBB")); // 131 / 2 rounds to 66
        const QString p = enginePassword();
        QCOMPARE(p.size(), 8);
        for (QChar c : p)
            QVERIFY(c.unicode() > 32 && c.unicode() < 127);
    }

    void closingAndReopeningSeesRowsWrittenElsewhere()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        {
            db::Database other;
            if (s().server)
                other.openServer(*s().server, db::exerciseSchema(2021));
            else
                other.open(s().exercisePath(2021));
            other.execute("INSERT INTO Depenses (num, Montant) VALUES (1, 5)");
        }
        s().reconnect();
        QCOMPARE(s().db().nextNum("Depenses"), 2);
        s().fermer_exercice();
        s().fermer_exercice(); // closing twice is harmless
        QVERIFY(!s().isOpen());
        QVERIFY_THROWS_EXCEPTION(db::Error, s().db());
    }

    void fileExistenceIgnoresLetterCase()
    {
        QDir(folder().path()).mkdir("ARCHIVES");
        QVERIFY(Session::fichier_existe(folder().file("archives"), 16));
        QVERIFY(!Session::fichier_existe(folder().file("archives"), 0));
        QVERIFY(Session::fichier_existe(folder().file("zeb_00.MDB"), 0));
        QVERIFY(!Session::fichier_existe(folder().file("nothing.mdb"), 0));
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        QCOMPARE(QDir(folder().path()).entryList({"archives"}, QDir::Dirs).size(), 1); // no second folder
    }

    // ---- passwords -------------------------------------------------------------------------------------

    void passwordPrompt_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("override");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<bool>("granted");
        QTest::addColumn<int>("attempts");
        QTest::newRow("right at once") << "CLE" << "" << QStringList{"CLE"} << true << 1;
        QTest::newRow("lower case and blanks") << "CLE" << "" << QStringList{"  cle "} << true << 1;
        QTest::newRow("two wrong then right") << "CLE" << "" << QStringList{"x", "y", "cle"} << true << 3;
        QTest::newRow("three wrong") << "CLE" << "" << QStringList{"x", "y", "z"} << false << 3;
        QTest::newRow("empty refused without override") << "CLE" << "" << QStringList{"", "", ""} << false << 3;
        QTest::newRow("override accepted") << "CLE" << "MAITRE" << QStringList{"maitre"} << true << 1;
    }
    void passwordPrompt()
    {
        QFETCH(QString, stored);
        QFETCH(QString, override);
        QFETCH(QStringList, typed);
        QFETCH(bool, granted);
        QFETCH(int, attempts);
        QMap<int, CfgRecord> records{{2, passwordRecord(stored)}};
        if (!override.isEmpty())
            records.insert(3, passwordRecord(override, 2));
        folder().write("ZEB.CFG", cfgBytes(records));
        s().settings.load(folder().file("ZEB.CFG"));
        int count = 0;
        ui().onScreen("Form_v2", [&](QDialog& d) {
            const int r = typePasswords(typed)(d);
            count = static_cast<Form_v2&>(d).attempts();
            return r;
        });
        QCOMPARE(checkLevel2(s()), granted);
        QCOMPARE(count, attempts);
        QCOMPARE(s().dialogValue, granted ? 1 : 8);
        QCOMPARE(ui().messages, granted ? QList<ShownMessage>{} : msg("Mot d'accès incorrect", Icon::Critical, "Z.E.B."));
    }

    void closingThePromptRefuses()
    {
        folder().write("ZEB.CFG", cfgBytes({{2, passwordRecord("CLE")}}));
        s().settings.load(folder().file("ZEB.CFG"));
        // The prompt is closed without a confirmed entry (the window's close button).
        QVERIFY(!checkLevel2(s()));
        QCOMPARE(s().dialogValue, 8);
    }

    void levelWithoutPasswordAsksNothing()
    {
        folder().write("ZEB.CFG", cfgBytes({{1, passwordRecord("UN")}}));
        s().settings.load(folder().file("ZEB.CFG"));
        QVERIFY(checkLevel2(s()));
        QVERIFY(ui().screens.isEmpty());
    }

    void passwordScreenSavesTheRecord()
    {
        folder().write("ZEB.CFG", cfgBytes({{2, passwordRecord("OLD")}, {4, codeRecord("XYZ")}}));
        s().settings.load(folder().file("ZEB.CFG"));
        New_MPS screen(s());
        const auto& t = screen.tab(2);
        t.current->setText("old");
        t.fresh->setText("Neuf");
        t.confirmation->setText("NEUF ");
        t.save->click();
        QCOMPARE(ui().messages, msg("Sauvegarde effectuée avec succès", Icon::Information, "ZEB"));
        QCOMPARE(screen.result(), int(QDialog::Accepted));
        const QByteArray cfg = folder().read("ZEB.CFG");
        QCOMPARE(qFromLittleEndian<qint16>(cfg.constData() + 84), 4);
        QCOMPARE(qFromLittleEndian<qint16>(cfg.constData() + 86), qint16('N' * 7));
        QCOMPARE(qFromLittleEndian<qint16>(cfg.constData() + 92), qint16('F' * 7));
        QCOMPARE(s().settings.password(2), QStringLiteral("NEUF"));
        ProtectedSettings reread;
        reread.load(folder().file("ZEB.CFG"));
        QCOMPARE(reread.password(2), QStringLiteral("NEUF"));
        QCOMPARE(reread.installationCode(), QStringLiteral("XYZ")); // other records untouched
    }

    void passwordScreenRefusals()
    {
        folder().write("ZEB.CFG", cfgBytes({{1, passwordRecord("UN")}}));
        s().settings.load(folder().file("ZEB.CFG"));
        const QByteArray before = folder().read("ZEB.CFG");
        New_MPS screen(s());
        const auto& t = screen.tab(1);
        t.current->setText("");
        t.save->click(); // the current password must be typed, even to change it
        t.current->setText("un");
        t.fresh->setText("a");
        t.confirmation->setText("b");
        t.save->click();
        QCOMPARE(screen.result(), 0);
        t.save->click();
        QCOMPARE(ui().messages, msg("Contrôle négatif", Icon::Critical, "ATTENTION")
                                    + msg("Confirmation non concordante", Icon::Critical, "ATTENTION")
                                    + msg("Confirmation non concordante", Icon::Critical, "ATTENTION"));
        QCOMPARE(screen.result(), int(QDialog::Rejected)); // the third failure closes the screen
        QCOMPARE(folder().read("ZEB.CFG"), before);
    }

    void emptyNewPasswordRemovesTheProtection()
    {
        folder().write("ZEB.CFG", cfgBytes({{2, passwordRecord("DEUX")}}));
        s().settings.load(folder().file("ZEB.CFG"));
        New_MPS screen(s());
        screen.tab(2).current->setText("deux");
        screen.tab(2).save->click();
        QVERIFY(!s().settings.isProtected(2));
        QVERIFY(checkLevel2(s()));
        QVERIFY(ui().screens.isEmpty());
    }

    void passwordScreenKeys()
    {
        s().settings.load(folder().file("ZEB.CFG"));
        New_MPS screen(s());
        screen.show();
        QVERIFY(QTest::qWaitForWindowActive(&screen));
        const auto& t = screen.tab(1);
        t.current->setFocus();
        QTest::keyClick(t.current, Qt::Key_Return);
        QVERIFY(t.fresh->hasFocus());
        QTest::keyClick(t.fresh, Qt::Key_Down);
        QVERIFY(t.confirmation->hasFocus());
        QTest::keyClick(t.confirmation, Qt::Key_Up);
        QVERIFY(t.fresh->hasFocus());
        t.fresh->setText("abc");
        t.confirmation->setFocus();
        t.confirmation->setText("abc");
        QTest::keyClick(t.confirmation, Qt::Key_Return); // Enter in the confirmation saves
        QCOMPARE(s().settings.password(1), QStringLiteral("ABC"));
        QCOMPARE(t.fresh->maxLength(), 41);
    }

    // ---- report routine --------------------------------------------------------------------------------

    void reportRoutineFillsTextsBufferAndRenders()
    {
        folder().write(".INI", stateBytes(2021, 0));
        folder().write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("FLOTTE SARL")}, {40, ProtectedSettings::encodeText("Alger")}}));
        QVERIFY(start());
        QVERIFY(QFile::copy(QStringLiteral(KAVOREL_SOURCE_DIR "/tests/core/data/Essai.RPT"), folder().file("Essai.RPT")));
        for (const auto& [num, nom] : {std::pair{1, "ALPHA"}, {2, "BETA"}, {3, "GAMMA"}})
            seed::person(s().db(), {.num = num, .nom = nom});
        s().db().execute("INSERT INTO Tampon1 (num) VALUES ('99')");
        ReportRequest request{"Essai.RPT", {{"ch4", "Liste des agents"}}, QStringList{"1", "3"}};
        QVERIFY(printReport(s(), request));
        QCOMPARE(s().reportTemplate, QStringLiteral("Essai.RPT"));
        const db::Row t = s().db().queryOne("SELECT * FROM textes");
        QCOMPARE(t.text("ch1"), QStringLiteral("FLOTTE SARL"));
        QCOMPARE(t.text("ch30"), QStringLiteral("(Alger)"));
        QCOMPARE(t.text("ch4"), QStringLiteral("Liste des agents"));
        QStringList buffer;
        for (const db::Row& r : s().db().query("SELECT num FROM Tampon1 ORDER BY num"))
            buffer << r.text("num");
        QCOMPARE(buffer, (QStringList{"1", "3"}));
        QCOMPARE(ui().reports.size(), 1);
        QCOMPARE(ui().reportTitles, QStringList{"Liste d'essai"});
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.first()), QPdfDocument::Error::None);
        const QString text = pdf.getAllText(0).text();
        QVERIFY2(text.contains("ALPHA") && text.contains("GAMMA") && !text.contains("BETA"), qPrintable(text));
        QVERIFY(text.contains("FLOTTE SARL") && text.contains("Liste des agents"));
    }

    void everyTemplatesQueriesRunOnTheEngine_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : QDir(QStringLiteral(KAVOREL_SOURCE_DIR "/templates")).entryList({"*.RPT"}, QDir::Files))
            QTest::newRow(qPrintable(name)) << name;
    }
    void everyTemplatesQueriesRunOnTheEngine()
    {
        QFETCH(QString, name);
        f_->openExercise(2021);
        // A line of each book, so that the sums and groups have something to read.
        db::Database& db = s().db();
        insertRow(db, QStringLiteral("Depenses"), {{QStringLiteral("num"), 1}, {QStringLiteral("date"), QStringLiteral("2021-02-03")},
                                                   {QStringLiteral("MM"), 2}, {QStringLiteral("Montant"), 10.5}, {QStringLiteral("contrepartie"), 0},
                                                   {QStringLiteral("Type_Dep"), 1}, {QStringLiteral("num_vehicule"), 1}});
        insertRow(db, QStringLiteral("Recettes"), {{QStringLiteral("num"), 1}, {QStringLiteral("date"), QStringLiteral("2021-02-03")},
                                                   {QStringLiteral("MM"), 2}, {QStringLiteral("Montant"), 20.25}, {QStringLiteral("num_vehicule"), 1}});
        QString error;
        const reports::Template tpl = reports::load(QStringLiteral(KAVOREL_SOURCE_DIR "/templates/") + name, &error);
        QVERIFY2(tpl.valid, qPrintable(error));
        for (const reports::Query& q : tpl.queries) {
            QVariantMap params;
            for (const QString& p : reports::parameterNames(q.sql))
                params.insert(p, 1);
            QVERIFY2(db.isReadOnlyQuery(q.sql, &error), qPrintable(q.name + QStringLiteral(": ") + error));
            try {
                db.query(q.sql, params);
            } catch (const db::Error& e) {
                QFAIL(qPrintable(q.name + QStringLiteral(": ") + e.message()));
            }
        }
    }

    void everyTemplateShowsTheFourthIdentityFieldOnlyWhenGiven_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("field4");
        const QStringList templates = QDir(QStringLiteral(KAVOREL_SOURCE_DIR "/templates")).entryList({"*.RPT"}, QDir::Files);
        QVERIFY(templates.contains("B_Achat.RPT") && templates.contains("Liste_V.RPT"));
        for (const QString& name : templates) {
            QTest::addRow("%s, field 4 empty", qPrintable(name)) << name << "";
            QTest::addRow("%s, field 4 given", qPrintable(name)) << name << "Alger";
        }
    }
    void everyTemplateShowsTheFourthIdentityFieldOnlyWhenGiven()
    {
        QFETCH(QString, name);
        QFETCH(QString, field4);
        folder().write(".INI", stateBytes(2021, 0));
        folder().write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("FLOTTE SARL")}, {40, ProtectedSettings::encodeText(field4)}}));
        QVERIFY(start());
        s().ecrire_identite();
        QCOMPARE(s().db().scalar("SELECT ch30 FROM textes").toString(), "(" + field4 + ")");   // stored as built

        QString error;
        const reports::Template tpl = reports::load(QStringLiteral(KAVOREL_SOURCE_DIR "/templates/") + name, &error);
        QVERIFY2(tpl.valid, qPrintable(error));
        QVariantMap params;
        for (const reports::Query& q : tpl.queries)
            for (const QString& p : reports::parameterNames(q.sql))
                params.insert(p, 0);
        const auto noRows = [](const QString&, const QVariantMap&) { return QList<reports::Row>{}; };
        const QVariantMap stored = s().db().queryOne("SELECT * FROM textes LIMIT 1").toMap();
        const QString html = reports::fill(tpl, reportTexts(stored), noRows, params, &error);
        QVERIFY2(!html.isNull(), qPrintable(error));
        QTextDocument page;
        page.setHtml(html);
        const QString text = page.toPlainText();
        QVERIFY2(text.contains("FLOTTE SARL"), qPrintable(text));
        if (field4.isEmpty())
            QVERIFY2(!text.contains("()"), qPrintable(text));
        else
            QVERIFY2(text.contains("(Alger)"), qPrintable(text));
    }

    void printedHeaderHasNoLoneBrackets()
    {
        folder().write(".INI", stateBytes(2021, 0));
        folder().write("ZEB.CFG", cfgBytes({{37, ProtectedSettings::encodeText("FLOTTE SARL")}}));
        QVERIFY(start());
        QVERIFY(printReport(s(), {"Liste_V.RPT", {{"ch4", "Tous"}}, QStringList{}}));
        QCOMPARE(s().db().scalar("SELECT ch30 FROM textes").toString(), QStringLiteral("()"));
        QPdfDocument pdf;
        QCOMPARE(pdf.load(ui().reports.value(0)), QPdfDocument::Error::None);
        const QString text = pdf.getAllText(0).text();
        QVERIFY2(text.contains("FLOTTE SARL"), qPrintable(text));
        QVERIFY2(!text.contains("()") && !text.contains(")("), qPrintable(text));
    }

    void missingTemplateStopsBeforeWriting()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        s().db().executeScript("INSERT INTO Tampon1 (num) VALUES ('5'); UPDATE textes SET ch4 = 'avant';");
        QVERIFY(!printReport(s(), {"Absent.RPT", {{"ch4", "après"}}, QStringList{"1"}}));
        QCOMPARE(ui().messages, msg("Fichier 'Absent.RPT' absent", Icon::Critical, "Z.E.B."));
        QCOMPARE(s().reportTemplate, QStringLiteral("Absent.RPT"));
        QCOMPARE(s().db().scalar("SELECT ch4 FROM textes").toString(), QStringLiteral("avant"));
        QVERIFY(s().db().scalar("SELECT ch1 FROM textes").isNull());
        QCOMPARE(s().db().scalar("SELECT num FROM Tampon1").toString(), QStringLiteral("5"));
        QVERIFY(ui().reports.isEmpty());
    }

    void reportTemplateCannotWrite()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        folder().write("Mal.RPT", "<!--kavorel-report\nquery x: DELETE FROM Agents\n-->\n<p>{{#x}}{{/x}}</p>\n");
        seed::person(s().db(), {.num = 1, .nom = "RESTE"});
        QVERIFY(!printReport(s(), {"Mal.RPT", {}, std::nullopt}));
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().messages.first().icon, Icon::Critical);
        QCOMPARE(s().db().scalar("SELECT count(*) FROM Agents").toInt(), 1);
    }

    // ---- exit --------------------------------------------------------------------------------------------

    void exitCopiesTheLatestExerciseAndWritesTheFlag()
    {
        KV_FILE_ONLY("the exit copies the year's file");
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        s().db().execute("UPDATE Permn SET arabe = 0");
        QDir(folder().path()).rename("Archives", "ARCHIVES");
        folder().write("ARCHIVES/ZEB_2021.mdb", "old copy");
        QFile(folder().file("ARCHIVES/ZEB_2021.mdb")).setPermissions(QFile::ReadOwner);
        bool restored = false;
        ExitSequence exit;
        exit.restoreDisplay = [&] { restored = true; };
        exit.run(s());
        QVERIFY(!s().isOpen());
        QVERIFY(!restored); // the display was not changed
        QVERIFY(!QDir(folder().path()).exists("Archives"));
        QCOMPARE(folder().read("ARCHIVES/ZEB_2021.mdb"), folder().read("ZEB_2021.MDB"));
        db::Database copy;
        copy.open(folder().file("ARCHIVES/ZEB_2021.mdb"));
        QVERIFY(copy.scalar("SELECT arabe FROM Permn").toBool());
        QVERIFY(!folder().exists("Dir_Data.TXT")); // signatures unchanged: nothing written
        QVERIFY(ui().messages.isEmpty());
    }

    void exitFromAnOlderExerciseMakesNoCopy()
    {
        folder().write(".INI", stateBytes(2020, 1));
        QVERIFY(start());
        QVERIFY(db::copyFileAtomic(folder().file("ZEB_00.mdb"), folder().file("ZEB_2020.MDB"), nullptr));
        s().exerciceOuvert = 2020;
        s().dernierExercice = false;
        s().reconnect();
        s().displayChanged = true;
        bool restored = false;
        ExitSequence exit;
        exit.restoreDisplay = [&] { restored = true; };
        exit.run(s());
        QVERIFY(restored);
        QVERIFY(QDir(folder().file("Archives")).entryList(QDir::Files).isEmpty());
    }

    void exitRewritesChangedSignatures()
    {
        folder().write("Dir_Data.TXT", "\"A\"\r\n\"B\"\r\n");
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        s().signature2 = "Le Directeur";
        ExitSequence().run(s());
        QCOMPARE(readSignatureFile(folder().file("Dir_Data.TXT")), (std::pair<QString, QString>{"A", "Le Directeur"}));
        QCOMPARE(folder().read("Dir_Data.TXT"), QByteArray("\"A\"\r\n\"Le Directeur\"\r\n"));
    }

    // ---- ledger -----------------------------------------------------------------------------------------

    void ledgerBookingNumbersEachTableAndWritesOnlyWhatIsGiven()
    {
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(start());
        db::Database& db = s().db();
        db.execute("INSERT INTO Depenses (num, Montant) VALUES (7, 1)");
        ledger::Line fuel{"05/11/2021", 1234.5, 0, "Gasoil"};
        fuel.contrepartie = 0;
        fuel.numVehicule = 3;
        fuel.typeDep = 0;
        QCOMPARE(ledger::add(db, ledger::Book::Depenses, fuel), 8);
        ledger::Line credit{"01/02/2021", 1500, 1, "Versement"};
        credit.contrepartie = 0;
        credit.numAgent = 4;
        credit.typeDep = 5; // receipts have no heading: ignored
        QCOMPARE(ledger::add(db, ledger::Book::Recettes, credit), 1);

        const db::Row d = db.queryOne("SELECT * FROM Depenses WHERE num = 8");
        QCOMPARE(d.text("date"), QStringLiteral("2021-11-05"));
        QCOMPARE(d.integer("MM"), 11);
        QCOMPARE(d.number("Montant"), 1234.5);
        QCOMPARE(d.integer("num_vehicule"), 3);
        QVERIFY(d.isNull("Num_Agent"));
        QVERIFY(d.isNull("Km"));
        const db::Row r = db.queryOne("SELECT * FROM Recettes WHERE num = 1");
        QCOMPARE(r.integer("Num_Agent"), 4);
        QCOMPARE(r.integer("mode"), 1);
        QVERIFY(r.isNull("num_vehicule"));

        // A change keeps number, person and counterpart.
        ledger::Line changed{"10/03/2021", 99, 0, "Corrigé"};
        changed.contrepartie = 1;
        changed.numAgent = 77;
        QVERIFY(ledger::update(db, ledger::Book::Recettes, 1, changed));
        const db::Row c = db.queryOne("SELECT * FROM Recettes WHERE num = 1");
        QCOMPARE(c.integer("Num_Agent"), 4);
        QCOMPARE(c.integer("contrepartie"), 0);
        QCOMPARE(c.integer("MM"), 3);
        QCOMPARE(c.text("ref"), QStringLiteral("Corrigé"));
        QVERIFY(!ledger::update(db, ledger::Book::Recettes, 42, changed));
    }

    // ---- small shared pieces -----------------------------------------------------------------------------

    void exchangeSlotsAreFortyCharacters()
    {
        Echange e;
        e.set(1, "abc");
        QCOMPARE(e.raw(1), QString("abc").leftJustified(40, ' '));
        QCOMPARE(e.get(1), QStringLiteral("abc"));
        e.set(20, QString(50, 'x'));
        QCOMPARE(e.get(20), QString(40, 'x'));
        e.set(21, "ignored");
        QCOMPARE(e.get(21), QString());
    }

    void templateDatabaseHoldsTheSchema()
    {
        db::Database db;
        db.open(folder().file("ZEB_00.mdb"), db::Database::Mode::ReadOnly);
        QCOMPARE(db.userVersion(), schema::kSchemaVersion);
        for (const QString& table : {"Agents", "Vehicules", "Genres", "Marques", "Modeles", "Carburants", "Depenses", "Recettes",
                                     "Assurances", "Controles", "Vignettes", "Affectations", "Locations", "Salaires", "Permn",
                                     "textes", "Csse", "Tampon1"})
            QVERIFY2(db.hasTable(table), qPrintable(table));
        QCOMPARE(db.scalar("SELECT count(*) FROM textes").toInt(), 1);
        QCOMPARE(db.scalar("SELECT count(*) FROM Permn").toInt(), 0);
        for (const QString& table : {"Genres", "Marques", "Modeles", "Carburants"})
            QCOMPARE(db.query(QString("SELECT num, ordre FROM %1").arg(table)).size(), 1);
        // The screens' filters have their indexes.
        const int indexes = db.scalar("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND tbl_name IN ('Depenses', 'Recettes')").toInt();
        QVERIFY(indexes >= 8);
        // A field never written reads as null.
        QVERIFY(db.scalar("SELECT dflt_value FROM pragma_table_info('Depenses') WHERE name = 'Type_Dep'").isNull());
    }
};

QTEST_MAIN(CoreTest)
#include "tst_core.moc"
