#pragma once
// The date choice Q_Date: the twelve months in a list, the year with its previous and next buttons
// (from 1989 to the year after the current one), and the days of the month in 42 cells, the week
// starting on Saturday. Clicking a day chooses it; "Valider" returns it, "Annuler" or Escape returns
// no date.
#include <QDate>
#include <QDialog>
#include <QList>

class QLabel;
class QListWidget;
class QToolButton;

namespace kv {

class Session;

class Q_Date : public QDialog {
    Q_OBJECT
public:
    /// Shows the month of `first` with its day chosen (today when `first` is not a date).
    explicit Q_Date(Session& session, const QDate& first, QWidget* parent = nullptr);

    /// The day chosen; invalid when the dialog was not confirmed.
    QDate chosen() const { return result() == QDialog::Accepted ? current() : QDate(); }
    /// The day selected on the calendar.
    QDate current() const { return QDate(year_, month_, day_); }

    // ---- for the tests -------------------------------------------------------------------------------
    QListWidget* monthList() const { return months_; }
    QLabel* yearLabel() const { return yearLabel_; }
    QToolButton* previousYear() const { return previous_; }
    QToolButton* nextYear() const { return next_; }
    /// The 42 day cells, row by row, Saturday first.
    const QList<QToolButton*>& dayCells() const { return cells_; }
    QList<QLabel*> columnHeadings() const { return headings_; }
    QToolButton* confirmButton() const { return confirm_; }
    QToolButton* cancelButton() const { return cancel_; }
    QLabel* heading() const { return heading_; }

    void chooseMonth(int month);
    void stepYear(int step);
    void chooseDay(int day);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void moveTo(const QDate& day);

private:
    /// Rebuilds the cells for the month and year shown and selects the day.
    void rebuild();

    int year_ = 0;
    int month_ = 1;
    int day_ = 1;
    QLabel* heading_;
    QListWidget* months_;
    QLabel* yearLabel_;
    QToolButton* previous_;
    QToolButton* next_;
    QList<QLabel*> headings_;
    QList<QToolButton*> cells_;
    QToolButton* confirm_;
    QToolButton* cancel_;
};

/// Shows the date choice on `first`; the day chosen, or an invalid date when none was.
QDate chooseDate(Session& session, const QDate& first, QWidget* parent = nullptr);

} // namespace kv
