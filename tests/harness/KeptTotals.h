#pragma once
// The rows of the totals an exercise file keeps as its ledger changes (Couts_Mois, Caisse_Jours), one
// text a row, empty rows left out: two files, or one before and after a recount, compare equal when they
// keep the same figures.
#include "platform/db/Database.h"

#include <QStringList>

namespace kv::test {

inline QStringList keptTotalsRows(const db::Database& db)
{
    QStringList rows;
    for (const QString& sql : {QStringLiteral("SELECT * FROM Couts_Mois WHERE montant <> 0 OR km_min IS NOT NULL ORDER BY 1, 2, 3"),
                               QStringLiteral("SELECT * FROM Caisse_Jours WHERE recettes <> 0 OR vehicules <> 0 OR salaires <> 0 "
                                              "OR autres <> 0 OR report <> 0 ORDER BY 1")})
        for (const db::Row& r : db.query(sql)) {
            QStringList cells;
            for (int c = 0; c < r.size(); ++c)
                cells << r.value(c).toString();
            rows << cells.join(u'|');
        }
    return rows;
}

} // namespace kv::test
