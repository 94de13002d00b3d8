#include "DataFolder.h"

#include "platform/db/FileOps.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace kv::datafolder {

namespace {

bool underSystemLocation(const QString& dir)
{
    const QString path = QFileInfo(dir).canonicalFilePath();
    for (const char* root : {"/usr/", "/opt/"})
        if (path.startsWith(QLatin1String(root)))
            return true;
    return false;
}

/// A real write test: permissions alone do not tell a read-only mount.
bool canWriteIn(const QString& dir)
{
    if (!QFileInfo(dir).isDir())
        return false;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".kavorel-probe-XXXXXX")));
    return probe.open();
}

} // namespace

bool programDirHoldsData(const QString& programDir)
{
    return !underSystemLocation(programDir) && canWriteIn(programDir);
}

QString userDataDir()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::home().filePath(QStringLiteral(".local/share"));
    return QDir(base).filePath(QStringLiteral("Kavorel"));
}

QStringList exerciseFilesIn(const QString& dir)
{
    static const QRegularExpression year(QStringLiteral("^ZEB_\\d+\\.MDB$"), QRegularExpression::CaseInsensitiveOption);
    QStringList names;
    for (const QString& name : QDir(dir).entryList({QStringLiteral("ZEB_*")}, QDir::Files, QDir::Name | QDir::IgnoreCase))
        if (year.match(name).hasMatch() && name.compare(QStringLiteral("ZEB_00.mdb"), Qt::CaseInsensitive) != 0)
            names << name;
    return names;
}

Choice prepare(const QString& programDir)
{
    if (programDirHoldsData(programDir))
        return prepareIn(programDir, programDir);
    Choice c = prepareIn(programDir, userDataDir());
    const QStringList years = exerciseFilesIn(programDir);
    if (c.error.isEmpty() && !years.isEmpty()) {
        // A firm's years in a folder the program may not write: never switch away from them in silence.
        const QString why = underSystemLocation(programDir)
                                ? QStringLiteral("ce dossier est un dossier d'installation du système, où le programme ne garde pas de données")
                                : QStringLiteral("ce dossier est en lecture seule pour vous");
        c.refuse = exerciseFilesIn(c.dataDir).isEmpty();
        c.notice = QStringLiteral("Les données de l'entreprise (%1) ont été trouvées dans le dossier du programme\n%2\n"
                                  "mais elles n'y sont pas utilisées : %3.\n")
                       .arg(years.join(QStringLiteral(", ")), QDir::toNativeSeparators(QDir(programDir).absolutePath()), why)
                   + (c.refuse ? QStringLiteral("Rendez ce dossier accessible en écriture, ou copiez-en les fichiers dans\n%1\n"
                                                "puis relancez le programme. Aucun fichier n'a été modifié.")
                                     .arg(QDir::toNativeSeparators(c.dataDir))
                               : QStringLiteral("Le programme travaille sur les exercices du dossier\n%1")
                                     .arg(QDir::toNativeSeparators(c.dataDir)));
    }
    return c;
}

Choice prepareIn(const QString& programDir, const QString& dataDir)
{
    Choice c;
    c.dataDir = dataDir;
    if (QFileInfo(dataDir).absoluteFilePath() == QFileInfo(programDir).absoluteFilePath())
        return c;
    if (!QDir().mkpath(c.dataDir)) {
        c.error = QStringLiteral("Le dossier des données %1 ne peut pas être créé.").arg(QDir::toNativeSeparators(c.dataDir));
        return c;
    }
    const QDir program(programDir);
    const QDir data(c.dataDir);
    QStringList refreshed = program.entryList({QStringLiteral("*.RPT"), QStringLiteral("*.rpt")}, QDir::Files);
    refreshed << QStringLiteral("ZEB_00.mdb");
    auto bring = [&](const QString& name, bool refresh) {
        const QFileInfo shipped(program.filePath(name));
        if (!shipped.isFile())
            return true;
        const QFileInfo local(data.filePath(name));
        if (local.exists() && (!refresh || local.lastModified() >= shipped.lastModified()))
            return true;
        QString error;
        if (!db::copyFileAtomic(shipped.filePath(), local.filePath(), &error)) {
            c.error = QStringLiteral("Le fichier %1 ne peut pas être copié dans le dossier des données %2 : %3")
                          .arg(name, QDir::toNativeSeparators(c.dataDir), error);
            return false;
        }
        // The copy carries the installed file's time, so that the next start sees it as current.
        QFile copy(local.filePath());
        if (copy.open(QIODevice::ReadWrite))
            copy.setFileTime(shipped.lastModified(), QFileDevice::FileModificationTime);
        c.copied << name;
        return true;
    };
    for (const QString& name : refreshed)
        if (!bring(name, true))
            return c;
    bring(QStringLiteral("system.mdw"), false);
    return c;
}

} // namespace kv::datafolder
