#pragma once
// Params ("Paramétrages"): the payroll parameters of the Permn row - employer's number, the two CNAS
// rates, days and hours per month, and the pay unit. Opened by "Paramétrage des Salaires" of the
// identification screen.
#include "PayrollSettings.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace kv {

class Session;

class Params : public QDialog {
    Q_OBJECT
public:
    explicit Params(Session& session, QWidget* parent = nullptr);

    /// Save and close: checks the numbers, writes the row, says "Paramétrage efféctué avec succès".
    void save();

private:
    Session& session_;
    QLineEdit *nCnas_ = nullptr, *tauxPP_ = nullptr, *tauxCnas_ = nullptr, *nbJours_ = nullptr, *nbHeures_ = nullptr;
    QRadioButton *jour_ = nullptr, *heure_ = nullptr;
};

} // namespace kv
