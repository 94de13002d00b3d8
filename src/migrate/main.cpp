// kavorel-migrate: moves a firm's exercise years between the data folder's year files and the firm's
// PostgreSQL server, each year checked row for row.
#include "migrate/Folder.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavorel-migrate"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Copie les exercices d'un dossier de données vers le serveur PostgreSQL de l'entreprise (un schéma zeb_<année> "
        "par exercice), ou du serveur vers des fichiers ZEB_<année>.MDB, avec l'état des exercices. Chaque exercice "
        "copié est comparé ligne à ligne à l'original avant d'être gardé."));
    parser.addHelpOption();
    const QCommandLineOption folder({QStringLiteral("f"), QStringLiteral("folder")},
                                    QStringLiteral("Dossier des données (ZEB.CFG, ZEB_<année>.MDB)."), QStringLiteral("dossier"));
    const QCommandLineOption toServer(QStringLiteral("to-server"),
                                      QStringLiteral("Copier les fichiers vers le serveur : \"host=… port=… dbname=… user=…\" "
                                                     "(mot de passe : fichier de mots de passe de PostgreSQL ou PGPASSWORD)."),
                                      QStringLiteral("connexion"));
    const QCommandLineOption toFile(QStringLiteral("to-file"), QStringLiteral("Copier les exercices du serveur vers des fichiers."),
                                    QStringLiteral("connexion"));
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QStringLiteral("Remplacer un exercice déjà présent (fichier ou schéma)."));
    parser.addOptions({folder, toServer, toFile, replace});
    parser.process(app);

    if (parser.isSet(toServer) == parser.isSet(toFile) || !parser.isSet(folder)) {
        std::fprintf(stderr, "kavorel-migrate : indiquez --folder DOSSIER et soit --to-server, soit --to-file \"host=… dbname=… user=…\".\n");
        return 2;
    }
    kv::migrate::Move move;
    move.folder = QDir(parser.value(folder)).absolutePath();
    move.replace = parser.isSet(replace);
    move.say = [](const QString& line) { std::printf("%s\n", qPrintable(line)); std::fflush(stdout); };
    if (!QDir(move.folder).exists()) {
        std::fprintf(stderr, "kavorel-migrate : le dossier %s n'existe pas.\n", qPrintable(QDir::toNativeSeparators(move.folder)));
        return 2;
    }
    QString error;
    if (!kv::migrate::parseConnection(parser.value(parser.isSet(toServer) ? toServer : toFile), &move.server, &error)) {
        std::fprintf(stderr, "kavorel-migrate : %s\n", qPrintable(error));
        return 2;
    }
    const bool ok = parser.isSet(toServer) ? kv::migrate::toServer(move) : kv::migrate::toFiles(move);
    std::printf("%s\n", ok ? "Terminé : tout est copié et vérifié." : "Échec : voir ci-dessus ; ce qui n'a pas été vérifié n'est pas gardé.");
    return ok ? 0 : 1;
}
