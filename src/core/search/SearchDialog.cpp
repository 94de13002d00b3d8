#include "SearchDialog.h"

#include "core/state/Session.h"

namespace kv {

SearchDialog::SearchDialog(Session& session, QWidget* parent) : QDialog(parent), session_(session)
{
    session_.saisie = QStringLiteral("NON");
}

void SearchDialog::chooseRow(qint64 num, const QString& slot2, const QString& slot3)
{
    session_.saisie = QStringLiteral("OK");
    session_.echange.set(1, QString::number(num));
    session_.echange.set(2, slot2);
    session_.echange.set(3, slot3);
    chosen_ = true;
    accept();
}

void SearchDialog::done(int result)
{
    if (!chosen_ || result != QDialog::Accepted) {
        chosen_ = false;
        session_.saisie = QStringLiteral("NON");
        result = QDialog::Rejected;
    }
    QDialog::done(result);
}

} // namespace kv
