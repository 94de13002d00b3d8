#pragma once
// The repair screen: the exercise files of the program folder, the latest selected; "Réparer" repairs
// the selected file and closes the screen; "Fermer" closes it and touches nothing.
#include <QDialog>

class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace exercise { class FileOps; }
namespace kit { class GridModel; }

class Mecano2 : public QDialog {
    Q_OBJECT
public:
    explicit Mecano2(Session& session, QWidget* parent = nullptr);
    Mecano2(Session& session, exercise::FileOps& files, QWidget* parent = nullptr);

    QTableView* list() const { return list_; }
    QStringList files() const;
    int selectedRow() const;
    void selectRow(int row);
    void clearSelection();
    QToolButton* repairButton() const { return repair_; }
    QToolButton* closeButton() const { return close_; }

    void repair();

private:
    Session& s_;
    exercise::FileOps& files_;
    kit::GridModel* model_;
    QStringList names_; ///< the lines of the list
    QTableView* list_;
    QToolButton* repair_;
    QToolButton* close_;
};

} // namespace kv
