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
#include <QStackedWidget>
#include <QTabWidget>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QToolButton>

namespace kv::ui {

namespace {

const QString kTitleSeparator = QStringLiteral(" — ");
/// Marks a screen whose window title is its title band's text.
constexpr const char* kTitleFollowsBandProperty = "kv_titreSuitBandeau";

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

/// The tab pages that hold a widget, outermost first: the pages it is shown with. A key of a hidden tab's
/// command does nothing, so commands of two different pages of one tab widget may share a letter.
QList<const QWidget*> tabPages(const QObject* object, const QWidget* top)
{
    QList<const QWidget*> pages;
    for (const QObject* o = object; o && o != top; o = o->parent()) {
        const auto* w = qobject_cast<const QWidget*>(o);
        const auto* stack = w ? qobject_cast<const QStackedWidget*>(w->parentWidget()) : nullptr;
        if (stack && qobject_cast<const QTabWidget*>(stack->parentWidget()))
            pages.prepend(w);
    }
    return pages;
}

/// True when the widgets of two scopes can be shown together (one's pages hold the other's).
bool shownTogether(const QList<const QWidget*>& a, const QList<const QWidget*>& b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

void giveAccelerators(QWidget& screen)
{
    // Every letter taken, with the tab pages of what took it.
    QList<std::pair<QChar, QList<const QWidget*>>> used;
    auto use = [&](QChar c, const QObject* owner) {
        if (!c.isNull())
            used.append({c.toUpper(), tabPages(owner, &screen)});
    };
    auto taken = [&](QChar c, const QList<const QWidget*>& pages) {
        for (const auto& [letter, where] : used)
            if (letter == c && shownTogether(where, pages))
                return true;
        return false;
    };
    const QList<QAbstractButton*> buttons = screen.findChildren<QAbstractButton*>();
    for (const QAbstractButton* b : buttons) {
        use(altLetter(b->shortcut()), b);
        use(mnemonic(b->text()), b);
    }
    for (const QAction* a : screen.findChildren<QAction*>()) {
        use(altLetter(a->shortcut()), a);
        use(mnemonic(a->text()), a);
    }
    for (const QLabel* l : screen.findChildren<QLabel*>())
        if (l->buddy())
            use(mnemonic(l->text()), l);
    for (const QGroupBox* g : screen.findChildren<QGroupBox*>())
        use(mnemonic(g->title()), g);
    for (const QTabBar* t : screen.findChildren<QTabBar*>())
        for (int i = 0; i < t->count(); ++i)
            use(mnemonic(t->tabText(i)), t);

    // The commands still without a key, each with its letters in order of preference: the first letter
    // of a word first ("Mettre à jour": M, J), then any letter of the text.
    struct Waiting {
        QAbstractButton* button;
        QList<QChar> candidates;
        QList<const QWidget*> pages;
    };
    QList<Waiting> waiting;
    for (QAbstractButton* b : buttons) {
        if (!isCommand(b, &screen) || !b->shortcut().isEmpty() || !mnemonic(b->text()).isNull())
            continue;
        const QString text = b->text();
        QList<QChar> candidates;
        for (qsizetype i = 0; i < text.size(); ++i)
            if (i == 0 || !text[i - 1].isLetterOrNumber())
                candidates << keyLetter(text[i]);
        for (const QChar c : text)
            candidates << keyLetter(c);
        candidates.removeAll(QChar());
        waiting.append({b, candidates, tabPages(b, &screen)});
    }
    // The command with the fewest letters left goes first, so that a short word ("Nouveau" beside
    // "Supprimer", three times on one page) is not left without one; ties in the screen's order.
    while (!waiting.isEmpty()) {
        qsizetype pick = -1;
        qsizetype fewest = 0;
        for (qsizetype i = 0; i < waiting.size(); ++i) {
            QSet<QChar> left;
            for (const QChar c : waiting[i].candidates)
                if (!taken(c, waiting[i].pages))
                    left.insert(c);
            if (pick < 0 || left.size() < fewest) {
                pick = i;
                fewest = left.size();
            }
        }
        const Waiting w = waiting.takeAt(pick);
        for (const QChar c : w.candidates) {
            if (taken(c, w.pages))
                continue;
            used.append({c, w.pages});
            w.button->setShortcut(QKeySequence(Qt::ALT | Qt::Key(c.unicode())));
            if (!w.button->toolTip().isEmpty() && !w.button->toolTip().contains(QLatin1String("Alt+")))
                w.button->setToolTip(w.button->toolTip() + QStringLiteral(" (Alt+") + c + u')');
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
    // A screen without a caption of its own is titled after its band, and stays so when the band changes.
    if (plain(screen.windowTitle()).isEmpty())
        screen.setProperty(kTitleFollowsBandProperty, true);
    screen.setWindowTitle(screenTitle(screen));
    giveAccelerators(screen);
}

void retitle(QWidget& screen)
{
    if (!screen.property(kTitleFollowsBandProperty).toBool())
        return;
    screen.setWindowTitle(QString());
    screen.setWindowTitle(screenTitle(screen));
}

} // namespace kv::ui
