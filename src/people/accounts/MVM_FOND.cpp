#include "MVM_FOND.h"

#include "core/formats/Dates.h"
#include "core/kit/ExerciseDate.h"
#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
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

    heading_ = kit::titleBand(headingText(modification, expense), this);

    date_ = new QLineEdit(block.get(7), this);
    date_->setObjectName(QStringLiteral("Date"));
    date_->setMaxLength(kDateLength);
    date_->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    date_->setFixedWidth(110);
    amount_ = new QLineEdit(block.get(8), this);
    amount_->setObjectName(QStringLiteral("Montant"));
    amount_->setAlignment(Qt::AlignRight);
    amount_->setFont(kit::amountFont());
    amount_->setFixedWidth(160);
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
    // The mode is a row of the form as the other entries are, its two choices side by side.
    auto* modeRow = new QWidget(this);
    modeRow->setObjectName(QStringLiteral("Mode"));
    auto* modeLayout = new QHBoxLayout(modeRow);
    modeLayout->setContentsMargins(0, 0, 0, 0);
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

    const kit::PanelButtons buttons = kit::panelButtons(this);
    validate_ = buttons.confirm;
    cancel_ = buttons.cancel;
    connect(validate_, &QToolButton::clicked, this, &MVM_FOND::validate);
    connect(cancel_, &QToolButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(10);
    form->addRow(QStringLiteral("Date"), date_);
    form->addRow(QStringLiteral("Montant"), amount_);
    form->addRow(QStringLiteral("Objet"), object_);
    form->addRow(QStringLiteral("Mode"), modeRow);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(12);
    layout->addWidget(heading_);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(buttons.row);
    kit::setDefaultCommand(*this, validate_);
    kit::sizeScreen(*this, QSize(480, 300));

    date_->setFocus(Qt::OtherFocusReason);
}

void MVM_FOND::validate()
{
    const QString date = date_->text().trimmed();
    if (date.size() != kDateLength || amount_->text().trimmed().isEmpty()) {
        s_.ui().message(QStringLiteral("Saisie incomplète"), ui::Icon::Information, QStringLiteral("Attention"));
        return;
    }
    // Complete, yet what could not be booked as typed: a day not in the calendar, an amount that is
    // not a number ("12-50" would be booked as 12).
    if (!isValidDate(date) && !checkDateField(*date_, s_.ui()))
        return;
    if (!checkAmountField(*amount_, s_.ui()) || !kit::confirmExerciseDate(*date_, s_))
        return;
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
