#pragma once
// The pay slip screen ("Fiche de paye"): a copy of what the pay screen shows for its current agent, in
// the pay screen's own form (PayForm.h), adjustable before printing. When a figure is changed or a box clicked it recomputes CNAS, IRG and the
// totals with the pay computation; printed as it opened, it prints the pay screen's figures (a closed
// month's stored pay). It stores nothing: the pay row stays as the pay screen left it.
//
//   FPaye screen(session, sheet, signatory);   // sheet: the pay screen's texts (PayDocuments.h)
//   session.ui().showModal(screen);
#include "PayDocuments.h"

#include <QDialog>
#include <QStringList>

class QLineEdit;

namespace kv {

class Session;
class FieldChain;
class PayForm;

class FPaye : public QDialog {
    Q_OBJECT
public:
    FPaye(Session& session, const payroll::PaySlipSheet& sheet, const payroll::Signatory& signatory,
          QWidget* parent = nullptr);

    /// The screen's texts as they stand (what a print would show).
    payroll::PaySlipSheet sheet() const;
    /// Recomputes CNAS, IRG and the totals from the entries (run when an entry is left or a box clicked).
    void recompute();
    /// The print command.
    void imprimer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    QStringList entryTexts() const;   ///< the eleven entries, the two boxes and the situation as they stand

    Session& session_;
    payroll::PaySlipSheet source_;
    payroll::Signatory signatory_;
    double tauxCnas_ = 0;
    bool edited_ = false;  ///< an entry was typed into since the last recomputation
    bool loading_ = true;
    QStringList computed_;  ///< entryTexts() at the opening or the last recomputation

    QLineEdit *nom_ = nullptr, *prenom_ = nullptr, *fonction_ = nullptr, *mois_ = nullptr;
    PayForm* form_ = nullptr;
};

} // namespace kv
