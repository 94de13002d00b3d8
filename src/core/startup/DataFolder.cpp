#include "DataFolder.h"

#include "platform/db/FileOps.h"

#include <QDir>
#include <QFileInfo>
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

Choice prepare(const QString& programDir)
{
    return prepareIn(programDir, programDirHoldsData(programDir) ? programDir : userDataDir());
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
