#include "Initials.h"

#include "core/kit/Guard.h"
#include "core/kit/ScreenKit.h"
#include "core/formats/FieldRules.h"
#include "core/state/Session.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

using kit::Command;
using kit::Glyph;

namespace {
constexpr int kNameLength = 30;
}

Initials::Initials(Session& session, QWidget* parent) : QDialog(parent), s_(session), kind_(session.dialogValue)
{
    if (kind_ < references::Genres || kind_ > references::Carburants)
        kind_ = references::Genres;
    setObjectName(QStringLiteral("Initials"));
    setWindowTitle(references::info(kind_).title);
    setModal(true);

    heading_ = kit::titleBand(references::info(kind_).title, this);

    bar_ = new kit::CommandBar(this);
    new_ = bar_->add(Command::New, QStringLiteral("nouveau"), this, &Initials::startNew);
    edit_ = bar_->add(Command::Edit, QStringLiteral("modifier"), this, &Initials::startEdit);
    delete_ = bar_->add(Command::Delete, QStringLiteral("supprimer"), this, &Initials::deleteSelected);
    bar_->addGap();
    // The arrows move the selected entry; pictures only, no tooltip.
    down_ = bar_->add(Glyph::Down, QString(), QStringLiteral("bas"), kit::look(Command::Down).key, this, &Initials::moveDown);
    up_ = bar_->add(Glyph::Up, QString(), QStringLiteral("haut"), kit::look(Command::Up).key, this, &Initials::moveUp);
    bar_->addStretch();
    quit_ = bar_->add(Command::Quit, QStringLiteral("quitter"), this, &Initials::quit);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("liste"));
    list_->setMinimumSize(260, 240);
    list_->setAlternatingRowColors(true);
    list_->setUniformItemSizes(true);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { name_->setText(item->text()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { startEdit(); });

    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("saisie"));
    panel_->setFrameShape(QFrame::StyledPanel);
    auto* label = new QLabel(QStringLiteral("Dénomination"), panel_);
    name_ = new QLineEdit(panel_);
    name_->setObjectName(QStringLiteral("denomination"));
    name_->setMaxLength(kNameLength);
    // A name of 30 characters is seen whole.
    name_->setMinimumWidth(name_->fontMetrics().horizontalAdvance(QString(kNameLength, u'n')) + 12);
    // The first letter of a name is a capital.
    new FieldKeyFilter(name_, [](const QString& text, int key) {
        return (text.isEmpty() && key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key;
    });
    connect(name_, &QLineEdit::returnPressed, this, &Initials::confirmEntry);
    const kit::PanelButtons buttons = kit::panelButtons(panel_);
    confirm_ = buttons.confirm;
    cancel_ = buttons.cancel;
    connect(confirm_, &QToolButton::clicked, this, &Initials::confirmEntry);
    connect(cancel_, &QToolButton::clicked, this, &Initials::cancelEntry);
    auto* panelLayout = new QVBoxLayout(panel_);
    panelLayout->addWidget(label);
    panelLayout->addWidget(name_);
    panelLayout->addStretch();
    panelLayout->addWidget(buttons.row);

    side_ = new kit::SidePanel(name_->minimumWidth() + 40, this);
    side_->addPanel(panel_, [this] { cancelEntry(); });

    auto* body = new QHBoxLayout;
    body->addWidget(list_, 1);
    body->addWidget(side_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(bar_);
    layout->addLayout(body, 1);

    kit::guarded(s_.ui(), [&] { counters_ = references::counters(s_.db(), kind_); });
    reload();
    setEntering(false);
    kit::sizeScreen(*this, QSize(640, 460), {side_});
}

void Initials::reload()
{
    references::Entries loaded;
    if (!kit::guarded(s_.ui(), [&] { loaded = references::load(s_.db(), kind_); }))
        return; // the list stays as it was
    entries_ = loaded;
    list_->clear();
    list_->addItems(entries_.names);
    if (!entries_.isEmpty())
        list_->setCurrentRow(0);
    name_->clear();
}

void Initials::setEntering(bool on)
{
    entering_ = on;
    side_->open(on ? panel_ : nullptr);
    for (QToolButton* b : {new_, edit_, delete_, quit_, down_, up_})
        b->setVisible(!on);
    list_->setEnabled(!on);
    if (on)
        name_->setFocus();
}

int Initials::selected() const { return list_->currentRow(); }

void Initials::startNew()
{
    editing_ = false;
    name_->clear();
    setEntering(true);
}

void Initials::startEdit()
{
    const int p = selected();
    if (entries_.isEmpty() || p <= 0)
        return;
    editing_ = true;
    name_->setText(entries_.names[p]);
    setEntering(true);
}

void Initials::confirmEntry()
{
    if (!entering_)
        return;
    const QString name = name_->text().trimmed();
    if (name.isEmpty()) {
        s_.ui().message(QStringLiteral("Saisie omise"), ui::Icon::Information, QStringLiteral("ZEB"));
        return;
    }
    bool found = true;
    const bool written = kit::guarded(s_.ui(), [&] {
        if (editing_) {
            const int p = selected();
            if (p > 0 && p < entries_.size())
                found = references::rename(s_.db(), kind_, entries_.nums[p], name);
        } else {
            s_.reconnect();
            references::add(s_.db(), kind_, counters_, name);
        }
    });
    if (!written)
        return; // the engine said why; the panel stays open with the name typed
    if (!found) // deleted since the list was read
        s_.ui().message(QStringLiteral("Enregistrement introuvable"));
    reload();
    setEntering(false);
}

void Initials::cancelEntry() { setEntering(false); }

void Initials::deleteSelected()
{
    const int p = selected();
    if (entries_.isEmpty() || p <= 0)
        return;
    const qint64 num = entries_.nums[p];
    int users = 0;
    if (!kit::guarded(s_.ui(), [&] { users = references::vehiclesUsing(s_.db(), kind_, num); }))
        return;
    if (users > 0) {
        s_.ui().refuse(QStringLiteral("Suppression refusée"));
        return;
    }
    if (!s_.ui().askDefaultNo(QStringLiteral("Confirmer la suppression de : ") + entries_.names[p], ui::Icon::Question,
                     QStringLiteral("Attention")))
        return;
    if (kit::guarded(s_.ui(), [&] { references::remove(s_.db(), kind_, num); }))
        reload();
}

void Initials::swap(int from, int to)
{
    entries_.names.swapItemsAt(from, to);
    entries_.nums.swapItemsAt(from, to);
    QListWidgetItem* a = list_->item(from);
    QListWidgetItem* b = list_->item(to);
    const QString t = a->text();
    a->setText(b->text());
    b->setText(t);
    list_->setCurrentRow(to);
    orderChanged_ = true;
}

void Initials::moveDown()
{
    const int p = selected();
    if (entries_.size() < 3 || p <= 0 || p >= entries_.size() - 1)
        return;
    swap(p, p + 1);
}

void Initials::moveUp()
{
    const int p = selected();
    if (entries_.size() < 3 || p < 2)
        return;
    swap(p, p - 1);
}

void Initials::quit()
{
    s_.dialogValue = std::max(0, selected());
    // A refused write leaves the order as it was in the table and the screen open.
    if (orderChanged_ && !kit::guarded(s_.ui(), [&] { references::writeOrder(s_.db(), kind_, entries_.nums); }))
        return;
    accept();
}

} // namespace kv
