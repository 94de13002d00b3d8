#include "Chrges.h"

#include "core/formats/FieldRules.h"
#include "core/formats/Numbers.h"
#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

Chrges::Chrges(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Chrges"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);

    bar_ = new kit::CommandBar(this);
    bar_->add(Command::Confirm, QStringLiteral("valider"), this, &Chrges::save);
    bar_->addStretch();
    bar_->add(Command::Close, QStringLiteral("fermer"), static_cast<QDialog*>(this), &QDialog::reject);

    auto* panel = new QWidget(this);
    auto* form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(14);
    form->setVerticalSpacing(8);
    auto* chain = new FieldChain(this);
    chain->setWrap(FieldChain::Wrap::Enter); // Enter from the seventh goes back to the first
    for (int i = 0; i < charges::kFields; ++i) {
        QLineEdit* e = i < charges::kTyped ? new QLineEdit(panel) : kit::totalField(panel, QString());
        e->setObjectName(charges::fieldName(i));
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        e->setFont(kit::amountFont());
        e->setFixedWidth(QFontMetrics(kit::amountFont()).horizontalAdvance(QStringLiteral("999 999 999.00 ")) + 16);
        if (i < charges::kTyped) {
            new DecimalField(e);
            new SelectOnFocus(e, 20);
            chain->add(e);
            connect(e, &QLineEdit::textChanged, this, &Chrges::updateTotal);
        }
        fields_[i] = e;
        if (i == charges::kTyped)
            form->addItem(new QSpacerItem(0, 6));
        form->addRow(charges::kCaptions[i], e);
    }
    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(kit::panelHeading(QStringLiteral("Charges courantes mensuelles"), panel));
    panelLayout->addSpacing(6);
    panelLayout->addLayout(form);
    panelLayout->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Charges"), this));
    layout->addWidget(bar_);
    layout->addWidget(panel, 1);
    kit::sizeScreen(*this, QSize(460, 440));

    // Each field shows its stored value (nothing when never written), remembered to tell a change.
    charges::Stored stored;
    kit::guarded(s_.ui(), [&] { stored = charges::read(s_.db()); });
    for (int i = 0; i < charges::kFields; ++i) {
        const QSignalBlocker block(fields_[i]);
        fields_[i]->setText(charges::shown(stored[i]));
        opened_[i] = fields_[i]->text();
    }
    fields_[0]->setFocus();
}

QToolButton* Chrges::command(const QString& objectName) const { return bar_->command(objectName); }

void Chrges::updateTotal()
{
    QStringList typed;
    for (int i = 0; i < charges::kTyped; ++i)
        typed << fields_[i]->text();
    fields_[charges::kTyped]->setText(charges::monthlyTotalText(typed));
}

void Chrges::save()
{
    // A charge typed differently, or a total of another amount (it is shown again in its own pattern
    // after any typing, so its text alone would tell a change where there is none).
    bool changed = readNumber(fields_[charges::kTyped]->text()) != readNumber(opened_[charges::kTyped]);
    for (int i = 0; i < charges::kTyped; ++i)
        changed = changed || fields_[i]->text() != opened_[i];
    if (!changed) {
        accept();
        return;
    }
    for (int i = 0; i < charges::kTyped; ++i)
        if (!checkAmountField(*fields_[i], s_.ui()))
            return;
    // The monthly total is stored too: like every amount, it never goes beyond the largest one.
    if (!isWithinAmountLimit(readNumber(fields_[charges::kTyped]->text()))) {
        s_.ui().refuse(kAmountTooLarge);
        fields_[charges::kTyped - 1]->setFocus(Qt::OtherFocusReason);
        fields_[charges::kTyped - 1]->selectAll();
        return;
    }
    QLineEdit* perDay = fields_[charges::kFields - 1];
    perDay->setText(charges::perDayText(fields_[charges::kTyped]->text()));
    s_.ui().message(QStringLiteral("Sauvegarde en cours"));
    std::array<double, charges::kFields> values{};
    for (int i = 0; i < charges::kFields; ++i)
        values[i] = readNumber(fields_[i]->text());
    if (!kit::guarded(s_.ui(), [&] { charges::write(s_.db(), values); }))
        return; // the engine said why; the screen stays open with what was typed
    accept();
}

} // namespace kv
