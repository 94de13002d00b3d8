#pragma once
// A ui with no windows, for the programs that run the engine without a screen (the demo generator, the
// benchmark): messages are kept, questions get one fixed answer, screens and reports are not shown.
#include "Ui.h"

#include <QStringList>

namespace kv::ui {

class SilentUi : public Ui {
public:
    explicit SilentUi(bool answer) : answer_(answer) {}

    void beep() override {}
    int showModal(QDialog&) override { return 0; }
    void showReport(const QString&, const QString&) override {}
    bool openUrl(const QString&) override { return false; }
    QString chooseSaveFile(const QString&, const QString&, const QString&, QString*) override { return QString(); }

    /// Every message and question, "title: text" when there is a title.
    QStringList messages;

protected:
    void showMessage(const QString& text, Icon, const QString& title) override
    {
        messages << (title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    }
    bool askQuestion(const QString& text, Icon, const QString&) override
    {
        messages << text;
        return answer_;
    }

private:
    bool answer_;
};

} // namespace kv::ui
