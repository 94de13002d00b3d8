#pragma once
// The advances panel of the pay screen ("Mouvements de Fonds"): the agent's advances on salary of the
// month, their total, and the commands that book, change and delete one (while the month is open) or
// print the pay documents (once it is closed). The panel shows; the pay screen books, through the fund
// movement dialog, and deletes, through ledger::remove, when a command asks it to.
//
//   auto* advances = new AdvancesPanel(this);
//   connect(advances, &AdvancesPanel::newRequested, this, &Salaires::newAdvance);
//   advances->showAdvances(payroll::readAdvances(db, agent, month, year));
#include "Pay.h"

#include <QGroupBox>

class QLineEdit;
class QToolButton;

namespace kv {

namespace kit { class GridModel; class GridView; }

class AdvancesPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit AdvancesPanel(QWidget* parent = nullptr);

    kit::GridView* grid() const { return view_; }
    QLineEdit* totalField() const { return total_; }
    /// The line chosen in the list, from 0; -1 when none.
    int selectedLine() const;
    void selectLine(int line);

    /// Shows the advances and their total; the first line is chosen.
    void showAdvances(const QList<payroll::Advance>& advances);
    void clear();
    /// The commands as the month allows them: an open month books advances (changing and deleting need
    /// a line), a closed one prints; nothing works without an agent shown.
    void showState(bool monthShown, bool open, bool agentShown, bool hasLines);
    /// A document panel open: every command disabled.
    void disableCommands();

signals:
    void newRequested();
    void changeRequested();
    void deleteRequested();
    void printRequested();
    /// A line double-clicked (it is chosen first).
    void lineOpened(int line);

private:
    kit::GridModel* model_ = nullptr;
    kit::GridView* view_ = nullptr;
    QToolButton *new_ = nullptr, *change_ = nullptr, *delete_ = nullptr, *print_ = nullptr;
    QLineEdit* total_ = nullptr;
};

} // namespace kv
