#pragma once
// Dates are stored as ISO text "yyyy-MM-dd" (they sort and compare as dates); screens type and show
// "dd/mm/yyyy". These two functions are the only conversions between the two forms.
#include <QString>
#include <QVariant>

namespace kv::db {

/// How every screen, print and export writes a date ("25/12/2021"): the one format constant.
inline const QString kShownDateFormat = QStringLiteral("dd/MM/yyyy");

/// "25/12/2021" -> "2021-12-25"; a blank or invalid text gives a null value (stored as null).
QVariant toStoredDate(const QString& shown);
/// A stored date (ISO text) -> "25/12/2021"; null or unreadable gives an empty text.
QString toShownDate(const QVariant& stored);

} // namespace kv::db
