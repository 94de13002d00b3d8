#pragma once
// The vehicle file: the expenses, receipts, insurance, inspections, tax stickers, driver assignments
// and last oil change of the vehicle whose number is in `vehicule_courant`, and its purchase vouchers.
#include "VehicleFile.h"

#include <QDialog>
#include <QHash>
#include <array>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QTabWidget;
class QTableView;

namespace kv {

class Session;

namespace kit { class GridModel; class SidePanel; }

class Zoom_V : public QDialog {
    Q_OBJECT
public:
    explicit Zoom_V(Session& session, QWidget* parent = nullptr);
    ~Zoom_V() override;

    using List = vehiclefile::List;

    /// False when the vehicle was not found: the message was shown and the screen closes as it opens.
    bool found() const { return found_; }
    qint64 vehicle() const { return vehicle_; }

    // ---- lists and their commands (widgets also carry object names for scripts) -------------------
    struct ListPart {
        List kind{};
        QTableView* view = nullptr;
        kit::GridModel* model = nullptr;
        QToolButton* add = nullptr;
        QToolButton* change = nullptr;
        QToolButton* remove = nullptr;
        QGroupBox* panel = nullptr;
        QString heading;              ///< the panel's own heading for a new line
        QWidget* firstField = nullptr;
        QToolButton* confirm = nullptr;
        QToolButton* cancel = nullptr;
        qint64 editing = 0;           ///< the line being changed; 0 for a new line
        db::Row loaded;               ///< that line as read when the change began
    };
    const ListPart& part(List list) const { return parts_[int(list)]; }
    QTabWidget* tabs() const { return tabs_; }
    /// Makes a row of a list its current row.
    void selectRow(List list, int row);
    int currentRow(List list) const;

    void newLine(List list);
    void changeLine(List list);
    void deleteLine(List list);
    void confirm(List list);
    void cancel(List list);

    /// The voucher panel.
    void openVoucher();
    void printVoucher();
    void closeVoucher();
    QGroupBox* voucherPanel() const { return voucher_; }

    /// The close command: saves the oil change and the voucher signer when they changed, then closes.
    void closeFile();
    QToolButton* closeButton() const { return close_; }
    bool oilModified() const { return oilModified_; }
    vehiclefile::Signer signer() const { return signer_; }

    // ---- panel fields ---------------------------------------------------------------------------------
    QLineEdit *depMontant = nullptr, *depDate = nullptr, *depObjet = nullptr, *depKm = nullptr;
    QComboBox *depMode = nullptr, *depAffectation = nullptr;
    QLineEdit *recMontant = nullptr, *recDate = nullptr, *recObjet = nullptr;
    QComboBox* recMode = nullptr;
    QLineEdit *assAgence = nullptr, *assDu = nullptr, *assAu = nullptr;
    QLineEdit *ctlVisite = nullptr, *ctlSuivante = nullptr;
    QLineEdit *vigDate = nullptr, *vigMontant = nullptr;
    QComboBox* affChauffeur = nullptr;
    QLineEdit *affDu = nullptr, *affAu = nullptr, *affObs = nullptr;
    QLineEdit *oilDate = nullptr, *oilKm = nullptr, *oilHuile = nullptr;
    /// Voucher fields in entry order: Date, Fournisseur, Véhicule, Produit, Montant, Agent,
    /// Observation, Qualité, Nom, N°.
    std::array<QLineEdit*, 10> bon{};
    QRadioButton *unExemplaire = nullptr, *deuxExemplaires = nullptr;
    QToolButton *bonImprimer = nullptr, *bonFermer = nullptr, *bonAchat = nullptr;
    /// The header's values by label ("Matricule ->", "Année", ...).
    QLabel* headerValue(const QString& label) const;

    /// Escape and the window's own close button go through the close command ("Fermer").
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildListBox(List list, const QString& title);
    void buildPanels(QWidget* area);
    QGroupBox* makePanel(List list, const QString& heading);
    void buildVoucher(QWidget* area);
    void fill(List list);
    void openPanel(ListPart& p, bool change);
    void closePanel(ListPart& p);
    void clearPanel(List list);
    void fillPanel(List list, const db::Row& line);
    template <typename Entry> void write(ListPart& p, const Entry& entry);
    void setDriver(qint64 num);

    Session& s_;
    bool found_ = false;
    qint64 vehicle_ = 0;
    vehiclefile::Header header_;
    std::array<ListPart, vehiclefile::kListCount> parts_;
    QList<vehiclefile::Driver> drivers_;
    QHash<QString, QLabel*> headerValues_;
    QTabWidget* tabs_ = nullptr;
    QGroupBox* voucher_ = nullptr;
    kit::SidePanel* side_ = nullptr;
    QToolButton* close_ = nullptr;
    bool oilModified_ = false;
    vehiclefile::Signer signer_, signerRead_;
};

} // namespace kv
