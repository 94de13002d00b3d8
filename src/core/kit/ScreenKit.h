#pragma once
// The screen kit: the parts every screen is built from, so that the whole program looks and behaves as
// one. A register is a title band, a command bar, a grid and a side panel (entry or filter) laid out
// inside the window; a file screen is a title band, a header, tabs of grids and the same side panel.
//
//   auto* layout = new QVBoxLayout(this);
//   layout->addWidget(kit::titleBand("Véhicules", this));
//   auto* bar = new kit::CommandBar(this);
//   bar->add(kit::Command::New, "nouveau", this, &Vehicules::startNew);
//   ...
//   kit::setupGrid(grid_);  kit::fitColumns(grid_, ColName);
//   side_ = new kit::SidePanel(360, this);  side_->addPanel(entry_);
//   kit::sizeScreen(*this, {1000, 560}, side_);
#include "Glyphs.h"

#include <QKeySequence>
#include <QHash>
#include <QList>
#include <QStackedWidget>
#include <QToolButton>
#include <functional>
#include <QString>
#include <QWidget>

class QAbstractButton;
class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QTableView;

namespace kv::ui {
class Ui;
}

namespace kv::kit {

// ---- title band -----------------------------------------------------------------------------------------

/// The screen's heading across its top: bold white text on the program's blue band.
QLabel* titleBand(const QString& text, QWidget* parent, const QString& objectName = QStringLiteral("titre"));
/// The heading of a panel or frame (entry, filter): bold, centred, in the band's colour.
QLabel* panelHeading(const QString& text, QWidget* parent, const QString& objectName = QString());
/// The one heading style (bold, in the heading colour) as a label's style sheet: panel headings, and the
/// captions of totals, periods and calendar columns set in a screen's own labels. `more` adds declarations
/// ("font-size: 11pt;").
QString headingStyle(const QString& more = QString());
/// The style sheet of a screen whose panels are group boxes: a framed box, its title in the heading style,
/// centred on the frame.
QString panelBoxStyle();

// ---- commands -------------------------------------------------------------------------------------------

/// The commands that several screens share. Each has one picture, one text and one accelerator in the
/// whole program.
enum class Command { New, Edit, Delete, Filter, Zoom, Print, Quit, Close, Confirm, Cancel, Down, Up, Search, Open, Export };

struct CommandLook {
    Glyph glyph;
    QString text;
    QKeySequence key;
};
/// The picture, text and accelerator of a shared command.
CommandLook look(Command command);

/// One command button: picture with its text beside it, a tooltip (the command's words, as the screens
/// name them), and an accelerator.
QToolButton* commandButton(QWidget* parent, Glyph glyph, const QString& text, const QString& objectName,
                           const QKeySequence& key = {}, const QString& tooltip = {});
QToolButton* commandButton(QWidget* parent, Command command, const QString& objectName, const QString& text = {});

/// The row of commands of a screen, in one style.
class CommandBar : public QWidget {
    Q_OBJECT
public:
    explicit CommandBar(QWidget* parent);

    QToolButton* add(Glyph glyph, const QString& text, const QString& objectName, const QKeySequence& key = {},
                     const QString& tooltip = {});
    /// A shared command; `text` replaces its usual words (e.g. a screen that says "Filte").
    QToolButton* add(Command command, const QString& objectName, const QString& text = {});
    template <typename Receiver, typename Slot>
    QToolButton* add(Command command, const QString& objectName, Receiver* receiver, Slot slot, const QString& text = {})
    {
        QToolButton* b = add(command, objectName, text);
        connectClicked(b, receiver, slot);
        return b;
    }
    template <typename Receiver, typename Slot>
    QToolButton* add(Glyph glyph, const QString& text, const QString& objectName, const QKeySequence& key,
                     Receiver* receiver, Slot slot)
    {
        QToolButton* b = add(glyph, text, objectName, key);
        connectClicked(b, receiver, slot);
        return b;
    }
    /// "Exporter" (Alt+E): exports the list the user is in, as the grid's own "Exporter…" does. The list
    /// is the grid of this window that has the focus, else the first one shown.
    QToolButton* addExport(const QString& objectName = QStringLiteral("cmdExporter"));
    /// A small gap between groups of commands.
    void addGap();
    /// Pushes the commands added after it to the right end.
    void addStretch();
    /// Any other widget in the row (a label, a field).
    void addWidget(QWidget* widget);

    const QList<QToolButton*>& commands() const { return commands_; }
    QToolButton* command(const QString& objectName) const;
    /// Enables or disables every command of the bar.
    void setCommandsEnabled(bool enabled);

private:
    template <typename Receiver, typename Slot> static void connectClicked(QToolButton* b, Receiver* r, Slot s);
    QHBoxLayout* row_;
    QList<QToolButton*> commands_;
};

/// The confirm and cancel commands of a panel, right-aligned on one row ("Valider", "Annuler").
struct PanelButtons {
    QWidget* row = nullptr;
    QToolButton* confirm = nullptr;
    QToolButton* cancel = nullptr;
};
PanelButtons panelButtons(QWidget* parent, const QString& confirmName = QStringLiteral("valider"),
                          const QString& cancelName = QStringLiteral("annuler"));

// ---- grids ---------------------------------------------------------------------------------------------

/// The look and behaviour of every list: whole rows, one at a time, read-only, alternate colours, no row
/// header, no word wrap, rows one line high; "Exporter…" (Ctrl+E) in its context menu (kit/Export.h).
void setupGrid(QTableView* grid);
/// Every column sized to its content, and `stretchColumn` (the free text: a name, an object, an
/// observation) taking the spare width. -1 stretches none.
void fitColumns(QTableView* grid, int stretchColumn);

/// What choosing a line of a list does (a search list's "Choisir", a register's "ZOOM"): Enter on the
/// selected line or a double click on a line runs `choose` with its row. Enter is taken by the list, so
/// that it never also reaches the screen's default command.
void onChoose(QTableView* grid, std::function<void(int row)> choose);

/// A read-only total: right-aligned, bold, in a fixed-width font so that the figures line up.
QLineEdit* totalField(QWidget* parent, const QString& objectName);
/// The font of amounts in grids and totals.
QFont amountFont();
/// The fixed-width font of a registration number in a list, which keeps its padding blanks visible.
QFont fixedFont();

/// A text field named `objectName`: at most `maxLength` characters (0: the field's own limit) and, with
/// `widest`, exactly as wide as that text, so that nothing typed is hidden.
QLineEdit* textField(QWidget* parent, const QString& objectName, int maxLength = 0, const QString& widest = {});

/// Lays out the criteria panel of a search: its title band across the top, then the frame of criteria
/// and its command bar below it, as one block in the middle of the panel.
void layCriteria(QWidget* panel, QWidget* heading, QWidget* frame, QWidget* bar);

// ---- side panel ----------------------------------------------------------------------------------------

/// The entry or filter panel beside a list: one panel shown at a time, laid out inside the window and
/// hidden while browsing. The window is sized for it from the start (sizeScreen), so opening a panel
/// never widens the window. Escape closes the open panel through its cancel command before it can
/// close the screen.
class SidePanel : public QStackedWidget {
    Q_OBJECT
public:
    SidePanel(int width, QWidget* parent);
    /// Adds a panel; `cancel` is what Escape runs while it is open (nothing: Escape is the screen's).
    void addPanel(QWidget* panel, std::function<void()> cancel = {});
    /// Shows `panel` (one of the added ones); nullptr hides the side.
    void open(QWidget* panel);
    void close() { open(nullptr); }
    bool isOpen() const { return !isHidden(); }
    /// The panel shown, or nullptr.
    QWidget* panel() const { return isOpen() ? currentWidget() : nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* empty_;
    QHash<QWidget*, std::function<void()>> cancels_;
    bool watching_ = false;
};

// ---- keys of a screen -----------------------------------------------------------------------------------

/// Makes `command` the screen's confirming command, as a dialog's default button: Return or Enter that
/// the field in focus leaves unused runs it (a command in focus runs itself), and it is drawn in bold.
void setDefaultCommand(QWidget& screen, QAbstractButton* command);

/// What the user has typed or chosen in a screen since it was filled or last saved: edits of its text
/// fields, choices in its lists and clicks on its boxes, never what the screen writes into them itself.
class ChangeWatch : public QObject {
    Q_OBJECT
public:
    /// Watches every field that `root` holds now.
    explicit ChangeWatch(QWidget* root);
    /// Watches the fields of another part of the screen as well (a panel built later).
    void track(QWidget* root);
    bool modified() const { return modified_; }
    void clear() { modified_ = false; }
    void touch() { modified_ = true; }

private:
    bool modified_ = false;
};

/// The question Escape and the window's close button ask on a screen where something was typed.
inline const QString kSaveChangesQuestion = QStringLiteral("Enregistrer les modifications ?");
/// Leaving a screen by Escape or its close button: nothing typed, it may close; otherwise "Enregistrer les
/// modifications ?": Oui runs `save` (the screen stays open when the save is refused: false), Non leaves
/// without saving. True when the screen may close.
bool mayLeave(ui::Ui& ui, bool modified, const std::function<bool()>& save);

// ---- the window ----------------------------------------------------------------------------------------

/// Sizes a screen at construction: `preferred`, grown to what its layout needs with every panel of
/// `sides` open, and never beyond the available screen. The window keeps this size when a panel opens.
void sizeScreen(QDialog& screen, QSize preferred, const QList<QWidget*>& sides = {});

} // namespace kv::kit

template <typename Receiver, typename Slot>
void kv::kit::CommandBar::connectClicked(QToolButton* b, Receiver* r, Slot s)
{
    QObject::connect(b, &QToolButton::clicked, r, [r, s] { std::invoke(s, r); });
}
