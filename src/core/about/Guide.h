#pragma once
// The user guide: French pages on the daily tasks, shipped inside the program and read in a browser
// window with its contents, back and forward.
#include <QDialog>

class QTextBrowser;
class QToolButton;

namespace kv {

class Session;

class Guide : public QDialog {
    Q_OBJECT
public:
    /// Where the pages are: the contents page is index.html.
    static QString home();

    explicit Guide(Session& session, QWidget* parent = nullptr);

    QTextBrowser* browser() const { return browser_; }
    /// Shows a page of the guide by its file name ("caisse.html").
    void showPage(const QString& page);

private:
    QTextBrowser* browser_;
    QToolButton* back_;
    QToolButton* forward_;
};

} // namespace kv
