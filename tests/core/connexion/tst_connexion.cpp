// Choosing the engine of a desk: the choice file beside ZEB.CFG (never a password in it), libpq's
// password file, the "Connexion" screen, the start-up on a server that does not answer, and the
// exercise state kept on the server.
#include "FakeServer.h"
#include "harness/FixtureTest.h"
#include "harness/ScreenFit.h"
#include "harness/TestServer.h"

#include "core/connexion/ConnectionFile.h"
#include "core/connexion/Connexion.h"
#include "core/connexion/ServerExerciseState.h"
#include "core/connexion/ServerStart.h"
#include "core/startup/ExitSequence.h"
#include "core/startup/Form12.h"
#include "platform/db/Database.h"
#include "platform/db/FileOps.h"
#include "platform/db/ServerReach.h"

#include <QCheckBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QToolButton>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

Q_DECLARE_METATYPE(kv::connexion::Choice)
Q_DECLARE_METATYPE(kv::db::ServerAnswer)
Q_DECLARE_METATYPE(kv::test::FakeServer::Rules)

using namespace kv;
using namespace kv::test;

namespace {

/// A port of 127.0.0.1 that nothing listens on: one the system hands out, released at once.
int closedPort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

connexion::Choice serverChoice(int port, const QString& password = {})
{
    connexion::Choice c;
    c.onServer = true;
    c.server.host = QStringLiteral("127.0.0.1");
    c.server.port = port;
    c.server.database = QStringLiteral("flotte");
    c.server.user = QStringLiteral("compta");
    c.server.password = password;
    return c;
}

/// Types a server's settings into the screen and confirms it.
ScriptedUi::ScreenScript typeServer(const connexion::Choice& c, bool remember)
{
    return [c, remember](QDialog& d) {
        auto& screen = static_cast<Connexion&>(d);
        screen.serverChoice()->setChecked(true);
        screen.hostField()->setText(c.server.host);
        screen.portField()->setValue(c.server.port);
        screen.databaseField()->setText(c.server.database);
        screen.userField()->setText(c.server.user);
        screen.passwordField()->setText(c.server.password);
        screen.rememberBox()->setChecked(remember);
        screen.okButton()->click();
        return screen.result();
    };
}

ScriptedUi::ScreenScript chooseLocalFile()
{
    return [](QDialog& d) {
        auto& screen = static_cast<Connexion&>(d);
        screen.localChoice()->setChecked(true);
        screen.okButton()->click();
        return screen.result();
    };
}

} // namespace

class ConnexionTest : public FixtureTest {
    Q_OBJECT

    QString choicePath() { return folder().file(connexion::kChoiceFileName); }

private slots:
    void init() { newFixture(); }
    void cleanup() { dropFixture(); }

    // ---- the choice file ------------------------------------------------------------------------

    void choiceRoundTripsWithoutThePassword_data()
    {
        QTest::addColumn<connexion::Choice>("choice");
        QTest::newRow("local file") << connexion::Choice{};
        connexion::Choice server = serverChoice(5433, QStringLiteral("Sécret:42"));
        QTest::newRow("server") << server;
        server.server.host = QStringLiteral("serveur.cabinet.local");
        server.server.passFile = QStringLiteral("/home/compta/.local/share/Kavorel/kavorel.pgpass");
        QTest::newRow("server, password remembered") << server;
    }

    void choiceRoundTripsWithoutThePassword()
    {
        QFETCH(connexion::Choice, choice);
        QString error;
        QVERIFY2(connexion::writeChoice(choicePath(), choice, &error), qPrintable(error));
        const QByteArray bytes = folder().read(connexion::kChoiceFileName);
        QVERIFY(!bytes.contains("Sécret"));
        QVERIFY(!bytes.contains("42\n") || bytes.contains("port=42"));
        const connexion::ReadChoice read = connexion::readChoice(choicePath());
        QCOMPARE(read.problem, QString());
        connexion::Choice expected = choice;
        expected.server.password.clear();
        if (!expected.onServer)
            expected.server = {};
        QCOMPARE(read.choice, expected);
        QVERIFY(!QFile::exists(db::temporaryOf(choicePath())));
    }

    void noChoiceFileMeansTheLocalFiles()
    {
        const connexion::ReadChoice read = connexion::readChoice(choicePath());
        QVERIFY(!read.choice.onServer);
        QCOMPARE(read.problem, QString());
        QVERIFY(!folder().exists(connexion::kChoiceFileName)); // reading creates nothing
    }

    void handWrittenChoiceIsRead()
    {
        folder().write(connexion::kChoiceFileName, "# poste 2\r\n\r\nmoteur = serveur\r\nhote=10.0.0.5\r\nport=5432\r\n"
                                                   "base=flotte\r\nutilisateur=paie\r\n");
        const connexion::ReadChoice read = connexion::readChoice(choicePath());
        QCOMPARE(read.problem, QString());
        QVERIFY(read.choice.onServer);
        QCOMPARE(read.choice.server.host, QStringLiteral("10.0.0.5"));
        QCOMPARE(read.choice.server.user, QStringLiteral("paie"));
    }

    void damagedChoiceFallsBackToTheLocalFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        const QByteArray server = "moteur=serveur\nhote=h\nport=5432\nbase=b\nutilisateur=u\n";
        QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe", 4) << "texte illisible";
        QTest::newRow("not UTF-8") << QByteArray("moteur=serveur\nhote=caf\xe9\n") << "texte illisible";
        QTest::newRow("unknown engine") << QByteArray("moteur=oracle\n") << "moteur « oracle » inconnu";
        QTest::newRow("no engine") << QByteArray("hote=h\n") << "moteur «  » inconnu";
        QTest::newRow("a password line") << server + "mot_de_passe=x\n" << "ligne 6 inconnue";
        QTest::newRow("not a setting") << QByteArray("moteur=serveur\nn'importe quoi\n") << "ligne 2 inconnue";
        QTest::newRow("twice") << server + "hote=autre\n" << "« hote » donné deux fois";
        QTest::newRow("port out of range") << QByteArray(server).replace("5432", "70000") << "port « 70000 » incorrect";
        QTest::newRow("port not a number") << QByteArray(server).replace("5432", "cinq") << "port « cinq » incorrect";
        QTest::newRow("no database") << QByteArray(server).replace("base=b", "base=") << "serveur, base ou utilisateur absent";
        QTest::newRow("far too long") << QByteArray(20000, '#') << "fichier trop long";
    }

    void damagedChoiceFallsBackToTheLocalFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        folder().write(connexion::kChoiceFileName, bytes);
        const connexion::ReadChoice read = connexion::readChoice(choicePath());
        QVERIFY(!read.choice.onServer);
        QVERIFY2(read.problem.contains(reason), qPrintable(read.problem));
        QVERIFY(read.problem.contains(connexion::kChoiceFileName));
    }

    void fieldThatBreaksALineIsRefused()
    {
        QVERIFY(connexion::writeChoice(choicePath(), connexion::Choice{}, nullptr));
        const QByteArray before = folder().read(connexion::kChoiceFileName);
        connexion::Choice c = serverChoice(5432);
        c.server.host = QStringLiteral("h\nmoteur=fichier");
        QString error;
        QVERIFY(!connexion::writeChoice(choicePath(), c, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(folder().read(connexion::kChoiceFileName), before);
    }

    // ---- libpq's password file --------------------------------------------------------------------

    void passwordFileKeepsOtherLinesAndStaysPrivate()
    {
        const QString passFile = folder().file(connexion::kPassFileName);
        folder().write(connexion::kPassFileName, "autre:5432:*:moi:garde\n127.0.0.1:5432:flotte:compta:ancien\n");
        ::chmod(QFile::encodeName(passFile).constData(), 0644);
        db::ServerSettings s = serverChoice(5432, QStringLiteral("nou:veau\\mot")).server;
        s.passFile = passFile;
        QString error;
        QVERIFY2(connexion::rememberServerPassword(s, &error), qPrintable(error));
        QCOMPARE(folder().read(connexion::kPassFileName),
                 QByteArray("autre:5432:*:moi:garde\n127.0.0.1:5432:flotte:compta:nou\\:veau\\\\mot\n"));
        struct stat st{};
        QCOMPARE(::stat(QFile::encodeName(passFile).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        QVERIFY(connexion::passwordRemembered(s));

        // Another database of the same server is another line; forgetting removes only its own.
        db::ServerSettings other = s;
        other.database = QStringLiteral("essai");
        QVERIFY(!connexion::passwordRemembered(other));
        s.password.clear();
        QVERIFY(connexion::rememberServerPassword(s, &error));
        QCOMPARE(folder().read(connexion::kPassFileName), QByteArray("autre:5432:*:moi:garde\n"));
        QVERIFY(!connexion::passwordRemembered(s));
        QCOMPARE(::stat(QFile::encodeName(passFile).constData(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
    }

    // ---- the screen -------------------------------------------------------------------------------

    void screenWritesTheChoiceAndKeepsThePasswordApart()
    {
        const connexion::Choice typed = serverChoice(5433, QStringLiteral("Pw-2026"));
        ui().onScreen(QStringLiteral("Connexion"), typeServer(typed, true));
        const std::optional<db::ServerSettings> running = s().server;
        Connexion screen(s());
        QCOMPARE(ui().showModal(screen), int(QDialog::Accepted));
        QCOMPARE(ui().last().text, QStringLiteral("La connexion choisie sera utilisée au prochain démarrage du programme."));

        const QByteArray file = folder().read(connexion::kChoiceFileName);
        QVERIFY(!file.contains("Pw-2026"));
        const connexion::ReadChoice read = connexion::readChoice(choicePath());
        QVERIFY(read.choice.onServer);
        QCOMPARE(read.choice.server.port, 5433);
        QCOMPARE(read.choice.server.passFile, folder().file(connexion::kPassFileName));
        QVERIFY(folder().read(connexion::kPassFileName).contains("127.0.0.1:5433:flotte:compta:Pw-2026"));
        QCOMPARE(s().server, running); // from the menu: at the next start

        // Shown again: the settings as saved, the password not shown but known to be remembered; no longer
        // remembered, it leaves the password file.
        Connexion again(s());
        QVERIFY(again.serverChoice()->isChecked());
        QCOMPARE(again.databaseField()->text(), QStringLiteral("flotte"));
        QCOMPARE(again.passwordField()->text(), QString());
        QVERIFY(again.rememberBox()->isChecked());
        again.rememberBox()->setChecked(false);
        QVERIFY(again.save());
        QVERIFY(!folder().read(connexion::kPassFileName).contains("Pw-2026"));
        QCOMPARE(connexion::readChoice(choicePath()).choice.server.passFile, QString());
    }

    void screenRefusesMissingSettings_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("server") << "hote";
        QTest::newRow("database") << "base";
        QTest::newRow("user") << "utilisateur";
    }

    void screenRefusesMissingSettings()
    {
        QFETCH(QString, field);
        Connexion screen(s());
        screen.show();
        screen.serverChoice()->setChecked(true);
        screen.hostField()->setText(QStringLiteral("h"));
        screen.databaseField()->setText(QStringLiteral("b"));
        screen.userField()->setText(QStringLiteral("u"));
        screen.findChild<QLineEdit*>(field)->clear();
        QVERIFY(!screen.save());
        QCOMPARE(ui().last().text, QStringLiteral("Indiquez le serveur, la base de données et l'utilisateur."));
        QVERIFY(!folder().exists(connexion::kChoiceFileName));
        QCOMPARE(screen.focusWidget(), screen.findChild<QLineEdit*>(field));
    }

    void rememberingNeedsAPassword()
    {
        Connexion screen(s());
        screen.serverChoice()->setChecked(true);
        screen.hostField()->setText(QStringLiteral("h"));
        screen.databaseField()->setText(QStringLiteral("b"));
        screen.userField()->setText(QStringLiteral("u"));
        screen.rememberBox()->setChecked(true);
        QVERIFY(!screen.save());
        QCOMPARE(ui().last().text, QStringLiteral("Tapez le mot de passe à retenir."));
        QVERIFY(!folder().exists(connexion::kChoiceFileName));
        QVERIFY(!folder().exists(connexion::kPassFileName));
    }

    void testingAServerThatDoesNotAnswer()
    {
        Connexion screen(s());
        QVERIFY(!screen.testButton()->isEnabled() || !screen.hostField()->isEnabled()); // local file: no server to test
        screen.serverChoice()->setChecked(true);
        QVERIFY(screen.hostField()->isEnabled());
        screen.hostField()->setText(QStringLiteral("127.0.0.1"));
        screen.portField()->setValue(closedPort());
        screen.databaseField()->setText(QStringLiteral("flotte"));
        screen.userField()->setText(QStringLiteral("compta"));
        QVERIFY(!screen.testConnection());
        QCOMPARE(ui().last().icon, ui::Icon::Exclamation);
        QVERIFY2(ui().last().text.startsWith(QStringLiteral("Le serveur 127.0.0.1:")), qPrintable(ui().last().text));
        QCOMPARE(screen.testResult()->text(), ui().last().text);
        QVERIFY(!folder().exists(connexion::kChoiceFileName)); // a test writes nothing
    }

    void connectionTestNamesWhatFailed_data()
    {
        QTest::addColumn<FakeServer::Rules>("rules");
        QTest::addColumn<QString>("password");       // typed
        QTest::addColumn<QString>("remembered");     // in the password file
        QTest::addColumn<db::ServerAnswer>("answer");
        QTest::addColumn<QString>("what");           // the message's first line; %1 the port
        QTest::addColumn<QString>("serverWords");    // the server's own text, in the detail
        const FakeServer::Rules trust{}, secret{"secret", {}, {}};
        QTest::newRow("nothing listens") << FakeServer::Rules{} << QString() << QString() << db::ServerAnswer::Unreachable
                                         << "Le serveur 127.0.0.1:%1 est injoignable (adresse ou port sans serveur qui réponde)."
                                         << QString();
        QTest::newRow("trusted") << trust << QString() << QString() << db::ServerAnswer::Ready << QString() << QString();
        QTest::newRow("right password typed") << secret << "secret" << QString() << db::ServerAnswer::Ready << QString() << QString();
        QTest::newRow("right password remembered") << secret << QString() << "secret" << db::ServerAnswer::Ready << QString() << QString();
        QTest::newRow("no password") << secret << QString() << QString() << db::ServerAnswer::PasswordNeeded
                                     << "Le serveur 127.0.0.1:%1 demande un mot de passe pour l'utilisateur « compta »." << QString();
        QTest::newRow("wrong password typed")
            << secret << "Secret" << QString() << db::ServerAnswer::PasswordRefused
            << "Le serveur 127.0.0.1:%1 refuse le mot de passe de l'utilisateur « compta »."
            << "password authentication failed for user \"compta\"";
        QTest::newRow("wrong password remembered")
            << secret << QString() << "ancien" << db::ServerAnswer::PasswordRefused
            << "Le serveur 127.0.0.1:%1 refuse le mot de passe de l'utilisateur « compta »."
            << "password authentication failed for user \"compta\"";
        QTest::newRow("user refused") << FakeServer::Rules{{}, {}, "compta"} << "secret" << QString() << db::ServerAnswer::AccessRefused
                                      << "Le serveur 127.0.0.1:%1 refuse l'accès de l'utilisateur « compta » à la base « flotte »."
                                      << "no pg_hba.conf entry for host \"127.0.0.1\", user \"compta\", database \"flotte\"";
        QTest::newRow("database missing") << FakeServer::Rules{{}, "flotte", {}} << QString() << QString() << db::ServerAnswer::DatabaseMissing
                                          << "Le serveur 127.0.0.1:%1 n'a pas de base « flotte »."
                                          << "database \"flotte\" does not exist";
        QTest::newRow("database missing, after the password")
            << FakeServer::Rules{"secret", "flotte", {}} << "secret" << QString() << db::ServerAnswer::DatabaseMissing
            << "Le serveur 127.0.0.1:%1 n'a pas de base « flotte »." << "database \"flotte\" does not exist";
    }

    void connectionTestNamesWhatFailed()
    {
        QFETCH(FakeServer::Rules, rules);
        QFETCH(QString, password);
        QFETCH(QString, remembered);
        QFETCH(db::ServerAnswer, answer);
        QFETCH(QString, what);
        QFETCH(QString, serverWords);
        std::optional<FakeServer> server;
        if (answer != db::ServerAnswer::Unreachable)
            server.emplace(rules);
        const int port = server ? server->port() : closedPort();
        connexion::Choice c = serverChoice(port, password);
        c.server.passFile = folder().file(connexion::kPassFileName);
        if (!remembered.isEmpty()) {
            db::ServerSettings keep = c.server;
            keep.password = remembered;
            QVERIFY(connexion::rememberServerPassword(keep, nullptr));
        }

        const db::ServerReach reach = db::reachServer(c.server);
        QVERIFY2(reach.answer == answer, qPrintable(reach.message));
        QString message;
        QCOMPARE(db::testServerConnection(c.server, &message), answer == db::ServerAnswer::Ready);
        QCOMPARE(message, reach.message);
        if (answer == db::ServerAnswer::Ready) {
            QVERIFY(message.isEmpty());
            return;
        }
        const QStringList lines = message.split(QLatin1Char('\n'));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], what.arg(port));
        QVERIFY2(lines[1].startsWith(QStringLiteral("Détail : ")), qPrintable(message));
        if (!serverWords.isEmpty())
            QVERIFY2(lines[1].contains(serverWords), qPrintable(message));
        // The detail is the server's sentence, not libpq's verbose form (code, source location).
        QVERIFY2(!message.contains(QStringLiteral("LOCATION")) && !message.contains(QRegularExpression(QStringLiteral("\\b(28P01|28000|3D000):"))),
                 qPrintable(message));

        // The engine opens the year through the same connection, and says the same.
        db::Database year;
        try {
            year.openServer(c.server, db::exerciseSchema(2021), db::Database::Mode::ReadOnly);
            QFAIL("opened");
        } catch (const db::Error& e) {
            QCOMPARE(e.message(), message);
        }
        // The screen's "Tester la connexion" shows it whole (the password as typed there).
        if (!remembered.isEmpty())
            return;
        Connexion screen(s());
        screen.serverChoice()->setChecked(true);
        screen.hostField()->setText(c.server.host);
        screen.portField()->setValue(port);
        screen.databaseField()->setText(c.server.database);
        screen.userField()->setText(c.server.user);
        screen.passwordField()->setText(password);
        QVERIFY(!screen.testConnection());
        QCOMPARE(screen.testResult()->text(), message);
    }

    void testingTheServerInUseTakesThePasswordOfThisRun()
    {
        // The desk is on a server that wants a password, typed at start-up; the screen, opened from the
        // menu, shows no password, and its test still reaches the server in use.
        FakeServer server({"secret", {}, {}});
        connexion::Choice c = serverChoice(server.port());
        QVERIFY(connexion::writeChoice(choicePath(), c, nullptr));
        s().server = c.server;
        s().server->password = QStringLiteral("secret");
        Connexion screen(s());
        QCOMPARE(screen.passwordField()->text(), QString());
        QVERIFY2(screen.testConnection(), qPrintable(screen.testResult()->text()));
        QCOMPARE(server.passwords(), QList<QByteArray>{"secret"});
        // Another user is tried with what is typed for it: nothing.
        screen.userField()->setText(QStringLiteral("paie"));
        QVERIFY(!screen.testConnection());
        QVERIFY2(screen.testResult()->text().startsWith(
                     QStringLiteral("Le serveur 127.0.0.1:%1 demande un mot de passe pour l'utilisateur « paie ».").arg(server.port())),
                 qPrintable(screen.testResult()->text()));
        // A password typed is the one tried.
        screen.userField()->setText(c.server.user);
        screen.passwordField()->setText(QStringLiteral("autre"));
        QVERIFY(!screen.testConnection());
        QCOMPARE(server.passwords(), (QList<QByteArray>{"secret", "autre"}));
        QVERIFY(!folder().exists(connexion::kPassFileName)); // a test writes nothing
    }

    void everyFieldIsNamedByItsLabel()
    {
        Connexion screen(s());
        auto* form = screen.findChild<QFormLayout*>();
        QVERIFY(form);
        int named = 0;
        for (int row = 0; row < form->rowCount(); ++row) {
            auto* label = form->itemAt(row, QFormLayout::LabelRole) ? qobject_cast<QLabel*>(form->itemAt(row, QFormLayout::LabelRole)->widget()) : nullptr;
            QWidget* field = form->itemAt(row, QFormLayout::FieldRole) ? form->itemAt(row, QFormLayout::FieldRole)->widget() : nullptr;
            if (!label || !field || qobject_cast<QLabel*>(field))
                continue;
            QCOMPARE(field->accessibleName(), label->text());
            ++named;
        }
        QCOMPARE(named, 5);
        for (QAbstractButton* b : {static_cast<QAbstractButton*>(screen.localChoice()), static_cast<QAbstractButton*>(screen.serverChoice()),
                                   static_cast<QAbstractButton*>(screen.rememberBox())})
            QCOMPARE(b->accessibleName(), b->text());
    }

    void screenFitsEveryScreen()
    {
        connexion::writeChoice(choicePath(), serverChoice(5432), nullptr);
        for (QScreen* screen : testScreens()) {
            Connexion dialog(s());
            showOn(dialog, screen);
            QCOMPARE(outsideScreen(dialog), QStringList());
            saveShot(dialog, QStringLiteral("Connexion-%1").arg(screen->geometry().height()));
        }
        ServerPassword question(serverChoice(5432).server);
        showOn(question, testScreens().first());
        QCOMPARE(outsideScreen(question), QStringList());
        saveShot(question, QStringLiteral("ServerPassword"));
        const QString refusal = QStringLiteral("Le serveur 127.0.0.1:5432 refuse le mot de passe de l'utilisateur « compta ».\n"
                                               "Détail : connection to server at \"127.0.0.1\", port 5432 failed: FATAL:  password "
                                               "authentication failed for user \"compta\"");
        ServerPassword again(serverChoice(5432).server, refusal);
        showOn(again, testScreens().first());
        QVERIFY(again.refusalText()->isVisible());
        QCOMPARE(again.refusalText()->text(), refusal);
        QCOMPARE(outsideScreen(again), QStringList());
        saveShot(again, QStringLiteral("ServerPassword-refused"));
        QVERIFY(!question.refusalText()->isVisible());
    }

    // ---- start-up -----------------------------------------------------------------------------------

    void startUpOnAServerThatDoesNotAnswer_data()
    {
        QTest::addColumn<bool>("fallBackToFile");
        QTest::newRow("the user chooses the local file") << true;
        QTest::newRow("the user leaves") << false;
    }

    void startUpOnAServerThatDoesNotAnswer()
    {
        QFETCH(bool, fallBackToFile);
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(connexion::writeChoice(choicePath(), serverChoice(closedPort()), nullptr));
        int locks = 0;
        s().lockFolder = [&locks] {
            ++locks;
            return true;
        };
        if (fallBackToFile) {
            ui().answers = {true};
            ui().onScreen(QStringLiteral("Connexion"), chooseLocalFile());
        } else {
            // The screen offered and left: the server is tried again, and the user leaves.
            ui().answers = {true, false};
        }
        bool ended = false;
        int code = -1;
        try {
            Startup(s()).run();
        } catch (const ProgramEnd& end) {
            ended = true;
            code = end.code;
        }
        QList<ShownMessage> questions;
        for (const ShownMessage& m : ui().messages) {
            QVERIFY2(!m.text.contains(QStringLiteral("endommagée")), qPrintable(m.text));
            if (m.question)
                questions << m;
        }
        QCOMPARE(questions.size(), fallBackToFile ? 1 : 2);
        QVERIFY2(questions.first().text.startsWith(QStringLiteral("Le serveur 127.0.0.1:")), qPrintable(questions.first().text));
        QVERIFY(questions.first().text.contains(QStringLiteral("Ouvrir l'écran « Connexion »")));
        QCOMPARE(questions.first().title, QStringLiteral("Connexion"));
        QCOMPARE(ui().screens.count(QStringLiteral("Connexion")), 1);
        QCOMPARE(ui().screens.count(QStringLiteral("ServerPassword")), 0); // nothing answers: no password to ask
        if (fallBackToFile) {
            QVERIFY(!ended);
            QVERIFY(!s().server);
            QCOMPARE(s().exerciceOuvert, 2021);
            QVERIFY(s().isOpen());
            QCOMPARE(locks, 1); // back on the local files, the folder is locked
            QVERIFY(!connexion::readChoice(choicePath()).choice.onServer);
        } else {
            QVERIFY(ended);
            QCOMPARE(code, 0);
            QVERIFY(!s().isOpen());
            QCOMPARE(locks, 0);
            QVERIFY(!folder().exists("ZEB_2021.MDB")); // nothing made
            QVERIFY(connexion::readChoice(choicePath()).choice.onServer);
        }
    }

    void startUpAsksThePasswordOnlyWhenWanted_data()
    {
        QTest::addColumn<QByteArray>("serverPassword"); // empty: the server trusts the desk
        QTest::addColumn<QString>("remembered");        // in the password file
        QTest::addColumn<QStringList>("typed");         // at each question, in order; then the question is left
        QTest::addColumn<QList<bool>>("refusalShown");  // for each question
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("passwordKept");      // for this run
        QTest::newRow("trusted, nothing remembered") << QByteArray() << QString() << QStringList() << QList<bool>() << true << QString();
        QTest::newRow("wanted, nothing remembered")
            << QByteArray("secret") << QString() << QStringList{"secret"} << QList<bool>{false} << true << "secret";
        QTest::newRow("wanted, remembered") << QByteArray("secret") << "secret" << QStringList() << QList<bool>() << true << QString();
        QTest::newRow("remembered one refused")
            << QByteArray("secret") << "ancien" << QStringList{"secret"} << QList<bool>{true} << true << "secret";
        QTest::newRow("typed wrong, then right")
            << QByteArray("secret") << QString() << QStringList{"Secret", "secret"} << QList<bool>{false, true} << true << "secret";
        QTest::newRow("left at the first question")
            << QByteArray("secret") << QString() << QStringList() << QList<bool>{false} << false << QString();
        QTest::newRow("left after a refusal")
            << QByteArray("secret") << QString() << QStringList{"Secret"} << QList<bool>{false, true} << false << QString();
    }

    void startUpAsksThePasswordOnlyWhenWanted()
    {
        QFETCH(QByteArray, serverPassword);
        QFETCH(QString, remembered);
        QFETCH(QStringList, typed);
        QFETCH(QList<bool>, refusalShown);
        QFETCH(bool, connected);
        QFETCH(QString, passwordKept);
        FakeServer server({serverPassword, {}, {}});
        s().server.reset(); // a desk starting
        connexion::Choice c = serverChoice(server.port());
        c.server.passFile = folder().file(connexion::kPassFileName);
        if (!remembered.isEmpty()) {
            db::ServerSettings keep = c.server;
            keep.password = remembered;
            QVERIFY(connexion::rememberServerPassword(keep, nullptr));
        }
        QVERIFY(connexion::writeChoice(choicePath(), c, nullptr));
        auto passFile = [this] {
            QFile f(folder().file(connexion::kPassFileName));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
        };
        const QByteArray passFileBefore = passFile();
        int locks = 0;
        s().lockFolder = [&locks] {
            ++locks;
            return true;
        };
        QList<bool> shown;
        QStringList refusals;
        for (const QString& password : typed)
            ui().onScreen(QStringLiteral("ServerPassword"), [&shown, &refusals, password](QDialog& d) {
                auto& question = static_cast<ServerPassword&>(d);
                shown << !question.refusalText()->text().isEmpty();
                refusals << question.refusalText()->text();
                question.passwordField()->setText(password);
                return int(QDialog::Accepted);
            });
        bool ended = false;
        int code = -1;
        try {
            connexion::chooseEngine(s());
        } catch (const ProgramEnd& end) {
            ended = true;
            code = end.code;
        }
        // The questions shown, and on each the refusal of the password given before it.
        QCOMPARE(ui().screens.count(QStringLiteral("ServerPassword")), refusalShown.size());
        QCOMPARE(ui().screens.size(), refusalShown.size());
        for (int i = 0; i < shown.size(); ++i) {
            QCOMPARE(shown[i], refusalShown[i]);
            if (shown[i])
                QCOMPARE(refusals[i].section(QLatin1Char('\n'), 0, 0),
                         QStringLiteral("Le serveur 127.0.0.1:%1 refuse le mot de passe de l'utilisateur « compta ».").arg(server.port()));
        }
        QCOMPARE(ui().messages.size(), 0); // no question about the server's reach
        QCOMPARE(ended, !connected);
        QCOMPARE(locks, 0);
        if (connected) {
            QVERIFY(s().server);
            QCOMPARE(s().server->port, server.port());
            QCOMPARE(s().server->password, passwordKept);
        } else {
            QCOMPARE(code, 0);
            QVERIFY(!s().server);
            QVERIFY(!s().isOpen());
        }
        // What reached the server: the remembered password, then each one typed.
        QList<QByteArray> sent;
        if (!remembered.isEmpty())
            sent << remembered.toUtf8();
        for (const QString& p : typed)
            sent << p.toUtf8();
        QCOMPARE(server.connections(), 1 + typed.size()); // tried first, then once for each password typed
        QCOMPARE(server.passwords(), sent);
        // Nothing written: the choice file has no password, the password file is as it was.
        QVERIFY(!folder().read(connexion::kChoiceFileName).contains("secret"));
        QCOMPARE(passFile(), passFileBefore);
    }

    void leavingAtThePasswordQuestionEndsCleanly()
    {
        FakeServer server({"secret", {}, {}});
        QVERIFY(connexion::writeChoice(choicePath(), serverChoice(server.port()), nullptr));
        folder().write(".INI", stateBytes(2021, 0));
        QVERIFY(!start()); // ServerPassword not scripted: cancelled
        QCOMPARE(ui().screens, QStringList{"ServerPassword"});
        QCOMPARE(ui().messages.size(), 0);
        QVERIFY(!folder().exists("ZEB_2021.MDB"));
    }

    void damagedChoiceIsReportedAndTheLocalFileOpens()
    {
        folder().write(".INI", stateBytes(2021, 0));
        folder().write(connexion::kChoiceFileName, "moteur=oracle\n");
        int locks = 0;
        s().lockFolder = [&locks] {
            ++locks;
            return true;
        };
        QVERIFY(start());
        QCOMPARE(ui().messages.size(), 1);
        QVERIFY(ui().messages.first().text.contains(QStringLiteral("moteur « oracle » inconnu")));
        QCOMPARE(ui().messages.first().icon, ui::Icon::Exclamation);
        QVERIFY(!s().server);
        QCOMPARE(locks, 1);
        QCOMPARE(s().exerciceOuvert, 2021);
    }

    void folderHeldByAnotherProgramEndsTheStart()
    {
        folder().write(".INI", stateBytes(2021, 0));
        s().lockFolder = [] { return false; };
        QVERIFY(!start());
        QVERIFY(!s().isOpen());
    }

    void firstExerciseDialogOffersTheConnection()
    {
        // A new desk joins the firm's server from the first-exercise dialog: the start-up goes there at
        // once (here the server does not answer and the user leaves).
        ui().onScreen(QStringLiteral("Form12"), [](QDialog& d) {
            auto& form = static_cast<Form12&>(d);
            form.connectionButton()->click();
            return form.result();
        });
        ui().onScreen(QStringLiteral("Connexion"), typeServer(serverChoice(closedPort(), QStringLiteral("pw")), false));
        ui().answers = {false};
        QVERIFY(!start());
        QCOMPARE(ui().screens, (QStringList{"Form12", "Connexion"}));
        QVERIFY(ui().last().question);
        QVERIFY(ui().last().text.startsWith(QStringLiteral("Le serveur 127.0.0.1:")));
        QVERIFY(connexion::readChoice(choicePath()).choice.onServer);
        QCOMPARE(QFileInfo(folder().file(".INI")).size(), 0); // no first exercise written
    }

    void firstExerciseDialogStaysOnTheLocalFile()
    {
        ui().onScreen(QStringLiteral("Form12"), [](QDialog& d) {
            auto& form = static_cast<Form12&>(d);
            form.connectionButton()->click();
            if (form.result() != 0)
                return form.result();
            form.yearField()->setText(QStringLiteral("2024"));
            form.okButton()->click();
            return form.result();
        });
        ui().onScreen(QStringLiteral("Connexion"), chooseLocalFile());
        QVERIFY(start());
        QCOMPARE(s().exerciceOuvert, 2024);
        QVERIFY(!s().server);
    }

    void exitOnAServerMakesNoLocalCopy()
    {
        // A desk on a server has no year file: the exit neither copies one nor calls the year damaged.
        s().server = serverChoice(closedPort()).server;
        s().premierExercice = s().exerciceOuvert = 2021;
        ExitSequence().run(s());
        QCOMPARE(ui().messages.size(), 0);
        QVERIFY(!folder().exists("Archives/ZEB_2021.mdb"));
    }

    // ---- the exercise state on the server -------------------------------------------------------------

    void exerciseStateRowRoundTrips_data()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }

    void exerciseStateRowRoundTrips()
    {
        QFETCH(bool, server);
        const std::optional<db::ServerSettings> testDb = testServer();
        if (server && !testDb)
            QSKIP("KAVOREL_TEST_SERVER is not set: the server's table is not tested");
        const QString schema = testSchema(QStringLiteral("etat"));
        db::Database d;
        if (server) {
            db::Database::dropServerSchema(*testDb, schema);
            d.openServer(*testDb, schema, db::Database::Mode::Create);
        } else {
            d.open(folder().file("etat.db"), db::Database::Mode::Create);
        }
        QCOMPARE(serverstate::read(d).firstYear, qint16(0)); // no table yet: no first exercise
        serverstate::write(d, {2021, 0});
        serverstate::write(d, {2021, 3});
        const ExerciseState state = serverstate::read(d);
        QCOMPARE(state.firstYear, qint16(2021));
        QCOMPARE(state.closings, qint16(3));
        QCOMPARE(d.scalar(QStringLiteral("SELECT count(*) FROM etat_exercices")).toInt(), 1);
        // A second row cannot be made beside the one.
        QVERIFY_THROWS_EXCEPTION(db::Error, d.execute(QStringLiteral("INSERT INTO etat_exercices VALUES (2, 1, 1)")));
        if (server) {
            d.close();
            db::Database::dropServerSchema(*testDb, schema);
        }
    }

    void startUpReachesTheServer()
    {
        const std::optional<db::ServerSettings> testDb = testServer();
        if (!testDb)
            QSKIP("KAVOREL_TEST_SERVER is not set: the start-up is not tried on a server");
        connexion::Choice choice;
        choice.onServer = true;
        choice.server = *testDb;
        QVERIFY(connexion::writeChoice(choicePath(), choice, nullptr));
        int locks = 0;
        s().lockFolder = [&locks] {
            ++locks;
            return true;
        };
        // The test server trusts its role: no password is asked.
        connexion::chooseEngine(s());
        QVERIFY(s().server);
        QCOMPARE(s().server->database, testDb->database);
        QCOMPARE(ui().screens, QStringList());
        QCOMPARE(locks, 0); // a desk on a server does not lock its folder
    }
};

KV_SCREEN_TEST_MAIN(ConnexionTest)
#include "tst_connexion.moc"
