#include "Charges.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/RecordSet.h"

namespace kv::charges {

QString fieldName(int i) { return QStringLiteral("Charge%1").arg(i + 1); }

Stored read(const db::Database& db)
{
    QStringList columns;
    for (int i = 0; i < kFields; ++i)
        columns << fieldName(i);
    const db::Row row = db.queryOne(QStringLiteral("SELECT %1 FROM Permn LIMIT 1").arg(columns.join(QStringLiteral(", "))));
    Stored values;
    for (int i = 0; i < kFields; ++i)
        values[i] = row.value(i);
    return values;
}

void write(db::Database& db, const std::array<double, kFields>& values)
{
    db::Transaction t(db);
    db::RecordSet permn(db, schema::Permn);
    if (permn.recordCount() == 0) {
        permn.addNew();
    } else {
        permn.moveFirst();
        permn.edit();
    }
    for (int i = 0; i < kFields; ++i)
        permn.setField(fieldName(i), values[i]);
    permn.update();
    t.commit();
}

QString shown(const QVariant& stored) { return stored.isNull() ? QString() : formatNumber(stored.toDouble(), u"########.00"); }

QString monthlyTotalText(const QStringList& typed)
{
    double sum = 0;
    for (const QString& t : typed)
        sum += readNumber(t);
    return sum > 0 ? formatNumber(sum, u"### ### ###.00") : QString();
}

QString perDayText(const QString& monthlyTotal) { return formatNumber(readNumber(monthlyTotal) / 30, u"#########.00"); }

} // namespace kv::charges
