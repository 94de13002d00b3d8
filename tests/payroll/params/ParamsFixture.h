#pragma once
// An open exercise (2021) with salaried agents and pays written straight into the tables, for the
// payroll settings, the pay slip screen and the pay documents.
#include "harness/CoreFixture.h"
#include "harness/PdfText.h"
#include "harness/Seed.h"

#include "core/state/Session.h"
#include "platform/db/Database.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPdfDocument>

namespace kv::test {

struct PayrollFixture {
    CoreFixture f;
    PayrollFixture() { f.openExercise(2021); }

    Session& s() { return *f.session; }
    ScriptedUi& ui() { return f.ui; }
    db::Database& db() { return s().db(); }

    qint64 addAgent(const QString& nom, const QString& prenom, const QString& fonction, double taux,
                    const QString& entree = QString(), bool arch = false, const QString& ss = QString())
    {
        const qint64 num = db().nextNum(QStringLiteral("Agents"));
        seed::person(db(), {.num = num, .kind = schema::person::Agent, .nom = nom, .prenom = prenom, .fonction = fonction,
                            .salarie = true, .dEntree = entree, .ss = ss, .tauxJour = taux, .archived = arch,
                            .more = {{"flag_cnas", 1}, {"flag_irg", 1}}});
        return num;
    }

    struct Pay {
        double taux = 0, jours = 0, hSuppl = 0, indS = 0, panier = 0, autreInd = 0;
        double brut = 0, cnas = 0, irg = 0, avances = 0, rembPrets = 0, autresRetenues = 0, net = 0;
    };
    void addPay(qint64 agent, int month, const Pay& p, bool regle = false, const QString& date = QString())
    {
        db().execute(QStringLiteral("INSERT INTO Salaires (num_agent, MM, Taux_Jour, nbre_jours, H_Suppl, Ind_S, panier, "
                                    "autre_ind, BRUT, CNAS, IRG, avances, Remb_prets, Autres_Retenues, Net, regle, date) "
                                    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {agent, month, p.taux, p.jours, p.hSuppl, p.indS, p.panier, p.autreInd, p.brut, p.cnas, p.irg,
                      p.avances, p.rembPrets, p.autresRetenues, p.net, regle ? 1 : 0,
                      date.isEmpty() ? QVariant() : QVariant(date)});
    }
    /// The pay of the reference case: rate 1 000, 26 days, CNAS 9 %: CNAS 2 340, IRG 1 639.20, net 22 020.80.
    static Pay referencePay()
    {
        Pay p;
        p.taux = 1000;
        p.jours = 26;
        p.brut = 26000;
        p.cnas = 2340;
        p.irg = 1639.2;
        p.net = 22020.8;
        return p;
    }
    void setPermn(const QString& field, const QVariant& value)
    {
        db().execute(QStringLiteral("UPDATE Permn SET %1 = ?").arg(db::Database::identifier(field)), {value});
    }
    QVariant permn(const QString& field)
    {
        return db().scalar(QStringLiteral("SELECT %1 FROM Permn").arg(db::Database::identifier(field)));
    }
    qint64 count(const QString& sql, const QVariantList& params = {}) { return db().scalar(sql, params).toLongLong(); }

    /// A trigger that refuses every `op` (INSERT, UPDATE, DELETE) on `table`.
    void refuse(const QString& op, const QString& table)
    {
        db().execute(QStringLiteral("CREATE TRIGGER refuse_%1_%2 BEFORE %1 ON %2 BEGIN SELECT RAISE(ABORT, 'écriture refusée'); END")
                         .arg(op, table));
    }
    /// The message the guarded path shows for the trigger.
    static ShownMessage refusal() { return {QStringLiteral("écriture refusée"), ui::Icon::Critical, QStringLiteral("Z.E.B."), false}; }
};

inline ShownMessage msg(const QString& text, ui::Icon icon, const QString& title, bool question = false)
{
    return {text, icon, title, question};
}

template <typename W = QLineEdit> W* child(QWidget& screen, const QString& name)
{
    W* found = screen.findChild<W*>(name);
    if (!found)
        qFatal("no widget %s", qPrintable(name));
    return found;
}

inline void click(QWidget& screen, const QString& name) { child<QAbstractButton>(screen, name)->click(); }

/// Leaves a field as Tab would.
inline void leave(QWidget* field)
{
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
    QCoreApplication::processEvents();
}



/// Keeps a copy of a printed document when KV_SCREENSHOTS names a folder (to look at it).
void keepDocument(const QString& pdf, const QString& name);

} // namespace kv::test
