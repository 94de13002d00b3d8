#pragma once
// Viewing another exercise: the years that can be opened, the reminder when there is only one, and the
// change of the open exercise.
#include <QStringList>
#include <functional>

namespace kv {
class Session;
}

namespace kv::exercise {

/// The years from the first exercise to the latest, as plain digits.
QStringList exerciseYears(const Session& session);

/// False, after "Un seul exercice rencontré", when no closing has been made.
bool severalExercises(Session& session);

/// Opens `year` in place of the open exercise. A year whose file is missing or is not a sound exercise
/// database is refused with a message, and the open exercise stays open. True when the year is open.
bool openExerciseYear(Session& session, int year);

/// "&Voir un autre exercice" once the password has been given: the reminder when there is one exercise
/// only, the selection dialog Form8, the change of exercise, `refreshMainWindow` (the main window's
/// menus and header), then "Exercice … en place". True when another year was opened.
bool viewAnotherExercise(Session& session, const std::function<void()>& refreshMainWindow = {});

} // namespace kv::exercise
