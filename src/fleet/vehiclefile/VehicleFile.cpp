#include "VehicleFile.h"

#include "core/formats/Dates.h"
#include "core/formats/Numbers.h"
#include "core/ledger/Ledger.h"
#include "core/schema/Schema.h"
#include "core/startup/Startup.h"
#include "core/state/Session.h"
#include "platform/db/Database.h"
#include "platform/db/KeyList.h"
#include "platform/db/Dates.h"
#include "platform/db/RowWriter.h"

#include <QFileInfo>
#include <QHash>

namespace kv::vehiclefile {

namespace {

const QString kDateIncorrecte = QStringLiteral("Date incorrecte");
const QString kMontantOmis = QStringLiteral("Montant omis");

QString shownNumber(double v) { return QString::number(v, 'g', 15); }

/// The amount shown in a list: "### ###.00" followed by a blank.
QString listAmount(const QVariant& v) { return formatNumber(v.toDouble(), u"### ###.00") + u' '; }

QString objectOf(const QString& objet)
{
    const QString ref = objet.trimmed().left(20);
    return ref.isEmpty() ? QStringLiteral("/") : ref;
}

QString captionAt(const QStringList& captions, const QVariant& position)
{
    if (position.isNull())
        return {};
    const qint64 p = position.toLongLong();
    return p >= 0 && p < captions.size() ? captions[int(p)] + u' ' : QString();
}

/// Inserts a follow-up line numbered over the whole table, after the connection was re-established.
qint64 insertFollowUp(Session& s, const QString& table, qint64 vehicle, const QVariantMap& fields)
{
    s.reconnect();
    db::Database& db = s.db();
    db::Transaction t(db);
    const qint64 num = db.nextNum(table);
    db::insertRow(db, table, db::Fields{{QStringLiteral("num"), num}, {QStringLiteral("num_vehicule"), vehicle}} + db::fieldsOf(fields));
    t.commit();
    return num;
}

/// Runs a write of a line the panel showed: 0 when another desk deleted the line (the caller says
/// "Enregistrement introuvable"), `num` when written; a line changed meanwhile is thrown (db::Conflict).
template <typename Write> qint64 writeLoaded(qint64 num, Write&& write)
{
    try {
        write();
    } catch (const db::Conflict& e) {
        if (e.kind() == db::Conflict::Kind::Missing)
            return 0;
        throw;
    }
    return num;
}

qint64 updateFollowUp(Session& s, const QString& table, qint64 num, const QVariantMap& fields, const db::Row& loaded)
{
    if (loaded.size() > 0)
        return writeLoaded(num, [&] { db::updateLoaded(s.db(), table, db::fieldsOf(fields), QStringLiteral("num"), num, loaded); });
    return db::updateRow(s.db(), table, db::fieldsOf(fields), QStringLiteral("num"), num) > 0 ? num : 0;
}

qint64 writeFollowUp(Session& s, const db::Row& loaded, const QString& table, qint64 vehicle, qint64 num, const QVariantMap& fields)
{
    return num == 0 ? insertFollowUp(s, table, vehicle, fields) : updateFollowUp(s, table, num, fields, loaded);
}

QVariant storedDate(const QString& text) { return db::toStoredDate(text.trimmed()); }

} // namespace

// ---- the vehicle ------------------------------------------------------------------------------------

std::optional<Header> readHeader(const db::Database& db, qint64 vehicle)
{
    const db::Rows rows = db.query(QStringLiteral(
        "SELECT v.*, g.denom AS genre_denom, m.denom AS marque_denom, o.denom AS modele_denom, c.denom AS carburant_denom "
        "FROM Vehicules v LEFT JOIN Genres g ON g.num = v.num_Genre LEFT JOIN Marques m ON m.num = v.num_marque "
        "LEFT JOIN Modeles o ON o.num = v.num_Modele LEFT JOIN Carburants c ON c.num = v.num_carburant "
        "WHERE v.num = ?"), {vehicle});
    if (rows.isEmpty())
        return std::nullopt;
    const db::Row& r = rows.first();
    Header h;
    h.num = r.integer(QStringLiteral("num"));
    h.matricule = r.text(QStringLiteral("matricule"));
    h.annee = r.text(QStringLiteral("Annee"));
    h.circulation = db::toShownDate(r.value(QStringLiteral("Date_circulation")));
    h.carteGrise = r.text(QStringLiteral("C_Grise"));
    h.date = db::toShownDate(r.value(QStringLiteral("Date")));
    h.type = r.text(QStringLiteral("genre_denom"));
    h.marque = r.text(QStringLiteral("marque_denom"));
    h.modele = r.text(QStringLiteral("modele_denom"));
    h.carburant = r.text(QStringLiteral("carburant_denom"));
    h.dateVidange = db::toShownDate(r.value(QStringLiteral("Date_vidange")));
    if (!r.isNull(QStringLiteral("Km_Vidange")))
        h.kmVidange = shownNumber(r.number(QStringLiteral("Km_Vidange")));
    h.huile = r.text(QStringLiteral("oil_vidange"));
    return h;
}

// ---- the six lists ------------------------------------------------------------------------------------

QString tableOf(List list)
{
    switch (list) {
    case List::Depenses: return schema::Depenses;
    case List::Recettes: return schema::Recettes;
    case List::Assurances: return schema::Assurances;
    case List::Controles: return schema::Controles;
    case List::Vignettes: return schema::Vignettes;
    case List::Affectations: return schema::Affectations;
    }
    return {};
}

QList<Column> columnsOf(List list)
{
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    const Qt::Alignment centre = Qt::AlignCenter;
    switch (list) {
    case List::Depenses:
        return {{QStringLiteral("N°"), right}, {QStringLiteral("Date"), centre}, {QStringLiteral("Objet"), left},
                {QStringLiteral("Montant"), right, true}, {QStringLiteral("Affectation"), left}, {QStringLiteral("Kilométrage"), right}};
    case List::Recettes:
        return {{QStringLiteral("N°"), right}, {QStringLiteral("Date"), centre}, {QStringLiteral("Désignation"), left},
                {QStringLiteral("Montant"), right, true}, {QStringLiteral("Mode"), left}};
    case List::Assurances:
        return {{QStringLiteral("Agence"), centre}, {QStringLiteral("Du"), centre}, {QStringLiteral("Au"), centre}};
    case List::Controles:
        return {{QStringLiteral("Visite"), centre}, {QStringLiteral("C. Visite"), centre}};
    case List::Vignettes:
        return {{QStringLiteral("Date"), centre}, {QStringLiteral("Montant"), right, true}};
    case List::Affectations:
        return {{QStringLiteral("Du"), centre}, {QStringLiteral("Au"), centre}, {QStringLiteral("Nom  Prénom"), left},
                {QStringLiteral("Observation"), left}};
    }
    return {};
}

namespace {

/// What a list reads of a line, its vehicle column and its order.
struct ListQuery {
    QString select, vehicle, order;
};

ListQuery queryOf(List list)
{
    switch (list) {
    case List::Depenses:
        return {QStringLiteral("SELECT num, date, ref, Montant, Type_Dep, Km FROM Depenses"), QStringLiteral("num_vehicule"),
                QStringLiteral("date, num")};
    case List::Recettes:
        return {QStringLiteral("SELECT num, date, ref, Montant, mode FROM Recettes"), QStringLiteral("num_vehicule"),
                QStringLiteral("date, num")};
    case List::Assurances:
        return {QStringLiteral("SELECT num, agence, du, au FROM Assurances"), QStringLiteral("num_vehicule"), QStringLiteral("du, num")};
    case List::Controles:
        return {QStringLiteral("SELECT num, Date1, Date2 FROM Controles"), QStringLiteral("num_vehicule"), QStringLiteral("Date1, num")};
    case List::Vignettes:
        return {QStringLiteral("SELECT num, Date, montant FROM Vignettes"), QStringLiteral("num_vehicule"), QStringLiteral("Date, num")};
    case List::Affectations:
        // The driver's name in the same query: no lookup per row.
        return {QStringLiteral("SELECT a.num, a.du, a.au, a.obs, g.num AS driver, g.nom, g.Prenom FROM Affectations a "
                               "LEFT JOIN Agents g ON g.num = a.num_Chauffeur"),
                QStringLiteral("a.num_vehicule"), QStringLiteral("a.du, a.num")};
    }
    return {};
}

QString keyOf(List list) { return list == List::Affectations ? QStringLiteral("a.num") : QStringLiteral("num"); }

} // namespace

ListRows readList(const db::Database& db, List list, qint64 vehicle)
{
    const ListQuery q = queryOf(list);
    ListRows out;
    out.list = list;
    out.rows = db.query(QStringLiteral("%1 WHERE %2 = ? ORDER BY %3").arg(q.select, q.vehicle, q.order), {vehicle});
    out.nums.reserve(out.rows.size());
    for (const db::Row& r : out.rows)
        out.nums << r.value(0).toLongLong();
    return out;
}

QList<qint64> readNums(const db::Database& db, List list, qint64 vehicle)
{
    const ListQuery q = queryOf(list);
    const QString from = list == List::Affectations ? QStringLiteral("Affectations a") : tableOf(list);
    QList<qint64> nums;
    db.scan(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY %4").arg(keyOf(list), from, q.vehicle, q.order), {vehicle},
            [&](const db::Cursor& c) { nums.append(c.integer(0)); });
    return nums;
}

QList<QVariantList> readLines(const db::Database& db, List list, const QList<qint64>& nums)
{
    QList<QVariantList> lines(nums.size());
    if (nums.isEmpty())
        return lines;
    const QVariantList params = db::keyValues(nums);
    ListRows rows;
    rows.list = list;
    rows.rows = db.query(QStringLiteral("%1 WHERE %2 IN (%3)").arg(queryOf(list).select, keyOf(list), db::placeholders(nums.size())), params);
    QHash<qint64, int> at;
    for (int i = 0; i < nums.size(); ++i)
        at.insert(nums[i], i);
    for (int r = 0; r < rows.rows.size(); ++r) {
        const auto it = at.constFind(rows.rows[r].value(0).toLongLong());
        if (it == at.constEnd())
            continue;
        QVariantList values;
        for (const QString& cell : rows.cellsAt(r))
            values.append(cell);
        lines[*it] = values;
    }
    return lines;
}

QStringList ListRows::cellsAt(int i) const
{
    if (i < 0 || i >= rows.size())
        return {};
    const db::Row& r = rows[i];
    const QString n = QString::number(i + 1);
    switch (list) {
    case List::Depenses: {
        const double km = r.number(QStringLiteral("Km"));
        return {n, db::toShownDate(r.value(QStringLiteral("date"))), u' ' + r.text(QStringLiteral("ref")),
                listAmount(r.value(QStringLiteral("Montant"))), captionAt(schema::heading::captions, r.value(QStringLiteral("Type_Dep"))),
                km > 0 ? shownNumber(km) : QString()};
    }
    case List::Recettes:
        return {n, db::toShownDate(r.value(QStringLiteral("date"))), u' ' + r.text(QStringLiteral("ref")),
                listAmount(r.value(QStringLiteral("Montant"))), captionAt(schema::mode::captions, r.value(QStringLiteral("mode")))};
    case List::Assurances:
        return {r.text(QStringLiteral("agence")), db::toShownDate(r.value(QStringLiteral("du"))), db::toShownDate(r.value(QStringLiteral("au")))};
    case List::Controles:
        return {db::toShownDate(r.value(QStringLiteral("Date1"))), db::toShownDate(r.value(QStringLiteral("Date2")))};
    case List::Vignettes:
        return {db::toShownDate(r.value(QStringLiteral("Date"))), listAmount(r.value(QStringLiteral("montant")))};
    case List::Affectations:
        return {db::toShownDate(r.value(QStringLiteral("du"))), db::toShownDate(r.value(QStringLiteral("au"))),
                r.isNull(QStringLiteral("driver")) ? QString() : u' ' + r.text(QStringLiteral("nom")) + u' ' + r.text(QStringLiteral("Prenom")),
                r.text(QStringLiteral("obs"))};
    }
    return {};
}

db::Row findLine(const db::Database& db, List list, qint64 num)
{
    return db.queryOne(QStringLiteral("SELECT * FROM %1 WHERE num = ?").arg(tableOf(list)), {num});
}

void deleteLine(db::Database& db, List list, qint64 num)
{
    db::deleteLoaded(db, tableOf(list), QStringLiteral("num"), num, {});
}

// ---- checks ------------------------------------------------------------------------------------------

bool isStorableDate(const QString& text) { return text.size() == 10 && isValidDate(text) && !db::toStoredDate(text).isNull(); }

QString shownAmount(double value) { return formatNumber(value, u"### ### ###.00"); }

QString check(const ExpenseEntry& e)
{
    if (e.montant.trimmed().isEmpty())
        return kMontantOmis;
    if (!isStorableDate(e.date))
        return kDateIncorrecte;
    return {};
}

QString check(const ReceiptEntry& e) { return check(ExpenseEntry{e.montant, e.date, e.objet, {}, e.mode, 0}); }

QString check(const InsuranceEntry& e)
{
    if (e.agence.trimmed().isEmpty())
        return QStringLiteral("Agence omise");
    if (!isStorableDate(e.du) || !isStorableDate(e.au))
        return kDateIncorrecte;
    return {};
}

QString check(const ControlEntry& e)
{
    if (!isStorableDate(e.visite) || !isStorableDate(e.suivante))
        return kDateIncorrecte;
    return {};
}

QString check(const StickerEntry& e)
{
    if (!isStorableDate(e.date))
        return kDateIncorrecte;
    if (e.montant.trimmed().isEmpty())
        return kMontantOmis;
    return {};
}

QString check(const AssignmentEntry& e)
{
    if (!isStorableDate(e.du))
        return QStringLiteral("Date (1) incorrecte");
    if (!e.au.trimmed().isEmpty() && !isStorableDate(e.au))
        return QStringLiteral("Date (2) incorrecte");
    return {};
}

// ---- what a change panel shows ------------------------------------------------------------------------

ExpenseEntry expenseFrom(const db::Row& r)
{
    ExpenseEntry e;
    e.montant = shownAmount(r.number(QStringLiteral("Montant")));
    e.date = db::toShownDate(r.value(QStringLiteral("date")));
    e.objet = r.text(QStringLiteral("ref"));
    const double km = r.number(QStringLiteral("Km"));
    e.km = km > 0 ? shownNumber(km) : QString();
    e.mode = int(r.integer(QStringLiteral("mode")));
    e.typeDep = int(r.integer(QStringLiteral("Type_Dep")));
    return e;
}

ReceiptEntry receiptFrom(const db::Row& r)
{
    return {shownAmount(r.number(QStringLiteral("Montant"))), db::toShownDate(r.value(QStringLiteral("date"))),
            r.text(QStringLiteral("ref")), int(r.integer(QStringLiteral("mode")))};
}

InsuranceEntry insuranceFrom(const db::Row& r)
{
    return {r.text(QStringLiteral("agence")), db::toShownDate(r.value(QStringLiteral("du"))), db::toShownDate(r.value(QStringLiteral("au")))};
}

ControlEntry controlFrom(const db::Row& r)
{
    return {db::toShownDate(r.value(QStringLiteral("Date1"))), db::toShownDate(r.value(QStringLiteral("Date2")))};
}

StickerEntry stickerFrom(const db::Row& r)
{
    return {db::toShownDate(r.value(QStringLiteral("Date"))), shownAmount(r.number(QStringLiteral("montant")))};
}

AssignmentEntry assignmentFrom(const db::Row& r)
{
    AssignmentEntry e;
    e.du = db::toShownDate(r.value(QStringLiteral("du")));
    e.au = db::toShownDate(r.value(QStringLiteral("au")));
    e.obs = r.text(QStringLiteral("obs"));
    e.chauffeur = r.isNull(QStringLiteral("num_Chauffeur")) ? -1 : r.integer(QStringLiteral("num_Chauffeur"));
    return e;
}

// ---- writes ------------------------------------------------------------------------------------------

ledger::Line lineOf(qint64 vehicle, const ExpenseEntry& e)
{
    ledger::Line line;
    line.date = e.date.trimmed();
    line.montant = readNumber(e.montant);
    line.mode = e.mode;
    line.ref = objectOf(e.objet);
    line.numVehicule = vehicle;
    line.typeDep = e.typeDep;
    line.km = readNumber(e.km);
    line.contrepartie = schema::contrepartie::VehiculeOuAgent; // written by a new line only
    return line;
}

ledger::Line lineOf(qint64 vehicle, const ReceiptEntry& e)
{
    ledger::Line line;
    line.date = e.date.trimmed();
    line.montant = readNumber(e.montant);
    line.mode = e.mode;
    line.ref = objectOf(e.objet);
    line.numVehicule = vehicle;
    return line;
}

namespace {
/// Line `num` rewritten, or a new line (num 0) booked after a reconnection; the line's number, 0 when
/// line `num` is no longer there.
qint64 book(Session& s, ledger::Book book, qint64 num, const ledger::Line& line, const db::Row& loaded)
{
    if (num != 0 && loaded.size() > 0)
        return writeLoaded(num, [&] { ledger::update(s.db(), book, num, line, loaded); });
    if (num != 0)
        return ledger::update(s.db(), book, num, line) ? num : 0;
    s.reconnect();
    return ledger::add(s.db(), book, line);
}
} // namespace

qint64 save(Session& s, qint64 vehicle, qint64 num, const ExpenseEntry& e, const db::Row& loaded)
{
    return book(s, ledger::Book::Depenses, num, lineOf(vehicle, e), loaded);
}

qint64 save(Session& s, qint64 vehicle, qint64 num, const ReceiptEntry& e, const db::Row& loaded)
{
    return book(s, ledger::Book::Recettes, num, lineOf(vehicle, e), loaded);
}

qint64 save(Session& s, qint64 vehicle, qint64 num, const InsuranceEntry& e, const db::Row& loaded)
{
    return writeFollowUp(s, loaded, schema::Assurances, vehicle, num,
                         {{QStringLiteral("agence"), e.agence.trimmed().left(15)}, {QStringLiteral("du"), storedDate(e.du)},
                          {QStringLiteral("au"), storedDate(e.au)}});
}

qint64 save(Session& s, qint64 vehicle, qint64 num, const ControlEntry& e, const db::Row& loaded)
{
    return writeFollowUp(s, loaded, schema::Controles, vehicle, num,
                         {{QStringLiteral("Date1"), storedDate(e.visite)}, {QStringLiteral("Date2"), storedDate(e.suivante)}});
}

qint64 save(Session& s, qint64 vehicle, qint64 num, const StickerEntry& e, const db::Row& loaded)
{
    return writeFollowUp(s, loaded, schema::Vignettes, vehicle, num,
                         {{QStringLiteral("Date"), storedDate(e.date)}, {QStringLiteral("montant"), readNumber(e.montant)}});
}

qint64 save(Session& s, qint64 vehicle, qint64 num, const AssignmentEntry& e, const db::Row& loaded)
{
    // The observation is kept with one blank after it, " / " when there is none. It is trimmed first,
    // so that changing a line several times does not pile blanks up, and " / " shown back stays " / ".
    const QString obs = e.obs.trimmed();
    const bool none = obs.isEmpty() || obs == QStringLiteral("/");
    return writeFollowUp(s, loaded, schema::Affectations, vehicle, num,
                         {{QStringLiteral("du"), storedDate(e.du)},
                          {QStringLiteral("au"), e.au.trimmed().size() == 10 ? storedDate(e.au) : QVariant()},
                          {QStringLiteral("obs"), none ? QStringLiteral(" / ") : obs.left(30) + u' '},
                          {QStringLiteral("num_Chauffeur"), e.chauffeur}});
}

// ---- drivers -----------------------------------------------------------------------------------------

QList<Driver> readDrivers(const db::Database& db)
{
    QList<Driver> out;
    for (const db::Row& r : db.query(QStringLiteral("SELECT num, nom, Prenom FROM Agents WHERE Type_Ag = ? ORDER BY nom, Prenom"),
                                     {schema::person::Chauffeur}))
        out << Driver{r.integer(QStringLiteral("num")),
                      r.text(QStringLiteral("nom")).trimmed() + u' ' + r.text(QStringLiteral("Prenom")).trimmed()};
    return out;
}

// ---- oil change ----------------------------------------------------------------------------------------

bool saveOilChange(db::Database& db, qint64 vehicle, const OilChange& oil)
{
    if (db.scalar(QStringLiteral("SELECT count(*) FROM Vehicules WHERE num = ?"), {vehicle}).toInt() == 0)
        return false;
    db::Fields fields;
    if (isStorableDate(oil.date))
        fields.append({QStringLiteral("Date_vidange"), db::toStoredDate(oil.date)});
    if (!oil.km.trimmed().isEmpty())
        fields.append({QStringLiteral("Km_Vidange"), readNumber(oil.km)});
    if (!oil.huile.trimmed().isEmpty())
        fields.append({QStringLiteral("oil_vidange"), oil.huile.trimmed()});
    if (!fields.isEmpty())
        db::updateRow(db, schema::Vehicules, fields, QStringLiteral("num"), vehicle);
    return true;
}

// ---- purchase voucher ----------------------------------------------------------------------------------

Signer readSigner(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return {QStringLiteral("Le Comptable"), QString()};
    const auto [quality, name] = readSignatureFile(path);
    return {quality, name};
}

bool writeSigner(const QString& path, const Signer& signer, QString* error)
{
    return writeSignatureFile(path, signer.quality, signer.name, error);
}

QString voucherVehicle(const Header& h)
{
    return h.marque.trimmed() + u' ' + h.modele.trimmed() + QStringLiteral(" (") + h.matricule.trimmed() + u')';
}

QString voucherTemplate(bool oneCopy) { return oneCopy ? QStringLiteral("B_Achat.RPT") : QStringLiteral("B2_Achat.RPT"); }

QMap<QString, QString> voucherTexts(const Session& s, const Voucher& v)
{
    const QString montant = v.montant.trimmed();
    const QString numero = v.numero.trimmed();
    return {{QStringLiteral("ch1"), s.identite(1).trimmed()},
            {QStringLiteral("ch2"), s.identite(2).trimmed()},
            {QStringLiteral("ch3"), s.identite(3).trimmed()},
            {QStringLiteral("ch4"), v.date.trimmed()},
            {QStringLiteral("ch5"), v.fournisseur.trimmed()},
            {QStringLiteral("ch6"), v.vehicule.trimmed()},
            {QStringLiteral("ch7"), v.produit.trimmed()},
            {QStringLiteral("ch8"), montant.isEmpty() ? QStringLiteral("..............DA") : montant + QStringLiteral(" DA")},
            {QStringLiteral("ch9"), v.agent.trimmed()},
            {QStringLiteral("ch10"), v.observation.trimmed()},
            {QStringLiteral("ch11"), v.qualite.trimmed()},
            {QStringLiteral("ch12"), v.nom.trimmed()},
            {QStringLiteral("ch13"), numero.isEmpty() ? QStringLiteral(".................") : numero}};
}

} // namespace kv::vehiclefile
