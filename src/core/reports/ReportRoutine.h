#pragma once
// The report routine every printing screen calls: checks the template, writes the firm identity and
// the screen's texts into the `textes` record, fills the print buffer `Tampon1` for list reports, renders
// the template to PDF and shows it in the preview window.
#include "platform/db/RowWriter.h"

#include <QMap>
#include <QStringList>
#include <QVariantMap>
#include <optional>

namespace kv {

class Session;

struct ReportRequest {
    QString templateName;              ///< e.g. "Liste_V.RPT", in the program folder
    QMap<QString, QString> texts;      ///< the screen's own texts: "ch4" onwards
    std::optional<QStringList> buffer; ///< for list reports: the keys of the listed rows, into Tampon1
    bool ownIdentity = false;          ///< the screen writes ch1 to ch3 itself (vouchers, pay documents)
    QVariantMap params;                ///< selection parameters, bound by name in the template's queries
};

/// The one writer of the print buffer `Tampon1`: empties it, then writes `rows` in order (each its
/// columns and values, `num` the key or the line's position), in one transaction (nested in the
/// caller's when there is one).
void fillPrintBuffer(db::Database& db, const QList<db::Fields>& rows);
/// The buffer rows of a list report: one row per key, in `num`.
QList<db::Fields> keyRows(const QStringList& keys);

/// Runs the routine. False when it stopped: missing template ("Fichier '…' absent") or an engine error
/// (shown with the engine's message; the data written before the error is rolled back).
bool printReport(Session& session, const ReportRequest& request);

/// The report texts as templates see them: the stored `textes` record, plus `identite4`, the firm's
/// fourth identity field alone - `ch30` without the brackets ecrire_identite puts around it, empty
/// when the field is. A header shows `ch30` only when there is something in it:
///   {{#textes.identite4}}{{textes.ch30}}{{/textes.identite4}}
QVariantMap reportTexts(const QVariantMap& stored);

/// Where the rendered PDF of a template goes: a work folder of the user's temporary files.
QString reportOutputPath(const QString& templateName);

} // namespace kv
