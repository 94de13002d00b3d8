#pragma once
// A record set: the rows of a table (optionally filtered and ordered) held in memory, with a current
// position, navigation, find by numeric key, and add / edit / update / delete of the current record.
// Rows are found again by the engine's row id, so tables without a key (Permn, textes, Csse) work too.
#include "Database.h"

namespace kv::db {

class RecordSet {
public:
    /// The rows of `table` matching `where` (SQL with "?" parameters, may be empty), in `orderBy` order.
    RecordSet(Database& db, const QString& table, const QString& where = {}, const QVariantList& params = {},
              const QString& orderBy = {});

    /// Reads the rows again from the database; the position returns to the first record.
    void requery();

    int recordCount() const { return rows_.size(); }
    bool eof() const { return pos_ >= rows_.size() || rows_.isEmpty(); }
    bool bof() const { return pos_ < 0 || rows_.isEmpty(); }
    int position() const { return pos_; }
    void moveFirst() { pos_ = 0; }
    void moveNext() { if (pos_ < rows_.size()) ++pos_; }
    void movePrevious() { if (pos_ >= 0) --pos_; }
    void moveLast() { pos_ = rows_.isEmpty() ? 0 : rows_.size() - 1; }
    void moveTo(int position) { pos_ = position; }

    /// Moves to the first record whose numeric `field` equals `value`; false (no match) otherwise,
    /// in which case the position is unchanged.
    bool findFirst(const QString& field, qint64 value);
    bool noMatch() const { return noMatch_; }

    /// Current record's field, null when empty or when there is no current record.
    QVariant field(const QString& name) const;
    QVariant field(int position) const;
    const Row& current() const;

    /// Starts a new record; fields set with setField(); update() inserts it and makes it current.
    void addNew();
    /// Starts changing the current record.
    void edit();
    void setField(const QString& name, const QVariant& value);
    /// Writes the pending new or changed record.
    void update();
    void cancelUpdate();
    /// Deletes the current record; the position stays on the following one.
    void deleteCurrent();

private:
    enum class Pending { None, Add, Edit };
    Database& db_;
    QString table_, where_, orderBy_;
    QVariantList params_;
    QSharedPointer<const Columns> columns_;
    QList<Row> rows_;
    QList<qint64> rowIds_;
    int pos_ = 0;
    bool noMatch_ = false;
    Pending pending_ = Pending::None;
    QVariantMap changes_;
};

} // namespace kv::db
