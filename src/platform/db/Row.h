#pragma once
#include <QSharedPointer>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace kv::db {

/// Column names of a result, shared by all its rows; looked up without regard to letter case.
class Columns {
public:
    explicit Columns(QStringList names);
    const QStringList& names() const { return names_; }
    /// Position of a column, -1 when absent.
    int indexOf(const QString& name) const;

private:
    QStringList names_;
    QHash<QString, int> index_;
};

/// One row of a result: fields by name (any letter case) or by position; a null field is a null QVariant.
class Row {
public:
    Row() = default;
    Row(QSharedPointer<const Columns> columns, QVariantList values)
        : columns_(std::move(columns)), values_(std::move(values)) {}

    bool has(const QString& name) const { return columns_ && columns_->indexOf(name) >= 0; }
    QVariant value(const QString& name) const;
    QVariant value(int position) const { return position >= 0 && position < values_.size() ? values_[position] : QVariant(); }
    QVariant operator[](const QString& name) const { return value(name); }
    bool isNull(const QString& name) const { return value(name).isNull(); }

    /// Null reads as 0 / empty, as the screens treat it.
    double number(const QString& name) const { return value(name).toDouble(); }
    qint64 integer(const QString& name) const { return value(name).toLongLong(); }
    QString text(const QString& name) const { return value(name).toString(); }
    bool flag(const QString& name) const { return value(name).toLongLong() != 0; }

    void set(const QString& name, const QVariant& v);
    int size() const { return values_.size(); }
    const QVariantList& values() const { return values_; }
    QStringList names() const { return columns_ ? columns_->names() : QStringList(); }
    /// Fields as a map keyed by the column names as the result spelled them.
    QVariantMap toMap() const;

private:
    QSharedPointer<const Columns> columns_;
    QVariantList values_;
};

using Rows = QList<Row>;

} // namespace kv::db
