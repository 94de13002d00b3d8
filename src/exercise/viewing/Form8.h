#pragma once
// The exercise selection dialog: the years from the first exercise to the latest, the first selected.
// OK, a double click or Enter on a line choose it: the latest-exercise flag follows whether it is the
// last line, the shared dialog value becomes 1 and the year is handed back. "Annuler" (or any other way
// out) leaves 8.
#include <QDialog>

class QTableView;
class QToolButton;

namespace kv {

class Session;
namespace kit { class GridModel; }

class Form8 : public QDialog {
    Q_OBJECT
public:
    explicit Form8(Session& session, QWidget* parent = nullptr);

    QTableView* list() const { return list_; }
    QStringList years() const;
    /// The selected line, 0 for the first; -1 when none.
    int selectedRow() const;
    void selectRow(int row);
    QToolButton* okButton() const { return ok_; }
    QToolButton* cancelButton() const { return cancel_; }
    /// The year chosen by OK (empty until then).
    QString chosenYear() const { return chosen_; }

    void confirm();
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& s_;
    kit::GridModel* model_;
    QStringList years_; ///< the lines of the list
    QTableView* list_;
    QToolButton* ok_;
    QToolButton* cancel_;
    QString chosen_;
};

} // namespace kv
