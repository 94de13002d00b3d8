#include "Row.h"

namespace kv::db {

Columns::Columns(QStringList names) : names_(std::move(names))
{
    for (int i = 0; i < names_.size(); ++i) {
        const QString key = names_[i].toCaseFolded();
        if (!index_.contains(key))
            index_.insert(key, i);
    }
}

int Columns::indexOf(const QString& name) const { return index_.value(name.toCaseFolded(), -1); }

QVariant Row::value(const QString& name) const
{
    return columns_ ? value(columns_->indexOf(name)) : QVariant();
}

void Row::set(const QString& name, const QVariant& v)
{
    const int i = columns_ ? columns_->indexOf(name) : -1;
    if (i >= 0)
        values_[i] = v;
}

QVariantMap Row::toMap() const
{
    QVariantMap map;
    if (!columns_)
        return map;
    for (int i = 0; i < values_.size(); ++i)
        map.insert(columns_->names()[i], values_[i]);
    return map;
}

} // namespace kv::db
