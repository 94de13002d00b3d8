#include "FormatsTests.h"

#include "core/formats/Telephone.h"
#include "harness/ScriptedUi.h"

#include <QTest>

using namespace kv;
using kv::test::ShownMessage;

Q_DECLARE_METATYPE(kv::test::ShownMessage)

class TelephoneTest : public QObject {
    Q_OBJECT
private slots:
    void dial_data();
    void dial();
};

void TelephoneTest::dial_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("refused");      // the desktop refuses the request
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<QList<ShownMessage>>("messages");
    QTest::addColumn<bool>("result");

    const QList<ShownMessage> none;
    QTest::newRow("digits only") << "0551234567" << false << QStringList{"tel:0551234567"} << none << true;
    QTest::newRow("parentheses, blank and dashes") << "(021) 55-12-34" << false
                                                   << QStringList{"tel:(021551234"} << none << true;
    QTest::newRow("leading plus kept") << "+213 21 55 12 34" << false << QStringList{"tel:+21321551234"}
                                       << none << true;
    QTest::newRow("first character kept whatever it is") << "a1-2" << false << QStringList{"tel:a12"}
                                                         << none << true;
    QTest::newRow("trimmed") << "  0551 " << false << QStringList{"tel:0551"} << none << true;
    QTest::newRow("3 characters unchanged") << "1-2" << false << QStringList{"tel:1-2"} << none << true;
    QTest::newRow("4 characters cleaned") << "1-23" << false << QStringList{"tel:123"} << none << true;
    QTest::newRow("empty") << "" << false << QStringList{}
                           << QList<ShownMessage>{{"Numéro omis", ui::Icon::Critical, "ATTENTION "}} << false;
    QTest::newRow("request refused") << "05-51" << true << QStringList{"tel:0551"}
                                     << QList<ShownMessage>{{"Erreur dans l'appel", ui::Icon::Critical, "GHI"}}
                                     << false;
}

void TelephoneTest::dial()
{
    QFETCH(QString, number);
    QFETCH(bool, refused);
    QFETCH(QStringList, urls);
    QFETCH(QList<ShownMessage>, messages);
    QFETCH(bool, result);

    kv::test::ScriptedUi ui;
    if (refused)
        ui.urlsFailing = urls;
    QCOMPARE(kv::dial(number, ui), result);
    QCOMPARE(ui.urls, urls);
    QCOMPARE(ui.messages.size(), messages.size());
    for (qsizetype i = 0; i < messages.size(); ++i) {
        QCOMPARE(ui.messages[i].text, messages[i].text);
        QCOMPARE(ui.messages[i].icon, messages[i].icon);
        QCOMPARE(ui.messages[i].title, messages[i].title);
        QVERIFY(!ui.messages[i].question);
    }
}

int runTelephoneTest(int argc, char** argv)
{
    TelephoneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "TelephoneTest.moc"
