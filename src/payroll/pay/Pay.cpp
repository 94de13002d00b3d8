#include "Pay.h"

#include "core/formats/Numbers.h"
#include "core/schema/Schema.h"
#include "people/registers/PersonStore.h"
#include "platform/db/Database.h"
#include "platform/db/Dates.h"
#include "platform/db/RowWriter.h"

#include <QHash>
#include <QSet>
#include <stdexcept>

namespace kv::payroll {

namespace {


/// The month list and the pay screen read an agent with his pay in one query; the agent's own number
/// and rate are renamed so that they do not meet the pay's.
const QString kMonthQuery = QStringLiteral(
    "SELECT S.*, A.num AS agent_num, A.nom AS agent_nom, A.Prenom AS agent_prenom, A.Fonction AS agent_fonction, "
    "A.tel AS agent_tel, A.photo AS agent_photo, A.obs AS agent_obs, A.Taux_Jour AS agent_taux, "
    "A.flag_cnas AS agent_cnas, A.flag_irg AS agent_irg "
    "FROM Agents A JOIN Salaires S ON S.num = "
    "(SELECT MIN(P.num) FROM Salaires P WHERE P.num_agent = A.num AND P.MM = :mois) "
    "WHERE A.Salarie = 1 AND A.Arch = 0 ORDER BY A.nom, A.Prenom, A.num");

QString blankUnlessAbove0(double value, const QString& text) { return value > 0 ? text : QString(); }

/// Writes a computed pay into its row: the entries' values, the gross shown and the net shown.
int writePay(db::Database& db, qint64 num, const PaySave& save)
{
    const PayEntries& e = save.entries;
    const PayFigures& f = save.figures;
    return db::updateRow(db, schema::Salaires,
                         {{QStringLiteral("Taux_Jour"), e.tauxJour},
                          {QStringLiteral("nbre_jours"), e.nbreJours},
                          {QStringLiteral("panier"), e.panier},
                          {QStringLiteral("autre_ind"), e.autreInd},
                          {QStringLiteral("H_Suppl"), e.hSuppl},
                          {QStringLiteral("Ind_S"), e.indS},
                          {QStringLiteral("CNAS"), f.cnasValue},
                          {QStringLiteral("IRG"), f.irgValue},
                          {QStringLiteral("avances"), e.avances},
                          {QStringLiteral("Remb_prets"), e.rembPrets},
                          {QStringLiteral("Autres_Retenues"), e.autresRetenues},
                          {QStringLiteral("BRUT"), f.brutValue},
                          {QStringLiteral("Net"), f.netValue}},
                         QStringLiteral("num"), num);
}

/// The advances on salary of a month of an exercise: lines of `Depenses` with `contrepartie` 1 of that
/// month, dated in that year (a ledger kept by a closing holds last year's too). Parameters: the
/// month, the first day of the year and the first day of the next one; the callers add their own.
const QString kAdvancesOfTheMonth = QStringLiteral(
    "SELECT * FROM Depenses WHERE MM = ? AND contrepartie = ? AND date >= ? AND date < ?");

QVariantList advancesParams(int month, int year)
{
    return {month, schema::contrepartie::Client, QStringLiteral("%1-01-01").arg(year, 4, 10, QChar(u'0')),
            QStringLiteral("%1-01-01").arg(year + 1, 4, 10, QChar(u'0'))};
}

Advance advance(const db::Row& r)
{
    Advance a;
    a.num = r.integer(QStringLiteral("num"));
    a.date = db::toShownDate(r.value(QStringLiteral("date")));
    a.montant = r.number(QStringLiteral("Montant"));
    a.mode = static_cast<int>(r.integer(QStringLiteral("mode")));
    a.ref = r.text(QStringLiteral("ref"));
    return a;
}

} // namespace

QString shownAmount(double value, const QString& pattern)
{
    if (round2(value) == 0)
        return {};
    return formatNumber(value, pattern) + u' ';
}

QString entryText(double value, const QString& pattern)
{
    return value > 0 ? formatNumber(value, pattern) + u' ' : QString();
}

PayEntries readEntries(const PayTexts& t, bool cnasDue, bool irgDue, qint16 situation)
{
    // The rate and the amounts to the cent, as their entries show them once the pay is loaded again.
    const auto cents = [](const QString& text) { return round2(readNumber(text)); };
    PayEntries e;
    e.tauxJour = cents(t.tauxJour);
    e.nbreJours = readNumber(t.nbreJours);
    e.hSuppl = cents(t.hSuppl);
    e.indS = cents(t.indS);
    e.panier = cents(t.panier);
    e.autreInd = cents(t.autreInd);
    e.avances = cents(t.avances);
    e.rembPrets = cents(t.rembPrets);
    e.autresRetenues = cents(t.autresRetenues);
    e.cnasDue = cnasDue;
    e.irgDue = irgDue;
    e.situation = situation;
    return e;
}

qint16 situationOf(bool celibataire, int enfants)
{
    if (celibataire)
        return irg::Celibataire;
    return enfants > 0 ? irg::MarieEnfants : irg::Marie;
}

PayFigures computePay(const PayEntries& e, double tauxCnas)
{
    // Each figure from the figures shown before it, itself rounded to the cent as it is shown.
    PayFigures f;
    const double base = round2(e.tauxJour * e.nbreJours);
    const double poste = round2(base + e.hSuppl + e.indS);

    if (e.cnasDue) {
        const double cnas = round2(tauxCnas * poste) * 0.01;
        if (cnas > 0)
            f.cnas = formatNumber(cnas, kTotalPattern) + u' ';
    }
    f.cnasValue = readNumber(f.cnas);

    if (e.irgDue) {
        const double tax = irg::taxe(round2(poste - f.cnasValue), e.situation);
        if (tax > 0)
            f.irg = formatNumber(tax, kTotalPattern) + u' ';
    }
    f.irgValue = readNumber(f.irg);

    const double brut = round2(poste + e.panier + e.autreInd);
    const double retenues = round2(f.irgValue + f.cnasValue + e.avances + e.rembPrets + e.autresRetenues);
    const double net = round2(brut - retenues);
    f.salaireBase = shownAmount(base);
    f.salairePoste = shownAmount(poste);
    f.brut = shownAmount(brut);
    f.retenues = shownAmount(retenues);
    f.net = shownAmount(net);
    f.baseValue = base;
    f.posteValue = poste;
    f.brutValue = brut;
    f.retenuesValue = retenues;
    f.netValue = net;
    return f;
}

int checkedMonth(int month)
{
    if (month < 1 || month > 12)
        throw std::out_of_range("month");
    return month;
}

PayParams payParams(const db::Row& permn)
{
    PayParams p;
    p.tauxCnas = permn.number(QStringLiteral("Taux_CNAS"));
    p.tauxPP = permn.number(QStringLiteral("Taux_PP"));
    p.byHour = permn.integer(QStringLiteral("Taux_VF")) == 1;
    const QString units = p.byHour ? QStringLiteral("Nb_Heures") : QStringLiteral("Nb_Jours");
    p.unitsPerMonth = permn.isNull(units) ? (p.byHour ? 182 : 26) : static_cast<qint16>(permn.number(units));
    for (int m = 1; m <= 12; ++m) {
        p.closed[m - 1] = permn.flag(schema::permn::closedFlag(m));
        const QString charge = schema::permn::employerCharge(m);
        if (!permn.isNull(charge))
            p.pptr[m - 1] = permn.number(charge);
    }
    return p;
}

PayParams readPayParams(const db::Database& db)
{
    return payParams(db.queryOne(QStringLiteral("SELECT * FROM Permn")));
}

double PayRow::retenues() const { return cnas + irg + avances + rembPrets + autresRetenues; }

PayRow payRow(const db::Row& r)
{
    PayRow p;
    p.num = r.integer(QStringLiteral("num"));
    p.agent = r.integer(QStringLiteral("num_agent"));
    p.month = static_cast<int>(r.integer(QStringLiteral("MM")));
    p.tauxJour = r.number(QStringLiteral("Taux_Jour"));
    p.nbreJours = r.number(QStringLiteral("nbre_jours"));
    p.hSuppl = r.number(QStringLiteral("H_Suppl"));
    p.indS = r.number(QStringLiteral("Ind_S"));
    p.panier = r.number(QStringLiteral("panier"));
    p.autreInd = r.number(QStringLiteral("autre_ind"));
    p.brut = r.number(QStringLiteral("BRUT"));
    p.brutNull = r.isNull(QStringLiteral("BRUT"));
    p.cnas = r.number(QStringLiteral("CNAS"));
    p.irg = r.number(QStringLiteral("IRG"));
    p.avances = r.number(QStringLiteral("avances"));
    p.rembPrets = r.number(QStringLiteral("Remb_prets"));
    p.autresRetenues = r.number(QStringLiteral("Autres_Retenues"));
    p.net = r.number(QStringLiteral("Net"));
    p.regle = r.flag(QStringLiteral("regle"));
    p.date = db::toShownDate(r.value(QStringLiteral("date")));
    return p;
}

PayAgent payAgent(const db::Row& r)
{
    PayAgent a;
    a.num = r.integer(QStringLiteral("num"));
    a.nom = r.text(QStringLiteral("nom"));
    a.prenom = r.text(QStringLiteral("Prenom"));
    a.fonction = r.text(QStringLiteral("Fonction"));
    a.tel = r.text(QStringLiteral("tel"));
    a.photo = r.text(QStringLiteral("photo"));
    a.obs = r.text(QStringLiteral("obs"));
    a.tauxJour = r.number(QStringLiteral("Taux_Jour"));
    a.cnasDue = r.integer(QStringLiteral("flag_cnas")) == schema::Yes;
    a.irgDue = r.integer(QStringLiteral("flag_irg")) == schema::Yes;
    return a;
}

QStringList monthListCaptions()
{
    return {QStringLiteral("N°"),     QStringLiteral("NOM"),  QStringLiteral("Prénom"),
            QStringLiteral("Fonction"), QStringLiteral("Taux J"), QStringLiteral("Nbre"),
            QStringLiteral("BRUT"),   QStringLiteral("Retenues"), QStringLiteral("Net à P.")};
}

QStringList MonthLine::cells(int position) const
{
    const double retenues = pay.retenues();
    const double net = pay.brut - retenues;
    return {QString::number(position),
            agent.nom,
            agent.prenom,
            agent.fonction,
            blankUnlessAbove0(pay.tauxJour, formatNumber(pay.tauxJour, kTotalPattern)),
            blankUnlessAbove0(pay.nbreJours, QString::number(pay.nbreJours)),
            blankUnlessAbove0(pay.brut, formatNumber(pay.brut, kTotalPattern)),
            blankUnlessAbove0(retenues, formatNumber(retenues, kTotalPattern) + u' '),
            pay.brutNull ? QString() : blankUnlessAbove0(net, formatNumber(net, kTotalPattern) + u' ')};
}

std::optional<PayAgent> readPayAgent(const db::Database& db, qint64 num)
{
    const std::optional<db::Row> row = people::readPersonRow(db, num);
    if (!row)
        return std::nullopt;
    return payAgent(*row);
}

QList<PayAgent> salariedAgents(const db::Database& db)
{
    QList<PayAgent> agents;
    for (const db::Row& r :
         db.query(QStringLiteral("SELECT * FROM Agents WHERE Salarie = 1 AND Arch = 0 ORDER BY nom, Prenom, num")))
        agents << payAgent(r);
    return agents;
}

PayRow newPay(qint64 agent, int month, double agentRate, int unitsPerMonth)
{
    PayRow p;
    p.agent = agent;
    p.month = month;
    p.tauxJour = round2(agentRate);
    p.nbreJours = unitsPerMonth;
    p.brut = p.net = round2(p.tauxJour * unitsPerMonth);
    p.brutNull = false;
    return p;
}

QList<MonthLine> buildMonth(db::Database& db, int month, int unitsPerMonth, int* created)
{
    checkedMonth(month);
    if (created)
        *created = 0;
    const QList<PayAgent> agents = salariedAgents(db);
    if (agents.isEmpty())
        return {};

    QSet<qint64> paid;
    for (const db::Row& r : db.query(QStringLiteral("SELECT DISTINCT num_agent FROM Salaires WHERE MM = ?"), {month}))
        paid.insert(r.integer(QStringLiteral("num_agent")));
    QList<PayRow> missing;
    for (const PayAgent& a : agents)
        if (!paid.contains(a.num))
            missing << newPay(a.num, month, a.tauxJour, unitsPerMonth);
    if (!missing.isEmpty()) {
        db::Transaction t(db);
        for (const PayRow& p : missing)
            db::insertRow(db, schema::Salaires,
                          {{QStringLiteral("num_agent"), p.agent},
                           {QStringLiteral("MM"), p.month},
                           {QStringLiteral("Taux_Jour"), p.tauxJour},
                           {QStringLiteral("nbre_jours"), p.nbreJours},
                           {QStringLiteral("H_Suppl"), 0},
                           {QStringLiteral("Ind_S"), 0},
                           {QStringLiteral("panier"), 0},
                           {QStringLiteral("autre_ind"), 0},
                           {QStringLiteral("avances"), 0},
                           {QStringLiteral("Remb_prets"), 0},
                           {QStringLiteral("Autres_Retenues"), 0},
                           {QStringLiteral("BRUT"), p.brut},
                           {QStringLiteral("Net"), p.net},
                           {QStringLiteral("regle"), 0}});
        t.commit();
        if (created)
            *created = static_cast<int>(missing.size());
    }

    QList<MonthLine> lines;
    for (const db::Row& r : db.query(kMonthQuery, QVariantMap{{QStringLiteral("mois"), month}})) {
        MonthLine line;
        line.pay = payRow(r);
        line.agent.num = r.integer(QStringLiteral("agent_num"));
        line.agent.nom = r.text(QStringLiteral("agent_nom"));
        line.agent.prenom = r.text(QStringLiteral("agent_prenom"));
        line.agent.fonction = r.text(QStringLiteral("agent_fonction"));
        line.agent.tel = r.text(QStringLiteral("agent_tel"));
        line.agent.photo = r.text(QStringLiteral("agent_photo"));
        line.agent.obs = r.text(QStringLiteral("agent_obs"));
        line.agent.tauxJour = r.number(QStringLiteral("agent_taux"));
        line.agent.cnasDue = r.integer(QStringLiteral("agent_cnas")) == schema::Yes;
        line.agent.irgDue = r.integer(QStringLiteral("agent_irg")) == schema::Yes;
        lines << line;
    }
    return lines;
}

std::optional<PayRow> readPay(const db::Database& db, qint64 agent, int month)
{
    const db::Row r = db.queryOne(
        QStringLiteral("SELECT * FROM Salaires WHERE num_agent = ? AND MM = ? ORDER BY num LIMIT 1"), {agent, month});
    if (r.size() == 0)
        return std::nullopt;
    return payRow(r);
}

PayTexts payTexts(const PayRow& pay, double advances)
{
    return {entryText(pay.tauxJour, kEntryPattern),
            pay.nbreJours > 0 ? QString::number(pay.nbreJours) + u' ' : QString(),
            entryText(pay.hSuppl, kEntryPattern),
            entryText(pay.indS, kEntryPattern),
            entryText(pay.panier, kEntryPattern),
            entryText(pay.autreInd, kEntryPattern),
            entryText(advances, kEntryPattern),
            entryText(pay.rembPrets, kEntryPattern),
            entryText(pay.autresRetenues, kEntryPattern)};
}

PaySave payOf(const PayRow& pay, bool cnasDue, bool irgDue, double advances, double tauxCnas)
{
    PaySave save;
    save.entries = readEntries(payTexts(pay, advances), cnasDue, irgDue);
    save.figures = computePay(save.entries, tauxCnas);
    return save;
}

PayFigures storedFigures(const PayRow& pay)
{
    PayFigures f;
    f.baseValue = round2(pay.tauxJour * pay.nbreJours);
    f.posteValue = round2(f.baseValue + pay.hSuppl + pay.indS);
    f.cnasValue = pay.cnas;
    f.irgValue = pay.irg;
    f.brutValue = pay.brut;
    f.retenuesValue = round2(pay.retenues());
    f.netValue = pay.net;
    f.cnas = entryText(pay.cnas, kTotalPattern);
    f.irg = entryText(pay.irg, kTotalPattern);
    f.salaireBase = shownAmount(f.baseValue);
    f.salairePoste = shownAmount(f.posteValue);
    f.brut = shownAmount(f.brutValue);
    f.retenues = shownAmount(f.retenuesValue);
    f.net = shownAmount(f.netValue);
    return f;
}

SaveResult savePay(db::Database& db, qint64 agent, int month, const PaySave& save)
{
    checkedMonth(month);
    db::Transaction t(db);
    const db::Row permn = db.queryOne(QStringLiteral("SELECT %1 AS ferme FROM Permn").arg(schema::permn::closedFlag(month)));
    if (permn.flag(QStringLiteral("ferme")))
        return SaveResult::Locked;
    const qint64 num = db.scalar(QStringLiteral("SELECT MIN(num) FROM Salaires WHERE num_agent = ? AND MM = ?"),
                                 {agent, month})
                           .toLongLong();
    if (num == 0 || writePay(db, num, save) == 0)
        return SaveResult::Missing;
    const PayEntries& e = save.entries;
    if (save.flagsClicked)
        db::updateRow(db, schema::Agents,
                      {{QStringLiteral("flag_cnas"), e.cnasDue ? schema::Yes : schema::No},
                       {QStringLiteral("flag_irg"), e.irgDue ? schema::Yes : schema::No}},
                      QStringLiteral("num"), agent);
    t.commit();
    return SaveResult::Written;
}

void saveObservations(db::Database& db, qint64 agent, const QString& obs)
{
    db::Transaction t(db);
    db::updateRow(db, schema::Agents, {{QStringLiteral("obs"), obs.trimmed()}}, QStringLiteral("num"), agent);
    t.commit();
}

QStringList Advance::cells() const
{
    return {date, formatNumber(montant, u"# ### ##0.00") + u' ', schema::mode::twoModeCaption(mode),
            u' ' + ref.trimmed()};
}

QList<Advance> readAdvances(const db::Database& db, qint64 agent, int month, int year)
{
    QList<Advance> list;
    QVariantList params = advancesParams(month, year);
    params << agent;
    for (const db::Row& r : db.query(kAdvancesOfTheMonth + QStringLiteral(" AND Num_Agent = ? ORDER BY date, num"), params))
        list << advance(r);
    return list;
}

double advancesTotal(const QList<Advance>& advances)
{
    double total = 0;
    for (const Advance& a : advances)
        total += round2(a.montant);
    return total;
}

QString advancesTotalText(double total)
{
    return total == 0 ? QString() : formatNumber(total, u"# ### ##0.00") + QStringLiteral("  ");
}

std::optional<AgentPage> readAgentPage(const db::Database& db, qint64 agent, int month, int year)
{
    const std::optional<PayAgent> person = readPayAgent(db, agent);
    const std::optional<PayRow> pay = readPay(db, agent, month);
    QList<Advance> advances = readAdvances(db, agent, month, year);
    if (!person || !pay)
        return std::nullopt;
    return AgentPage{*person, *pay, std::move(advances)};
}

bool advanceDateMatches(const QString& date, int month, int year)
{
    const QString d = date.trimmed();
    return readNumber(d.mid(3, 2)) == month && readNumber(d.right(4)) == year;
}

std::optional<double> closeMonth(db::Database& db, int month, const QString& date, int year)
{
    checkedMonth(month);
    db::Transaction t(db);
    const PayParams params = readPayParams(db);

    // Every pay of the month as the pay screen computes it, shown or not: the agent's boxes, the
    // advances of the month, today's rate. A pay whose agent is gone keeps the deductions it carries.
    QHash<qint64, QList<Advance>> advances;
    for (const db::Row& r : db.query(kAdvancesOfTheMonth + QStringLiteral(" ORDER BY date, num"), advancesParams(month, year)))
        advances[r.integer(QStringLiteral("Num_Agent"))] << advance(r);
    QList<QPair<qint64, PaySave>> pays;
    for (const db::Row& r : db.query(QStringLiteral("SELECT S.*, A.num AS agent_num, A.flag_cnas AS agent_cnas, "
                                                    "A.flag_irg AS agent_irg FROM Salaires S "
                                                    "LEFT JOIN Agents A ON A.num = S.num_agent WHERE S.MM = ?"),
                                     {month})) {
        const PayRow pay = payRow(r);
        const bool known = !r.isNull(QStringLiteral("agent_num"));
        const bool cnasDue = known ? r.integer(QStringLiteral("agent_cnas")) == schema::Yes : pay.cnas > 0;
        const bool irgDue = known ? r.integer(QStringLiteral("agent_irg")) == schema::Yes : pay.irg > 0;
        pays.append({pay.num, payOf(pay, cnasDue, irgDue, advancesTotal(advances.value(pay.agent)), params.tauxCnas)});
    }
    for (const auto& [num, save] : pays)
        writePay(db, num, save);

    db::updateRows(db, schema::Permn, {{schema::permn::closedFlag(month), 1}});
    const QVariant sum = db.scalar(QStringLiteral("SELECT SUM(BRUT) AS S1 FROM Salaires WHERE MM = ?"), {month});
    std::optional<double> charge;
    if (!sum.isNull()) {
        charge = round2(params.tauxPP * (sum.toDouble() * 0.01));
        db::updateRows(db, schema::Permn, {{schema::permn::employerCharge(month), *charge}});
    }
    db::updateRows(db, schema::Salaires, {{QStringLiteral("regle"), 1}}, QStringLiteral("MM = ?"), {month});
    db::updateRows(db, schema::Salaires, {{QStringLiteral("date"), db::toStoredDate(date)}}, QStringLiteral("MM = ?"), {month});
    t.commit();
    return charge;
}

void reopenMonth(db::Database& db, int month)
{
    checkedMonth(month);
    db::Transaction t(db);
    db::updateRows(db, schema::Permn, {{schema::permn::closedFlag(month), 0}});
    db::updateRows(db, schema::Salaires, {{QStringLiteral("regle"), 0}}, QStringLiteral("MM = ?"), {month});
    t.commit();
}

} // namespace kv::payroll
