#pragma once
// The first-exercise dialog: asks for the year of the first exercise on a first run.
#include <QDialog>

class QLineEdit;
class QToolButton;

namespace kv {

class Session;

class Form12 : public QDialog {
    Q_OBJECT
public:
    /// The result when the user chose another connection ("Connexion…"): the start-up takes it and
    /// reads the exercises where it now points.
    static constexpr int kConnectionChanged = 2;

    explicit Form12(Session& session, QWidget* parent = nullptr);

    QLineEdit* yearField() const { return year_; }
    QToolButton* okButton() const { return ok_; }
    QToolButton* quitButton() const { return quit_; }
    QToolButton* connectionButton() const { return connection_; }

    /// OK: a year above 1993 becomes the first exercise; otherwise "Saisie  incorrecte".
    void confirm();
    /// "Connexion…": a desk joining a firm's server chooses it here, before any year is made.
    void chooseConnection();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Session& s_;
    QLineEdit* year_;
    QToolButton* ok_;
    QToolButton* quit_;
    QToolButton* connection_;
};

} // namespace kv
