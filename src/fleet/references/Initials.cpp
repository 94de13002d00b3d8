#include "Initials.h"

#include "CommandButton.h"
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

using fleet::Glyph;

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

    heading_ = new QLabel(references::info(kind_).title, this);
    heading_->setObjectName(QStringLiteral("titre"));
    QFont f = heading_->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 3);
    heading_->setFont(f);
    heading_->setAlignment(Qt::AlignCenter);
    heading_->setStyleSheet(QStringLiteral("color: #1f3b5c; padding: 6px; background: #e6edf5; border-radius: 4px;"));

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("liste"));
    list_->setMinimumSize(280, 260);
    list_->setAlternatingRowColors(true);
    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { name_->setText(item->text()); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { startEdit(); });

    new_ = fleet::commandButton(this, Glyph::New, QStringLiteral("Nouveau"), QStringLiteral("nouveau"));
    edit_ = fleet::commandButton(this, Glyph::Edit, QStringLiteral("Modifier"), QStringLiteral("modifier"));
    delete_ = fleet::commandButton(this, Glyph::Delete, QStringLiteral("Supprimer"), QStringLiteral("supprimer"));
    quit_ = fleet::commandButton(this, Glyph::Quit, QStringLiteral("Quitter"), QStringLiteral("quitter"));
    down_ = fleet::commandButton(this, Glyph::Down, QString(), QStringLiteral("bas"), 26);
    up_ = fleet::commandButton(this, Glyph::Up, QString(), QStringLiteral("haut"), 26);
    connect(new_, &QToolButton::clicked, this, &Initials::startNew);
    connect(edit_, &QToolButton::clicked, this, &Initials::startEdit);
    connect(delete_, &QToolButton::clicked, this, &Initials::deleteSelected);
    connect(quit_, &QToolButton::clicked, this, &Initials::quit);
    connect(down_, &QToolButton::clicked, this, &Initials::moveDown);
    connect(up_, &QToolButton::clicked, this, &Initials::moveUp);

    panel_ = new QFrame(this);
    panel_->setObjectName(QStringLiteral("saisie"));
    panel_->setFrameShape(QFrame::StyledPanel);
    auto* label = new QLabel(QStringLiteral("Dénomination"), panel_);
    name_ = new QLineEdit(panel_);
    name_->setObjectName(QStringLiteral("denomination"));
    name_->setMaxLength(kNameLength);
    name_->setMinimumWidth(220);
    // The first letter of a name is a capital.
    new FieldKeyFilter(name_, [](const QString& text, int key) {
        return (text.isEmpty() && key >= 'a' && key <= 'z') ? key - 'a' + 'A' : key;
    });
    connect(name_, &QLineEdit::returnPressed, this, &Initials::confirmEntry);
    confirm_ = fleet::commandButton(panel_, Glyph::Confirm, QString(), QStringLiteral("valider"), 24);
    cancel_ = fleet::commandButton(panel_, Glyph::Cancel, QString(), QStringLiteral("annuler"), 24);
    connect(confirm_, &QToolButton::clicked, this, &Initials::confirmEntry);
    connect(cancel_, &QToolButton::clicked, this, &Initials::cancelEntry);
    auto* panelLayout = new QHBoxLayout(panel_);
    panelLayout->addWidget(label);
    panelLayout->addWidget(name_, 1);
    panelLayout->addWidget(confirm_);
    panelLayout->addWidget(cancel_);

    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(up_);
    arrows->addWidget(down_);
    arrows->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(list_, 1);
    middle->addLayout(arrows);

    auto* commands = new QHBoxLayout;
    commands->addWidget(new_);
    commands->addWidget(edit_);
    commands->addWidget(delete_);
    commands->addStretch();
    commands->addWidget(quit_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->addWidget(heading_);
    layout->addLayout(middle, 1);
    layout->addWidget(panel_);
    layout->addLayout(commands);

    counters_ = references::counters(s_.db(), kind_);
    reload();
    setEntering(false);
}

void Initials::reload()
{
    entries_ = references::load(s_.db(), kind_);
    list_->clear();
    list_->addItems(entries_.names);
    if (!entries_.isEmpty())
        list_->setCurrentRow(0);
    name_->clear();
}

void Initials::setEntering(bool on)
{
    entering_ = on;
    panel_->setVisible(on);
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
    if (editing_) {
        const int p = selected();
        if (p > 0 && p < entries_.size())
            references::rename(s_.db(), kind_, entries_.nums[p], name);
    } else {
        s_.reconnect();
        references::add(s_.db(), kind_, counters_, name);
    }
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
    if (references::vehiclesUsing(s_.db(), kind_, num) > 0) {
        s_.ui().message(QStringLiteral("Suppression refusée"), ui::Icon::Critical, QStringLiteral("ATTENTION"));
        return;
    }
    if (!s_.ui().ask(QStringLiteral("Confirmer la suppression de : ") + entries_.names[p], ui::Icon::Question,
                     QStringLiteral("Attention")))
        return;
    references::remove(s_.db(), kind_, num);
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
    if (orderChanged_)
        references::writeOrder(s_.db(), kind_, entries_.nums);
    accept();
}

} // namespace kv
