#include "ServerStart.h"

#include "ConnectionFile.h"
#include "Connexion.h"
#include "core/state/Session.h"
#include "platform/db/ServerReach.h"
#include "platform/ui/ErrorLog.h"

namespace kv::connexion {

namespace {
const QString kTitle = QStringLiteral("Connexion");

bool sameServer(const db::ServerSettings& a, const db::ServerSettings& b)
{
    return a.host == b.host && a.port == b.port && a.database == b.database && a.user == b.user;
}
} // namespace

QString unreachableText(const QString& why)
{
    return why + QStringLiteral("\n\nOuvrir l'écran « Connexion » pour vérifier les paramètres du serveur ou choisir "
                                "le fichier local ?\n(Non : le programme s'arrête sans rien modifier.)");
}

void chooseEngine(Session& s)
{
    const ReadChoice read = readChoice(s.programFile(kChoiceFileName));
    if (!read.problem.isEmpty()) {
        ui::errorLog().write(read.problem);
        s.ui().message(read.problem, ui::Icon::Exclamation, kTitle);
    }
    Choice choice = read.choice;
    for (;;) {
        if (!choice.onServer) {
            s.server.reset();
            if (s.lockFolder && !s.lockFolder())
                throw ProgramEnd{1};
            return;
        }
        db::ServerSettings server = choice.server;
        // The password typed earlier in this run (the start-up runs again after an import) is kept.
        if (server.password.isEmpty() && s.server && sameServer(*s.server, server))
            server.password = s.server->password;
        // Tried first as it stands (a server may want no password, or find it in the password file);
        // the password is asked only when the server wants one, and again while it refuses the one given.
        db::ServerReach reach = db::reachServer(server);
        bool asked = false;
        while (reach.answer == db::ServerAnswer::PasswordNeeded || reach.answer == db::ServerAnswer::PasswordRefused) {
            ServerPassword question(server, asked || reach.answer == db::ServerAnswer::PasswordRefused ? reach.message : QString());
            if (s.ui().showModal(question) != QDialog::Accepted)
                throw ProgramEnd{0};
            asked = true;
            server.password = question.password();
            reach = db::reachServer(server);
        }
        const QString why = reach.message;
        if (reach.ok()) {
            s.server = server;
            return;
        }
        ui::errorLog().write(QStringLiteral("Connexion au serveur impossible au démarrage : ") + why);
        if (!s.ui().ask(unreachableText(why), ui::Icon::Exclamation, kTitle))
            throw ProgramEnd{0};
        Connexion screen(s, Connexion::Use::Now);
        if (s.ui().showModal(screen) == QDialog::Accepted)
            choice = screen.savedChoice();
        else
            choice.server.password = server.password; // tried again as it was
    }
}

} // namespace kv::connexion
