#pragma once
// The rentals of vehicles to clients: the list under its group headings "Véhicule", "Client" and
// "Durée"; the entry frame of a new rental or of a change, with the vehicle and the client chosen
// through their searches, the period and its day count, the price per day and the day-rate amount, the
// flat rate, the settled and archived flags, the deposit and an observation; deletion, the archive
// filter, the client's account and the printed rental contract of the current row.
#include "Rentals.h"
#include "core/kit/ArchivePanel.h"
#include "core/kit/GridModel.h"

#include <QDialog>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;
class QToolButton;

namespace kv {

namespace kit {
class CommandBar;
class SidePanel;
} // namespace kit

class DateField;
class Session;

class F_Location : public QDialog {
    Q_OBJECT
public:
    explicit F_Location(Session& session, QWidget* parent = nullptr);
    ~F_Location() override;

    /// Columns of the list.
    enum Column { ColRow, ColModele, ColMatricule, ColNom, ColPrenom, ColDu, ColAu, ColNb, ColRegl, ColArch, ColObs, ColumnCount };

    // ---- the list ------------------------------------------------------------------------------------
    QTableView* grid() const { return grid_; }
    kit::GridModel* model() const { return model_; }
    /// The rental numbers and the client numbers of the rows, in row order.
    const QList<qint64>& nums() const { return nums_; }
    const QList<qint64>& clients() const { return clients_; }
    int currentRow() const;
    void setCurrentRow(int row);
    rentals::Filter filter() const { return filter_; }
    kit::CommandBar* commandBar() const { return bar_; }
    QToolButton* command(const QString& objectName) const;
    /// The group headings above the list ("Véhicule", "Client", "Durée").
    QWidget* groupHeadings() const { return groups_; }

    void startNew();
    void startEdit();
    void deleteCurrent();
    void openFilter();
    void zoom();
    void print();

    // ---- the entry frame -----------------------------------------------------------------------------
    bool isEntering() const;
    bool isNewEntry() const { return newEntry_; }
    QWidget* entryPanel() const { return entry_; }
    QLabel* entryHeading() const { return entryHeading_; }
    QLineEdit* vehicleField() const { return vehicle_; }
    QLineEdit* clientField() const { return client_; }
    QToolButton* vehicleButton() const { return vehicleButton_; }
    QToolButton* clientButton() const { return clientButton_; }
    qint64 chosenVehicle() const { return vehicleNum_; }
    qint64 chosenClient() const { return clientNum_; }
    QLineEdit* duField() const { return du_; }
    QLineEdit* auField() const { return au_; }
    QLineEdit* puField() const { return pu_; }
    QLineEdit* daysDisplay() const { return days_; }
    QLineEdit* amountDisplay() const { return amount_; }
    QCheckBox* forfaitBox() const { return forfait_; }
    QLineEdit* forfaitField() const { return forfaitAmount_; }
    QCheckBox* regleBox() const { return regle_; }
    QCheckBox* archiveBox() const { return archive_; }
    QLineEdit* cautionField() const { return caution_; }
    QLineEdit* obsField() const { return obs_; }
    QToolButton* confirmButton() const { return confirm_; }
    QToolButton* cancelButton() const { return cancel_; }
    void chooseVehicle();
    void chooseClient();
    void confirmEntry();
    void cancelEntry();

    // ---- the filter panel ----------------------------------------------------------------------------
    kit::ArchivePanel* filterPanel() const { return filterPanel_; }
    QRadioButton* filterOption(rentals::Filter f) const;
    void confirmFilter();
    void cancelFilter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildEntry();
    QWidget* buildFilter();
    void fillList();
    void setBrowsing(bool on);
    void clearEntry();
    void showForfait();
    /// Leaving "Du" or "Au": the day count when both are real days ("Dates inversées" when Au comes first).
    void leaveDate();
    /// Leaving "PU": the day-rate amount from the days shown and the price.
    void leavePrice();
    void showAmount();
    void placeGroupHeadings();

    Session& s_;
    rentals::Filter filter_ = rentals::Filter::Ensemble;
    QList<qint64> nums_;
    QList<qint64> clients_;
    bool newEntry_ = true;
    db::Row loaded_; ///< the rental being changed, as read when the change began
    bool loading_ = false;
    qint64 vehicleNum_ = -1;
    qint64 clientNum_ = -1;

    kit::CommandBar* bar_;
    QTableView* grid_;
    kit::GridModel* model_;
    QWidget* groups_;
    QList<QLabel*> groupLabels_;
    kit::SidePanel* side_;

    QWidget* entry_;
    QLabel* entryHeading_;
    QLineEdit *vehicle_, *client_;
    QToolButton *vehicleButton_, *clientButton_;
    QLineEdit *du_, *au_, *pu_, *days_, *amount_;
    QLabel *daysLabel_, *amountLabel_;
    DateField *duRules_, *auRules_;
    QCheckBox *forfait_, *regle_, *archive_;
    QLineEdit *forfaitAmount_, *caution_, *obs_;
    QToolButton *confirm_, *cancel_;

    kit::ArchivePanel* filterPanel_;
};

} // namespace kv
