#include "Ui.h"
#include "TitleBand.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QToolButton>

namespace kv::ui {

namespace {

const QString kTitleSeparator = QStringLiteral(" — ");

/// The letter a text's "&x" mnemonic gives, or a null char.
QChar mnemonic(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].toUpper();
    }
    return {};
}

/// A letter of a command's text as an accelerator: its base letter without accent, upper case.
QChar keyLetter(QChar c)
{
    const QString base = QString(c).normalized(QString::NormalizationForm_D);
    const QChar b = base.isEmpty() ? c : base[0];
    if ((b >= u'a' && b <= u'z') || (b >= u'A' && b <= u'Z'))
        return b.toUpper();
    return {};
}

QChar altLetter(const QKeySequence& key)
{
    if (key.isEmpty())
        return {};
    const QKeyCombination k = key[0];
    if (k.keyboardModifiers() != Qt::AltModifier)
        return {};
    const int code = int(k.key());
    if ((code >= Qt::Key_A && code <= Qt::Key_Z) || (code >= Qt::Key_0 && code <= Qt::Key_9))
        return QChar(char16_t(code));
    return {};
}

/// Buttons that belong to a composite widget (calendar, spin box, list, tab bar) are its own business.
bool isCommand(const QAbstractButton* b, const QWidget* top)
{
    if (b->objectName().startsWith(QLatin1String("qt_")) || b->text().trimmed().isEmpty())
        return false;
    // A checkable tool button is a choice (a day of the calendar, an option), not a command.
    if (!qobject_cast<const QPushButton*>(b) && !(qobject_cast<const QToolButton*>(b) && !b->isCheckable()))
        return false;
    for (const QWidget* p = b->parentWidget(); p && p != top; p = p->parentWidget())
        if (qobject_cast<const QCalendarWidget*>(p) || qobject_cast<const QAbstractSpinBox*>(p)
            || qobject_cast<const QComboBox*>(p) || qobject_cast<const QTabBar*>(p) || qobject_cast<const QAbstractItemView*>(p))
            return false;
    return true;
}

void giveAccelerators(QWidget& screen)
{
    QSet<QChar> used;
    auto use = [&used](QChar c) {
        if (!c.isNull())
            used.insert(c.toUpper());
    };
    const QList<QAbstractButton*> buttons = screen.findChildren<QAbstractButton*>();
    for (const QAbstractButton* b : buttons) {
        use(altLetter(b->shortcut()));
        use(mnemonic(b->text()));
    }
    for (const QAction* a : screen.findChildren<QAction*>()) {
        use(altLetter(a->shortcut()));
        use(mnemonic(a->text()));
    }
    for (const QLabel* l : screen.findChildren<QLabel*>())
        if (l->buddy())
            use(mnemonic(l->text()));
    for (const QGroupBox* g : screen.findChildren<QGroupBox*>())
        use(mnemonic(g->title()));
    for (const QTabBar* t : screen.findChildren<QTabBar*>())
        for (int i = 0; i < t->count(); ++i)
            use(mnemonic(t->tabText(i)));

    for (QAbstractButton* b : buttons) {
        if (!isCommand(b, &screen) || !b->shortcut().isEmpty() || !mnemonic(b->text()).isNull())
            continue;
        // The first letter of a word first ("Mettre à jour": M, J), then any letter of the text.
        const QString text = b->text();
        QList<QChar> candidates;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (i == 0 || !text[i - 1].isLetterOrNumber())
                candidates << keyLetter(text[i]);
        for (const QChar c : text)
            candidates << keyLetter(c);
        for (const QChar c : candidates) {
            if (c.isNull() || used.contains(c))
                continue;
            used.insert(c);
            b->setShortcut(QKeySequence(Qt::ALT | Qt::Key(c.unicode())));
            if (!b->toolTip().isEmpty() && !b->toolTip().contains(QLatin1String("Alt+")))
                b->setToolTip(b->toolTip() + QStringLiteral(" (Alt+") + c + u')');
            break;
        }
    }
}

QString plain(const QString& text)
{
    const QString t = Qt::mightBeRichText(text) ? QTextDocumentFragment::fromHtml(text).toPlainText() : text;
    return t.simplified();
}

} // namespace

QString screenTitle(const QWidget& screen)
{
    QString base = plain(screen.windowTitle());
    if (base == kProgramName || base.endsWith(kTitleSeparator + kProgramName))
        return base;
    if (base.isEmpty())
        for (const QLabel* band : screen.findChildren<QLabel*>())
            if (band->property(kTitleBandProperty).toBool()) {
                base = plain(band->text());
                break;
            }
    return base.isEmpty() ? kProgramName : base + kTitleSeparator + kProgramName;
}

void prepareScreen(QWidget& screen)
{
    screen.setWindowTitle(screenTitle(screen));
    giveAccelerators(screen);
}

} // namespace kv::ui
