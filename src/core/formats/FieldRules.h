#pragma once
// Reusable behaviours of entry fields, installed on a QLineEdit (or any widget for FieldChain).
// Each object is owned by the field or the screen it is created for:
//   new kv::DecimalField(ui->montant);
//   new kv::DateField(ui->date, session.ui());
//   auto* chain = new kv::FieldChain({ui->actuel, ui->nouveau, ui->confirmation}, this);
//   connect(chain, &kv::FieldChain::enterOnLast, this, &New_MPS::save);
//
// Key filters see the characters a key types (QKeyEvent::text()). Control keys (Enter, Tab,
// Backspace, Escape, Delete) and Ctrl shortcuts (copy, paste, select all) are left to the line edit
// and to the screen; text pasted into a field is not filtered.
#include <QList>
#include <QObject>
#include <QPalette>
#include <QString>
#include <functional>
#include <initializer_list>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace kv {

namespace ui { class Ui; }

/// Passes every character typed into a line edit through a key filter: the filter gets the field's
/// text and the character code and returns it, another code to type instead, or 0 to refuse it.
/// A read-only field is not filtered.
class FieldKeyFilter : public QObject {
    Q_OBJECT
public:
    using Filter = std::function<int(const QString& fieldText, int key)>;
    /// A filter that also sees where the character goes: it replaces the characters [from, to) of
    /// the text (the selection, or the empty span at the cursor).
    using PlacedFilter = std::function<int(const QString& fieldText, qsizetype from, qsizetype to, int key)>;
    FieldKeyFilter(QLineEdit* field, Filter filter);

protected:
    FieldKeyFilter(QLineEdit* field, PlacedFilter filter);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    PlacedFilter filter_;
};

/// Digits only (digitKey).
class DigitField : public FieldKeyFilter {
    Q_OBJECT
public:
    explicit DigitField(QLineEdit* field);
};

/// The ui through which a field that has none of its own (DecimalField) signals a refused key; set
/// once by the program. Without one, a refusal beeps through the application.
void setFieldUi(ui::Ui* ui);

/// Amounts and other decimal numbers (decimalKey, with the place of the key): a comma typed becomes
/// a point, a minus goes only in front, at most nine digits before the point. A character refused
/// beeps (through `ui`, else the one of setFieldUi). Text pasted is not filtered: confirm the field
/// with checkAmountField.
class DecimalField : public FieldKeyFilter {
    Q_OBJECT
public:
    explicit DecimalField(QLineEdit* field, ui::Ui* ui = nullptr);
};

/// The text of the refusal of an amount beyond kMaxAmount.
inline const QString kAmountTooLarge = QStringLiteral("Montant trop élevé : 999 999 999.99 au plus");

/// The check of an amount field when the screen confirms its entry: when the text is not a
/// well-formed amount (isWellFormedAmount: "12-50", "1.2.3", "--5"...), shows "Montant incorrect"
/// (critical, "ATTENTION"); when it is one beyond 999 999 999.99 either way, shows kAmountTooLarge
/// the same way; then gives the field the focus with its text selected, and returns false.
/// A blank field passes (it reads as 0): a screen that needs an amount checks that first.
bool checkAmountField(QLineEdit& field, ui::Ui& ui);

/// The check of a date field when the screen confirms its entry: when the text is not a date
/// that dateCheck accepts (a blank one included), shows `message` (critical, "ATTENTION"), gives the
/// field the focus with its text selected, and returns false. No beep. A screen where the date
/// may stay blank checks that first.
bool checkDateField(QLineEdit& field, ui::Ui& ui, const QString& message = QStringLiteral("Date incorrecte"));

/// The check of a period typed in two date fields ("Du", "Au"): when both hold real days and `to` comes
/// before `from`, shows "Dates inversées" (critical, "ATTENTION"), gives `to` the focus with its text
/// selected, and returns false. Blank or incorrect dates are left to checkDateField.
bool checkDateOrder(QLineEdit& from, QLineEdit& to, ui::Ui& ui);

/// Entering the field selects its text from the start: all of it, or its first `length` characters.
class SelectOnFocus : public QObject {
    Q_OBJECT
public:
    explicit SelectOnFocus(QLineEdit* field, int length = -1);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    int length_;
};

/// The rules of a date entry field "dd/mm/yyyy":
/// - entering the field selects its first 10 characters;
/// - typed characters pass the date-key filter (dateKey; refusals beep);
/// - Backspace empties the field when its trimmed text is shorter than 7 characters, otherwise
///   it deletes as usual;
/// - after every change of the text, it is shaped by formatDateTyping and the cursor goes to its end
///   (screens that shape only in some states switch this with setShaping);
/// - when the focus moves to another field of the window and the text is not blank and fails
///   dateCheck (which beeps), the field is emptied and takes the focus back, and shows "Date incorrecte"
///   in red inside it (and as its tooltip) until something is typed again, so that the screen never
///   looks frozen. Losing the focus to another window or to a popup menu checks nothing.
/// What Enter does belongs to the screen (see FieldChain).
class DateField : public QObject {
    Q_OBJECT
public:
    DateField(QLineEdit* field, ui::Ui& ui);

    void setShaping(bool on) { shaping_ = on; }
    bool shaping() const { return shaping_; }
    /// What an emptied field shows after a refusal.
    static inline const QString kRefusal = QStringLiteral("Date incorrecte");
    /// True while the field shows the refusal.
    bool showsRefusal() const { return refused_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void shape();
    void showRefusal();
    void clearRefusal();

    QLineEdit* field_;
    ui::Ui& ui_;
    bool shaping_ = true;
    bool shapingNow_ = false;
    bool refused_ = false;
    QString placeholder_, tooltip_;
    QPalette palette_;
};

/// Moves the focus along an ordered list of fields: Enter and the Down arrow to the next field, the
/// Up arrow to the previous one. Fields hidden or disabled are skipped. At the ends the focus stays,
/// unless the chain wraps; Enter in the last field that could take the focus (when Enter does not
/// wrap) emits enterOnLast(), the place for the screen's main command. The keys the chain handles
/// never reach the field or the dialog's default button. The next field receives the focus as with
/// Tab (a line edit then selects its text).
class FieldChain : public QObject {
    Q_OBJECT
public:
    enum class Wrap {
        None,           ///< stop at the first and last field
        Enter,          ///< Enter on the last field goes to the first; the arrows stop
        EnterAndArrows  ///< Enter and Down go from the last to the first, Up from the first to the last
    };
    Q_ENUM(Wrap)

    explicit FieldChain(QObject* parent = nullptr);
    FieldChain(std::initializer_list<QWidget*> fields, QObject* parent = nullptr);

    void add(QWidget* field);
    const QList<QWidget*>& fields() const { return fields_; }

    void setWrap(Wrap wrap) { wrap_ = wrap; }
    /// Whether Enter moves along the chain (default true); when off, Enter is left to the field.
    void setEnterMoves(bool on) { enterMoves_ = on; }
    /// Whether the Up and Down arrows move along the chain (default true).
    void setArrowsMove(bool on) { arrowsMove_ = on; }

    /// Gives the focus to the field after / before `from`; false when there is none to go to.
    bool focusNext(QWidget* from);
    bool focusPrevious(QWidget* from);

signals:
    /// Enter was pressed in the last field of the chain.
    void enterOnLast();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool move(QWidget* from, int step, bool wrap);

    QList<QWidget*> fields_;
    Wrap wrap_ = Wrap::None;
    bool enterMoves_ = true;
    bool arrowsMove_ = true;
};

} // namespace kv
