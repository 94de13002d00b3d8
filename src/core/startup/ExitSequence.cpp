#include "ExitSequence.h"

#include "Startup.h"
#include "core/schema/Schema.h"
#include "core/state/Session.h"
#include "platform/db/FileOps.h"
#include "platform/db/RecordSet.h"
#include "platform/os/Files.h"

#include <QFile>
#include <QFileInfo>

namespace kv {

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
    if (s.workspace)
        s.workspace->close();

    if (s.exerciceOuvert == s.latestYear() && s.exerciceOuvert != 0) {
        const QString archives = os::ensureFolder(s.programDir(), QStringLiteral("Archives"));
        const QString target = os::resolve(archives, QStringLiteral("ZEB_") + QString::number(s.exerciceOuvert) + QStringLiteral(".mdb"));
        if (os::hasSpecialAttributes(target))
            os::clearAttributes(target);
        QString error;
        if (!db::copyFileAtomic(s.exercisePath(s.exerciceOuvert), target, &error))
            s.ui().message(error, ui::Icon::Critical, QStringLiteral("Z.E.B."));
    }

    if (s.displayChanged && restoreDisplay)
        restoreDisplay();

    if (s.signature1 != s.signatureRead1 || s.signature2 != s.signatureRead2) {
        QString error;
        if (!writeSignatureFile(s.programFile(QStringLiteral("Dir_Data.TXT")), s.signature1, s.signature2, &error))
            s.ui().message(error, ui::Icon::Critical, QStringLiteral("Z.E.B."));
    }
}

} // namespace kv
