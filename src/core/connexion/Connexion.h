#pragma once
// The "Connexion" screen ("Fichiers" > "Paramétrages" > "Connexion", and at start-up when the server
// cannot be reached or from the first-exercise dialog): this desk works on its local year files or on
// the firm's PostgreSQL server. The choice is written beside ZEB.CFG (ConnectionFile.h); the password
// only into libpq's password file, when the user asks that it be remembered.
#include "ConnectionFile.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSpinBox;
class QToolButton;

namespace kv {

class Session;

class Connexion : public QDialog {
    Q_OBJECT
public:
    /// From the menu the change takes effect at the next start; at start-up the caller uses it at once.
    enum class Use { NextStart, Now };

    explicit Connexion(Session& session, Use use = Use::NextStart, QWidget* parent = nullptr);

    QRadioButton* localChoice() const { return local_; }
    QRadioButton* serverChoice() const { return server_; }
    QLineEdit* hostField() const { return host_; }
    QSpinBox* portField() const { return port_; }
    QLineEdit* databaseField() const { return database_; }
    QLineEdit* userField() const { return user_; }
    QLineEdit* passwordField() const { return password_; }
    QCheckBox* rememberBox() const { return remember_; }
    QToolButton* testButton() const { return test_; }
    QToolButton* okButton() const { return ok_; }
    QLabel* testResult() const { return result_; }

    /// The choice as typed; its server settings carry the password typed (in memory only), and the
    /// program's password file when one is remembered or to be.
    connexion::Choice typedChoice() const;
    /// "Tester la connexion": tries the server typed; true when it answers. The result is shown.
    bool testConnection();
    /// OK: checks the fields, writes the choice (and the password when it is to be remembered); false,
    /// with the message, when something is missing or cannot be written.
    bool save();
    /// The choice saved by OK (with the password typed, in memory).
    const connexion::Choice& savedChoice() const { return saved_; }

private:
    void confirm();
    void showEngine();
    QString passFilePath() const;

    Session& s_;
    Use use_;
    QRadioButton* local_;
    QRadioButton* server_;
    QWidget* serverFields_;
    QLineEdit* host_;
    QSpinBox* port_;
    QLineEdit* database_;
    QLineEdit* user_;
    QLineEdit* password_;
    QCheckBox* remember_;
    QToolButton* test_;
    QToolButton* ok_;
    QLabel* result_;
    connexion::Choice saved_;
};

/// The question for the server's password at start-up, when the server wants one and none is
/// remembered, or when the one given was refused (`refusal` then says so above the field).
class ServerPassword : public QDialog {
    Q_OBJECT
public:
    explicit ServerPassword(const db::ServerSettings& server, const QString& refusal = {}, QWidget* parent = nullptr);
    QLineEdit* passwordField() const { return password_; }
    /// The refusal shown; hidden when empty.
    QLabel* refusalText() const { return refusal_; }
    QString password() const;

private:
    QLineEdit* password_;
    QLabel* refusal_;
};

} // namespace kv
