#include "Dates.h"

#include <QDate>

namespace kv::db {

QVariant toStoredDate(const QString& shown)
{
    const QDate d = QDate::fromString(shown.trimmed(), kShownDateFormat);
    if (!d.isValid())
        return QVariant(QMetaType(QMetaType::QString));
    return d.toString(Qt::ISODate);
}

QString toShownDate(const QVariant& stored)
{
    if (stored.isNull())
        return {};
    const QDate d = QDate::fromString(stored.toString().left(10), Qt::ISODate);
    return d.isValid() ? d.toString(kShownDateFormat) : QString();
}

} // namespace kv::db
