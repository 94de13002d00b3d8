#include "Ledger.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/db/RowWriter.h"

#include <QStringList>
#include <QVariantList>

namespace kv::ledger {

QString table(Book book) { return book == Book::Recettes ? schema::Recettes : schema::Depenses; }

int monthOf(const QString& date) { return static_cast<int>(readNumber(date.trimmed().mid(3, 2))); }

namespace {
/// The fields a booking writes (after `num` on creation).
db::Fields common(const Line& line, Book book, bool creation)
{
    db::Fields f{{QStringLiteral("date"), db::toStoredDate(line.date.trimmed())},
                 {QStringLiteral("MM"), monthOf(line.date)},
                 {QStringLiteral("Montant"), line.montant},
                 {QStringLiteral("mode"), line.mode},
                 {QStringLiteral("ref"), line.ref}};
    if (creation && line.contrepartie)
        f.append({QStringLiteral("contrepartie"), *line.contrepartie});
    if (creation && line.numAgent)
        f.append({QStringLiteral("Num_Agent"), *line.numAgent});
    if (line.numVehicule)
        f.append({QStringLiteral("num_vehicule"), *line.numVehicule});
    if (book == Book::Depenses && line.typeDep)
        f.append({QStringLiteral("Type_Dep"), *line.typeDep});
    if (book == Book::Depenses && line.km)
        f.append({QStringLiteral("Km"), *line.km});
    return f;
}
} // namespace

qint64 add(db::Database& db, Book book, const Line& line)
{
    const QString t = table(book);
    db::Transaction transaction(db);
    const qint64 num = db.nextNum(t);
    db::insertRow(db, t, db::Fields{{QStringLiteral("num"), num}} + common(line, book, true));
    transaction.commit();
    return num;
}

Batch::Batch(db::Database& db, Book book) : book_(book), next_(db.nextNum(table(book)))
{
    // Every column a booking may write; the ones a line leaves unset are bound to null, as add() leaves them.
    columns_ = {QStringLiteral("num"), QStringLiteral("date"), QStringLiteral("MM"), QStringLiteral("Montant"),
                QStringLiteral("mode"), QStringLiteral("ref"), QStringLiteral("contrepartie"), QStringLiteral("Num_Agent"),
                QStringLiteral("num_vehicule")};
    if (book == Book::Depenses)
        columns_ << QStringLiteral("Type_Dep") << QStringLiteral("Km");
    insert_ = std::make_unique<db::Prepared>(db, db::insertSql(table(book), columns_));
}

Batch::~Batch() = default;

qint64 Batch::add(const Line& line)
{
    QVariantList bound(columns_.size());
    bound[0] = next_;
    for (const db::Field& f : common(line, book_, true))
        bound[columns_.indexOf(f.first)] = f.second;
    insert_->execute(bound);
    return next_++;
}

bool update(db::Database& db, Book book, qint64 num, const Line& line)
{
    return db::updateRow(db, table(book), common(line, book, false), QStringLiteral("num"), num) > 0;
}

void update(db::Database& db, Book book, qint64 num, const Line& line, const db::Row& loaded)
{
    db::updateLoaded(db, table(book), common(line, book, false), QStringLiteral("num"), num, loaded);
}

void remove(db::Database& db, Book book, qint64 num, const db::Row& loaded)
{
    db::deleteLoaded(db, table(book), QStringLiteral("num"), num, loaded);
}

bool hasMovements(const db::Database& db)
{
    return !db.query(QStringLiteral("SELECT 1 WHERE EXISTS (SELECT 1 FROM Recettes) OR EXISTS (SELECT 1 FROM Depenses)")).isEmpty();
}

bool remove(db::Database& db, Book book, qint64 num, std::optional<qint64> numAgent, int contrepartie,
            std::optional<double> shownAmount)
{
    QString where = QStringLiteral("num = ? AND contrepartie = ?");
    QVariantList values{num, contrepartie};
    if (numAgent) {
        where += QStringLiteral(" AND Num_Agent = ?");
        values << *numAgent;
    }
    db::Transaction transaction(db);
    bool deleted = false;
    if (shownAmount) {
        // The amount shown (a null one read as 0, as the lists read it) is part of the deletion's condition,
        // so that no change can come in between.
        deleted = db::deleteRows(db, table(book), where + QStringLiteral(" AND ifnull(Montant, 0) = ?"), values + QVariantList{*shownAmount}) > 0;
        if (!deleted && db.queryOne(QStringLiteral("SELECT num FROM %1 WHERE %2").arg(table(book), where), values).size() > 0)
            throw db::Conflict(db::Conflict::Kind::Changed);
    } else {
        deleted = db::deleteRows(db, table(book), where, values) > 0;
    }
    transaction.commit();
    return deleted;
}

} // namespace kv::ledger
