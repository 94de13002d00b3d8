#pragma once
// The vehicle register: the list of the fleet, the entry of a new vehicle or the change of one, with
// its registration number, year, type, make, model, fuel, dates and archive flag; deletion, the
// archive filter, the printed list and the vehicle file of the current row.
#include "VehicleRegister.h"
#include "core/kit/ArchivePanel.h"
#include "core/kit/GridModel.h"
#include "fleet/references/ReferenceTable.h"

#include <QDialog>
#include <array>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;
class QGridLayout;
class QLayout;
class QTableView;
class QToolButton;

namespace kv {

namespace kit {
class CommandBar;
class SidePanel;
} // namespace kit

class DateField;
class FieldChain;
class Session;

class Vehicules : public QDialog {
    Q_OBJECT
public:
    explicit Vehicules(Session& session, QWidget* parent = nullptr);

    // The pick fields, by the selector of their reference table (1 types ... 4 fuels).
    enum Pick { Type = references::Genres, Marque = references::Marques, Modele = references::Modeles, Carburant = references::Carburants };

    // ---- the list ------------------------------------------------------------------------------------
    QTableView* grid() const { return grid_; }
    kit::GridModel* model() const { return model_; }
    /// The vehicle numbers of the rows, in row order.
    const QList<qint64>& nums() const;
    int currentRow() const;
    void setCurrentRow(int row);
    vehicles::Filter filter() const { return filter_; }
    QToolButton* command(const QString& objectName) const;

    void startNew();
    void startEdit();
    void deleteCurrent();
    void openFilter();
    void zoom();
    void print();
    void quit();

    // ---- the entry frame -----------------------------------------------------------------------------
    bool isEntering() const;
    bool isNewEntry() const { return newEntry_; }
    QFrame* entryFrame() const { return entry_; }
    QLabel* entryHeading() const { return entryHeading_; }
    QLineEdit* matriculeField(int part) const { return mat_[part - 1]; }
    QLineEdit* anneeField() const { return annee_; }
    QLineEdit* circulationField() const { return circulation_; }
    QLineEdit* carteGriseField() const { return carteGrise_; }
    QLineEdit* dateCarteField() const { return dateCarte_; }
    QRadioButton* archiveOui() const { return archOui_; }
    QRadioButton* archiveNon() const { return archNon_; }
    QToolButton* confirmButton() const { return confirm_; }
    QToolButton* cancelButton() const { return cancel_; }
    void confirmEntry();
    void cancelEntry();

    // ---- the pick fields -----------------------------------------------------------------------------
    QLineEdit* pickField(int pick) const { return pickField_[pick - 1]; }
    QToolButton* pickButton(int pick) const { return pickButton_[pick - 1]; }
    qint64 pickedNum(int pick) const { return picked_[pick - 1]; }
    /// The open pick list's panel, its list and commands; `openPick()` is 0 when none is open.
    int openPick() const { return openPick_; }
    QFrame* pickPanel() const { return pickPanel_; }
    QListWidget* pickList() const { return pickList_; }
    QToolButton* pickConfirm() const { return pickConfirm_; }
    QToolButton* pickCancel() const { return pickCancel_; }
    QToolButton* pickInitials() const { return pickInitials_; }
    const references::Entries& pickEntries(int pick) const { return picks_[pick - 1]; }
    void showPick(int pick);
    void confirmPick();
    void cancelPick();
    void editReferences();

    // ---- the filter panel ----------------------------------------------------------------------------
    kit::ArchivePanel* filterPanel() const { return filterPanel_; }
    QRadioButton* filterOption(vehicles::Filter f) const;
    void confirmFilter();
    void cancelFilter();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildCommands();
    void buildList();
    void buildEntry();
    void addFormRow(QGridLayout* form, int& row, const QString& label, QWidget* field, Qt::Alignment align = {});
    void addFormRow(QGridLayout* form, int& row, const QString& label, QLayout* fields);
    void addNumberRows(QGridLayout* form, int& row);
    void addPickRows(QGridLayout* form, int& row);
    void addPaperRows(QGridLayout* form, int& row);
    void addArchiveRow(QGridLayout* form, int& row);
    void chainEntry();
    void buildPickList();
    void buildFilterPanel();
    void loadPicks(int pick);
    void fillList();
    void setBrowsing(bool on);
    void showSide(QWidget* panel);
    void clearEntry();
    void setPick(int pick, qint64 num);
    void autoAdvance(QLineEdit* field, int length);

    Session& s_;
    vehicles::Filter filter_ = vehicles::Filter::Ensemble;
    bool newEntry_ = true;
    db::Row loaded_; ///< the vehicle being changed, as read when the change began
    bool loading_ = false;
    std::array<references::Entries, 4> picks_;
    std::array<qint64, 4> picked_{-1, -1, -1, -1};
    int openPick_ = 0;

    QTableView* grid_;
    kit::GridModel* model_;
    kit::CommandBar* bar_;
    kit::SidePanel* side_;
    QFrame* entry_;
    QLabel* entryHeading_;
    std::array<QLineEdit*, 3> mat_{};
    QLineEdit *annee_, *circulation_, *carteGrise_, *dateCarte_;
    DateField *circulationRules_, *dateCarteRules_;
    FieldChain* chain_;
    QRadioButton *archOui_, *archNon_;
    QToolButton *confirm_, *cancel_;
    std::array<QLineEdit*, 4> pickField_{};
    std::array<QToolButton*, 4> pickButton_{};
    QFrame* pickPanel_;
    QListWidget* pickList_;
    QToolButton *pickConfirm_, *pickCancel_, *pickInitials_;
    kit::ArchivePanel* filterPanel_;
};

} // namespace kv
