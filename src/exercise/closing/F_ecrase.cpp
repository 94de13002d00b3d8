#include "F_ecrase.h"

#include "core/kit/Colours.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

F_ecrase::F_ecrase(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("F_ecrase"));
    setWindowTitle(QStringLiteral(" "));
    setModal(true);
    s_.dialogValue = 0;

    auto* attention = kit::titleBand(QStringLiteral("ATTENTION"), this);
    attention->setAlignment(Qt::AlignCenter);
    attention->setStyleSheet(attention->styleSheet().replace(kit::colours::kBand, kit::colours::kAlert));

    warning_ = new QLabel(QStringLiteral("  Les  données  de  l'année en cours seront définitivement perdues"), this);
    warning_->setObjectName(QStringLiteral("avertissement"));
    warning_->setWordWrap(true);
    warning_->setAlignment(Qt::AlignCenter);
    QFont big = warning_->font();
    big.setPointSize(big.pointSize() + 2);
    big.setBold(true);
    warning_->setFont(big);

    arabic_ = new QLabel(QStringLiteral("طـلـب  إلـغــاء  نـهـائـي  لـمـعـطـيات  الــسـنـة  الـدراسـيـة  الـحـالـيـة"), this);
    arabic_->setObjectName(QStringLiteral("avertissementArabe"));
    arabic_->setWordWrap(true);
    arabic_->setAlignment(Qt::AlignCenter);
    arabic_->setLayoutDirection(Qt::RightToLeft);
    arabic_->setFont(big);

    auto* bar = new kit::CommandBar(this);
    bar->addStretch();
    cancel_ = bar->add(Command::Cancel, QStringLiteral("annuler"), this, &F_ecrase::reject);
    continue_ = bar->add(Command::Confirm, QStringLiteral("continuer"), this, &F_ecrase::continueUndo,
                         QStringLiteral("Continuer"));
    bar->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(14);
    layout->addWidget(attention);
    layout->addWidget(warning_);
    layout->addWidget(arabic_);
    layout->addStretch();
    layout->addWidget(bar);
    // The year's data are lost for good: Return gives "Annuler", as every deletion question's "Non".
    kit::setDefaultCommand(*this, cancel_);
    cancel_->setFocus();
    kit::sizeScreen(*this, QSize(660, 230));
}

void F_ecrase::continueUndo()
{
    s_.dialogValue = 1;
    accept();
}

void F_ecrase::reject()
{
    s_.dialogValue = 0;
    QDialog::reject();
}

bool confirmUndo(Session& session)
{
    session.dialogValue = 0;
    F_ecrase warning(session);
    session.ui().showModal(warning);
    return session.dialogValue == 1;
}

} // namespace kv
