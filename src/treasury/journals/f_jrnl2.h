#pragma once
// The activity report: for one day ("Un Jour") or a period ("Une Période") chosen in the date panel,
// the four journals on tabs - "Dép. véhicules" by vehicle with a total per heading, "Salaires" with the
// advances on salary of the period, "Autres dépenses", "Recettes" - each with its total; computing them
// also writes each vehicle's average expense per day (`moyenne`). "Autre date" brings the date panel
// back; "Imprimer" prints the journal in front (JRNAL_1.RPT to JRNAL_4.RPT).
#include "Journals.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QTabWidget;
class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit {
class CommandBar;
class GridModel;
class SidePanel;
} // namespace kit

class f_jrnl2 : public QDialog {
    Q_OBJECT
public:
    explicit f_jrnl2(Session& session, QWidget* parent = nullptr);

    // ---- the date panel -------------------------------------------------------------------------------
    kit::SidePanel* side() const { return side_; }
    QWidget* datePanel() const { return datePanel_; }
    QTabWidget* dateTabs() const { return dateTabs_; }
    QLineEdit* dayField() const { return day_; }
    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QToolButton* computeButton() const { return compute_; }
    QToolButton* closeButton() const { return close_; }
    /// The compute command of the tab in front.
    void compute();
    void computeDay();
    void computePeriod();

    // ---- the journals ---------------------------------------------------------------------------------
    QTabWidget* journalTabs() const { return journalTabs_; }
    QLabel* heading() const { return heading_; }
    kit::GridModel* model(journals::Journal journal) const { return models_[int(journal)]; }
    QTableView* grid(journals::Journal journal) const { return grids_[int(journal)]; }
    /// The total fields: per heading (0-5) and the whole of "Dép. véhicules".
    QLineEdit* headingTotal(int heading) const { return headingTotals_[heading]; }
    QLineEdit* vehicleTotal() const { return vehicleTotal_; }
    QLineEdit* advances() const { return advances_; }
    QLineEdit* payTotal() const { return payTotal_; }
    QLineEdit* otherTotal() const { return otherTotal_; }
    QLineEdit* receiptTotal() const { return receiptTotal_; }
    /// The report shown (empty before the first computation).
    const journals::Report& report() const { return report_; }
    bool hasReport() const { return computed_; }

    QToolButton* command(const QString& objectName) const;
    /// "Autre date": the date panel again, the journals disabled, " Du" and " Au" emptied.
    void otherDate();
    /// "Imprimer": the journal in front, when it has lines.
    void print();
    /// "Actualiser": the journals of the dates shown computed again, with what other desks booked since.
    void refresh();

private:
    void buildCommands();
    void buildJournals();
    void buildDatePanel();
    QWidget* journalPage(journals::Journal journal, QWidget* totals);
    void run(const journals::Selection& selection);
    void showJournals(journals::Report report);
    void setDatePanel(bool open);

    Session& s_;
    journals::Report report_;
    bool computed_ = false;
    kit::CommandBar* bar_;
    QLabel* heading_;
    QTabWidget* journalTabs_;
    std::array<kit::GridModel*, journals::kJournals> models_{};
    std::array<QTableView*, journals::kJournals> grids_{};
    std::array<QLineEdit*, journals::kHeadings> headingTotals_{};
    QLineEdit* vehicleTotal_;
    QLineEdit* advances_;
    QLineEdit* payTotal_;
    QLineEdit* otherTotal_;
    QLineEdit* receiptTotal_;
    kit::SidePanel* side_;
    QWidget* datePanel_;
    QTabWidget* dateTabs_;
    QLineEdit* day_;
    QLineEdit* from_;
    QLineEdit* to_;
    QToolButton* compute_;
    QToolButton* close_;
};

} // namespace kv
