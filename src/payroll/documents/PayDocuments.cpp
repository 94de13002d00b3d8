#include "PayDocuments.h"

#include "core/formats/Dates.h"
#include "core/formats/Names.h"
#include "core/kit/Guard.h"
#include "core/reports/ReportRoutine.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/Dates.h"
#include "platform/db/RecordSet.h"

#include <QDate>
#include <QFileInfo>

namespace kv::payroll {

namespace {

/// Runs the report routine through the guarded path: every failure is shown, the call says whether
/// the document was shown.
bool print(Session& session, const ReportRequest& request)
{
    bool shown = false;
    kit::guarded(session.ui(), [&] { shown = printReport(session, request); });
    return shown;
}

/// A month document: the month heading as ch4, the month as the selection its queries bind.
bool printMonthDocument(Session& session, const QString& templateName, int month)
{
    if (month < 1 || month > 12)
        return false;
    ReportRequest request;
    request.templateName = templateName;
    request.texts = {{QStringLiteral("ch4"), monthHeading(month, session.exerciceOuvert).trimmed()}};
    request.params = {{QStringLiteral("mois"), month}};
    return print(session, request);
}

void putSignatory(QMap<QString, QString>& texts, const Signatory& signatory)
{
    texts.insert(QStringLiteral("ch11"), signatory.date.trimmed());
    texts.insert(QStringLiteral("ch12"), signatory.nom.trimmed());
    texts.insert(QStringLiteral("ch13"), signatory.qualite.trimmed());
}

bool templateExists(Session& session, const QString& name) { return QFileInfo(session.programFile(name)).isFile(); }

/// A typed date that is given must be a real day ("Date incorrecte", critical, "ATTENTION").
bool optionalDateOk(Session& session, const QString& text)
{
    if (text.trimmed().isEmpty() || isValidDate(text.trimmed()))
        return true;
    session.ui().refuse(QStringLiteral("Date incorrecte"));
    return false;
}

} // namespace

QString monthHeading(int month, int year)
{
    if (month < 1 || month > 12)
        return QString::number(year);
    return dayMonthNames().frenchMonths[month - 1].trimmed() + u' ' + QString::number(year);
}

bool printSignatureList(Session& session, int month)
{
    return printMonthDocument(session, kSignatureListTemplate, month);
}

bool printPaySlips(Session& session, int month) { return printMonthDocument(session, kPaySlipsTemplate, month); }

// ---- work certificate ---------------------------------------------------------------------------------

WorkCertificate workCertificateFor(Session& session, qint64 agent)
{
    WorkCertificate c;
    const db::Row row = session.db().queryOne(QStringLiteral("SELECT d_entree FROM Agents WHERE num = ?"), {agent});
    c.debut = db::toShownDate(row.value(QStringLiteral("d_entree")));
    c.fin = QStringLiteral("à ce jour");
    return c;
}

QString certificatePeriod(const QString& debut, const QString& fin)
{
    const QString end = fin.trimmed();
    const bool isDate = end.size() >= 3 && end.at(2) == u'/';
    return QStringLiteral("Du  ") + debut.trimmed() + (isDate ? QStringLiteral("  Au  ") : QStringLiteral("  ")) + end;
}

bool printWorkCertificate(Session& session, qint64 agent, const WorkCertificate& certificate, const Signatory& signatory)
{
    const QString debut = certificate.debut.trimmed();
    if (debut.size() != 10 || !isValidDate(debut)) {
        session.ui().refuse(QStringLiteral("Date d'entrée incorrecte"));
        return false;
    }
    if (!optionalDateOk(session, certificate.neLe))
        return false;
    db::Row person;
    if (!kit::guarded(session.ui(), [&] {
            person = session.db().queryOne(QStringLiteral("SELECT nom, Prenom, Fonction FROM Agents WHERE num = ?"), {agent});
        }))
        return false;
    if (person.size() == 0) {
        session.ui().message(QStringLiteral("Enregistrement introuvable"));
        return false;
    }
    ReportRequest request;
    request.templateName = kWorkCertificateTemplate;
    request.texts = {
        {QStringLiteral("ch4"), certificate.numero.trimmed()},
        {QStringLiteral("ch5"), person.text(QStringLiteral("nom")).trimmed()},
        {QStringLiteral("ch6"), person.text(QStringLiteral("Prenom")).trimmed()},
        {QStringLiteral("ch7"), certificate.neLe.trimmed()},
        {QStringLiteral("ch8"), certificate.libre.trimmed()},
        {QStringLiteral("ch9"), person.text(QStringLiteral("Fonction")).trimmed()},
        {QStringLiteral("ch10"), certificatePeriod(debut, certificate.fin)},
    };
    putSignatory(request.texts, signatory);
    return print(session, request);
}

// ---- annual statement ---------------------------------------------------------------------------------

AnnualTotals annualTotals(const std::array<double, 8>& a)
{
    AnnualTotals t;
    t.salairePoste = a[0] + a[1];
    t.salaireAnnuel = t.salairePoste + a[2] + a[3];
    t.retenues = a[4] + a[5] + a[6];
    t.net = t.salaireAnnuel - t.retenues + a[7];
    return t;
}

std::array<QString, 2> annualPeriod(int month, int year)
{
    const QDate start(year, month, 1);
    if (!start.isValid())
        return {};
    const QString format = db::kShownDateFormat;
    return {start.toString(format), start.addDays(364).toString(format)};
}

QString statementPeriod(const QString& debut, const QString& fin)
{
    const QString dots = QStringLiteral(".........................");
    const auto shown = [&](const QString& d) { return d.trimmed().isEmpty() ? dots : d.trimmed(); };
    return QStringLiteral("Du ") + shown(debut) + QStringLiteral("  Au ") + shown(fin);
}

bool printAnnualStatement(Session& session, qint64 agent, const AnnualStatement& statement, const Signatory& signatory)
{
    if (!optionalDateOk(session, statement.debut) || !optionalDateOk(session, statement.fin))
        return false;
    ReportRequest request;
    request.templateName = kAnnualStatementTemplate;
    request.texts = {
        {QStringLiteral("ch4"), statementPeriod(statement.debut, statement.fin)},
        {QStringLiteral("ch5"), statement.caption2.trimmed()},
        {QStringLiteral("ch6"), statement.caption3.trimmed()},
    };
    putSignatory(request.texts, signatory);
    // A missing template stops before anything is written: the routine says so.
    if (!templateExists(session, request.templateName))
        return print(session, request);
    const bool written = kit::guarded(session.ui(), [&] {
        db::Database& db = session.db();
        db::Transaction t(db);
        db.execute(QStringLiteral("DELETE FROM Csse"));
        db::RecordSet csse(db, schema::Csse);
        csse.addNew();
        for (int i = 0; i < 8; ++i)
            csse.setField(QStringLiteral("C%1").arg(i + 2), statement.amounts[i]);
        csse.setField(QStringLiteral("num_produit"), agent);
        csse.update();
        t.commit();
    });
    return written && print(session, request);
}

// ---- pay slip -----------------------------------------------------------------------------------------

bool printPaySlip(Session& session, const PaySlipSheet& sheet, const Signatory& signatory)
{
    ReportRequest request;
    request.templateName = kPaySlipTemplate;
    // Amounts go as the screen shows them; the typed texts trimmed.
    request.texts = {
        {QStringLiteral("ch4"), sheet.moisDe.trimmed()},
        {QStringLiteral("ch5"), sheet.nom.trimmed()},
        {QStringLiteral("ch6"), sheet.prenom.trimmed()},
        {QStringLiteral("ch7"), sheet.fonction.trimmed()},
        {QStringLiteral("ch14"), sheet.salaireBase},
        {QStringLiteral("ch15"), sheet.hSuppl},
        {QStringLiteral("ch16"), sheet.indS},
        {QStringLiteral("ch17"), sheet.panier},
        {QStringLiteral("ch18"), sheet.autreInd},
        {QStringLiteral("ch19"), sheet.brut},
        {QStringLiteral("ch20"), sheet.cnas},
        {QStringLiteral("ch21"), sheet.irg},
        {QStringLiteral("ch22"), sheet.avances},
        {QStringLiteral("ch23"), sheet.rembPrets},
        {QStringLiteral("ch24"), sheet.autresRetenues},
        {QStringLiteral("ch25"), sheet.retenues},
        {QStringLiteral("ch26"), sheet.net},
    };
    putSignatory(request.texts, signatory);
    return print(session, request);
}

} // namespace kv::payroll
