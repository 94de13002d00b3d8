#include "WorkingYear.h"

#include "ExerciseSchema.h"
#include "Schema.h"
#include "platform/db/FileOps.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QPair>

namespace kv::schema {

namespace {

/// Every table of the current schema with its columns, read from the schema script once.
const QList<QPair<QString, QStringList>>& expectedTables()
{
    static const QList<QPair<QString, QStringList>> tables = [] {
        QList<QPair<QString, QStringList>> all;
        db::Database model;
        model.open(QStringLiteral(":memory:"), db::Database::Mode::Create);
        model.executeScript(schemaScript());
        for (const db::Row& row : model.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                             "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid"))) {
            const QString name = row.value(0).toString();
            all.append({name, model.columns(name)});
        }
        return all;
    }();
    return tables;
}

QString firstLine(const QString& text)
{
    const QString line = text.section(u'\n', 0, 0).trimmed();
    return line.size() > 200 ? line.left(200) + QStringLiteral("…") : line;
}

/// The first table of the schema that `db` lacks (or holds as something else), empty when none.
QString missingTable(const db::Database& db)
{
    const QHash<QString, QString> types = db.objectTypes(); // lower-case name -> type of the object of that name
    for (const auto& [table, columns] : expectedTables()) {
        const QString type = types.value(table.toLower());
        if (type.isEmpty())
            return QStringLiteral("table %1 absente").arg(table);
        if (type != QLatin1String("table"))
            return QStringLiteral("%1 n'est pas une table").arg(table);
    }
    return {};
}

/// The first table of the schema that lacks columns, and which, empty when none.
QString missingColumns(const db::Database& db)
{
    for (const auto& [table, columns] : expectedTables()) {
        const QStringList present = db.columns(table);
        QStringList missing;
        for (const QString& column : columns)
            if (!present.contains(column, Qt::CaseInsensitive))
                missing << column;
        if (missing.size() == 1)
            return QStringLiteral("colonne %1 absente de la table %2").arg(missing.first(), table);
        if (!missing.isEmpty()) {
            const QString shown = missing.size() > 6 ? QStringList(missing.mid(0, 6)).join(QStringLiteral(", ")) + QStringLiteral("…")
                                                     : missing.join(QStringLiteral(", "));
            return QStringLiteral("%1 colonnes absentes de la table %2 : %3").arg(missing.size()).arg(table, shown);
        }
    }
    return {};
}

} // namespace

QString workingYearFault(db::Database& db, PageCheck pages)
{
    try {
        const QString verdict = db.pageFault(pages == PageCheck::Full);
        if (!verdict.isEmpty())
            return QStringLiteral("fichier endommagé : ") + firstLine(verdict);
        const int version = db.userVersion();
        if (version > kSchemaVersion)
            return QStringLiteral("base écrite par une version plus récente du programme (version %1)").arg(version);
        if (version < 0)
            return QStringLiteral("version de base inconnue (%1)").arg(version);

        const QString noTable = missingTable(db);
        if (!noTable.isEmpty())
            return noTable;
        // The upgrade and what follows in one transaction: a file that is refused keeps what it held.
        db::Transaction t(db);
        try {
            upgradeExerciseDatabase(db);
        } catch (const db::Error& e) {
            // Columns missing before any step (the steps are undone) are what the user can act on.
            const QString noColumn = missingColumns(db);
            return (noColumn.isEmpty() ? QString() : noColumn + QStringLiteral(" ; ")) + QStringLiteral("mise à niveau impossible : ")
                   + firstLine(e.message());
        }
        const QString noColumn = missingColumns(db);
        if (!noColumn.isEmpty())
            return noColumn;
        // Read as the exercise connection reads them.
        for (const QString& table : standingTables)
            db.query(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(db::Database::identifier(table)));
        t.commit();
    } catch (const db::Error& e) {
        return firstLine(e.message());
    }
    return {};
}

QString workingYearFault(const QString& path, PageCheck pages)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("fichier absent");
    if (QFileInfo(path).size() == 0)
        return QStringLiteral("fichier vide");
    try {
        db::Database db;
        db.open(path, db::Database::Mode::ReadWrite);
        return workingYearFault(db, pages);
    } catch (const db::Error& e) {
        return firstLine(e.message());
    }
}

QString workingYearFaultOfCopy(const QString& path, const QString& scratch, PageCheck pages)
{
    if (!QFileInfo(path).isFile())
        return QStringLiteral("fichier absent");
    QString error;
    if (!db::copyFileAtomic(path, scratch, &error))
        return QStringLiteral("copie impossible : ") + error;
    const QString fault = workingYearFault(scratch, pages);
    if (!fault.isEmpty())
        QFile::remove(scratch);
    QFile::remove(scratch + QStringLiteral("-journal"));
    return fault;
}

} // namespace kv::schema
