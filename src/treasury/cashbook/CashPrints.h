#pragma once
// The prints of the cash book, one per tab: the summary (JCSSE_0.RPT), the vehicle expenses
// (JCSSE_1.RPT), the salaries (JCSSE_2.RPT), the other expenses (JCSSE_3.RPT) and the receipts
// (JCSSE_4.RPT). Each writes the firm identity and `ch4` = the title of the day; the summary writes its
// figures into `ch10`..`ch26`; a list writes its lines into the print buffer `Tampon1` - the ledger
// numbers, or for the salaries the cells themselves (`qualite`, `ville`, `tel`, `depense`, `objet`,
// `num` = the line's position), since their lines come from two tables.
#include "CashDay.h"

#include <QMap>

namespace kv {
class Session;
}

namespace kv::cashbook {

/// The tabs of the cash book, in order; the number of a tab is the number of its template.
enum Tab { TabSummary, TabVehicles, TabSalaries, TabOthers, TabReceipts, TabCount };

/// "JCSSE_0.RPT" ... "JCSSE_4.RPT".
QString templateName(Tab tab);

/// Whether the tab has something to print: the summary always, a list when it has a line.
bool printable(const CashDay& day, Tab tab);

/// The texts the summary's print writes: `ch10` the opening balance, `ch11`..`ch15` the "Recettes"
/// column of rows 2 to 6, `ch16`..`ch20` the "Dépenses" column of rows 2 to 6, `ch21`..`ch26` the
/// "Solde" column of rows 2 to 7, as the screen shows them; and `ch4` the title.
QMap<QString, QString> summaryTexts(const CashDay& day);

/// Prints the tab through the report routine; nothing when it has nothing to print. False when the
/// routine stopped (missing template, engine error: its message shown, the data as it was). An engine
/// error of the buffer's writes throws db::Error, the data as it was.
bool printTab(Session& session, const CashDay& day, Tab tab);

} // namespace kv::cashbook
