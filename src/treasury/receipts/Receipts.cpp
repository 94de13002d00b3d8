#include "Receipts.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "core/ledger/Ledger.h"

namespace kv::receipts {

fund::Codes codes()
{
    fund::Codes c;
    c.book = ledger::Book::Recettes;
    c.numAgent = schema::NothingChosen;
    c.contrepartie = schema::contrepartie::RecetteDiverse;
    return c;
}

namespace {
/// A bound as stored (ISO text), or null when blank.
QVariant stored(const QString& shown) { return db::toStoredDate(shown.trimmed()); }
} // namespace

bool isInverted(const Period& period)
{
    const QVariant from = stored(period.from), to = stored(period.to);
    return !from.isNull() && !to.isNull() && to.toString() < from.toString();
}

QString periodText(const Period& period)
{
    const QString from = period.from.trimmed(), to = period.to.trimmed();
    if (!from.isEmpty() && !to.isEmpty())
        return QStringLiteral("du %1 au %2").arg(from, to);
    if (!from.isEmpty())
        return QStringLiteral("à partir du ") + from;
    if (!to.isEmpty())
        return QStringLiteral("jusqu'au ") + to;
    return {};
}

QList<Receipt> read(const db::Database& db, const Period& period)
{
    QString sql = QStringLiteral("SELECT num, date, Montant, mode, ref FROM Recettes WHERE contrepartie = ?");
    QVariantList params{schema::contrepartie::RecetteDiverse};
    const QVariant from = stored(period.from), to = stored(period.to);
    if (!from.isNull()) {
        sql += QStringLiteral(" AND date >= ?");
        params << from;
    }
    if (!to.isNull()) {
        sql += QStringLiteral(" AND date <= ?");
        params << to;
    }
    sql += QStringLiteral(" ORDER BY date, num");
    const db::Rows rows = db.query(sql, params);
    QList<Receipt> lines;
    lines.reserve(rows.size());
    for (const db::Row& r : rows)
        lines.append({r.value(0).toLongLong(), db::toShownDate(r.value(1)), r.value(2).toDouble(), r.value(3).toInt(),
                      r.value(4)});
    return lines;
}

double total(const QList<Receipt>& lines)
{
    // The amounts as their cells show them: the total is the sum of what the list shows.
    double sum = 0;
    for (const Receipt& r : lines)
        sum += round2(r.montant);
    return round2(sum);
}

QString amountCell(double montant)
{
    // A negative line (a correction) shows its amount, as it counts in the total.
    return round2(montant) == 0 ? QString() : formatNumber(montant, u"### ###.00") + u' ';
}

QString modeCell(int mode) { return u' ' + schema::mode::twoModeCaption(mode); }

QString observationCell(const QVariant& ref) { return ref.isNull() ? QString() : u' ' + ref.toString(); }

QString totalText(double value) { return round2(value) == 0 ? QString() : formatNumber(value, u"### ### ###.00"); }

QString printedAmount(double value) { return formatNumber(round2(value), u"# ### ##0.00"); }

bool isListed(const db::Database& db, qint64 num)
{
    return db.queryOne(QStringLiteral("SELECT num FROM Recettes WHERE num = ? AND contrepartie = ?"),
                       {num, schema::contrepartie::RecetteDiverse})
               .size() > 0;
}

bool remove(db::Database& db, qint64 num, std::optional<double> shownAmount)
{
    return ledger::remove(db, ledger::Book::Recettes, num, std::nullopt, schema::contrepartie::RecetteDiverse, shownAmount);
}

} // namespace kv::receipts
