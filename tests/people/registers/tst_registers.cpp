// The registers of agents, drivers and clients, and the person store beneath them.
#include "harness/FixtureTest.h"
#include "harness/Seed.h"

#include "core/schema/Schema.h"
#include "core/startup/Startup.h"
#include "people/registers/J_Chauff.h"
#include "people/registers/J_clients.h"
#include "people/registers/PersonStore.h"
#include "people/registers/j_AGENT.h"
#include "core/kit/ScreenKit.h"
#include "harness/ScreenFit.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace kv;
using namespace kv::test;
using namespace kv::people;
using ui::Icon;

namespace {

ShownMessage m(const QString& text, Icon icon, const QString& title) { return {text, icon, title, false}; }

const ShownMessage kIncomplete = m(QStringLiteral("Saisie incomplète"), Icon::Critical, QStringLiteral("ATTENTION"));
const ShownMessage kExists = m(QStringLiteral("Cet agent existe déjà"), Icon::Critical, QStringLiteral("ATTENTION"));
const ShownMessage kRefused = m(QStringLiteral("Cet Agent ne peut être supprimé"), Icon::Critical, QStringLiteral("ATTENTION"));
const ShownMessage kNobody = m(QStringLiteral("Aucun agent selon ces critères"), Icon::Critical, QStringLiteral("ATTENTION"));

std::unique_ptr<PersonRegister> makeRegister(Session& s, int kind)
{
    switch (kind) {
    case schema::person::Chauffeur: return std::make_unique<J_Chauff>(s);
    case schema::person::Client: return std::make_unique<J_clients>(s);
    default: return std::make_unique<j_AGENT>(s);
    }
}

template <typename W = QLineEdit> W* w(QWidget& screen, const QString& name)
{
    W* found = screen.findChild<W*>(name);
    if (!found)
        qFatal("no widget %s", qPrintable(name));
    return found;
}

void click(QWidget& screen, const QString& name)
{
    if (auto* b = screen.findChild<QAbstractButton*>(name))
        b->click();
    else
        qFatal("no command %s", qPrintable(name));
}

/// Column texts of the list.
QStringList column(const PersonRegister& r, int c)
{
    QStringList out;
    for (int i = 0; i < r.model()->rowCount(); ++i)
        out << r.model()->index(i, c).data().toString();
    return out;
}

/// Types each character as a key of its own (accented letters included).
void typeText(QWidget* field, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &release);
    }
}

void showActive(QDialog& d)
{
    d.show();
    d.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&d));
}

/// Saves a picture of a screen under /tmp/registers-shots when KV_SHOTS is set.
void shoot(QWidget& w, const QString& name)
{
    if (qEnvironmentVariableIsEmpty("KV_SHOTS"))
        return;
    const QString dir = QStringLiteral("/tmp/registers-shots");
    QDir().mkpath(dir);
    w.show();
    w.adjustSize();
    QCoreApplication::processEvents();
    w.grab().save(dir + u'/' + name + QStringLiteral(".png"));
}

} // namespace

class RegistersTest : public FixtureTest {
    Q_OBJECT


    qint64 add(qint64 num, int kind, const QString& nom, const QString& prenom, int salarie = 0, int arch = 0)
    {
        return seed::person(db(), {.num = num, .kind = kind, .nom = nom, .prenom = prenom, .archived = arch != 0,
                                   .more = {{"Salarie", salarie}}});
    }
    int persons() { return db().scalar(QStringLiteral("SELECT count(*) FROM Agents")).toInt(); }
    db::Row person(qint64 num) { return db().queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = ?"), {num}); }

private slots:
    void init()
    {
        f_ = std::make_unique<CoreFixture>();
        f_->openExercise();
        QVERIFY(s().isOpen());
        ui().clear();
    }
    void cleanup() { f_.reset(); }

    // ---- opening -----------------------------------------------------------------------------------

    void emptyRegisterOpensOnNewPerson_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("title");
        QTest::newRow("agents") << 0 << "j_AGENT" << "NOUVEL   AGENT";
        QTest::newRow("drivers") << 1 << "J_Chauff" << "NOUVEAU CHAUFFEUR";
        QTest::newRow("clients") << 2 << "J_clients" << "NOUVEAU CLIENT";
    }
    void emptyRegisterOpensOnNewPerson()
    {
        QFETCH(int, kind);
        QFETCH(QString, screen);
        QFETCH(QString, title);
        // Persons of the other kinds, and an archived one of this kind, do not count.
        add(1, (kind + 1) % 3, "AUTRE", "Un");
        add(2, kind, "ARCHIVE", "Deux", 0, 1);
        auto r = makeRegister(s(), kind);
        QCOMPARE(r->objectName(), screen);
        QCOMPARE(r->model()->rowCount(), 0);
        QVERIFY(!r->entryPanel()->isHidden());
        QVERIFY(!r->listPanel()->isEnabled());
        QVERIFY(r->isNewPerson());
        QCOMPARE(w<QLabel>(*r, "entryTitle")->text(), title);
        shoot(*r, screen + QStringLiteral("_new"));

        // The list commands do nothing while the list is empty.
        r->modifier();
        r->supprimer();
        r->zoom();
        r->imprimer();
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(ui().screens.isEmpty());
        QVERIFY(ui().reports.isEmpty());
        QCOMPARE(persons(), 2);
    }

    void listShowsTheKindsColumns_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<QStringList>("secondRow");
        QTest::newRow("agents") << 0
                                << QStringList{"N°", "Nom", "Prénom", "Fonction", "Téléphone", "Entré le", "Salarié", "Archivé"}
                                << QStringList{"2", "BENALI", "omar", "Comptable", "0550", "05/03/2020", " OUI ", " "};
        QTest::newRow("drivers") << 1 << QStringList{"N°", "Nom", "Prénom", "Téléphone", "Entré le", "Salarié", "Archivé"}
                                 << QStringList{"2", "BENALI", "omar", "0550", "05/03/2020", " OUI ", " "};
        QTest::newRow("clients") << 2 << QStringList{"N°", "Nom", "Prénom", "Téléphone", "Localité", "Archivé"}
                                 << QStringList{"2", "BENALI", "omar", "0550", "Oran", " "};
    }
    void listShowsTheKindsColumns()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, captions);
        QFETCH(QStringList, secondRow);
        add(7, kind, "ZIANI", "Ali");
        seed::person(db(), {.num = 3, .kind = kind, .nom = "BENALI", .prenom = "omar", .fonction = "Comptable", .tel = "0550",
                            .ville = "Oran", .salarie = true, .dEntree = "2020-03-05"});
        add(4, kind, "AMRANI", "Zoubir");
        add(5, kind, "BENALI", "Aziz", 0, 1); // archived: hidden at opening
        auto r = makeRegister(s(), kind);
        QVERIFY(r->entryPanel()->isHidden());
        QCOMPARE(r->model()->columnCount(), captions.size());
        for (int c = 0; c < captions.size(); ++c)
            QCOMPARE(r->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        QCOMPARE(r->rowNumbers(), (QList<qint64>{4, 3, 7}));
        QStringList row;
        for (int c = 0; c < captions.size(); ++c)
            row << r->model()->index(1, c).data().toString();
        QCOMPARE(row, secondRow);
        QCOMPARE(r->selectedRow(), 0);
        // A missing date leaves its cell empty.
        if (captions.contains("Entré le"))
            QCOMPARE(r->model()->index(0, captions.indexOf("Entré le")).data().toString(), QString());
        shoot(*r, r->objectName() + QStringLiteral("_list"));
    }

    // ---- creating --------------------------------------------------------------------------------------

    void createAPerson_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("fonction");
        QTest::newRow("agent") << 0 << "Comptable";
        QTest::newRow("driver") << 1 << "Chauffeur";
        QTest::newRow("client") << 2 << "Commerçant";
    }
    void createAPerson()
    {
        QFETCH(int, kind);
        QFETCH(QString, fonction);
        add(1, kind, "ZIANI", "Ali");
        add(2, kind, "MANSOURI", "Rachid");
        auto r = makeRegister(s(), kind);
        QCOMPARE(column(*r, 1), (QStringList{"MANSOURI", "ZIANI"}));
        r->nouveau();
        QVERIFY(!r->listPanel()->isEnabled());
        w(*r, "nom")->setText("  AMRANI ");
        w(*r, "prenom")->setText(" Karim");
        if (kind != schema::person::Chauffeur)
            w(*r, "fonction")->setText(" " + fonction);
        else
            w(*r, "fonction")->setText("ignored");
        w(*r, "tel")->setText("0661 22 33 44 ");
        w(*r, "ville")->setText(" Oran");
        if (kind != schema::person::Agent) {
            w<QCheckBox>(*r, "permis")->setChecked(true);
            w(*r, "num_permis")->setText("P123");
            w(*r, "date_permis")->setText("01/02/2010");
            w(*r, "ville_permis")->setText("Alger");
        }
        if (kind == schema::person::Client) {
            w(*r, "num_cni")->setText("C55");
            w(*r, "date_cni")->setText("03/04/2015");
            w(*r, "ville_cni")->setText("Blida");
        }
        click(*r, "valider");
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(r->entryPanel()->isHidden());
        QVERIFY(r->listPanel()->isEnabled());
        QVERIFY(!r->isNewPerson());

        // Appended at the end, although the name sorts first.
        QCOMPARE(column(*r, 1), (QStringList{"MANSOURI", "ZIANI", "AMRANI"}));
        QCOMPARE(column(*r, 0), (QStringList{"1", "2", "3"}));
        QCOMPARE(r->rowNumbers(), (QList<qint64>{2, 1, 3}));
        QCOMPARE(r->selectedRow(), 2);

        const db::Row p = person(3);
        QCOMPARE(p.integer("Type_Ag"), qint64(kind));
        QCOMPARE(p.text("nom"), QString("AMRANI"));
        QCOMPARE(p.text("Prenom"), QString("Karim"));
        QCOMPARE(p.text("Fonction"), fonction);
        QCOMPARE(p.text("tel"), QString("0661 22 33 44"));
        QCOMPARE(p.text("ville"), QString("Oran"));
        QVERIFY(!p.flag("Arch"));
        QVERIFY(!p.flag("Salarie"));
        if (kind != schema::person::Agent) {
            QVERIFY(p.flag("flag_permis"));
            QCOMPARE(p.text("Num_Permis"), QString("P123"));
            QCOMPARE(p.text("Date_Permis"), QString("2010-02-01"));
            QCOMPARE(p.text("Ville_Permis"), QString("Alger"));
        } else {
            QVERIFY(p.isNull("Num_Permis"));
        }
        if (kind == schema::person::Client) {
            QCOMPARE(p.text("Num_CNI"), QString("C55"));
            QCOMPARE(p.text("Date_CNI"), QString("2015-04-03"));
            QCOMPARE(p.text("Ville_CNI"), QString("Blida"));
        }

        // Reopening the screen sorts by name again.
        auto again = makeRegister(s(), kind);
        QCOMPARE(column(*again, 1), (QStringList{"AMRANI", "MANSOURI", "ZIANI"}));
    }

    void salariedAgentsAndDrivers()
    {
        auto r = makeRegister(s(), schema::person::Chauffeur);
        w(*r, "nom")->setText("HADDAD");
        w(*r, "prenom")->setText("Nabil");
        w<QCheckBox>(*r, "salarie")->setChecked(true);
        w(*r, "d_entree")->setText("15/06/2019");
        w(*r, "ss")->setText("SS-77");
        w(*r, "taux_jour")->setText("1250.5");
        w<QRadioButton>(*r, "archOui")->setChecked(true);
        click(*r, "valider");
        QVERIFY(ui().messages.isEmpty());
        const db::Row p = person(1);
        QVERIFY(p.flag("Salarie"));
        QCOMPARE(p.text("d_entree"), QString("2019-06-15"));
        QCOMPARE(p.text("SS"), QString("SS-77"));
        QCOMPARE(p.number("Taux_Jour"), 1250.5);
        QVERIFY(p.flag("Arch"));
        QCOMPARE(p.text("Fonction"), QString("Chauffeur"));
        // The list row is read back from the stored row.
        QCOMPARE(r->model()->index(0, 4).data().toString(), QString("15/06/2019"));
        QCOMPARE(r->model()->index(0, 5).data().toString(), QString(" OUI "));
        QCOMPARE(r->model()->index(0, 6).data().toString(), QString(" OUI "));

        // "Modifier" shows the stored values, the rate with two decimals.
        r->modifier();
        QCOMPARE(w<QLabel>(*r, "entryTitle")->text(), QString("MODIFICATION"));
        QVERIFY(!r->isNewPerson());
        QCOMPARE(w(*r, "taux_jour")->text(), QString("1250.50"));
        QCOMPARE(w(*r, "d_entree")->text(), QString("15/06/2019"));
        QVERIFY(w<QCheckBox>(*r, "salarie")->isChecked());
        QVERIFY(w<QRadioButton>(*r, "archOui")->isChecked());
        QVERIFY(!w<QWidget>(*r, "salaryBlock")->isHidden());
        QVERIFY(w<QWidget>(*r, "permisBlock")->isHidden());
        shoot(*r, "J_Chauff_modification");
    }

    void blocksFollowTheirCheckBoxes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("salaried");
        QTest::addColumn<bool>("licence");
        QTest::addColumn<bool>("identity");
        QTest::newRow("agents") << 0 << true << false << false;
        QTest::newRow("drivers") << 1 << true << true << false;
        QTest::newRow("clients") << 2 << false << true << true;
    }
    void blocksFollowTheirCheckBoxes()
    {
        QFETCH(int, kind);
        QFETCH(bool, salaried);
        QFETCH(bool, licence);
        QFETCH(bool, identity);
        auto r = makeRegister(s(), kind);
        showActive(*r);
        auto* salarie = w<QCheckBox>(*r, "salarie");
        auto* permis = w<QCheckBox>(*r, "permis");
        QCOMPARE(salarie->isVisible(), salaried);
        QCOMPARE(permis->isVisible(), licence);
        QCOMPARE(w<QWidget>(*r, "cniBlock")->isVisible(), identity);
        QCOMPARE(w<QLineEdit>(*r, "fonction")->isVisible(), kind != schema::person::Chauffeur);
        QVERIFY(!w<QWidget>(*r, "salaryBlock")->isVisible());
        QVERIFY(!w<QWidget>(*r, "permisBlock")->isVisible());
        QVERIFY(w<QRadioButton>(*r, "archNon")->isChecked());
        salarie->setChecked(true);
        permis->setChecked(true);
        QCOMPARE(w<QWidget>(*r, "salaryBlock")->isVisible(), salaried);
        QCOMPARE(w<QWidget>(*r, "permisBlock")->isVisible(), licence);
        shoot(*r, r->objectName() + QStringLiteral("_blocks"));
        salarie->setChecked(false);
        permis->setChecked(false);
        QVERIFY(!w<QWidget>(*r, "salaryBlock")->isVisible());
        QVERIFY(!w<QWidget>(*r, "permisBlock")->isVisible());
    }

    // ---- required fields and the duplicate check ---------------------------------------------------------

    void requiredFields_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("typed"); // field=value
        QTest::addColumn<bool>("salaried");
        QTest::addColumn<bool>("accepted");
        const QStringList names{"nom=SAADI", "prenom=Amine"};
        QTest::newRow("nom blank") << 0 << QStringList{"nom=  ", "prenom=Amine", "fonction=Gardien"} << false << false;
        QTest::newRow("prenom blank") << 2 << QStringList{"nom=SAADI"} << false << false;
        QTest::newRow("agent without fonction") << 0 << names << false << false;
        QTest::newRow("agent") << 0 << (names + QStringList{"fonction=Gardien"}) << false << true;
        QTest::newRow("salaried agent without ville") << 0 << (names + QStringList{"fonction=Gardien", "ss=12"}) << true << false;
        QTest::newRow("salaried agent without SS") << 0 << (names + QStringList{"fonction=Gardien", "ville=Oran"}) << true << false;
        QTest::newRow("salaried agent") << 0 << (names + QStringList{"fonction=Gardien", "ville=Oran", "ss=12"}) << true << true;
        QTest::newRow("driver") << 1 << names << false << true;
        QTest::newRow("salaried driver without date") << 1 << (names + QStringList{"taux_jour=900"}) << true << false;
        QTest::newRow("salaried driver without rate") << 1 << (names + QStringList{"d_entree=01/01/2020"}) << true << false;
        QTest::newRow("salaried driver") << 1 << (names + QStringList{"d_entree=01/01/2020", "taux_jour=900"}) << true << true;
        QTest::newRow("client without fonction") << 2 << names << false << true;
    }
    void requiredFields()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, typed);
        QFETCH(bool, salaried);
        QFETCH(bool, accepted);
        auto r = makeRegister(s(), kind);
        if (salaried)
            w<QCheckBox>(*r, "salarie")->setChecked(true);
        for (const QString& t : typed)
            w(*r, t.section('=', 0, 0))->setText(t.section('=', 1));
        click(*r, "valider");
        if (accepted) {
            QVERIFY(ui().messages.isEmpty());
            QCOMPARE(persons(), 1);
            QVERIFY(r->entryPanel()->isHidden());
        } else {
            QCOMPARE(ui().messages, (QList<ShownMessage>{kIncomplete}));
            QCOMPARE(persons(), 0);
            QVERIFY(!r->entryPanel()->isHidden());
            QVERIFY(r->isNewPerson());
        }
    }

    void duplicateCheck_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("nom");
        QTest::addColumn<QString>("prenom");
        QTest::addColumn<bool>("refused");
        QTest::newRow("client named like a driver") << 2 << "HADDAD" << "Nabil" << true;
        QTest::newRow("names swapped") << 0 << "Nabil" << "HADDAD" << true;
        QTest::newRow("letter case and blanks") << 1 << " haddad " << "NABIL " << true;
        QTest::newRow("accented letters, case ignored") << 2 << "ÉCRIVAIN" << "élise" << true;
        QTest::newRow("quote in the name") << 2 << "O'BRIEN" << "Anne" << true;
        QTest::newRow("begins like") << 2 << "HADDA" << "Nabil" << false;
        QTest::newRow("wildcards are plain") << 2 << "HADDA%" << "Nabil" << false;
        QTest::newRow("same surname only") << 1 << "HADDAD" << "Karim" << false;
        QTest::newRow("accent differs") << 2 << "ECRIVAIN" << "élise" << false;
    }
    void duplicateCheck()
    {
        QFETCH(int, kind);
        QFETCH(QString, nom);
        QFETCH(QString, prenom);
        QFETCH(bool, refused);
        add(1, schema::person::Chauffeur, "HADDAD", "Nabil");
        add(2, schema::person::Agent, "Écrivain", "Élise", 0, 1);
        add(3, schema::person::Client, "O'Brien", "Anne");
        QCOMPARE(duplicateExists(db(), nom, prenom), refused);

        auto r = makeRegister(s(), kind);
        r->nouveau();
        w(*r, "nom")->setText(nom);
        w(*r, "prenom")->setText(prenom);
        w(*r, "fonction")->setText("Gérant");
        const int before = r->model()->rowCount();
        click(*r, "valider");
        if (refused) {
            QCOMPARE(ui().messages, (QList<ShownMessage>{kExists}));
            QCOMPARE(persons(), 3);
            QVERIFY(!r->entryPanel()->isHidden());
            QCOMPARE(r->model()->rowCount(), before);
        } else {
            QVERIFY(ui().messages.isEmpty());
            QCOMPARE(persons(), 4);
        }
    }

    // ---- modifying ---------------------------------------------------------------------------------------

    void modifyingKeepsStoredValues_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("agent") << 0;
        QTest::newRow("driver") << 1;
        QTest::newRow("client") << 2;
    }
    void modifyingKeepsStoredValues()
    {
        QFETCH(int, kind);
        seed::person(db(), {.num = 5, .kind = kind, .nom = "KACI", .prenom = "Samir", .fonction = "Chef", .tel = "021",
                            .ville = "Alger", .salarie = true, .dEntree = "2018-01-02", .ss = "S1", .tauxJour = 800, .permis = true,
                            .numPermis = "P1", .datePermis = "2005-06-07", .villePermis = "Tizi", .numCni = "C1",
                            .dateCni = "2011-12-13", .villeCni = "Bejaia"});
        add(6, kind, "LAMRI", "Yacine");
        add(7, (kind + 1) % 3, "OTHER", "Person");
        auto r = makeRegister(s(), kind);
        r->selectRow(1);
        r->modifier();
        QCOMPARE(w(*r, "nom")->text(), QString("LAMRI"));
        r->cancelEntry();
        r->selectRow(0);
        r->modifier();
        QCOMPARE(w(*r, "ville")->text(), QString("Alger"));
        // Renamed like another person: modifications are not checked for duplicates.
        w(*r, "nom")->setText("OTHER");
        w(*r, "prenom")->setText("Person");
        w(*r, "tel")->setText("  ");
        w(*r, "ville")->setText("");
        w(*r, "d_entree")->setText("01/02/20");
        w(*r, "ss")->setText(" ");
        w(*r, "taux_jour")->setText("");
        w(*r, "num_permis")->setText("");
        w(*r, "date_permis")->setText("");
        w(*r, "ville_permis")->setText("");
        w(*r, "num_cni")->setText("");
        w(*r, "date_cni")->setText("13/12");
        w(*r, "ville_cni")->setText("");
        if (kind == schema::person::Agent) // agents need a town and a CNAS number while salaried
            w<QCheckBox>(*r, "salarie")->setChecked(false);
        if (kind == schema::person::Chauffeur)
            w<QCheckBox>(*r, "salarie")->setChecked(false);
        click(*r, "valider");
        QVERIFY(ui().messages.isEmpty());
        QCOMPARE(persons(), 3);
        const db::Row p = person(5);
        QCOMPARE(p.text("nom"), QString("OTHER"));
        QCOMPARE(p.text("tel"), QString(""));
        QCOMPARE(p.text("ville"), QString(""));
        QCOMPARE(p.text("Fonction"), QString("Chef"));
        QCOMPARE(p.text("d_entree"), QString("2018-01-02"));
        QCOMPARE(p.text("SS"), QString("S1"));
        QCOMPARE(p.number("Taux_Jour"), 800.0);
        QCOMPARE(p.text("Num_Permis"), QString("P1"));
        QCOMPARE(p.text("Date_Permis"), QString("2005-06-07"));
        QCOMPARE(p.text("Ville_Permis"), QString("Tizi"));
        QCOMPARE(p.text("Num_CNI"), QString("C1"));
        QCOMPARE(p.text("Date_CNI"), QString("2011-12-13"));
        QCOMPARE(p.text("Ville_CNI"), QString("Bejaia"));
        QCOMPARE(p.integer("Type_Ag"), qint64(kind));
        // The row is rewritten in place and keeps its N°.
        QCOMPARE(column(*r, 1), (QStringList{"OTHER", "LAMRI"}));
        QCOMPARE(column(*r, 0), (QStringList{"1", "2"}));
        QCOMPARE(r->rowNumbers(), (QList<qint64>{5, 6}));
    }

    void storeRulesOnTheirOwn()
    {
        // A person deleted meanwhile is not re-created by a modification.
        PersonEntry e;
        e.nom = "GONE";
        e.prenom = "Away";
        QVERIFY(!updatePerson(db(), PersonKind::clients(), 42, e));
        QCOMPARE(persons(), 0);
        QVERIFY(!readPerson(db(), 42));
        // A date of ten characters that is no date is not written either.
        e.dEntree = "31/02/2020";
        e.salarie = true;
        const qint64 num = addPerson(db(), PersonKind::drivers(), e);
        QVERIFY(person(num).isNull("d_entree"));
        QCOMPARE(readPerson(db(), num)->dEntree, QString());
        QCOMPARE(PersonKind::of(schema::person::Client).screen, QString("J_clients"));
    }

    void cancellingChangesNothing()
    {
        add(1, schema::person::Client, "KACI", "Samir");
        auto r = makeRegister(s(), schema::person::Client);
        r->modifier();
        w(*r, "nom")->setText("CHANGED");
        click(*r, "annuler");
        QVERIFY(r->entryPanel()->isHidden());
        QVERIFY(r->listPanel()->isEnabled());
        QCOMPARE(person(1).text("nom"), QString("KACI"));
        r->nouveau();
        w(*r, "nom")->setText("NEW");
        w(*r, "prenom")->setText("One");
        click(*r, "annuler");
        QVERIFY(!r->isNewPerson());
        QCOMPARE(persons(), 1);
    }

    void escapeClosesThePanelBeforeTheRegister()
    {
        add(1, schema::person::Client, "KACI", "Samir");
        auto r = makeRegister(s(), schema::person::Client);
        r->show();
        for (void (PersonRegister::*open)() : {&PersonRegister::nouveau, &PersonRegister::modifier, &PersonRegister::filtre}) {
            (r.get()->*open)();
            QVERIFY(r->sidePanel()->isOpen());
            QWidget* focus = r->sidePanel()->panel()->findChild<QLineEdit*>();
            QTest::keyClick(focus ? focus : r->sidePanel()->panel(), Qt::Key_Escape);
            QVERIFY(!r->sidePanel()->isOpen());
            QVERIFY(r->isVisible());
            QVERIFY(r->listPanel()->isEnabled());
        }
        QCOMPARE(persons(), 1);
        QTest::keyClick(r->grid(), Qt::Key_Escape);
        QVERIFY(!r->isVisible());
    }

    // ---- numbering ---------------------------------------------------------------------------------------

    void newPersonNumberedAboveReferences_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("agents only") << QString() << qint64(9);
        QTest::newRow("rental of a deleted client") << "INSERT INTO Locations (num, Num_Client) VALUES (1, 40)" << qint64(41);
        QTest::newRow("assignment of a deleted driver") << "INSERT INTO Affectations (num, num_Chauffeur) VALUES (1, 30)"
                                                        << qint64(31);
        QTest::newRow("pay of a deleted agent") << "INSERT INTO Salaires (num, num_agent) VALUES (1, 25)" << qint64(26);
        QTest::newRow("expense line") << "INSERT INTO Depenses (num, Num_Agent) VALUES (1, 20)" << qint64(21);
        QTest::newRow("receipt line") << "INSERT INTO Recettes (num, Num_Agent) VALUES (1, 12)" << qint64(13);
        QTest::newRow("lower references") << "INSERT INTO Recettes (num, Num_Agent) VALUES (1, -1)" << qint64(9);
    }
    void newPersonNumberedAboveReferences()
    {
        QFETCH(QString, insert);
        QFETCH(qint64, expected);
        add(8, schema::person::Agent, "A", "B");
        if (!insert.isEmpty())
            db().execute(insert);
        QCOMPARE(nextPersonNumber(db()), expected);
        auto r = makeRegister(s(), schema::person::Client);
        w(*r, "nom")->setText("NOUVEAU");
        w(*r, "prenom")->setText("Client");
        click(*r, "valider");
        QCOMPARE(r->rowNumbers(), QList<qint64>{expected});
        QCOMPARE(person(expected).integer("Type_Ag"), qint64(schema::person::Client));
    }

    // ---- deleting ----------------------------------------------------------------------------------------

    void deleteRefusedWithLedgerLines_data()
    {
        QTest::addColumn<QString>("insert");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("question"); // when not refused
        const QString plain = QStringLiteral("Confirmer supression de ligne N° 1");
        QTest::newRow("receipt") << "INSERT INTO Recettes (num, Num_Agent, contrepartie) VALUES (1, 2, 1)" << true << QString();
        QTest::newRow("expense") << "INSERT INTO Depenses (num, Num_Agent, contrepartie) VALUES (1, 2, 0)" << true << QString();
        QTest::newRow("salary advance") << "INSERT INTO Depenses (num, Num_Agent, contrepartie, Type_Dep) VALUES (1, 2, 1, 10)"
                                        << true << QString();
        // A rental does not stop the deletion; the question says it stays.
        QTest::newRow("rentals only") << "INSERT INTO Locations (num, Num_Client) VALUES (1, 2)" << false
                                      << plain + "\n1 location reste attachée à ce client";
        QTest::newRow("line of another person") << "INSERT INTO Recettes (num, Num_Agent) VALUES (1, 3)" << false << plain;
        QTest::newRow("rentals of another person") << "INSERT INTO Locations (num, Num_Client) VALUES (1, 3)" << false << plain;
    }
    void deleteRefusedWithLedgerLines()
    {
        QFETCH(QString, insert);
        QFETCH(bool, refused);
        QFETCH(QString, question);
        add(2, schema::person::Client, "BRAHIMI", "Said");
        add(3, schema::person::Client, "CHERIF", "Lotfi");
        db().execute(insert);
        auto r = makeRegister(s(), schema::person::Client);
        QCOMPARE(r->rowNumbers().first(), qint64(2));
        if (!refused)
            ui().answers = {true};
        click(*r, "Supprimer");
        if (refused) {
            QCOMPARE(ui().messages, (QList<ShownMessage>{kRefused}));
            QVERIFY(!person(2).isNull("num"));
            QCOMPARE(r->model()->rowCount(), 2);
        } else {
            QCOMPARE(ui().messages, (QList<ShownMessage>{{question, Icon::Question, "Confirmation", true}}));
            QVERIFY(person(2).isNull("num"));
            QCOMPARE(r->rowNumbers(), QList<qint64>{3});
        }
        // Whatever was decided, the rows naming the person stay.
        QCOMPARE(db().scalar("SELECT count(*) FROM Locations").toInt(), insert.contains("Locations") ? 1 : 0);
    }

    void historyLeftAfterADeletion_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("rentals");
        QTest::addColumn<int>("assignments");
        QTest::addColumn<int>("pays");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("nothing") << 2 << 0 << 0 << 0 << QStringList{};
        QTest::newRow("client, three rentals") << 2 << 3 << 0 << 0
                                               << QStringList{"3 locations restent attachées à ce client"};
        QTest::newRow("driver, one assignment and two pays")
            << 1 << 0 << 1 << 2
            << QStringList{"1 affectation de véhicule reste attachée à ce chauffeur", "2 paies restent attachées à ce chauffeur"};
        QTest::newRow("agent, one pay") << 0 << 0 << 0 << 1 << QStringList{"1 paie reste attachée à cet agent"};
        QTest::newRow("all three") << 2 << 2 << 4 << 12
                                   << QStringList{"2 locations restent attachées à ce client",
                                                  "4 affectations de véhicule restent attachées à ce client",
                                                  "12 paies restent attachées à ce client"};
    }
    void historyLeftAfterADeletion()
    {
        QFETCH(int, kind);
        QFETCH(int, rentals);
        QFETCH(int, assignments);
        QFETCH(int, pays);
        QFETCH(QStringList, lines);
        add(5, kind, "HAMIDI", "Farid");
        add(6, kind, "OTHER", "One");
        int n = 0;
        // Rows of person 6 and of no person must not be counted.
        for (qint64 who : {qint64(6), qint64(-1)}) {
            db().execute("INSERT INTO Locations (num, Num_Client) VALUES (?, ?)", {++n, who});
            db().execute("INSERT INTO Affectations (num, num_Chauffeur) VALUES (?, ?)", {++n, who});
            db().execute("INSERT INTO Salaires (num, num_agent) VALUES (?, ?)", {++n, who});
        }
        for (int i = 0; i < rentals; ++i)
            db().execute("INSERT INTO Locations (num, Num_Client) VALUES (?, 5)", {++n});
        for (int i = 0; i < assignments; ++i)
            db().execute("INSERT INTO Affectations (num, num_Chauffeur) VALUES (?, 5)", {++n});
        for (int i = 0; i < pays; ++i)
            db().execute("INSERT INTO Salaires (num, num_agent) VALUES (?, 5)", {++n});
        const AttachedHistory h = attachedHistory(db(), 5);
        QCOMPARE(h, (AttachedHistory{rentals, assignments, pays}));
        QCOMPARE(historyLines(PersonKind::of(kind), h), lines);

        // The screen asks with them, deletes the person and keeps the rows.
        auto r = makeRegister(s(), kind);
        QCOMPARE(r->rowNumbers().first(), qint64(5));
        ui().answers = {true};
        click(*r, "Supprimer");
        QCOMPARE(ui().messages.size(), 1);
        QCOMPARE(ui().last().text, (QStringList{"Confirmer supression de ligne N° 1"} + lines).join('\n'));
        QVERIFY(person(5).isNull("num"));
        QCOMPARE(attachedHistory(db(), 5), h);
    }

    void deletingKeepsTheNumbersShown()
    {
        add(1, schema::person::Agent, "A", "a");
        add(2, schema::person::Agent, "B", "b");
        add(3, schema::person::Agent, "C", "c");
        auto r = makeRegister(s(), schema::person::Agent);
        // Answering No keeps everything.
        ui().answers = {false};
        r->selectRow(1);
        r->supprimer();
        QCOMPARE(persons(), 3);
        QCOMPARE(r->model()->rowCount(), 3);

        r->selectRow(1);
        ui().answers = {true};
        r->supprimer();
        QCOMPARE(ui().last().text, QString("Confirmer supression de ligne N° 2"));
        QCOMPARE(column(*r, 0), (QStringList{"1", "3"}));
        QCOMPARE(r->rowNumbers(), (QList<qint64>{1, 3}));
        QCOMPARE(r->selectedRow(), 0);

        // The question quotes the position, not the N° shown.
        r->selectRow(1);
        ui().answers = {true};
        r->supprimer();
        QCOMPARE(ui().last().text, QString("Confirmer supression de ligne N° 2"));
        QCOMPARE(r->rowNumbers(), QList<qint64>{1});

        // The last one: the list is refilled, which opens a new person.
        ui().answers = {true};
        r->supprimer();
        QCOMPARE(persons(), 0);
        QCOMPARE(r->model()->rowCount(), 0);
        QVERIFY(r->isNewPerson());
        QVERIFY(!r->entryPanel()->isHidden());
        QCOMPARE(w<QLabel>(*r, "entryTitle")->text(), QString("NOUVEL   AGENT"));
    }

    // ---- filter ------------------------------------------------------------------------------------------

    void filter_data()
    {
        QTest::addColumn<QString>("salaries");
        QTest::addColumn<QString>("archives");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("ensemble") << "Ensemble" << "Ensemble" << QStringList{"ARCH-SAL", "ARCH", "CUR-SAL", "CUR"};
        QTest::newRow("archived") << "Ensemble" << "Oui" << QStringList{"ARCH-SAL", "ARCH"};
        QTest::newRow("not archived") << "Ensemble" << "Non" << QStringList{"CUR-SAL", "CUR"};
        QTest::newRow("salaried") << "Oui" << "Ensemble" << QStringList{"ARCH-SAL", "CUR-SAL"};
        QTest::newRow("not salaried, archived") << "Non" << "Oui" << QStringList{"ARCH"};
        QTest::newRow("salaried, current") << "Oui" << "Non" << QStringList{"CUR-SAL"};
    }
    void filter()
    {
        QFETCH(QString, salaries);
        QFETCH(QString, archives);
        QFETCH(QStringList, listed);
        add(1, schema::person::Chauffeur, "CUR", "x");
        add(2, schema::person::Chauffeur, "CUR-SAL", "x", 1);
        add(3, schema::person::Chauffeur, "ARCH", "x", 0, 1);
        add(4, schema::person::Chauffeur, "ARCH-SAL", "x", 1, 1);
        add(5, schema::person::Agent, "AGENT", "x", 1, 1);
        auto r = makeRegister(s(), schema::person::Chauffeur);
        QCOMPARE(column(*r, 1), (QStringList{"CUR", "CUR-SAL"}));
        click(*r, "Filtre");
        QVERIFY(!r->filterPanel()->isHidden());
        QVERIFY(!r->listPanel()->isEnabled());
        shoot(*r, "J_Chauff_filter");
        w<QRadioButton>(*r, "salaries" + salaries)->setChecked(true);
        w<QRadioButton>(*r, "archives" + archives)->setChecked(true);
        click(*r, "appliquer");
        QVERIFY(ui().messages.isEmpty());
        QVERIFY(r->filterPanel()->isHidden());
        QVERIFY(r->listPanel()->isEnabled());
        // Sorted by surname: "ARCH" < "ARCH-SAL" as the engine compares.
        QStringList sorted = listed;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(column(*r, 1), sorted);
    }

    void filterSelectingNobody()
    {
        add(1, schema::person::Client, "CUR", "x");
        auto r = makeRegister(s(), schema::person::Client);
        click(*r, "Filtre");
        w<QRadioButton>(*r, "archivesOui")->setChecked(true);
        click(*r, "appliquer");
        QCOMPARE(ui().messages, (QList<ShownMessage>{kNobody}));
        QVERIFY(!r->filterPanel()->isHidden());
        QCOMPARE(column(*r, 1), QStringList{"CUR"});
        click(*r, "annulerFiltre");
        QVERIFY(r->filterPanel()->isHidden());
        QVERIFY(r->listPanel()->isEnabled());
        QCOMPARE(column(*r, 1), QStringList{"CUR"});
    }

    // ---- zoom and print ----------------------------------------------------------------------------------

    void zoomOpensTheAccount_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("account");
        QTest::newRow("agent") << 0 << "ZOOM_Ag";
        QTest::newRow("driver") << 1 << "Zoom_Ch";
        QTest::newRow("client") << 2 << "Zoom_Cli";
    }
    void zoomOpensTheAccount()
    {
        QFETCH(int, kind);
        QFETCH(QString, account);
        add(4, kind, "A", "a");
        add(9, kind, "B", "b");
        auto r = makeRegister(s(), kind);
        qint64 seen = 0;
        ui().onScreen(account, [&](QDialog&) {
            seen = s().num_courant;
            return int(QDialog::Rejected);
        });
        r->selectRow(1);
        emit r->grid()->doubleClicked(r->model()->index(1, 1));
        QCOMPARE(ui().screens, QStringList{account});
        QCOMPARE(seen, qint64(9));
        QVERIFY(s().isOpen());
        QCOMPARE(r->rowNumbers(), (QList<qint64>{4, 9}));
    }

    void printPutsTheListInTampon1_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("report");
        QTest::newRow("agents") << 0 << "Liste_Ag.RPT";
        QTest::newRow("drivers") << 1 << "Liste_Ch.RPT";
        QTest::newRow("clients") << 2 << "Liste_Cl.RPT";
    }
    void printPutsTheListInTampon1()
    {
        QFETCH(int, kind);
        QFETCH(QString, report);
        db().execute("INSERT INTO Tampon1 (num) VALUES ('999')");
        seed::person(db(), {.num = 3, .kind = kind, .nom = "BENALI", .prenom = "Omar", .fonction = "Comptable",
                            .tel = "0550 11 22 33", .ville = "Oran", .salarie = true, .dEntree = "2020-03-05", .ss = "12345",
                            .numPermis = "P-778", .datePermis = "2012-05-06", .numCni = "C-99"});
        add(7, kind, "ZIANI", "Ali");
        add(5, kind, "AMRANI", "Zoubir", 0, 1);
        add(6, kind, "DJEBBAR", "Yasmine");
        auto r = makeRegister(s(), kind);
        click(*r, "Filtre");
        w<QRadioButton>(*r, "archivesEnsemble")->setChecked(true);
        click(*r, "appliquer");
        r->nouveau();
        w(*r, "nom")->setText("ABBAS");
        w(*r, "prenom")->setText("Nadia");
        w(*r, "fonction")->setText("Gérante");
        click(*r, "valider");
        QCOMPARE(r->rowNumbers(), (QList<qint64>{5, 3, 6, 7, 8}));
        click(*r, "Imprimer");
        QVERIFY2(ui().messages.isEmpty(), qPrintable(ui().last().text));
        QStringList keys;
        for (const db::Row& row : db().query("SELECT num FROM Tampon1 ORDER BY rowid"))
            keys << row.text("num");
        QCOMPARE(keys, (QStringList{"5", "3", "6", "7", "8"}));
        QCOMPARE(ui().reports.size(), 1);
        QVERIFY(QFile::exists(ui().reports.first()));
        if (!qEnvironmentVariableIsEmpty("KV_SHOTS"))
            QFile::copy(ui().reports.first(), QStringLiteral("/tmp/registers-shots/") + report + QStringLiteral(".pdf"));
    }

    void printWithoutItsTemplate()
    {
        add(1, schema::person::Client, "A", "a");
        QVERIFY(QFile::remove(s().programFile("Liste_Cl.RPT")));
        auto r = makeRegister(s(), schema::person::Client);
        click(*r, "Imprimer");
        QCOMPARE(ui().messages, (QList<ShownMessage>{m("Fichier 'Liste_Cl.RPT' absent", Icon::Critical, "Z.E.B.")}));
        QVERIFY(ui().reports.isEmpty());
    }

    // ---- typing --------------------------------------------------------------------------------------------

    void inputRules_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("nom in capitals") << 0 << "nom" << "ben alié" << "BEN ALIé";
        QTest::newRow("agent prenom as typed") << 0 << "prenom" << "omar" << "omar";
        QTest::newRow("driver prenom first capital") << 1 << "prenom" << "omar ali" << "Omar ali";
        QTest::newRow("accented first letter as typed") << 2 << "prenom" << "élise" << "élise";
        QTest::newRow("fonction first capital") << 0 << "fonction" << "gardien" << "Gardien";
        QTest::newRow("client tel first capital") << 2 << "tel" << "fixe 021" << "Fixe 021";
        QTest::newRow("agent tel as typed") << 0 << "tel" << "fixe" << "fixe";
        QTest::newRow("driver ville first capital") << 1 << "ville" << "oran" << "Oran";
        QTest::newRow("client ville as typed") << 2 << "ville" << "oran" << "oran";
        QTest::newRow("client CNI in capitals") << 2 << "num_cni" << "ab12c" << "AB12C";
        QTest::newRow("client licence in capitals") << 2 << "num_permis" << "ab12" << "AB12";
        QTest::newRow("driver licence as typed") << 1 << "num_permis" << "ab12" << "ab12";
        QTest::newRow("rate is a number") << 1 << "taux_jour" << "12a,5x" << "12.5";
    }
    void inputRules()
    {
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        auto r = makeRegister(s(), kind);
        w<QCheckBox>(*r, "salarie")->setChecked(true);
        w<QCheckBox>(*r, "permis")->setChecked(true);
        showActive(*r);
        QLineEdit* e = w(*r, field);
        e->setFocus();
        typeText(e, keys);
        QCOMPARE(e->text(), shown);
    }

    void focusChain_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("to");
        QTest::newRow("agent nom -> prenom") << 0 << false << "nom" << int(Qt::Key_Return) << "prenom";
        QTest::newRow("agent prenom -> fonction") << 0 << false << "prenom" << int(Qt::Key_Down) << "fonction";
        QTest::newRow("agent up") << 0 << false << "tel" << int(Qt::Key_Up) << "fonction";
        QTest::newRow("agent stays at ville") << 0 << true << "ville" << int(Qt::Key_Return) << "ville";
        QTest::newRow("driver prenom -> tel") << 1 << false << "prenom" << int(Qt::Key_Return) << "tel";
        QTest::newRow("driver ville, not salaried") << 1 << false << "ville" << int(Qt::Key_Return) << "ville";
        QTest::newRow("driver ville -> salaried block") << 1 << true << "ville" << int(Qt::Key_Return) << "d_entree";
        QTest::newRow("client ville -> identity card") << 2 << false << "ville" << int(Qt::Key_Return) << "num_cni";
        QTest::newRow("client stops after identity card") << 2 << true << "ville_cni" << int(Qt::Key_Return) << "ville_cni";
        QTest::newRow("client licence block") << 2 << true << "num_permis" << int(Qt::Key_Return) << "date_permis";
        QTest::newRow("client stops at the last field") << 2 << true << "ville_permis" << int(Qt::Key_Return)
                                                        << "ville_permis";
    }
    void focusChain()
    {
        QFETCH(int, kind);
        QFETCH(bool, checked);
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(QString, to);
        auto r = makeRegister(s(), kind);
        w<QCheckBox>(*r, "salarie")->setChecked(checked);
        w<QCheckBox>(*r, "permis")->setChecked(checked);
        showActive(*r);
        QLineEdit* e = w(*r, from);
        e->setFocus();
        QTRY_VERIFY(e->hasFocus());
        w(*r, "nom")->setText("NOM");
        w(*r, "prenom")->setText("Prenom");
        QTest::keyClick(e, Qt::Key(key));
        QCOMPARE(QApplication::focusWidget()->objectName(), to);
        // Enter never validates.
        QCOMPARE(persons(), 0);
        QVERIFY(ui().messages.isEmpty());
    }

    // ---- engine errors -------------------------------------------------------------------------------------

    void aRefusedWriteLeavesTheScreenAndTheData_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("command"); // Nouveau, Modifier, Supprimer
        QTest::addColumn<QString>("trigger");
        const QString refuse = QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON Agents BEGIN SELECT RAISE(ABORT, "
                                              "'écriture refusée'); END");
        QTest::newRow("new agent") << 0 << "Nouveau" << refuse.arg("INSERT");
        QTest::newRow("new client") << 2 << "Nouveau" << refuse.arg("INSERT");
        QTest::newRow("changed driver") << 1 << "Modifier" << refuse.arg("UPDATE");
        QTest::newRow("changed client") << 2 << "Modifier" << refuse.arg("UPDATE");
        QTest::newRow("deleted agent") << 0 << "Supprimer" << refuse.arg("DELETE");
        QTest::newRow("deleted driver") << 1 << "Supprimer" << refuse.arg("DELETE");
    }
    void aRefusedWriteLeavesTheScreenAndTheData()
    {
        QFETCH(int, kind);
        QFETCH(QString, command);
        QFETCH(QString, trigger);
        add(1, kind, "KACI", "Samir");
        add(2, kind, "LAMRI", "Yacine");
        db().execute(trigger);
        const auto snapshot = [this] {
            QStringList rows;
            for (const db::Row& r : db().query("SELECT num, Type_Ag, nom, Prenom, Fonction, tel FROM Agents ORDER BY num"))
                rows << QStringList{r.text("num"), r.text("Type_Ag"), r.text("nom"), r.text("Prenom"), r.text("Fonction"),
                                    r.text("tel")}
                            .join('|');
            return rows;
        };
        const QStringList before = snapshot();
        auto r = makeRegister(s(), kind);
        test::showOn(*r, test::testScreens().first());
        if (command == "Supprimer")
            ui().answers = {true};
        click(*r, command);
        if (command != "Supprimer") {
            w(*r, "nom")->setText("NOUVEAU");
            w(*r, "prenom")->setText("Nom");
            w(*r, "fonction")->setText("Gérant");
            w(*r, "tel")->setText("0550 12 34 56");
            click(*r, "valider");
        }
        QCOMPARE(ui().last(), m("écriture refusée", Icon::Critical, "Z.E.B."));
        QVERIFY(r->isVisible());
        QCOMPARE(snapshot(), before);
        QCOMPARE(column(*r, 1), (QStringList{"KACI", "LAMRI"}));
        QCOMPARE(r->rowNumbers(), (QList<qint64>{1, 2}));
        // An entry refused stays open as typed, to be confirmed again or cancelled.
        QCOMPARE(r->entryPanel()->isVisible(), command != "Supprimer");
        if (command != "Supprimer")
            QCOMPARE(w(*r, "nom")->text(), QString("NOUVEAU"));

        // Once the engine accepts the write again, the same command goes through.
        db().execute("DROP TRIGGER refuse");
        ui().clear();
        if (command == "Supprimer") {
            ui().answers = {true};
            click(*r, command);
        } else {
            click(*r, "valider");
        }
        QCOMPARE(ui().messages.size(), command == "Supprimer" ? 1 : 0); // the question only
        QVERIFY(snapshot() != before);
    }

    // ---- input that cannot be stored --------------------------------------------------------------------

    void malformedDatesAndRatesAreRefused_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("no leap day in 1900") << 1 << "d_entree" << "29/02/1900" << "Date incorrecte";
        QTest::newRow("thirty-first of April") << 0 << "d_entree" << "31/04/2021" << "Date incorrecte";
        QTest::newRow("identity card date") << 2 << "date_cni" << "29/02/1900" << "Date incorrecte";
        QTest::newRow("licence date") << 1 << "date_permis" << "30/02/2020" << "Date incorrecte";
        QTest::newRow("minus inside the rate") << 1 << "taux_jour" << "12-50" << "Montant incorrect";
        QTest::newRow("two points") << 0 << "taux_jour" << "1.2.3" << "Montant incorrect";
        QTest::newRow("two minus") << 1 << "taux_jour" << "--5" << "Montant incorrect";
    }
    void malformedDatesAndRatesAreRefused()
    {
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        for (bool change : {false, true}) {
            ui().clear();
            if (change)
                add(9, kind, "KACI", "Samir");
            auto r = makeRegister(s(), kind);
            showActive(*r);
            if (change)
                click(*r, "Modifier");
            w(*r, "nom")->setText("HADDAD");
            w(*r, "prenom")->setText("Nabil");
            w(*r, "fonction")->setText("Gérant");
            w(*r, "ville")->setText("Oran");
            w<QCheckBox>(*r, "salarie")->setChecked(true);
            w<QCheckBox>(*r, "permis")->setChecked(true);
            w(*r, "d_entree")->setText("01/02/2020");
            w(*r, "ss")->setText("123");
            w(*r, "taux_jour")->setText("900");
            // Text pasted into the field, which no key filter sees.
            w(*r, field)->setText(text);
            click(*r, "valider");
            QCOMPARE(ui().messages, (QList<ShownMessage>{m(message, Icon::Critical, "ATTENTION")}));
            QTRY_COMPARE(QApplication::focusWidget(), w(*r, field));
            QVERIFY(r->entryPanel()->isVisible());
            if (change)
                QCOMPARE(person(9).text("nom"), QString("KACI"));
            else
                QCOMPARE(persons(), 0);
            r->close();
        }
    }

    void aChangeOfAPersonDeletedMeanwhile()
    {
        add(1, schema::person::Client, "KACI", "Samir");
        add(2, schema::person::Client, "LAMRI", "Yacine");
        auto r = makeRegister(s(), schema::person::Client);
        const ShownMessage gone = m("Enregistrement introuvable", Icon::NoIcon, "ZEB");
        // Confirmed after another screen deleted the person: nothing is written, the row goes.
        click(*r, "Modifier");
        w(*r, "tel")->setText("021 00 00 00");
        db().execute("DELETE FROM Agents WHERE num = 1");
        click(*r, "valider");
        QCOMPARE(ui().messages, QList<ShownMessage>{gone});
        QCOMPARE(persons(), 1);
        QVERIFY(r->entryPanel()->isHidden());
        QCOMPARE(r->rowNumbers(), QList<qint64>{2});
        // Opened for a change after it was deleted.
        ui().clear();
        db().execute("DELETE FROM Agents WHERE num = 2");
        click(*r, "Modifier");
        QCOMPARE(ui().messages, QList<ShownMessage>{gone});
        QCOMPARE(persons(), 0);
        // The list is empty: the register is back on the entry of a new person.
        QCOMPARE(w<QLabel>(*r, "entryTitle")->text(), QString("NOUVEAU CLIENT"));
    }

    // ---- the screen on the screens it must fit ------------------------------------------------------------

    void fitsTheScreenInEveryState_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("j_AGENT") << 0;
        QTest::newRow("J_Chauff") << 1;
        QTest::newRow("J_clients") << 2;
    }
    void fitsTheScreenInEveryState()
    {
        QFETCH(int, kind);
        seed::person(db(), {.num = 1, .kind = kind, .nom = "SARL TRANSPORTS DU GRAND SUD ET FILS", .prenom = "Abdelkader-Mohamed",
                            .fonction = "Responsable du parc", .tel = "0550 12 34 56", .ville = "Sidi Bel Abbès", .salarie = true,
                            .dEntree = "2019-06-15"});
        for (int i = 2; i <= 40; ++i)
            seed::person(db(), {.num = i, .kind = kind, .nom = QStringLiteral("BENALI %1").arg(i), .prenom = "Karim",
                                .tel = "0661 22 33 44", .ville = "Oran", .salarie = true});
        for (QScreen* screen : test::testScreens()) {
            const QString size = QStringLiteral("_%1").arg(screen->availableGeometry().height());
            auto r = makeRegister(s(), kind);
            const QString name = r->objectName();
            test::showOn(*r, screen);
            const QSize shown = r->size();
            const auto check = [&](const QString& state) {
                test::settle(*r);
                QCOMPARE(test::outsideScreen(*r), QStringList());
                QCOMPARE(r->size(), shown); // a panel never widens the window
                test::saveShot(*r, name + u'_' + state + size);
            };
            check("liste");
            // Every column but the surname shows its whole content; the surname takes the spare width.
            QHeaderView* header = r->grid()->horizontalHeader();
            const QFontMetrics metrics = r->grid()->fontMetrics();
            for (int c = 0; c < r->model()->columnCount(); ++c)
                for (const QString& text : column(*r, c))
                    QVERIFY2(header->sectionSize(c) > metrics.horizontalAdvance(text), qPrintable(text));
            QVERIFY(header->sectionSize(1) > header->sectionSize(r->model()->columnCount() - 1));

            r->nouveau();
            w<QCheckBox>(*r, "salarie")->setChecked(true);
            w<QCheckBox>(*r, "permis")->setChecked(true);
            check("nouveau");
            // The whole entry, its last block and its commands included, is seen without scrolling.
            QWidget* confirm = w<QWidget>(*r, "valider");
            QVERIFY(confirm->visibleRegion().boundingRect().size() == confirm->size());
            r->cancelEntry();
            r->selectRow(0);
            r->modifier();
            check("modification");
            r->cancelEntry();
            r->filtre();
            check("filtre");
        }
    }
};

KV_SCREEN_TEST_MAIN(RegistersTest)
#include "tst_registers.moc"
