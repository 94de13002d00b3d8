#pragma once
// The documents panel of the pay screen: the print options ("Etat d'émargement", "Bulletins  de Paye",
// "Att. de Travail", "Fiche de Paye", "Relevé Annuel") and the signatory of the pay documents, in the
// advances column; and the two side panels the options open, the work certificate and the annual
// statement, each printed from its panel. The pay screen, through PayDocumentsHost, gives the month,
// the agent and the pay shown, saves the current pay before a document and opens the panels.
//
//   auto* documents = new PayDocumentsPanel(host, session, column);
//   documents->buildPanels(side);          // the certificate and statement panels, in the side
//   documents->imprimer();                 // the option chosen
#include "Pay.h"
#include "payroll/documents/PayDocuments.h"

#include <QHash>
#include <optional>
#include <QWidget>

class QButtonGroup;
class QLineEdit;
class QRadioButton;

namespace kv {

class Session;
namespace kit { class SidePanel; }

/// What the documents panel asks of the pay screen it sits in.
class PayDocumentsHost {
public:
    /// The month shown (1 to 12), 0 before one is opened.
    virtual int shownMonth() const = 0;
    /// The number of the agent shown; none before one is.
    virtual std::optional<qint64> shownAgent() const = 0;
    /// The pay shown: its entries, and its slip as the slip dialog shows it.
    virtual payroll::PayEntries shownEntries() const = 0;
    virtual payroll::PaySlipSheet shownSheet() const = 0;
    /// The CNAS rate of the year.
    virtual double cnasRate() const = 0;
    /// Saves the pay shown; false when it must not be left (the pay screen said why).
    virtual bool saveCurrent() = 0;
    /// Opens a document panel in the side (the rest of the screen waits); closes it when it is the one
    /// open, and the screen works again.
    virtual void openDocumentPanel(QWidget* panel) = 0;
    virtual void closeDocumentPanel(QWidget* panel) = 0;
    virtual bool isPanelOpen(const QWidget* panel) const = 0;

protected:
    ~PayDocumentsHost() = default;
};

class PayDocumentsPanel : public QWidget {
    Q_OBJECT
public:
    PayDocumentsPanel(PayDocumentsHost& host, Session& session, QWidget* parent);
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

    PayDocumentsHost& host_;
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
