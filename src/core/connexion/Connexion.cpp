#include "Connexion.h"

#include "core/kit/ScreenKit.h"
#include "core/state/Session.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

namespace kv {

namespace {
const QString kTitle = QStringLiteral("Connexion");

/// A field of the form, named for screen readers by its label's text.
template <typename Field>
Field* addField(QFormLayout* form, const QString& label, Field* field, const QString& objectName)
{
    field->setObjectName(objectName);
    field->setAccessibleName(label);
    form->addRow(label, field);
    return field;
}
} // namespace

Connexion::Connexion(Session& session, Use use, QWidget* parent) : QDialog(parent), s_(session), use_(use)
{
    setObjectName(QStringLiteral("Connexion"));
    setWindowTitle(kTitle);
    setModal(true);

    const connexion::ReadChoice read = connexion::readChoice(s_.programFile(connexion::kChoiceFileName));
    const connexion::Choice& current = read.choice;

    auto* heading = kit::panelHeading(QStringLiteral("Où ce poste trouve-t-il les exercices ?"), this);
    local_ = new QRadioButton(QStringLiteral("Fichier local (SQLite)"), this);
    local_->setObjectName(QStringLiteral("fichierLocal"));
    local_->setAccessibleName(local_->text());
    server_ = new QRadioButton(QStringLiteral("Serveur PostgreSQL"), this);
    server_->setObjectName(QStringLiteral("serveurPostgreSQL"));
    server_->setAccessibleName(server_->text());
    auto* engines = new QButtonGroup(this);
    engines->addButton(local_);
    engines->addButton(server_);
    auto* localNote = new QLabel(QStringLiteral("Les exercices sont les fichiers ZEB_<année>.MDB du dossier des données de ce poste : "
                                                "un seul poste y travaille."),
                                 this);
    localNote->setWordWrap(true);
    localNote->setIndent(24);

    serverFields_ = new QWidget(this);
    auto* form = new QFormLayout(serverFields_);
    form->setContentsMargins(24, 0, 0, 0);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    host_ = addField(form, QStringLiteral("Serveur"), new QLineEdit(current.server.host, this), QStringLiteral("hote"));
    host_->setToolTip(QStringLiteral("Nom ou adresse du serveur PostgreSQL de l'entreprise"));
    port_ = addField(form, QStringLiteral("Port"), new QSpinBox(this), QStringLiteral("port"));
    port_->setRange(1, 65535);
    port_->setValue(current.server.port);
    port_->setMaximumWidth(110);
    database_ = addField(form, QStringLiteral("Base de données"), new QLineEdit(current.server.database, this), QStringLiteral("base"));
    user_ = addField(form, QStringLiteral("Utilisateur"), new QLineEdit(current.server.user, this), QStringLiteral("utilisateur"));
    password_ = addField(form, QStringLiteral("Mot de passe"), new QLineEdit(this), QStringLiteral("motDePasse"));
    password_->setEchoMode(QLineEdit::Password);
    const bool remembered = current.onServer && connexion::passwordRemembered(current.server);
    if (remembered)
        password_->setPlaceholderText(QStringLiteral("retenu sur ce poste"));
    remember_ = new QCheckBox(QStringLiteral("Retenir le mot de passe sur ce poste"), this);
    remember_->setObjectName(QStringLiteral("retenir"));
    remember_->setAccessibleName(remember_->text());
    remember_->setToolTip(QStringLiteral("Le mot de passe est gardé dans le fichier de mots de passe de PostgreSQL "
                                         "(lisible par vous seul), jamais dans le fichier de connexion"));
    remember_->setChecked(remembered);
    form->addRow(QString(), remember_);
    test_ = kit::commandButton(this, kit::Glyph::Search, QStringLiteral("Tester la connexion"), QStringLiteral("tester"),
                               QKeySequence(Qt::ALT | Qt::Key_T));
    connect(test_, &QToolButton::clicked, this, [this] { testConnection(); });
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("resultat"));
    result_->setWordWrap(true);
    form->addRow(test_, result_);

    auto* note = new QLabel(use_ == Use::NextStart
                                ? QStringLiteral("Le changement prend effet au prochain démarrage du programme.")
                                : QStringLiteral("La connexion choisie est utilisée dès maintenant."),
                            this);
    note->setObjectName(QStringLiteral("note"));
    note->setWordWrap(true);

    auto* bar = new kit::CommandBar(this);
    bar->addStretch();
    ok_ = bar->add(kit::Command::Confirm, QStringLiteral("ok"), this, &Connexion::confirm, QStringLiteral("OK"));
    bar->add(kit::Command::Cancel, QStringLiteral("annuler"), static_cast<QDialog*>(this), &QDialog::reject);
    kit::setDefaultCommand(*this, ok_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(kTitle, this));
    layout->addWidget(heading);
    layout->addWidget(local_);
    layout->addWidget(localNote);
    layout->addWidget(server_);
    layout->addWidget(serverFields_);
    layout->addWidget(note);
    layout->addStretch();
    layout->addWidget(bar);

    (current.onServer ? server_ : local_)->setChecked(true);
    connect(local_, &QRadioButton::toggled, this, &Connexion::showEngine);
    showEngine();
    kit::sizeScreen(*this, QSize(620, 470));
}

void Connexion::showEngine()
{
    serverFields_->setEnabled(server_->isChecked());
    result_->clear();
}

QString Connexion::passFilePath() const
{
    const connexion::ReadChoice read = connexion::readChoice(s_.programFile(connexion::kChoiceFileName));
    if (read.choice.onServer && !read.choice.server.passFile.isEmpty())
        return read.choice.server.passFile;
    return s_.programDir() + u'/' + connexion::kPassFileName;
}

connexion::Choice Connexion::typedChoice() const
{
    connexion::Choice choice;
    choice.onServer = server_->isChecked();
    if (!choice.onServer)
        return choice;
    choice.server.host = host_->text().trimmed();
    choice.server.port = port_->value();
    choice.server.database = database_->text().trimmed();
    choice.server.user = user_->text().trimmed();
    choice.server.password = password_->text();
    if (remember_->isChecked())
        choice.server.passFile = passFilePath();
    return choice;
}

bool Connexion::testConnection()
{
    connexion::Choice choice = typedChoice();
    if (!choice.onServer)
        return false;
    // The server this run works on is tested with the password typed at start-up, unless another is typed.
    const db::ServerSettings& typed = choice.server;
    if (typed.password.isEmpty() && s_.server && s_.server->host == typed.host && s_.server->port == typed.port
        && s_.server->database == typed.database && s_.server->user == typed.user)
        choice.server.password = s_.server->password;
    QString why;
    if (!db::testServerConnection(choice.server, &why)) {
        result_->setText(why);
        s_.ui().message(why, ui::Icon::Exclamation, kTitle);
        return false;
    }
    const QString done = QStringLiteral("Connexion réussie : le serveur %1 répond.").arg(choice.server.host);
    result_->setText(done);
    s_.ui().message(done, ui::Icon::Information, kTitle);
    return true;
}

bool Connexion::save()
{
    const QString path = s_.programFile(connexion::kChoiceFileName);
    const connexion::ReadChoice before = connexion::readChoice(path);
    connexion::Choice choice = typedChoice();
    QString error;
    if (choice.onServer) {
        db::ServerSettings& server = choice.server;
        if (server.host.isEmpty() || server.database.isEmpty() || server.user.isEmpty()) {
            s_.ui().refuse(QStringLiteral("Indiquez le serveur, la base de données et l'utilisateur."));
            (server.host.isEmpty() ? host_ : server.database.isEmpty() ? database_ : user_)->setFocus();
            return false;
        }
        if (remember_->isChecked()) {
            if (server.password.isEmpty() && !connexion::passwordRemembered(server)) {
                s_.ui().refuse(QStringLiteral("Tapez le mot de passe à retenir."));
                password_->setFocus();
                return false;
            }
            if (!server.password.isEmpty() && !connexion::rememberServerPassword(server, &error)) {
                s_.ui().refuse(error);
                return false;
            }
        } else if (before.choice.onServer && !before.choice.server.passFile.isEmpty()) {
            // No longer remembered: the password of these settings leaves the password file.
            db::ServerSettings forget = server;
            forget.passFile = before.choice.server.passFile;
            forget.password.clear();
            if (connexion::passwordRemembered(forget) && !connexion::rememberServerPassword(forget, &error)) {
                s_.ui().refuse(error);
                return false;
            }
        }
    }
    if (!connexion::writeChoice(path, choice, &error)) {
        s_.ui().refuse(error);
        return false;
    }
    saved_ = choice;
    // From the menu, a choice other than the one this run works on waits for the next start.
    const bool sameAsNow = choice.onServer ? s_.server && s_.server->host == choice.server.host && s_.server->port == choice.server.port &&
                                                 s_.server->database == choice.server.database && s_.server->user == choice.server.user
                                           : !s_.server;
    if (use_ == Use::NextStart && !sameAsNow)
        s_.ui().message(QStringLiteral("La connexion choisie sera utilisée au prochain démarrage du programme."),
                        ui::Icon::Information, kTitle);
    return true;
}

void Connexion::confirm()
{
    if (save())
        accept();
}

ServerPassword::ServerPassword(const db::ServerSettings& server, const QString& refusal, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ServerPassword"));
    setWindowTitle(kTitle);
    setModal(true);
    auto* where = new QLabel(QStringLiteral("Serveur %1:%2, base « %3 », utilisateur « %4 »")
                                 .arg(server.host)
                                 .arg(server.port)
                                 .arg(server.database, server.user),
                             this);
    where->setWordWrap(true);
    refusal_ = new QLabel(refusal, this);
    refusal_->setObjectName(QStringLiteral("refus"));
    refusal_->setWordWrap(true);
    refusal_->setTextFormat(Qt::PlainText);
    refusal_->setStyleSheet(QStringLiteral("color: #a00000;"));
    refusal_->setVisible(!refusal.isEmpty());
    auto* form = new QFormLayout;
    password_ = addField(form, QStringLiteral("Mot de passe"), new QLineEdit(this), QStringLiteral("motDePasse"));
    password_->setEchoMode(QLineEdit::Password);
    auto* bar = new kit::CommandBar(this);
    bar->addStretch();
    QToolButton* ok = bar->add(kit::Command::Confirm, QStringLiteral("ok"), static_cast<QDialog*>(this), &QDialog::accept,
                               QStringLiteral("OK"));
    bar->add(kit::Command::Quit, QStringLiteral("quitter"), static_cast<QDialog*>(this), &QDialog::reject);
    kit::setDefaultCommand(*this, ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(kit::titleBand(QStringLiteral("Mot de passe du serveur"), this));
    layout->addWidget(where);
    layout->addWidget(refusal_);
    layout->addLayout(form);
    layout->addStretch();
    layout->addWidget(bar);
    password_->setFocus();
    kit::sizeScreen(*this, QSize(460, refusal.isEmpty() ? 200 : 280));
}

QString ServerPassword::password() const { return password_->text(); }

} // namespace kv
