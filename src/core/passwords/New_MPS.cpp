#include "New_MPS.h"

#include "core/formats/FieldRules.h"
#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace kv {

New_MPS::New_MPS(Session& session, QWidget* parent) : QDialog(parent), s_(session)
{
    setObjectName(QStringLiteral("New_MPS"));
    setWindowTitle(QStringLiteral("Mot d'accès"));
    setModal(true);
    stored_ = {s_.settings.password(1).trimmed().toUpper(), s_.settings.password(2).trimmed().toUpper()};

    tabWidget_ = new QTabWidget(this);
    tabWidget_->addTab(buildTab(1), QStringLiteral("Niveau 1"));
    tabWidget_->addTab(buildTab(2), QStringLiteral("Niveau 2"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(windowTitle(), this));
    layout->addWidget(tabWidget_);
    kit::sizeScreen(*this, QSize(420, 260));
    // The keyboard starts in "Mot actuel" of the tab shown, not on the tabs themselves.
    tabs_[0].current->setFocus();
    connect(tabWidget_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index >= 0 && index < 2)
            tabs_[index].current->setFocus();
    });
}

QWidget* New_MPS::buildTab(int level)
{
    auto* page = new QWidget;
    LevelTab& t = tabs_[level - 1];
    auto field = [&](const char* name) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("%1_%2").arg(QString::fromLatin1(name)).arg(level));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(41);
        return edit;
    };
    t.current = field("actuel");
    t.fresh = field("nouveau");
    t.confirmation = field("confirmation");
    // The kit's command bar at the foot of the tab; a hidden tab's commands take no keys, so both tabs
    // share Alt+E and Alt+Q. "Enregistrer" is the default command of the tab shown.
    auto* bar = new kit::CommandBar(page);
    bar->addStretch();
    t.save = bar->add(kit::Glyph::Confirm, QStringLiteral("Enregistrer"), QStringLiteral("enregistrer_%1").arg(level),
                      QKeySequence(Qt::ALT | Qt::Key_E));
    t.close = bar->add(kit::Command::Close, QStringLiteral("fermer_%1").arg(level));
    connect(t.save, &QToolButton::clicked, this, [this, level] { save(level); });
    connect(t.close, &QToolButton::clicked, this, &QDialog::reject);
    kit::setDefaultCommand(*this, t.save);

    // Enter or Down moves to the next field, Up to the previous; Enter in the confirmation saves.
    auto* chain = new FieldChain({t.current, t.fresh, t.confirmation}, page);
    connect(chain, &FieldChain::enterOnLast, this, [this, level] { save(level); });

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Mot actuel"), t.current);
    form->addRow(QStringLiteral("Nouveau"), t.fresh);
    form->addRow(QStringLiteral("Confirmation"), t.confirmation);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(bar);
    return page;
}

void New_MPS::save(int level)
{
    const LevelTab& t = tabs_[level - 1];
    const QString current = t.current->text().trimmed().toUpper();
    const QString fresh = t.fresh->text().trimmed().toUpper();
    const QString confirmation = t.confirmation->text().trimmed().toUpper();
    auto fail = [&](const QString& text) {
        s_.ui().refuse(text);
        ++failures_;
        if (failures_ > 2)
            reject();
    };
    if (current != stored_[level - 1])
        return fail(QStringLiteral("Contrôle négatif"));
    if (fresh != confirmation)
        return fail(QStringLiteral("Confirmation non concordante"));
    failures_ = 0;
    QString error;
    if (!s_.settings.savePassword(level, fresh, &error)) {
        s_.ui().refuse(error);
        return;
    }
    stored_[level - 1] = fresh;
    s_.ui().message(QStringLiteral("Sauvegarde effectuée avec succès"), ui::Icon::Information);
    accept();
}

} // namespace kv
