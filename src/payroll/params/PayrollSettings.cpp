#include "PayrollSettings.h"

#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/RowWriter.h"
#include "platform/db/RecordSet.h"

namespace kv::payroll {

const std::array<QString, 8> kIdentificationFields = {
    QStringLiteral("RC"),  QStringLiteral("Id_Fiscale"),      QStringLiteral("Article"), QStringLiteral("Telephone"),
    QStringLiteral("Fax"), QStringLiteral("Compte_Bancaire"), QStringLiteral("rib"),     QStringLiteral("agence")};

const std::array<QString, 8> kIdentificationCaptions = {
    QStringLiteral("R.C."), QStringLiteral("Id. Fiscale"),     QStringLiteral("Article"), QStringLiteral("Téléphone"),
    QStringLiteral("Fax"),  QStringLiteral("Compte Bancaire"), QStringLiteral(" R.I.B."), QStringLiteral("Agence")};

namespace {

/// The Permn row, positioned on it. The row exists (ensurePermn); an empty table reads as no row.
db::RecordSet permnRow(db::Database& db)
{
    db::RecordSet permn(db, schema::Permn);
    permn.moveFirst();
    return permn;
}

} // namespace

bool ensurePermn(db::Database& db)
{
    db::Transaction t(db);
    db::RecordSet permn(db, schema::Permn);
    if (permn.recordCount() > 0)
        return false;
    permn.addNew();
    for (int i = 0; i < 6; ++i)
        permn.setField(kIdentificationFields[i], QStringLiteral(" "));
    permn.setField(QStringLiteral("rib"), QStringLiteral(""));
    permn.setField(QStringLiteral("Taux_CNAS"), 9.0);
    permn.setField(QStringLiteral("Taux_PP"), 25.5);
    permn.update();
    t.commit();
    return true;
}

Identification readIdentification(db::Database& db)
{
    Identification texts;
    const db::RecordSet permn = permnRow(db);
    if (permn.eof())
        return texts;
    for (size_t i = 0; i < texts.size(); ++i)
        texts[i] = permn.field(kIdentificationFields[i]).toString().trimmed();
    return texts;
}

void writeIdentification(db::Database& db, const Identification& texts)
{
    db::Transaction t(db);
    ensurePermn(db);
    db::RecordSet permn = permnRow(db);
    permn.edit();
    for (size_t i = 0; i < texts.size(); ++i)
        permn.setField(kIdentificationFields[i], texts[i].trimmed());
    permn.update();
    t.commit();
}

PayrollParameters readParameters(db::Database& db)
{
    PayrollParameters p;
    const db::RecordSet permn = permnRow(db);
    if (permn.eof())
        return p;
    p.nCnas = permn.field(QStringLiteral("N_CNAS")).toString();
    p.tauxPP = permn.field(QStringLiteral("Taux_PP")).toDouble();
    p.tauxCnas = permn.field(QStringLiteral("Taux_CNAS")).toDouble();
    const QVariant jours = permn.field(QStringLiteral("Nb_Jours"));
    const QVariant heures = permn.field(QStringLiteral("Nb_Heures"));
    p.nbJours = jours.isNull() ? 26 : jours.toDouble();
    p.nbHeures = heures.isNull() ? 182 : heures.toDouble();
    p.unit = permn.field(QStringLiteral("Taux_VF")).toInt() == 1 ? PayUnit::Heure : PayUnit::Jour;
    return p;
}

void writeParameters(db::Database& db, const PayrollParameters& p)
{
    db::Transaction t(db);
    ensurePermn(db);
    db::RecordSet permn = permnRow(db);
    permn.edit();
    permn.setField(QStringLiteral("N_CNAS"), p.nCnas.trimmed());
    permn.setField(QStringLiteral("Taux_CNAS"), p.tauxCnas);
    permn.setField(QStringLiteral("Taux_PP"), p.tauxPP);
    permn.setField(QStringLiteral("Nb_Jours"), p.nbJours);
    permn.setField(QStringLiteral("Nb_Heures"), p.nbHeures);
    permn.setField(QStringLiteral("Taux_VF"), static_cast<int>(p.unit));
    permn.update();
    t.commit();
}

std::array<bool, 12> closedMonths(db::Database& db)
{
    std::array<bool, 12> closed{};
    const db::RecordSet permn = permnRow(db);
    if (permn.eof())
        return closed;
    for (int m = 1; m <= 12; ++m)
        closed[m - 1] = permn.field(schema::permn::closedFlag(m)).toLongLong() != 0;
    return closed;
}

bool anyClosedMonth(const db::Database& db)
{
    QStringList closed;
    for (int m = 1; m <= 12; ++m)
        closed << schema::permn::closedFlag(m) + QStringLiteral(" = 1");
    return !db.query(QStringLiteral("SELECT 1 FROM Permn WHERE ") + closed.join(QStringLiteral(" OR ")) + QStringLiteral(" LIMIT 1"))
                .isEmpty();
}

ChargesTable readCharges(db::Database& db)
{
    ChargesTable table;
    const db::RecordSet permn = permnRow(db);
    if (permn.eof())
        return table;
    // The gross total of every month in one query; a month without pays has no row (counts as 0).
    std::array<double, 12> gross{};
    for (const db::Row& r : db.query(QStringLiteral("SELECT MM, sum(BRUT) AS S1 FROM Salaires WHERE MM BETWEEN 1 AND 12 GROUP BY MM")))
        gross[r.integer(QStringLiteral("MM")) - 1] = r.number(QStringLiteral("S1"));
    for (int m = 1; m <= 12; ++m) {
        MonthCharges& c = table[m - 1];
        c.closed = permn.field(schema::permn::closedFlag(m)).toLongLong() != 0;
        if (!c.closed)
            continue;
        c.brut = gross[m - 1];
        c.patronale = permn.field(schema::permn::employerCharge(m)).toDouble();
        c.ouvriere = permn.field(schema::permn::workersCharge(m)).toDouble();
    }
    return table;
}

void writeCharges(db::Database& db, const ChargesTable& table)
{
    db::Transaction t(db);
    db::RecordSet permn = permnRow(db);
    if (permn.eof())
        return;
    permn.edit();
    for (int m = 1; m <= 12; ++m) {
        const MonthCharges& c = table[m - 1];
        if (!c.closed)
            continue;
        permn.setField(schema::permn::employerCharge(m), c.patronale);
        permn.setField(schema::permn::workersCharge(m), c.ouvriere);
    }
    permn.update();
    t.commit();
}

ChargesTotals chargesTotals(const ChargesTable& table)
{
    ChargesTotals totals;
    for (int i = 0; i < 12; ++i) {
        const MonthCharges& c = table[i];
        if (!c.closed)
            continue;
        totals.brut += c.brut;
        totals.patronale += c.patronale;
        totals.ouvriere += c.ouvriere;
        totals.rowTotal[i] = c.brut + c.patronale + c.ouvriere;
    }
    totals.total = totals.brut + totals.patronale + totals.ouvriere;
    return totals;
}

int deleteMonthPays(db::Database& db, int month)
{
    if (month < 1 || month > 12)
        return 0;
    db::Transaction t(db);
    const int deleted = db::deleteRow(db, schema::Salaires, QStringLiteral("MM"), month);
    db::RecordSet permn = permnRow(db);
    if (!permn.eof()) {
        permn.edit();
        permn.setField(schema::permn::closedFlag(month), 0);
        // The charges of pays that no longer exist go with them; closing the month again records
        // the employer's amount of the new pays.
        permn.setField(schema::permn::employerCharge(month), QVariant());
        permn.setField(schema::permn::workersCharge(month), QVariant());
        permn.update();
    }
    t.commit();
    return deleted;
}

} // namespace kv::payroll
