#pragma once
// Dates of the entries and the open exercise: every entry starts on a day of the open year, and a date
// typed outside it is not taken silently.
#include <QString>

class QLineEdit;

namespace kv {
class Session;
}

namespace kv::kit {

/// The text "dd/mm/yyyy" of the day an entry starts with (Session::defaultDay).
QString defaultDayText(const Session& session);

/// The question asked about a date outside the open exercise.
QString outsideExerciseQuestion(const QString& date, int year);

/// The check of a date field when an entry is confirmed: a real day of another year than the open
/// exercise asks "La date ... n'est pas dans l'exercice ...  Enregistrer quand même ?" ("Non" by
/// default); "Non" gives the field the focus with its text selected and returns false. A date of the
/// exercise is remembered for the next entry's default (Session::noteDayUsed). A blank or incorrect
/// text passes: it is checkDateField's to refuse.
bool confirmExerciseDate(QLineEdit& field, Session& session);

} // namespace kv::kit
