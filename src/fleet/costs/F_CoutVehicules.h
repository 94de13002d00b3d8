#pragma once
// "Coût par véhicule": for a period, each vehicle's expenses by heading, receipts, margin, kilometres
// driven and cost per kilometre, with the fleet's totals, a chart of the margins and a chart of the
// expenses by heading per month; "Imprimer" prints the table and both charts (Cout_Vehicules.RPT).
#include "VehicleCosts.h"

#include "core/kit/GridModel.h"

#include <QDialog>

class QChart;
class QChartView;
class QLineEdit;
class QTableView;
class QToolButton;

namespace kv {

class Session;

namespace kit { class CommandBar; }

namespace costs {

/// The list of the vehicles' figures on the kit's grid model: the figures right-aligned in the amounts'
/// font, a negative margin in the colour of a loss.
struct CostList {
    enum Column {
        ColMatricule,
        ColVehicule,
        ColHeading0, // six headings
        ColDepenses = ColHeading0 + kHeadings,
        ColRecettes,
        ColMarge,
        ColKm,
        ColCoutKm,
        ColumnCount
    };
    /// A list of these columns, without lines.
    static kit::GridModel* create(QObject* parent = nullptr);
    /// Shows the vehicles of `report`.
    static void show(kit::GridModel& list, const CostReport& report);
};

} // namespace costs

class F_CoutVehicules : public QDialog {
    Q_OBJECT
public:
    explicit F_CoutVehicules(Session& session, QWidget* parent = nullptr);
    ~F_CoutVehicules() override;

    QLineEdit* fromField() const { return from_; }
    QLineEdit* toField() const { return to_; }
    QToolButton* command(const QString& objectName) const;
    QTableView* grid() const { return grid_; }
    kit::GridModel* model() const { return model_; }
    const costs::CostReport& report() const { return report_; }
    /// The totals: "totDepenses", "totRecettes", "totMarge", "totKm", "totCoutKm".
    QLineEdit* total(const QString& objectName) const;
    QChartView* marginView() const { return marginView_; }
    QChartView* monthlyView() const { return monthlyView_; }

    /// "Calculer": checks the period and reads the figures. False when a date was refused.
    bool calculate();
    void print();
    void quit() { accept(); }

private:
    void display(const costs::CostReport& report);

    Session& s_;
    costs::CostReport report_;
    kit::CommandBar* bar_;
    QLineEdit *from_, *to_;
    QTableView* grid_;
    kit::GridModel* model_;
    QList<QLineEdit*> totals_;
    QChartView *marginView_, *monthlyView_;
};

} // namespace kv
