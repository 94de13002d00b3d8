#pragma once
// A program folder with an exercise open and a year of data booked through the other subsystems, and
// file operations that fail on demand.
#include "harness/CoreFixture.h"

#include "core/ledger/Ledger.h"
#include "exercise/common/ExerciseFiles.h"
#include "fleet/register/VehicleRegister.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Database.h"
#include "rentals/contracts/Rentals.h"

#include <QCryptographicHash>
#include <QFile>

namespace kv::test {

/// File operations that fail the `failAt`-th call (1 for the first) of the operation named `failing`
/// ("copy", "replace", "remove", "recover", "copyEmptying", "writeState") without touching any file, and do
/// the real work otherwise.
class FaultyFiles : public exercise::FileOps {
public:
    QString failing;
    int failAt = 1;
    QStringList calls; ///< every operation asked for, in order

    bool copy(const QString& source, const QString& target, QString* error) override
    {
        return fails("copy", error) ? false : FileOps::copy(source, target, error);
    }
    bool replace(const QString& source, const QString& target, QString* error) override
    {
        return fails("replace", error) ? false : FileOps::replace(source, target, error);
    }
    bool remove(const QString& path, QString* error) override
    {
        return fails("remove", error) ? false : FileOps::remove(path, error);
    }
    bool recover(const QString& source, const QString& target, db::Salvage* salvage, QString* error) override
    {
        return fails("recover", error) ? false : FileOps::recover(source, target, salvage, error);
    }
    bool copyEmptying(const QString& source, const QString& target, const QStringList& emptied, QString* error) override
    {
        return fails("copyEmptying", error) ? false : FileOps::copyEmptying(source, target, emptied, error);
    }
    bool writeState(const QString& path, const ExerciseState& state, QString* error) override
    {
        return fails("writeState", error) ? false : FileOps::writeState(path, state, error);
    }

private:
    QHash<QString, int> counts_;
    bool fails(const QString& op, QString* error)
    {
        calls << op;
        if (op != failing || ++counts_[op] != failAt)
            return false;
        if (error)
            *error = QStringLiteral("panne simulée");
        return true;
    }
};

/// A digest of a file's bytes (empty when the file is missing).
inline QByteArray digest(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

/// What a year holds, counted table by table.
struct YearCounts {
    int vehicules = 0, agents = 0, locations = 0, recettes = 0, depenses = 0, salaires = 0, monthsClosed = 0;
    double tauxCnas = 0;
    bool operator==(const YearCounts&) const = default;
};

inline YearCounts countYear(const db::Database& db)
{
    auto count = [&](const char* table) {
        return db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromLatin1(table))).toInt();
    };
    YearCounts c;
    c.vehicules = count("Vehicules");
    c.agents = count("Agents");
    c.locations = count("Locations");
    c.recettes = count("Recettes");
    c.depenses = count("Depenses");
    c.salaires = count("Salaires");
    c.monthsClosed = db.scalar(QStringLiteral("SELECT M1+M2+M3+M4+M5+M6+M7+M8+M9+M10+M11+M12 FROM Permn")).toInt();
    c.tauxCnas = db.scalar(QStringLiteral("SELECT Taux_CNAS FROM Permn")).toDouble();
    return c;
}

inline YearCounts countFile(const QString& path)
{
    db::Database db;
    db.open(path, db::Database::Mode::ReadOnly);
    return countYear(db);
}

/// A year of activity, written through the other subsystems' own operations: two vehicles, a driver,
/// an agent and a client, a rental, vehicle expenses and receipts, a client's receipt, two closed pays
/// with their month flags.
inline ledger::Line line(const QString& date, double montant, int mode, const QString& ref)
{
    ledger::Line l;
    l.date = date;
    l.montant = montant;
    l.mode = mode;
    l.ref = ref;
    return l;
}

inline YearCounts bookAYear(db::Database& db)
{
    vehicles::Entry van;
    van.matricule = {QStringLiteral("12"), QStringLiteral("5"), QStringLiteral("31")};
    van.annee = QStringLiteral("2018");
    const qint64 v1 = vehicles::add(db, van);
    van.matricule = {QStringLiteral("407"), QStringLiteral("1"), QStringLiteral("16")};
    vehicles::add(db, van);

    people::PersonEntry driver;
    driver.nom = QStringLiteral("Benali");
    driver.prenom = QStringLiteral("Karim");
    driver.salarie = true;
    driver.dEntree = QStringLiteral("01/02/2020");
    const qint64 d1 = people::addPerson(db, people::PersonKind::drivers(), driver);
    people::PersonEntry agent;
    agent.nom = QStringLiteral("Haddad");
    agent.prenom = QStringLiteral("Nadia");
    agent.salarie = true;
    people::addPerson(db, people::PersonKind::agents(), agent);
    people::PersonEntry client;
    client.nom = QStringLiteral("Transports Saïdi");
    const qint64 c1 = people::addPerson(db, people::PersonKind::clients(), client);

    rentals::Rental rental;
    rental.vehicle = v1;
    rental.client = c1;
    rental.du = QStringLiteral("01/03/2021");
    rental.au = QStringLiteral("05/03/2021");
    rental.pu = 4500;
    rental.nb = 4;
    rental.montant = 18000;
    rentals::add(db, rental);

    ledger::Line fuel = line(QStringLiteral("02/03/2021"), 3500, 0, QStringLiteral("gasoil"));
    fuel.contrepartie = 0;
    fuel.numVehicule = v1;
    fuel.typeDep = 0;
    ledger::add(db, ledger::Book::Depenses, fuel);
    ledger::Line tyres = line(QStringLiteral("10/04/2021"), 24000, 1, QStringLiteral("pneus"));
    tyres.contrepartie = 0;
    tyres.numVehicule = v1;
    tyres.typeDep = 4;
    ledger::add(db, ledger::Book::Depenses, tyres);
    ledger::Line hire = line(QStringLiteral("05/03/2021"), 18000, 0, QStringLiteral("location"));
    hire.contrepartie = 0;
    hire.numVehicule = v1;
    ledger::add(db, ledger::Book::Recettes, hire);
    ledger::Line payment = line(QStringLiteral("06/03/2021"), 5000, 0, QStringLiteral("acompte"));
    payment.contrepartie = 1;
    payment.numAgent = c1;
    ledger::add(db, ledger::Book::Recettes, payment);

    for (int month : {3, 4})
        db.execute(QStringLiteral("INSERT INTO Salaires (num_agent, MM, Taux_Jour, nbre_jours, BRUT, Net, regle, date) "
                                  "VALUES (?, ?, 1200, 22, 26400, 23000, 1, ?)"),
                   {d1, month, QStringLiteral("2021-%1-30").arg(month, 2, 10, QChar(u'0'))});
    db.execute(QStringLiteral("UPDATE Permn SET M3 = 1, M4 = 1"));
    return countYear(db);
}

} // namespace kv::test
