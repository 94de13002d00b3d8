// The harness itself: the scripted ui fails a test whose script was not followed exactly, and the test
// folder fails a test whose file cannot be read.
#include "harness/ScriptedUi.h"
#include "harness/TestFolder.h"

#include <QTest>

using namespace kv;
using namespace kv::test;

class HarnessTest : public QObject {
    Q_OBJECT

private slots:
    void aScriptFollowedExactlyPasses()
    {
        ScriptedUi ui;
        ui.answers = {false, true};
        QVERIFY(!ui.ask(QStringLiteral("Premier ?")));
        QVERIFY(ui.ask(QStringLiteral("Second ?")));
        QVERIFY(ui.leftOver().isEmpty());
    }

    void whatIsLeftIsNamed()
    {
        ScriptedUi ui;
        ui.answers = {true, false, false};
        QVERIFY(ui.ask(QStringLiteral("Supprimer ?")));
        ui.onScreen(QStringLiteral("MVM_FOND"), [](QDialog&) { return int(QDialog::Accepted); });
        QCOMPARE(ui.leftOver(), (QStringList{QStringLiteral("2 answer(s) never asked for: Non, Non"),
                                             QStringLiteral("1 script(s) of screen \"MVM_FOND\" never used (the screen was not shown)")}));
        ui.answers.clear();
        ui.scripts.clear();
        QVERIFY(ui.ask(QStringLiteral("Enregistrer quand même ?"))); // still Yes, so that the test runs on
        QCOMPARE(ui.leftOver(), QStringList{QStringLiteral("question asked with no answer scripted: \"Enregistrer quand même ?\"")});
        ui.unscripted.clear();
    }

    void anUnusedAnswerFailsTheTest()
    {
        QEXPECT_FAIL("", "an answer never asked for fails the test", Continue);
        ScriptedUi ui;
        ui.answers = {true};
        ui.check();
    }
    void anUnusedScreenScriptFailsTheTest()
    {
        QEXPECT_FAIL("", "a screen script never used fails the test", Continue);
        ScriptedUi ui;
        ui.onScreen(QStringLiteral("Form_v2"), [](QDialog&) { return int(QDialog::Accepted); });
    } // checked as the scripted ui goes
    void anUnscriptedQuestionFailsTheTest()
    {
        QEXPECT_FAIL("", "a question with nothing scripted fails the test", Continue);
        ScriptedUi ui;
        ui.ask(QStringLiteral("Supprimer ?"));
        ui.check();
    }
    void yesToEverythingAnswersWithoutFailing()
    {
        ScriptedUi ui;
        ui.yesToEverything = true;
        QVERIFY(ui.ask(QStringLiteral("Supprimer ?")));
        QVERIFY(ui.leftOver().isEmpty());
    }

    void aMissingFileFailsTheTestThatReadsIt()
    {
        TestFolder folder(false);
        QEXPECT_FAIL("", "a file that cannot be read fails the test", Continue);
        QCOMPARE(folder.read(QStringLiteral("absent.bin")), QByteArray());
    }
    void aFileWrittenReadsBack()
    {
        TestFolder folder(false);
        folder.write(QStringLiteral("a.bin"), "abc");
        QCOMPARE(folder.read(QStringLiteral("a.bin")), QByteArray("abc"));
    }
};

QTEST_MAIN(HarnessTest)
#include "tst_harness.moc"
