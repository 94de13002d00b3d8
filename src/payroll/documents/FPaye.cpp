#include "FPaye.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"
#include "payroll/pay/Pay.h"
#include "payroll/pay/PayForm.h"

#include <QCheckBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

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
    form_->showSheet(sheet);
    // A box starts as the pay screen had it, or ticked when its deduction was shown there: leaving an
    // entry must not drop a deduction the pay carried.
    form_->cnasBox()->setChecked(sheet.cnasDue || readNumber(sheet.cnas) > 0);
    form_->irgBox()->setChecked(sheet.irgDue || readNumber(sheet.irg) > 0);
    edited_ = false;
    computed_ = entryTexts();
    loading_ = false;

    kit::sizeScreen(*this, QSize(900, 440));
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

    // The pay: the pay screen's form.
    form_ = new PayForm(this);
    for (QLineEdit* e : form_->entryFields()) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this] { edited_ = true; });
    }
    layout->addWidget(form_);
    layout->addStretch(1);

    // Enter and the arrows move between the entries in the pay screen's order.
    auto* chain = new FieldChain(this);
    for (QLineEdit* e : form_->entryFields())
        chain->add(e);
    connect(form_->cnasBox(), &QCheckBox::clicked, this, &FPaye::recompute);
    connect(form_->irgBox(), &QCheckBox::clicked, this, &FPaye::recompute);
    connect(form_->celibataire(), &QRadioButton::clicked, this, &FPaye::recompute);
    connect(form_->marie(), &QRadioButton::clicked, this, &FPaye::recompute);
    connect(form_->enfants(), &QSpinBox::valueChanged, this, [this] {
        if (!loading_)
            recompute();
    });
}

QStringList FPaye::entryTexts() const
{
    QStringList texts;
    for (const QLineEdit* e : form_->entryFields())
        texts << e->text();
    return texts << QString::number(int(form_->cnasBox()->isChecked()) + 2 * int(form_->irgBox()->isChecked()))
                 << QString::number(payroll::situationOf(form_->celibataire()->isChecked(), form_->enfants()->value()));
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
    form_->showFigures(payroll::computePay(form_->values(), tauxCnas_));
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
    form_->fillSheet(s);
    return s;
}

void FPaye::imprimer()
{
    for (QLineEdit* e : form_->entryFields())
        if (!checkAmountField(*e, session_.ui()))
            return;
    // A figure typed and not yet left is counted before the slip is printed.
    if (edited_ || entryTexts() != computed_)
        recompute();
    payroll::printPaySlip(session_, sheet(), signatory_);
}

} // namespace kv
