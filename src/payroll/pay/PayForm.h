#pragma once
// The pay form: the entries of a pay, the two boxes that say whether CNAS and IRG are due, the family
// situation and the five totals, as the pay screen `Salaires` and the pay slip screen `FPaye` both show
// them. It computes nothing and stores nothing: its screen reads it (texts, values), fills it
// (showEntries, showFigures, showSheet) and decides when to recompute.
//
//   auto* form = new PayForm(this);
//   for (QLineEdit* e : form->entryFields())
//       e->installEventFilter(this);                       // leaving an entry recomputes
//   form->showFigures(payroll::computePay(form->values(), tauxCnas));
#include "Pay.h"
#include "payroll/documents/PayDocuments.h"

#include <QGroupBox>
#include <QList>
#include <QPair>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace kv {

class PayForm : public QGroupBox {
    Q_OBJECT
public:
    explicit PayForm(QWidget* parent = nullptr);

    /// An entry by its caption: "Taux Journalier", "Nbre de Jours", "Heures Supp.", "Ind. Soumise",
    /// "Panier", "Autres Ind", "CNAS", "IRG", "Remb Avances", "Remb Prêts", "Autres Retenues".
    QLineEdit* entry(const QString& caption) const;
    /// A total by its caption: "Salaire de Base", "Salaire de poste", "Salaire BRUT", "T. des Retenues",
    /// "NET A PAYER".
    QLineEdit* total(const QString& caption) const;
    /// The eleven entries in the pay's order (the order Enter walks them).
    QList<QLineEdit*> entryFields() const;
    QList<QLineEdit*> totalFields() const;
    QCheckBox* cnasBox() const { return cnasBox_; }
    QCheckBox* irgBox() const { return irgBox_; }
    QRadioButton* celibataire() const { return celibataire_; }
    QRadioButton* marie() const { return marie_; }
    QSpinBox* enfants() const { return enfants_; }

    /// The nine entries the computation reads, as they stand.
    payroll::PayTexts texts() const;
    /// The entries' values with the two boxes and the situation.
    payroll::PayEntries values() const;
    /// Fills the nine entries of a pay.
    void showEntries(const payroll::PayTexts& texts);
    /// Fills CNAS, IRG and the five totals.
    void showFigures(const payroll::PayFigures& figures);
    /// Fills the eleven entries, the five totals and the situation from a sheet (the boxes stay).
    void showSheet(const payroll::PaySlipSheet& sheet);
    /// Writes the eleven entries, the five totals, the situation and the boxes into a sheet.
    void fillSheet(payroll::PaySlipSheet& sheet) const;
    /// Empties the entries and the totals and unticks the boxes.
    void clear();

private:
    QLineEdit* amountEntry(const QString& caption, const QString& name);

    QList<QPair<QString, QLineEdit*>> entries_;
    QList<QPair<QString, QLineEdit*>> totals_;
    QLineEdit *tauxJour_ = nullptr, *nbreJours_ = nullptr, *hSuppl_ = nullptr, *indS_ = nullptr, *panier_ = nullptr,
              *autreInd_ = nullptr, *cnas_ = nullptr, *irg_ = nullptr, *avances_ = nullptr, *rembPrets_ = nullptr,
              *autresRetenues_ = nullptr;
    QLineEdit *base_ = nullptr, *poste_ = nullptr, *brut_ = nullptr, *retenues_ = nullptr, *net_ = nullptr;
    QCheckBox *cnasBox_ = nullptr, *irgBox_ = nullptr;
    QRadioButton *celibataire_ = nullptr, *marie_ = nullptr;
    QSpinBox* enfants_ = nullptr;
};

} // namespace kv
