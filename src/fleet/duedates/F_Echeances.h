#pragma once
// "Échéances": what falls due in the fleet within a chosen number of days, and what is overdue (in red),
// most urgent first; "ZOOM" opens the vehicle file of the line, "Imprimer" prints the list on A4
// (Echeances.RPT), "Vidange" sets the oil-change intervals kept in the parameters row.
#include "DueDates.h"

#include "core/kit/Colours.h"
#include "core/kit/GridModel.h"

#include <QColor>
#include <QDialog>

class QLabel;
class QLineEdit;
class QSpinBox;
class QTableView;
class QToolButton;

namespace kv {

class Session;

namespace kit {
class CommandBar;
class SidePanel;
} // namespace kit

namespace duedates {

/// The list on the kit's grid model: one due line each; overdue lines in red, their urgency in bold.
struct DueList {
    enum Column { ColDate, ColUrgence, ColObjet, ColMatricule, ColVehicule, ColDetail, ColumnCount };
    /// A list of these columns, without lines.
    static kit::GridModel* create(QObject* parent = nullptr);
    /// Shows `items` in their order.
    static void show(kit::GridModel& list, const QList<Item>& items);
};

/// The colour of an overdue line.
inline const QColor kOverdueColour = QColor(kit::colours::kOverdue);

} // namespace duedates

class F_Echeances : public QDialog {
    Q_OBJECT
public:
    explicit F_Echeances(Session& session, QWidget* parent = nullptr);

    /// Today as the screen counts it (the system date; tests set another one before refilling).
    void setToday(const QDate& today);
    QDate today() const { return today_; }

    QTableView* grid() const { return grid_; }
    kit::GridModel* model() const { return model_; }
    QSpinBox* horizonField() const { return horizon_; }
    QLabel* countLabel() const { return count_; }
    QToolButton* command(const QString& objectName) const;
    int currentRow() const;
    void setCurrentRow(int row);

    /// Reads the list again for the chosen number of days.
    void refill();
    void zoom();
    void print();
    void quit() { accept(); }

    // ---- the oil-change intervals panel ----------------------------------------------------------------
    void openIntervals();
    void confirmIntervals();
    void cancelIntervals();
    QWidget* intervalsPanel() const { return intervalsPanel_; }
    QLineEdit* daysField() const { return days_; }
    QLineEdit* kmField() const { return km_; }
    QToolButton* intervalsConfirm() const { return confirm_; }
    QToolButton* intervalsCancel() const { return cancel_; }

private:
    Session& s_;
    QDate today_;
    kit::CommandBar* bar_;
    kit::SidePanel* side_;
    QTableView* grid_;
    kit::GridModel* model_;
    QList<duedates::Item> items_; ///< the lines of the list, in its order
    QSpinBox* horizon_;
    QLabel* count_;
    QWidget* intervalsPanel_;
    QLineEdit *days_, *km_;
    QToolButton *confirm_, *cancel_;
};

} // namespace kv
