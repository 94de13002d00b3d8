#include "RecordSet.h"

#include "RowWriter.h"

namespace kv::db {

RecordSet::RecordSet(Database& db, const QString& table, const QString& where, const QVariantList& params,
                     const QString& orderBy)
    : db_(db), table_(Database::identifier(table)), where_(where), orderBy_(orderBy), params_(params)
{
    requery();
}

void RecordSet::requery()
{
    QString sql = QStringLiteral("SELECT rowid AS kv_rowid, * FROM ") + table_;
    if (!where_.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where_;
    sql += QStringLiteral(" ORDER BY ") + (orderBy_.trimmed().isEmpty() ? QStringLiteral("rowid") : orderBy_);
    const Rows raw = db_.query(sql, params_);
    QStringList names = db_.columns(table_);
    columns_ = QSharedPointer<const Columns>::create(names);
    rows_.clear();
    rowIds_.clear();
    rows_.reserve(raw.size());
    for (const Row& r : raw) {
        rowIds_ << r.value(0).toLongLong();
        QVariantList values = r.values();
        values.removeFirst();
        rows_.append(Row(columns_, std::move(values)));
    }
    pos_ = 0;
    pending_ = Pending::None;
    changes_.clear();
}

bool RecordSet::findFirst(const QString& field, qint64 value)
{
    const int column = columns_->indexOf(field);
    noMatch_ = true;
    if (column < 0)
        return false;
    for (int i = 0; i < rows_.size(); ++i) {
        const QVariant v = rows_[i].value(column);
        if (!v.isNull() && v.toLongLong() == value) {
            pos_ = i;
            noMatch_ = false;
            return true;
        }
    }
    return false;
}

const Row& RecordSet::current() const
{
    static const Row empty;
    return eof() || bof() ? empty : rows_[pos_];
}

QVariant RecordSet::field(const QString& name) const
{
    if (pending_ != Pending::None) {
        for (auto it = changes_.constBegin(); it != changes_.constEnd(); ++it)
            if (it.key().compare(name, Qt::CaseInsensitive) == 0)
                return it.value();
        if (pending_ == Pending::Add)
            return {};
    }
    return current().value(name);
}

QVariant RecordSet::field(int position) const { return current().value(position); }

void RecordSet::addNew()
{
    pending_ = Pending::Add;
    changes_.clear();
}

void RecordSet::edit()
{
    if (eof() || bof())
        throw Error(QStringLiteral("Aucun enregistrement en cours"));
    pending_ = Pending::Edit;
    changes_.clear();
}

void RecordSet::setField(const QString& name, const QVariant& value)
{
    if (pending_ == Pending::None)
        throw Error(QStringLiteral("Mise à jour sans Edit ou AddNew"));
    const int column = columns_->indexOf(name);
    if (column < 0)
        throw Error(QStringLiteral("Élément non trouvé dans cette collection : ") + name);
    // Keep the table's own spelling of the column.
    changes_.insert(columns_->names()[column], value);
}

void RecordSet::update()
{
    if (pending_ == Pending::None)
        throw Error(QStringLiteral("Mise à jour sans Edit ou AddNew"));
    Fields fields;
    for (auto it = changes_.constBegin(); it != changes_.constEnd(); ++it)
        fields.append({it.key(), it.value()});
    if (pending_ == Pending::Add) {
        const qint64 id = insertRow(db_, table_, fields);
        const Row fresh = db_.queryOne(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(table_), {id});
        rows_.append(Row(columns_, fresh.values()));
        rowIds_ << id;
        pos_ = rows_.size() - 1;
    } else {
        if (!fields.isEmpty()) {
            updateRow(db_, table_, fields, QStringLiteral("rowid"), rowIds_[pos_]);
            const Row fresh =
                db_.queryOne(QStringLiteral("SELECT * FROM %1 WHERE rowid = ?").arg(table_), {rowIds_[pos_]});
            rows_[pos_] = Row(columns_, fresh.values());
        }
    }
    pending_ = Pending::None;
    changes_.clear();
}

void RecordSet::cancelUpdate()
{
    pending_ = Pending::None;
    changes_.clear();
}

void RecordSet::deleteCurrent()
{
    if (eof() || bof())
        throw Error(QStringLiteral("Aucun enregistrement en cours"));
    deleteRow(db_, table_, QStringLiteral("rowid"), rowIds_[pos_]);
    rows_.removeAt(pos_);
    rowIds_.removeAt(pos_);
}

} // namespace kv::db
