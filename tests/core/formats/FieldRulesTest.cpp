#include "FormatsTests.h"

#include "core/formats/FieldRules.h"
#include "harness/ScriptedUi.h"

#include <QApplication>
#include <QDialog>
#include <QFocusEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace kv;

namespace {

/// A dialog with three line edits and a default button, shown and active so that focus moves.
struct Screen {
    QDialog window;
    QLineEdit* fields[3];
    QPushButton* ok;

    Screen()
    {
        auto* layout = new QVBoxLayout(&window);
        for (QLineEdit*& field : fields) {
            field = new QLineEdit(&window);
            layout->addWidget(field);
        }
        ok = new QPushButton(QStringLiteral("OK"), &window);
        ok->setDefault(true);
        layout->addWidget(ok);
    }
    bool show()
    {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    /// Gives a field the focus the way a program does (no selection of its own).
    static bool focus(QLineEdit* field)
    {
        field->setFocus(Qt::OtherFocusReason);
        return field->hasFocus();
    }
};

/// Lets the focus changes posted by the field rules happen.
void settle() { QCoreApplication::processEvents(); }

} // namespace

class FieldRulesTest : public QObject {
    Q_OBJECT
private slots:
    void keyFilter_data();
    void keyFilter();
    void decimalFieldMinusInPlace_data();
    void decimalFieldMinusInPlace();
    void decimalFieldBeepsWhatItDrops_data();
    void decimalFieldBeepsWhatItDrops();
    void selectOnFocus_data();
    void selectOnFocus();

    void dateTyping_data();
    void dateTyping();
    void dateBackspace_data();
    void dateBackspace();
    void dateSelectsOnEntry();
    void dateFocusOut_data();
    void dateFocusOut();
    void dateFocusLostOutsideTheWindow_data();
    void dateFocusLostOutsideTheWindow();
    void dateShapingSwitchedOff();
    void dateFocusOutRefusesDaysTheCalendarLacks_data();
    void dateFocusOutRefusesDaysTheCalendarLacks();

    void amountCheckedOnConfirmation_data();
    void amountCheckedOnConfirmation();
    void dateCheckedOnConfirmation_data();
    void dateCheckedOnConfirmation();

    void chain_data();
    void chain();
    void chainKeepsEnterFromDefaultButton();
    void chainWithDateField();
};

// --- key filters ---------------------------------------------------------------------------------

void FieldRulesTest::keyFilter_data()
{
    QTest::addColumn<bool>("decimal");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits only") << false << "" << "12a3.4-5" << "12345";
    QTest::newRow("digits: blank passes") << false << "" << "1 2" << "1 2";
    QTest::newRow("decimal: comma typed as point") << true << "" << "12,5" << "12.5";
    QTest::newRow("decimal: comma after point refused") << true << "12.5" << "," << "12.5";
    QTest::newRow("decimal: one point only") << true << "" << "1,,.2" << "1.2";
    QTest::newRow("decimal: minus only in front, no blanks or letters") << true << "" << "-1-2,3.4 a" << "-12.34";
    QTest::newRow("decimal: minus after digits refused") << true << "12" << "-50" << "1250";
}

void FieldRulesTest::keyFilter()
{
    QFETCH(bool, decimal);
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    Screen screen;
    QLineEdit* field = screen.fields[0];
    if (decimal)
        new DecimalField(field);
    else
        new DigitField(field);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    field->setText(start);
    QTest::keyClicks(field, typed);
    QCOMPARE(field->text(), expected);
    QCOMPARE(field->cursorPosition(), expected.size());
}

void FieldRulesTest::decimalFieldMinusInPlace_data()
{
    // The field holds `start` with the cursor at `cursor`, or the characters [cursor, cursor + selected)
    // selected; then `typed` is typed.
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("minus typed at the start") << "12.50" << 0 << 0 << "-" << "-12.50";
    QTest::newRow("minus typed inside") << "1250" << 2 << 0 << "-" << "1250";
    QTest::newRow("second minus at the start") << "-12" << 0 << 0 << "-" << "-12";
    QTest::newRow("digit in front of the minus") << "-12" << 0 << 0 << "5" << "-12";
    QTest::newRow("digit after the minus") << "-12" << 1 << 0 << "5" << "-512";
    QTest::newRow("minus over the selected text") << "12.50" << 0 << 5 << "-3" << "-3";
    QTest::newRow("minus over a selection inside") << "1250" << 1 << 2 << "-" << "1250";
}

void FieldRulesTest::decimalFieldMinusInPlace()
{
    QFETCH(QString, start);
    QFETCH(int, cursor);
    QFETCH(int, selected);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    Screen screen;
    QLineEdit* field = screen.fields[0];
    new DecimalField(field);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    field->setText(start);
    if (selected > 0)
        field->setSelection(cursor, selected);
    else
        field->setCursorPosition(cursor);
    QTest::keyClicks(field, typed);
    QCOMPARE(field->text(), expected);
}

void FieldRulesTest::decimalFieldBeepsWhatItDrops_data()
{
    QTest::addColumn<bool>("ownUi");   // the field's own ui, or the one the program sets for every field
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");
    QTest::newRow("accepted keys are silent") << true << "" << "-12,5" << "-12.5" << 0;
    QTest::newRow("letter and blank") << true << "12" << "a 3" << "123" << 2;
    QTest::newRow("second point, minus inside") << true << "1.5" << ".-," << "1.5" << 3;
    QTest::newRow("tenth integer digit") << true << "" << "99999999999" << "999999999" << 2;
    QTest::newRow("through the program's ui") << false << "" << "1x" << "1" << 1;
}

void FieldRulesTest::decimalFieldBeepsWhatItDrops()
{
    QFETCH(bool, ownUi);
    QFETCH(QString, start);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[0];
    if (ownUi) {
        new DecimalField(field, &ui);
    } else {
        setFieldUi(&ui);
        new DecimalField(field);
    }
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    field->setText(start);
    QTest::keyClicks(field, typed);
    setFieldUi(nullptr);
    QCOMPARE(field->text(), expected);
    QCOMPARE(ui.beeps, beeps);
}

void FieldRulesTest::selectOnFocus_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("length");
    QTest::addColumn<QString>("selected");
    QTest::newRow("whole text") << "abc def" << -1 << "abc def";
    QTest::newRow("first 20 characters") << "0123456789ABCDEFGHIJKL" << 20 << "0123456789ABCDEFGHIJ";
    QTest::newRow("shorter than the length") << "abc" << 20 << "abc";
}

void FieldRulesTest::selectOnFocus()
{
    QFETCH(QString, text);
    QFETCH(int, length);
    QFETCH(QString, selected);
    Screen screen;
    new SelectOnFocus(screen.fields[1], length);
    screen.fields[1]->setText(text);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[0]));
    QVERIFY(Screen::focus(screen.fields[1]));
    QCOMPARE(screen.fields[1]->selectedText(), selected);
    QCOMPARE(screen.fields[1]->selectionStart(), 0);
}

// --- date fields ---------------------------------------------------------------------------------

void FieldRulesTest::dateTyping_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");
    QTest::newRow("slashes come by themselves") << "25122021" << "25/12/2021" << 0;
    QTest::newRow("typed slashes refused") << "25/12/2021" << "25/12/2021" << 2;
    QTest::newRow("day tens above 3") << "4" << "" << 1;
    QTest::newRow("month tens above 1") << "252" << "25/" << 1;
    QTest::newRow("month units not checked") << "2519" << "25/19/" << 0;
    QTest::newRow("year begun") << "25121" << "25/12/1" << 0;
    QTest::newRow("letter refused, then digit") << "a3" << "3" << 1;
    QTest::newRow("beyond 10 characters anything goes") << "25122021x" << "25/12/2021x" << 0;
}

void FieldRulesTest::dateTyping()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[0];
    new DateField(field, ui);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    QTest::keyClicks(field, typed);
    QCOMPARE(field->text(), expected);
    QCOMPARE(field->cursorPosition(), expected.size());
    QCOMPARE(ui.beeps, beeps);
}

void FieldRulesTest::dateBackspace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("day and month tens: emptied") << "251" << "";
    QTest::newRow("day and month: emptied") << "2512" << "";
    QTest::newRow("7 characters: one deleted") << "25122" << "25/12/";
    QTest::newRow("year half typed: one deleted") << "251220" << "25/12/2";
    QTest::newRow("full date: one deleted") << "25122021" << "25/12/202";
}

void FieldRulesTest::dateBackspace()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[0];
    new DateField(field, ui);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Backspace);
    QCOMPARE(field->text(), expected);
    QCOMPARE(field->cursorPosition(), expected.size());
    QCOMPARE(ui.beeps, 0);
}

void FieldRulesTest::dateSelectsOnEntry()
{
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[1];
    new DateField(field, ui);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[0]));
    field->setText(QStringLiteral("25/12/2021 et plus"));
    QVERIFY(Screen::focus(field));
    QCOMPARE(field->selectedText(), QStringLiteral("25/12/2021"));
    QCOMPARE(field->selectionStart(), 0);

    // Typing over the selection starts a new date.
    QTest::keyClicks(field, QStringLiteral("3"));
    QCOMPARE(field->text(), QStringLiteral("3 et plus"));
}

void FieldRulesTest::dateFocusOut_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("keepsFocus");
    QTest::addColumn<int>("beeps");
    QTest::newRow("incomplete date") << "25/1" << "" << true << 2;
    QTest::newRow("31 april") << "31/04/2021" << "" << true << 1;
    QTest::newRow("good date") << "25/12/2021" << "25/12/2021" << false << 0;
    QTest::newRow("empty") << "" << "" << false << 0;
    QTest::newRow("blank") << "   " << "   " << false << 0;
}

void FieldRulesTest::dateFocusOut()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(bool, keepsFocus);
    QFETCH(int, beeps);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[0];
    field->setPlaceholderText(QStringLiteral("jj/mm/aaaa"));
    auto* rule = new DateField(field, ui);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    field->setText(text);

    QTest::keyClick(field, Qt::Key_Tab);
    settle();
    QCOMPARE(field->text(), expected);
    QCOMPARE(QApplication::focusWidget(), keepsFocus ? field : screen.fields[1]);
    QCOMPARE(ui.beeps, beeps);
    // A refused date says so in the emptied field, until something is typed again.
    QCOMPARE(rule->showsRefusal(), keepsFocus);
    QCOMPARE(field->placeholderText(), keepsFocus ? DateField::kRefusal : QStringLiteral("jj/mm/aaaa"));
    if (keepsFocus) {
        QTest::keyClick(field, Qt::Key_2);
        QVERIFY(!rule->showsRefusal());
        QCOMPARE(field->placeholderText(), QStringLiteral("jj/mm/aaaa"));
    }
}

void FieldRulesTest::dateFocusLostOutsideTheWindow_data()
{
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");
    QTest::newRow("another window") << Qt::ActiveWindowFocusReason << "25/1" << 0;
    QTest::newRow("popup menu") << Qt::PopupFocusReason << "25/1" << 0;
    QTest::newRow("another field") << Qt::OtherFocusReason << "" << 2;
}

void FieldRulesTest::dateFocusLostOutsideTheWindow()
{
    QFETCH(Qt::FocusReason, reason);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    test::ScriptedUi ui;
    QLineEdit field;
    new DateField(&field, ui);
    field.setText(QStringLiteral("25/1"));
    QFocusEvent out(QEvent::FocusOut, reason);
    QCoreApplication::sendEvent(&field, &out);
    QCOMPARE(field.text(), expected);
    QCOMPARE(ui.beeps, beeps);
}

void FieldRulesTest::dateShapingSwitchedOff()
{
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[0];
    auto* rules = new DateField(field, ui);
    rules->setShaping(false);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));

    QTest::keyClicks(field, QStringLiteral("4"));   // still filtered
    QCOMPARE(ui.beeps, 1);
    QTest::keyClicks(field, QStringLiteral("25"));
    QCOMPARE(field->text(), QStringLiteral("25"));

    rules->setShaping(true);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, QStringLiteral("25"));
    QCOMPARE(field->text(), QStringLiteral("25/"));
}

void FieldRulesTest::dateFocusOutRefusesDaysTheCalendarLacks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("beeps");
    QTest::newRow("29 february 1900") << "29021900" << "" << 1;
    QTest::newRow("29 february 2100") << "29022100" << "" << 1;
    QTest::newRow("29 february 2000") << "29022000" << "29/02/2000" << 0;
    QTest::newRow("29 february 2024") << "29022024" << "29/02/2024" << 0;
}

void FieldRulesTest::dateFocusOutRefusesDaysTheCalendarLacks()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    QFETCH(int, beeps);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* field = screen.fields[0];
    new DateField(field, ui);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(field));
    QTest::keyClicks(field, typed);
    QTest::keyClick(field, Qt::Key_Tab);
    settle();
    QCOMPARE(field->text(), expected);
    QCOMPARE(QApplication::focusWidget(), expected.isEmpty() ? field : screen.fields[1]);
    QCOMPARE(ui.beeps, beeps);
}

// --- checks on confirmation ----------------------------------------------------------------------

void FieldRulesTest::amountCheckedOnConfirmation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("message");   // of a refusal
    const QString malformed = QStringLiteral("Montant incorrect");
    QTest::newRow("amount") << "1 234.50" << true << "";
    QTest::newRow("negative amount") << "-12.50" << true << "";
    QTest::newRow("blank reads as 0") << "" << true << "";
    QTest::newRow("minus inside") << "12-50" << false << malformed;
    QTest::newRow("two points") << "1.2.3" << false << malformed;
    QTest::newRow("two minus signs") << "--5" << false << malformed;
    QTest::newRow("point alone") << "." << false << malformed;
    QTest::newRow("minus alone") << "-" << false << malformed;
    QTest::newRow("letter pasted") << "12a" << false << malformed;
    // No amount beyond 999 999 999.99, either way.
    QTest::newRow("largest amount") << "999 999 999.99" << true << "";
    QTest::newRow("largest negative amount") << "-999999999.99" << true << "";
    QTest::newRow("a tenth digit pasted") << "1000000000" << false << kAmountTooLarge;
    QTest::newRow("the pay entry of the fault") << "99999999999" << false << kAmountTooLarge;
    QTest::newRow("fourteen digits") << "12345678901234" << false << kAmountTooLarge;
    QTest::newRow("rounds up beyond") << "999999999.995" << false << kAmountTooLarge;
    QTest::newRow("negative beyond") << "-1000000000" << false << kAmountTooLarge;
}

void FieldRulesTest::amountCheckedOnConfirmation()
{
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QString, message);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* amount = screen.fields[1];
    new DecimalField(amount);
    amount->setText(text);   // pasted: the key filter never saw it
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[0]));

    QCOMPARE(checkAmountField(*amount, ui), accepted);
    QCOMPARE(amount->text(), text);   // never changed: the user corrects it
    if (accepted) {
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), screen.fields[0]);
    } else {
        QCOMPARE(ui.messages, (QList<test::ShownMessage>{{message, ui::Icon::Critical, "ATTENTION", false}}));
        QCOMPARE(QApplication::focusWidget(), amount);
        QCOMPARE(amount->selectedText(), text);
    }
    QCOMPARE(ui.beeps, 0);
}

void FieldRulesTest::dateCheckedOnConfirmation_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");   // the screen's own text, or empty for "Date incorrecte"
    QTest::addColumn<bool>("accepted");
    QTest::newRow("date") << "25/12/2021" << "" << true;
    QTest::newRow("29 february 2024") << "29/02/2024" << "" << true;
    QTest::newRow("29 february 1900") << "29/02/1900" << "" << false;
    QTest::newRow("31 april") << "31/04/2021" << "" << false;
    QTest::newRow("day 0") << "00/01/2021" << "" << false;
    QTest::newRow("incomplete") << "25/12/" << "" << false;
    QTest::newRow("blank") << "" << "" << false;
    QTest::newRow("message of the screen") << "30/02/2021" << "Date (1) incorrecte" << false;
}

void FieldRulesTest::dateCheckedOnConfirmation()
{
    QFETCH(QString, text);
    QFETCH(QString, message);
    QFETCH(bool, accepted);
    test::ScriptedUi ui;
    Screen screen;
    QLineEdit* date = screen.fields[1];
    date->setText(text);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[0]));

    const bool result = message.isEmpty() ? checkDateField(*date, ui) : checkDateField(*date, ui, message);
    QCOMPARE(result, accepted);
    QCOMPARE(date->text(), text);
    if (accepted) {
        QVERIFY(ui.messages.isEmpty());
        QCOMPARE(QApplication::focusWidget(), screen.fields[0]);
    } else {
        const QString shown = message.isEmpty() ? QStringLiteral("Date incorrecte") : message;
        QCOMPARE(ui.messages, (QList<test::ShownMessage>{{shown, ui::Icon::Critical, "ATTENTION", false}}));
        QCOMPARE(QApplication::focusWidget(), date);
    }
    QCOMPARE(ui.beeps, 0);
}

// --- field chains --------------------------------------------------------------------------------

void FieldRulesTest::chain_data()
{
    QTest::addColumn<FieldChain::Wrap>("wrap");
    QTest::addColumn<int>("hidden");     // index of a hidden field, or -1
    QTest::addColumn<int>("disabled");   // index of a disabled field, or -1
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("keys");   // E = Enter, D = Down, U = Up
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("enterOnLast");

    using W = FieldChain::Wrap;
    QTest::newRow("enter moves on") << W::None << -1 << -1 << 0 << "E" << 1 << 0;
    QTest::newRow("down moves on") << W::None << -1 << -1 << 0 << "DD" << 2 << 0;
    QTest::newRow("up moves back") << W::None << -1 << -1 << 2 << "U" << 1 << 0;
    QTest::newRow("up stops at the first") << W::None << -1 << -1 << 0 << "U" << 0 << 0;
    QTest::newRow("down stops at the last") << W::None << -1 << -1 << 2 << "D" << 2 << 0;
    QTest::newRow("enter in the last field") << W::None << -1 << -1 << 1 << "EEE" << 2 << 2;
    QTest::newRow("enter wraps") << W::Enter << -1 << -1 << 2 << "E" << 0 << 0;
    QTest::newRow("down does not wrap with enter") << W::Enter << -1 << -1 << 2 << "D" << 2 << 0;
    QTest::newRow("up does not wrap with enter") << W::Enter << -1 << -1 << 0 << "U" << 0 << 0;
    QTest::newRow("down wraps") << W::EnterAndArrows << -1 << -1 << 2 << "D" << 0 << 0;
    QTest::newRow("up wraps") << W::EnterAndArrows << -1 << -1 << 0 << "U" << 2 << 0;
    QTest::newRow("hidden field skipped") << W::None << 1 << -1 << 0 << "E" << 2 << 0;
    QTest::newRow("hidden field skipped going up") << W::None << 1 << -1 << 2 << "U" << 0 << 0;
    QTest::newRow("disabled field skipped") << W::None << -1 << 1 << 0 << "D" << 2 << 0;
    QTest::newRow("last field hidden: enter on the one before") << W::None << 2 << -1 << 1 << "E" << 1 << 1;
    QTest::newRow("wrap skips a hidden first field") << W::EnterAndArrows << 0 << -1 << 2 << "D" << 1 << 0;
}

void FieldRulesTest::chain()
{
    QFETCH(FieldChain::Wrap, wrap);
    QFETCH(int, hidden);
    QFETCH(int, disabled);
    QFETCH(int, start);
    QFETCH(QString, keys);
    QFETCH(int, expected);
    QFETCH(int, enterOnLast);

    Screen screen;
    auto* chain = new FieldChain({screen.fields[0], screen.fields[1], screen.fields[2]}, &screen.window);
    chain->setWrap(wrap);
    QSignalSpy lastEnters(chain, &FieldChain::enterOnLast);
    if (hidden >= 0)
        screen.fields[hidden]->hide();
    if (disabled >= 0)
        screen.fields[disabled]->setEnabled(false);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[start]));

    for (QChar key : keys) {
        const Qt::Key code = key == u'E' ? Qt::Key_Return : key == u'D' ? Qt::Key_Down : Qt::Key_Up;
        QTest::keyClick(QApplication::focusWidget(), code);
    }
    QCOMPARE(QApplication::focusWidget(), screen.fields[expected]);
    QCOMPARE(lastEnters.count(), enterOnLast);
}

void FieldRulesTest::chainKeepsEnterFromDefaultButton()
{
    Screen screen;
    auto* chain = new FieldChain({screen.fields[0], screen.fields[1]}, &screen.window);
    QSignalSpy lastEnters(chain, &FieldChain::enterOnLast);
    QSignalSpy clicks(screen.ok, &QPushButton::clicked);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[1]));

    QTest::keyClick(screen.fields[1], Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(lastEnters.count(), 1);
    QCOMPARE(clicks.count(), 0);

    // Enter left to the screen: the dialog's default button takes it; the arrows still move.
    chain->setEnterMoves(false);
    QTest::keyClick(screen.fields[1], Qt::Key_Return);
    QCOMPARE(lastEnters.count(), 1);
    QCOMPARE(clicks.count(), 1);
    QTest::keyClick(screen.fields[1], Qt::Key_Up);
    QCOMPARE(QApplication::focusWidget(), screen.fields[0]);
}

void FieldRulesTest::chainWithDateField()
{
    // Enter in a date field holding a bad date: the chain moves on, the date rules bring the focus
    // back to the emptied field.
    test::ScriptedUi ui;
    Screen screen;
    new DateField(screen.fields[0], ui);
    new FieldChain({screen.fields[0], screen.fields[1]}, &screen.window);
    QVERIFY(screen.show());
    QVERIFY(Screen::focus(screen.fields[0]));

    QTest::keyClicks(screen.fields[0], QStringLiteral("251"));
    QTest::keyClick(screen.fields[0], Qt::Key_Return);
    settle();
    QCOMPARE(QApplication::focusWidget(), screen.fields[0]);
    QCOMPARE(screen.fields[0]->text(), QString());
    QCOMPARE(ui.beeps, 2);

    QTest::keyClicks(screen.fields[0], QStringLiteral("25122021"));
    QTest::keyClick(screen.fields[0], Qt::Key_Return);
    settle();
    QCOMPARE(QApplication::focusWidget(), screen.fields[1]);
    QCOMPARE(screen.fields[0]->text(), QStringLiteral("25/12/2021"));
    QCOMPARE(ui.beeps, 2);
}

int runFieldRulesTest(int argc, char** argv)
{
    FieldRulesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "FieldRulesTest.moc"
