// The purchase voucher of the vehicle file ("Bon d'achat"): a side panel of Zoom_V that prints a voucher
// for the vehicle shown, signed by the signer last used.
#include "Zoom_V.h"

#include "core/formats/Dates.h"
#include "core/formats/FieldRules.h"
#include "core/kit/ExerciseDate.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/reports/ReportRoutine.h"
#include "core/state/Session.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using namespace vehiclefile;
using kit::Command;

namespace {

/// In a text of the voucher, a lower-case letter typed into an empty field becomes a capital.
void capitalFirst(QLineEdit* field)
{
    new FieldKeyFilter(field, [](const QString& text, int key) {
        return text.isEmpty() && key >= 'a' && key <= 'z' ? key - 'a' + 'A' : key;
    });
}

} // namespace

// ---- purchase voucher ----------------------------------------------------------------------------------

void Zoom_V::buildVoucher(QWidget* area)
{
    voucher_ = new QGroupBox(QStringLiteral("Bon d'achat"), area);
    voucher_->setObjectName(QStringLiteral("bon_panneau"));
    static const char* names[] = {"date", "fournisseur", "vehicule", "produit", "montant", "agent", "observation", "qualite", "nom", "numero"};
    static const int lengths[] = {10, 70, 70, 70, 12, 70, 70, 40, 40, 10};
    for (int i = 0; i < 10; ++i)
    {
        bon[i] = new QLineEdit(voucher_);
        bon[i]->setObjectName(QStringLiteral("bon_") + QString::fromLatin1(names[i]));
        bon[i]->setMaxLength(lengths[i]);
    }
    new DateField(bon[0], s_.ui());
    bon[0]->setMaximumWidth(110);
    new DecimalField(bon[4]);
    bon[4]->setMaximumWidth(130);
    bon[9]->setMaximumWidth(110);
    for (int i : {1, 2, 3, 5, 6, 7, 8, 9})
        capitalFirst(bon[i]);
    for (int i = 1; i < 10; ++i)
        new SelectOnFocus(bon[i]);
    auto* chain = new FieldChain(voucher_);
    chain->setWrap(FieldChain::Wrap::EnterAndArrows);
    for (QLineEdit* e : bon)
        chain->add(e);

    auto* l = new QVBoxLayout(voucher_);
    auto* top = new QHBoxLayout;
    top->addStretch();
    top->addWidget(new QLabel(QStringLiteral("N°"), voucher_));
    top->addWidget(bon[9]);
    l->addLayout(top);
    auto* form = new QFormLayout;
    const char* labels[] = {"Date", "Fournisseur", "Véhicule", "Produit", "Montant", "Agent", "Observation"};
    for (int i = 0; i < 7; ++i)
        form->addRow(QString::fromUtf8(labels[i]), bon[i]);
    l->addLayout(form);
    auto* signe = new QGroupBox(QStringLiteral("Signé par"), voucher_);
    auto* signeForm = new QFormLayout(signe);
    signeForm->addRow(QStringLiteral("Qualité"), bon[7]);
    signeForm->addRow(QStringLiteral("Nom"), bon[8]);
    l->addWidget(signe);
    l->addStretch();

    unExemplaire = new QRadioButton(QStringLiteral("Un exemplaire"), voucher_);
    unExemplaire->setObjectName(QStringLiteral("un_exemplaire"));
    deuxExemplaires = new QRadioButton(QStringLiteral("Deux exemplaires"), voucher_);
    deuxExemplaires->setObjectName(QStringLiteral("deux_exemplaires"));
    deuxExemplaires->setChecked(true);
    auto* options = new QHBoxLayout;
    options->addWidget(unExemplaire);
    options->addWidget(deuxExemplaires);
    options->addStretch();
    l->addLayout(options);

    bonImprimer = kit::commandButton(voucher_, Command::Print, QStringLiteral("bon_imprimer"));
    // Closes the voucher only; the file's own "Fermer" keeps its accelerator.
    bonFermer = kit::commandButton(voucher_, Command::Cancel, QStringLiteral("bon_fermer"), QStringLiteral("Fermer"));
    connect(bonImprimer, &QToolButton::clicked, this, &Zoom_V::printVoucher);
    connect(bonFermer, &QToolButton::clicked, this, &Zoom_V::closeVoucher);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bonImprimer);
    buttons->addWidget(bonFermer);
    l->addLayout(buttons);
    static_cast<kit::SidePanel*>(area)->addPanel(voucher_, [this] { closeVoucher(); });
}

void Zoom_V::openVoucher()
{
    for (QLineEdit* e : bon)
        e->clear();
    bon[0]->setText(kit::defaultDayText(s_));
    bon[2]->setText(voucherVehicle(header_));
    bon[7]->setText(signer_.quality);
    bon[8]->setText(signer_.name);
    side_->open(voucher_);
    tabs_->setEnabled(false);
    bon[0]->setFocus(Qt::OtherFocusReason);
}

void Zoom_V::printVoucher()
{
    const Voucher v{bon[0]->text(), bon[1]->text(), bon[2]->text(), bon[3]->text(), bon[4]->text(),
                    bon[5]->text(), bon[6]->text(), bon[7]->text(), bon[8]->text(), bon[9]->text()};
    // A date or an amount that would print as something else is refused here.
    if (!v.date.trimmed().isEmpty() && !isValidDate(v.date) && !checkDateField(*bon[0], s_.ui()))
        return;
    if (!checkAmountField(*bon[4], s_.ui()) || !kit::confirmExerciseDate(*bon[0], s_))
        return;
    const QString name = voucherTemplate(unExemplaire->isChecked());
    // A missing template prints nothing and changes nothing; the report routine says so.
    if (QFileInfo(s_.programFile(name)).isFile())
        signer_ = {v.qualite.trimmed(), v.nom.trimmed()};
    ReportRequest request;
    request.templateName = name;
    request.texts = voucherTexts(s_, v);
    // The routine writes the firm's identity, its fourth field (ch30) included, before the voucher's texts.
    kit::guarded(s_.ui(), [&] { printReport(s_, request); });
}

void Zoom_V::closeVoucher()
{
    if (!voucher_ || side_->panel() != voucher_)
        return;
    side_->close();
    tabs_->setEnabled(true);
    bonAchat->setFocus(Qt::OtherFocusReason);
}

} // namespace kv
