#include "PersonStore.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/db/RowWriter.h"

#include <QVariantMap>

namespace kv::people {

namespace {

using C = ColumnValue;

PersonKind makeAgents()
{
    PersonKind k;
    k.type = schema::person::Agent;
    k.screen = QStringLiteral("j_AGENT");
    k.panelTitle = QStringLiteral("Agents Divers");
    k.newTitle = QStringLiteral("NOUVEL   AGENT");
    k.reportFile = QStringLiteral("Liste_Ag.RPT");
    k.columns = {{QStringLiteral("N°"), 600, true, C::Position},         {QStringLiteral("Nom"), 2020, false, C::Nom},
                 {QStringLiteral("Prénom"), 2020, false, C::Prenom},     {QStringLiteral("Fonction"), 1070, false, C::Fonction},
                 {QStringLiteral("Téléphone"), 1070, false, C::Tel},     {QStringLiteral("Entré le"), 1170, true, C::Entree},
                 {QStringLiteral("Salarié"), 860, true, C::Salarie},     {QStringLiteral("Archivé"), 800, true, C::Archive}};
    k.hasFonction = true;
    k.hasSalarie = true;
    return k;
}

PersonKind makeDrivers()
{
    PersonKind k;
    k.type = schema::person::Chauffeur;
    k.screen = QStringLiteral("J_Chauff");
    k.panelTitle = QStringLiteral("Chauffeurs");
    k.newTitle = QStringLiteral("NOUVEAU CHAUFFEUR");
    k.reportFile = QStringLiteral("Liste_Ch.RPT");
    k.columns = {{QStringLiteral("N°"), 600, true, C::Position},     {QStringLiteral("Nom"), 2020, false, C::Nom},
                 {QStringLiteral("Prénom"), 2020, false, C::Prenom}, {QStringLiteral("Téléphone"), 1070, false, C::Tel},
                 {QStringLiteral("Entré le"), 1170, true, C::Entree}, {QStringLiteral("Salarié"), 860, true, C::Salarie},
                 {QStringLiteral("Archivé"), 830, true, C::Archive}};
    k.hasSalarie = true;
    k.hasPermis = true;
    return k;
}

PersonKind makeClients()
{
    PersonKind k;
    k.type = schema::person::Client;
    k.screen = QStringLiteral("J_clients");
    k.panelTitle = QStringLiteral("Clients");
    k.newTitle = QStringLiteral("NOUVEAU CLIENT");
    k.reportFile = QStringLiteral("Liste_Cl.RPT");
    k.columns = {{QStringLiteral("N°"), 600, true, C::Position},     {QStringLiteral("Nom"), 2020, false, C::Nom},
                 {QStringLiteral("Prénom"), 2020, false, C::Prenom}, {QStringLiteral("Téléphone"), 1070, false, C::Tel},
                 {QStringLiteral("Localité"), 1640, false, C::Ville}, {QStringLiteral("Archivé"), 830, true, C::Archive}};
    k.hasFonction = true;
    k.hasPermis = true;
    k.hasCni = true;
    return k;
}

QString flagCell(bool on) { return on ? QStringLiteral(" OUI ") : QStringLiteral(" "); }

bool blank(const QString& s) { return s.trimmed().isEmpty(); }

QString choiceClause(Choice c, const char* column)
{
    switch (c) {
    case Choice::Oui: return QStringLiteral(" AND %1 = 1").arg(QLatin1String(column));
    case Choice::Non: return QStringLiteral(" AND %1 = 0").arg(QLatin1String(column));
    case Choice::Ensemble: break;
    }
    return {};
}

/// The fields every save writes, then the optional ones under the write rules.
QVariantMap fieldsToWrite(const PersonKind& kind, const PersonEntry& e)
{
    QVariantMap f;
    f[QStringLiteral("nom")] = e.nom.trimmed();
    f[QStringLiteral("Prenom")] = e.prenom.trimmed();
    if (kind.hasFonction)
        f[QStringLiteral("Fonction")] = e.fonction.trimmed();
    f[QStringLiteral("tel")] = e.tel.trimmed();
    f[QStringLiteral("ville")] = e.ville.trimmed();
    if (kind.hasSalarie)
        f[QStringLiteral("Salarie")] = e.salarie ? 1 : 0;

    const auto date = [&](const char* column, const QString& text) {
        if (text.size() != 10)
            return;
        const QVariant stored = db::toStoredDate(text);
        if (!stored.isNull())
            f[QLatin1String(column)] = stored;
    };
    const auto text = [&](const char* column, const QString& value) {
        if (!blank(value))
            f[QLatin1String(column)] = value.trimmed();
    };
    if (kind.hasSalarie) {
        date("d_entree", e.dEntree);
        text("SS", e.ss);
        if (!blank(e.tauxJour))
            f[QStringLiteral("Taux_Jour")] = readNumber(e.tauxJour);
    }
    if (kind.hasCni) {
        text("Num_CNI", e.numCni);
        date("Date_CNI", e.dateCni);
        text("Ville_CNI", e.villeCni);
    }
    if (kind.hasPermis) {
        text("Num_Permis", e.numPermis);
        date("Date_Permis", e.datePermis);
        text("Ville_Permis", e.villePermis);
        f[QStringLiteral("flag_permis")] = e.permis ? 1 : 0;
    }
    f[QStringLiteral("Arch")] = e.archived ? 1 : 0;
    return f;
}

} // namespace

const PersonKind& PersonKind::agents()
{
    static const PersonKind k = makeAgents();
    return k;
}
const PersonKind& PersonKind::drivers()
{
    static const PersonKind k = makeDrivers();
    return k;
}
const PersonKind& PersonKind::clients()
{
    static const PersonKind k = makeClients();
    return k;
}
const PersonKind& PersonKind::of(int type)
{
    switch (type) {
    case schema::person::Chauffeur: return drivers();
    case schema::person::Client: return clients();
    default: return agents();
    }
}

QStringList listCells(const PersonKind& kind, const db::Row& r)
{
    QStringList cells;
    for (const ListColumn& c : kind.columns) {
        switch (c.value) {
        case C::Position: cells << QString(); break;
        case C::Nom: cells << r.text(QStringLiteral("nom")); break;
        case C::Prenom: cells << r.text(QStringLiteral("Prenom")); break;
        case C::Fonction: cells << r.text(QStringLiteral("Fonction")); break;
        case C::Tel: cells << r.text(QStringLiteral("tel")); break;
        case C::Ville: cells << r.text(QStringLiteral("ville")); break;
        case C::Entree: cells << db::toShownDate(r.value(QStringLiteral("d_entree"))); break;
        case C::Salarie: cells << flagCell(r.flag(QStringLiteral("Salarie"))); break;
        case C::Archive: cells << flagCell(r.flag(QStringLiteral("Arch"))); break;
        }
    }
    return cells;
}

QList<PersonRow> listPersons(const db::Database& db, const PersonKind& kind, const PersonFilter& filter)
{
    const QString sql = QStringLiteral("SELECT * FROM Agents WHERE Type_Ag = ?") + choiceClause(filter.salaries, "Salarie") +
                        choiceClause(filter.archives, "Arch") + QStringLiteral(" ORDER BY nom, Prenom, num");
    QList<PersonRow> rows;
    for (const db::Row& r : db.query(sql, {kind.type}))
        rows.append({r.integer(QStringLiteral("num")), listCells(kind, r)});
    return rows;
}

std::optional<PersonRow> listRow(const db::Database& db, const PersonKind& kind, qint64 num)
{
    const std::optional<db::Row> r = readPersonRow(db, num);
    if (!r)
        return std::nullopt;
    return PersonRow{num, listCells(kind, *r)};
}

bool missingRequired(const PersonKind& kind, const PersonEntry& e)
{
    if (blank(e.nom) || blank(e.prenom))
        return true;
    switch (kind.type) {
    case schema::person::Agent:
        return blank(e.fonction) || (e.salarie && (blank(e.ville) || blank(e.ss)));
    case schema::person::Chauffeur:
        return e.salarie && (blank(e.dEntree) || blank(e.tauxJour));
    default:
        return false;
    }
}

bool duplicateExists(const db::Database& db, const QString& nom, const QString& prenom)
{
    // The columns compare with their own collation: letter case ignored, accents included.
    const QString n = nom.trimmed(), p = prenom.trimmed();
    return !db.scalar(QStringLiteral("SELECT num FROM Agents WHERE (nom = ?1 AND Prenom = ?2) OR (nom = ?2 AND Prenom = ?1) LIMIT 1"),
                      {n, p})
                .isNull();
}

qint64 nextPersonNumber(const db::Database& db)
{
    return db.nextNumAbove(schema::Agents, {{schema::Locations, QStringLiteral("Num_Client")},
                                            {schema::Affectations, QStringLiteral("num_Chauffeur")},
                                            {schema::Salaires, QStringLiteral("num_agent")},
                                            {schema::Depenses, QStringLiteral("Num_Agent")},
                                            {schema::Recettes, QStringLiteral("Num_Agent")}});
}

std::optional<db::Row> readPersonRow(const db::Database& db, qint64 num)
{
    db::Row r = db.queryOne(QStringLiteral("SELECT * FROM Agents WHERE num = ?"), {num});
    if (r.size() == 0)
        return std::nullopt;
    return r;
}

QString personName(const db::Database& db, qint64 num)
{
    const std::optional<db::Row> r = readPersonRow(db, num);
    if (!r)
        return {};
    return r->text(QStringLiteral("nom")).trimmed() + u' ' + r->text(QStringLiteral("Prenom")).trimmed();
}

bool hasSalaried(const db::Database& db)
{
    return !db.query(QStringLiteral("SELECT 1 FROM Agents WHERE Salarie = 1 LIMIT 1")).isEmpty();
}

bool hasCurrentClient(const db::Database& db)
{
    return !db.query(QStringLiteral("SELECT 1 FROM Agents WHERE Type_Ag = ? AND Arch = 0 LIMIT 1"), {schema::person::Client})
                .isEmpty();
}

std::optional<PersonEntry> readPerson(const db::Database& db, qint64 num)
{
    const std::optional<db::Row> row = readPersonRow(db, num);
    if (!row)
        return std::nullopt;
    return entryOf(*row);
}

PersonEntry entryOf(const db::Row& r)
{
    PersonEntry e;
    e.nom = r.text(QStringLiteral("nom"));
    e.prenom = r.text(QStringLiteral("Prenom"));
    e.fonction = r.text(QStringLiteral("Fonction"));
    e.tel = r.text(QStringLiteral("tel"));
    e.ville = r.text(QStringLiteral("ville"));
    e.salarie = r.flag(QStringLiteral("Salarie"));
    e.permis = r.flag(QStringLiteral("flag_permis"));
    e.dEntree = db::toShownDate(r.value(QStringLiteral("d_entree")));
    e.ss = r.text(QStringLiteral("SS"));
    const double taux = r.number(QStringLiteral("Taux_Jour"));
    if (taux > 0)
        e.tauxJour = formatNumber(taux, u"####.00");
    e.numPermis = r.text(QStringLiteral("Num_Permis"));
    e.datePermis = db::toShownDate(r.value(QStringLiteral("Date_Permis")));
    e.villePermis = r.text(QStringLiteral("Ville_Permis"));
    e.numCni = r.text(QStringLiteral("Num_CNI"));
    e.dateCni = db::toShownDate(r.value(QStringLiteral("Date_CNI")));
    e.villeCni = r.text(QStringLiteral("Ville_CNI"));
    e.archived = r.flag(QStringLiteral("Arch"));
    return e;
}

qint64 addPerson(db::Database& db, const PersonKind& kind, const PersonEntry& entry)
{
    db::Transaction t(db);
    const qint64 num = nextPersonNumber(db);
    QVariantMap f = fieldsToWrite(kind, entry);
    f[QStringLiteral("num")] = num;
    f[QStringLiteral("Type_Ag")] = kind.type;
    if (kind.type == schema::person::Chauffeur)
        f[QStringLiteral("Fonction")] = QStringLiteral("Chauffeur");
    db::insertRow(db, schema::Agents, db::fieldsOf(f));
    t.commit();
    return num;
}

bool updatePerson(db::Database& db, const PersonKind& kind, qint64 num, const PersonEntry& entry, const db::Row& loaded)
{
    const db::Fields f = db::fieldsOf(fieldsToWrite(kind, entry));
    if (loaded.size() > 0) {
        try {
            db::updateLoaded(db, schema::Agents, f, QStringLiteral("num"), num, loaded);
        } catch (const db::Conflict& e) {
            if (e.kind() == db::Conflict::Kind::Missing)
                return false;
            throw;
        }
        return true;
    }
    db::Transaction t(db);
    const bool found = !db.scalar(QStringLiteral("SELECT num FROM Agents WHERE num = ?"), {num}).isNull();
    if (!found)
        return false;
    db::updateRow(db, schema::Agents, f, QStringLiteral("num"), num);
    t.commit();
    return true;
}

bool hasLedgerLines(const db::Database& db, qint64 num)
{
    return !db.scalar(QStringLiteral("SELECT 1 WHERE EXISTS (SELECT 1 FROM Recettes WHERE Num_Agent = ?1) "
                                     "OR EXISTS (SELECT 1 FROM Depenses WHERE Num_Agent = ?1)"),
                      {num})
                .isNull();
}

void deletePerson(db::Database& db, qint64 num)
{
    db::deleteLoaded(db, schema::Agents, QStringLiteral("num"), num, {});
}

AttachedHistory attachedHistory(const db::Database& db, qint64 num)
{
    const auto count = [&](const QString& sql) { return db.scalar(sql, {num}).toInt(); };
    AttachedHistory h;
    h.rentals = count(QStringLiteral("SELECT count(*) FROM Locations WHERE Num_Client = ?"));
    h.assignments = count(QStringLiteral("SELECT count(*) FROM Affectations WHERE num_Chauffeur = ?"));
    h.pays = count(QStringLiteral("SELECT count(*) FROM Salaires WHERE num_agent = ?"));
    return h;
}

QStringList historyLines(const PersonKind& kind, const AttachedHistory& history)
{
    const QString person = kind.type == schema::person::Client      ? QStringLiteral("ce client")
                           : kind.type == schema::person::Chauffeur ? QStringLiteral("ce chauffeur")
                                                                    : QStringLiteral("cet agent");
    // Every noun is feminine: one pattern for the three.
    const auto line = [&](int n, const QString& one, const QString& many) {
        return n == 1 ? QStringLiteral("1 %1 reste attachée à %2").arg(one, person)
                      : QStringLiteral("%1 %2 restent attachées à %3").arg(QString::number(n), many, person);
    };
    QStringList lines;
    if (history.rentals > 0)
        lines << line(history.rentals, QStringLiteral("location"), QStringLiteral("locations"));
    if (history.assignments > 0)
        lines << line(history.assignments, QStringLiteral("affectation de véhicule"), QStringLiteral("affectations de véhicule"));
    if (history.pays > 0)
        lines << line(history.pays, QStringLiteral("paie"), QStringLiteral("paies"));
    return lines;
}

} // namespace kv::people
