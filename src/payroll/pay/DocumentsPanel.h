#pragma once
// The documents panel of the pay screen: the print options ("Etat d'émargement", "Bulletins  de Paye",
// "Att. de Travail", "Fiche de Paye", "Relevé Annuel") and the signatory of the pay documents, in the
// advances column; and the two side panels the options open, the work certificate and the annual
// statement, each printed from its panel. The pay screen saves the current pay before a document.
//
//   auto* documents = new PayDocumentsPanel(screen, session, column);
//   documents->buildPanels(side);          // the certificate and statement panels, in the side
//   documents->imprimer();                 // the option chosen
#include "payroll/documents/PayDocuments.h"

#include <QHash>
#include <QWidget>

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace kv {

class Salaires;
class Session;
namespace kit { class SidePanel; }

class PayDocumentsPanel : public QWidget {
    Q_OBJECT
public:
    PayDocumentsPanel(Salaires& screen, Session& session, QWidget* parent);
    /// Builds the certificate and the statement panels into the side of the pay screen.
    void buildPanels(kit::SidePanel* side);

    QRadioButton* printOption(int option) const { return printOptions_.value(option); }
    QLineEdit* signatoryField(const QString& caption) const; ///< "Nom", "Qualité", "Date"
    QLineEdit* certificateField(const QString& caption) const { return certificate_.value(caption); }
    QLineEdit* statementField(const QString& name) const { return statement_.value(name); }
    QWidget* certificatePanel() const { return certificatePanel_; }
    QWidget* statementPanel() const { return statementPanel_; }
    /// The group of the signatory's fields (what Escape asks about with the pay).
    QWidget* signatoryBox() const;

    payroll::Signatory signatory() const;
    /// The annual statement's period, set when a month is opened.
    void setPeriod(const QString& from, const QString& to);

    void imprimer();     ///< the option chosen
    void printCertificate();
    void closeCertificate();
    void printStatement();
    void closeStatement();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCertificatePanel(kit::SidePanel* side);
    void buildStatementPanel(kit::SidePanel* side);
    void fillStatementEstimates();
    void recomputeStatement();

    Salaires& screen_;
    Session& s_;
    QButtonGroup* printGroup_ = nullptr;
    QList<QRadioButton*> printOptions_;
    QLineEdit *sigNom_ = nullptr, *sigQualite_ = nullptr, *sigDate_ = nullptr;
    QWidget* certificatePanel_ = nullptr;
    QHash<QString, QLineEdit*> certificate_;
    QWidget* statementPanel_ = nullptr;
    QHash<QString, QLineEdit*> statement_;
};

} // namespace kv
