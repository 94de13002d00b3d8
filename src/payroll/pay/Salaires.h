#pragma once
// The pay screen: the monthly pay of every salaried agent of the open exercise, one agent at a time.
//
// The user picks a month in the month chooser; the screen creates the missing pay rows of the month
// (Pay.h: buildMonth) and shows the first agent: his identity, photo, observations and telephone, the
// pay entries with CNAS, IRG and the totals computed on every change (computePay), the advances on
// salary of the month (booked through the fund movement dialog), the print options and the signatory
// block of the pay documents. Every move (first, previous, next, last, the month list, another month,
// closing, printing, quitting) saves the current pay first. "Sauvegarder" closes the month at a date
// ("Paye verrouillée": the pay becomes read-only); "Déverrouiller" reopens it.
//
// The page is built of the pay form shared with the pay slip screen (PayForm.h), the advances panel
// (AdvancesPanel.h) and the documents panel (DocumentsPanel.h).
//
// Side panels: the month chooser, the month list ("Recherche"), the closing panel, and the documents
// panel's work certificate panel and annual statement panel.
//
//   Salaires screen(session);          // opens on the month chooser
//   session.ui().showModal(screen);    // "Quitter": the signatory name and quality become
//                                      // session.signature1 / signature2, written at exit
#include "AdvancesPanel.h"
#include "DocumentsPanel.h"
#include "Pay.h"
#include "PayForm.h"
#include "payroll/documents/PayDocuments.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace kv {

class Session;
namespace kit { class ChangeWatch; class CommandBar; class GridModel; class GridView; class SidePanel; }

class Salaires : public QDialog, private PayDocumentsHost {
    Q_OBJECT
public:
    /// The print options, in the screen's order.
    enum PrintOption { Emargement = 0, Bulletins, Attestation, FichePaye, Releve };

    explicit Salaires(Session& session, QWidget* parent = nullptr);

    // ---- state ------------------------------------------------------------------------------------------
    int month() const { return month_; }                 ///< 0 until a month is opened
    bool locked() const;                                 ///< the month shown is closed
    int position() const { return index_; }              ///< the current agent in the month list, from 0
    int agentCount() const { return static_cast<int>(lines_.size()); }
    qint64 currentAgent() const;                         ///< 0 when none
    QString monthHeading() const;

    // ---- widgets (tests drive the screen through them) -------------------------------------------------
    /// A pay entry by its caption: "Taux Journalier", "Nbre de Jours", "Heures Supp.", "Ind. Soumise",
    /// "Panier", "Autres Ind", "CNAS", "IRG", "Remb Avances", "Remb Prêts", "Autres Retenues".
    QLineEdit* entry(const QString& caption) const { return pay_->entry(caption); }
    /// A total by its caption: "Salaire de Base", "Salaire de poste", "Salaire BRUT", "T. des Retenues",
    /// "NET A PAYER".
    QLineEdit* total(const QString& caption) const { return pay_->total(caption); }
    QCheckBox* cnasBox() const { return pay_->cnasBox(); }
    QCheckBox* irgBox() const { return pay_->irgBox(); }
    QTabWidget* tabs() const { return tabs_; }
    QToolButton* command(const QString& objectName) const;
    QPlainTextEdit* observations() const { return obs_; }
    QLabel* photo() const { return photo_; }
    QToolButton* telephone() const { return tel_; }
    kit::GridView* advancesGrid() const { return advances_->grid(); }
    QLineEdit* advancesTotalField() const { return advances_->totalField(); }
    kit::GridView* monthChooser() const { return chooserView_; }
    kit::GridView* monthList() const { return listView_; }
    kit::SidePanel* side() const { return side_; }
    kit::SidePanel* listSide() const { return listSide_; }
    QWidget* chooserPanel() const { return chooserPanel_; }
    QWidget* listPanel() const { return listPanel_; }
    QWidget* closingPanel() const { return closingPanel_; }
    QWidget* certificatePanel() const { return documents_->certificatePanel(); }
    QWidget* statementPanel() const { return documents_->statementPanel(); }
    QLineEdit* closingDate() const { return closingDate_; }
    QRadioButton* printOption(PrintOption option) const { return documents_->printOption(option); }
    /// "Nom", "Qualité", "Date"
    QLineEdit* signatoryField(const QString& caption) const { return documents_->signatoryField(caption); }
    /// A field of the certificate panel: "Attestation N°", "Né(e) le", "Libre", "En fonction Du", "Au".
    QLineEdit* certificateField(const QString& caption) const { return documents_->certificateField(caption); }
    /// A field of the statement panel: "Du", "Au", "Caption2", "Caption3", "C2".."C9", and the totals
    /// "Salaire de poste", "Salaire annuel", "Total des retenues", "Net".
    QLineEdit* statementField(const QString& name) const { return documents_->statementField(name); }
    QRadioButton* celibataire() const { return pay_->celibataire(); }
    QRadioButton* marie() const { return pay_->marie(); }
    QSpinBox* enfants() const { return pay_->enfants(); }

    // ---- commands ---------------------------------------------------------------------------------------
    /// Opens a month (1 to 12): the heading, the annual-statement period, the month list (creating the
    /// missing pays), the first agent, the commands of an open or closed month.
    void openMonth(int month);
    void first();
    void previous();
    void next();
    void last();
    /// Saves the pay, then shows agent `index` of the month list (from 0).
    bool showAgentAt(int index);
    void search();       ///< "Recherche": the month list panel
    void otherMonth();   ///< "Autre Mois": the month chooser
    void quit();         ///< "Quitter"
    void sauvegarder();  ///< "Sauvegarder": the closing panel
    void confirmClosing();
    void deverrouiller();
    void newAdvance();
    void changeAdvance();
    void deleteAdvance();
    void imprimer();     ///< the print button of the advances panel
    void dial();
    void printCertificate() { documents_->printCertificate(); }
    void closeCertificate() { documents_->closeCertificate(); }
    void printStatement() { documents_->printStatement(); }
    void closeStatement() { documents_->closeStatement(); }
    /// CNAS, IRG and the totals from the entries (run when an entry is left or a box clicked).
    void recompute();
    /// Saves the current pay (nothing when the month is closed). False when it must not be left: an
    /// amount that is not a number ("Montant incorrect"), or the engine refused the write.
    bool saveCurrent() override;

    /// A side panel opens in place of the advances column; closing it brings the column back.
    void openPanel(QWidget* panel);
    void closePanel();
    /// The month list opens in place of the agent's page.
    void openList();
    void closeList();

    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // ---- what the documents panel asks -----------------------------------------------------------------
    int shownMonth() const override { return month_; }
    std::optional<qint64> shownAgent() const override;
    payroll::PayEntries shownEntries() const override { return entries(); }
    payroll::PaySlipSheet shownSheet() const override { return sheet(); }
    double cnasRate() const override { return params_.tauxCnas; }
    void openDocumentPanel(QWidget* panel) override;
    void closeDocumentPanel(QWidget* panel) override;
    bool isPanelOpen(const QWidget* panel) const override;

    QWidget* buildAgentPage();
    QWidget* buildAdvances();
    void buildChooserPanel();
    void buildListPanel();
    void buildClosingPanel();

    void fillChooser();
    void fillMonthList();
    bool loadAgent();          ///< reads the current agent, his advances and his pay into the screen
    void loadPay(const payroll::PayRow& pay);
    void clearAgent();
    void showLockState();
    void setDocumentMode(bool on);   ///< a document panel open: tabs and commands disabled
    bool saveObservations();
    bool saveAll();            ///< what "Quitter" saves: the pay, the observations and the signatures
    payroll::PayEntries entries() const;
    payroll::PaySlipSheet sheet() const;

    Session& s_;
    int month_ = 0;
    int year_ = 0;
    payroll::PayParams params_;
    QList<payroll::MonthLine> lines_;
    int index_ = -1;
    payroll::PayAgent agent_;
    bool agentShown_ = false;
    QString obsLoaded_;
    db::Row loadedPay_; ///< the pay shown, as read (or as this desk last wrote it)
    QList<payroll::Advance> advanceLines_;
    bool flagsClicked_ = false;
    kit::ChangeWatch* typed_ = nullptr;   ///< what the user typed since the screen opened
    QString periodStart_, periodEnd_;

    QLabel* title_ = nullptr;
    kit::CommandBar* bar_ = nullptr;
    QToolButton *sauvegarder_ = nullptr, *deverrouiller_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLabel* photo_ = nullptr;
    QLineEdit *nom_ = nullptr, *prenom_ = nullptr, *fonction_ = nullptr;
    QToolButton* tel_ = nullptr;
    QPlainTextEdit* obs_ = nullptr;
    PayForm* pay_ = nullptr;

    QWidget* advancesBox_ = nullptr;   ///< the advances column: the advances and the documents panels
    AdvancesPanel* advances_ = nullptr;
    PayDocumentsPanel* documents_ = nullptr;

    kit::SidePanel* side_ = nullptr;
    kit::SidePanel* listSide_ = nullptr;
    QWidget* chooserPanel_ = nullptr;
    kit::GridModel* chooserModel_ = nullptr;
    kit::GridView* chooserView_ = nullptr;
    QWidget* listPanel_ = nullptr;
    kit::GridModel* listModel_ = nullptr;
    kit::GridView* listView_ = nullptr;
    QWidget* closingPanel_ = nullptr;
    QLineEdit* closingDate_ = nullptr;
};

} // namespace kv
