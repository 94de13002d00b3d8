#include "core/formats/Telephone.h"

#include "platform/ui/Ui.h"

namespace kv {

namespace {

QString dialledNumber(const QString& number)
{
    const QString trimmed = number.trimmed();
    if (trimmed.size() <= 3)
        return trimmed;
    QString kept(trimmed.front());
    for (qsizetype i = 1; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c >= u'0' && c <= u'9')
            kept += c;
    }
    return kept;
}

} // namespace

bool dial(const QString& number, ui::Ui& ui)
{
    if (number.isEmpty()) {
        ui.message(QStringLiteral("Numéro omis"), ui::Icon::Critical, QStringLiteral("ATTENTION "));
        return false;
    }
    // The calling application ("ZEB"), the called party and the comment of an assisted-telephony
    // request have no place in a "tel:" address: the number alone goes to the desktop.
    if (!ui.openUrl(QStringLiteral("tel:") + dialledNumber(number))) {
        ui.message(QStringLiteral("Erreur dans l'appel"), ui::Icon::Critical, QStringLiteral("GHI"));
        return false;
    }
    return true;
}

} // namespace kv
