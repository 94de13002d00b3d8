#include "PayForm.h"

#include "PayParts.h"
#include "core/formats/FieldRules.h"
#include "core/kit/ScreenKit.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace kv {

using namespace payroll;

namespace {

/// Entries and totals are as wide as the largest amount.
int amountWidth(const QWidget* field)
{
    return field->fontMetrics().horizontalAdvance(QStringLiteral("000 000 000.00")) + 16;
}

} // namespace

PayForm::PayForm(QWidget* parent) : QGroupBox(QStringLiteral("Paye"), parent)
{
    setObjectName(QStringLiteral("paye"));
    setStyleSheet(kit::panelBoxStyle());
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    const auto row = [&](int r, int c, const QString& caption, QLineEdit* e, QWidget* lead = nullptr) {
        grid->addWidget(lead ? lead : new QLabel(caption, this), r, c * 2);
        grid->addWidget(e, r, c * 2 + 1);
    };
    tauxJour_ = amountEntry(QStringLiteral("Taux Journalier"), QStringLiteral("taux_jour"));
    nbreJours_ = amountEntry(QStringLiteral("Nbre de Jours"), QStringLiteral("nbre_jours"));
    hSuppl_ = amountEntry(QStringLiteral("Heures Supp."), QStringLiteral("h_suppl"));
    indS_ = amountEntry(QStringLiteral("Ind. Soumise"), QStringLiteral("ind_s"));
    panier_ = amountEntry(QStringLiteral("Panier"), QStringLiteral("panier"));
    autreInd_ = amountEntry(QStringLiteral("Autres Ind"), QStringLiteral("autre_ind"));
    cnas_ = amountEntry(QStringLiteral("CNAS"), QStringLiteral("cnas"));
    irg_ = amountEntry(QStringLiteral("IRG"), QStringLiteral("irg"));
    avances_ = amountEntry(QStringLiteral("Remb Avances"), QStringLiteral("avances"));
    rembPrets_ = amountEntry(QStringLiteral("Remb Prêts"), QStringLiteral("remb_prets"));
    autresRetenues_ = amountEntry(QStringLiteral("Autres Retenues"), QStringLiteral("autres_retenues"));
    // The two boxes are the captions of their entries.
    cnasBox_ = new QCheckBox(QStringLiteral("CNAS"), this);
    cnasBox_->setObjectName(QStringLiteral("cnas_due"));
    irgBox_ = new QCheckBox(QStringLiteral("IRG"), this);
    irgBox_->setObjectName(QStringLiteral("irg_due"));

    grid->addWidget(kit::panelHeading(QStringLiteral("Gains"), this), 0, 0, 1, 2);
    grid->addWidget(kit::panelHeading(QStringLiteral("Retenues"), this), 0, 2, 1, 2);
    row(1, 0, QStringLiteral("Taux Journalier"), tauxJour_);
    row(2, 0, QStringLiteral("Nbre de Jours"), nbreJours_);
    row(3, 0, QStringLiteral("Heures Supp."), hSuppl_);
    row(4, 0, QStringLiteral("Ind. Soumise"), indS_);
    row(5, 0, QStringLiteral("Panier"), panier_);
    row(6, 0, QStringLiteral("Autres Ind"), autreInd_);
    row(1, 1, QString(), cnas_, cnasBox_);
    row(2, 1, QString(), irg_, irgBox_);
    row(3, 1, QStringLiteral("Remb Avances"), avances_);
    row(4, 1, QStringLiteral("Remb Prêts"), rembPrets_);
    row(5, 1, QStringLiteral("Autres Retenues"), autresRetenues_);

    // The family situation, which chooses the income tax's situation.
    celibataire_ = new QRadioButton(QStringLiteral("Célibataire"), this);
    celibataire_->setObjectName(QStringLiteral("celibataire"));
    marie_ = new QRadioButton(QStringLiteral("Marié"), this);
    marie_->setObjectName(QStringLiteral("marie"));
    celibataire_->setChecked(true);
    enfants_ = new QSpinBox(this);
    enfants_->setObjectName(QStringLiteral("enfants"));
    enfants_->setRange(0, 99);
    auto* family = new QHBoxLayout;
    family->addWidget(celibataire_);
    family->addWidget(marie_);
    family->addSpacing(8);
    family->addWidget(new QLabel(QStringLiteral("Enfants"), this));
    family->addWidget(enfants_);
    family->addStretch();
    grid->addWidget(new QLabel(QStringLiteral("Situation"), this), 6, 2);
    grid->addLayout(family, 6, 3);

    // Totals, below the entries.
    const auto totalRow = [&](int r, int c, const QString& caption, const QString& name) {
        QLineEdit* t = kit::totalField(this, name);
        t->setMinimumWidth(amountWidth(t));
        grid->addWidget(payparts::totalLabel(caption, this), r, c * 2);
        grid->addWidget(t, r, c * 2 + 1);
        totals_.append({caption, t});
        return t;
    };
    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    grid->addWidget(rule, 7, 0, 1, 4);
    base_ = totalRow(8, 0, QStringLiteral("Salaire de Base"), QStringLiteral("salaire_base"));
    poste_ = totalRow(9, 0, QStringLiteral("Salaire de poste"), QStringLiteral("salaire_poste"));
    brut_ = totalRow(10, 0, QStringLiteral("Salaire BRUT"), QStringLiteral("salaire_brut"));
    retenues_ = totalRow(8, 1, QStringLiteral("T. des Retenues"), QStringLiteral("retenues"));
    net_ = totalRow(10, 1, QStringLiteral("NET A PAYER"), QStringLiteral("net"));
    QFont netFont = net_->font();
    netFont.setPointSizeF(netFont.pointSizeF() * 1.15);
    net_->setFont(netFont);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

QLineEdit* PayForm::amountEntry(const QString& caption, const QString& name)
{
    QLineEdit* e = kit::textField(this, name, 14);
    new DecimalField(e);
    new SelectOnFocus(e);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFont(kit::amountFont());
    e->setMinimumWidth(amountWidth(e));
    entries_.append({caption, e});
    return e;
}

QLineEdit* PayForm::entry(const QString& caption) const
{
    for (const auto& [c, e] : entries_)
        if (c == caption)
            return e;
    return nullptr;
}

QLineEdit* PayForm::total(const QString& caption) const
{
    for (const auto& [c, e] : totals_)
        if (c == caption)
            return e;
    return nullptr;
}

QList<QLineEdit*> PayForm::entryFields() const
{
    QList<QLineEdit*> list;
    for (const auto& [c, e] : entries_)
        list << e;
    return list;
}

QList<QLineEdit*> PayForm::totalFields() const
{
    QList<QLineEdit*> list;
    for (const auto& [c, e] : totals_)
        list << e;
    return list;
}

PayTexts PayForm::texts() const
{
    return {tauxJour_->text(), nbreJours_->text(), hSuppl_->text(), indS_->text(), panier_->text(), autreInd_->text(),
            avances_->text(), rembPrets_->text(), autresRetenues_->text()};
}

PayEntries PayForm::values() const
{
    return readEntries(texts(), cnasBox_->isChecked(), irgBox_->isChecked(),
                       situationOf(celibataire_->isChecked(), enfants_->value()));
}

void PayForm::showEntries(const PayTexts& t)
{
    tauxJour_->setText(t.tauxJour);
    nbreJours_->setText(t.nbreJours);
    hSuppl_->setText(t.hSuppl);
    indS_->setText(t.indS);
    panier_->setText(t.panier);
    autreInd_->setText(t.autreInd);
    avances_->setText(t.avances);
    rembPrets_->setText(t.rembPrets);
    autresRetenues_->setText(t.autresRetenues);
}

void PayForm::showFigures(const PayFigures& f)
{
    cnas_->setText(f.cnas);
    irg_->setText(f.irg);
    base_->setText(f.salaireBase);
    poste_->setText(f.salairePoste);
    brut_->setText(f.brut);
    retenues_->setText(f.retenues);
    net_->setText(f.net);
}

void PayForm::showSheet(const PaySlipSheet& sheet)
{
    showEntries({sheet.tauxJour, sheet.nbreJours, sheet.hSuppl, sheet.indS, sheet.panier, sheet.autreInd, sheet.avances,
                 sheet.rembPrets, sheet.autresRetenues});
    PayFigures f;
    f.cnas = sheet.cnas;
    f.irg = sheet.irg;
    f.salaireBase = sheet.salaireBase;
    f.salairePoste = sheet.salairePoste;
    f.brut = sheet.brut;
    f.retenues = sheet.retenues;
    f.net = sheet.net;
    showFigures(f);
    (sheet.celibataire ? celibataire_ : marie_)->setChecked(true);
    enfants_->setValue(sheet.enfants);
}

void PayForm::fillSheet(PaySlipSheet& p) const
{
    p.tauxJour = tauxJour_->text();
    p.nbreJours = nbreJours_->text();
    p.hSuppl = hSuppl_->text();
    p.indS = indS_->text();
    p.panier = panier_->text();
    p.autreInd = autreInd_->text();
    p.cnas = cnas_->text();
    p.irg = irg_->text();
    p.avances = avances_->text();
    p.rembPrets = rembPrets_->text();
    p.autresRetenues = autresRetenues_->text();
    p.salaireBase = base_->text();
    p.salairePoste = poste_->text();
    p.brut = brut_->text();
    p.retenues = retenues_->text();
    p.net = net_->text();
    p.celibataire = celibataire_->isChecked();
    p.enfants = enfants_->value();
    p.cnasDue = cnasBox_->isChecked();
    p.irgDue = irgBox_->isChecked();
}

void PayForm::clear()
{
    for (const auto& [c, e] : entries_)
        e->clear();
    for (const auto& [c, e] : totals_)
        e->clear();
    cnasBox_->setChecked(false);
    irgBox_->setChecked(false);
}

} // namespace kv
