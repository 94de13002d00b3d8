#include "Viewing.h"

#include "Form8.h"
#include "exercise/common/ExerciseFiles.h"
#include "core/schema/Schema.h"
#include "core/schema/WorkingYear.h"
#include "core/startup/Recovery.h"
#include "core/state/Session.h"

#include <QFile>
#include <QFileInfo>

namespace kv::exercise {

QStringList exerciseYears(const Session& s)
{
    QStringList years;
    for (int year = s.premierExercice; year <= s.latestYear(); ++year)
        years << QString::number(year);
    return years;
}

bool severalExercises(Session& s)
{
    if (s.nbClotures > 0)
        return true;
    s.ui().message(QStringLiteral("Un seul exercice rencontré"), ui::Icon::Exclamation, QStringLiteral("Rappel"));
    return false;
}

namespace {

/// On the firm's server: why the year cannot be opened (its schema missing, or not a sound year); empty
/// when it can. Only read.
QString serverYearFault(const Session& s, int year)
{
    try {
        db::Database probe;
        probe.openServer(*s.server, db::exerciseSchema(year), db::Database::Mode::ReadOnly);
        for (const QString& table : schema::standingTables)
            probe.query(QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(db::Database::identifier(table)));
        return {};
    } catch (const db::Error& e) {
        return e.message();
    }
}

} // namespace

bool openExerciseYear(Session& s, int year)
{
    if (s.server) {
        const QString why = serverYearFault(s, year);
        if (!why.isEmpty()) {
            s.ui().message(QStringLiteral("L'exercice ") + QString::number(year)
                               + QStringLiteral(" du serveur ne peut pas être ouvert\n") + why,
                           ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
            return false;
        }
        s.fermer_exercice();
        s.exerciceOuvert = year;
        s.ouvrir_exercice();
        return true;
    }
    const QString path = s.exercisePath(year);
    if (!QFileInfo(path).isFile()) {
        s.ui().refuse(QStringLiteral("Fichier ") + path + QStringLiteral(" absent"), ui::Icon::Information);
        return false;
    }
    // A damaged file of an earlier year must not end the program: it is refused before the switch,
    // and the repair screen can mend it.
    // A copy of it is checked as start-up would open it, so that the file is not written before then.
    const QString scratch = s.programFile(recovery::kCompactWorkFile);
    const QString why = schema::workingYearFaultOfCopy(path, scratch);
    QFile::remove(scratch);
    if (!why.isEmpty()) {
        s.ui().message(QStringLiteral("La base de données semble endommagée\n") + path + u'\n' + why,
                       ui::Icon::Exclamation, QStringLiteral("Z.E.B."));
        return false;
    }
    s.fermer_exercice();
    s.exerciceOuvert = year;
    s.ouvrir_exercice();
    return true;
}

bool viewAnotherExercise(Session& s, const std::function<void()>& refreshMainWindow)
{
    if (!severalExercises(s))
        return false;
    const bool wasLatest = s.dernierExercice;
    Form8 dialog(s);
    s.ui().showModal(dialog);
    if (s.dialogValue != 1)
        return false;
    const int year = dialog.chosenYear().toInt();
    if (!openExerciseYear(s, year)) {
        s.dernierExercice = wasLatest;
        return false;
    }
    s.dernierExercice = year == s.latestYear();
    if (refreshMainWindow)
        refreshMainWindow();
    s.ui().message(inPlaceText(s.exerciceOuvert), ui::Icon::Information, QStringLiteral("Z.E.B."));
    return true;
}

} // namespace kv::exercise
