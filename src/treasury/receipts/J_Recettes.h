#pragma once
// The miscellaneous receipts: the list of the money taken from passing clients with its total, new and
// corrected lines through the fund movement dialog (MVM_FOND, booked with `Num_Agent` -1 and
// `contrepartie` 3), deletion of a line, a period filter in the side panel, and the printed list
// (Liste_RC.RPT). A screen whose ledger holds no miscellaneous receipt opens on a new one at once.
//
// The screen keeps no record set: every fill reads the ledger again through session.db(), so the
// connection re-established by a booking needs nothing more than the refill that follows it.
#include "Receipts.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit {
class CommandBar;
class SidePanel;
} // namespace kit
namespace kit { class GridModel; }

class J_Recettes : public QDialog {
    Q_OBJECT
public:
    explicit J_Recettes(Session& session, QWidget* parent = nullptr);

    // ---- the list ------------------------------------------------------------------------------------
    QTableView* grid() const { return grid_; }
    kit::GridModel* model() const { return model_; }
    /// The ledger numbers of the rows, in list order.
    QList<qint64> nums() const;
    /// The selected row (0-based), or -1 when the list is empty.
    int selectedRow() const;
    void selectRow(int row);
    QLineEdit* totalField() const { return total_; }
    /// The period the list is restricted to, shown beside the total.
    QLabel* periodLabel() const { return periodLabel_; }
    receipts::Period period() const { return period_; }
    QToolButton* command(const QString& objectName) const;

    // ---- the commands --------------------------------------------------------------------------------
    void startNew();
    void startChange();
    void deleteSelected();
    void openFilter();
    void print();

    // ---- the filter panel ----------------------------------------------------------------------------
    kit::SidePanel* side() const { return side_; }
    QWidget* filterPanel() const { return filterPanel_; }
    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QToolButton* filterConfirm() const { return filterConfirm_; }
    QToolButton* filterCancel() const { return filterCancel_; }
    void applyFilter();
    void cancelFilter();

private:
    /// Reads the list of the period again; an empty ledger (no period) opens a new receipt.
    void fill();
    void showLines(QList<receipts::Receipt> lines);
    void setBrowsing(bool on);

    Session& s_;
    receipts::Period period_;
    kit::GridModel* model_;
    QList<receipts::Receipt> lines_; ///< the lines of the list, in its order
    QTableView* grid_;
    kit::CommandBar* bar_;
    QLineEdit* total_;
    QLabel* periodLabel_;
    kit::SidePanel* side_;
    QWidget* filterPanel_;
    QLineEdit* from_;
    QLineEdit* to_;
    QToolButton* filterConfirm_;
    QToolButton* filterCancel_;
};

} // namespace kv
