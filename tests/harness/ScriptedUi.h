#pragma once
// Scripted stand-in for the ui seam: answers questions from a queue, records every message, beep,
// screen and report, and lets a test drive a modal screen by its object name.
//
// It is strict: the running test fails when the scripted ui goes (or check() is called) with answers or
// screen scripts left unused, or after a question was asked with no answer scripted (the question is
// still answered Yes so that the test runs on, and named in the failure). A test that cannot know its
// questions (a crash run, a fuzz target) says so with yesToEverything.
#include "platform/ui/Ui.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QStringList>
#include <QTest>
#include <functional>

namespace kv::test {

/// The answer to a save dialog: the path chosen (empty: cancelled) and the filter chosen (empty: the one
/// the dialog selected at first).
struct SaveAnswer {
    QString path;
    QString filter;
};

struct ShownMessage {
    QString text;
    ui::Icon icon = ui::Icon::NoIcon;
    QString title;
    bool question = false;
    bool operator==(const ShownMessage&) const = default;
};

class ScriptedUi : public ui::Ui {
public:
    using ScreenScript = std::function<int(QDialog&)>;

    // What the test scripts.
    QList<bool> answers;                      ///< Yes (true) / No for each question, in order
    QHash<QString, QList<ScreenScript>> scripts; ///< per screen object name, consumed in order
    QStringList urlsFailing;                  ///< openUrl() reports failure for these
    QList<SaveAnswer> saveAnswers;            ///< one per save dialog, in order; cancelled when empty
    bool yesToEverything = false;             ///< a question with no answer scripted gets Yes, and no failure

    // What was shown.
    QList<ShownMessage> messages;
    int beeps = 0;
    QStringList screens;                      ///< object names of the screens shown, in order
    QStringList reports;                      ///< PDF files handed to the preview
    QStringList reportTitles;
    QStringList urls;
    QStringList defaultNoQuestions;            ///< texts of the questions asked with "Non" as their default
    QStringList saveDialogs;                  ///< "title: proposed path" of each save dialog shown
    QStringList unscripted;                    ///< texts of the questions asked with no answer scripted

    ScriptedUi() = default;
    ScriptedUi(const ScriptedUi&) = delete;
    ScriptedUi& operator=(const ScriptedUi&) = delete;
    ~ScriptedUi() override { check(); }

    /// Adds a script for the next showing of the named screen.
    void onScreen(const QString& name, ScreenScript script) { scripts[name].append(std::move(script)); }

    void beep() override { ++beeps; }
    int showModal(QDialog& screen) override
    {
        screens << screen.objectName();
        ui::prepareScreen(screen); // as the real seam does before showing it
        auto it = scripts.find(screen.objectName());
        if (it == scripts.end() || it->isEmpty())
            return QDialog::Rejected;
        ScreenScript script = it->takeFirst();
        return script(screen);
    }
    void showReport(const QString& pdfPath, const QString& title) override
    {
        reports << pdfPath;
        reportTitles << title;
    }
    bool openUrl(const QString& url) override
    {
        urls << url;
        return !urlsFailing.contains(url);
    }

    QString chooseSaveFile(const QString& title, const QString& proposedPath, const QString&,
                           QString* chosenFilter) override
    {
        saveDialogs << title + QStringLiteral(": ") + proposedPath;
        if (saveAnswers.isEmpty())
            return QString();
        const SaveAnswer answer = saveAnswers.takeFirst();
        if (chosenFilter && !answer.filter.isEmpty())
            *chosenFilter = answer.filter;
        return answer.path;
    }

    /// The last message shown, or an empty one.
    ShownMessage last() const { return messages.isEmpty() ? ShownMessage{} : messages.last(); }
    void clear()
    {
        messages.clear();
        beeps = 0;
        screens.clear();
        reports.clear();
        reportTitles.clear();
        urls.clear();
        defaultNoQuestions.clear();
        saveDialogs.clear();
    }

    /// Checks the script (check()) and starts afresh: nothing scripted, nothing shown.
    void reset()
    {
        check();
        clear();
        urlsFailing.clear();
        yesToEverything = false;
    }

    /// What the script left over: the answers and screen scripts never used, and the questions asked
    /// with nothing scripted, one line each; empty when the script was followed exactly.
    QStringList leftOver() const
    {
        QStringList left;
        if (!answers.isEmpty()) {
            QStringList words;
            for (bool yes : answers)
                words << (yes ? QStringLiteral("Oui") : QStringLiteral("Non"));
            left << QStringLiteral("%1 answer(s) never asked for: %2").arg(answers.size()).arg(words.join(u", "));
        }
        QStringList names = scripts.keys();
        names.sort();
        for (const QString& name : names)
            if (!scripts.value(name).isEmpty())
                left << QStringLiteral("%1 script(s) of screen \"%2\" never used (the screen was not shown)")
                            .arg(scripts.value(name).size())
                            .arg(name);
        if (!saveAnswers.isEmpty())
            left << QStringLiteral("%1 save dialog answer(s) never used").arg(saveAnswers.size());
        for (const QString& text : unscripted)
            left << QStringLiteral("question asked with no answer scripted: \"%1\"").arg(text);
        return left;
    }

    /// Fails the running test when something is left over (unless it has failed already: a test that
    /// stopped early leaves its script), then forgets the leftovers so that they are reported once.
    void check()
    {
        const QStringList left = leftOver();
        answers.clear();
        scripts.clear();
        unscripted.clear();
        if (left.isEmpty() || !QTest::currentTestFunction() || QTest::currentTestFailed())
            return;
        QTest::qFail(qPrintable(QStringLiteral("the scripted ui was not followed exactly:\n    ") + left.join(QStringLiteral("\n    "))),
                     __FILE__, __LINE__);
    }

protected:
    void showMessage(const QString& text, ui::Icon icon, const QString& title) override
    {
        messages << ShownMessage{text, icon, title, false};
    }
    bool askQuestion(const QString& text, ui::Icon icon, const QString& title) override
    {
        messages << ShownMessage{text, icon, title, true};
        if (noByDefault())
            defaultNoQuestions << text;
        if (!answers.isEmpty())
            return answers.takeFirst();
        if (!yesToEverything)
            unscripted << text;
        return true;
    }
};

} // namespace kv::test
