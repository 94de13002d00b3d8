#pragma once
// The kinds of expense lines of the ledger, as the cash book and the activity report list them. One
// place for the rule, so that the two books always agree on which line goes where:
//
//   - a vehicle expense: `contrepartie` 0 with one of the six vehicle headings (`Type_Dep` below 6);
//   - an advance on salary: `contrepartie` 1 and `Type_Dep` 10 (booked by the pay screen);
//   - every other expense: the other client-account lines (`contrepartie` 1, not an advance), the
//     lines of agent and driver accounts (`contrepartie` 0 without a vehicle heading: their `Type_Dep`
//     was never written), and a line of no known kind, so that no line escapes the cash position.
//
// The three kinds share out the whole `Depenses` table: every line is in exactly one of them. Each
// condition is plain SQL that never evaluates to null (a column never written reads as null), so it
// can be negated, combined with date bounds and used in sums:
//
//   db.scalar("SELECT sum(Montant) FROM Depenses WHERE " + expenseCondition(ExpenseClass::Other)
//             + " AND date >= ? AND date <= ?", {from, to});
//   "... FROM Depenses d JOIN Agents a ON ... WHERE " + expenseCondition(ExpenseClass::Other, "d")
//
// Receipts have one kind (every `Recettes` line is a receipt), and the pays that count are the
// `Salaires` rows with a `date`: the day their month was closed.
#include <QString>

namespace kv::ledger {

enum class ExpenseClass {
    Vehicle,       ///< "Dép. Véhicules"
    SalaryAdvance, ///< the advances listed with the pays under "Salaires"
    Other,         ///< "Autres Dépenses"
};

/// How the engine may use the condition.
enum class IndexUse {
    Allowed,  ///< its columns may choose the index of the query
    KeptOut   ///< "+d.contrepartie": for a query whose other terms (one day) are far more selective, which
              ///< the engine, knowing nothing of the rows, would otherwise pass over for `Depenses_contrepartie`
};

/// The SQL condition selecting the `Depenses` lines of a kind; `alias` qualifies the columns
/// ("d" gives "d.contrepartie"), empty for none. The text holds no parameter.
inline QString expenseCondition(ExpenseClass kind, const QString& alias = {}, IndexUse use = IndexUse::Allowed)
{
    const QString p = (use == IndexUse::Allowed ? QString() : QStringLiteral("+")) + (alias.isEmpty() ? QString() : alias + u'.');
    // `IS` compares like `=` but gives 0 for a null, so none of the three is ever null.
    const QString vehicle = QStringLiteral("(%1contrepartie IS 0 AND %1Type_Dep IS NOT NULL AND %1Type_Dep < 6)").arg(p);
    const QString advance = QStringLiteral("(%1contrepartie IS 1 AND %1Type_Dep IS 10)").arg(p);
    switch (kind) {
    case ExpenseClass::Vehicle: return vehicle;
    case ExpenseClass::SalaryAdvance: return advance;
    case ExpenseClass::Other: return QStringLiteral("(NOT %1 AND NOT %2)").arg(vehicle, advance);
    }
    return QStringLiteral("(0)");
}

/// The SQL expression of a `Depenses` line's kind, int(ExpenseClass), by the same conditions: for one
/// read of a span's lines that sorts each into its list.
inline QString expenseClassOf(const QString& alias = {}, IndexUse use = IndexUse::Allowed)
{
    return QStringLiteral("(CASE WHEN %1 THEN %2 WHEN %3 THEN %4 ELSE %5 END)")
        .arg(expenseCondition(ExpenseClass::Vehicle, alias, use), QString::number(int(ExpenseClass::Vehicle)),
             expenseCondition(ExpenseClass::SalaryAdvance, alias, use), QString::number(int(ExpenseClass::SalaryAdvance)),
             QString::number(int(ExpenseClass::Other)));
}

/// The SQL condition selecting the `Salaires` rows that count as paid: a pay whose month was closed
/// carries its closing `date`.
inline QString paidPayCondition(const QString& alias = {})
{
    const QString p = alias.isEmpty() ? QString() : alias + u'.';
    return QStringLiteral("(%1date IS NOT NULL)").arg(p);
}

} // namespace kv::ledger
