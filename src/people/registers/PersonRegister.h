#pragma once
// The register of one kind of person: the list, the entry panel of a person and the filter panel.
// `j_AGENT`, `J_Chauff` and `J_clients` are this screen with their kind's constants.
#include "PersonStore.h"
#include "core/kit/GridModel.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QTableView;
class QVBoxLayout;
class QWidget;

namespace kv {

class Session;
class FieldChain;
namespace kit { class CommandBar; class SidePanel; }

class PersonRegister : public QDialog {
    Q_OBJECT
public:
    PersonRegister(Session& session, const people::PersonKind& kind, QWidget* parent = nullptr);

    const people::PersonKind& kind() const { return kind_; }

    // Commands of the list panel.
    void nouveau();
    void modifier();
    void supprimer();
    void filtre();
    void zoom();
    void imprimer();
    // Commands of the entry panel.
    void validate();
    void cancelEntry();

    // What the screen holds, for its callers and its tests.
    QTableView* grid() const { return grid_; }
    kit::GridModel* model() const { return model_; }
    /// The person numbers of the rows, in row order.
    const QList<qint64>& rowNumbers() const;
    int selectedRow() const;
    void selectRow(int row);
    bool isNewPerson() const { return newPerson_; }
    QWidget* listPanel() const { return listPanel_; }
    kit::CommandBar* commandBar() const { return bar_; }
    /// The entry panel (new person, modification) and the filter panel, shown one at a time beside the list.
    QWidget* entryPanel() const { return entryPanel_; }
    QWidget* filterPanel() const { return filterPanel_; }
    kit::SidePanel* sidePanel() const { return side_; }
    /// The person's entry as the panel holds it.
    people::PersonEntry entry() const;

private:
    void buildList();
    void buildEntry();
    FieldChain* buildIdentity(QWidget* page, QVBoxLayout* v);
    void buildSalaryBlock(QWidget* page, QVBoxLayout* v, FieldChain* chain);
    void buildCniBlock(QWidget* page, QVBoxLayout* v, FieldChain* chain);
    void buildPermisBlock(QWidget* page, QVBoxLayout* v, FieldChain* chain);
    void buildFilter();
    void fillList();
    /// The values of a person's row, shown at `position` ("N°").
    QVariantList rowValues(const people::PersonRow& person, int position) const;
    void showPanel(QWidget* panel);
    /// The typed dates and the daily rate, checked before saving; false after the refusal was shown.
    bool checkFormats();
    void removeListRow(int row);
    void backToList();
    void applyFilter();
    void updateBlocks();
    void putEntry(const people::PersonEntry& e);
    QLineEdit* addField(const QString& name, QWidget* parent);

    Session& session_;
    const people::PersonKind& kind_;
    people::PersonFilter filter_ = people::PersonFilter::byDefault();
    bool newPerson_ = false;
    db::Row loaded_; ///< the person being changed, as read when the change began

    kit::CommandBar* bar_ = nullptr;
    QWidget* listPanel_ = nullptr;
    QTableView* grid_ = nullptr;
    kit::GridModel* model_ = nullptr;
    kit::SidePanel* side_ = nullptr;

    QWidget* entryPanel_ = nullptr;
    QLabel* entryTitle_ = nullptr;
    QLineEdit *nom_ = nullptr, *prenom_ = nullptr, *fonction_ = nullptr, *tel_ = nullptr, *ville_ = nullptr;
    QCheckBox* salarie_ = nullptr;
    QWidget* salaryBlock_ = nullptr;
    QLineEdit *entree_ = nullptr, *ss_ = nullptr, *taux_ = nullptr;
    QWidget* cniBlock_ = nullptr;
    QLineEdit *numCni_ = nullptr, *dateCni_ = nullptr, *villeCni_ = nullptr;
    QCheckBox* permis_ = nullptr;
    QWidget* permisBlock_ = nullptr;
    QLineEdit *numPermis_ = nullptr, *datePermis_ = nullptr, *villePermis_ = nullptr;
    QRadioButton *archNon_ = nullptr, *archOui_ = nullptr;

    QWidget* filterPanel_ = nullptr;
    QRadioButton *salOui_ = nullptr, *salNon_ = nullptr, *salEns_ = nullptr;
    QRadioButton *arcOui_ = nullptr, *arcNon_ = nullptr, *arcEns_ = nullptr;
};

} // namespace kv
