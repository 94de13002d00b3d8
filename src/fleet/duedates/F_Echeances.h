#pragma once
// "Échéances": what falls due in the fleet within a chosen number of days, and what is overdue (in red),
// most urgent first; "ZOOM" opens the vehicle file of the line, "Imprimer" prints the list on A4
// (Echeances.RPT), "Vidange" sets the oil-change intervals kept in the parameters row.
#include "DueDates.h"

#include <QAbstractTableModel>
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

/// The list's rows: one due line each; overdue lines in red.
class DueListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColDate, ColUrgence, ColObjet, ColMatricule, ColVehicule, ColDetail, ColumnCount };
    using QAbstractTableModel::QAbstractTableModel;

    void setItems(QList<Item> items);
    const QList<Item>& items() const { return items_; }
    /// The text of a cell as shown.
    QString cell(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(items_.size()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<Item> items_;
};

/// The colour of an overdue line.
inline constexpr QRgb kOverdueColour = 0xc00000;

} // namespace duedates

class F_Echeances : public QDialog {
    Q_OBJECT
public:
    explicit F_Echeances(Session& session, QWidget* parent = nullptr);

    /// Today as the screen counts it (the system date; tests set another one before refilling).
    void setToday(const QDate& today);
    QDate today() const { return today_; }

    QTableView* grid() const { return grid_; }
    duedates::DueListModel* model() const { return model_; }
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
    duedates::DueListModel* model_;
    QSpinBox* horizon_;
    QLabel* count_;
    QWidget* intervalsPanel_;
    QLineEdit *days_, *km_;
    QToolButton *confirm_, *cancel_;
};

} // namespace kv
