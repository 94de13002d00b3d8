#include "MVM_FOND.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/state/Session.h"
#include "platform/db/Dates.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kv {

namespace {

constexpr int kDateLength = 10;

/// The object's first letter: a lower-case a to z typed into the empty field becomes its capital.
int firstLetterCapital(const QString& text, int key)
{
    if (text.isEmpty() && key >= 'a' && key <= 'z')
        return key - ('a' - 'A');
    return key;
}

QString headingText(bool modification, bool expense)
{
    if (modification)
        return expense ? QStringLiteral("MODIFICATION (Dépense)") : QStringLiteral("MODIFICATION (Recette)");
    return expense ? QStringLiteral("Nouvelle Dépense") : QStringLiteral("Nouvelle Recette");
}

} // namespace

MVM_FOND::MVM_FOND(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("MVM_FOND"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    Echange& block = s_.echange;
    // Until the user validates, the outcome is a cancellation.
    block.set(10, QStringLiteral("Annulé"));
    const bool modification = readNumber(block.get(1)) == 1;
    const bool expense = readNumber(block.get(2)) != 0;

    heading_ = new QLabel(headingText(modification, expense), this);
    heading_->setObjectName(QStringLiteral("titre"));
    heading_->setAlignment(Qt::AlignCenter);
    heading_->setMinimumHeight(38);
    heading_->setStyleSheet(QStringLiteral("QLabel { background: %1; color: white; font-size: 13pt; font-weight: bold;"
                                           " border-radius: 4px; padding: 6px 14px; }")
                                .arg(expense ? QStringLiteral("#9c2f2f") : QStringLiteral("#2f6b3a")));

    date_ = new QLineEdit(block.get(7), this);
    date_->setObjectName(QStringLiteral("Date"));
    date_->setMaxLength(kDateLength);
    date_->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    date_->setFixedWidth(110);
    amount_ = new QLineEdit(block.get(8), this);
    amount_->setObjectName(QStringLiteral("Montant"));
    amount_->setAlignment(Qt::AlignRight);
    amount_->setFixedWidth(140);
    object_ = new QLineEdit(block.get(4), this);
    object_->setObjectName(QStringLiteral("Objet"));
    object_->setMinimumWidth(320);

    cash_ = new QRadioButton(QStringLiteral("Espèces"), this);
    cash_->setObjectName(QStringLiteral("Especes"));
    cheque_ = new QRadioButton(QStringLiteral("Cheque"), this);
    cheque_->setObjectName(QStringLiteral("Cheque"));
    auto* modes = new QButtonGroup(this);
    modes->addButton(cash_, 0);
    modes->addButton(cheque_, 1);
    const double mode = readNumber(block.get(3));
    if (mode == 0)
        cash_->setChecked(true);
    else if (mode == 1)
        cheque_->setChecked(true);
    auto* modeBox = new QGroupBox(QStringLiteral("Mode"), this);
    auto* modeLayout = new QHBoxLayout(modeBox);
    modeLayout->addWidget(cash_);
    modeLayout->addSpacing(16);
    modeLayout->addWidget(cheque_);
    modeLayout->addStretch();

    // Typing rules: the date field, the decimal amount, the object's first capital; Enter and the
    // arrows move along the fields, Enter in the object validates.
    new DateField(date_, s_.ui());
    new DecimalField(amount_);
    new SelectOnFocus(amount_);
    new FieldKeyFilter(object_, firstLetterCapital);
    new SelectOnFocus(object_);
    auto* chain = new FieldChain({date_, amount_, object_}, this);
    connect(chain, &FieldChain::enterOnLast, this, &MVM_FOND::validate);

    validate_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogApplyButton), QStringLiteral("Valider"), this);
    validate_->setObjectName(QStringLiteral("valider"));
    validate_->setToolTip(QStringLiteral("Valider"));
    cancel_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), QStringLiteral("Annuler"), this);
    cancel_->setObjectName(QStringLiteral("annuler"));
    cancel_->setToolTip(QStringLiteral("Annuler"));
    for (QPushButton* b : {validate_, cancel_}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(110);
    }
    connect(validate_, &QPushButton::clicked, this, &MVM_FOND::validate);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    form->addRow(QStringLiteral("Date"), date_);
    form->addRow(QStringLiteral("Montant"), amount_);
    form->addRow(QStringLiteral("Objet"), object_);
    form->addRow(modeBox);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(validate_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(14);
    layout->addWidget(heading_);
    layout->addLayout(form);
    layout->addLayout(buttons);

    date_->setFocus(Qt::OtherFocusReason);
}

void MVM_FOND::validate()
{
    const QString date = date_->text().trimmed();
    // A date that is not a day of the calendar cannot be booked either: it counts as incomplete.
    if (date.size() != kDateLength || db::toStoredDate(date).isNull() || amount_->text().trimmed().isEmpty()) {
        s_.ui().message(QStringLiteral("Saisie incomplète"), ui::Icon::Information, QStringLiteral("Attention"));
        return;
    }
    Echange& block = s_.echange;
    block.set(7, date_->text());
    block.set(8, amount_->text());
    block.set(4, object_->text());
    if (cash_->isChecked())
        block.set(3, QStringLiteral("0"));
    else if (cheque_->isChecked())
        block.set(3, QStringLiteral("1"));
    block.set(10, QStringLiteral("OK"));
    validated_ = true;
    accept();
}

void MVM_FOND::done(int result)
{
    // Cancel, Escape, the window's close box: every way out but validation is a cancellation.
    if (!validated_ || result != QDialog::Accepted) {
        validated_ = false;
        s_.echange.set(10, QStringLiteral("Annulé"));
        result = QDialog::Rejected;
    }
    QDialog::done(result);
}

} // namespace kv
