#include "FPaye.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "payroll/pay/Pay.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

namespace {

QFormLayout* form(QWidget* parent)
{
    auto* f = new QFormLayout(parent);
    f->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    f->setVerticalSpacing(5);
    return f;
}

} // namespace

FPaye::FPaye(Session& session, const payroll::PaySlipSheet& sheet, const payroll::Signatory& signatory, QWidget* parent)
    : QDialog(parent), session_(session), source_(sheet), signatory_(signatory)
{
    setObjectName(QStringLiteral("FPaye"));
    setWindowTitle(QStringLiteral("Fiche de paye"));
    kit::guarded(session_.ui(), [&] { tauxCnas_ = payroll::readPayParams(session_.db()).tauxCnas; });
    build();

    // Opening: the pay screen's texts as they stand, nothing recomputed.
    nom_->setText(sheet.nom);
    prenom_->setText(sheet.prenom);
    fonction_->setText(sheet.fonction);
    mois_->setText(sheet.moisDe);
    tauxJour_->setText(sheet.tauxJour);
    nbreJours_->setText(sheet.nbreJours);
    hSuppl_->setText(sheet.hSuppl);
    indS_->setText(sheet.indS);
    panier_->setText(sheet.panier);
    autreInd_->setText(sheet.autreInd);
    cnas_->setText(sheet.cnas);
    irg_->setText(sheet.irg);
    avances_->setText(sheet.avances);
    rembPrets_->setText(sheet.rembPrets);
    autresRetenues_->setText(sheet.autresRetenues);
    base_->setText(sheet.salaireBase);
    poste_->setText(sheet.salairePoste);
    brut_->setText(sheet.brut);
    retenues_->setText(sheet.retenues);
    net_->setText(sheet.net);
    (sheet.celibataire ? celibataire_ : marie_)->setChecked(true);
    enfants_->setValue(sheet.enfants);
    // A box starts as the pay screen had it, or ticked when its deduction was shown there: leaving an
    // entry must not drop a deduction the pay carried.
    cnasBox_->setChecked(sheet.cnasDue || readNumber(sheet.cnas) > 0);
    irgBox_->setChecked(sheet.irgDue || readNumber(sheet.irg) > 0);
    edited_ = false;
    computed_ = entryTexts();
    loading_ = false;

    kit::sizeScreen(*this, QSize(900, 440));
}

QLineEdit* FPaye::entry(const QString& name)
{
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFont(kit::amountFont());
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000 000 000.00")) + 16);
    new DecimalField(e);
    new SelectOnFocus(e);
    e->installEventFilter(this);
    connect(e, &QLineEdit::textEdited, this, [this] { edited_ = true; });
    return e;
}

QLineEdit* FPaye::total(const QString& name)
{
    QLineEdit* t = kit::totalField(this, name);
    t->setMinimumWidth(t->fontMetrics().horizontalAdvance(QStringLiteral("000 000 000.00")) + 16);
    return t;
}

void FPaye::build()
{
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Fiche de paye"), this));
    auto* bar = new kit::CommandBar(this);
    bar->add(Command::Print, QStringLiteral("imprimer"), this, &FPaye::imprimer);
    bar->addStretch();
    bar->add(Command::Close, QStringLiteral("fermer"), this, &QDialog::reject);
    layout->addWidget(bar);

    // The agent and the month.
    auto* who = new QGroupBox(this);
    who->setObjectName(QStringLiteral("agent"));
    auto* wg = new QGridLayout(who);
    const auto text = [this](const QString& name) {
        auto* e = new QLineEdit(this);
        e->setObjectName(name);
        new SelectOnFocus(e);
        return e;
    };
    nom_ = text(QStringLiteral("nom"));
    prenom_ = text(QStringLiteral("prenom"));
    fonction_ = text(QStringLiteral("fonction"));
    mois_ = text(QStringLiteral("mois"));
    wg->addWidget(new QLabel(QStringLiteral("Nom"), who), 0, 0, Qt::AlignRight);
    wg->addWidget(nom_, 0, 1);
    wg->addWidget(new QLabel(QStringLiteral("Prénom"), who), 0, 2, Qt::AlignRight);
    wg->addWidget(prenom_, 0, 3);
    wg->addWidget(new QLabel(QStringLiteral("Fonction"), who), 1, 0, Qt::AlignRight);
    wg->addWidget(fonction_, 1, 1);
    wg->addWidget(new QLabel(QStringLiteral("Mois de"), who), 1, 2, Qt::AlignRight);
    wg->addWidget(mois_, 1, 3);
    wg->setColumnStretch(1, 1);
    wg->setColumnStretch(3, 1);
    layout->addWidget(who);

    auto* body = new QHBoxLayout;
    layout->addLayout(body);

    // The pay's elements.
    auto* gains = new QGroupBox(QStringLiteral("Éléments"), this);
    auto* gf = form(gains);
    tauxJour_ = entry(QStringLiteral("taux_jour"));
    nbreJours_ = entry(QStringLiteral("nbre_jours"));
    hSuppl_ = entry(QStringLiteral("h_suppl"));
    indS_ = entry(QStringLiteral("ind_s"));
    panier_ = entry(QStringLiteral("panier"));
    autreInd_ = entry(QStringLiteral("autre_ind"));
    gf->addRow(QStringLiteral("Taux Journalier"), tauxJour_);
    gf->addRow(QStringLiteral("Nbre de Jours"), nbreJours_);
    gf->addRow(QStringLiteral("Heures Supp."), hSuppl_);
    gf->addRow(QStringLiteral("Ind. Soumise"), indS_);
    gf->addRow(QStringLiteral("Panier"), panier_);
    gf->addRow(QStringLiteral("Autres Ind"), autreInd_);

    auto* situation = new QWidget(gains);
    auto* sh = new QHBoxLayout(situation);
    sh->setContentsMargins(0, 0, 0, 0);
    celibataire_ = new QRadioButton(QStringLiteral("Célibataire"), situation);
    celibataire_->setObjectName(QStringLiteral("celibataire"));
    marie_ = new QRadioButton(QStringLiteral("Marié"), situation);
    marie_->setObjectName(QStringLiteral("marie"));
    enfants_ = new QSpinBox(situation);
    enfants_->setObjectName(QStringLiteral("enfants"));
    enfants_->setRange(0, 99);
    sh->addWidget(celibataire_);
    sh->addWidget(marie_);
    sh->addWidget(new QLabel(QStringLiteral("Enfants"), situation));
    sh->addWidget(enfants_);
    sh->addStretch();
    gf->addRow(QStringLiteral("Situation"), situation);
    body->addWidget(gains, 1, Qt::AlignTop);

    // The deductions, with the two boxes that say whether CNAS and IRG are due.
    auto* deductions = new QGroupBox(QStringLiteral("Retenues"), this);
    auto* df = form(deductions);
    cnas_ = entry(QStringLiteral("cnas"));
    irg_ = entry(QStringLiteral("irg"));
    avances_ = entry(QStringLiteral("avances"));
    rembPrets_ = entry(QStringLiteral("remb_prets"));
    autresRetenues_ = entry(QStringLiteral("autres_retenues"));
    // The two boxes are the captions of their entries.
    cnasBox_ = new QCheckBox(QStringLiteral("CNAS"), deductions);
    cnasBox_->setObjectName(QStringLiteral("cnas_due"));
    irgBox_ = new QCheckBox(QStringLiteral("IRG"), deductions);
    irgBox_->setObjectName(QStringLiteral("irg_due"));
    cnasBox_->setLayoutDirection(Qt::RightToLeft);
    irgBox_->setLayoutDirection(Qt::RightToLeft);
    df->addRow(cnasBox_, cnas_);
    df->addRow(irgBox_, irg_);
    df->addRow(QStringLiteral("Remb Avances"), avances_);
    df->addRow(QStringLiteral("Remb Prêts"), rembPrets_);
    df->addRow(QStringLiteral("Autres Retenues"), autresRetenues_);
    body->addWidget(deductions, 1, Qt::AlignTop);

    // The totals.
    auto* totals = new QGroupBox(QStringLiteral("Totaux"), this);
    auto* tf = form(totals);
    base_ = total(QStringLiteral("salaire_base"));
    poste_ = total(QStringLiteral("salaire_poste"));
    brut_ = total(QStringLiteral("salaire_brut"));
    retenues_ = total(QStringLiteral("retenues"));
    net_ = total(QStringLiteral("net"));
    tf->addRow(QStringLiteral("Salaire de Base"), base_);
    tf->addRow(QStringLiteral("Salaire de poste"), poste_);
    tf->addRow(QStringLiteral("Salaire BRUT"), brut_);
    tf->addRow(QStringLiteral("T. des Retenues"), retenues_);
    tf->addRow(QStringLiteral("NET A PAYER"), net_);
    body->addWidget(totals, 1, Qt::AlignTop);
    for (QGroupBox* box : {gains, deductions, totals})
        box->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    layout->addStretch(1);

    // Enter and the arrows move between the entries in the pay screen's order.
    auto* chain = new FieldChain({tauxJour_, nbreJours_, hSuppl_, indS_, panier_, autreInd_, cnas_, irg_, avances_,
                                  rembPrets_, autresRetenues_},
                                 this);
    Q_UNUSED(chain);
    connect(cnasBox_, &QCheckBox::clicked, this, &FPaye::recompute);
    connect(irgBox_, &QCheckBox::clicked, this, &FPaye::recompute);
    connect(celibataire_, &QRadioButton::clicked, this, &FPaye::recompute);
    connect(marie_, &QRadioButton::clicked, this, &FPaye::recompute);
    connect(enfants_, &QSpinBox::valueChanged, this, [this] {
        if (!loading_)
            recompute();
    });
}

QStringList FPaye::entryTexts() const
{
    return {tauxJour_->text(),  nbreJours_->text(),  hSuppl_->text(),
            indS_->text(),      panier_->text(),     autreInd_->text(),
            cnas_->text(),      irg_->text(),        avances_->text(),
            rembPrets_->text(), autresRetenues_->text(),
            QString::number(int(cnasBox_->isChecked()) + 2 * int(irgBox_->isChecked())),
            QString::number(payroll::situationOf(celibataire_->isChecked(), enfants_->value()))};
}

bool FPaye::eventFilter(QObject* watched, QEvent* event)
{
    // Leaving an entry recomputes the slip when a figure, a box or the situation was changed. Going
    // through the entries changes nothing: the slip of a closed month keeps the figures the pay stored.
    if (event->type() == QEvent::FocusOut && qobject_cast<QLineEdit*>(watched)
        && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason && entryTexts() != computed_)
        recompute();
    return QDialog::eventFilter(watched, event);
}

void FPaye::recompute()
{
    const payroll::PayTexts texts{tauxJour_->text(), nbreJours_->text(), hSuppl_->text(),   indS_->text(),
                                  panier_->text(),   autreInd_->text(),  avances_->text(), rembPrets_->text(),
                                  autresRetenues_->text()};
    const payroll::PayEntries entries = payroll::readEntries(
        texts, cnasBox_->isChecked(), irgBox_->isChecked(),
        payroll::situationOf(celibataire_->isChecked(), enfants_->value()));
    const payroll::PayFigures f = payroll::computePay(entries, tauxCnas_);
    cnas_->setText(f.cnas);
    irg_->setText(f.irg);
    base_->setText(f.salaireBase);
    poste_->setText(f.salairePoste);
    brut_->setText(f.brut);
    retenues_->setText(f.retenues);
    net_->setText(f.net);
    edited_ = false;
    computed_ = entryTexts();
}

payroll::PaySlipSheet FPaye::sheet() const
{
    payroll::PaySlipSheet s;
    s.nom = nom_->text();
    s.prenom = prenom_->text();
    s.fonction = fonction_->text();
    s.moisDe = mois_->text();
    s.tauxJour = tauxJour_->text();
    s.nbreJours = nbreJours_->text();
    s.hSuppl = hSuppl_->text();
    s.indS = indS_->text();
    s.panier = panier_->text();
    s.autreInd = autreInd_->text();
    s.cnas = cnas_->text();
    s.irg = irg_->text();
    s.avances = avances_->text();
    s.rembPrets = rembPrets_->text();
    s.autresRetenues = autresRetenues_->text();
    s.salaireBase = base_->text();
    s.salairePoste = poste_->text();
    s.brut = brut_->text();
    s.retenues = retenues_->text();
    s.net = net_->text();
    s.celibataire = celibataire_->isChecked();
    s.enfants = enfants_->value();
    s.cnasDue = cnasBox_->isChecked();
    s.irgDue = irgBox_->isChecked();
    return s;
}

void FPaye::imprimer()
{
    for (QLineEdit* e : {tauxJour_, nbreJours_, hSuppl_, indS_, panier_, autreInd_, cnas_, irg_, avances_, rembPrets_,
                         autresRetenues_})
        if (!checkAmountField(*e, session_.ui()))
            return;
    // A figure typed and not yet left is counted before the slip is printed.
    if (edited_ || entryTexts() != computed_)
        recompute();
    payroll::printPaySlip(session_, sheet(), signatory_);
}

} // namespace kv
