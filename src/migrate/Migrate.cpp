#include "Migrate.h"

#include "core/ledger/KeptTotals.h"
#include "core/schema/ExerciseSchema.h"
#include "core/schema/WorkingYear.h"
#include "platform/db/FileOps.h"
#include "platform/db/RowWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace kv::migrate {

namespace {

/// A value as both engines give it back: a whole number the same whether held as an integer or a real,
/// a text as its text, a null apart from every text.
QString canonical(const QVariant& v)
{
    if (v.isNull())
        return QStringLiteral("\x01");
    switch (v.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = v.toDouble();
        if (std::isfinite(d) && d == std::floor(d) && std::fabs(d) < 9.0e15)
            return u'n' + QString::number(static_cast<qint64>(d));
        return u'n' + QString::number(d, 'g', 17);
    }
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Bool:
        return u'n' + QString::number(v.toLongLong());
    case QMetaType::QByteArray:
        return u'b' + QString::fromLatin1(v.toByteArray().toHex());
    default:
        return u's' + v.toString();
    }
}

/// The rows of a table as canonical lines, sorted: two engines' orders do not matter.
QStringList rowsOf(const db::Database& db, const QString& table, const QStringList& columns)
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << db::Database::identifier(c);
    QStringList rows;
    db.forEach(QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(u','), db::Database::identifier(table)), {},
               [&](const db::Row& row) {
                   QStringList cells;
                   cells.reserve(row.size());
                   for (const QVariant& v : row.values())
                       cells << canonical(v);
                   rows << cells.join(QChar(0x1f));
               });
    std::sort(rows.begin(), rows.end());
    return rows;
}

QStringList lowered(QStringList names)
{
    for (QString& n : names)
        n = n.toLower();
    return names;
}

QString shownRow(const QString& line)
{
    QString shown = line;
    shown.replace(QChar(0x1f), QStringLiteral(" | "));
    return shown.size() > 160 ? shown.left(160) + QStringLiteral("…") : shown;
}

} // namespace

QStringList yearTables()
{
    static const QStringList tables = [] {
        QStringList all;
        db::Database model;
        model.open(QStringLiteral(":memory:"), db::Database::Mode::Create);
        model.executeScript(schema::schemaScript());
        // The kept totals come last: the ledger's triggers fill them as its rows are copied, and their own
        // copy (a carried balance included) then takes their place.
        ledger::createKeptTotals(model);
        for (const db::Row& row : model.query(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' "
                                                             "AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY rowid")))
            all << row.value(0).toString();
        return all;
    }();
    return tables;
}

QMap<int, QString> yearFiles(const QString& folder)
{
    static const QRegularExpression name(QStringLiteral("^ZEB_([0-9]{4})\\.MDB$"), QRegularExpression::CaseInsensitiveOption);
    QMap<int, QString> years;
    for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::Files)) {
        const QRegularExpressionMatch m = name.match(f.fileName());
        if (m.hasMatch() && m.captured(1).toInt() > 0)
            years.insert(m.captured(1).toInt(), f.absoluteFilePath());
    }
    return years;
}

Copied copyRows(const db::Database& from, db::Database& to)
{
    Copied copied;
    for (const QString& table : yearTables()) {
        if (!from.hasTable(table))
            throw db::Error(QStringLiteral("table %1 absente de l'exercice à copier").arg(table));
        const QStringList columns = from.columns(table);
        QStringList quoted;
        for (const QString& c : columns)
            quoted << db::Database::identifier(c);
        db::deleteRows(to, table);
        db::Prepared insert(to, db::insertSql(table, columns));
        from.forEach(QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(u','), db::Database::identifier(table)), {},
                     [&](const db::Row& row) {
                         insert.execute(row.values());
                         ++copied.rows;
                     });
        ++copied.tables;
    }
    return copied;
}

QString firstDifference(const db::Database& a, const db::Database& b)
{
    for (const QString& table : yearTables()) {
        const bool inA = a.hasTable(table), inB = b.hasTable(table);
        if (inA != inB)
            return QStringLiteral("table %1 présente d'un côté seulement").arg(table);
        if (!inA)
            continue;
        const QStringList columns = a.columns(table);
        if (lowered(columns) != lowered(b.columns(table)))
            return QStringLiteral("table %1 : colonnes différentes").arg(table);
        const QStringList rowsA = rowsOf(a, table, columns), rowsB = rowsOf(b, table, columns);
        if (rowsA.size() != rowsB.size())
            return QStringLiteral("table %1 : %2 ligne(s) d'un côté, %3 de l'autre").arg(table).arg(rowsA.size()).arg(rowsB.size());
        for (qsizetype i = 0; i < rowsA.size(); ++i)
            if (rowsA[i] != rowsB[i])
                return QStringLiteral("table %1 : la ligne « %2 » diffère de « %3 »").arg(table, shownRow(rowsA[i]), shownRow(rowsB[i]));
    }
    return {};
}

bool copyYearChecked(const db::Database& from, db::Database& to, Copied* copied, QString* error)
{
    try {
        db::Transaction t(to);
        const Copied done = copyRows(from, to);
        const QString difference = firstDifference(from, to);
        if (!difference.isEmpty()) {
            if (error)
                *error = QStringLiteral("la copie n'est pas identique (%1) ; rien n'est gardé").arg(difference);
            return false;
        }
        t.commit();
        if (copied)
            *copied = done;
        return true;
    } catch (const db::Error& e) {
        if (error)
            *error = e.message();
        return false;
    }
}

bool writeYearFile(const db::Database& from, const QString& templatePath, const QString& target, bool replace,
                   Copied* copied, QString* error)
{
    if (QFileInfo::exists(target) && !replace) {
        if (error)
            *error = QStringLiteral("%1 existe déjà (--replace pour le remplacer)").arg(QDir::toNativeSeparators(target));
        return false;
    }
    const QString temp = db::temporaryOf(target);
    QFile::remove(temp);
    if (!QFile::copy(templatePath, temp)) {
        if (error)
            *error = QStringLiteral("impossible de préparer %1 depuis %2").arg(QDir::toNativeSeparators(temp), QDir::toNativeSeparators(templatePath));
        return false;
    }
    QFile::setPermissions(temp, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    bool ok = false;
    try {
        db::Database to;
        to.open(temp);
        schema::upgradeExerciseDatabase(to);
        ok = copyYearChecked(from, to, copied, error);
        to.close();
    } catch (const db::Error& e) {
        if (error)
            *error = e.message();
    }
    if (ok) {
        const QString fault = schema::workingYearFault(temp);
        if (!fault.isEmpty()) {
            if (error)
                *error = QStringLiteral("le fichier écrit n'est pas un exercice utilisable (%1)").arg(fault);
            ok = false;
        }
    }
    if (ok)
        ok = db::replaceFile(temp, target, error);
    if (!ok)
        QFile::remove(temp);
    return ok;
}

} // namespace kv::migrate
