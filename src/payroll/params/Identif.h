#pragma once
// Identif: one screen for three uses of the Permn row, chosen by the shared dialog value when it is
// built (session.dialogValue):
//   0  identification of the firm ("Identification"), with "Paramétrage des Salaires" to Params;
//   1  employer charges (" Versements CNAS"): gross pay, employer's and workers' CNAS amounts of the
//      closed months, with totals;
//   2  deletion of a month's pays.
//
//   session.dialogValue = 1;
//   Identif screen(session);
//   session.ui().showModal(screen);
#include "PayrollSettings.h"
#include "core/kit/GridModel.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;

namespace kv {

class Session;

namespace kit { class CommandBar; }

class Identif : public QDialog {
    Q_OBJECT
public:
    enum Mode { Identification = 0, Charges = 1, Suppression = 2 };

    explicit Identif(Session& session, QWidget* parent = nullptr);

    Mode mode() const { return mode_; }

    // identification
    void saveIdentification();
    void openParameters();

    // employer charges
    /// Reads the typed amounts and shows the totals again; false (and nothing changed) when an amount
    /// is not well-formed.
    bool recompute();
    void saveCharges();

    // deletion
    /// Selects a month (1 to 12) of the list.
    void selectMonth(int month);
    int selectedMonth() const;
    void deleteMonth();
    kit::GridModel* monthsModel() const { return months_; }

private:
    void buildIdentification();
    void buildCharges();
    void buildSuppression();
    void showCharges();
    void fillMonths();
    void updateDeleteCommand();

    Session& session_;
    Mode mode_;
    kit::CommandBar* bar_ = nullptr;

    // identification
    std::array<QLineEdit*, 8> texts_{};
    payroll::Identification loaded_;

    // employer charges
    payroll::ChargesTable charges_;
    std::array<QLineEdit*, 12> brut_{}, patronale_{}, ouvriere_{}, rowTotal_{};
    QLineEdit *totalBrut_ = nullptr, *totalPatronale_ = nullptr, *totalOuvriere_ = nullptr, *grandTotal_ = nullptr;
    QLabel *tauxPP_ = nullptr, *tauxCnas_ = nullptr;

    // deletion
    QTableView* grid_ = nullptr;
    kit::GridModel* months_ = nullptr;
    std::array<bool, 12> closed_{};
    QToolButton* delete_ = nullptr;
};

} // namespace kv
