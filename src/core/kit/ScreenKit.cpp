#include "ScreenKit.h"

#include "Export.h"

#include "core/kit/Colours.h"
#include "platform/ui/TitleBand.h"
#include "platform/ui/Ui.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace kv::kit {

namespace {
const QString kBandStyle =
    QStringLiteral("QLabel { color: %1; background: %2; padding: 6px 14px; border-radius: 4px; font-weight: bold; }")
        .arg(colours::kBandText, colours::kBand);
constexpr int kIconSize = 22;
/// A screen asking for this height or more is a register or a list, not a small dialog.
constexpr int kListScreenHeight = 480;
} // namespace

// ---- title band -----------------------------------------------------------------------------------------

QLabel* titleBand(const QString& text, QWidget* parent, const QString& objectName)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(objectName);
    l->setProperty(kTitleBandProperty, true);   // names the screen's exports
    QFont f = l->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 5);
    l->setFont(f);
    l->setStyleSheet(kBandStyle);
    l->setProperty(ui::kTitleBandProperty, true); // the screen's window is named after it
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return l;
}

QLabel* panelHeading(const QString& text, QWidget* parent, const QString& objectName)
{
    auto* l = new QLabel(text, parent);
    if (!objectName.isEmpty())
        l->setObjectName(objectName);
    QFont f = l->font();
    f.setBold(true);
    f.setPointSize(f.pointSize() + 2);
    l->setFont(f);
    l->setStyleSheet(headingStyle(QStringLiteral("padding: 4px;")));
    l->setAlignment(Qt::AlignCenter);
    l->setWordWrap(true);
    return l;
}

QString headingStyle(const QString& more)
{
    return QStringLiteral("QLabel { color: %1; font-weight: bold;%2 }")
        .arg(colours::kHeading, more.isEmpty() ? QString() : QLatin1Char(' ') + more);
}

QString panelBoxStyle()
{
    return QStringLiteral("QGroupBox { font-weight: bold; border: 1px solid %1; border-radius: 4px; margin-top: 14px; "
                          "padding-top: 6px; }"
                          " QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top center; color: %2; "
                          "padding: 0 6px; }")
        .arg(colours::kPanelBorder, colours::kHeading);
}

// ---- commands -------------------------------------------------------------------------------------------

CommandLook look(Command command)
{
    switch (command) {
    case Command::New: return {Glyph::New, QStringLiteral("Nouveau"), QKeySequence(Qt::ALT | Qt::Key_N)};
    case Command::Edit: return {Glyph::Edit, QStringLiteral("Modifier"), QKeySequence(Qt::ALT | Qt::Key_M)};
    case Command::Delete: return {Glyph::Delete, QStringLiteral("Supprimer"), QKeySequence(Qt::ALT | Qt::Key_S)};
    case Command::Filter: return {Glyph::Filter, QStringLiteral("Filtre"), QKeySequence(Qt::ALT | Qt::Key_F)};
    case Command::Zoom: return {Glyph::Zoom, QStringLiteral("ZOOM"), QKeySequence(Qt::ALT | Qt::Key_Z)};
    case Command::Print: return {Glyph::Print, QStringLiteral("Imprimer"), QKeySequence(Qt::ALT | Qt::Key_I)};
    case Command::Quit: return {Glyph::Quit, QStringLiteral("Quitter"), QKeySequence(Qt::ALT | Qt::Key_Q)};
    case Command::Close: return {Glyph::Quit, QStringLiteral("Fermer"), QKeySequence(Qt::ALT | Qt::Key_Q)};
    case Command::Confirm: return {Glyph::Confirm, QStringLiteral("Valider"), QKeySequence(Qt::ALT | Qt::Key_V)};
    case Command::Cancel: return {Glyph::Cancel, QStringLiteral("Annuler"), QKeySequence(Qt::ALT | Qt::Key_A)};
    case Command::Down: return {Glyph::Down, QStringLiteral("Bas"), QKeySequence(Qt::CTRL | Qt::Key_End)};
    case Command::Up: return {Glyph::Up, QStringLiteral("Haut"), QKeySequence(Qt::CTRL | Qt::Key_Home)};
    case Command::Search: return {Glyph::Search, QStringLiteral("Rechercher"), QKeySequence(Qt::ALT | Qt::Key_R)};
    case Command::Open: return {Glyph::Open, QStringLiteral("Table"), QKeySequence(Qt::ALT | Qt::Key_T)};
    case Command::Export: return {Glyph::Export, QStringLiteral("Exporter"), QKeySequence(Qt::ALT | Qt::Key_E)};
    }
    return {Glyph::None, QString(), QKeySequence()};
}

QToolButton* commandButton(QWidget* parent, Glyph glyph, const QString& text, const QString& objectName,
                           const QKeySequence& key, const QString& tooltip)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(objectName);
    b->setText(text);
    b->setIcon(icon(glyph, kIconSize));
    b->setIconSize(QSize(kIconSize, kIconSize));
    b->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::TabFocus);
    b->setCursor(Qt::PointingHandCursor);
    if (!key.isEmpty())
        b->setShortcut(key);
    b->setToolTip(tooltip.isEmpty() ? text : tooltip);
    return b;
}

QToolButton* commandButton(QWidget* parent, Command command, const QString& objectName, const QString& text)
{
    const CommandLook l = look(command);
    const QString shown = text.isEmpty() ? l.text : text;
    return commandButton(parent, l.glyph, shown, objectName, l.key, shown);
}

CommandBar::CommandBar(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("barreCommandes"));
    row_ = new QHBoxLayout(this);
    row_->setContentsMargins(0, 2, 0, 2);
    row_->setSpacing(2);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    // The bar may be narrower than all its commands' texts on a small screen: it never forces the window wider.
    setMinimumWidth(0);
}

QToolButton* CommandBar::add(Glyph glyph, const QString& text, const QString& objectName, const QKeySequence& key,
                             const QString& tooltip)
{
    QToolButton* b = commandButton(this, glyph, text, objectName, key, tooltip);
    row_->addWidget(b);
    commands_ << b;
    return b;
}

QToolButton* CommandBar::add(Command command, const QString& objectName, const QString& text)
{
    QToolButton* b = commandButton(this, command, objectName, text);
    row_->addWidget(b);
    commands_ << b;
    return b;
}

QToolButton* CommandBar::addExport(const QString& objectName)
{
    QToolButton* b = add(Command::Export, objectName);
    b->setToolTip(QStringLiteral("Exporter la liste vers un classeur ou un fichier CSV"));
    connect(b, &QToolButton::clicked, this, [this] { exportGrid(exportableGrid(window())); });
    return b;
}

void CommandBar::addGap() { row_->addSpacing(10); }

void CommandBar::addStretch() { row_->addStretch(); }

void CommandBar::addWidget(QWidget* widget) { row_->addWidget(widget); }

QToolButton* CommandBar::command(const QString& objectName) const
{
    for (QToolButton* b : commands_)
        if (b->objectName() == objectName)
            return b;
    return nullptr;
}

void CommandBar::setCommandsEnabled(bool enabled)
{
    for (QToolButton* b : commands_)
        b->setEnabled(enabled);
}

PanelButtons panelButtons(QWidget* parent, const QString& confirmName, const QString& cancelName)
{
    PanelButtons p;
    p.row = new QWidget(parent);
    auto* row = new QHBoxLayout(p.row);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    p.confirm = commandButton(p.row, Command::Confirm, confirmName);
    p.cancel = commandButton(p.row, Command::Cancel, cancelName);
    row->addWidget(p.confirm);
    row->addWidget(p.cancel);
    return p;
}

// ---- grids ---------------------------------------------------------------------------------------------

void setupGrid(QTableView* grid)
{
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->setWordWrap(false);
    grid->setTextElideMode(Qt::ElideRight);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 8);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    grid->horizontalHeader()->setMinimumSectionSize(28);
    // Content sizing looks at the first rows only: large lists stay fast.
    grid->horizontalHeader()->setResizeContentsPrecision(200);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid->setMinimumSize(200, 120);
    grid->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    installExport(grid);
}

namespace {
class ChooseOnEnter : public QObject {
public:
    ChooseOnEnter(QTableView* grid, std::function<void(int)> choose) : QObject(grid), grid_(grid), choose_(std::move(choose))
    {
        grid->installEventFilter(this);
        connect(grid, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
            if (!index.isValid())
                return;
            grid_->selectRow(index.row());
            choose_(index.row());
        });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        const QModelIndex current = grid_->currentIndex();
        if (current.isValid())
            choose_(current.row());
        return true;
    }

private:
    QTableView* grid_;
    std::function<void(int)> choose_;
};
} // namespace

void onChoose(QTableView* grid, std::function<void(int row)> choose) { new ChooseOnEnter(grid, std::move(choose)); }

void fitColumns(QTableView* grid, int stretchColumn)
{
    QHeaderView* header = grid->horizontalHeader();
    header->setStretchLastSection(false);
    const int count = header->count();
    for (int c = 0; c < count; ++c)
        header->setSectionResizeMode(c, c == stretchColumn ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
}

QFont amountFont()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setBold(true);
    return f;
}

QFont fixedFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

QLineEdit* textField(QWidget* parent, const QString& objectName, int maxLength, const QString& widest)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    if (!widest.isEmpty())
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(widest) + 16);
    return e;
}

void layCriteria(QWidget* panel, QWidget* heading, QWidget* frame, QWidget* bar)
{
    auto* column = new QVBoxLayout;
    column->setSpacing(8);
    column->addWidget(frame);
    column->addWidget(bar);
    auto* block = new QHBoxLayout;
    block->addStretch();
    block->addLayout(column);
    block->addStretch();
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(heading);
    layout->addStretch(2);
    layout->addLayout(block);
    layout->addStretch(3);
}

QLineEdit* totalField(QWidget* parent, const QString& objectName)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(objectName);
    e->setReadOnly(true);
    e->setFocusPolicy(Qt::NoFocus);
    e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    e->setFont(amountFont());
    e->setMinimumWidth(QFontMetrics(e->font()).horizontalAdvance(QStringLiteral("-999 999 999.00 ")) + 12);
    e->setStyleSheet(QStringLiteral("QLineEdit { background: %1; }").arg(colours::kTotalBackground));
    return e;
}

// ---- side panel ----------------------------------------------------------------------------------------

SidePanel::SidePanel(int width, QWidget* parent) : QStackedWidget(parent)
{
    setObjectName(QStringLiteral("panneauLateral"));
    empty_ = new QWidget(this);
    addWidget(empty_);
    setFixedWidth(width);
    hide();
}

void SidePanel::addPanel(QWidget* panel, std::function<void()> cancel)
{
    addWidget(panel);
    if (!cancel)
        return;
    cancels_.insert(panel, std::move(cancel));
    if (!watching_ && window()) {
        // Keys the fields leave unused reach the window; Escape among them closes the panel first.
        window()->installEventFilter(this);
        watching_ = true;
    }
}

bool SidePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && isOpen()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
            const auto it = cancels_.constFind(currentWidget());
            if (it != cancels_.constEnd()) {
                it.value()();
                return true;
            }
        }
    }
    return QStackedWidget::eventFilter(watched, event);
}

void SidePanel::open(QWidget* panel)
{
    setCurrentWidget(panel ? panel : empty_);
    setHidden(panel == nullptr);
}

// ---- keys of a screen -----------------------------------------------------------------------------------

namespace {
/// Return and Enter that reach the screen (no field used them) run its default command.
class DefaultCommand : public QObject {
public:
    DefaultCommand(QWidget& screen, QAbstractButton* command) : QObject(&screen), command_(command)
    {
        screen.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !command_)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        // A command in focus runs itself, as a focused button does in any dialog.
        QAbstractButton* target = command_;
        if (auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
            focused && focused->window() == command_->window() && !qobject_cast<QCheckBox*>(focused)
            && !qobject_cast<QRadioButton*>(focused))
            target = focused;
        if (!target->isEnabled() || !target->isVisibleTo(target->window()))
            return false;
        target->click();
        return true;
    }

private:
    QPointer<QAbstractButton> command_;
};
} // namespace

void setDefaultCommand(QWidget& screen, QAbstractButton* command)
{
    QFont f = command->font();
    f.setBold(true);
    command->setFont(f);
    command->setProperty("commandeParDefaut", true);
    new DefaultCommand(screen, command);
}

ChangeWatch::ChangeWatch(QWidget* root) : QObject(root) { track(root); }

void ChangeWatch::track(QWidget* root)
{
    auto touched = [this] { modified_ = true; };
    for (QLineEdit* e : root->findChildren<QLineEdit*>()) {
        // The line inside a spin box or an editable list belongs to that field; totals are read-only.
        if (qobject_cast<QAbstractSpinBox*>(e->parentWidget()) || qobject_cast<QComboBox*>(e->parentWidget()))
            continue;
        connect(e, &QLineEdit::textEdited, this, touched);
    }
    for (QComboBox* c : root->findChildren<QComboBox*>())
        connect(c, &QComboBox::activated, this, touched);
    for (QAbstractButton* b : root->findChildren<QAbstractButton*>())
        if (qobject_cast<QCheckBox*>(b) || qobject_cast<QRadioButton*>(b))
            connect(b, &QAbstractButton::clicked, this, touched);
    for (QPlainTextEdit* t : root->findChildren<QPlainTextEdit*>())
        connect(t, &QPlainTextEdit::undoAvailable, this, [this](bool any) {
            if (any)
                modified_ = true;
        });
}

bool mayLeave(ui::Ui& ui, bool modified, const std::function<bool()>& save)
{
    if (!modified)
        return true;
    if (!ui.ask(kSaveChangesQuestion, ui::Icon::Question, QStringLiteral("Z.E.B.")))
        return true;
    return save();
}

// ---- the window ----------------------------------------------------------------------------------------

void sizeScreen(QDialog& screen, QSize preferred, const QList<QWidget*>& sides)
{
    QSize needed = preferred;
    if (QLayout* layout = screen.layout()) {
        // Measure the layout with every side shown, so that none widens the window when it opens.
        QList<bool> hidden;
        for (QWidget* side : sides) {
            hidden << side->isHidden();
            side->setHidden(false);
        }
        layout->invalidate();
        layout->activate();
        needed = needed.expandedTo(layout->minimumSize());
        for (int i = 0; i < sides.size(); ++i)
            sides[i]->setHidden(hidden[i]);
        layout->invalidate();
    }
    const QRect area = ui::availableArea(screen);
    if (area.isValid())
        needed = needed.boundedTo(area.size() - ui::kFrameAllowance);
    screen.resize(needed);
    // A register or a list (a large screen with a grid) grows with a taller screen when it is shown.
    if (preferred.height() >= kListScreenHeight && screen.findChild<QTableView*>()) {
        const int smallest = ui::kSmallestScreenHeight - ui::kFrameAllowance.height();
        screen.setProperty(ui::kListHeightProperty, std::min(needed.height(), smallest));
    }
}

} // namespace kv::kit
