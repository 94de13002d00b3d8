#include "Repair.h"

#include "exercise/closing/Closing.h"
#include "core/state/Session.h"

#include <QDir>

namespace kv::exercise {

QStringList exerciseFiles(const QString& programDir)
{
    QDir dir(programDir);
    dir.setNameFilters({QStringLiteral("ZEB_2*.MDB")});
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase);
    return dir.entryList();
}

bool repairExerciseFile(Session& s, const QString& fileName, FileOps& files)
{
    s.fermer_exercice();
    const QString path = QDir(s.programDir()).filePath(fileName.trimmed());
    QString error;
    bool repaired = false;
    {
        BusyPointer busy;
        repaired = files.repairAndCompact(path, s.programFile(kCompactWorkFile), &error);
    }
    if (repaired)
        s.ui().message(QStringLiteral("Base de données réparée avec succès"), ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
    else
        s.ui().message(errorText(QStringLiteral("Erreur N° "), {error::Repair, error}), ui::Icon::Exclamation,
                       QStringLiteral("Z.E.B."));
    s.ouvrir_exercice();
    return repaired;
}

} // namespace kv::exercise
