#include "Ledger.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"

#include <QStringList>
#include <QVariantList>

namespace kv::ledger {

QString table(Book book) { return book == Book::Recettes ? schema::Recettes : schema::Depenses; }

int monthOf(const QString& date) { return static_cast<int>(readNumber(date.trimmed().mid(3, 2))); }

namespace {
void common(const Line& line, Book book, QStringList& names, QVariantList& values, bool creation)
{
    names << QStringLiteral("date") << QStringLiteral("MM") << QStringLiteral("Montant") << QStringLiteral("mode") << QStringLiteral("ref");
    values << db::toStoredDate(line.date.trimmed()) << monthOf(line.date) << line.montant << line.mode << line.ref;
    if (creation && line.contrepartie) {
        names << QStringLiteral("contrepartie");
        values << *line.contrepartie;
    }
    if (creation && line.numAgent) {
        names << QStringLiteral("Num_Agent");
        values << *line.numAgent;
    }
    if (line.numVehicule) {
        names << QStringLiteral("num_vehicule");
        values << *line.numVehicule;
    }
    if (book == Book::Depenses && line.typeDep) {
        names << QStringLiteral("Type_Dep");
        values << *line.typeDep;
    }
    if (book == Book::Depenses && line.km) {
        names << QStringLiteral("Km");
        values << *line.km;
    }
}
} // namespace

qint64 add(db::Database& db, Book book, const Line& line)
{
    const QString t = table(book);
    db::Transaction transaction(db);
    const qint64 num = db.nextNum(t);
    QStringList names{QStringLiteral("num")};
    QVariantList values{num};
    common(line, book, names, values, true);
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    db.execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t, names.join(u','), marks.join(u',')), values);
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
    QStringList marks;
    for (int i = 0; i < columns_.size(); ++i)
        marks << QStringLiteral("?");
    insert_ = std::make_unique<db::Prepared>(
        db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table(book), columns_.join(u','), marks.join(u',')));
}

Batch::~Batch() = default;

qint64 Batch::add(const Line& line)
{
    QStringList names{QStringLiteral("num")};
    QVariantList values{next_};
    common(line, book_, names, values, true);
    QVariantList bound(columns_.size());
    for (int i = 0; i < names.size(); ++i)
        bound[columns_.indexOf(names[i])] = values[i];
    insert_->execute(bound);
    return next_++;
}

bool update(db::Database& db, Book book, qint64 num, const Line& line)
{
    QStringList names;
    QVariantList values;
    common(line, book, names, values, false);
    QStringList sets;
    for (const QString& n : names)
        sets << n + QStringLiteral(" = ?");
    values << num;
    return db.execute(QStringLiteral("UPDATE %1 SET %2 WHERE num = ?").arg(table(book), sets.join(u',')), values) > 0;
}

bool remove(db::Database& db, Book book, qint64 num, std::optional<qint64> numAgent, int contrepartie)
{
    QString sql = QStringLiteral("DELETE FROM %1 WHERE num = ? AND contrepartie = ?").arg(table(book));
    QVariantList values{num, contrepartie};
    if (numAgent) {
        sql += QStringLiteral(" AND Num_Agent = ?");
        values << *numAgent;
    }
    db::Transaction transaction(db);
    const bool deleted = db.execute(sql, values) > 0;
    transaction.commit();
    return deleted;
}

} // namespace kv::ledger
