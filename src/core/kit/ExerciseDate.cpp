#include "ExerciseDate.h"

#include "core/formats/Dates.h"
#include "core/state/Session.h"
#include "platform/db/Dates.h"

#include <QDate>
#include <QLineEdit>

namespace kv::kit {

QString defaultDayText(const Session& session) { return session.defaultDay().toString(db::kShownDateFormat); }

QString outsideExerciseQuestion(const QString& date, int year)
{
    return QStringLiteral("La date ") + date + QStringLiteral(" n'est pas dans l'exercice ") + QString::number(year)
         + QStringLiteral(".\nEnregistrer quand même ?");
}

bool confirmExerciseDate(QLineEdit& field, Session& session)
{
    const QString text = field.text().trimmed();
    if (!isValidDate(text))
        return true;
    const QDate day = QDate::fromString(text, db::kShownDateFormat);
    if (!day.isValid() || session.exerciceOuvert <= 0 || day.year() == session.exerciceOuvert) {
        session.noteDayUsed(day);
        return true;
    }
    if (session.ui().askDefaultNo(outsideExerciseQuestion(text, session.exerciceOuvert), ui::Icon::Exclamation,
                                  QStringLiteral("Confirmation")))
        return true;
    field.setFocus(Qt::OtherFocusReason);
    field.selectAll();
    return false;
}

} // namespace kv::kit
