#pragma once
// The report engine: a template (.RPT) is an HTML page with Mustache tags, headed by a block that
// names its title, page orientation, margins and read-only queries. The engine loads it, runs its
// queries through a runner the caller gives (it knows nothing of the database), fills it and renders
// it to an A4 PDF with "Page n / N" at the foot of every page. docs/reports.md describes the format.
#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QString>
#include <QVariantMap>

#include <functional>

namespace kv::reports {

/// One row of a query result: column name -> value (a null value inserts nothing).
using Row = QVariantMap;

/// Runs one read-only query. `boundParams` holds the values of the named parameters the query uses,
/// keyed by their name as the query writes it, without the colon (":annee" -> "annee"); a parameter
/// is taken from the caller's parameters whatever its letter case. Throws std::exception with the
/// database engine's message when the query fails.
using QueryRunner = std::function<QList<Row>(const QString& sql, const QVariantMap& boundParams)>;

struct Query {
    QString name; ///< the tag under which its rows are seen in the template
    QString sql;
    bool operator==(const Query&) const = default;
};

struct Template {
    QString path;  ///< the file it was loaded from; pictures are found relative to its folder
    QString title; ///< window title and PDF title; the file's base name when the header gives none
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF marginsMm{15, 15, 15, 20}; ///< left, top, right, bottom; the page footer sits in the bottom one
    QList<Query> queries;
    QString body;         ///< the HTML with its Mustache tags
    int bodyFirstLine = 1; ///< line of the file where the body starts, for error messages
    bool valid = false;   ///< set by load()/parseTemplate() when the template is usable
};

/// Reads and checks a template file (UTF-8). On failure returns a template with `valid` false and a
/// message in *error (a missing file fails like any other unreadable one).
Template load(const QString& path, QString* error);

/// The same from the text of a template; `path` only names it in messages and locates pictures.
Template parseTemplate(const QString& text, const QString& path, QString* error);

/// Runs the template's queries and fills its tags. Returns the HTML, or a null string and a message
/// in *error when the template is not valid, a query is refused or fails, a parameter is missing, or
/// the tags are malformed.
QString fill(const Template& tpl, const QVariantMap& textes, const QueryRunner& runner,
             const QVariantMap& params, QString* error);

/// Lays `html` out on A4 pages (the template's orientation and margins) and writes the PDF, replacing
/// `pdfOut` atomically. False with a message in *error when the file cannot be written.
bool renderPdf(const QString& html, const Template& tpl, const QString& pdfOut, QString* error);

/// load + fill + renderPdf.
bool renderReport(const QString& templatePath, const QVariantMap& textes, const QueryRunner& runner,
                  const QVariantMap& params, const QString& pdfOut, QString* error);

/// The text a value shows in a report: nothing for null, dd/mm/yyyy for a date, the shortest exact
/// text for a number, 1/0 for a flag, the value's own text otherwise.
QString valueText(const QVariant& value);

/// "# ### ##0.00": two decimals, '.' separator, digits grouped by three with no-break spaces.
/// Blanks in `text` are ignored; text that is not a number comes back unchanged, empty stays empty.
QString formatAmount(const QString& text, int decimals = 2);

/// An ISO date ("2024-03-05", optionally followed by a time) as "05/03/2024"; other text unchanged.
QString formatDate(const QString& text);

} // namespace kv::reports
