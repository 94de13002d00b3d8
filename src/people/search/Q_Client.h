#pragma once
// The client search: finds clients by the beginning of their surname and/or first name and hands the
// chosen one back to the opener:
//   session.saisie   "OK" when a client was chosen, "NON" otherwise
//   Echange slot 1   the client's number        (written only with "OK")
//   Echange slot 2   the "Nom" cell: a blank then the surname
//   Echange slot 3   the "Prénom" cell: a blank then the first name
#include "ClientSearch.h"

#include "core/search/SearchDialog.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QStackedWidget;
class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit { class GridModel; }

class Q_Client : public SearchDialog {
    Q_OBJECT
public:
    explicit Q_Client(Session& session, QWidget* parent = nullptr);

    QCheckBox* nomBox() const { return nomBox_; }
    QLineEdit* nomField() const { return nom_; }
    QCheckBox* prenomBox() const { return prenomBox_; }
    QLineEdit* prenomField() const { return prenom_; }
    QWidget* criteriaPanel() const { return criteria_; }
    QWidget* resultPanel() const { return results_; }
    /// The panels' title bands.
    QLabel* criteriaHeading() const { return criteriaHeading_; }
    QLabel* resultHeading() const { return resultHeading_; }
    QTableView* resultList() const { return list_; }
    QToolButton* searchButton() const { return search_; }
    QToolButton* cancelButton() const { return cancel_; }
    QToolButton* chooseButton() const { return choose_; }
    QToolButton* backButton() const { return back_; }
    QToolButton* closeButton() const { return close_; }
    /// The client numbers of the result rows, in the rows' order.
    const QList<qint64>& clientNumbers() const;

    void search();
    void back();
    void choose();

private:
    void showResults(bool on);
    int selectedRow() const;

    Session& s_;
    QStackedWidget* panels_;
    QWidget* criteria_;
    QWidget* results_;
    QLabel* criteriaHeading_;
    QLabel* resultHeading_;
    QCheckBox* nomBox_;
    QLineEdit* nom_;
    QCheckBox* prenomBox_;
    QLineEdit* prenom_;
    QToolButton* search_;
    QToolButton* cancel_;
    QToolButton* choose_;
    QToolButton* back_;
    QToolButton* close_;
    QTableView* list_;
    kit::GridModel* model_;
};

} // namespace kv
