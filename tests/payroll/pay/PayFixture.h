#pragma once
// An open exercise with salaried agents, for the pay tests.
#include "harness/CoreFixture.h"

#include "platform/db/Database.h"

namespace kv::test {

struct PayFixture : CoreFixture {
    /// The exercise of 2021 open, as after start-up (Permn created with the rates 9 and 25.5).
    PayFixture() { openExercise(2021); }

    db::Database& db() { return session->db(); }

    /// Adds an agent (kind 0) and returns his number.
    qint64 addAgent(const QString& nom, const QString& prenom, double rate, bool salarie = true, bool arch = false,
                    QVariant cnas = 1, QVariant irgFlag = 1)
    {
        const qint64 num = db().nextNum(QStringLiteral("Agents"));
        db().execute(QStringLiteral("INSERT INTO Agents (num, Type_Ag, nom, Prenom, Fonction, tel, Salarie, Taux_Jour, "
                                    "Arch, flag_cnas, flag_irg) VALUES (?, 0, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {num, nom, prenom, QStringLiteral("Comptable"), QStringLiteral("0550 12 34 56"), salarie ? 1 : 0,
                      rate > 0 ? QVariant(rate) : QVariant(), arch ? 1 : 0, cnas, irgFlag});
        return num;
    }

    QVariant field(const QString& sql, const QVariantList& params = {}) { return db().scalar(sql, params); }

    void refuse(const QString& table, const QString& op = QStringLiteral("INSERT OR UPDATE OR DELETE"))
    {
        for (const QString& o : op.split(QStringLiteral(" OR ")))
            db().execute(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %2 ON %1 BEGIN SELECT RAISE(ABORT, "
                                        "'écriture refusée'); END")
                             .arg(table, o));
    }
};

} // namespace kv::test
