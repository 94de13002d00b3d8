#pragma once
// Deployment data: who made and supports this installation. The about box and the presentation show
// these texts; a deployment for another maker changes them here and nowhere else.
#include <QString>

namespace kv::deployment {

inline const QString kMakerName = QStringLiteral("Kavorel Logiciels");
inline const QString kStreetAddress = QStringLiteral("12, rue des Tilleuls");
inline const QString kCity = QStringLiteral("69003 Lyon");
inline const QString kTelephone = QStringLiteral("Tél. : 01 23 45 67 89");
inline const QString kEmail = QStringLiteral("contact@kavorel.example");
/// The maker's signature at the foot of the presentation (the screen pushes it to the right).
inline const QString kSignature = QStringLiteral("Kavorel Logiciels  -  Lyon");

} // namespace kv::deployment
