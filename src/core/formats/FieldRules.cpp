#include "core/formats/FieldRules.h"

#include "core/formats/Dates.h"
#include "core/formats/KeyFilters.h"
#include "core/formats/Numbers.h"
#include "platform/db/Dates.h"
#include "platform/ui/Ui.h"

#include <QApplication>
#include <QDate>
#include <QFocusEvent>
#include <QPalette>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include <QTimer>

namespace kv {

namespace {

constexpr int kDateLength = 10;

/// Ctrl shortcuts (copy, paste...) type nothing; Ctrl+Alt is AltGr on some systems and does type.
bool isShortcut(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    return (mods & (Qt::ControlModifier | Qt::MetaModifier)) && !(mods & Qt::AltModifier);
}

bool isTypedCharacter(QChar c) { return c.unicode() >= 32 && c.unicode() != 127; }

/// Where a character typed now goes: it replaces the selection, or is inserted at the cursor.
std::pair<qsizetype, qsizetype> typingSpan(const QLineEdit& field)
{
    if (field.hasSelectedText())
        return {field.selectionStart(), field.selectionEnd()};
    return {field.cursorPosition(), field.cursorPosition()};
}

/// Runs the characters of a key press through a filter. Returns true when the event is consumed
/// (a character refused or replaced), false when the line edit should handle it as it stands.
bool filterKeyPress(QLineEdit& field, const QKeyEvent& key, const FieldKeyFilter::PlacedFilter& filter)
{
    if (field.isReadOnly() || isShortcut(key))
        return false;
    auto run = [&](QChar typed) {
        const auto [from, to] = typingSpan(field);
        return filter(field.text(), from, to, typed.unicode());
    };
    const QString text = key.text();
    if (text.size() == 1) {
        const QChar typed = text.front();
        if (!isTypedCharacter(typed))
            return false;
        const int code = run(typed);
        if (code == typed.unicode())
            return false;
        if (code != 0)
            field.insert(QString(QChar(char16_t(code))));
        return true;
    }
    if (text.isEmpty())
        return false;
    // Several characters in one event (input methods, synthetic events): filter each in turn.
    for (QChar typed : text) {
        if (!isTypedCharacter(typed))
            continue;
        if (const int code = run(typed))
            field.insert(QString(QChar(char16_t(code))));
    }
    return true;
}

FieldKeyFilter::PlacedFilter placed(FieldKeyFilter::Filter filter)
{
    return [filter = std::move(filter)](const QString& text, qsizetype, qsizetype, int key) { return filter(text, key); };
}

} // namespace

// --- key filters ---------------------------------------------------------------------------------

FieldKeyFilter::FieldKeyFilter(QLineEdit* field, Filter filter) : FieldKeyFilter(field, placed(std::move(filter))) {}

FieldKeyFilter::FieldKeyFilter(QLineEdit* field, PlacedFilter filter)
    : QObject(field), field_(field), filter_(std::move(filter))
{
    field->installEventFilter(this);
}

bool FieldKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::KeyPress)
        return filterKeyPress(*field_, *static_cast<QKeyEvent*>(event), filter_);
    return false;
}

DigitField::DigitField(QLineEdit* field)
    : FieldKeyFilter(field, [](const QString&, int key) { return digitKey(key); })
{
}

namespace {
ui::Ui*& fieldUi()
{
    static ui::Ui* u = nullptr;
    return u;
}
} // namespace

void setFieldUi(ui::Ui* ui) { fieldUi() = ui; }

DecimalField::DecimalField(QLineEdit* field, ui::Ui* ui)
    : FieldKeyFilter(field, [ui](const QString& text, qsizetype from, qsizetype to, int key) {
          const int code = decimalKey(text, key, from, to);
          if (code == 0) {
              // The character is dropped: the user hears it, as with a date field.
              if (ui::Ui* u = ui ? ui : fieldUi())
                  u->beep();
              else
                  QApplication::beep();
          }
          return code;
      })
{
}

// --- checks on confirmation ----------------------------------------------------------------------

namespace {

bool refuseField(QLineEdit& field, ui::Ui& ui, const QString& message)
{
    ui.refuse(message);
    field.setFocus(Qt::OtherFocusReason);
    field.selectAll();
    return false;
}

} // namespace

bool checkAmountField(QLineEdit& field, ui::Ui& ui)
{
    const std::optional<double> amount = parseAmount(field.text());
    if (!amount)
        return refuseField(field, ui, QStringLiteral("Montant incorrect"));
    return isWithinAmountLimit(*amount) || refuseField(field, ui, kAmountTooLarge);
}

bool checkDateField(QLineEdit& field, ui::Ui& ui, const QString& message)
{
    return isValidDate(field.text()) || refuseField(field, ui, message);
}

bool checkDateOrder(QLineEdit& from, QLineEdit& to, ui::Ui& ui)
{
    if (!isValidDate(from.text()) || !isValidDate(to.text()))
        return true;
    const QDate first = QDate::fromString(from.text().trimmed(), db::kShownDateFormat);
    const QDate last = QDate::fromString(to.text().trimmed(), db::kShownDateFormat);
    return !(first.isValid() && last.isValid() && last < first) || refuseField(to, ui, QStringLiteral("Dates inversées"));
}

// --- selection on entry --------------------------------------------------------------------------

SelectOnFocus::SelectOnFocus(QLineEdit* field, int length) : QObject(field), field_(field), length_(length)
{
    field->installEventFilter(this);
}

bool SelectOnFocus::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == field_ && event->type() == QEvent::FocusIn) {
        const qsizetype size = field_->text().size();
        field_->setSelection(0, int(length_ < 0 ? size : qMin<qsizetype>(length_, size)));
    }
    return false;
}

// --- date fields ---------------------------------------------------------------------------------

DateField::DateField(QLineEdit* field, ui::Ui& ui) : QObject(field), field_(field), ui_(ui)
{
    field->installEventFilter(this);
    connect(field, &QLineEdit::textChanged, this, &DateField::shape);
}

void DateField::showRefusal()
{
    if (!refused_) {
        placeholder_ = field_->placeholderText();
        tooltip_ = field_->toolTip();
        palette_ = field_->palette();
    }
    refused_ = true;
    QPalette p = field_->palette();
    p.setColor(QPalette::PlaceholderText, QColor(0xc0, 0x1c, 0x1c));
    field_->setPalette(p);
    field_->setPlaceholderText(kRefusal);
    field_->setToolTip(kRefusal);
}

void DateField::clearRefusal()
{
    if (!refused_)
        return;
    refused_ = false;
    field_->setPalette(palette_);
    field_->setPlaceholderText(placeholder_);
    field_->setToolTip(tooltip_);
}

void DateField::shape()
{
    if (!field_->text().isEmpty())
        clearRefusal();
    if (!shaping_ || shapingNow_)
        return;
    QScopedValueRollback guard(shapingNow_, true);
    const TypedDate shaped = formatDateTyping(field_->text());
    if (shaped.text != field_->text())
        field_->setText(shaped.text);
    field_->setCursorPosition(shaped.cursor);
}

bool DateField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != field_)
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        field_->setSelection(0, int(qMin<qsizetype>(kDateLength, field_->text().size())));
        break;
    case QEvent::FocusOut: {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            break;
        if (!field_->text().trimmed().isEmpty() && dateCheck(field_->text(), ui_) != 0) {
            field_->clear();
            showRefusal();
            // Taken back once the focus change under way is over: a widget refocused from inside
            // its own focus-out would be left with a hidden cursor.
            QTimer::singleShot(0, field_, [field = field_] {
                if (field->isVisible())
                    field->setFocus(Qt::OtherFocusReason);
            });
        }
        break;
    }
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (field_->isReadOnly())
            break;
        if (key->key() == Qt::Key_Backspace) {
            if (field_->text().trimmed().size() >= 7)
                break;   // the line edit deletes one character
            field_->clear();
            field_->setCursorPosition(0);
            return true;
        }
        return filterKeyPress(*field_, *key, [this](const QString& text, qsizetype, qsizetype, int code) {
            return dateKey(text, code, ui_);
        });
    }
    default:
        break;
    }
    return false;
}

// --- field chains --------------------------------------------------------------------------------

FieldChain::FieldChain(QObject* parent) : QObject(parent) {}

FieldChain::FieldChain(std::initializer_list<QWidget*> fields, QObject* parent) : QObject(parent)
{
    for (QWidget* field : fields)
        add(field);
}

void FieldChain::add(QWidget* field)
{
    fields_.append(field);
    field->installEventFilter(this);
    connect(field, &QObject::destroyed, this, [this, field] { fields_.removeAll(field); });
}

bool FieldChain::focusNext(QWidget* from) { return move(from, +1, false); }

bool FieldChain::focusPrevious(QWidget* from) { return move(from, -1, false); }

bool FieldChain::move(QWidget* from, int step, bool wrap)
{
    const qsizetype count = fields_.size();
    qsizetype at = fields_.indexOf(from);
    if (at < 0)
        return false;
    for (qsizetype tries = 1; tries < count; ++tries) {
        at += step;
        if (at < 0 || at >= count) {
            if (!wrap)
                return false;
            at = (at + count) % count;
        }
        QWidget* field = fields_[at];
        if (field->isEnabled() && field->isVisibleTo(field->window())) {
            field->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return false;
}

bool FieldChain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    auto* field = static_cast<QWidget*>(watched);
    const bool wrapArrows = wrap_ == Wrap::EnterAndArrows;
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!enterMoves_)
            return false;
        if (!move(field, +1, wrap_ != Wrap::None))
            emit enterOnLast();
        return true;
    case Qt::Key_Down:
        if (!arrowsMove_)
            return false;
        move(field, +1, wrapArrows);
        return true;
    case Qt::Key_Up:
        if (!arrowsMove_)
            return false;
        move(field, -1, wrapArrows);
        return true;
    default:
        return false;
    }
}

} // namespace kv
