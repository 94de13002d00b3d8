#include "Generator.h"

#include "core/formats/Names.h"
#include "platform/db/Dates.h"
#include "platform/ui/SilentUi.h"
#include "core/ledger/Ledger.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/Schema.h"
#include "core/startup/EnginePassword.h"
#include "core/startup/InstanceLock.h"
#include "core/startup/Startup.h"
#include "core/state/ExerciseStateFile.h"
#include "core/state/ProtectedSettings.h"
#include "core/state/Session.h"
#include "fleet/references/ReferenceTable.h"
#include "fleet/register/VehicleRegister.h"
#include "fleet/vehiclefile/VehicleFile.h"
#include "payroll/pay/Pay.h"
#include "people/accounts/FundMovement.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Workspace.h"
#include "platform/ui/Ui.h"
#include "rentals/contracts/Rentals.h"
#include "treasury/receipts/Receipts.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QtEndian>

#include <random>
#include <stdexcept>

namespace kv::demo {

Options Options::stress()
{
    Options o;
    o.vehicles = 500;
    o.persons = 2000;
    o.lines = 1'000'000;
    return o;
}

namespace {

// ---- randomness ---------------------------------------------------------------------------------------------
// The engine's output is fixed by the standard; the draws below use it directly, so a seed gives the
// same exercise with every compiler and library.
class Random {
public:
    explicit Random(quint64 seed) : engine_(seed) {}
    /// A whole number from lo to hi, both included.
    int between(int lo, int hi) { return lo + static_cast<int>(engine_() % static_cast<quint64>(hi - lo + 1)); }
    double unit() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    bool chance(double p) { return unit() < p; }
    template <typename T> const T& pick(const QList<T>& list) { return list[between(0, int(list.size()) - 1)]; }
    /// An index drawn with the given weights.
    int weighted(const QList<int>& weights)
    {
        int total = 0;
        for (int w : weights)
            total += w;
        int draw = between(0, total - 1);
        for (int i = 0; i < weights.size(); ++i) {
            if (draw < weights[i])
                return i;
            draw -= weights[i];
        }
        return int(weights.size()) - 1;
    }
    /// A day of that year (the 1st to the 28th of a month).
    QDate dayOf(int year)
    {
        const int month = between(1, 12);
        const int day = between(1, 28);
        return QDate(year, month, day);
    }
    template <typename T> void shuffle(QList<T>& list)
    {
        for (qsizetype i = list.size() - 1; i > 0; --i)
            list.swapItemsAt(i, between(0, int(i)));
    }

private:
    std::mt19937_64 engine_;
};

// ---- content ------------------------------------------------------------------------------------------------

const QStringList kSurnames = {
    "Martin",   "Bernard",  "Dubois",    "Lefebvre", "Moreau",   "Laurent",  "Girard",   "Roux",     "Fournier",
    "Morel",    "Mercier",  "Blanc",     "Guerin",   "Boyer",    "Garnier",  "Chevalier", "Francois", "Legrand",
    "Gauthier", "Perrin",   "Robin",     "Clement",  "Morin",    "Nicolas",  "Henry",    "Roussel",  "Mathieu",
    "Benali",   "Haddad",   "Mansouri",  "Boudiaf",  "Belkacem", "Brahimi",  "Cherif",   "Djebbar",  "Ferhat",
    "Hamidi",   "Kaci",     "Larbi",     "Meziane",  "Nait",     "Ouali",    "Rahmani",  "Saidi",    "Taleb",
    "Yahiaoui", "Zerrouki", "Bouzid",    "Amrani",   "Slimani",  "Mebarki",  "Hadjadj",  "Benkhelifa", "Khelil",
    "Achour",   "Bensalem", "Chikhi",    "Derradji", "Guendouz", "Lounis",   "Aït Ali",  "Bélaïd",   "Lefèvre",
    "Ménard",   "Crépin",   "Hébert",    "Noël",     "Sénéchal", "Benamar",  "Toumi",    "Ziani",    "Messaoudi",
    "Bouaziz",  "Cheriet",  "Daoudi",    "Ghezali",  "Hamdi",    "Khaldi",   "Mokrani",  "Rezki"};
const QStringList kFirstNames = {
    "Ahmed",   "Mohamed", "Karim",   "Sofiane", "Yacine",  "Rachid",  "Nadir",   "Samir",   "Farid",   "Mourad",
    "Hakim",   "Lyes",    "Amine",   "Walid",   "Bilal",   "Omar",    "Salim",   "Nabil",   "Kamel",   "Redouane",
    "Fatima",  "Amina",   "Nadia",   "Samia",   "Karima",  "Leïla",   "Souad",   "Meriem",  "Yasmine", "Sabrina",
    "Jean",    "Pierre",  "Michel",  "Philippe", "Alain",  "Nicolas", "Julien",  "Thomas",  "Éric",    "Stéphane",
    "Marie",   "Nathalie", "Isabelle", "Sylvie", "Céline", "Hélène",  "Sophie",  "Chloé",   "Zoé",     "Hocine",
    "Djamel",  "Abdelkader", "Toufik", "Réda",   "Mehdi",  "Ilyes",   "Anis",    "Hamza",   "Lamine",  "Yanis"};
const QStringList kCities = {"Alger",  "Oran",     "Blida",  "Constantine", "Sétif",  "Tizi Ouzou", "Béjaïa",
                             "Annaba", "Boumerdès", "Tipaza", "Médéa",      "Bouira", "Rouiba",     "Chlef"};
const QStringList kAgentFunctions = {"Comptable",  "Secrétaire",    "Mécanicien",  "Magasinier", "Gérant",
                                     "Gardien",    "Électricien auto", "Pompiste", "Agent de parc", "Chef de parc"};
const QStringList kClientFunctions = {"Commerçant", "Entrepreneur", "Agriculteur", "Société", "Particulier",
                                      "Grossiste",  "Transitaire",  "Promoteur"};

struct Model {
    const char* genre;
    const char* marque;
    const char* modele;
    int stickerMin, stickerMax; ///< tax sticker
};
const Model kModels[] = {
    {"Camion", "Isuzu", "NPR 75", 12000, 16000},           {"Camion", "Hyundai", "HD 65", 12000, 16000},
    {"Camion", "Mercedes-Benz", "Actros", 14000, 18000},   {"Camion", "Iveco", "Eurocargo", 12000, 16000},
    {"Camion", "SNVI", "K 66", 12000, 16000},              {"Fourgon", "Renault", "Master", 5000, 10000},
    {"Fourgon", "Peugeot", "Boxer", 5000, 10000},          {"Fourgon", "Iveco", "Daily", 5000, 10000},
    {"Fourgon", "Mercedes-Benz", "Sprinter", 5000, 10000}, {"Véhicule léger", "Renault", "Kangoo", 2000, 6000},
    {"Véhicule léger", "Peugeot", "Partner", 2000, 6000},  {"Véhicule léger", "Volkswagen", "Caddy", 2000, 6000},
    {"Véhicule léger", "Toyota", "Hilux", 3000, 8000},     {"Véhicule léger", "Nissan", "Navara", 3000, 8000},
    {"Véhicule léger", "Dacia", "Logan", 2000, 5000},      {"Minibus", "Toyota", "Coaster", 8000, 12000},
    {"Autocar", "SNVI", "100 V8", 10000, 15000},           {"Tracteur routier", "Renault", "Premium", 14000, 18000},
    {"Tracteur routier", "DAF", "XF", 14000, 18000},
};
const QStringList kFuels = {"Gasoil", "Essence", "GPL"};
const QStringList kInsurers = {"SAA Alger", "CAAR Oran", "CAAT Blida", "Alliance Assur.", "AXA Algérie", "GAM Assurances", "CIAR Rouiba"};
const QStringList kOils = {"15W40", "10W40", "5W30", "20W50"};

// The objects of vehicle lines by heading (at most 20 characters, as the vehicle file keeps them).
const QList<QStringList> kObjects = {
    {"Bon gasoil n° %1", "Plein gasoil", "Carburant station", "Bon carbur. n° %1"},
    {"Huile moteur", "Vidange moteur", "Huile de boîte", "Appoint huile"},
    {"Plaquettes de frein", "Filtre à air", "Filtre à gasoil", "Batterie 12V", "Courroie distrib.", "Amortisseurs",
     "Kit embrayage", "Alternateur", "Démarreur", "Rétroviseur", "Phare avant", "Pompe à eau"},
    {"Lavage graissage", "Révision générale", "Réglage parallélisme", "Main d'oeuvre méca.", "Diagnostic", "Vidange + filtres"},
    {"2 pneus 7.50 R16", "Pneu avant", "Réparation crevaison", "4 pneus 195/65 R15", "Équilibrage"},
    {"Péage autoroute", "Parking", "Lavage", "Amende", "Pare-brise", "Tachygraphe"},
};
const QList<int> kHeadingWeights = {45, 8, 17, 12, 6, 12};
const int kHeadingAmounts[6][2] = {{1500, 12000}, {900, 4500}, {1500, 45000}, {1500, 25000}, {6000, 42000}, {200, 6000}};
const QStringList kReceiptObjects = {"Transport marchand.", "Livraison Oran", "Livraison Sétif", "Course Alger-Blida",
                                     "Transport personnel", "Déménagement", "Livraison chantier", "Transport matériaux"};
const QStringList kPersonExpenses = {"Frais de mission", "Remboursement frais", "Prime", "Frais de route", "Avance frais"};
const QStringList kPersonReceipts = {"Retour avance frais", "Remboursement", "Versement"};
const QStringList kClientReceipts = {"Règlement location", "Versement", "Règlement facture", "Acompte location", "Solde location"};
const QStringList kClientExpenses = {"Remboursement caution", "Avoir client", "Remise commerciale"};
const QStringList kMiscReceipts = {"Vente ferraille", "Location de hangar", "Vente pneus usagés", "Transport occasionnel",
                                   "Remboursement assur.", "Vente huile usagée"};

QString shown(const QDate& d) { return d.toString(db::kShownDateFormat); }
QString amount(double v) { return QString::number(v, 'f', 2); }

// ---- the folder ---------------------------------------------------------------------------------------------

/// The console's seam: messages are kept for the error output, questions are answered No.
class ConsoleUi : public ui::SilentUi {
public:
    ConsoleUi() : SilentUi(false) {}
};

/// The firm of the demo, in the identity records of ZEB.CFG (records 37 to 52).
void writeSettingsFile(const QString& path)
{
    const QStringList identity = {QStringLiteral("SARL Transports Kavorel"), QStringLiteral("Transport de marchandises - Location"),
                                  QStringLiteral("Z.I. Rouiba - Alger"), QStringLiteral("Tél. 023 85 41 12")};
    QByteArray data(52 * ProtectedSettings::kRecordSize, '\0');
    for (int field = 0; field < identity.size(); ++field) {
        const CfgRecord record = ProtectedSettings::encodeText(identity[field]);
        char* out = data.data() + (36 + field) * ProtectedSettings::kRecordSize;
        for (int i = 0; i < 42; ++i)
            qToLittleEndian<qint16>(record[i], out + 2 * i);
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size() || !f.commit())
        throw std::runtime_error(("cannot write " + path + ": " + f.errorString()).toStdString());
}

/// The files a build puts in a program folder, for a folder that has none yet.
void ensureSystemFiles(const QDir& folder)
{
    if (!QFile::exists(folder.filePath(QStringLiteral("ZEB_00.mdb"))))
        schema::createExerciseDatabase(folder.filePath(QStringLiteral("ZEB_00.mdb")));
    if (!QFile::exists(folder.filePath(QStringLiteral("system.mdw"))))
        db::createSecurityFile(folder.filePath(QStringLiteral("system.mdw")), kEngineUser, enginePassword());
    // The report templates, from the program folder this command lives in.
    if (QCoreApplication::instance()) {
        const QDir own(QCoreApplication::applicationDirPath());
        if (own.absolutePath() != folder.absolutePath())
            for (const QString& rpt : own.entryList({QStringLiteral("*.RPT")}, QDir::Files))
                if (!QFile::exists(folder.filePath(rpt)))
                    QFile::copy(own.filePath(rpt), folder.filePath(rpt));
    }
}

// ---- what is generated --------------------------------------------------------------------------------------

struct Vehicle {
    qint64 num = 0;
    int model = 0;
    bool archived = false;
    int km0 = 0, daily = 0; ///< mileage on the first day, kilometres a day
};

struct Person {
    qint64 num = 0;
    int kind = 0;
    bool salaried = false, archived = false;
    double rate = 0;
    bool cnas = false, irg = false;
};

/// Where the ledger lines go: through the ledger's batch, or booked one by one as the screens book them.
class LedgerWriter {
public:
    LedgerWriter(Session& s, Booking booking) : s_(s), booking_(booking)
    {
        if (booking == Booking::Batch) {
            transaction_ = std::make_unique<db::Transaction>(s.db());
            depenses_ = std::make_unique<ledger::Batch>(s.db(), ledger::Book::Depenses);
            recettes_ = std::make_unique<ledger::Batch>(s.db(), ledger::Book::Recettes);
        }
    }
    void finish()
    {
        depenses_.reset();
        recettes_.reset();
        if (transaction_)
            transaction_->commit();
        transaction_.reset();
    }
    void expense(qint64 vehicle, const vehiclefile::ExpenseEntry& e)
    {
        if (booking_ == Booking::Batch)
            depenses_->add(vehiclefile::lineOf(vehicle, e));
        else
            vehiclefile::save(s_, vehicle, 0, e);
    }
    void receipt(qint64 vehicle, const vehiclefile::ReceiptEntry& e)
    {
        if (booking_ == Booking::Batch)
            recettes_->add(vehiclefile::lineOf(vehicle, e));
        else
            vehiclefile::save(s_, vehicle, 0, e);
    }
    /// A line of the fund movement dialog, as typed: date, amount and object texts and the mode.
    void fund(const fund::Codes& codes, int mode, const QDate& day, double montant, const QString& object)
    {
        const fund::ShownLine typed{shown(day), fund::amountText(montant), object};
        if (booking_ == Booking::Batch) {
            Echange block;
            fund::fillChange(block, codes.book, mode, typed);
            const ledger::Line line = fund::lineFromSlots(block, codes);
            (codes.book == ledger::Book::Depenses ? depenses_ : recettes_)->add(line);
        } else {
            fund::fillChange(s_.echange, codes.book, mode, typed);
            if (!fund::book(s_, codes, std::nullopt))
                throw db::Error(QStringLiteral("booking refused"));
        }
    }

private:
    Session& s_;
    Booking booking_;
    std::unique_ptr<db::Transaction> transaction_;
    std::unique_ptr<ledger::Batch> depenses_, recettes_;
};

class Generator {
public:
    Generator(const Options& o, Session& s, const std::function<void(const QString&)>& progress)
        : o_(o), s_(s), rnd_(o.seed), progress_(progress)
    {
        for (QDate d(o.year, 1, 1); d.year() == o.year; d = d.addDays(1))
            if (d.dayOfWeek() != Qt::Friday) // the weekly day off
                openDays_ << d;
    }

    void run()
    {
        say(QStringLiteral("registers"));
        {
            db::Transaction t(s_.db());
            references();
            vehicles();
            persons();
            rentals();
            t.commit();
        }
        say(QStringLiteral("ledger"));
        ledgerLines();
        say(QStringLiteral("pays"));
        pays();
        say(QStringLiteral("follow-ups"));
        followUps();
    }

    qint64 busyVehicle() const { return busyVehicle_; }
    qint64 busyClient() const { return busyClient_; }

private:
    void say(const QString& phase)
    {
        if (progress_)
            progress_(phase);
    }

    QDate dayIn(int month, int fromDay, int toDay)
    {
        QList<QDate> days;
        for (const QDate& d : openDays_)
            if (d.month() == month && d.day() >= fromDay && d.day() <= toDay)
                days << d;
        return rnd_.pick(days);
    }

    void references()
    {
        QHash<QString, qint64> genres, marques, modeles;
        auto add = [&](int kind, QHash<QString, qint64>& nums, const QString& name) {
            if (nums.contains(name))
                return;
            references::Counters c = references::counters(s_.db(), kind);
            references::add(s_.db(), kind, c, name);
            nums.insert(name, c.num);
        };
        for (const Model& m : kModels) {
            add(references::Genres, genres, QString::fromUtf8(m.genre));
            add(references::Marques, marques, QString::fromUtf8(m.marque));
            add(references::Modeles, modeles, QString::fromUtf8(m.modele));
        }
        QHash<QString, qint64> fuels;
        for (const QString& f : kFuels)
            add(references::Carburants, fuels, f);
        for (const Model& m : kModels)
            modelNums_ << std::array<qint64, 3>{genres[QString::fromUtf8(m.genre)], marques[QString::fromUtf8(m.marque)],
                                                modeles[QString::fromUtf8(m.modele)]};
        fuelNums_ = {fuels[QStringLiteral("Gasoil")], fuels[QStringLiteral("Essence")], fuels[QStringLiteral("GPL")]};
    }

    void vehicles()
    {
        const int wilayas[] = {16, 9, 31, 25, 19, 35, 15, 6, 42, 26};
        for (int i = 0; i < o_.vehicles; ++i) {
            Vehicle v;
            v.model = rnd_.between(0, int(std::size(kModels)) - 1);
            v.archived = i > 0 && rnd_.chance(0.04);
            const int built = o_.year - rnd_.between(1, 12);
            vehicles::Entry e;
            const QString genre = QString::fromUtf8(kModels[v.model].genre);
            const int category = genre == QStringLiteral("Véhicule léger") ? 1 : (genre == QStringLiteral("Fourgon") ? 3 : 4);
            e.matricule = {QString::number(rnd_.between(100, 99999)),
                           QString::number(category) + QString::number(built % 100).rightJustified(2, u'0'),
                           QString::number(wilayas[rnd_.between(0, 9)]).rightJustified(2, u'0')};
            e.annee = QString::number(built);
            e.numGenre = modelNums_[v.model][0];
            e.numMarque = modelNums_[v.model][1];
            e.numModele = modelNums_[v.model][2];
            e.numCarburant = genre == QStringLiteral("Véhicule léger") && rnd_.chance(0.4) ? fuelNums_[rnd_.chance(0.8) ? 1 : 2]
                                                                                           : fuelNums_[0];
            const QDate circulation = rnd_.dayOf(built);
            e.dateCirculation = shown(circulation);
            e.carteGrise = QStringLiteral("CG %1").arg(rnd_.between(100000, 999999));
            e.dateCarte = shown(circulation.addDays(rnd_.between(0, 20)));
            e.archived = v.archived;
            v.num = vehicles::add(s_.db(), e);
            v.km0 = rnd_.between(5, 300) * 1000 + rnd_.between(0, 999);
            v.daily = genre == QStringLiteral("Véhicule léger") ? rnd_.between(40, 160) : rnd_.between(120, 420);
            vehicles_ << v;
            if (!v.archived)
                active_ << int(vehicles_.size()) - 1;
        }
        busyVehicle_ = active_.isEmpty() ? 0 : vehicles_[active_.first()].num;
    }

    void persons()
    {
        QList<int> pairs;
        for (int i = 0; i < kSurnames.size() * kFirstNames.size(); ++i)
            pairs << i;
        rnd_.shuffle(pairs);
        const int agents = std::max(1, o_.persons * 15 / 100);
        const int drivers = std::max(1, o_.persons * 25 / 100);
        const int total = std::max(o_.persons, agents + drivers + 1);
        for (int i = 0; i < total; ++i) {
            const int kind = i < agents ? schema::person::Agent
                                        : (i < agents + drivers ? schema::person::Chauffeur : schema::person::Client);
            const int pair = pairs[i % pairs.size()];
            people::PersonEntry e;
            e.nom = kSurnames[pair / kFirstNames.size()];
            e.prenom = kFirstNames[pair % kFirstNames.size()];
            if (i >= pairs.size())
                e.prenom += QStringLiteral(" %1").arg(i / pairs.size() + 1);
            e.ville = rnd_.pick(kCities);
            e.tel = QStringLiteral("0%1 %2 %3 %4 %5")
                        .arg(rnd_.pick(QList<int>{5, 6, 7}))
                        .arg(rnd_.between(50, 99))
                        .arg(rnd_.between(10, 99))
                        .arg(rnd_.between(10, 99))
                        .arg(rnd_.between(10, 99));
            Person p;
            p.kind = kind;
            p.archived = i != agents + drivers && rnd_.chance(0.05);
            if (kind == schema::person::Agent)
                e.fonction = rnd_.pick(kAgentFunctions);
            else if (kind == schema::person::Client)
                e.fonction = rnd_.pick(kClientFunctions);
            if (kind != schema::person::Client) {
                p.salaried = rnd_.chance(kind == schema::person::Agent ? 0.8 : 0.9);
                e.salarie = p.salaried;
                const int entered = o_.year - rnd_.between(1, 15);
                e.dEntree = shown(rnd_.dayOf(entered));
                e.ss = QString::number(rnd_.between(100000, 999999));
                e.ss += QString::number(rnd_.between(100000, 999999));
                p.rate = rnd_.between(12, 35) * 100;
                if (p.salaried)
                    e.tauxJour = QString::number(p.rate, 'f', 2);
                p.cnas = rnd_.chance(0.9);
                p.irg = rnd_.chance(0.85);
            }
            if (kind != schema::person::Agent) {
                e.permis = kind == schema::person::Chauffeur || rnd_.chance(0.7);
                if (e.permis) {
                    e.numPermis = QString::number(rnd_.between(10000000, 99999999));
                    const int licensed = o_.year - rnd_.between(1, 25);
                    e.datePermis = shown(rnd_.dayOf(licensed));
                    e.villePermis = rnd_.pick(kCities);
                }
            }
            if (kind == schema::person::Client) {
                e.numCni = QString::number(rnd_.between(100000000, 999999999));
                const int issued = o_.year - rnd_.between(0, 9);
                e.dateCni = shown(rnd_.dayOf(issued));
                e.villeCni = rnd_.pick(kCities);
            }
            e.archived = p.archived;
            p.num = people::addPerson(s_.db(), people::PersonKind::of(kind), e);
            persons_ << p;
            if (p.archived)
                continue;
            (kind == schema::person::Client ? clients_ : staff_) << int(persons_.size()) - 1;
            if (kind == schema::person::Chauffeur)
                drivers_ << int(persons_.size()) - 1;
        }
        busyClient_ = clients_.isEmpty() ? 0 : persons_[clients_.first()].num;
    }

    void rentals()
    {
        if (clients_.isEmpty() || active_.isEmpty())
            return;
        const int count = std::max(1, int(clients_.size()) * 4 / 5);
        for (int i = 0; i < count; ++i) {
            rentals::Rental r;
            r.vehicle = vehicles_[rnd_.pick(active_)].num;
            r.client = i % 10 == 0 ? busyClient_ : persons_[rnd_.pick(clients_)].num;
            const QDate du = rnd_.pick(openDays_);
            const QDate au = du.addDays(rnd_.between(1, 14));
            r.du = shown(du);
            r.au = shown(au);
            r.pu = rnd_.between(30, 120) * 100;
            r.nb = *rentals::dayCount(r.du, r.au);
            r.montant = rentals::dayAmount(r.nb, r.pu);
            r.forfait = rnd_.chance(0.1);
            if (r.forfait)
                r.montantForfait = std::floor(r.montant * 0.9 / 1000) * 1000;
            r.caution = rnd_.chance(0.6) ? rnd_.between(1, 5) * 10000 : 0;
            r.obs = rnd_.pick(QStringList{QString(), QStringLiteral("Avec chauffeur"), QStringLiteral("Sans chauffeur"),
                                          QStringLiteral("Chantier ") + rnd_.pick(kCities), QStringLiteral("Contrat annuel")})
                        .left(rentals::kObsLength);
            r.regle = au < QDate(o_.year, 12, 1) ? rnd_.chance(0.9) : rnd_.chance(0.3);
            r.archived = r.regle && au < QDate(o_.year, 6, 1) && rnd_.chance(0.5);
            rentals::add(s_.db(), r);
            ++rentalCount_;
        }
    }

    void ledgerLines()
    {
        LedgerWriter out(s_, o_.booking);
        // The advances on salary first: a third of the salaried staff take one in a month, mid-month.
        QHash<QDate, QList<std::pair<int, double>>> advances;
        qint64 advanceCount = 0;
        for (int month = 1; month <= 12; ++month)
            for (int p : staff_)
                if (persons_[p].salaried && rnd_.chance(0.35)) {
                    advances[dayIn(month, 3, 20)].append({p, rnd_.between(2, 20) * 500.0});
                    ++advanceCount;
                }
        // The other lines spread over the open days, busier some days than others.
        const qint64 others = std::max<qint64>(0, o_.lines - advanceCount);
        QList<double> weights;
        double sum = 0;
        for (int i = 0; i < openDays_.size(); ++i) {
            weights << 0.6 + 0.8 * rnd_.unit();
            sum += weights.last();
        }
        const auto& fundCodes = [](ledger::Book book, qint64 person, int contrepartie) {
            fund::Codes c{book, person, contrepartie, std::nullopt};
            return c;
        };
        double carried = 0;
        qint64 written = 0;
        for (int d = 0; d < openDays_.size(); ++d) {
            const QDate day = openDays_[d];
            const int dayIndex = day.dayOfYear();
            for (const auto& [p, montant] : advances.value(day))
                out.fund({ledger::Book::Depenses, persons_[p].num, schema::contrepartie::Client, schema::heading::AvanceSalaire},
                         rnd_.chance(0.9) ? 0 : 1, day, montant, QStringLiteral("Avance sur salaire"));
            carried += weights[d] / sum * double(others);
            const qint64 until = d + 1 == openDays_.size() ? others : qint64(carried);
            for (; written < until; ++written) {
                const int mode = rnd_.chance(0.75) ? 0 : 1;
                const double kind = rnd_.unit();
                if (kind < 0.80 && !active_.isEmpty()) {
                    const Vehicle& v = rnd_.chance(0.0125) ? vehicles_[active_.first()] : vehicles_[rnd_.pick(active_)];
                    if (kind < 0.68) {
                        vehiclefile::ExpenseEntry e;
                        e.typeDep = rnd_.weighted(kHeadingWeights);
                        double m = rnd_.between(kHeadingAmounts[e.typeDep][0], kHeadingAmounts[e.typeDep][1]);
                        if (e.typeDep == schema::heading::Gasoil)
                            m = std::round(m / 29.01) * 29.01; // litres at the pump price
                        else
                            m = std::round(m / 50) * 50;
                        e.montant = amount(m);
                        e.date = shown(day);
                        e.objet = rnd_.pick(kObjects[e.typeDep]);
                        if (e.objet.contains(QStringLiteral("%1")))
                            e.objet = e.objet.arg(rnd_.between(1000, 9999));
                        e.mode = mode;
                        if (e.typeDep <= schema::heading::Huile)
                            e.km = QString::number(v.km0 + v.daily * dayIndex + rnd_.between(0, v.daily));
                        out.expense(v.num, e);
                    } else {
                        vehiclefile::ReceiptEntry e;
                        e.montant = amount(rnd_.between(20, 300) * 500);
                        e.date = shown(day);
                        e.objet = rnd_.pick(kReceiptObjects);
                        e.mode = mode;
                        out.receipt(v.num, e);
                    }
                } else if (kind < 0.86 && !staff_.isEmpty()) {
                    const Person& p = persons_[rnd_.pick(staff_)];
                    const bool expense = rnd_.chance(0.7);
                    const double montant = rnd_.between(4, 60) * 250.0;
                    const QString object = rnd_.pick(expense ? kPersonExpenses : kPersonReceipts);
                    out.fund(fundCodes(expense ? ledger::Book::Depenses : ledger::Book::Recettes, p.num,
                                       schema::contrepartie::VehiculeOuAgent),
                             mode, day, montant, object);
                } else if (kind < 0.97 && !clients_.isEmpty()) {
                    const qint64 client = rnd_.chance(0.18) ? busyClient_ : persons_[rnd_.pick(clients_)].num;
                    const bool receipt = rnd_.chance(0.75);
                    const double montant = (receipt ? rnd_.between(20, 400) : rnd_.between(4, 80)) * 250.0;
                    const QString object = rnd_.pick(receipt ? kClientReceipts : kClientExpenses);
                    out.fund(fundCodes(receipt ? ledger::Book::Recettes : ledger::Book::Depenses, client, schema::contrepartie::Client),
                             mode, day, montant, object);
                } else {
                    const double montant = rnd_.between(2, 120) * 250.0;
                    out.fund(receipts::codes(), mode, day, montant, rnd_.pick(kMiscReceipts));
                }
            }
        }
        out.finish();
    }

    void pays()
    {
        db::Database& db = s_.db();
        db::Transaction t(db);
        const payroll::PayParams params = payroll::readPayParams(db);
        QHash<qint64, const Person*> byNum;
        for (const Person& p : persons_)
            byNum.insert(p.num, &p);
        for (int month = 1; month <= 12; ++month) {
            for (const payroll::MonthLine& line : payroll::buildMonth(db, month, params.unitsPerMonth)) {
                const Person* p = byNum.value(line.agent.num);
                if (!p)
                    continue;
                const double advances = payroll::advancesTotal(payroll::readAdvances(db, p->num, month, o_.year));
                auto maybe = [&](double chance, int lo, int hi, int step) {
                    return rnd_.chance(chance) ? QString::number(rnd_.between(lo, hi) * step) : QString();
                };
                const int days = rnd_.between(std::max(1, params.unitsPerMonth - 6), params.unitsPerMonth);
                const payroll::PayTexts texts{QString::number(p->rate, 'f', 2), QString::number(days), maybe(0.3, 4, 40, 250),
                                              maybe(0.5, 3, 12, 500), QString::number(days * 100), maybe(0.2, 2, 8, 500),
                                              advances > 0 ? amount(advances) : QString(), maybe(0.1, 2, 6, 1000), QString()};
                payroll::PaySave save;
                const bool single = rnd_.chance(0.4);
                const int children = single ? 0 : rnd_.between(0, 4);
                save.entries = payroll::readEntries(texts, p->cnas, p->irg, payroll::situationOf(single, children));
                save.figures = payroll::computePay(save.entries, params.tauxCnas);
                save.flagsClicked = month == 1;
                payroll::savePay(db, p->num, month, save);
                ++payCount_;
            }
            // Every month is closed on its last open day but December, still open at the year's end.
            if (month < 12) {
                QDate last(o_.year, month, QDate(o_.year, month, 1).daysInMonth());
                while (last.dayOfWeek() == Qt::Friday)
                    last = last.addDays(-1);
                payroll::closeMonth(db, month, shown(last), o_.year);
            }
        }
        t.commit();
    }

    void followUps()
    {
        for (int i : active_) {
            const Vehicle& v = vehicles_[i];
            const QDate start(o_.year, 1, 1);
            // Insurance: a year's policy taken last year, renewed when it ends within this one.
            QDate du = start.addDays(-rnd_.between(1, 360));
            const QString agence = rnd_.pick(kInsurers);
            while (du <= QDate(o_.year, 12, 31)) {
                vehiclefile::save(s_, v.num, 0, vehiclefile::InsuranceEntry{agence, shown(du), shown(du.addYears(1).addDays(-1))});
                du = du.addYears(1);
                ++followUpCount_;
            }
            // Technical inspections: every six months for the heavy vehicles, yearly for the light ones.
            const bool light = QString::fromUtf8(kModels[v.model].genre) == QStringLiteral("Véhicule léger");
            const int every = light ? 12 : 6;
            for (QDate visit = start.addDays(rnd_.between(0, every * 30)); visit.year() == o_.year; visit = visit.addMonths(every)) {
                vehiclefile::save(s_, v.num, 0, vehiclefile::ControlEntry{shown(visit), shown(visit.addMonths(every))});
                ++followUpCount_;
            }
            // The tax sticker of the year.
            vehiclefile::save(s_, v.num, 0,
                              vehiclefile::StickerEntry{shown(dayIn(rnd_.between(1, 3), 2, 28)),
                                                        amount(rnd_.between(kModels[v.model].stickerMin / 500, kModels[v.model].stickerMax / 500) * 500)});
            ++followUpCount_;
            // Drivers: the current one since the start of the year, sometimes after another.
            if (!drivers_.isEmpty()) {
                QDate from = dayIn(1, 2, 20);
                if (rnd_.chance(0.25)) {
                    const QDate change = dayIn(rnd_.between(3, 10), 1, 28);
                    vehiclefile::save(s_, v.num, 0,
                                      vehiclefile::AssignmentEntry{shown(from), shown(change.addDays(-1)), QStringLiteral("Mutation"),
                                                                   persons_[rnd_.pick(drivers_)].num});
                    ++followUpCount_;
                    from = change;
                }
                vehiclefile::save(s_, v.num, 0,
                                  vehiclefile::AssignmentEntry{shown(from), QString(), QString(), persons_[rnd_.pick(drivers_)].num});
                ++followUpCount_;
            }
            // The last oil change: most within the last months, some long overdue.
            const QDate oil = dayIn(rnd_.chance(0.8) ? rnd_.between(8, 12) : rnd_.between(1, 6), 1, 28);
            vehiclefile::saveOilChange(s_.db(), v.num,
                                       {shown(oil), QString::number(v.km0 + v.daily * oil.dayOfYear()), rnd_.pick(kOils)});
        }
    }

    const Options& o_;
    Session& s_;
    Random rnd_;
    std::function<void(const QString&)> progress_;
    QList<QDate> openDays_;
    QList<std::array<qint64, 3>> modelNums_;
    QList<qint64> fuelNums_;
    QList<Vehicle> vehicles_;
    QList<int> active_;              ///< vehicles not archived
    QList<Person> persons_;
    QList<int> staff_, clients_, drivers_; ///< persons not archived
    qint64 busyVehicle_ = 0, busyClient_ = 0;

public:
    int rentalCount_ = 0, payCount_ = 0, followUpCount_ = 0;
};

} // namespace

Summary generate(const Options& options, const std::function<void(const QString&)>& progress)
{
    Options o = options;
    if (o.year == 0)
        o.year = QDate::currentDate().year();
    if (o.year < 1994 || o.year > 9999)
        throw std::runtime_error("year out of range");
    const QDir folder(o.folder);
    if (!QDir().mkpath(folder.absolutePath()))
        throw std::runtime_error(("cannot create " + folder.absolutePath()).toStdString());
    // The program's own lock: a year the program has open is never written under it.
    InstanceLock lock(folder.absolutePath());
    switch (lock.tryLock()) {
    case InstanceLock::Result::Taken: break;
    case InstanceLock::Result::Held:
        throw std::runtime_error(("the program is running on " + folder.absolutePath() + ": close it first").toStdString());
    case InstanceLock::Result::Refused:
        throw std::runtime_error(("cannot write in " + folder.absolutePath()).toStdString());
    }
    // The demo year becomes the folder's first exercise: a folder that holds other years is left alone.
    for (const QString& name : folder.entryList({QStringLiteral("ZEB_*.MDB")}, QDir::Files)) {
        if (name.compare(QStringLiteral("ZEB_00.mdb"), Qt::CaseInsensitive) == 0 ||
            name.compare(QStringLiteral("ZEB_%1.MDB").arg(o.year), Qt::CaseInsensitive) == 0)
            continue;
        throw std::runtime_error(("the folder already holds the exercise " + name +
                                  ": make the demo year in a folder of its own").toStdString());
    }
    ensureSystemFiles(folder);
    if (!QFile::exists(folder.filePath(QStringLiteral("ZEB.CFG"))))
        writeSettingsFile(folder.filePath(QStringLiteral("ZEB.CFG")));

    // The program's first start in that folder, its first exercise being the demo year.
    ConsoleUi ui;
    Session s(folder.absolutePath(), ui);
    Startup start(s);
    auto check = [&](bool ok, const char* what) {
        if (!ok)
            throw std::runtime_error(std::string(what) + ": " + ui.messages.join(QStringLiteral("; ")).toStdString());
    };
    try {
        start.setTextFormats();
        start.checkSystemFiles();
        start.writeEngineSettings();
        start.fillNames();
        start.openEngine();
        s.settings.load(s.programFile(QStringLiteral("ZEB.CFG")));
        start.createFolders();
        const QString exercise = s.exercisePath(o.year);
        if (QFile::exists(exercise)) {
            if (!o.replace)
                throw std::runtime_error(("the folder already holds " + exercise + " (--replace to write it again)").toStdString());
            QFile::remove(exercise);
        }
        QString error;
        check(writeExerciseState(s.exerciseStatePath(), {static_cast<qint16>(o.year), 0}, &error), "exercise state file");
        start.readExerciseState();
        start.ensureExerciseDatabase();
        start.checkExerciseDatabase();
        s.ouvrir_exercice();
        start.ensureParameters();
        s.ecrire_identite();
    } catch (const ProgramEnd&) {
        check(false, "start-up");
    }

    Generator g(o, s, progress);
    g.run();

    Summary sum;
    sum.year = o.year;
    sum.depenses = s.db().scalar(QStringLiteral("SELECT count(*) FROM Depenses")).toLongLong();
    sum.recettes = s.db().scalar(QStringLiteral("SELECT count(*) FROM Recettes")).toLongLong();
    sum.vehicles = s.db().scalar(QStringLiteral("SELECT count(*) FROM Vehicules")).toInt();
    sum.persons = s.db().scalar(QStringLiteral("SELECT count(*) FROM Agents")).toInt();
    sum.rentals = g.rentalCount_;
    sum.pays = g.payCount_;
    sum.followUps = g.followUpCount_;
    sum.busyVehicle = g.busyVehicle();
    sum.busyClient = g.busyClient();
    sum.databasePath = s.exercisePath(o.year);
    s.fermer_exercice();
    return sum;
}

} // namespace kv::demo
