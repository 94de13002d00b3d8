#include "Cloturex.h"

#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QButtonGroup>
#include <QFrame>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;

Cloturex::Cloturex(Session& session, QWidget* parent, exercise::FileOps& files)
    : QDialog(parent), s_(session), files_(files)
{
    setObjectName(QStringLiteral("Cloturex"));
    setWindowTitle(QStringLiteral("Clôture de l'exercice  avec ....."));
    setModal(true);

    auto* options = new QFrame(this);
    options->setObjectName(QStringLiteral("options"));
    options->setFrameShape(QFrame::StyledPanel);
    reset_ = new QRadioButton(QStringLiteral("Remise à zéro de tous les comptes"), options);
    reset_->setObjectName(QStringLiteral("remiseAZero"));
    keep_ = new QRadioButton(QStringLiteral("Conservation des données actuelles"), options);
    keep_->setObjectName(QStringLiteral("conservation"));
    auto* group = new QButtonGroup(this);
    group->addButton(reset_);
    group->addButton(keep_);
    reset_->setChecked(true);
    auto* optionLayout = new QVBoxLayout(options);
    optionLayout->setContentsMargins(18, 14, 18, 14);
    optionLayout->setSpacing(12);
    optionLayout->addWidget(reset_);
    optionLayout->addWidget(keep_);

    auto* bar = new kit::CommandBar(this);
    bar->addStretch();
    ok_ = bar->add(Command::Confirm, QStringLiteral("ok"), this, &Cloturex::confirm, QStringLiteral("OK"));
    cancel_ = bar->add(Command::Cancel, QStringLiteral("annuler"), static_cast<QDialog*>(this), &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(windowTitle(), this));
    layout->addWidget(options);
    layout->addStretch();
    layout->addWidget(bar);
    reset_->setFocus();
    kit::setDefaultCommand(*this, ok_);
    kit::sizeScreen(*this, QSize(440, 230));
}

void Cloturex::confirm()
{
    const auto option = keep_->isChecked() ? exercise::ClosingOption::Keep : exercise::ClosingOption::Reset;
    outcome_ = exercise::closeExercise(s_, option, files_);
    s_.ui().message(exercise::inPlaceText(s_.exerciceOuvert), ui::Icon::Information, QStringLiteral("Z.E.B"));
    accept();
}

} // namespace kv
