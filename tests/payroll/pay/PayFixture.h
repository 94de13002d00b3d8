#pragma once
// An open exercise with salaried agents, for the pay tests.
#include "harness/CoreFixture.h"
#include "harness/Seed.h"

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
        seed::person(db(), {.num = num, .kind = schema::person::Agent, .nom = nom, .prenom = prenom, .fonction = "Comptable",
                            .tel = "0550 12 34 56", .salarie = salarie, .tauxJour = rate, .archived = arch,
                            .more = {{"flag_cnas", cnas}, {"flag_irg", irgFlag}}});
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
