#pragma once
// Scripted stand-in for the ui seam: answers questions from a queue, records every message, beep,
// screen and report, and lets a test drive a modal screen by its object name.
#include "platform/ui/Ui.h"

#include <QDialog>
#include <QHash>
#include <QList>
#include <QStringList>
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
    QList<bool> answers;                      ///< Yes (true) / No for each question, in order; Yes when empty
    QHash<QString, QList<ScreenScript>> scripts; ///< per screen object name, consumed in order
    QStringList urlsFailing;                  ///< openUrl() reports failure for these
    QList<SaveAnswer> saveAnswers;            ///< one per save dialog, in order; cancelled when empty

    // What was shown.
    QList<ShownMessage> messages;
    int beeps = 0;
    QStringList screens;                      ///< object names of the screens shown, in order
    QStringList reports;                      ///< PDF files handed to the preview
    QStringList reportTitles;
    QStringList urls;
    QStringList defaultNoQuestions;            ///< texts of the questions asked with "Non" as their default
    QStringList saveDialogs;                  ///< "title: proposed path" of each save dialog shown

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
        return answers.isEmpty() ? true : answers.takeFirst();
    }
};

} // namespace kv::test
