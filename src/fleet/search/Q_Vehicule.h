#pragma once
// The vehicle search: lists the vehicles, narrows the list by archive state, type, make and model,
// and hands the chosen vehicle back to the opener:
//   session.saisie   "OK" when a vehicle was chosen, "NON" otherwise
//   Echange slot 1   the vehicle's number        (written only with "OK")
//   Echange slot 2   the "Type" cell: a blank then the type's name
//   Echange slot 3   the "Marque" cell: a blank then the make's name
#include "VehicleSearch.h"

#include "core/search/SearchDialog.h"

class QCheckBox;
class QComboBox;
class QRadioButton;
class QStackedWidget;
class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit { class GridModel; }

class Q_Vehicule : public SearchDialog {
    Q_OBJECT
public:
    explicit Q_Vehicule(Session& session, QWidget* parent = nullptr);

    // Result panel.
    QWidget* resultPanel() const { return results_; }
    QTableView* resultList() const { return grid_; }
    kit::GridModel* resultModel() const { return model_; }
    QToolButton* closeButton() const { return close_; }
    QToolButton* criteriaButton() const { return openCriteria_; }
    QToolButton* chooseButton() const { return choose_; }
    /// The vehicle numbers of the result rows, in the rows' order (empty when nothing is listed).
    const QList<qint64>& vehicleNumbers() const;

    // Criteria panel.
    QWidget* criteriaPanel() const { return criteria_; }
    QRadioButton* actuelsOption() const { return actuels_; }
    QRadioButton* archivesOption() const { return archives_; }
    QRadioButton* ensembleOption() const { return ensemble_; }
    QCheckBox* typeBox() const { return boxes_[0]; }
    QCheckBox* marqueBox() const { return boxes_[1]; }
    QCheckBox* modeleBox() const { return boxes_[2]; }
    QComboBox* typeList() const { return lists_[0]; }
    QComboBox* marqueList() const { return lists_[1]; }
    QComboBox* modeleList() const { return lists_[2]; }
    QToolButton* searchButton() const { return search_; }
    QToolButton* cancelButton() const { return cancel_; }

    /// The criteria as the panel shows them.
    vehicles::SearchCriteria criteria() const;

    void openCriteria();
    void search();
    void cancelCriteria();
    void choose();


private:
    void fill(const QList<vehicles::VehicleFound>& found);
    void showResults(bool on);
    int currentRow() const;

    Session& s_;
    QStackedWidget* panels_;
    QWidget* results_;
    QWidget* criteria_;
    QTableView* grid_;
    kit::GridModel* model_;
    QToolButton* close_;
    QToolButton* openCriteria_;
    QToolButton* choose_;
    QRadioButton* actuels_;
    QRadioButton* archives_;
    QRadioButton* ensemble_;
    QCheckBox* boxes_[3];
    QComboBox* lists_[3];
    QToolButton* search_;
    QToolButton* cancel_;
};

} // namespace kv
