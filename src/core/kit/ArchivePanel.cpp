#include "ArchivePanel.h"

#include "ScreenKit.h"

#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv::kit {

namespace {

QRadioButton* optionButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* b = new QRadioButton(text, parent);
    b->setObjectName(name);
    return b;
}

} // namespace

ArchivePanel::ArchivePanel(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("panneauFiltre"));
    setFrameShape(QFrame::StyledPanel);
    auto* heading = panelHeading(QStringLiteral("Filtre d'affichage . . ."), this);
    archives_ = optionButton(archiveFilterText(ArchiveFilter::Archives), QStringLiteral("archives"), this);
    recents_ = optionButton(archiveFilterText(ArchiveFilter::Recents), QStringLiteral("recents"), this);
    ensemble_ = optionButton(archiveFilterText(ArchiveFilter::Ensemble), QStringLiteral("ensemble"), this);
    ensemble_->setChecked(true);
    const PanelButtons buttons = panelButtons(this, QStringLiteral("filtreValider"), QStringLiteral("filtreAnnuler"));
    confirm_ = buttons.confirm;
    cancel_ = buttons.cancel;
    connect(confirm_, &QToolButton::clicked, this, &ArchivePanel::confirmed);
    connect(cancel_, &QToolButton::clicked, this, &ArchivePanel::cancelled);
    auto* v = new QVBoxLayout(this);
    v->addWidget(heading);
    v->addSpacing(6);
    v->addWidget(archives_);
    v->addWidget(recents_);
    v->addWidget(ensemble_);
    v->addStretch();
    v->addWidget(buttons.row);
}

QRadioButton* ArchivePanel::option(ArchiveFilter filter) const
{
    switch (filter) {
    case ArchiveFilter::Archives: return archives_;
    case ArchiveFilter::Recents: return recents_;
    case ArchiveFilter::Ensemble: break;
    }
    return ensemble_;
}

ArchiveFilter ArchivePanel::chosen() const
{
    return archives_->isChecked() ? ArchiveFilter::Archives
        : recents_->isChecked()   ? ArchiveFilter::Recents
                                  : ArchiveFilter::Ensemble;
}

void ArchivePanel::setChosen(ArchiveFilter filter) { option(filter)->setChecked(true); }

QString archiveFilterText(ArchiveFilter filter)
{
    switch (filter) {
    case ArchiveFilter::Archives: return QStringLiteral("Archivés");
    case ArchiveFilter::Recents: return QStringLiteral("Récents");
    case ArchiveFilter::Ensemble: break;
    }
    return QStringLiteral("Ensemble");
}

} // namespace kv::kit
