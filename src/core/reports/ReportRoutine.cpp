#include "ReportRoutine.h"

#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/RecordSet.h"
#include "platform/db/RowWriter.h"
#include "platform/os/Files.h"
#include "platform/reports/ReportEngine.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kv {

QString reportOutputPath(const QString& templateName)
{
    const QString folder = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation)).filePath(QStringLiteral("kavorel-reports"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(QFileInfo(templateName).completeBaseName() + QStringLiteral(".pdf"));
}

QVariantMap reportTexts(const QVariantMap& stored)
{
    QVariantMap texts = stored;
    QString identity = stored.value(QStringLiteral("ch30")).toString().trimmed();
    if (identity.startsWith(u'(') && identity.endsWith(u')'))
        identity = identity.mid(1, identity.size() - 2).trimmed();
    texts.insert(QStringLiteral("identite4"), identity);
    return texts;
}

void fillPrintBuffer(db::Database& db, const QList<db::Fields>& rows)
{
    db::Transaction t(db);
    db::deleteRows(db, schema::Tampon1);
    for (const db::Fields& row : rows)
        db::insertRow(db, schema::Tampon1, row);
    t.commit();
}

QList<db::Fields> keyRows(const QStringList& keys)
{
    QList<db::Fields> rows;
    rows.reserve(keys.size());
    for (const QString& key : keys)
        rows.append({{QStringLiteral("num"), key}});
    return rows;
}

bool printReport(Session& s, const ReportRequest& request)
{
    s.reportTemplate = request.templateName;
    const QString templatePath = s.programFile(request.templateName);
    if (!QFileInfo(templatePath).isFile()) {
        s.ui().message(QStringLiteral("Fichier '") + request.templateName + QStringLiteral("' absent"), ui::Icon::Critical,
                       QStringLiteral("Z.E.B."));
        return false;
    }
    QString error;
    db::Database& db = s.db();
    try {
        db::Transaction t(db);
        if (!request.ownIdentity)
            s.ecrire_identite();
        if (!request.texts.isEmpty()) {
            db::RecordSet textes(db, schema::textes);
            if (textes.recordCount() == 0)
                textes.addNew();
            else
                textes.edit();
            for (auto it = request.texts.constBegin(); it != request.texts.constEnd(); ++it)
                textes.setField(it.key(), it.value());
            textes.update();
        }
        if (request.buffer)
            fillPrintBuffer(db, keyRows(*request.buffer));
        t.commit();
    } catch (const db::Error& e) {
        s.ui().message(e.message(), ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return false;
    }

    const db::Row textesRow = db.queryOne(QStringLiteral("SELECT * FROM textes LIMIT 1"));
    const QVariantMap textes = reportTexts(textesRow.toMap());
    const reports::QueryRunner runner = [&db](const QString& sql, const QVariantMap& bound) {
        QString why;
        if (!db.isReadOnlyQuery(sql, &why))
            throw db::Error(why);
        QList<reports::Row> rows;
        for (const db::Row& r : db.query(sql, bound))
            rows << r.toMap();
        return rows;
    };
    const QString pdf = reportOutputPath(request.templateName);
    if (!reports::renderReport(templatePath, textes, runner, request.params, pdf, &error)) {
        s.ui().message(error, ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return false;
    }
    const reports::Template tpl = reports::load(templatePath, nullptr);
    s.ui().showReport(pdf, tpl.title.isEmpty() ? request.templateName : tpl.title);
    return true;
}

} // namespace kv
