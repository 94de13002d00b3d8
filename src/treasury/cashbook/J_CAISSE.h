#pragma once
// The cash book of a day: the summary ("Récapitulatif Général") and the day's four lists on tabs, the
// title "Mouvements de trésorerie du " + the date, "Autre date" (the date choice, then everything read
// again), the print of the tab in front, "Quitter". The screen only reads the ledger; its prints write
// the report texts and the print buffer.
#include "CashDay.h"
#include "CashPrints.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit { class CommandBar; class OtherDesks; }
namespace cashbook { class CashListModel; }

class J_CAISSE : public QDialog {
    Q_OBJECT
public:
    J_CAISSE(Session& session, const QDate& day, QWidget* parent = nullptr);

    /// Whether the day could be read (an engine error was shown otherwise).
    bool loaded() const { return loaded_; }
    const cashbook::CashDay& cashDay() const { return day_; }

    // ---- for the tests -------------------------------------------------------------------------------
    QLabel* titleLabel() const { return title_; }
    QTabWidget* tabs() const { return tabs_; }
    QTableView* grid(cashbook::Tab tab) const { return grids_[tab]; }
    cashbook::CashListModel* model(cashbook::Tab tab) const { return models_[tab]; }
    /// The total under a list (none for the summary).
    QLineEdit* totalField(cashbook::Tab tab) const { return totals_[tab]; }
    QToolButton* command(const QString& objectName) const;

    // ---- the commands --------------------------------------------------------------------------------
    /// Shows another day chosen in the calendar; a cancelled choice changes nothing.
    void otherDate();
    /// Prints the tab in front.
    void print();
    /// Reads `day` and shows it; false (the day shown staying) on an engine error.
    bool showDay(const QDate& day);
    /// Reads the day shown again (what other desks booked meanwhile), keeping the tab and each list's
    /// place; false on an engine error.
    bool refresh();
    /// Whether the screen hears the other desks' bookings as they are committed (on a server).
    bool hearsOtherDesks() const;

private:
    QWidget* buildList(cashbook::Tab tab, const QStringList& captions, const QSet<int>& amounts, const QSet<int>& centred,
                       int stretch);

    Session& s_;
    cashbook::CashDay day_;
    bool loaded_ = false;
    QLabel* title_;
    kit::CommandBar* bar_;
    QTabWidget* tabs_;
    std::array<QTableView*, cashbook::TabCount> grids_{};
    std::array<cashbook::CashListModel*, cashbook::TabCount> models_{};
    std::array<QLineEdit*, cashbook::TabCount> totals_{};
    kit::OtherDesks* otherDesks_ = nullptr;
};

/// Shows the cash book of `day` (the main window's "Caisse", after the date choice).
void showCashBook(Session& session, const QDate& day);

} // namespace kv
