#pragma once
// What every search dialog leaves for its caller: `saisie` is "OK" when a row was chosen and "NON"
// otherwise (from the moment the dialog opens, and after any other way of closing it); on "OK" the
// exchange slots 1 to 3 hold the chosen row's number and two of its texts.
#include <QDialog>

namespace kv {

class Session;

class SearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchDialog(Session& session, QWidget* parent = nullptr);

protected:
    /// Leaves the chosen row in `saisie` and slots 1-3, and closes the dialog.
    void chooseRow(qint64 num, const QString& slot2, const QString& slot3);
    void done(int result) override;

private:
    Session& session_;
    bool chosen_ = false;
};

} // namespace kv
