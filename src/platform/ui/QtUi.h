#pragma once
#include "Ui.h"
#include <functional>

namespace kv::ui {

/// The production seam: real message boxes, QApplication::beep, exec() and the report preview window.
class QtUi : public Ui {
public:
    using ReportViewer = std::function<void(const QString& pdfPath, const QString& title)>;
    /// The report preview lives in the reports library; the application hands it in.
    void setReportViewer(ReportViewer viewer) { viewer_ = std::move(viewer); }

    void beep() override;
    int showModal(QDialog& screen) override;
    void showReport(const QString& pdfPath, const QString& title) override;
    bool openUrl(const QString& url) override;
    QString chooseSaveFile(const QString& title, const QString& proposedPath, const QString& filters,
                           QString* chosenFilter) override;

protected:
    void showMessage(const QString& text, Icon icon, const QString& title) override;
    bool askQuestion(const QString& text, Icon icon, const QString& title) override;

private:
    ReportViewer viewer_;
};

} // namespace kv::ui
