#include "ExitSequence.h"

#include "Startup.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/FileOps.h"
#include "platform/db/RecordSet.h"
#include "platform/os/Files.h"

#include "core/passwords/Form_v2.h"
#include "platform/ui/ErrorLog.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace kv {

QString exitCopyRefusedText(int year, const QString& why)
{
    return QStringLiteral("L'exercice %1 (ZEB_%1.MDB) est endommagé : %2\n"
                          "Sa copie de sortie n'a pas été faite : la copie précédente Archives\\ZEB_%1.mdb est gardée telle quelle.\n"
                          "Réparez l'exercice (Fichiers / Réparer une base).")
        .arg(year)
        .arg(why);
}

QString exitCopyKeptName(int year, const QDateTime& when)
{
    return QStringLiteral("ZEB_%1_copie_de_sortie_%2.mdb").arg(year).arg(when.toString(QStringLiteral("yyyyMMdd_HHmmss")));
}

void ExitSequence::copyToArchives(Session& s)
{
    const QString source = s.exercisePath(s.exerciceOuvert);
    const QString archives = os::ensureFolder(s.programDir(), QStringLiteral("Archives"));
    const QString target = os::resolve(archives, QStringLiteral("ZEB_") + QString::number(s.exerciceOuvert) + QStringLiteral(".mdb"));
    // The copy replaces the one a sound year left at the last exit: only a year that reads through
    // (every page, every index) may take its place.
    QString why;
    bool repaired = false;
    if (!db::checkDatabaseFile(source, &why)) {
        ui::errorLog().write(QStringLiteral("Copie de sortie refusée, exercice %1 : %2").arg(s.exerciceOuvert).arg(why));
        s.ui().message(exitCopyRefusedText(s.exerciceOuvert, why), ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
        if (!s.repairYear || !s.ui().ask(repairOfferText(s.exerciceOuvert).section(u'\n', 0, 1), ui::Icon::Question, QStringLiteral("Z.E.B."))
            || !checkLevel2(s))
            return;
        repaired = s.repairYear(QFileInfo(source).fileName());
        s.fermer_exercice();
        if (!repaired || !db::checkDatabaseFile(source, &why))
            return;
    }
    if (os::hasSpecialAttributes(target))
        os::clearAttributes(target);
    QString error;
    // A repair may have given back fewer rows than the damaged year held: the copy it replaces is kept
    // under a dated name.
    if (repaired && QFileInfo(target).isFile()
        && !db::copyFileAtomic(target, os::resolve(archives, exitCopyKeptName(s.exerciceOuvert, QDateTime::currentDateTime())), &error)) {
        s.ui().message(error, ui::Icon::Critical, QStringLiteral("Z.E.B."));
        return;
    }
    if (!db::copyFileAtomic(source, target, &error))
        s.ui().message(error, ui::Icon::Critical, QStringLiteral("Z.E.B."));
}

void ExitSequence::run(Session& s)
{
    if (s.isOpen()) {
        try {
            db::RecordSet permn(s.db(), schema::Permn);
            if (permn.recordCount() > 0) {
                permn.edit();
                permn.setField(QStringLiteral("arabe"), 1);
                permn.update();
            }
        } catch (const db::Error& e) {
            s.ui().message(e.message(), ui::Icon::Critical, QStringLiteral("Z.E.B."));
        }
    }
    s.fermer_exercice();

    // The exit copy is of the desk's own year file; a year on the server has none here.
    if (!s.server && s.exerciceOuvert == s.latestYear() && s.exerciceOuvert != 0)
        copyToArchives(s);
    if (s.workspace)
        s.workspace->close();

    if (s.displayChanged && restoreDisplay)
        restoreDisplay();

    if (s.signature1 != s.signatureRead1 || s.signature2 != s.signatureRead2) {
        QString error;
        if (!writeSignatureFile(s.programFile(QStringLiteral("Dir_Data.TXT")), s.signature1, s.signature2, &error))
            s.ui().message(error, ui::Icon::Critical, QStringLiteral("Z.E.B."));
    }
}

} // namespace kv
