#include "Form_v2.h"

#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {
constexpr int kGranted = 1;
constexpr int kRefused = 8;
} // namespace

Form_v2::Form_v2(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("Form_v2"));
    setWindowTitle(QStringLiteral("Autorisation"));
    setModal(true);

    const int level = s_.dialogValue;
    password_ = s_.settings.password(level).trimmed().toUpper();
    override_ = s_.settings.overridePassword().trimmed().toUpper();
    // Until access is granted, leaving the prompt in any way is a refusal.
    s_.dialogValue = kRefused;

    level_ = kit::panelHeading(QStringLiteral("Niveau  ") + u' ' + QString::number(level), this, QStringLiteral("niveau"));

    entry_ = new QLineEdit(this);
    entry_->setObjectName(QStringLiteral("motDePasse"));
    entry_->setEchoMode(QLineEdit::Password);
    entry_->setMaxLength(41);
    entry_->setMinimumWidth(220);

    entry_->setAccessibleName(level_->text());

    // The kit's command bar at the foot; Enter in the field is the confirming command's (one attempt per
    // Enter).
    auto* bar = new kit::CommandBar(this);
    bar->addStretch();
    confirm_ = bar->add(kit::Command::Confirm, QStringLiteral("valider"), this, &Form_v2::confirm);
    kit::setDefaultCommand(*this, confirm_);

    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(10);
    layout->addWidget(kit::titleBand(windowTitle(), this));
    layout->addWidget(level_);
    layout->addWidget(entry_);
    layout->addStretch();
    layout->addWidget(bar);
    entry_->setFocus();
    kit::sizeScreen(*this, QSize(380, 180));
}

void Form_v2::confirm()
{
    const QString typed = entry_->text().trimmed().toUpper();
    const bool granted = typed == password_ || (!override_.isEmpty() && typed == override_);
    ++attempts_;
    if (granted) {
        s_.dialogValue = kGranted;
        accept();
        return;
    }
    if (attempts_ < 3) {
        entry_->clear();
        entry_->setFocus();
        return;
    }
    s_.ui().message(QStringLiteral("Mot d'accès incorrect"), ui::Icon::Critical, QStringLiteral("Z.E.B."));
    s_.dialogValue = kRefused;
    reject();
}

bool checkLevel2(Session& session)
{
    if (!session.settings.isProtected(2))
        return true;
    session.dialogValue = 2;
    Form_v2 prompt(session);
    session.ui().showModal(prompt);
    return session.dialogValue == kGranted;
}

} // namespace kv
