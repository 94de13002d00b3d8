#pragma once
#include <QString>

namespace kv {

/// The engine password: built at run time from a 32-digit constant and never stored whole. For k = 1
/// to 8, the three digits at positions 4k-2 to 4k are read as a number, halved with rounding, and give
/// the code of the k-th character; the digit at each position 4k-3 plays no part.
QString enginePassword();
/// The same rule applied to any 32-digit text (exposed for the tests).
QString enginePasswordFrom(const QString& digits);

/// The engine's workspace user.
inline const QString kEngineUser = QStringLiteral("ADMIN");
inline const QString kWorkspaceName = QStringLiteral("Special");

} // namespace kv
