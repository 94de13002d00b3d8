#include "Params.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

namespace {

QString shown(double value) { return QString::number(value, 'g', 15); }

QLineEdit* numberField(QWidget* parent, const QString& name, bool decimals)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setAlignment(Qt::AlignRight);
    if (decimals)
        new DecimalField(e);
    else
        new DigitField(e);
    new SelectOnFocus(e);
    e->setMaximumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("0000000.00")) + 16);
    return e;
}

} // namespace

Params::Params(Session& session, QWidget* parent) : QDialog(parent), session_(session)
{
    setObjectName(QStringLiteral("Params"));
    setWindowTitle(QStringLiteral(" "));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Paramétrages"), this));

    auto* bar = new kit::CommandBar(this);
    bar->add(Command::Confirm, QStringLiteral("valider"), this, &Params::save);
    bar->addStretch();
    bar->add(Command::Quit, QStringLiteral("quitter"), this, &QDialog::reject);
    layout->addWidget(bar);

    auto* body = new QWidget(this);
    auto* form = new QFormLayout(body);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    nCnas_ = new QLineEdit(body);
    nCnas_->setObjectName(QStringLiteral("n_cnas"));
    new SelectOnFocus(nCnas_);
    form->addRow(QStringLiteral("N° CNAS Employeur"), nCnas_);

    const auto withUnit = [body](QLineEdit* field, const QString& unit) {
        auto* row = new QWidget(body);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(field);
        h->addWidget(new QLabel(unit, row));
        h->addStretch();
        return row;
    };
    tauxPP_ = numberField(body, QStringLiteral("taux_pp"), true);
    form->addRow(QStringLiteral("Part Patronale CNAS"), withUnit(tauxPP_, QStringLiteral("%")));
    tauxCnas_ = numberField(body, QStringLiteral("taux_cnas"), true);
    form->addRow(QStringLiteral("Part ouvrière CNAS"), withUnit(tauxCnas_, QStringLiteral("%")));
    nbJours_ = numberField(body, QStringLiteral("nb_jours"), false);
    nbJours_->setMaxLength(3);
    form->addRow(QStringLiteral("Jours mois"), withUnit(nbJours_, QString()));
    nbHeures_ = numberField(body, QStringLiteral("nb_heures"), false);
    nbHeures_->setMaxLength(3);
    form->addRow(QStringLiteral("Heures mois"), withUnit(nbHeures_, QString()));

    auto* unit = new QGroupBox(QStringLiteral("Paye calculée à ..."), body);
    unit->setObjectName(QStringLiteral("unite"));
    auto* uh = new QHBoxLayout(unit);
    jour_ = new QRadioButton(QStringLiteral("La Journée"), unit);
    jour_->setObjectName(QStringLiteral("journee"));
    heure_ = new QRadioButton(QStringLiteral("L'heure"), unit);
    heure_->setObjectName(QStringLiteral("heure"));
    uh->addWidget(jour_);
    uh->addWidget(heure_);
    uh->addStretch();
    form->addRow(unit);
    layout->addWidget(body, 1);

    auto* chain = new FieldChain({nCnas_, tauxPP_, tauxCnas_, nbJours_, nbHeures_}, this);
    Q_UNUSED(chain);

    payroll::PayrollParameters p;
    kit::guarded(session_.ui(), [&] { p = payroll::readParameters(session_.db()); });
    nCnas_->setText(p.nCnas);
    tauxPP_->setText(shown(p.tauxPP));
    tauxCnas_->setText(shown(p.tauxCnas));
    nbJours_->setText(shown(p.nbJours));
    nbHeures_->setText(shown(p.nbHeures));
    (p.unit == payroll::PayUnit::Heure ? heure_ : jour_)->setChecked(true);

    kit::sizeScreen(*this, QSize(520, 360));
}

void Params::save()
{
    for (QLineEdit* field : {tauxPP_, tauxCnas_, nbJours_, nbHeures_})
        if (!checkAmountField(*field, session_.ui()))
            return;
    payroll::PayrollParameters p;
    p.nCnas = nCnas_->text().trimmed();
    p.tauxPP = readNumber(tauxPP_->text());
    p.tauxCnas = readNumber(tauxCnas_->text());
    p.nbJours = readNumber(nbJours_->text());
    p.nbHeures = readNumber(nbHeures_->text());
    p.unit = heure_->isChecked() ? payroll::PayUnit::Heure : payroll::PayUnit::Jour;
    if (!kit::guarded(session_.ui(), [&] { payroll::writeParameters(session_.db(), p); }))
        return; // the engine said why; the screen stays open with what was typed
    session_.ui().message(QStringLiteral("Paramétrage efféctué avec succès"), ui::Icon::Information,
                          ui::kProgramName);
    accept();
}

} // namespace kv
